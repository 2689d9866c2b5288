// SPDX-License-Identifier: GPL-3.0-or-later
#include "../services.h"
#include "localecodepage.h"
#include "unixsignalwatcher.h"
#include "x11windowactivation.h"
#include "xdgautostart.h"

namespace platform {

namespace {

// Placeholders for the services that later work brings to X11. Each behaves like
// the facility being absent, which the program already handles quietly.
class NoKeyboard : public Keyboard
{
public:
    unsigned scanCode(unsigned) const override { return 0; }
    void sendKey(unsigned, unsigned, unsigned) override {}
};

class NoHotkeyHook : public HotkeyHook
{
public:
    Outcome install(NativeWindow) override { return Outcome::NoLibrary; }
    void remove() override {}
    bool decodeHotkeyMessage(const char *, void *, unsigned &) const override { return false; }
};

} // namespace

std::unique_ptr<Services> createNativeServices()
{
    auto services = std::make_unique<Services>();
    services->windowActivation = std::make_unique<x11::X11WindowActivation>();
    services->keyboard = std::make_unique<NoKeyboard>();
    services->codePage = std::make_unique<x11::LocaleCodePage>();
    services->hotkeyHook = std::make_unique<NoHotkeyHook>();
    services->autorun = std::make_unique<x11::XdgAutostart>();
    services->termination = std::make_unique<x11::UnixSignalWatcher>();
    return services;
}

} // namespace platform
