// SPDX-License-Identifier: GPL-3.0-or-later
#include "focushandover.h"

#include <utility>

namespace platform::win32 {

FocusHandOver::FocusHandOver(WindowActivation &activation, std::function<NativeWindow()> window,
                             std::function<void(const std::string &)> warn)
    : m_activation(activation), m_window(std::move(window)), m_warn(std::move(warn))
{}

void FocusHandOver::enableNoActivate()
{
    setNoActivate(true);
}

void FocusHandOver::disableNoActivate()
{
    setNoActivate(false);
}

void FocusHandOver::setNoActivate(bool enabled)
{
    if (!m_activation.setNoActivate(m_window(), enabled))
        m_warn(std::string("The panel could not be made ") +
               (enabled ? "non-activating" : "activatable"));
    m_noActivate = enabled;
}

void FocusHandOver::handle(FrameEvent event)
{
    switch (event) {
    case FrameEvent::ButtonPressed:
        frameButtonPressed();
        break;
    case FrameEvent::PointerLeft:
        framePointerLeft();
        break;
    case FrameEvent::None:
        break;
    }
}

void FocusHandOver::frameButtonPressed()
{
    if (!m_noActivate)
        return; // already an ordinary window; the system moves it as usual
    const NativeWindow panel = m_window();
    // A press while the panel itself is in front must not make the panel the
    // window it hands back to.
    const NativeWindow foreground = m_activation.foregroundWindow();
    if (foreground != panel)
        m_previousForeground = foreground;
    setNoActivate(false);
    m_activation.setForegroundWindow(panel);
}

void FocusHandOver::framePointerLeft()
{
    // While the button is held the user is still dragging; the next leave with the
    // button up finishes the hand-over. Read it every time, as Windows keeps a
    // "pressed since the last read" mark for whoever reads it.
    const bool buttonDown = m_activation.isLeftButtonDown();
    if (m_noActivate || buttonDown)
        return;
    setNoActivate(true);
    m_activation.setForegroundWindow(m_previousForeground);
}

} // namespace platform::win32
