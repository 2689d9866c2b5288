// SPDX-License-Identifier: GPL-3.0-or-later
// The built X11 hook library, driven the way the program drives it, with Xlib
// replaced by recorders defined below.

#include "hooklib/kestrine.h"

#include <QTest>

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <string>
#include <vector>

namespace {

struct SentMessage
{
    Window destination;
    Bool propagate;
    long eventMask;
    XClientMessageEvent event;
};

struct XlibRecorder
{
    bool serverReachable = true;
    int opened = 0;
    int closed = 0;
    int flushed = 0;
    std::string internedName;
    std::vector<SentMessage> sent;
};

XlibRecorder xlib;
char displayStorage[1]; // the library only passes the connection back to Xlib
constexpr Atom messageAtom = 4242;

} // namespace

// The Xlib calls the library makes. The test program exports them, and the dynamic
// loader looks in the program before the library's own dependencies.
extern "C" {

Display *XOpenDisplay(const char *)
{
    ++xlib.opened;
    return xlib.serverReachable ? reinterpret_cast<Display *>(displayStorage) : nullptr;
}

Atom XInternAtom(Display *, const char *name, Bool)
{
    xlib.internedName = name;
    return messageAtom;
}

Status XSendEvent(Display *, Window destination, Bool propagate, long eventMask, XEvent *event)
{
    xlib.sent.push_back({destination, propagate, eventMask, event->xclient});
    return 1;
}

int XFlush(Display *)
{
    ++xlib.flushed;
    return 1;
}

int XCloseDisplay(Display *)
{
    ++xlib.closed;
    return 0;
}

} // extern "C"

class TestKestrine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void reportsOnePressOfF2ToF12_data();
    void reportsOnePressOfF2ToF12();
    void messageGoesToTheRegisteredWindow();
    void onlyTheHookActionIsRead_data();
    void onlyTheHookActionIsRead();
    void nothingIsSentBeforeAWindowIsKnown();
    void connectionIsOpenedOnTheFirstReportAndClosedAtUnload();
    void unreachableServerIsTriedAgain();

private:
    std::intptr_t key(std::uintptr_t message, unsigned virtualKey, int code = kestrine::HcAction);
    QList<int> reportedKeys() const;

    void *m_library = nullptr;
    kestrine::SetAppHwndFunction m_setAppHwnd = nullptr;
    kestrine::KeyboardProcFunction m_keyboardProc = nullptr;
};

void TestKestrine::init()
{
    xlib = XlibRecorder();
    // Loaded afresh for each test, so that no key is still held from the last one.
    m_library = dlopen(KESTRINE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(m_library, dlerror());
    m_setAppHwnd =
        reinterpret_cast<kestrine::SetAppHwndFunction>(dlsym(m_library, kestrine::SetAppHwndName));
    m_keyboardProc = reinterpret_cast<kestrine::KeyboardProcFunction>(
        dlsym(m_library, kestrine::ElfKeyboardProcName));
    QVERIFY(m_setAppHwnd);
    QVERIFY(m_keyboardProc);
}

void TestKestrine::cleanup()
{
    if (m_library)
        dlclose(m_library);
    m_library = nullptr;
    QVERIFY2(!dlopen(KESTRINE_LIBRARY, RTLD_NOW | RTLD_NOLOAD), "the library stayed loaded");
}

std::intptr_t TestKestrine::key(std::uintptr_t message, unsigned virtualKey, int code)
{
    kestrine::KeyRecord record{};
    record.vkCode = virtualKey;
    record.flags =
        message == kestrine::WmKeyUp || message == kestrine::WmSysKeyUp ? kestrine::FlagUp : 0;
    return m_keyboardProc(code, message, reinterpret_cast<std::intptr_t>(&record));
}

QList<int> TestKestrine::reportedKeys() const
{
    QList<int> keys;
    for (const SentMessage &message : xlib.sent)
        keys.append(static_cast<int>(message.event.data.l[1]));
    return keys;
}

void TestKestrine::reportsOnePressOfF2ToF12_data()
{
    // Events: "+N" key down, "-N" key up, "^N" and "_N" their system-key forms (F10,
    // or any key with Alt held), "?N" any other message; N the virtual key.
    QTest::addColumn<QString>("events");
    QTest::addColumn<QList<int>>("reported");

    QTest::newRow("F8 press and release") << "+119 -119" << QList<int>{119};
    QTest::newRow("auto-repeat of a held key") << "+119 +119 +119 +119 -119" << QList<int>{119};
    QTest::newRow("two presses") << "+119 -119 +119 -119" << QList<int>{119, 119};
    QTest::newRow("F2 and F12 are reported") << "+113 -113 +123 -123" << QList<int>{113, 123};
    QTest::newRow("F1 and F13 are not") << "+112 -112 +124 -124" << QList<int>{};
    QTest::newRow("letters, Alt, Escape are not") << "+65 -65 +18 -18 +27 -27" << QList<int>{};
    QTest::newRow("F10 comes as a system key") << "^121 ^121 _121 ^121" << QList<int>{121, 121};
    QTest::newRow("overlapping keys are held apart")
        << "+119 +120 +119 -119 +120 +119 -120 +120" << QList<int>{119, 120, 119, 120};
    QTest::newRow("a release without a press") << "-119 +119" << QList<int>{119};
    QTest::newRow("other messages are no transition") << "?119 +119 ?119 +119" << QList<int>{119};
}

void TestKestrine::reportsOnePressOfF2ToF12()
{
    QFETCH(QString, events);
    QFETCH(QList<int>, reported);

    m_setAppHwnd(0x2a00007);
    for (const QString &event : events.split(QLatin1Char(' '))) {
        const unsigned virtualKey = event.mid(1).toUInt();
        std::uintptr_t message = 0x102; // WM_CHAR
        switch (event.at(0).toLatin1()) {
        case '+':
            message = kestrine::WmKeyDown;
            break;
        case '-':
            message = kestrine::WmKeyUp;
            break;
        case '^':
            message = kestrine::WmSysKeyDown;
            break;
        case '_':
            message = kestrine::WmSysKeyUp;
            break;
        default:
            break;
        }
        // Every key is passed on, reported or not.
        QCOMPARE(key(message, virtualKey), std::intptr_t(0));
    }

    QCOMPARE(reportedKeys(), reported);
}

void TestKestrine::messageGoesToTheRegisteredWindow()
{
    m_setAppHwnd(0x2a00007);
    key(kestrine::WmKeyDown, 119);

    QCOMPARE(xlib.sent.size(), std::size_t(1));
    const SentMessage &sent = xlib.sent.front();
    QCOMPARE(sent.destination, Window(0x2a00007));
    QCOMPARE(sent.propagate, False);
    QCOMPARE(sent.eventMask, NoEventMask); // to the client that created the window
    QCOMPARE(sent.event.type, ClientMessage);
    QCOMPARE(sent.event.window, Window(0x2a00007));
    QCOMPARE(xlib.internedName, std::string("_ONDREL_HOOK_MESSAGE"));
    QCOMPARE(sent.event.message_type, messageAtom);
    QCOMPARE(sent.event.format, 32);
    QCOMPARE(sent.event.data.l[0], 5556L);
    QCOMPARE(sent.event.data.l[1], 119L);
    QCOMPARE(sent.event.data.l[2], 0L);
    QVERIFY(xlib.flushed >= 1); // sent now, not when the buffer happens to fill
}

void TestKestrine::onlyTheHookActionIsRead_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("HC_NOREMOVE") << 3;
    QTest::newRow("negative: pass on untouched") << -1;
}

void TestKestrine::onlyTheHookActionIsRead()
{
    QFETCH(int, code);
    m_setAppHwnd(0x2a00007);
    QCOMPARE(key(kestrine::WmKeyDown, 119, code), std::intptr_t(0));
    QVERIFY(xlib.sent.empty());
    QCOMPARE(m_keyboardProc(kestrine::HcAction, kestrine::WmKeyDown, 0), std::intptr_t(0));
    QVERIFY(xlib.sent.empty());
    // Neither left F8 held.
    key(kestrine::WmKeyDown, 119);
    QCOMPARE(reportedKeys(), QList<int>{119});
}

void TestKestrine::nothingIsSentBeforeAWindowIsKnown()
{
    key(kestrine::WmKeyDown, 119);
    key(kestrine::WmKeyUp, 119);
    QVERIFY(xlib.sent.empty());
    QCOMPARE(xlib.opened, 0);

    m_setAppHwnd(0x2a00007);
    key(kestrine::WmKeyDown, 119);
    QCOMPARE(reportedKeys(), QList<int>{119});
}

void TestKestrine::connectionIsOpenedOnTheFirstReportAndClosedAtUnload()
{
    m_setAppHwnd(0x2a00007);
    key(kestrine::WmKeyDown, 65);
    QCOMPARE(xlib.opened, 0);
    key(kestrine::WmKeyDown, 119);
    key(kestrine::WmKeyUp, 119);
    key(kestrine::WmKeyDown, 119);
    QCOMPARE(xlib.sent.size(), std::size_t(2));
    QCOMPARE(xlib.opened, 1);
    QCOMPARE(xlib.closed, 0);

    dlclose(m_library);
    m_library = nullptr;
    QCOMPARE(xlib.closed, 1);
}

void TestKestrine::unreachableServerIsTriedAgain()
{
    xlib.serverReachable = false;
    m_setAppHwnd(0x2a00007);
    QCOMPARE(key(kestrine::WmKeyDown, 119), std::intptr_t(0));
    key(kestrine::WmKeyUp, 119);
    QVERIFY(xlib.sent.empty());

    xlib.serverReachable = true;
    key(kestrine::WmKeyDown, 119);
    QCOMPARE(reportedKeys(), QList<int>{119});
    QCOMPARE(xlib.opened, 2);
}

QTEST_APPLESS_MAIN(TestKestrine)
#include "tst_kestrine.moc"
