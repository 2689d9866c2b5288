// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace platform::x11 {

/// One thing to type, as the composer decides it from the key events it was fed.
struct Keystroke
{
    enum class Kind {
        None,
        Character,
        BackSpace,
    };
    Kind kind = Kind::None;
    char32_t character = 0;
};

/// Does what Windows does with Alt held and a code typed on the numeric keypad,
/// for systems that do not compose Alt codes themselves: it collects the keypad
/// digits while Alt is down and, when Alt goes up, turns the code into the
/// character that the panel shows for it.
class AltCodeComposer
{
public:
    /// The panel's character for a code from 1 to 255, or 0 where it offers none.
    using Lookup = std::function<char32_t(unsigned code)>;

    explicit AltCodeComposer(Lookup lookup);

    /// Feeds one key event (Windows virtual-key code; released or pressed) and
    /// says what, if anything, is to be typed now.
    Keystroke keyEvent(unsigned virtualKey, bool released);

private:
    Keystroke compose() const;

    Lookup m_lookup;
    bool m_altDown = false;
    bool m_haveDigits = false;
    unsigned m_code = 0;
};

} // namespace platform::x11
