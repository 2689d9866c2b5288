// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual keyboard's keymaps, compiled by xkbcommon as the compositor and every
// client compile them: each key types its keysym whatever the modifiers, and the
// text that clients derive from it is the character asked for.
#include "platform/wayland/keymaptext.h"

#include <QTest>

#include <xkbcommon/xkbcommon.h>

#include <memory>

using platform::wayland::keymapText;
using platform::wayland::KeymapKey;

namespace {
std::uint32_t keysymOf(char32_t character)
{
    return platform::wayland::keysymForCharacter(character);
}
} // namespace

namespace {

struct Compiled
{
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{
        xkb_context_new(static_cast<xkb_context_flags>(XKB_CONTEXT_NO_DEFAULT_INCLUDES
                                                       | XKB_CONTEXT_NO_ENVIRONMENT_NAMES)),
        &xkb_context_unref};
    std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap{nullptr, &xkb_keymap_unref};

    explicit Compiled(const std::string &text)
    {
        keymap.reset(xkb_keymap_new_from_string(context.get(), text.c_str(),
                                                XKB_KEYMAP_FORMAT_TEXT_V1,
                                                XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
};

} // namespace

class TestWaylandKeymap : public QObject
{
    Q_OBJECT
private slots:
    void keysymForCharacter_data()
    {
        QTest::addColumn<uint>("character");
        QTest::addColumn<uint>("keysym");
        QTest::newRow("ASCII") << 0x41u << 0x41u;
        QTest::newRow("Latin-1") << 0xE9u << 0xE9u;
        QTest::newRow("no-break space") << 0xA0u << 0xA0u;
        QTest::newRow("box drawing") << 0x2500u << 0x01002500u;
        QTest::newRow("Cyrillic") << 0x0416u << 0x01000416u;
        QTest::newRow("past the BMP") << 0x1F600u << 0x0101F600u;
        QTest::newRow("NUL") << 0x00u << 0u;
        QTest::newRow("DEL") << 0x7Fu << 0u;
        QTest::newRow("C1 control") << 0x85u << 0u;
        QTest::newRow("surrogate") << 0xD800u << 0u;
        QTest::newRow("past Unicode") << 0x110000u << 0u;
    }
    void keysymForCharacter()
    {
        QFETCH(uint, character);
        QFETCH(uint, keysym);
        QCOMPARE(platform::wayland::keysymForCharacter(static_cast<char32_t>(character)), keysym);
    }

    void everyKeyTypesItsCharacterWhateverTheModifiers()
    {
        const std::vector<KeymapKey> keys = {
            {14, XKB_KEY_BackSpace},
            {183, keysymOf(U'\u00C7')},  // Latin-1: its own keysym
            {184, keysymOf(U'\u2592')},  // medium shade
            {185, keysymOf(U'\u0416')},  // Cyrillic capital zhe
            {186, keysymOf(U'"')},       // a quote in the keymap's text
            {187, 0},                              // a character key not in use
        };
        Compiled compiled(keymapText(keys));
        QVERIFY(compiled.keymap);
        std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(
            xkb_state_new(compiled.keymap.get()), &xkb_state_unref);
        const xkb_mod_index_t shift = xkb_keymap_mod_get_index(compiled.keymap.get(), XKB_MOD_NAME_SHIFT);
        const xkb_mod_index_t caps = xkb_keymap_mod_get_index(compiled.keymap.get(), XKB_MOD_NAME_CAPS);
        for (const auto mods : {0u, (1u << shift) | (1u << caps)}) {
            xkb_state_update_mask(state.get(), mods, 0, 0, 0, 0, 0);
            for (const KeymapKey &key : keys) {
                const xkb_keycode_t keycode = key.evdevCode + 8;
                QCOMPARE(xkb_state_key_get_one_sym(state.get(), keycode), key.keysym);
            }
            char text[8] = {};
            xkb_state_key_get_utf8(state.get(), 183 + 8, text, sizeof text);
            QCOMPARE(QString::fromUtf8(text), QStringLiteral("\u00C7"));
            xkb_state_key_get_utf8(state.get(), 185 + 8, text, sizeof text);
            QCOMPARE(QString::fromUtf8(text), QStringLiteral("\u0416"));
            xkb_state_key_get_utf8(state.get(), 186 + 8, text, sizeof text);
            QCOMPARE(QString::fromUtf8(text), QStringLiteral("\""));
        }
        // No key of this keymap is a modifier, so none of them changes the others.
        QCOMPARE(xkb_state_update_key(state.get(), 183 + 8, XKB_KEY_DOWN), 0);
    }

    void refusesWhatNoKeymapCanCarry()
    {
        QVERIFY(keymapText({{14, XKB_KEY_BackSpace}, {183, 0x01000000u + 0x110000u}}).empty());
        QVERIFY(keymapText({{248, XKB_KEY_a}}).empty()); // keycode 256 is past XKB's range
        QVERIFY(!platform::wayland::isTransportableKeysym(0));
        QVERIFY(!platform::wayland::isTransportableKeysym(0x0100D800u)); // a surrogate
        QVERIFY(!platform::wayland::isTransportableKeysym(0x20000000u)); // past the last keysym
        QVERIFY(platform::wayland::isTransportableKeysym(XKB_KEY_BackSpace));
    }
};

QTEST_APPLESS_MAIN(TestWaylandKeymap)
#include "tst_waylandkeymap.moc"
