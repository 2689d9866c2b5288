// SPDX-License-Identifier: GPL-3.0-or-later
#include "focushandover.h"

#include <utility>

FocusHandOver::FocusHandOver(platform::WindowActivation &activation,
                             std::function<platform::NativeWindow()> window)
    : m_activation(activation), m_window(std::move(window))
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
    m_activation.setNoActivate(m_window(), enabled);
    m_noActivate = enabled;
}

void FocusHandOver::handle(platform::FrameEvent event)
{
    switch (event) {
    case platform::FrameEvent::ButtonPressed:
        frameButtonPressed();
        break;
    case platform::FrameEvent::PointerLeft:
        framePointerLeft();
        break;
    case platform::FrameEvent::None:
        break;
    }
}

void FocusHandOver::frameButtonPressed()
{
    if (!m_noActivate)
        return; // already an ordinary window; the system moves it as usual
    const platform::NativeWindow panel = m_window();
    // A press while the panel itself is in front must not make the panel the
    // window it hands back to.
    const platform::NativeWindow foreground = m_activation.foregroundWindow();
    if (foreground != panel)
        m_previousForeground = foreground;
    setNoActivate(false);
    m_activation.setForegroundWindow(panel);
}

void FocusHandOver::framePointerLeft()
{
    const short leftButton = m_activation.leftButtonState();
    // While the button is held the user is still dragging; the next leave with the
    // button up finishes the hand-over.
    const bool buttonUp = leftButton == 0 || leftButton == 1;
    if (m_noActivate || !buttonUp)
        return;
    setNoActivate(true);
    m_activation.setForegroundWindow(m_previousForeground);
}
