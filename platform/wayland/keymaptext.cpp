// SPDX-License-Identifier: GPL-3.0-or-later
#include "keymaptext.h"

#include <xkbcommon/xkbcommon.h>

#include <cstdio>

namespace platform::wayland {

namespace {
// XKB keycodes are the kernel's input event codes plus 8, and stop at 255.
constexpr std::uint32_t XkbKeycodeOffset = 8;
constexpr std::uint32_t MaxEvdevCode = 255 - XkbKeycodeOffset;
} // namespace

std::uint32_t keysymForCharacter(char32_t character)
{
    const auto code = static_cast<std::uint32_t>(character);
    // Typed text may hold these two; they are keys, not characters, to XKB.
    if (code == '\t')
        return XKB_KEY_Tab;
    if (code == '\n')
        return XKB_KEY_Return;
    if (code < 0x20 || (code >= 0x7f && code < 0xa0))
        return 0;
    if (code < 0x100)
        return code;
    if ((code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff)
        return 0;
    return 0x01000000u + code;
}

bool isTransportableKeysym(std::uint32_t keysym)
{
    if (keysym == XKB_KEY_NoSymbol)
        return false;
    // XKB names any keysym of the Unicode block, but only those of real characters
    // type anything: the others would be sent and type nothing.
    if ((keysym & 0xff000000u) == 0x01000000u) {
        const std::uint32_t code = keysym & 0x00ffffffu;
        if (code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return false;
    }
    char name[64];
    if (xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return false;
    return xkb_keysym_from_name(name, XKB_KEYSYM_NO_FLAGS) == keysym;
}

std::string keymapText(const std::vector<KeymapKey> &keys)
{
    std::string keycodes, symbols;
    char line[160];
    for (const KeymapKey &key : keys) {
        if (key.keysym == XKB_KEY_NoSymbol)
            continue;
        if (key.evdevCode > MaxEvdevCode || !isTransportableKeysym(key.keysym))
            return {};
        const std::uint32_t keycode = key.evdevCode + XkbKeycodeOffset;
        char name[64];
        xkb_keysym_get_name(key.keysym, name, sizeof name);
        std::snprintf(line, sizeof line, "    <K%03u> = %u;\n", keycode, keycode);
        keycodes += line;
        std::snprintf(line, sizeof line, "    key <K%03u> { type = \"ONE_LEVEL\", [ %s ] };\n",
                      keycode, name);
        symbols += line;
    }
    // Clients compile every keymap they receive, so it carries nothing but these keys:
    // one level, no modifiers, no compatibility rules.
    return "xkb_keymap {\n"
           "xkb_keycodes \"ondrel\" {\n"
           "    minimum = 8;\n"
           "    maximum = 255;\n" +
           keycodes +
           "};\n"
           "xkb_types \"ondrel\" {\n"
           "    type \"ONE_LEVEL\" {\n"
           "        modifiers = none;\n"
           "        level_name[Level1] = \"Any\";\n"
           "    };\n"
           "};\n"
           "xkb_compatibility \"ondrel\" {\n"
           "};\n"
           "xkb_symbols \"ondrel\" {\n" +
           symbols +
           "};\n"
           "};\n";
}

} // namespace platform::wayland
