// SPDX-License-Identifier: GPL-3.0-or-later
#include "codepages/codepagecharacters.h"
#include "panel/alttyping.h"
#include "panel/ondrelwidget.h"
#include "platform/fake/fakeplatform.h"
#include "platform/keyboard.h"
#include "platform/x11/altcodecomposer.h"
#include "platform/x11/x11keyboard.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include <map>
#include <vector>

using platform::x11::AltCodeComposer;
using platform::x11::Keystroke;
namespace vk = platform::vk;

namespace {

/// Stands in for the panel's glyph tables: a few codes with glyphs, the rest none.
const std::map<unsigned, char32_t> someGlyphs = {
    {1, U'\u263A'},   {20, U'\u00B6'},  {33, U'!'},       {44, U','},
    {127, U'\u2302'}, {130, U'\u00E9'}, {158, U'\u20A7'}, {254, U'\u25A0'},
};

char32_t lookUp(unsigned code)
{
    const auto found = someGlyphs.find(code);
    return found == someGlyphs.end() ? 0 : found->second;
}

/// Hands what the panel sends straight to a composer, as the X11 keyboard does.
class ComposingKeyboard : public platform::Keyboard
{
public:
    explicit ComposingKeyboard(AltCodeComposer::Lookup lookup) : composer(std::move(lookup)) {}

    unsigned scanCode(unsigned virtualKey) const override
    {
        return platform::pcScanCode(virtualKey);
    }
    void sendKey(unsigned virtualKey, unsigned, unsigned flags) override
    {
        const Keystroke keystroke = composer.keyEvent(virtualKey, flags & vk::KeyUpFlag);
        if (keystroke.kind != Keystroke::Kind::None)
            typed.push_back(keystroke);
    }

    AltCodeComposer composer;
    std::vector<Keystroke> typed;
};

} // namespace

class TestAltCodeComposer : public QObject
{
    Q_OBJECT

private slots:
    void codeTypesTheCharacterThePanelShows_data();
    void codeTypesTheCharacterThePanelShows();
    void everyLabelComposesItsGlyph_data();
    void everyLabelComposesItsGlyph();
    void lookupIsAskedForTheCodeModulo256();
    void altAloneTypesNothing();
    void digitsWithoutAltTypeNothing();
    void digitReleasesDoNotCount();
    void newAltPressStartsANewCode();
    void successiveCodesAreIndependent();
    void backspaceTypesOnPressOnly();
    void otherKeysAreIgnored();

    void scanCodesAreThoseOfAPcKeyboard_data();
    void scanCodesAreThoseOfAPcKeyboard();
};

void TestAltCodeComposer::codeTypesTheCharacterThePanelShows_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<uint>("character"); // 0: nothing is typed

    QTest::newRow("1: a graphic below space") << "1" << uint(0x263A);
    QTest::newRow("20") << "20" << uint(0xB6);
    QTest::newRow("33: punctuation") << "33" << uint('!');
    QTest::newRow("127") << "127" << uint(0x2302);
    QTest::newRow("130: code page") << "130" << uint(0xE9);
    QTest::newRow("254: last") << "254" << uint(0x25A0);
    QTest::newRow("65: a letter has no label but is typed") << "65" << uint('A');
    QTest::newRow("32: space") << "32" << uint(' ');
    QTest::newRow("48: a digit") << "48" << uint('0');
    QTest::newRow("126: last ASCII") << "126" << uint('~');
    QTest::newRow("23: no glyph below space") << "23" << uint(0);
    QTest::newRow("255: no glyph") << "255" << uint(0);
    QTest::newRow("200: a gap of the code page") << "200" << uint(0);
    QTest::newRow("0") << "0" << uint(0);
    QTest::newRow("256 wraps to 0") << "256" << uint(0);
    QTest::newRow("300 wraps to 44") << "300" << uint(',');
    QTest::newRow("321 wraps to 65") << "321" << uint('A');
    QTest::newRow("many digits wrap as they come") << "1000000001" << uint(0x263A);
}

void TestAltCodeComposer::codeTypesTheCharacterThePanelShows()
{
    QFETCH(QString, digits);
    QFETCH(uint, character);

    ComposingKeyboard keyboard(lookUp);
    alttyping::typeAltCode(keyboard, digits);
    if (character == 0) {
        QVERIFY(keyboard.typed.empty());
        return;
    }
    QCOMPARE(keyboard.typed.size(), size_t(1));
    QCOMPARE(keyboard.typed.front().kind, Keystroke::Kind::Character);
    QCOMPARE(uint(keyboard.typed.front().character), character);
}

void TestAltCodeComposer::everyLabelComposesItsGlyph_data()
{
    QTest::addColumn<unsigned>("codePage");

    for (unsigned codePage : {437u, 850u, 852u, 855u, 857u, 860u, 862u, 863u, 865u, 866u})
        QTest::addRow("%u", codePage) << codePage;
}

void TestAltCodeComposer::everyLabelComposesItsGlyph()
{
    QFETCH(unsigned, codePage);

    // What the user sees is the label's text; what arrives is what the composer
    // makes of the label's link with the lookup the program gives it.
    platform::fake::FakePlatform platform;
    platform.codePage->codePage = codePage;
    const OndrelWidget panel(platform.services);
    ComposingKeyboard keyboard(
        [codePage](unsigned code) { return codepages::panelCharacter(codePage, code); });
    static const QRegularExpression linkAndGlyph(
        QStringLiteral("href=\"(\\d+)\"[^>]*>&#x([0-9A-F]+);</a>"));

    int filled = 0;
    for (const QLabel *label : panel.glyphLabels()) {
        if (label->text().isEmpty())
            continue;
        ++filled;
        const QRegularExpressionMatch match = linkAndGlyph.match(label->text());
        QVERIFY2(match.hasMatch(), qPrintable(label->text()));
        keyboard.typed.clear();
        alttyping::typeAltCode(keyboard, match.captured(1));
        QVERIFY2(keyboard.typed.size() == 1, qPrintable(match.captured(1)));
        QCOMPARE(keyboard.typed.front().kind, Keystroke::Kind::Character);
        QCOMPARE(uint(keyboard.typed.front().character), match.captured(2).toUInt(nullptr, 16));
    }
    QVERIFY(filled >= 63 + 123);
}

void TestAltCodeComposer::lookupIsAskedForTheCodeModulo256()
{
    std::vector<unsigned> asked;
    ComposingKeyboard keyboard([&asked](unsigned code) {
        asked.push_back(code);
        return lookUp(code);
    });
    for (const char *digits : {"7", "254", "511", "0", "256"})
        alttyping::typeAltCode(keyboard, QString::fromLatin1(digits));
    // 0 and 256 make code 0, which types nothing without asking.
    QCOMPARE(asked, (std::vector<unsigned>{7, 254, 255}));
}

void TestAltCodeComposer::altAloneTypesNothing()
{
    AltCodeComposer composer(lookUp);
    QCOMPARE(composer.keyEvent(vk::Menu, false).kind, Keystroke::Kind::None);
    QCOMPARE(composer.keyEvent(vk::Menu, true).kind, Keystroke::Kind::None);
    // Nor does it leave anything behind for the next code.
    composer.keyEvent(vk::Menu, false);
    composer.keyEvent(vk::Numpad0 + 1, false);
    composer.keyEvent(vk::Numpad0 + 1, true);
    const Keystroke next = composer.keyEvent(vk::Menu, true);
    QCOMPARE(next.kind, Keystroke::Kind::Character);
    QCOMPARE(next.character, U'\u263A');
}

void TestAltCodeComposer::digitsWithoutAltTypeNothing()
{
    AltCodeComposer composer(lookUp);
    for (unsigned digit : {1u, 3u, 0u}) {
        QCOMPARE(composer.keyEvent(vk::Numpad0 + digit, false).kind, Keystroke::Kind::None);
        QCOMPARE(composer.keyEvent(vk::Numpad0 + digit, true).kind, Keystroke::Kind::None);
    }
    // An Alt release that follows them has no code either.
    QCOMPARE(composer.keyEvent(vk::Menu, true).kind, Keystroke::Kind::None);
    // And digits typed before Alt do not join the next code.
    composer.keyEvent(vk::Menu, false);
    composer.keyEvent(vk::Numpad0 + 1, false);
    QCOMPARE(composer.keyEvent(vk::Menu, true).character, U'\u263A');
}

void TestAltCodeComposer::digitReleasesDoNotCount()
{
    AltCodeComposer composer(lookUp);
    composer.keyEvent(vk::Menu, false);
    composer.keyEvent(vk::Numpad0 + 1, false);
    composer.keyEvent(vk::Numpad0 + 1, true);
    composer.keyEvent(vk::Numpad0 + 3, true); // a release without its press
    composer.keyEvent(vk::Numpad0 + 3, false);
    composer.keyEvent(vk::Numpad0 + 0, false);
    QCOMPARE(composer.keyEvent(vk::Menu, true).character, U'\u00E9');
}

void TestAltCodeComposer::newAltPressStartsANewCode()
{
    AltCodeComposer composer(lookUp);
    composer.keyEvent(vk::Menu, false);
    composer.keyEvent(vk::Numpad0 + 9, false);
    composer.keyEvent(vk::Menu, false);
    composer.keyEvent(vk::Numpad0 + 1, false);
    QCOMPARE(composer.keyEvent(vk::Menu, true).character, U'\u263A');
}

void TestAltCodeComposer::successiveCodesAreIndependent()
{
    ComposingKeyboard keyboard(lookUp);
    alttyping::typeAltCode(keyboard, QStringLiteral("130"));
    alttyping::typeAltCode(keyboard, QStringLiteral("1"));
    alttyping::typeAltCode(keyboard, QStringLiteral("130"));
    alttyping::typeBackspace(keyboard);
    alttyping::typeAltCode(keyboard, QStringLiteral("33"));
    std::vector<char32_t> characters;
    for (const Keystroke &keystroke : keyboard.typed)
        characters.push_back(keystroke.kind == Keystroke::Kind::BackSpace ? U'\b'
                                                                          : keystroke.character);
    QCOMPARE(characters, (std::vector<char32_t>{U'\u00E9', U'\u263A', U'\u00E9', U'\b', U'!'}));
}

void TestAltCodeComposer::backspaceTypesOnPressOnly()
{
    AltCodeComposer composer(lookUp);
    QCOMPARE(composer.keyEvent(vk::Back, false).kind, Keystroke::Kind::BackSpace);
    QCOMPARE(composer.keyEvent(vk::Back, true).kind, Keystroke::Kind::None);
}

void TestAltCodeComposer::otherKeysAreIgnored()
{
    AltCodeComposer composer(lookUp);
    composer.keyEvent(vk::Menu, false);
    composer.keyEvent(vk::Numpad0 + 1, false);
    for (unsigned virtualKey : {0x31u /* main keyboard 1 */, 0x41u /* A */, 0x10u /* Shift */})
        QCOMPARE(composer.keyEvent(virtualKey, false).kind, Keystroke::Kind::None);
    QCOMPARE(composer.keyEvent(vk::Menu, true).character, U'\u263A');
}

void TestAltCodeComposer::scanCodesAreThoseOfAPcKeyboard_data()
{
    QTest::addColumn<uint>("virtualKey");
    QTest::addColumn<uint>("scanCode");

    QTest::newRow("Alt") << uint(vk::Menu) << 0x38u;
    QTest::newRow("Backspace") << uint(vk::Back) << 0x0Eu;
    const uint keypad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    for (uint digit = 0; digit < 10; ++digit)
        QTest::addRow("keypad %u", digit) << uint(vk::Numpad0 + digit) << keypad[digit];
    QTest::newRow("a key the panel does not send") << 0x41u << 0u;
}

void TestAltCodeComposer::scanCodesAreThoseOfAPcKeyboard()
{
    QFETCH(uint, virtualKey);
    QFETCH(uint, scanCode);
    QCOMPARE(platform::pcScanCode(virtualKey), scanCode);
}

QTEST_MAIN(TestAltCodeComposer)
#include "tst_altcodecomposer.moc"
