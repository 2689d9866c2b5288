// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows panel's focus hand-over, against a recording stand-in for the system.
#include "platform/qtwin/panelfocus.h"
#include "platform/win32/focushandover.h"

#include <QTest>
#include <QWidget>

#include <cstring>
#include <map>
#include <vector>

using platform::NativeWindow;
using platform::win32::FocusHandOver;
using platform::win32::FrameEvent;
using platform::win32::WindowActivation;
using Windows = std::vector<NativeWindow>;

Q_DECLARE_METATYPE(Windows)

namespace {

constexpr NativeWindow editorWindow = 0x700;
constexpr NativeWindow otherWindow = 0x900;

/// Records what it is asked to do, and delivers frame messages of its own type.
class FakeWindowActivation : public WindowActivation
{
public:
    bool setNoActivate(NativeWindow window, bool enabled) override
    {
        noActivate[window] = enabled;
        return true;
    }
    NativeWindow foregroundWindow() const override { return foreground; }
    bool setForegroundWindow(NativeWindow window) override
    {
        foregroundRequests.push_back(window);
        foreground = window;
        return true;
    }
    bool isLeftButtonDown() const override
    {
        ++leftButtonReads;
        return leftButtonDown;
    }
    FrameEvent frameEvent(NativeWindow window, const char *eventType, void *message) override
    {
        if (std::strcmp(eventType, EventType) != 0)
            return FrameEvent::None;
        const auto *fakeMessage = static_cast<const Message *>(message);
        return fakeMessage->window == window ? fakeMessage->event : FrameEvent::None;
    }

    static constexpr const char *EventType = "fake_frame_message";
    struct Message
    {
        NativeWindow window;
        FrameEvent event;
    };

    std::map<NativeWindow, bool> noActivate;
    NativeWindow foreground = editorWindow;
    Windows foregroundRequests;
    bool leftButtonDown = false;
    mutable int leftButtonReads = 0;
};

bool deliver(platform::qtwin::PanelFocus &focus, NativeWindow window, FrameEvent event,
             const char *eventType = FakeWindowActivation::EventType)
{
    FakeWindowActivation::Message message{window, event};
    qintptr result = 0;
    return focus.nativeEventFilter(eventType, &message, &result);
}

} // namespace

class TestPanelFocus : public QObject
{
    Q_OBJECT

private slots:
    void handOver_data();
    void handOver();
    void panelFollowsItsShowsAndFrameMessages();
};

void TestPanelFocus::handOver_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<Windows>("foregroundRequests");
    QTest::addColumn<bool>("noActivate");
    constexpr NativeWindow panel = 0x500;

    QTest::newRow("a frame press remembers the editor and activates the panel")
        << "press" << Windows{panel} << false;
    QTest::newRow("leaving with the button up hands the foreground back")
        << "press foreground:panel leave" << Windows{panel, editorWindow} << true;
    QTest::newRow("leaving with the button held keeps the panel activatable")
        << "press foreground:panel leave-held" << Windows{panel} << false;
    QTest::newRow("the next leave with the button up finishes the hand-over")
        << "press leave-held leave" << Windows{panel, editorWindow} << true;
    QTest::newRow("leaves while non-activating do nothing")
        << "leave leave-held" << Windows{} << true;
    QTest::newRow("a press with the panel in front keeps the window it hands back to")
        << "press leave foreground:panel press leave"
        << Windows{panel, editorWindow, panel, editorWindow} << true;
    QTest::newRow("a press while activatable does nothing")
        << "press foreground:other press" << Windows{panel} << false;
    QTest::newRow("a second drag remembers the window in front then")
        << "press leave foreground:other press leave"
        << Windows{panel, editorWindow, panel, otherWindow} << true;
    QTest::newRow("a hand-back with nothing remembered still restores the style")
        << "disable leave" << Windows{0} << true;
    QTest::newRow("hidden during a drag and shown again")
        << "press disable enable foreground:other press leave" << Windows{panel, panel, otherWindow}
        << true;
}

void TestPanelFocus::handOver()
{
    QFETCH(QString, steps);
    QFETCH(Windows, foregroundRequests);
    QFETCH(bool, noActivate);
    constexpr NativeWindow panel = 0x500;
    FakeWindowActivation activation;
    FocusHandOver handOver(
        activation, [] { return panel; }, [](const std::string &) {});
    handOver.enableNoActivate();

    int leaves = 0;
    for (const QString &step : steps.split(' ')) {
        activation.leftButtonDown = step == "leave-held";
        if (step == "press")
            handOver.handle(FrameEvent::ButtonPressed);
        else if (step.startsWith("leave"))
            ++leaves, handOver.handle(FrameEvent::PointerLeft);
        else if (step == "disable")
            handOver.disableNoActivate();
        else if (step == "enable")
            handOver.enableNoActivate();
        else if (step.startsWith("foreground:"))
            activation.foreground = step.endsWith("panel") ? panel : otherWindow;
    }
    QCOMPARE(activation.foregroundRequests, foregroundRequests);
    QCOMPARE(handOver.isNoActivate(), noActivate);
    QCOMPARE(activation.noActivate[panel], noActivate);
    // Windows keeps a "pressed since the last read" mark for whoever reads the
    // button, so every leave reads it.
    QCOMPARE(activation.leftButtonReads, leaves);
}

void TestPanelFocus::panelFollowsItsShowsAndFrameMessages()
{
    FakeWindowActivation activation;
    QWidget panel;
    platform::qtwin::PanelFocus focus(panel, activation);
    const NativeWindow window = panel.winId();
    QVERIFY(activation.noActivate[window]); // before the very first show

    // Every show makes it non-activating first, whatever shows it.
    for (int round = 0; round < 2; ++round) {
        panel.show();
        QVERIFY(activation.noActivate[window]);
        panel.hide();
        QVERIFY(!activation.noActivate[window]);
    }
    panel.show();

    // Messages of another type, of another window, or of no frame event are passed on
    // and change nothing.
    QVERIFY(!deliver(focus, window, FrameEvent::None));
    QVERIFY(!deliver(focus, window, FrameEvent::ButtonPressed, "xcb_generic_event_t"));
    QVERIFY(!deliver(focus, otherWindow, FrameEvent::ButtonPressed));
    QVERIFY(activation.foregroundRequests.empty());

    // The frame's own messages drive the hand-over, and are never consumed: the
    // system's own frame handling must follow.
    QVERIFY(!deliver(focus, window, FrameEvent::ButtonPressed));
    QVERIFY(!activation.noActivate[window]);
    QCOMPARE(activation.foreground, window);
    QVERIFY(!deliver(focus, window, FrameEvent::PointerLeft));
    QVERIFY(activation.noActivate[window]);
    QCOMPARE(activation.foreground, editorWindow);
}

QTEST_MAIN(TestPanelFocus)
#include "tst_panelfocus.moc"
