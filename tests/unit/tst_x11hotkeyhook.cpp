// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 side of the hook library link: where the library may come from, how it is
// loaded and released, and how its messages and the keys are read.

#include "platform/x11/hooklibrarypaths.h"
#include "platform/x11/hookmessage.h"
#include "platform/x11/x11hotkeyhook.h"
#include "support/testsettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <X11/keysym.h>
#include <dlfcn.h>
#include <unistd.h>
#include <xcb/xcb.h>

using platform::HotkeyHook;
using platform::x11::X11HotkeyHook;

Q_DECLARE_METATYPE(HotkeyHook::Outcome)

namespace {

std::vector<std::string> toStd(const QStringList &list)
{
    std::vector<std::string> result;
    for (const QString &item : list)
        result.push_back(item.toStdString());
    return result;
}

QString libraryIn(const QString &folder)
{
    return folder + QStringLiteral("/libKestrine.so");
}

bool isLoaded(const QString &path)
{
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle); // only the reference just taken
    return true;
}

} // namespace

class TestX11HotkeyHook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void candidates_data();
    void candidates();
    void virtualKeys_data();
    void virtualKeys();
    void clientMessages_data();
    void clientMessages();

    void setUpOutcome_data();
    void setUpOutcome();
    void libraryStaysLoadedUntilRemoved();
    void currentDirectoryIsNeverSearched();
    void onlyXcbEventsAreRead();

private:
    QString trace() const;

    QTemporaryDir m_markerDir;
    QString m_marker;
};

void TestX11HotkeyHook::initTestCase()
{
    // Without an X server the keys cannot be watched, which is the outcome a refused
    // hook has on Windows: the library loads, but no hook exists.
    qunsetenv("DISPLAY");
    QVERIFY(m_markerDir.isValid());
}

void TestX11HotkeyHook::init()
{
    m_marker = m_markerDir.filePath(QStringLiteral("trace-%1").arg(QTest::currentDataTag()));
    QFile::remove(m_marker);
    qputenv("ONDREL_STUB_MARKER", QFile::encodeName(m_marker));
}

QString TestX11HotkeyHook::trace() const
{
    QFile file(m_marker);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void TestX11HotkeyHook::candidates_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("own folder, then the installed one")
        << QStringList{"/opt/ondrel/bin", "/usr/lib/x86_64-linux-gnu/ondrel"}
        << QStringList{"/opt/ondrel/bin/libKestrine.so",
                       "/usr/lib/x86_64-linux-gnu/ondrel/libKestrine.so"};
    QTest::newRow("trailing slashes")
        << QStringList{"/opt/ondrel/bin//"} << QStringList{"/opt/ondrel/bin/libKestrine.so"};
    QTest::newRow("the root") << QStringList{"/"} << QStringList{"/libKestrine.so"};
    QTest::newRow("the same folder once") << QStringList{"/usr/lib/ondrel", "/usr/lib/ondrel/"}
                                          << QStringList{"/usr/lib/ondrel/libKestrine.so"};
    QTest::newRow("empty: no bare name")
        << QStringList{"", "/usr/lib/ondrel"} << QStringList{"/usr/lib/ondrel/libKestrine.so"};
    QTest::newRow("relative folders")
        << QStringList{".", "build", "./lib", "~/lib"} << QStringList{};
    QTest::newRow("nothing") << QStringList{} << QStringList{};
}

void TestX11HotkeyHook::candidates()
{
    QFETCH(QStringList, folders);
    QFETCH(QStringList, expected);
    QCOMPARE(platform::x11::hookLibraryCandidates(toStd(folders)), toStd(expected));
}

void TestX11HotkeyHook::virtualKeys_data()
{
    QTest::addColumn<qulonglong>("keysym");
    QTest::addColumn<int>("functionKey"); // 0: not passed to the library

    QTest::newRow("F1") << qulonglong(XK_F1) << 1;
    QTest::newRow("F2") << qulonglong(XK_F2) << 2;
    QTest::newRow("F8") << qulonglong(XK_F8) << 8;
    QTest::newRow("F12") << qulonglong(XK_F12) << 12;
    QTest::newRow("F24") << qulonglong(XK_F24) << 24;
    QTest::newRow("keypad F1") << qulonglong(XK_KP_F1) << 0;
    QTest::newRow("a") << qulonglong(XK_a) << 0;
    QTest::newRow("Escape") << qulonglong(XK_Escape) << 0;
    QTest::newRow("Menu") << qulonglong(XK_Menu) << 0;
    QTest::newRow("no symbol") << qulonglong(0) << 0;
}

void TestX11HotkeyHook::virtualKeys()
{
    QFETCH(qulonglong, keysym);
    QFETCH(int, functionKey);
    const unsigned virtualKey = platform::x11::virtualKeyForKeysym(keysym);
    QCOMPARE(virtualKey == 0 ? 0 : kestrine::functionKeyOfVirtualKey(virtualKey), functionKey);
}

void TestX11HotkeyHook::clientMessages_data()
{
    QTest::addColumn<int>("responseType");
    QTest::addColumn<int>("format");
    QTest::addColumn<unsigned>("type");
    QTest::addColumn<unsigned>("number");
    QTest::addColumn<bool>("decoded");

    constexpr unsigned atom = 321;
    QTest::newRow("the library's message")
        << int(XCB_CLIENT_MESSAGE) << 32 << atom << 5556u << true;
    QTest::newRow("sent by a client")
        << int(XCB_CLIENT_MESSAGE | 0x80) << 32 << atom << 5556u << true;
    QTest::newRow("another message type")
        << int(XCB_CLIENT_MESSAGE) << 32 << atom + 1 << 5556u << false;
    QTest::newRow("another message number")
        << int(XCB_CLIENT_MESSAGE) << 32 << atom << 5557u << false;
    QTest::newRow("format 8") << int(XCB_CLIENT_MESSAGE) << 8 << atom << 5556u << false;
    QTest::newRow("a key press") << int(XCB_KEY_PRESS) << 32 << atom << 5556u << false;
    QTest::newRow("no atom known") << int(XCB_CLIENT_MESSAGE) << 32 << 0u << 5556u << false;
}

void TestX11HotkeyHook::clientMessages()
{
    QFETCH(int, responseType);
    QFETCH(int, format);
    QFETCH(unsigned, type);
    QFETCH(unsigned, number);
    QFETCH(bool, decoded);

    xcb_client_message_event_t event{};
    event.response_type = static_cast<std::uint8_t>(responseType);
    event.format = static_cast<std::uint8_t>(format);
    event.type = type;
    event.data.data32[0] = number;
    event.data.data32[1] = kestrine::virtualKeyOfFunctionKey(8);
    int functionKey = 0;
    // Atom 0 stands for a session where the type could not be learned.
    QCOMPARE(platform::x11::decodeHookClientMessage(&event, type == 0 ? 0 : 321, functionKey),
             decoded);
    QCOMPARE(functionKey, decoded ? 8 : 0);
}

void TestX11HotkeyHook::setUpOutcome_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<HotkeyHook::Outcome>("outcome");
    QTest::addColumn<QString>("loadedFrom");
    QTest::addColumn<QString>("expectedTrace");

    const QString full = QStringLiteral(STUB_FULL_DIR);
    const QString setAppHwndOnly = QStringLiteral(STUB_SETAPPHWND_ONLY_DIR);
    const QString procOnly = QStringLiteral(STUB_PROC_ONLY_DIR);
    const QString empty = QDir::tempPath();

    QTest::newRow("no library") << QStringList{empty} << HotkeyHook::Outcome::NoLibrary << QString()
                                << QString();
    QTest::newRow("setAppHwnd only")
        << QStringList{setAppHwndOnly} << HotkeyHook::Outcome::LoadedNoHook
        << libraryIn(setAppHwndOnly) << QStringLiteral("loaded\nsetAppHwnd 4242\n");
    QTest::newRow("procedure only: setAppHwnd is needed first")
        << QStringList{procOnly} << HotkeyHook::Outcome::LoadedNoHook << libraryIn(procOnly)
        << QStringLiteral("loaded\n");
    QTest::newRow("both, but no keys to watch")
        << QStringList{full} << HotkeyHook::Outcome::LoadedNoHook << libraryIn(full)
        << QStringLiteral("loaded\nsetAppHwnd 4242\n");
    QTest::newRow("the first folder that has one")
        << QStringList{empty, setAppHwndOnly, full} << HotkeyHook::Outcome::LoadedNoHook
        << libraryIn(setAppHwndOnly) << QStringLiteral("loaded\nsetAppHwnd 4242\n");
}

void TestX11HotkeyHook::setUpOutcome()
{
    QFETCH(QStringList, folders);
    QFETCH(HotkeyHook::Outcome, outcome);
    QFETCH(QString, loadedFrom);
    QFETCH(QString, expectedTrace);

    {
        X11HotkeyHook hook(toStd(folders));
        QCOMPARE(hook.install(4242), outcome);
        QCOMPARE(QString::fromStdString(hook.libraryPath()), loadedFrom);
        QCOMPARE(trace(), expectedTrace);
        if (!loadedFrom.isEmpty())
            QVERIFY(isLoaded(loadedFrom));
    }
    // The hook's end releases whatever it loaded.
    if (!loadedFrom.isEmpty()) {
        QVERIFY(!isLoaded(loadedFrom));
        QVERIFY(trace().endsWith(QStringLiteral("unloaded settings-written=0\n")));
    }
}

void TestX11HotkeyHook::libraryStaysLoadedUntilRemoved()
{
    const QString path = libraryIn(QStringLiteral(STUB_SETAPPHWND_ONLY_DIR));
    X11HotkeyHook hook({STUB_SETAPPHWND_ONLY_DIR});
    QCOMPARE(hook.install(7), HotkeyHook::Outcome::LoadedNoHook);
    QVERIFY(isLoaded(path));

    hook.remove();
    QVERIFY(!isLoaded(path));
    QCOMPARE(trace(), QStringLiteral("loaded\nsetAppHwnd 7\nunloaded settings-written=0\n"));
    hook.remove(); // a second time does nothing
    QVERIFY(hook.libraryPath().empty());
}

void TestX11HotkeyHook::currentDirectoryIsNeverSearched()
{
    // A library planted in the current directory, which the relative folders name.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QStringLiteral(STUB_FULL_DIR)));
    X11HotkeyHook hook({"", ".", "./", "libKestrine.so"});
    const HotkeyHook::Outcome outcome = hook.install(1);
    QDir::setCurrent(previous);

    QCOMPARE(outcome, HotkeyHook::Outcome::NoLibrary);
    QCOMPARE(trace(), QString());
}

void TestX11HotkeyHook::onlyXcbEventsAreRead()
{
    X11HotkeyHook hook({});
    hook.install(1);
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.data.data32[0] = 5556;
    int functionKey = 0;
    QVERIFY(!hook.decodeHotkeyMessage("windows_generic_MSG", &event, functionKey));
    // Offscreen there is no X connection to learn the message type from.
    QVERIFY(!hook.decodeHotkeyMessage("xcb_generic_event_t", &event, functionKey));
}

ONDREL_TEST_MAIN(TestX11HotkeyHook)
#include "tst_x11hotkeyhook.moc"
