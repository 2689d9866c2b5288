// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Backends that record what they are asked to do, for fast and deterministic unit tests.

#include "platform/managedpanelwindow.h"
#include "platform/services.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace platform::fake {

class FakeKeyboard : public Keyboard
{
public:
    bool isAvailable() const override { return available; }
    bool type(char32_t character) override
    {
        typed += character;
        return available;
    }
    bool typeBackspace() override
    {
        typed += U'\b';
        return available;
    }
    std::string errorString() const override { return available ? std::string() : error; }

    bool available = true;
    std::string error = "no keyboard in this test";
    /// What it was asked to type, Backspace as U+0008.
    std::u32string typed;
};

class FakeCodePage : public CodePageSource
{
public:
    unsigned oemCodePage() const override { return codePage; }
    unsigned codePage = 437;
};

class FakeShowHideKey : public ShowHideKey
{
public:
    bool start() override { return works; }
    void stop() override
    {
        ++stopCalls;
        if (onStop)
            onStop();
    }
    std::string errorString() const override { return works ? std::string() : "no key here"; }

    /// A press of F<number>, as the system would report it.
    void press(int number) { functionKeyPressed(number); }

    bool works = false;
    int stopCalls = 0;
    std::function<void()> onStop;
};

class FakeAutorun : public Autorun
{
public:
    bool isEnabled(const std::string &executablePath) const override
    {
        return entry == executablePath;
    }
    bool setEnabled(const std::string &executablePath, bool enabled) override
    {
        if (!writable)
            return false;
        entry = enabled ? executablePath : std::string();
        return true;
    }
    std::string errorString() const override { return writable ? std::string() : "read-only"; }
    std::string entry;
    bool writable = true;
};

class FakeTermination : public TerminationWatcher
{
public:
    void start(std::function<void()> onTerminate) override { callback = std::move(onTerminate); }
    std::function<void()> callback;
};

/// Places the window as a window manager would; or, told so, asks for a panel
/// that draws its own title strip, as on a Wayland layer surface.
class FakePanelWindow : public ManagedPanelWindow
{
public:
    bool drawsOwnDecorations() const override { return ownDecorations; }
    bool adopt(QWidget &window) override
    {
        ++adopted;
        window.winId(); // as every system's window does
        return true;
    }
    bool ownDecorations = false;
    int adopted = 0;
};

/// A complete set of fake services, with typed access for the tests.
class FakePlatform
{
public:
    FakePlatform();

    Services services;
    FakeKeyboard *keyboard;
    FakeCodePage *codePage;
    FakeShowHideKey *showHideKey;
    FakeAutorun *autorun;
    FakeTermination *termination;
    FakePanelWindow *panelWindow;
};

} // namespace platform::fake
