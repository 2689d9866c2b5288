// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeplatform.h"

namespace platform::fake {

FakePlatform::FakePlatform()
{
    auto keys = std::make_unique<FakeKeyboard>();
    auto page = std::make_unique<FakeCodePage>();
    auto key = std::make_unique<FakeShowHideKey>();
    auto run = std::make_unique<FakeAutorun>();
    auto term = std::make_unique<FakeTermination>();
    auto windowing = std::make_unique<FakePanelWindow>();
    keyboard = keys.get();
    codePage = page.get();
    showHideKey = key.get();
    autorun = run.get();
    termination = term.get();
    panelWindow = windowing.get();
    services.keyboard = std::move(keys);
    services.codePage = std::move(page);
    services.showHideKey = std::move(key);
    services.autorun = std::move(run);
    services.termination = std::move(term);
    services.panelWindow = std::move(windowing);
}

} // namespace platform::fake
