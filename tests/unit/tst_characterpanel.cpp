// SPDX-License-Identifier: GPL-3.0-or-later
// The painted panel on its own: it links only the views and the code pages, so the
// build itself shows that it needs neither the controller nor the system services.
#include "panel/characterpanel.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int backspace = panelgeometry::backspaceCell;

QPoint centre(const CharacterPanel &panel, int cell)
{
    return panel.cellRect(cell).center();
}

} // namespace

class TestCharacterPanel : public QObject
{
    Q_OBJECT

private slots:
    void geometry_data();
    void geometry();
    void clicksTypeWhatTheCellShows();
    void tooltips_data();
    void tooltips();
    void codePageSwitchesTitleAndCells();
    void inkStandsOutAgainstTheBackground_data();
    void inkStandsOutAgainstTheBackground();
    void screenReadersNameAndPressEveryCell();
};

void TestCharacterPanel::geometry_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QSize>("extent");
    QTest::addColumn<int>("glyphPixels");
    QTest::addColumn<int>("backspacePixels");

    QTest::newRow("30/0") << 30 << 0 << QSize(840, 210) << 18 << 8;
    QTest::newRow("30/5") << 30 << 5 << QSize(975, 240) << 18 << 8;
    QTest::newRow("50/2") << 50 << 2 << QSize(1454, 362) << 30 << 14;
}

void TestCharacterPanel::geometry()
{
    QFETCH(int, size);
    QFETCH(int, spacing);
    QFETCH(QSize, extent);
    QFETCH(int, glyphPixels);
    QFETCH(int, backspacePixels);

    CharacterPanel panel;
    panel.setLabelSize(size);
    panel.setLabelSpacing(spacing);
    QCOMPARE(panel.size(), extent);
    // Fixed, so that the frame cannot resize it.
    QCOMPARE(panel.minimumSize(), extent);
    QCOMPARE(panel.maximumSize(), extent);
    QCOMPARE(panel.cellRect(backspace),
             QRect(27 * (size + spacing), 6 * (size + spacing), size, size));
    QCOMPARE(panelgeometry::glyphFontPixelSize(size), glyphPixels);
    QCOMPARE(panelgeometry::backspaceFontPixelSize(size), backspacePixels);
    QVERIFY(panel.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(panel.windowFlags() & Qt::WindowTitleHint);
}

void TestCharacterPanel::clicksTypeWhatTheCellShows()
{
    CharacterPanel panel;
    panel.setLabelSize(30);
    panel.setLabelSpacing(5);
    QSignalSpy characters(&panel, &CharacterPanel::characterActivated);
    QSignalSpy backspaces(&panel, &CharacterPanel::backspaceActivated);

    // Ç is code 128 of page 437: the first glyph after the 63 common ones.
    QTest::mouseClick(&panel, Qt::LeftButton, {}, centre(panel, 63));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, centre(panel, 0));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, centre(panel, backspace));
    QCOMPARE(characters.size(), 2);
    QCOMPARE(characters.at(0).at(0).toInt(), 128);
    QCOMPARE(characters.at(0).at(1).value<char32_t>(), U'Ç');
    QCOMPARE(characters.at(1).at(0).toInt(), 1);
    QCOMPARE(characters.at(1).at(1).value<char32_t>(), U'☺');
    QCOMPARE(backspaces.size(), 1);

    // Nothing for an empty cell, a gap, a drag off the cell, or another button.
    QTest::mouseClick(&panel, Qt::LeftButton, {}, centre(panel, 190));
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(32, 10));
    QTest::mousePress(&panel, Qt::LeftButton, {}, centre(panel, 70));
    QTest::mouseMove(&panel, centre(panel, 71));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, centre(panel, 71));
    QTest::mousePress(&panel, Qt::LeftButton, {}, centre(panel, 70));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, centre(panel, backspace));
    QTest::mouseClick(&panel, Qt::MiddleButton, {}, centre(panel, 70));
    QCOMPARE(characters.size(), 2);
    QCOMPARE(backspaces.size(), 1);
}

void TestCharacterPanel::tooltips_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("a letter") << 63 << "LATIN CAPITAL LETTER C WITH CEDILLA · U+00C7 · Alt+128";
    QTest::newRow("box drawing")
        << 63 + 206 - 128 << "BOX DRAWINGS DOUBLE VERTICAL AND HORIZONTAL · U+256C · Alt+206";
    QTest::newRow("a control graphic") << 0 << "WHITE SMILING FACE · U+263A · Alt+1";
    QTest::newRow("Backspace") << backspace << "Backspace";
    QTest::newRow("an empty cell") << 190 << "";
}

void TestCharacterPanel::tooltips()
{
    QFETCH(int, cell);
    QFETCH(QString, toolTip);
    CharacterPanel panel;
    QCOMPARE(panel.toolTip(cell), toolTip);
    QVERIFY(panel.testAttribute(Qt::WA_AlwaysShowToolTips));
}

void TestCharacterPanel::codePageSwitchesTitleAndCells()
{
    CharacterPanel panel;
    panel.setLabelSize(30);
    QCOMPARE(panel.windowTitle(), QStringLiteral("Ondrel [1-255, Code Page 437 LatinUS]"));
    QCOMPARE(panel.glyph(63).character, U'Ç');

    panel.setCodePage(866);
    QCOMPARE(panel.codePage(), 866);
    QCOMPARE(panel.windowTitle(), QStringLiteral("Ondrel [1-255, Code Page 866 Cyrillic]"));
    QCOMPARE(panel.glyph(63).character, U'А');
    QCOMPARE(panel.glyph(0).character, U'☺'); // the common glyphs stay
    QSignalSpy characters(&panel, &CharacterPanel::characterActivated);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, centre(panel, 64));
    QCOMPARE(characters.at(0).at(0).toInt(), 129);
    QCOMPARE(characters.at(0).at(1).value<char32_t>(), U'Б');

    // 857 has gaps, so more cells stay empty; a page without glyphs shows 437's.
    panel.setCodePage(857);
    QVERIFY(!panel.isFilled(63 + 123));
    QVERIFY(panel.isFilled(63 + 122));
    panel.setCodePage(737);
    QCOMPARE(panel.codePage(), 437);
    QCOMPARE(panel.glyph(63).character, U'Ç');
}

void TestCharacterPanel::inkStandsOutAgainstTheBackground_data()
{
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("ink");

    QTest::newRow("default grey") << QColor(229, 230, 230) << QColor(Qt::black);
    QTest::newRow("white") << QColor(Qt::white) << QColor(Qt::black);
    QTest::newRow("lightness 128") << QColor::fromHsl(200, 255, 128) << QColor(Qt::black);
    QTest::newRow("lightness 127") << QColor::fromHsl(200, 255, 127) << QColor(Qt::white);
    QTest::newRow("near black") << QColor(20, 20, 20) << QColor(Qt::white);
}

void TestCharacterPanel::inkStandsOutAgainstTheBackground()
{
    QFETCH(QColor, background);
    QFETCH(QColor, ink);
    CharacterPanel panel;
    panel.setLabelSize(30);
    panel.setBackgroundColor(background);
    QCOMPARE(panel.inkColor(), ink);

    // What is painted: the background, and glyphs in the ink colour.
    const QImage image = panel.grab().toImage();
    QCOMPARE(image.pixelColor(panel.cellRect(190).center()).rgb(), background.rgb());
    bool inkFound = false;
    const QRect glyph = panel.cellRect(63 + 219 - 128); // █, a full block
    for (int y = glyph.top(); y <= glyph.bottom() && !inkFound; ++y)
        inkFound = image.pixelColor(glyph.center().x(), y) == ink;
    QVERIFY(inkFound);
}

void TestCharacterPanel::screenReadersNameAndPressEveryCell()
{
    CharacterPanel panel;
    panel.setLabelSize(30);
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(&panel);
    QVERIFY(grid);
    QCOMPARE(grid->childCount(), 191); // 190 glyphs of page 437 and Backspace

    QSignalSpy characters(&panel, &CharacterPanel::characterActivated);
    QSignalSpy backspaces(&panel, &CharacterPanel::backspaceActivated);
    QAccessibleInterface *cedilla = grid->child(63);
    QCOMPARE(cedilla->role(), QAccessible::Button);
    QCOMPARE(cedilla->text(QAccessible::Name),
             QStringLiteral("Ç LATIN CAPITAL LETTER C WITH CEDILLA"));
    QCOMPARE(grid->indexOfChild(cedilla), 63);
    QCOMPARE(grid->child(63), cedilla); // the same interface every time
    QAccessibleActionInterface *action = cedilla->actionInterface();
    QVERIFY(action);
    action->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(characters.size(), 1);
    QCOMPARE(characters.at(0).at(1).value<char32_t>(), U'Ç');

    QAccessibleInterface *last = grid->child(190);
    QCOMPARE(last->text(QAccessible::Name), QStringLiteral("Backspace"));
    last->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(backspaces.size(), 1);

    // Every child has a name; empty cells have none to give.
    for (int i = 0; i < grid->childCount(); ++i)
        QVERIFY(!grid->child(i)->text(QAccessible::Name).isEmpty());
    panel.setCodePage(857);
    QCOMPARE(grid->childCount(), 63 + 123 + 1);
}

QTEST_MAIN(TestCharacterPanel)
#include "tst_characterpanel.moc"
