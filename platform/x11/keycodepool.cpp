// SPDX-License-Identifier: GPL-3.0-or-later
#include "keycodepool.h"

#include <algorithm>

namespace platform::x11 {

Keysym keysymForCharacter(char32_t character)
{
    // Typed text may hold these two; they are keys, not characters, to X.
    if (character == U'\t')
        return 0xFF09; // XK_Tab
    if (character == U'\n')
        return 0xFF0D; // XK_Return
    if (character < 0x20 || (character >= 0x7F && character < 0xA0) || character > 0x10FFFF)
        return 0;
    if (character <= 0xFF)
        return character;
    return 0x01000000 + character;
}

bool typesOnly(const std::vector<Keysym> &keysyms, Keysym keysym)
{
    return !keysyms.empty() && keysyms.front() == keysym &&
           std::all_of(keysyms.begin(), keysyms.end(),
                       [keysym](Keysym each) { return each == keysym || each == 0; });
}

void KeycodePool::update(int first, int count, int perKeycode, const Keysym *keysyms)
{
    for (int index = 0; index < count; ++index) {
        std::vector<Keysym> now(keysyms + index * perKeycode, keysyms + (index + 1) * perKeycode);
        while (!now.empty() && now.back() == 0)
            now.pop_back();
        Key &key = m_keys[first + index];
        const bool stillOurs = key.bound && typesOnly(now, key.keysyms.front());
        key.bound = stillOurs;
        key.spare = stillOurs || now.empty();
        key.keysyms = std::move(now);
    }
}

KeycodePool::Assignment KeycodePool::assign(Keysym keysym)
{
    if (keysym == 0)
        return {};
    for (auto &[keycode, key] : m_keys) {
        if (typesOnly(key.keysyms, keysym)) {
            if (key.spare)
                key.lastUse = ++m_clock;
            return {keycode, false};
        }
    }
    Key *oldest = nullptr;
    int oldestKeycode = 0;
    for (auto &[keycode, key] : m_keys) {
        if (key.spare && (!oldest || key.lastUse < oldest->lastUse)) {
            oldest = &key;
            oldestKeycode = keycode;
        }
    }
    if (!oldest)
        return {};
    oldest->keysyms = {keysym, keysym};
    oldest->bound = true;
    oldest->lastUse = ++m_clock;
    return {oldestKeycode, true};
}

std::vector<int> KeycodePool::boundKeycodes() const
{
    std::vector<int> result;
    for (const auto &[keycode, key] : m_keys) {
        if (key.bound)
            result.push_back(keycode);
    }
    return result;
}

int KeycodePool::spareCount() const
{
    return static_cast<int>(std::count_if(m_keys.begin(), m_keys.end(),
                                          [](const auto &entry) { return entry.second.spare; }));
}

} // namespace platform::x11
