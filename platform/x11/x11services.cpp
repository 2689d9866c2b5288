// SPDX-License-Identifier: GPL-3.0-or-later
#include "../services.h"
#include "codepages/codepagecharacters.h"
#include "localecodepage.h"
#include "unixsignalwatcher.h"
#include "x11keyboard.h"
#include "x11windowactivation.h"
#include "xdgautostart.h"

namespace platform {

namespace {

// Placeholders for the services that later work brings to X11. Each behaves like
// the facility being absent, which the program already handles quietly.
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
    services->codePage = std::make_unique<x11::LocaleCodePage>();
    // The composer types what the panel shows, in the code page the panel shows.
    const unsigned codePage = services->codePage->oemCodePage();
    services->keyboard = std::make_unique<x11::X11Keyboard>(
        [codePage](unsigned code) { return codepages::panelCharacter(codePage, code); });
    services->hotkeyHook = std::make_unique<NoHotkeyHook>();
    services->autorun = std::make_unique<x11::XdgAutostart>();
    services->termination = std::make_unique<x11::UnixSignalWatcher>();
    return services;
}

} // namespace platform
