// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/focushandover.h"
#include "panel/ondrelwidget.h"
#include "platform/fake/fakeplatform.h"

#include <QTest>

#include <memory>

using platform::FrameEvent;
using platform::NativeWindow;
using platform::fake::FakePlatform;
using platform::fake::FakeWindowActivation;

namespace {

constexpr NativeWindow panelWindow = 0x500;
constexpr NativeWindow editorWindow = 0x700;
constexpr NativeWindow otherWindow = 0x900;

/// Lets a test hand native messages to the panel as the windowing system would.
class PanelProbe : public OndrelWidget
{
public:
    using OndrelWidget::OndrelWidget;

    bool deliver(FrameEvent event, const char *eventType = FakeWindowActivation::EventType)
    {
        FakeWindowActivation::Message message{event};
        qintptr result = 0;
        return nativeEvent(eventType, &message, &result);
    }
};

} // namespace

class TestFocusHandOver : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithNothingRemembered();
    void enableAndDisableSetTheStyle();
    void framePressRemembersTheForegroundAndActivates();
    void framePressWhilePanelIsForegroundKeepsTheRememberedWindow();
    void framePressWhileActivatableDoesNothing();
    void leaveWhileNonActivatingOnlyReadsTheButton();
    void leaveWithTheButtonUpHandsTheForegroundBack_data();
    void leaveWithTheButtonUpHandsTheForegroundBack();
    void leaveWithTheButtonHeldKeepsThePanelActivatable_data();
    void leaveWithTheButtonHeldKeepsThePanelActivatable();
    void dragThenLeaveThenTypeIntoTheRememberedWindow();
    void handBackWithNothingRememberedStillRestoresTheStyle();
    void reEnableAfterAnInterruptedHandOver();

    void panelFeedsTheHandOverFromItsNativeMessages();
    void panelPassesOtherMessagesOn();

private:
    std::unique_ptr<FakeWindowActivation> m_activation;
    std::unique_ptr<FocusHandOver> m_handOver;
};

void TestFocusHandOver::init()
{
    m_activation = std::make_unique<FakeWindowActivation>();
    m_handOver = std::make_unique<FocusHandOver>(*m_activation, [] { return panelWindow; });
    m_handOver->enableNoActivate();
    m_activation->foreground = editorWindow;
}

void TestFocusHandOver::cleanup()
{
    m_handOver.reset();
    m_activation.reset();
}

void TestFocusHandOver::startsWithNothingRemembered()
{
    QCOMPARE(m_handOver->previousForeground(), NativeWindow(0));
    QVERIFY(m_handOver->isNoActivate());
    QVERIFY(m_activation->isNoActivate(panelWindow));
}

void TestFocusHandOver::enableAndDisableSetTheStyle()
{
    m_handOver->disableNoActivate();
    QVERIFY(!m_handOver->isNoActivate());
    QVERIFY(!m_activation->isNoActivate(panelWindow));
    m_handOver->enableNoActivate();
    QVERIFY(m_handOver->isNoActivate());
    QVERIFY(m_activation->isNoActivate(panelWindow));
    QVERIFY(m_activation->foregroundRequests.empty());
}

void TestFocusHandOver::framePressRemembersTheForegroundAndActivates()
{
    m_handOver->handle(FrameEvent::ButtonPressed);

    QCOMPARE(m_handOver->previousForeground(), editorWindow);
    QVERIFY(!m_handOver->isNoActivate());
    QVERIFY(!m_activation->isNoActivate(panelWindow));
    QCOMPARE(m_activation->foregroundRequests, std::vector<NativeWindow>{panelWindow});
}

void TestFocusHandOver::framePressWhilePanelIsForegroundKeepsTheRememberedWindow()
{
    m_handOver->handle(FrameEvent::ButtonPressed);
    m_handOver->handle(FrameEvent::PointerLeft); // hands back to the editor
    m_activation->foreground = panelWindow;      // but the system left the panel in front
    m_activation->foregroundRequests.clear();

    m_handOver->handle(FrameEvent::ButtonPressed);
    QCOMPARE(m_handOver->previousForeground(), editorWindow);
    QVERIFY(!m_handOver->isNoActivate());
    QVERIFY(!m_activation->isNoActivate(panelWindow));
    QCOMPARE(m_activation->foregroundRequests, std::vector<NativeWindow>{panelWindow});
}

void TestFocusHandOver::framePressWhileActivatableDoesNothing()
{
    m_handOver->handle(FrameEvent::ButtonPressed);
    m_activation->foreground = otherWindow;
    m_activation->foregroundRequests.clear();

    m_handOver->handle(FrameEvent::ButtonPressed);
    QCOMPARE(m_handOver->previousForeground(), editorWindow);
    QVERIFY(!m_handOver->isNoActivate());
    QVERIFY(m_activation->foregroundRequests.empty());
}

void TestFocusHandOver::leaveWhileNonActivatingOnlyReadsTheButton()
{
    for (short state : {short(0), short(1), short(-32768)}) {
        m_activation->leftButton = state;
        const int readsBefore = m_activation->leftButtonReads;
        m_handOver->handle(FrameEvent::PointerLeft);
        QCOMPARE(m_activation->leftButtonReads, readsBefore + 1);
        QVERIFY(m_handOver->isNoActivate());
        QVERIFY(m_activation->foregroundRequests.empty());
        QCOMPARE(m_handOver->previousForeground(), NativeWindow(0));
    }
}

void TestFocusHandOver::leaveWithTheButtonUpHandsTheForegroundBack_data()
{
    QTest::addColumn<short>("buttonState");

    QTest::newRow("up") << short(0);
    QTest::newRow("up, pressed since the last read") << short(1);
}

void TestFocusHandOver::leaveWithTheButtonUpHandsTheForegroundBack()
{
    QFETCH(short, buttonState);

    m_handOver->handle(FrameEvent::ButtonPressed);
    m_activation->foreground = panelWindow;
    m_activation->leftButton = buttonState;
    m_handOver->handle(FrameEvent::PointerLeft);

    QVERIFY(m_handOver->isNoActivate());
    QVERIFY(m_activation->isNoActivate(panelWindow));
    QCOMPARE(m_activation->foregroundRequests,
             (std::vector<NativeWindow>{panelWindow, editorWindow}));
    QCOMPARE(m_activation->foreground, editorWindow);
}

void TestFocusHandOver::leaveWithTheButtonHeldKeepsThePanelActivatable_data()
{
    QTest::addColumn<short>("buttonState");

    // The high bit says the button is down; the low bit that it went down lately.
    QTest::newRow("held") << short(-32768);
    QTest::newRow("held, pressed since the last read") << short(-32767);
    QTest::newRow("any other value") << short(2);
}

void TestFocusHandOver::leaveWithTheButtonHeldKeepsThePanelActivatable()
{
    QFETCH(short, buttonState);

    m_handOver->handle(FrameEvent::ButtonPressed);
    m_activation->foreground = panelWindow;
    m_activation->leftButton = buttonState;
    m_handOver->handle(FrameEvent::PointerLeft);

    QVERIFY(!m_handOver->isNoActivate());
    QVERIFY(!m_activation->isNoActivate(panelWindow));
    QCOMPARE(m_activation->foregroundRequests, std::vector<NativeWindow>{panelWindow});

    // The next leave with the button up finishes the hand-over.
    m_activation->leftButton = 0;
    m_handOver->handle(FrameEvent::PointerLeft);
    QVERIFY(m_handOver->isNoActivate());
    QCOMPARE(m_activation->foreground, editorWindow);
}

void TestFocusHandOver::dragThenLeaveThenTypeIntoTheRememberedWindow()
{
    // The user works in the editor, drags the panel, and moves back to it: the
    // editor must be in front again, then a second drag remembers the new window.
    m_handOver->handle(FrameEvent::ButtonPressed);
    m_activation->leftButton = -32768;
    m_handOver->handle(FrameEvent::PointerLeft);
    m_activation->leftButton = 0;
    m_handOver->handle(FrameEvent::PointerLeft);
    QCOMPARE(m_activation->foreground, editorWindow);

    m_activation->foreground = otherWindow;
    m_handOver->handle(FrameEvent::ButtonPressed);
    QCOMPARE(m_handOver->previousForeground(), otherWindow);
    m_handOver->handle(FrameEvent::PointerLeft);
    QCOMPARE(m_activation->foreground, otherWindow);
}

void TestFocusHandOver::handBackWithNothingRememberedStillRestoresTheStyle()
{
    // Activatable through the manager, never pressed on the frame: there is no
    // window to hand back to, but the panel must stop taking the focus.
    m_handOver->disableNoActivate();
    m_handOver->handle(FrameEvent::PointerLeft);
    QVERIFY(m_handOver->isNoActivate());
    QVERIFY(m_activation->isNoActivate(panelWindow));
    QCOMPARE(m_activation->foregroundRequests, std::vector<NativeWindow>{0});
}

void TestFocusHandOver::reEnableAfterAnInterruptedHandOver()
{
    // Hidden by the manager while the drag was still going on, then shown again.
    m_handOver->handle(FrameEvent::ButtonPressed);
    m_handOver->disableNoActivate();
    m_handOver->enableNoActivate();
    QVERIFY(m_handOver->isNoActivate());
    QVERIFY(m_activation->isNoActivate(panelWindow));
    m_activation->foreground = otherWindow;
    m_handOver->handle(FrameEvent::ButtonPressed);
    QCOMPARE(m_handOver->previousForeground(), otherWindow);
}

void TestFocusHandOver::panelFeedsTheHandOverFromItsNativeMessages()
{
    FakePlatform platform;
    PanelProbe panel(platform.services);
    const NativeWindow window = panel.winId();
    platform.windowActivation->foreground = editorWindow;

    QVERIFY(!panel.deliver(FrameEvent::ButtonPressed));
    QVERIFY(!panel.isNoActivate());
    QVERIFY(!platform.windowActivation->isNoActivate(window));
    QCOMPARE(panel.previousForeground(), editorWindow);
    QCOMPARE(platform.windowActivation->foreground, window);

    QVERIFY(!panel.deliver(FrameEvent::PointerLeft));
    QVERIFY(panel.isNoActivate());
    QVERIFY(platform.windowActivation->isNoActivate(window));
    QCOMPARE(platform.windowActivation->foreground, editorWindow);
}

void TestFocusHandOver::panelPassesOtherMessagesOn()
{
    FakePlatform platform;
    PanelProbe panel(platform.services);
    platform.windowActivation->foreground = editorWindow;

    QVERIFY(!panel.deliver(FrameEvent::None));
    // A frame press under another event type is some other native message.
    QVERIFY(!panel.deliver(FrameEvent::ButtonPressed, "xcb_generic_event_t"));
    QVERIFY(panel.isNoActivate());
    QVERIFY(platform.windowActivation->foregroundRequests.empty());
    QCOMPARE(panel.previousForeground(), NativeWindow(0));
}

QTEST_MAIN(TestFocusHandOver)
#include "tst_focushandover.moc"
