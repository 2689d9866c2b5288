// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/focushandover.h"
#include "app/panelfocus.h"
#include "support/fakeplatform.h"

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

/// Hands a native message to the panel's focus keeper as the windowing system would.
bool deliver(PanelFocus &focus, NativeWindow window, FrameEvent event,
             const char *eventType = FakeWindowActivation::EventType)
{
    FakeWindowActivation::Message message{window, event};
    qintptr result = 0;
    return focus.nativeEventFilter(eventType, &message, &result);
}

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
    void leaveWithTheButtonUpHandsTheForegroundBack();
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
    for (bool down : {false, true}) {
        m_activation->leftButtonDown = down;
        const int readsBefore = m_activation->leftButtonReads;
        m_handOver->handle(FrameEvent::PointerLeft);
        QCOMPARE(m_activation->leftButtonReads, readsBefore + 1);
        QVERIFY(m_handOver->isNoActivate());
        QVERIFY(m_activation->foregroundRequests.empty());
        QCOMPARE(m_handOver->previousForeground(), NativeWindow(0));
    }
}

void TestFocusHandOver::leaveWithTheButtonUpHandsTheForegroundBack()
{
    m_handOver->handle(FrameEvent::ButtonPressed);
    m_activation->foreground = panelWindow;
    m_activation->leftButtonDown = false;
    m_handOver->handle(FrameEvent::PointerLeft);

    QVERIFY(m_handOver->isNoActivate());
    QVERIFY(m_activation->isNoActivate(panelWindow));
    QCOMPARE(m_activation->foregroundRequests,
             (std::vector<NativeWindow>{panelWindow, editorWindow}));
    QCOMPARE(m_activation->foreground, editorWindow);
}

void TestFocusHandOver::leaveWithTheButtonHeldKeepsThePanelActivatable()
{
    m_handOver->handle(FrameEvent::ButtonPressed);
    m_activation->foreground = panelWindow;
    m_activation->leftButtonDown = true;
    m_handOver->handle(FrameEvent::PointerLeft);

    QVERIFY(!m_handOver->isNoActivate());
    QVERIFY(!m_activation->isNoActivate(panelWindow));
    QCOMPARE(m_activation->foregroundRequests, std::vector<NativeWindow>{panelWindow});

    // The next leave with the button up finishes the hand-over.
    m_activation->leftButtonDown = false;
    m_handOver->handle(FrameEvent::PointerLeft);
    QVERIFY(m_handOver->isNoActivate());
    QCOMPARE(m_activation->foreground, editorWindow);
}

void TestFocusHandOver::dragThenLeaveThenTypeIntoTheRememberedWindow()
{
    // The user works in the editor, drags the panel, and moves back to it: the
    // editor must be in front again, then a second drag remembers the new window.
    m_handOver->handle(FrameEvent::ButtonPressed);
    m_activation->leftButtonDown = true;
    m_handOver->handle(FrameEvent::PointerLeft);
    m_activation->leftButtonDown = false;
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
    FakeWindowActivation activation;
    QWidget panel;
    PanelFocus focus(panel, activation);
    const NativeWindow window = panel.winId();
    QVERIFY(activation.isNoActivate(window));
    activation.foreground = editorWindow;

    QVERIFY(!deliver(focus, window, FrameEvent::ButtonPressed));
    QVERIFY(!focus.handOver().isNoActivate());
    QVERIFY(!activation.isNoActivate(window));
    QCOMPARE(focus.handOver().previousForeground(), editorWindow);
    QCOMPARE(activation.foreground, window);

    QVERIFY(!deliver(focus, window, FrameEvent::PointerLeft));
    QVERIFY(focus.handOver().isNoActivate());
    QVERIFY(activation.isNoActivate(window));
    QCOMPARE(activation.foreground, editorWindow);
}

void TestFocusHandOver::panelPassesOtherMessagesOn()
{
    FakeWindowActivation activation;
    QWidget panel;
    PanelFocus focus(panel, activation);
    const NativeWindow window = panel.winId();
    activation.foreground = editorWindow;

    QVERIFY(!deliver(focus, window, FrameEvent::None));
    // A frame press under another event type, or for another window, is not the panel's.
    QVERIFY(!deliver(focus, window, FrameEvent::ButtonPressed, "xcb_generic_event_t"));
    QVERIFY(!deliver(focus, otherWindow, FrameEvent::ButtonPressed));
    QVERIFY(focus.handOver().isNoActivate());
    QVERIFY(activation.foregroundRequests.empty());
    QCOMPARE(focus.handOver().previousForeground(), NativeWindow(0));
}

QTEST_MAIN(TestFocusHandOver)
#include "tst_panelfocus.moc"
