// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../keyboard.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>

class QObject;

namespace platform::ibus {

class EngineSwitch;

/// Types by committing text through Ondrel's own IBus engine: for each click the
/// global engine is switched to Ondrel's, the character committed, and the user's
/// engine switched back. Clicks that come during a switch wait their turn.
///
/// Where Ondrel's engine gets no input context to commit into (the focused
/// application takes no text from an input method), the fallback keyboard types.
///
/// While Ondrel's engine is registered, the user's engine is kept in a small file
/// of the runtime folder: ibus-daemon forgets the global engine when Ondrel's engine
/// goes away, so the next start puts back the one recorded by a killed Ondrel.
class IBusKeyboard : public Keyboard
{
public:
    /// fallbackHasFocus, when given, says when the fallback's own kind of window has
    /// the focus (an X11 application under XWayland): then the fallback types
    /// without a switch, as it reaches every such window and IBus may not.
    IBusKeyboard(std::unique_ptr<EngineSwitch> engines, std::unique_ptr<Keyboard> fallback,
                 std::string recordPath, std::function<bool()> fallbackHasFocus = {});
    /// Puts the user's engine back, waiting for ibus-daemon.
    ~IBusKeyboard() override;

    bool isAvailable() const override { return true; }
    /// Queues the character; true unless the queue is full.
    bool type(char32_t character) override;
    bool typeBackspace() override;
    std::string errorString() const override { return m_error; }

private:
    struct Request
    {
        char32_t character = 0; ///< '\b' for Backspace
    };

    bool enqueue(Request request);
    void next();
    void switchedToOwn(bool ok, int polls);
    void deliver(Request request, bool committing);
    void done();
    void remember(const std::string &engine);
    std::string recorded() const;

    std::unique_ptr<EngineSwitch> m_engines;
    std::unique_ptr<Keyboard> m_fallback;
    std::function<bool()> m_fallbackHasFocus;
    std::string m_recordPath;
    std::string m_userEngine;            ///< the engine to put back; empty when the user had none
    std::string m_recordedEngine = "\n"; ///< what the record holds; none at first
    std::deque<Request> m_queue;
    bool m_busy = false;
    bool m_fallbackNoted = false;
    std::unique_ptr<QObject> m_timers; ///< ends the waits for the focus with the keyboard
    std::string m_error;
};

} // namespace platform::ibus
