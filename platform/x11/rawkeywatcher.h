// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;
struct _XDisplay;

namespace platform::x11 {

/// Watches every key of the X server, whichever window has the focus, as XInput 2
/// raw key events on the root window. Raw events are copies: the keys still reach
/// the focused application, and nothing is grabbed. Runs on the GUI thread over a
/// display connection of its own, so that it never disturbs Qt's.
class RawKeyWatcher
{
public:
    /// A key the hook library is told about: its Windows virtual key, the X keycode
    /// less 8 (the PC scan code for the common keys), press or release, server time.
    using KeyHandler = std::function<void(unsigned virtualKey, unsigned scanCode, bool pressed,
                                          unsigned long time)>;

    RawKeyWatcher();
    ~RawKeyWatcher();
    RawKeyWatcher(const RawKeyWatcher &) = delete;
    RawKeyWatcher &operator=(const RawKeyWatcher &) = delete;

    /// False when the keys cannot be watched: no X server, or one without XInput 2.
    bool start(KeyHandler onKey);
    void stop();

private:
    void readEvents();

    _XDisplay *m_display = nullptr;
    int m_inputOpcode = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    KeyHandler m_onKey;
};

} // namespace platform::x11
