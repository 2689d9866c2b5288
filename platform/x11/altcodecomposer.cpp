// SPDX-License-Identifier: GPL-3.0-or-later
#include "altcodecomposer.h"

#include "../keyboard.h"

#include <utility>

namespace platform::x11 {

AltCodeComposer::AltCodeComposer(Lookup lookup) : m_lookup(std::move(lookup)) {}

Keystroke AltCodeComposer::keyEvent(unsigned virtualKey, bool released)
{
    if (virtualKey == vk::Menu) {
        if (!released) {
            // A new Alt press starts a new code, as on Windows.
            m_altDown = true;
            m_haveDigits = false;
            m_code = 0;
            return {};
        }
        const bool wasDown = m_altDown;
        m_altDown = false;
        return wasDown && m_haveDigits ? compose() : Keystroke{};
    }
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad9) {
        if (m_altDown && !released) {
            // Windows keeps the code modulo 256 however many digits come.
            m_code = (m_code * 10 + (virtualKey - vk::Numpad0)) % 256;
            m_haveDigits = true;
        }
        return {};
    }
    if (virtualKey == vk::Back && !released)
        return {Keystroke::Kind::BackSpace, 0};
    return {};
}

Keystroke AltCodeComposer::compose() const
{
    if (m_code == 0)
        return {};
    char32_t character = m_lookup ? m_lookup(m_code) : 0;
    // Space, digits and letters have no label, but their codes still type them.
    if (character == 0 && m_code >= 0x20 && m_code <= 0x7E)
        character = m_code;
    if (character == 0)
        return {};
    return {Keystroke::Kind::Character, character};
}

} // namespace platform::x11
