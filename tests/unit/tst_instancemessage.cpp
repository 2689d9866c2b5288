// SPDX-License-Identifier: GPL-3.0-or-later
// What a later start may say to the running Ondrel, what the running one does with
// anything else that reaches its socket, and a lock whose holder never answers.
#include "app/instanceserver.h"
#include "app/singleinstance.h"
#include "app/typedtext.h"

#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using instancemessage::Command;

Q_DECLARE_METATYPE(std::optional<instancemessage::Command>)
Q_DECLARE_METATYPE(instancemessage::Message)

class TestInstanceMessage : public QObject
{
    Q_OBJECT

private slots:
    void typedText_data();
    void typedText();
    void decode_data();
    void decode();
    void serverCarriesOutOnlyCommands_data();
    void serverCarriesOutOnlyCommands();
    void lockWhoseHolderNeverAnswers_data();
    void lockWhoseHolderNeverAnswers();
};

void TestInstanceMessage::typedText_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("typed"); // empty: refused

    const QString boxTop = QStringLiteral("\u2554\u2550\u2557");
    QTest::newRow("characters") << boxTop << boxTop;
    QTest::newRow("code points") << QStringLiteral("U+2554 U+2550 U+2557") << boxTop;
    QTest::newRow("code points, lower case, blanks around")
        << QStringLiteral("  u+2554\tU+2550   U+2557 ") << boxTop;
    QTest::newRow("beyond the BMP")
        << QStringLiteral("U+1F600") << QString::fromUcs4(U"\U0001F600", 1);
    QTest::newRow("surrogate pair as characters")
        << QString::fromUcs4(U"x\U0001F600", 2) << QString::fromUcs4(U"x\U0001F600", 2);
    QTest::newRow("tab, newline and blanks are typed")
        << QStringLiteral("a\tb\nc d") << QStringLiteral("a\tb\nc d");
    QTest::newRow("U+ later in a text is typed as it stands")
        << QStringLiteral("see U+2554") << QStringLiteral("see U+2554");
    QTest::newRow("256 characters") << QString(256, QChar(0x2500)) << QString(256, QChar(0x2500));
    QTest::newRow("257 characters") << QString(257, QChar(0x2500)) << QString();
    QTest::newRow("257 code points") << QStringLiteral("U+41 ").repeated(257) << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("only blanks after U+") << QStringLiteral("U+") << QString();
    QTest::newRow("malformed U+ word") << QStringLiteral("U+ZZZZ") << QString();
    QTest::newRow("one bad word among good") << QStringLiteral("U+2554 U+2550x") << QString();
    QTest::newRow("a word without U+") << QStringLiteral("U+2554 2550") << QString();
    QTest::newRow("too many digits") << QStringLiteral("U+0002554") << QString();
    QTest::newRow("beyond Unicode") << QStringLiteral("U+110000") << QString();
    QTest::newRow("surrogate code point") << QStringLiteral("U+D800") << QString();
    QTest::newRow("unpaired surrogate") << QString(QChar(0xDC00)) + QLatin1Char('a') << QString();
    QTest::newRow("NUL") << QStringLiteral("U+0") << QString();
    QTest::newRow("escape") << QStringLiteral("a\x1b[2J") << QString();
    QTest::newRow("carriage return") << QStringLiteral("U+D") << QString();
    QTest::newRow("C1 control") << QString(QChar(0x9B)) << QString();
}

void TestInstanceMessage::typedText()
{
    QFETCH(QString, argument);
    QFETCH(QString, typed);

    const TypedText text = TypedText::fromArgument(argument);
    QCOMPARE(QString::fromUcs4(text.characters().data(), qsizetype(text.characters().size())),
             typed);
    QCOMPARE(text.isValid(), !typed.isEmpty());
    QCOMPARE(text.errorString().isEmpty(), text.isValid());
    if (!text.isValid())
        return;
    // What the running Ondrel receives is the same text, or nothing at all.
    const QByteArray line = instancemessage::encodeType(text.characters());
    QVERIFY(line.size() <= instancemessage::maxTypeLength + 1);
    const auto message = instancemessage::decode(line.chopped(1));
    QVERIFY(message);
    QCOMPARE(message->command, Command::Type);
    QVERIFY(message->text == text.characters());
}

void TestInstanceMessage::decode_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<std::optional<Command>>("command");

    for (Command command :
         {Command::Show, Command::Toggle, Command::Hide, Command::Settings, Command::Quit})
        QTest::newRow(instancemessage::encode(command).trimmed())
            << instancemessage::encode(command).chopped(1) << std::optional<Command>(command);
    QTest::newRow("empty") << QByteArray() << std::optional<Command>();
    QTest::newRow("no prefix") << QByteArray("toggle") << std::optional<Command>();
    QTest::newRow("another version") << QByteArray("ondrel/2 toggle") << std::optional<Command>();
    QTest::newRow("unknown command")
        << QByteArray("ondrel/1 format-disk") << std::optional<Command>();
    QTest::newRow("upper case") << QByteArray("ondrel/1 TOGGLE") << std::optional<Command>();
    QTest::newRow("trailing blank") << QByteArray("ondrel/1 quit ") << std::optional<Command>();
    QTest::newRow("NUL inside") << QByteArray("ondrel/1 quit\0x", 15) << std::optional<Command>();
    QTest::newRow("over-long") << QByteArray("ondrel/1 quit") + QByteArray(60, ' ')
                               << std::optional<Command>();
    QTest::newRow("type") << QByteArray("ondrel/1 type U+2554 U+41")
                          << std::optional<Command>(Command::Type);
    QTest::newRow("type, no text") << QByteArray("ondrel/1 type ") << std::optional<Command>();
    QTest::newRow("type, characters themselves")
        << QByteArray("ondrel/1 type \xe2\x95\x94") << std::optional<Command>();
    QTest::newRow("type, surrogate")
        << QByteArray("ondrel/1 type U+D800") << std::optional<Command>();
    QTest::newRow("type, control") << QByteArray("ondrel/1 type U+1B") << std::optional<Command>();
    QTest::newRow("type, newline inside")
        << QByteArray("ondrel/1 type U+41\nU+42") << std::optional<Command>();
    QTest::newRow("type, over-long")
        << QByteArray("ondrel/1 type") + QByteArray(" U+41").repeated(257)
        << std::optional<Command>();
}

void TestInstanceMessage::decode()
{
    QFETCH(QByteArray, line);
    QFETCH(std::optional<Command>, command);
    const auto message = instancemessage::decode(line);
    QCOMPARE(message ? std::optional<Command>(message->command) : std::nullopt, command);
}

void TestInstanceMessage::serverCarriesOutOnlyCommands_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("carriedOut");

    QTest::newRow("toggle") << instancemessage::encode(Command::Toggle) << true;
    QTest::newRow("type") << instancemessage::encodeType(std::u32string(256, U'\u2500')) << true;
    QTest::newRow("type, over-long line")
        << QByteArray("ondrel/1 type") + QByteArray(" U+2500").repeated(400) + '\n'
        << false;
    QTest::newRow("unknown") << QByteArray("ondrel/1 explode\n") << false;
    QTest::newRow("malformed") << QByteArray("\xff\xfe garbage\n") << false;
    QTest::newRow("over-long, no line end") << QByteArray(100000, 'x') << false;
    QTest::newRow("over-long line") << QByteArray("ondrel/1 toggle") + QByteArray(80, ' ') + '\n'
                                    << false;
}

void TestInstanceMessage::serverCarriesOutOnlyCommands()
{
    QFETCH(QByteArray, sent);
    QFETCH(bool, carriedOut);

    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("ondrel.socket"));
    QFile stale(name); // a socket left by a killed instance is no obstacle
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    InstanceServer server;
    QVERIFY2(server.listen(name), qPrintable(server.errorString()));
    QCOMPARE(QFile::permissions(name) & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup),
             QFile::Permissions());
    QSignalSpy commands(&server, &InstanceServer::messageReceived);

    QLocalSocket client;
    client.connectToServer(name);
    QVERIFY(client.waitForConnected(5000));
    client.write(sent);
    if (!carriedOut) {
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, 10000);
        QCOMPARE(client.readAll(), QByteArray());
        QCOMPARE(commands.size(), 0);
        return;
    }
    // The answer, and nothing done until this end has closed: closing from the
    // server's end loses the answer on Windows, and so would a quit carried out
    // before the close.
    QTRY_VERIFY_WITH_TIMEOUT(client.canReadLine(), 10000);
    QCOMPARE(client.readAll(), instancemessage::acknowledgement);
    QCOMPARE(commands.size(), 0);
    client.disconnectFromServer();
    QTRY_COMPARE_WITH_TIMEOUT(commands.size(), 1, 10000);
}

void TestInstanceMessage::lockWhoseHolderNeverAnswers_data()
{
    QTest::addColumn<bool>("heldOpen");
    QTest::addColumn<bool>("releasedMeanwhile");
    QTest::addColumn<bool>("takenOver");

    // The lock names a process that runs (this one), as a killed Ondrel's lock does
    // once its process id has been given to another process.
    QTest::newRow("left behind") << false << false << true;
    QTest::newRow("held by a process still starting") << true << false << false;
    // A start that ended at once, as `--hide` does when no Ondrel runs.
    QTest::newRow("released by a start that ended") << true << true << true;
}

void TestInstanceMessage::lockWhoseHolderNeverAnswers()
{
    QFETCH(bool, heldOpen);
    QFETCH(bool, releasedMeanwhile);
    QFETCH(bool, takenOver);

    QTemporaryDir folder;
    const QString lockName = folder.filePath(QStringLiteral("ondrel.lock"));
    const QString serverName = folder.filePath(QStringLiteral("ondrel.socket"));
    QLockFile holder(lockName);
    QVERIFY(holder.tryLock(0));
    if (!heldOpen) {
        QFile file(lockName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray contents = file.readAll();
        file.close();
        holder.unlock();
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents), contents.size());
    }

    SingleInstance later(lockName, serverName);
    QCOMPARE(later.claim(), SingleInstance::Role::Later);
    if (releasedMeanwhile)
        holder.unlock();
    QCOMPARE(later.deliver({Command::Show, {}}), SingleInstance::Delivery::Unheard);
    QCOMPARE(later.takeOver(), takenOver);
    // Whoever has the lock now keeps it from the next start.
    SingleInstance next(lockName, serverName);
    QCOMPARE(next.claim(), SingleInstance::Role::Later);
    QCOMPARE(holder.isLocked(), heldOpen && !releasedMeanwhile);
}

QTEST_GUILESS_MAIN(TestInstanceMessage)
#include "tst_instancemessage.moc"
