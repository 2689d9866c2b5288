// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/ondrelwidget.h"
#include "platform/fake/fakeplatform.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <memory>

using platform::fake::FakePlatform;

class TestOndrelWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void glyphLabelsFillTheGridRowByRow_data();
    void glyphLabelsFillTheGridRowByRow();
    void backspaceLabelTakesTheLastCell();
    void windowStaysOnTopWithATitleBar();

    void glyphFontShrinksWithTheLabel_data();
    void glyphFontShrinksWithTheLabel();
    void backspaceFontFitsTwoLines_data();
    void backspaceFontFitsTwoLines();
    void everyLabelTakesTheLabelSize();

    void fitToGridResizesToTheGridExtent_data();
    void fitToGridResizesToTheGridExtent();
    void windowHugsTheGridAfterASpacingChange();
    void windowCannotBeResizedByItsFrame();

    void maxLabelSizeFollowsThePrimaryScreen();
    void sizeOutsideTheBoundsIsAppliedUnchanged();

    void backgroundColorIsInvalidUntilSet();
    void backgroundColorPaintsTheBackgroundRole();

    void newPanelIsNonActivating();
    void noActivateFollowsEnableAndDisable();

private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<OndrelWidget> m_panel;
};

void TestOndrelWidget::init()
{
    m_platform = std::make_unique<FakePlatform>();
    m_panel = std::make_unique<OndrelWidget>(m_platform->services);
}

void TestOndrelWidget::cleanup()
{
    m_panel.reset();
    m_platform.reset();
}

void TestOndrelWidget::glyphLabelsFillTheGridRowByRow_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    QTest::newRow("first") << 0 << 0 << 0;
    QTest::newRow("end of the first row") << 27 << 0 << 27;
    QTest::newRow("start of the second row") << 28 << 1 << 0;
    QTest::newRow("last glyph label") << 194 << 6 << 26;
}

void TestOndrelWidget::glyphLabelsFillTheGridRowByRow()
{
    QFETCH(int, index);
    QFETCH(int, row);
    QFETCH(int, column);

    QCOMPARE(m_panel->glyphLabels().size(), 195);
    QLayoutItem *item = m_panel->gridLayout()->itemAtPosition(row, column);
    QVERIFY(item);
    QCOMPARE(item->widget(), m_panel->glyphLabels().at(index));
}

void TestOndrelWidget::backspaceLabelTakesTheLastCell()
{
    QLayoutItem *item = m_panel->gridLayout()->itemAtPosition(6, 27);
    QVERIFY(item);
    QCOMPARE(item->widget(), m_panel->backspaceLabel());
    QVERIFY(!m_panel->glyphLabels().contains(m_panel->backspaceLabel()));
    QCOMPARE(m_panel->gridLayout()->count(), 196);
    QCOMPARE(m_panel->backspaceLabel()->text(),
             QStringLiteral("<center><a href=\"link\"style=\"text-decoration: none; color: "
                            "black;\">back<br>space</a></center>"));
    QVERIFY(!m_panel->backspaceLabel()->openExternalLinks());
}

void TestOndrelWidget::windowStaysOnTopWithATitleBar()
{
    const Qt::WindowFlags flags = m_panel->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(m_panel->isWindow());
    QVERIFY(m_panel->isHidden());
}

void TestOndrelWidget::glyphFontShrinksWithTheLabel_data()
{
    QTest::addColumn<int>("labelSize");
    QTest::addColumn<int>("pixelSize");

    QTest::newRow("20") << 20 << 12;
    QTest::newRow("24") << 24 << 16;
    QTest::newRow("25") << 25 << 15;
    QTest::newRow("33") << 33 << 21;
    QTest::newRow("50") << 50 << 30;
}

void TestOndrelWidget::glyphFontShrinksWithTheLabel()
{
    QFETCH(int, labelSize);
    QFETCH(int, pixelSize);

    m_panel->setLabelSize(labelSize);
    for (const QLabel *label : m_panel->glyphLabels())
        QCOMPARE(label->font().pixelSize(), pixelSize);
}

void TestOndrelWidget::backspaceFontFitsTwoLines_data()
{
    QTest::addColumn<int>("labelSize");
    QTest::addColumn<int>("pixelSize");

    QTest::newRow("20") << 20 << 5;
    QTest::newRow("24") << 24 << 6;
    QTest::newRow("35") << 35 << 10;
    QTest::newRow("50") << 50 << 14;
}

void TestOndrelWidget::backspaceFontFitsTwoLines()
{
    QFETCH(int, labelSize);
    QFETCH(int, pixelSize);

    m_panel->setLabelSize(labelSize);
    QCOMPARE(m_panel->backspaceLabel()->font().pixelSize(), pixelSize);
}

void TestOndrelWidget::everyLabelTakesTheLabelSize()
{
    m_panel->setLabelSize(31);
    QCOMPARE(m_panel->labelSize(), 31);
    for (const QLabel *label : m_panel->glyphLabels()) {
        QCOMPARE(label->minimumSize(), QSize(31, 31));
        QCOMPARE(label->maximumSize(), QSize(31, 31));
    }
    QCOMPARE(m_panel->backspaceLabel()->minimumSize(), QSize(31, 31));
    QCOMPARE(m_panel->backspaceLabel()->maximumSize(), QSize(31, 31));
}

void TestOndrelWidget::fitToGridResizesToTheGridExtent_data()
{
    QTest::addColumn<int>("labelSize");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("30, no spacing") << 30 << 0 << QSize(840, 210);
    QTest::newRow("30, spacing 5") << 30 << 5 << QSize(975, 240);
    QTest::newRow("20, spacing 50") << 20 << 50 << QSize(1910, 440);
}

void TestOndrelWidget::fitToGridResizesToTheGridExtent()
{
    QFETCH(int, labelSize);
    QFETCH(int, spacing);
    QFETCH(QSize, expected);

    m_panel->setLabelSize(labelSize);
    m_panel->setLabelSpacing(spacing);
    QCOMPARE(m_panel->labelSpacing(), spacing);
    m_panel->fitToGrid();
    QCOMPARE(m_panel->size(), expected);
}

void TestOndrelWidget::windowHugsTheGridAfterASpacingChange()
{
    m_panel->setLabelSize(24);
    m_panel->setLabelSpacing(0);
    m_panel->fitToGrid();
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));

    // The settings dialog changes size and spacing without calling fitToGrid.
    m_panel->setLabelSpacing(4);
    m_panel->setLabelSize(30);
    QTRY_COMPARE(m_panel->size(), panelgeometry::gridExtent(30, 4));

    m_panel->setLabelSize(20);
    QTRY_COMPARE(m_panel->size(), panelgeometry::gridExtent(20, 4));
}

void TestOndrelWidget::windowCannotBeResizedByItsFrame()
{
    m_panel->setLabelSize(22);
    m_panel->setLabelSpacing(0);
    m_panel->fitToGrid();
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
    QTRY_COMPARE(m_panel->minimumSize(), panelgeometry::gridExtent(22, 0));
    QCOMPARE(m_panel->maximumSize(), m_panel->minimumSize());
}

void TestOndrelWidget::maxLabelSizeFollowsThePrimaryScreen()
{
    const QSize desktop = QGuiApplication::primaryScreen()->virtualGeometry().size();
    QCOMPARE(m_panel->maxLabelSize(), panelgeometry::maxLabelSize(desktop, 0));
    QCOMPARE(m_panel->minLabelSize(), 20);
    QCOMPARE(m_panel->minSpacing(), 0);
    QCOMPARE(m_panel->maxSpacing(), 50);
}

void TestOndrelWidget::sizeOutsideTheBoundsIsAppliedUnchanged()
{
    // A size stored on a larger screen stays until the user picks another.
    const int large = m_panel->maxLabelSize() + 40;
    m_panel->setLabelSize(large);
    QCOMPARE(m_panel->labelSize(), large);
    m_panel->setLabelSize(8);
    QCOMPARE(m_panel->labelSize(), 8);
    QCOMPARE(m_panel->glyphLabels().first()->width(), 8);
}

void TestOndrelWidget::backgroundColorIsInvalidUntilSet()
{
    QVERIFY(!m_panel->backgroundColor().isValid());
}

void TestOndrelWidget::backgroundColorPaintsTheBackgroundRole()
{
    const QColor color(12, 200, 99);
    m_panel->setBackgroundColor(color);
    QCOMPARE(m_panel->backgroundColor(), color);
    const QPalette palette = m_panel->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        QCOMPARE(palette.brush(group, m_panel->backgroundRole()).color(), color);
        QCOMPARE(palette.brush(group, m_panel->backgroundRole()).style(), Qt::SolidPattern);
    }
}

void TestOndrelWidget::newPanelIsNonActivating()
{
    QVERIFY(m_panel->isNoActivate());
    QVERIFY(m_platform->windowActivation->isNoActivate(m_panel->winId()));
}

void TestOndrelWidget::noActivateFollowsEnableAndDisable()
{
    m_panel->disableNoActivate();
    QVERIFY(!m_panel->isNoActivate());
    QVERIFY(!m_platform->windowActivation->isNoActivate(m_panel->winId()));
    m_panel->enableNoActivate();
    QVERIFY(m_panel->isNoActivate());
    QVERIFY(m_platform->windowActivation->isNoActivate(m_panel->winId()));
}

QTEST_MAIN(TestOndrelWidget)
#include "tst_ondrelwidget.moc"
