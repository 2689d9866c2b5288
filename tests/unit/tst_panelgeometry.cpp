// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/panelgeometry.h"

#include <QTest>

class TestPanelGeometry : public QObject
{
    Q_OBJECT

private slots:
    void maxLabelSize_data();
    void maxLabelSize();
    void cellAt_data();
    void cellAt();
};

void TestPanelGeometry::maxLabelSize_data()
{
    QTest::addColumn<QSize>("desktop");
    QTest::addColumn<int>("frameExtra");
    QTest::addColumn<int>("expected");

    QTest::newRow("1920x1080, limited by width") << QSize(1920, 1080) << 0 << 68;
    QTest::newRow("1280x1024, limited by width") << QSize(1280, 1024) << 0 << 45;
    QTest::newRow("1024x768, limited by width") << QSize(1024, 768) << 0 << 36;
    QTest::newRow("wide and low, limited by height") << QSize(3840, 400) << 0 << 50;
    QTest::newRow("frame taken off the width") << QSize(1920, 1080) << 16 << 68;
    QTest::newRow("frame tips the division") << QSize(1904, 1080) << 1 << 67;
    // Tiny desktops give a maximum below the slider's minimum; it is kept as computed.
    QTest::newRow("narrower than 560") << QSize(500, 1000) << 0 << 17;
    QTest::newRow("lower than 160") << QSize(1000, 120) << 0 << 15;
}

void TestPanelGeometry::maxLabelSize()
{
    QFETCH(QSize, desktop);
    QFETCH(int, frameExtra);
    QFETCH(int, expected);
    QCOMPARE(panelgeometry::maxLabelSize(desktop, frameExtra), expected);
}

void TestPanelGeometry::cellAt_data()
{
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("cell");

    // Cells of 30 pixels: with spacing 5 they start every 35 pixels.
    QTest::newRow("top-left corner") << 0 << QPoint(0, 0) << 0;
    QTest::newRow("last pixel of the first cell") << 0 << QPoint(29, 29) << 0;
    QTest::newRow("first pixel of the second cell") << 0 << QPoint(30, 0) << 1;
    QTest::newRow("first cell of the second row") << 0 << QPoint(0, 30) << 28;
    QTest::newRow("top-right corner") << 0 << QPoint(839, 0) << 27;
    QTest::newRow("bottom-left corner") << 0 << QPoint(0, 209) << 168;
    QTest::newRow("bottom-right corner, Backspace") << 0 << QPoint(839, 209) << 195;
    QTest::newRow("right of the grid") << 0 << QPoint(840, 10) << -1;
    QTest::newRow("below the grid") << 0 << QPoint(10, 210) << -1;
    QTest::newRow("left of the grid") << 0 << QPoint(-1, 10) << -1;
    QTest::newRow("spaced, inside the first cell") << 5 << QPoint(29, 29) << 0;
    QTest::newRow("spaced, gap to the right") << 5 << QPoint(30, 10) << -1;
    QTest::newRow("spaced, last pixel of a gap") << 5 << QPoint(34, 10) << -1;
    QTest::newRow("spaced, gap below") << 5 << QPoint(10, 34) << -1;
    QTest::newRow("spaced, where gaps cross") << 5 << QPoint(32, 32) << -1;
    QTest::newRow("spaced, second cell") << 5 << QPoint(35, 0) << 1;
    QTest::newRow("spaced, bottom-right corner") << 5 << QPoint(974, 239) << 195;
    QTest::newRow("spaced, right of the grid") << 5 << QPoint(975, 239) << -1;
}

void TestPanelGeometry::cellAt()
{
    QFETCH(int, spacing);
    QFETCH(QPoint, point);
    QFETCH(int, cell);
    QCOMPARE(panelgeometry::cellAt(point, 30, spacing), cell);
    if (cell >= 0)
        QVERIFY(panelgeometry::cellRect(cell, 30, spacing).contains(point));
}

QTEST_GUILESS_MAIN(TestPanelGeometry)
#include "tst_panelgeometry.moc"
