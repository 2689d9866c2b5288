// SPDX-License-Identifier: GPL-3.0-or-later
// The IBus typer's order of switches and commits, and the engine it puts back,
// against a stand-in for ibus-daemon whose switches answer when the test says so.
#include "platform/ibus/engineswitch.h"
#include "platform/ibus/ibuskeyboard.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>

using platform::ibus::EngineSwitch;
using platform::ibus::IBusKeyboard;

namespace {

const std::string own = "ondrel-commit";

struct Daemon
{
    std::string global;
    std::deque<std::pair<std::string, std::function<void(bool)>>> pending;
    QStringList events; ///< switches, commits and keys, in order
    std::string closedWith = "(open)";

    /// Answers the oldest switch, as ibus-daemon does once the engine is set.
    void answer()
    {
        QVERIFY(!pending.empty());
        auto [engine, done] = std::move(pending.front());
        pending.pop_front();
        global = engine;
        done(true);
    }
};

class FakeSwitch : public EngineSwitch
{
public:
    explicit FakeSwitch(Daemon &daemon) : m_daemon(daemon) {}
    std::string ownEngine() const override { return own; }
    std::string globalEngine() override { return m_daemon.global; }
    void switchTo(const std::string &engine, std::function<void(bool)> done) override
    {
        m_daemon.events << QString::fromStdString("switch " + engine);
        m_daemon.pending.emplace_back(engine, std::move(done));
    }
    bool hasInputContext() override { return true; }
    bool hasFocus() const override { return m_daemon.global == own; }
    bool commit(const std::string &text) override
    {
        m_daemon.events << QString::fromStdString("commit " + text);
        return m_daemon.global == own;
    }
    bool forwardKey(unsigned keysym, unsigned) override
    {
        m_daemon.events << QStringLiteral("key %1").arg(keysym, 0, 16);
        return m_daemon.global == own;
    }
    void close(const std::string &restore) override { m_daemon.closedWith = restore; }
    std::string errorString() const override { return {}; }

private:
    Daemon &m_daemon;
};

/// Where the focused application takes no text from IBus (the end-to-end tests
/// type through it); never used here.
class NoFallback : public platform::Keyboard
{
public:
    bool isAvailable() const override { return false; }
    bool type(char32_t) override { return false; }
    bool typeBackspace() override { return false; }
    std::string errorString() const override { return {}; }
};

} // namespace

class TestIBusKeyboard : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    Daemon m_daemon;

    std::unique_ptr<IBusKeyboard> keyboard()
    {
        return std::make_unique<IBusKeyboard>(std::make_unique<FakeSwitch>(m_daemon),
                                              std::make_unique<NoFallback>(),
                                              record().toStdString());
    }
    QString record() const { return m_folder.filePath(QStringLiteral("engine")); }
    QByteArray recorded() const
    {
        QFile file(record());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

private slots:
    void init()
    {
        m_daemon = Daemon();
        QFile::remove(record());
    }

    void clicksWaitTheirTurnAndTheUsersEngineComesBack()
    {
        m_daemon.global = "anthy";
        auto typer = keyboard();
        QVERIFY(typer->type(U'╔'));
        QVERIFY(typer->type(U'\t'));
        QVERIFY(typer->typeBackspace());
        // One switch at a time, whatever comes meanwhile.
        QCOMPARE(m_daemon.pending.size(), std::size_t(1));
        QCOMPARE(recorded(), QByteArray("anthy"));
        while (!m_daemon.pending.empty())
            m_daemon.answer();
        QCOMPARE(m_daemon.events,
                 QStringList({"switch ondrel-commit", "commit ╔", "switch anthy",
                              "switch ondrel-commit", "key ff09", "switch anthy",
                              "switch ondrel-commit", "key ff08", "switch anthy"}));
        QCOMPARE(m_daemon.global, std::string("anthy"));

        // An engine the user picks while Ondrel runs is the one put back.
        m_daemon.global = "mozc";
        m_daemon.events.clear();
        typer->type(U'☺');
        while (!m_daemon.pending.empty())
            m_daemon.answer();
        QCOMPARE(m_daemon.events.last(), QStringLiteral("switch mozc"));
        QCOMPARE(recorded(), QByteArray("mozc"));
        typer.reset();
        QCOMPARE(m_daemon.closedWith, std::string("mozc"));
        QCOMPARE(recorded(), QByteArray("(none)"));
    }

    void engineLeftByAKilledOndrel_data()
    {
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QString>("global");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QByteArray>("recordAfter");
        QTest::newRow("no engine")
            << QByteArray("anthy") << "" << QStringList{"switch anthy"} << QByteArray("anthy");
        QTest::newRow("Ondrel's") << QByteArray("anthy") << QString::fromStdString(own)
                                  << QStringList{"switch anthy"} << QByteArray("anthy");
        QTest::newRow("chosen since")
            << QByteArray("anthy") << "mozc" << QStringList{} << QByteArray("mozc");
        QTest::newRow("damaged record")
            << QByteArray("an engine\nname") << "" << QStringList{} << QByteArray("(none)");
    }

    void engineLeftByAKilledOndrel()
    {
        QFETCH(QByteArray, left);
        QFETCH(QString, global);
        QFETCH(QStringList, switches);
        QFETCH(QByteArray, recordAfter);
        QFile file(record());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(left);
        file.close();
        m_daemon.global = global.toStdString();
        auto typer = keyboard();
        QCOMPARE(m_daemon.events, switches);
        QCOMPARE(recorded(), recordAfter);
        // A click meanwhile waits for the engine to be back.
        typer->type(U'x');
        QCOMPARE(m_daemon.pending.size(), std::size_t(1));
        QCOMPARE(m_daemon.pending.front().first, switches.isEmpty() ? own : "anthy");
    }
};

QTEST_GUILESS_MAIN(TestIBusKeyboard)
#include "tst_ibuskeyboard.moc"
