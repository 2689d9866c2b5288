// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's labels and title for each OEM code page, and what clicking them gives.
#include "codepages/codepagecharacters.h"
#include "panel/ondrelwidget.h"
#include "platform/fake/fakeplatform.h"

#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using platform::fake::FakePlatform;

namespace {

QString labelText(const QString &code, const QString &glyph)
{
    return QStringLiteral("<center><a href=\"%1\" style=\"text-decoration: none; color: "
                          "black;\">%2</a></center>")
        .arg(code, glyph);
}

/// The link target and the character of a label, or nothing for an empty label.
struct Shown
{
    QString link;
    char32_t character = 0;
};

Shown shownBy(const QLabel *label)
{
    static const QRegularExpression pattern(
        QStringLiteral("^<center><a href=\"([^\"]*)\" style=\"text-decoration: none; "
                       "color: black;\">&#x([0-9A-F]+);</a></center>$"));
    const QRegularExpressionMatch match = pattern.match(label->text());
    if (!match.hasMatch())
        return {};
    return {match.captured(1), char32_t(match.captured(2).toUInt(nullptr, 16))};
}

} // namespace

class TestCodePageLabels : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void titleAndLabelsFollowTheCodePage_data();
    void titleAndLabelsFollowTheCodePage();
    void clicksDeliverTheDigits_data();
    void clicksDeliverTheDigits();

    void commonLabelsComeFirst();
    void turkishPageSkipsItsGaps();
    void tablesAreReleasedButKeepTheirLength_data();
    void tablesAreReleasedButKeepTheirLength();
    void otherTablesBuildOnceOnRequest();

private:
    OndrelWidget &createPanel(unsigned codePage);
    void showPanel();

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<OndrelWidget> m_panel;
};

OndrelWidget &TestCodePageLabels::createPanel(unsigned codePage)
{
    m_platform = std::make_unique<FakePlatform>();
    m_platform->codePage->codePage = codePage;
    m_panel = std::make_unique<OndrelWidget>(m_platform->services);
    return *m_panel;
}

void TestCodePageLabels::showPanel()
{
    m_panel->setBackgroundColor(QColor(229, 230, 230));
    m_panel->setLabelSize(30);
    m_panel->setLabelSpacing(0);
    m_panel->fitToGrid();
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
}

void TestCodePageLabels::cleanup()
{
    m_panel.reset();
    m_platform.reset();
}

// One row per code page the panel knows, and two it does not.
static void addCodePageRows()
{
    QTest::addColumn<unsigned>("codePage");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("glyph128");
    QTest::addColumn<int>("lastLabel");

    QTest::newRow("437") << 437u << "Ondrel [1-255, Code Page 437 LatinUS]"
                         << "&#xC7;" << 189;
    QTest::newRow("850") << 850u << "Ondrel [1-255, Code Page 850 Latin1 Western European]"
                         << "&#xC7;" << 187;
    QTest::newRow("852") << 852u << "Ondrel [1-255, Code Page 852 Latin2 Central European]"
                         << "&#xC7;" << 188;
    QTest::newRow("855") << 855u << "Ondrel [1-255, Code Page 855 Cyrillic]"
                         << "&#x452;" << 188;
    QTest::newRow("857") << 857u << "Ondrel [1-255, Code Page 857 Turkish]"
                         << "&#xC7;" << 185;
    QTest::newRow("860") << 860u << "Ondrel [1-255, Code Page 860 Portuguese]"
                         << "&#xC7;" << 189;
    QTest::newRow("862") << 862u << "Ondrel [1-255, Code Page 862 Hebrew]"
                         << "&#x5D0;" << 189;
    QTest::newRow("863") << 863u << "Ondrel [1-255, Code Page 863 French Canadian]"
                         << "&#xC7;" << 188;
    QTest::newRow("865") << 865u << "Ondrel [1-255, Code Page 865 Nordic]"
                         << "&#xC7;" << 189;
    QTest::newRow("866") << 866u << "Ondrel [1-255, Code Page 866 Cyrillic]"
                         << "&#x410;" << 189;
    QTest::newRow("858 unlisted") << 858u << "Ondrel [1-255, Code Page 437 LatinUS]"
                                  << "&#xC7;" << 189;
    QTest::newRow("737 unlisted") << 737u << "Ondrel [1-255, Code Page 437 LatinUS]"
                                  << "&#xC7;" << 189;
}

void TestCodePageLabels::titleAndLabelsFollowTheCodePage_data()
{
    addCodePageRows();
}

void TestCodePageLabels::titleAndLabelsFollowTheCodePage()
{
    QFETCH(unsigned, codePage);
    QFETCH(QString, title);
    QFETCH(QString, glyph128);
    QFETCH(int, lastLabel);

    OndrelWidget &panel = createPanel(codePage);
    const QList<QLabel *> &labels = panel.glyphLabels();
    QCOMPARE(panel.windowTitle(), title);
    QCOMPARE(labels.at(63)->text(), labelText("128", glyph128));
    QCOMPARE(labels.at(lastLabel)->text(), labelText("254", "&#x25A0;"));
    for (int i = lastLabel + 1; i < labels.size(); ++i)
        QVERIFY2(labels.at(i)->text().isEmpty(), qPrintable(QString::number(i)));

    // Every filled label links to its code's bare digits, in ascending order, and
    // shows the character that the code gives on this code page.
    int previous = 0;
    for (int i = 0; i <= lastLabel; ++i) {
        const Shown shown = shownBy(labels.at(i));
        QVERIFY2(!shown.link.isEmpty(), qPrintable(labels.at(i)->text()));
        QVERIFY2(!shown.link.startsWith(u'0'), qPrintable(shown.link));
        bool ok = false;
        const int code = shown.link.toInt(&ok);
        QVERIFY(ok);
        QCOMPARE(shown.link, QString::number(code));
        QVERIFY(code > previous);
        previous = code;
        QCOMPARE(uint(shown.character), uint(codepages::panelCharacter(codePage, uint(code))));
    }
}

void TestCodePageLabels::clicksDeliverTheDigits_data()
{
    addCodePageRows();
}

void TestCodePageLabels::clicksDeliverTheDigits()
{
    QFETCH(unsigned, codePage);
    QFETCH(int, lastLabel);

    OndrelWidget &panel = createPanel(codePage);
    showPanel();
    const QList<QLabel *> &labels = panel.glyphLabels();

    const auto clickDelivers = [](QLabel *label) {
        QSignalSpy spy(label, &QLabel::linkActivated);
        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        return spy.isEmpty() ? QString() : spy.takeFirst().at(0).toString();
    };

    // Codes 23 and 32 have no label, so label 30 is the exclamation mark.
    QCOMPARE(clickDelivers(labels.at(30)), QStringLiteral("33"));
    QCOMPARE(clickDelivers(labels.at(0)), QStringLiteral("1"));
    QCOMPARE(clickDelivers(labels.at(63)), QStringLiteral("128"));
    QCOMPARE(clickDelivers(labels.at(lastLabel)), QStringLiteral("254"));
    for (int i = lastLabel + 1; i < labels.size(); ++i)
        QCOMPARE(clickDelivers(labels.at(i)), QString());
}

void TestCodePageLabels::commonLabelsComeFirst()
{
    const QList<QLabel *> &labels = createPanel(437).glyphLabels();
    QCOMPARE(labels.at(0)->text(),
             QStringLiteral("<center><a href=\"1\" style=\"text-decoration: none; color: "
                            "black;\">&#x263A;</a></center>"));
    QCOMPARE(labels.at(21)->text(), labelText("22", "&#x25AC;"));
    QCOMPARE(labels.at(22)->text(), labelText("24", "&#x2191;"));
    QCOMPARE(labels.at(30)->text(), labelText("33", "&#x21;"));
    QCOMPARE(labels.at(62)->text(), labelText("127", "&#x2302;"));
}

void TestCodePageLabels::turkishPageSkipsItsGaps()
{
    const QList<QLabel *> &labels = createPanel(857).glyphLabels();
    const auto labelOf = [&labels](const QString &code) {
        for (int i = 0; i < labels.size(); ++i) {
            if (shownBy(labels.at(i)).link == code)
                return i;
        }
        return -1;
    };
    const int at212 = labelOf("212");
    QVERIFY(at212 > 63);
    QCOMPARE(shownBy(labels.at(at212 + 1)).link, QStringLiteral("214"));
    QCOMPARE(shownBy(labels.at(labelOf("230") + 1)).link, QStringLiteral("232"));
    const int at239 = labelOf("239");
    QCOMPARE(shownBy(labels.at(at239 + 1)).link, QStringLiteral("241"));
    QCOMPARE(shownBy(labels.at(at239 + 2)).link, QStringLiteral("243"));
    QCOMPARE(labelOf("254"), 185);
}

void TestCodePageLabels::tablesAreReleasedButKeepTheirLength_data()
{
    QTest::addColumn<unsigned>("codePage");
    QTest::addColumn<int>("entries");

    QTest::newRow("437") << 437u << 127;
    QTest::newRow("850") << 850u << 125;
    QTest::newRow("857") << 857u << 123;
    QTest::newRow("866") << 866u << 127;
}

void TestCodePageLabels::tablesAreReleasedButKeepTheirLength()
{
    QFETCH(unsigned, codePage);
    QFETCH(int, entries);

    OndrelWidget &panel = createPanel(codePage);
    QCOMPARE(panel.commonTable().length(), 63);
    QVERIFY(panel.commonTable().isReleased());
    QCOMPARE(panel.codePageTable(codePage).length(), entries);
    QVERIFY(panel.codePageTable(codePage).isReleased());

    // A released table is still built: asking again brings nothing back.
    panel.buildCommonTable();
    QCOMPARE(panel.commonTable().length(), 63);
    QVERIFY(panel.commonTable().isReleased());

    // Only the common table and the code page's own were ever built.
    for (unsigned other : {437u, 850u, 852u, 855u, 857u, 860u, 862u, 863u, 865u, 866u}) {
        if (other != codePage)
            QCOMPARE(panel.codePageTable(other).length(), 0);
    }
}

void TestCodePageLabels::otherTablesBuildOnceOnRequest()
{
    OndrelWidget &panel = createPanel(437);
    panel.buildTable850();
    QCOMPARE(panel.codePageTable(850).length(), 125);
    QVERIFY(!panel.codePageTable(850).isReleased());
    panel.buildTable850();
    QCOMPARE(panel.codePageTable(850).length(), 125);
    QCOMPARE(panel.codePageTable(850).entries().size(), std::size_t(125));

    panel.buildTable437();
    QCOMPARE(panel.codePageTable(437).length(), 127);
    QVERIFY(panel.codePageTable(437).isReleased());
}

QTEST_MAIN(TestCodePageLabels)
#include "tst_codepagelabels.moc"
