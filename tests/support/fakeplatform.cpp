// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeplatform.h"

#include <cstring>

namespace platform::fake {

bool FakeWindowActivation::setNoActivate(NativeWindow window, bool enabled)
{
    noActivate[window] = enabled;
    noActivateChanges.emplace_back(window, enabled);
    return true;
}

bool FakeWindowActivation::setForegroundWindow(NativeWindow window)
{
    foregroundRequests.push_back(window);
    foreground = window;
    return true;
}

FrameEvent FakeWindowActivation::frameEvent(NativeWindow window, const char *eventType,
                                            void *message)
{
    if (std::strcmp(eventType, EventType) != 0)
        return FrameEvent::None;
    const auto *fakeMessage = static_cast<const Message *>(message);
    return fakeMessage->window == window ? fakeMessage->event : FrameEvent::None;
}

bool FakeWindowActivation::isNoActivate(NativeWindow window) const
{
    const auto it = noActivate.find(window);
    return it != noActivate.end() && it->second;
}

FakePlatform::FakePlatform()
{
    auto activation = std::make_unique<FakeWindowActivation>();
    auto keys = std::make_unique<FakeKeyboard>();
    auto page = std::make_unique<FakeCodePage>();
    auto key = std::make_unique<FakeShowHideKey>();
    auto run = std::make_unique<FakeAutorun>();
    auto term = std::make_unique<FakeTermination>();
    auto windowing = std::make_unique<FakePanelWindowing>();
    windowActivation = activation.get();
    keyboard = keys.get();
    codePage = page.get();
    showHideKey = key.get();
    autorun = run.get();
    termination = term.get();
    panelWindowing = windowing.get();
    services.windowActivation = std::move(activation);
    services.keyboard = std::move(keys);
    services.codePage = std::move(page);
    services.showHideKey = std::move(key);
    services.autorun = std::move(run);
    services.termination = std::move(term);
    services.panelWindowing = std::move(windowing);
}

} // namespace platform::fake
