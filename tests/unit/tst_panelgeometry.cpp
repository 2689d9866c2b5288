// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/panelgeometry.h"

#include <QTest>

class TestPanelGeometry : public QObject
{
    Q_OBJECT

private slots:
    void maxLabelSize_data();
    void maxLabelSize();
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

QTEST_GUILESS_MAIN(TestPanelGeometry)
#include "tst_panelgeometry.moc"
