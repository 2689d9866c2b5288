// SPDX-License-Identifier: GPL-3.0-or-later
#include "../services.h"
#include "unixsignalwatcher.h"
#include "x11hotkeyhook.h"
#include "x11windowactivation.h"

#include <QCoreApplication>
#include <QFile>

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

class DefaultCodePage : public CodePageSource
{
public:
    unsigned oemCodePage() const override { return 437; }
};

class NoAutorun : public Autorun
{
public:
    bool isEnabled(const std::string &) const override { return false; }
    void setEnabled(const std::string &, bool) override {}
};

/// The hook library's folders: the program's own, then the installed private one.
std::vector<std::string> hookLibraryFolders()
{
    return {QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString(),
            ONDREL_HOOK_LIBRARY_DIR};
}

} // namespace

std::unique_ptr<Services> createNativeServices()
{
    auto services = std::make_unique<Services>();
    services->windowActivation = std::make_unique<x11::X11WindowActivation>();
    services->keyboard = std::make_unique<NoKeyboard>();
    services->codePage = std::make_unique<DefaultCodePage>();
    services->hotkeyHook = std::make_unique<x11::X11HotkeyHook>(hookLibraryFolders());
    services->autorun = std::make_unique<NoAutorun>();
    services->termination = std::make_unique<x11::UnixSignalWatcher>();
    return services;
}

} // namespace platform
