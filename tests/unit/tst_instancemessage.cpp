// SPDX-License-Identifier: GPL-3.0-or-later
// What a later start may say to the running Ondrel, what the running one does with
// anything else that reaches its socket, and a lock whose holder never answers.
#include "app/instanceserver.h"
#include "app/singleinstance.h"

#include <QLocalSocket>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using instancemessage::Command;

Q_DECLARE_METATYPE(std::optional<instancemessage::Command>)

class TestInstanceMessage : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void serverCarriesOutOnlyCommands_data();
    void serverCarriesOutOnlyCommands();
    void lockWhoseHolderNeverAnswers_data();
    void lockWhoseHolderNeverAnswers();
};

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
}

void TestInstanceMessage::decode()
{
    QFETCH(QByteArray, line);
    QFETCH(std::optional<Command>, command);
    QCOMPARE(instancemessage::decode(line), command);
}

void TestInstanceMessage::serverCarriesOutOnlyCommands_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("carriedOut");

    QTest::newRow("toggle") << instancemessage::encode(Command::Toggle) << true;
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
    QSignalSpy commands(&server, &InstanceServer::commandReceived);

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
    QTest::addColumn<bool>("takenOver");

    // The lock names a process that runs (this one), as a killed Ondrel's lock does
    // once its process id has been given to another process.
    QTest::newRow("left behind") << false << true;
    QTest::newRow("held by a process still starting") << true << false;
}

void TestInstanceMessage::lockWhoseHolderNeverAnswers()
{
    QFETCH(bool, heldOpen);
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
    QCOMPARE(later.deliver(Command::Show), SingleInstance::Delivery::Unheard);
    QCOMPARE(later.takeOver(), takenOver);
    // Whoever has the lock now keeps it from the next start.
    SingleInstance next(lockName, serverName);
    QCOMPARE(next.claim(), SingleInstance::Role::Later);
    QCOMPARE(holder.isLocked(), heldOpen);
}

QTEST_GUILESS_MAIN(TestInstanceMessage)
#include "tst_instancemessage.moc"
