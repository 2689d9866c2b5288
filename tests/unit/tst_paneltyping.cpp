// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/ondrelwidget.h"
#include "platform/fake/fakeplatform.h"

#include <QLabel>
#include <QTest>

#include <memory>
#include <vector>

using platform::fake::FakePlatform;
using platform::fake::KeyEvent;
namespace vk = platform::vk;

Q_DECLARE_METATYPE(std::vector<unsigned>)

class TestPanelTyping : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void glyphLinkTypesAltAndKeypadDigits_data();
    void glyphLinkTypesAltAndKeypadDigits();
    void everyGlyphLabelTypesItsLink();
    void linkThatIsNotACodeTypesNothing_data();
    void linkThatIsNotACodeTypesNothing();
    void backspaceLabelTypesBackspaceWhateverItsLink_data();
    void backspaceLabelTypesBackspaceWhateverItsLink();
    void clickOnAGlyphTypesItsCode();
    void clickOnAnEmptyLabelTypesNothing();
    void typingLeavesTheHandOverAlone();

private:
    /// What a press and release of each key, in turn, inside Alt, look like.
    std::vector<KeyEvent> altSequence(const std::vector<unsigned> &keypadKeys) const;

    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<OndrelWidget> m_panel;
};

void TestPanelTyping::init()
{
    m_platform = std::make_unique<FakePlatform>();
    m_panel = std::make_unique<OndrelWidget>(m_platform->services);
    m_panel->setLabelSize(30);
    m_panel->fitToGrid();
}

void TestPanelTyping::cleanup()
{
    m_panel.reset();
    m_platform.reset();
}

std::vector<KeyEvent> TestPanelTyping::altSequence(const std::vector<unsigned> &keypadKeys) const
{
    const auto &keyboard = *m_platform->keyboard;
    std::vector<KeyEvent> events{{vk::Menu, keyboard.scanCode(vk::Menu), 0}};
    for (unsigned key : keypadKeys) {
        events.push_back({key, keyboard.scanCode(key), 0});
        events.push_back({key, keyboard.scanCode(key), vk::KeyUpFlag});
    }
    events.push_back({vk::Menu, keyboard.scanCode(vk::Menu), vk::KeyUpFlag});
    return events;
}

void TestPanelTyping::glyphLinkTypesAltAndKeypadDigits_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<std::vector<unsigned>>("keypadKeys");

    QTest::newRow("1") << QStringLiteral("1") << std::vector<unsigned>{0x61};
    QTest::newRow("254") << QStringLiteral("254") << std::vector<unsigned>{0x62, 0x65, 0x64};
    QTest::newRow("130") << QStringLiteral("130") << std::vector<unsigned>{0x61, 0x63, 0x60};
    QTest::newRow("every digit") << QStringLiteral("9876543210")
                                 << std::vector<unsigned>{0x69, 0x68, 0x67, 0x66, 0x65,
                                                          0x64, 0x63, 0x62, 0x61, 0x60};
}

void TestPanelTyping::glyphLinkTypesAltAndKeypadDigits()
{
    QFETCH(QString, link);
    QFETCH(std::vector<unsigned>, keypadKeys);

    emit m_panel->glyphLabels().at(0)->linkActivated(link);

    const auto &events = m_platform->keyboard->events;
    QCOMPARE(events.size(), 2 + 2 * keypadKeys.size());
    QVERIFY(events == altSequence(keypadKeys));
    // The scan codes are the PC keyboard's, not zeros that a receiver would drop.
    QCOMPARE(events.front().scanCode, 0x38u);
    QVERIFY(events.at(1).scanCode != 0);
}

void TestPanelTyping::everyGlyphLabelTypesItsLink()
{
    // Every label is connected, not only the first.
    for (QLabel *label : m_panel->glyphLabels()) {
        m_platform->keyboard->events.clear();
        emit label->linkActivated(QStringLiteral("7"));
        QVERIFY(m_platform->keyboard->events == altSequence({0x67}));
    }
}

void TestPanelTyping::linkThatIsNotACodeTypesNothing_data()
{
    QTest::addColumn<QString>("link");

    QTest::newRow("empty") << QString();
    QTest::newRow("word") << QStringLiteral("link");
    QTest::newRow("digit then letter") << QStringLiteral("1a4");
    QTest::newRow("sign") << QStringLiteral("-5");
    QTest::newRow("blank") << QStringLiteral(" 65");
    QTest::newRow("Arabic-Indic digit") << QString(QChar(0x0661));
    QTest::newRow("fullwidth digit") << QString(QChar(0xFF11));
}

void TestPanelTyping::linkThatIsNotACodeTypesNothing()
{
    QFETCH(QString, link);

    // Not even Alt: an Alt press and release alone activates the menu bar of many
    // applications.
    emit m_panel->glyphLabels().at(5)->linkActivated(link);
    QVERIFY(m_platform->keyboard->events.empty());
}

void TestPanelTyping::backspaceLabelTypesBackspaceWhateverItsLink_data()
{
    QTest::addColumn<QString>("link");

    QTest::newRow("its own link") << QStringLiteral("link");
    QTest::newRow("empty") << QString();
    QTest::newRow("a code") << QStringLiteral("65");
}

void TestPanelTyping::backspaceLabelTypesBackspaceWhateverItsLink()
{
    QFETCH(QString, link);

    emit m_panel->backspaceLabel()->linkActivated(link);
    const unsigned scan = m_platform->keyboard->scanCode(vk::Back);
    const std::vector<KeyEvent> expected{{vk::Back, scan, 0}, {vk::Back, scan, vk::KeyUpFlag}};
    QVERIFY(m_platform->keyboard->events == expected);
    QCOMPARE(scan, 0x0Eu);
}

void TestPanelTyping::clickOnAGlyphTypesItsCode()
{
    QLabel *label = m_panel->glyphLabels().at(63);
    label->setText(QStringLiteral("<center><a href=\"130\" style=\"text-decoration: none; color: "
                                  "black;\">&#xE9;</a></center>"));
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));

    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    QVERIFY(m_platform->keyboard->events == altSequence({0x61, 0x63, 0x60}));
}

void TestPanelTyping::clickOnAnEmptyLabelTypesNothing()
{
    QLabel *label = m_panel->glyphLabels().at(194);
    QVERIFY(label->text().isEmpty());
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));

    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    QVERIFY(m_platform->keyboard->events.empty());
}

void TestPanelTyping::typingLeavesTheHandOverAlone()
{
    m_platform->windowActivation->foreground = 0x4242;
    emit m_panel->glyphLabels().at(0)->linkActivated(QStringLiteral("65"));
    emit m_panel->backspaceLabel()->linkActivated(QStringLiteral("link"));
    QVERIFY(m_panel->isNoActivate());
    QVERIFY(m_platform->windowActivation->foregroundRequests.empty());
    QCOMPARE(m_panel->previousForeground(), platform::NativeWindow(0));
}

QTEST_MAIN(TestPanelTyping)
#include "tst_paneltyping.moc"
