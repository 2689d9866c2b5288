// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/xdg/desktopentry.h"
#include "platform/xdg/xdgautostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using platform::xdg::XdgAutostart;
namespace desktopentry = platform::xdg::desktopentry;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

/// The Exec line of an entry, as it stands in the file.
QByteArray execLine(const QByteArray &entry)
{
    for (const QByteArray &line : entry.split('\n'))
        if (line.startsWith("Exec="))
            return line;
    return {};
}

} // namespace

class TestXdgAutostart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void entryLivesUnderTheConfigHome();
    void roundTrip_data();
    void roundTrip();
    void readsEntriesWrittenByHand_data();
    void readsEntriesWrittenByHand();
    void disablingRemovesTheEntry();
    void enablingReplacesAnEntryForAnotherCopy();
    void entryIsAValidDesktopEntry();
    void splitCommandLine_data();
    void splitCommandLine();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestXdgAutostart::init()
{
    // A folder name with a blank, so that nothing on the way assumes plain paths.
    m_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/xdg home-XXXXXX"));
    QVERIFY(m_home->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->filePath(QStringLiteral("config"))));
}

void TestXdgAutostart::cleanup()
{
    m_home.reset();
}

void TestXdgAutostart::entryLivesUnderTheConfigHome()
{
    QCOMPARE(XdgAutostart::entryPath(),
             m_home->filePath(QStringLiteral("config/autostart/Ondrel.desktop")));

    // Without XDG_CONFIG_HOME, or with a relative one, it is ~/.config.
    const QString home = QDir::homePath();
    qputenv("XDG_CONFIG_HOME", "relative/config");
    QCOMPARE(XdgAutostart::entryPath(), home + QStringLiteral("/.config/autostart/Ondrel.desktop"));
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(XdgAutostart::entryPath(), home + QStringLiteral("/.config/autostart/Ondrel.desktop"));
}

void TestXdgAutostart::roundTrip_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("exec"); // the line as the file holds it

    QTest::newRow("plain") << QStringLiteral("/usr/bin/ondrel")
                           << QByteArray("Exec=/usr/bin/ondrel");
    QTest::newRow("blank") << QStringLiteral("/opt/My Apps/ondrel")
                           << QByteArray("Exec=\"/opt/My Apps/ondrel\"");
    QTest::newRow("double quotes") << QStringLiteral("/tmp/say \"hi\"/ondrel")
                                   << QByteArray("Exec=\"/tmp/say \\\\\"hi\\\\\"/ondrel\"");
    QTest::newRow("single quote") << QStringLiteral("/home/o'neil/ondrel")
                                  << QByteArray("Exec=\"/home/o'neil/ondrel\"");
    QTest::newRow("backslash") << QStringLiteral("/tmp/a\\b/ondrel")
                               << QByteArray("Exec=\"/tmp/a\\\\\\\\b/ondrel\"");
    QTest::newRow("dollar and backtick")
        << QStringLiteral("/tmp/$HOME/`id`/ondrel")
        << QByteArray("Exec=\"/tmp/\\\\$HOME/\\\\`id\\\\`/ondrel\"");
    QTest::newRow("percent") << QStringLiteral("/tmp/100%u/ondrel")
                             << QByteArray("Exec=/tmp/100%%u/ondrel");
    QTest::newRow("newline and tab")
        << QStringLiteral("/tmp/a\nb\tc/ondrel") << QByteArray("Exec=\"/tmp/a\\nb\\tc/ondrel\"");
    QTest::newRow("shell characters") << QStringLiteral("/tmp/a;b|c&d>e<f*?#()~/ondrel")
                                      << QByteArray("Exec=\"/tmp/a;b|c&d>e<f*?#()~/ondrel\"");
    QTest::newRow("non-Latin") << QStringLiteral("/home/пользователь/ondrel")
                               << QStringLiteral("Exec=/home/пользователь/ondrel").toUtf8();
}

void TestXdgAutostart::roundTrip()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, exec);

    XdgAutostart autostart;
    QVERIFY(!autostart.isEnabled(path.toStdString()));
    autostart.setEnabled(path.toStdString(), true);

    const QByteArray entry = readFile(XdgAutostart::entryPath());
    QCOMPARE(execLine(entry), exec);
    QVERIFY(autostart.isEnabled(path.toStdString()));
    // Another executable, even one that differs only slightly, is not this entry.
    QVERIFY(!autostart.isEnabled((path + QLatin1Char('x')).toStdString()));
    QVERIFY(!autostart.isEnabled(path.toUpper().toStdString()));
}

void TestXdgAutostart::readsEntriesWrittenByHand_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("enabled");

    const QByteArray head = "[Desktop Entry]\nType=Application\nName=Ondrel\n";
    QTest::newRow("bare path") << head + "Exec=/opt/ondrel dir/bin" << false;
    QTest::newRow("quoted path") << head + "Exec=\"/opt/ondrel dir/bin\"" << true;
    QTest::newRow("with arguments") << head + "Exec=\"/opt/ondrel dir/bin\" %U --x" << true;
    QTest::newRow("blanks around =") << head + "Exec = \"/opt/ondrel dir/bin\"  " << true;
    QTest::newRow("escaped blanks split") << head + "Exec=/opt/ondrel\\sdir/bin" << false;
    QTest::newRow("leading escaped blank") << head + "Exec=\\s\"/opt/ondrel dir/bin\"" << true;
    QTest::newRow("hidden") << head + "Hidden=true\nExec=\"/opt/ondrel dir/bin\"" << false;
    QTest::newRow("no Exec") << head << false;
    QTest::newRow("unbalanced quote") << head + "Exec=\"/opt/ondrel dir/bin" << false;
    QTest::newRow("Exec of another group")
        << head + "[Desktop Action x]\nExec=\"/opt/ondrel dir/bin\"" << false;
    QTest::newRow("comment") << head + "#Exec=\"/opt/ondrel dir/bin\"" << false;
    QTest::newRow("other program") << head + "Exec=\"/opt/ondrel dir/bin2\"" << false;
    QTest::newRow("empty file") << QByteArray() << false;
}

void TestXdgAutostart::readsEntriesWrittenByHand()
{
    QFETCH(QByteArray, entry);
    QFETCH(bool, enabled);

    writeFile(XdgAutostart::entryPath(), entry);
    QCOMPARE(XdgAutostart().isEnabled("/opt/ondrel dir/bin"), enabled);
}

void TestXdgAutostart::disablingRemovesTheEntry()
{
    XdgAutostart autostart;
    autostart.setEnabled("/usr/bin/ondrel", true);
    QVERIFY(QFile::exists(XdgAutostart::entryPath()));
    autostart.setEnabled("/usr/bin/ondrel", false);
    QVERIFY(!QFile::exists(XdgAutostart::entryPath()));
    QVERIFY(!autostart.isEnabled("/usr/bin/ondrel"));

    // Whatever the entry held, and also when there is none.
    writeFile(XdgAutostart::entryPath(), "[Desktop Entry]\nExec=/elsewhere/ondrel\n");
    autostart.setEnabled("/usr/bin/ondrel", false);
    QVERIFY(!QFile::exists(XdgAutostart::entryPath()));
    autostart.setEnabled("/usr/bin/ondrel", false);
    QVERIFY(!QFile::exists(XdgAutostart::entryPath()));
}

void TestXdgAutostart::enablingReplacesAnEntryForAnotherCopy()
{
    writeFile(XdgAutostart::entryPath(), "[Desktop Entry]\nExec=/old/copy/ondrel\n");
    XdgAutostart autostart;
    QVERIFY(!autostart.isEnabled("/usr/bin/ondrel"));
    autostart.setEnabled("/usr/bin/ondrel", true);
    QVERIFY(autostart.isEnabled("/usr/bin/ondrel"));
    QVERIFY(!autostart.isEnabled("/old/copy/ondrel"));
    // Written by renaming a complete file: no temporary is left behind.
    QCOMPARE(QDir(QFileInfo(XdgAutostart::entryPath()).absolutePath())
                 .entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Ondrel.desktop")});
}

void TestXdgAutostart::entryIsAValidDesktopEntry()
{
    const QByteArray entry = XdgAutostart::entryText(QStringLiteral("/usr/bin/ondrel"));
    const QList<QByteArray> lines = entry.trimmed().split('\n');
    QCOMPARE(lines.first(), QByteArray("[Desktop Entry]"));
    // The keys a launcher needs to start an application at all.
    QVERIFY(lines.contains("Type=Application"));
    QVERIFY(lines.contains("Name=Ondrel"));
    QVERIFY(lines.contains("Exec=/usr/bin/ondrel"));
    for (const QByteArray &line : lines.mid(1))
        QVERIFY2(line.indexOf('=') > 0, line.constData());
}

void TestXdgAutostart::splitCommandLine_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("words") << QStringLiteral("a b  c") << QStringList{"a", "b", "c"};
    QTest::newRow("quoted with blank")
        << QStringLiteral("\"/x y/z\" -v") << QStringList{"/x y/z", "-v"};
    QTest::newRow("escapes in quotes")
        << QStringLiteral(R"("a\"b\`c\$d\\e")") << QStringList{"a\"b`c$d\\e"};
    QTest::newRow("other backslash kept") << QStringLiteral(R"("a\nb")") << QStringList{"a\\nb"};
    QTest::newRow("empty quoted argument")
        << QStringLiteral("x \"\" y") << QStringList{"x", "", "y"};
    QTest::newRow("percent") << QStringLiteral("100%% \"5%%\" %U")
                             << QStringList{"100%", "5%", "%U"};
    QTest::newRow("unbalanced") << QStringLiteral("\"abc") << QStringList();
    QTest::newRow("empty") << QString() << QStringList();
}

void TestXdgAutostart::splitCommandLine()
{
    QFETCH(QString, commandLine);
    QFETCH(QStringList, arguments);
    QCOMPARE(desktopentry::splitCommandLine(commandLine), arguments);
    // Whatever splits into arguments, quoting them gives back the same arguments.
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted << desktopentry::quoteArgument(argument);
    QCOMPARE(desktopentry::splitCommandLine(quoted.join(QLatin1Char(' '))), arguments);
}

QTEST_GUILESS_MAIN(TestXdgAutostart)
#include "tst_xdgautostart.moc"
