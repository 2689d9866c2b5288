// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Backends that record what they are asked to do, for fast and deterministic unit tests.

#include "../services.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace platform::fake {

class FakeWindowActivation : public WindowActivation
{
public:
    void setNoActivate(NativeWindow window, bool enabled) override;
    NativeWindow foregroundWindow() const override { return foreground; }
    void setForegroundWindow(NativeWindow window) override;
    short leftButtonState() const override
    {
        ++leftButtonReads;
        return leftButton;
    }
    FrameEvent frameEvent(const char *eventType, void *message) override;

    bool isNoActivate(NativeWindow window) const;

    /// The event type under which tests deliver a FakeWindowActivation::Message.
    static constexpr const char *EventType = "fake_frame_message";
    struct Message
    {
        FrameEvent event;
    };

    std::map<NativeWindow, bool> noActivate;
    NativeWindow foreground = 0;
    std::vector<NativeWindow> foregroundRequests;
    short leftButton = 0;
    mutable int leftButtonReads = 0;
};

struct KeyEvent
{
    unsigned virtualKey;
    unsigned scanCode;
    unsigned flags;
    bool operator==(const KeyEvent &other) const
    {
        return virtualKey == other.virtualKey && scanCode == other.scanCode && flags == other.flags;
    }
};

class FakeKeyboard : public Keyboard
{
public:
    /// Scan codes as a PC keyboard's set 1 gives them, like MapVirtualKeyW.
    unsigned scanCode(unsigned virtualKey) const override;
    void sendKey(unsigned virtualKey, unsigned scanCode, unsigned flags) override;

    std::vector<KeyEvent> events;
};

class FakeCodePage : public CodePageSource
{
public:
    unsigned oemCodePage() const override { return codePage; }
    unsigned codePage = 437;
};

class FakeHotkeyHook : public HotkeyHook
{
public:
    Outcome install(NativeWindow notifyWindow) override;
    void remove() override
    {
        ++removeCalls;
        if (onRemove)
            onRemove();
    }
    bool decodeHotkeyMessage(const char *eventType, void *message,
                             unsigned &virtualKey) const override;
    bool keepsHotkeyMessage() const override { return keepsMessage; }

    /// The event type under which tests deliver a FakeHotkeyHook::Message.
    static constexpr const char *EventType = "fake_hotkey_message";
    struct Message
    {
        unsigned number;
        unsigned wParam;
    };

    Outcome outcome = Outcome::NoLibrary;
    NativeWindow notifiedWindow = 0;
    int removeCalls = 0;
    std::function<void()> onRemove;
    bool keepsMessage = false;
};

class FakeAutorun : public Autorun
{
public:
    bool isEnabled(const std::string &executablePath) const override
    {
        return entry == executablePath;
    }
    void setEnabled(const std::string &executablePath, bool enabled) override
    {
        entry = enabled ? executablePath : std::string();
    }
    std::string entry;
};

class FakeTermination : public TerminationWatcher
{
public:
    void start(std::function<void()> onTerminate) override { callback = std::move(onTerminate); }
    std::function<void()> callback;
};

/// A complete set of fake services, with typed access for the tests.
class FakePlatform
{
public:
    FakePlatform();

    Services services;
    FakeWindowActivation *windowActivation;
    FakeKeyboard *keyboard;
    FakeCodePage *codePage;
    FakeHotkeyHook *hotkeyHook;
    FakeAutorun *autorun;
    FakeTermination *termination;
};

} // namespace platform::fake
