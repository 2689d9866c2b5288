// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/runkeyautorun.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using platform::RunKeyAutorun;

namespace {
const std::string installed = "C:\\Program Files\\Ondrel\\ondrel.exe";
const std::string portable = "D:\\Tools\\ondrel.exe";
} // namespace

/// The Run key as Windows keeps it, played by an INI file.
class TestRunKeyAutorun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void isEnabled_data();
    void isEnabled();
    void setEnabledWritesWhatWindowsCanRunSafely_data();
    void setEnabledWritesWhatWindowsCanRunSafely();
    void disablingRemovesWhateverWasThere();
    void ownsAStoreItIsGiven();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_store;
};

void TestRunKeyAutorun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<QSettings>(m_dir->filePath(QStringLiteral("run.ini")),
                                          QSettings::IniFormat);
}

void TestRunKeyAutorun::cleanup()
{
    m_store.reset();
    m_dir.reset();
}

void TestRunKeyAutorun::isEnabled_data()
{
    QTest::addColumn<QVariant>("stored"); // invalid: no value at all
    QTest::addColumn<QString>("running");
    QTest::addColumn<bool>("enabled");

    const QString bare = QString::fromStdString(installed);
    const QString port = QString::fromStdString(portable);
    QTest::newRow("no value") << QVariant() << bare << false;
    QTest::newRow("empty value") << QVariant(QString()) << bare << false;
    QTest::newRow("exact, quoted") << QVariant('"' + bare + '"') << bare << true;
    QTest::newRow("exact, unquoted") << QVariant(bare) << bare << true;
    QTest::newRow("no blank, unquoted") << QVariant(port) << port << true;
    QTest::newRow("no blank, quoted") << QVariant('"' + port + '"') << port << true;
    QTest::newRow("other letter case") << QVariant(bare.toLower()) << bare << false;
    QTest::newRow("other letter case, quoted")
        << QVariant('"' + bare.toUpper() + '"') << bare << false;
    QTest::newRow("forward slashes")
        << QVariant(QStringLiteral("C:/Program Files/Ondrel/ondrel.exe")) << bare << false;
    QTest::newRow("another copy") << QVariant(port) << bare << false;
    QTest::newRow("with an argument") << QVariant('"' + bare + "\" --hidden") << bare << false;
    QTest::newRow("quote only at the start") << QVariant('"' + bare) << bare << false;
    QTest::newRow("surrounding blanks") << QVariant(' ' + bare + ' ') << bare << false;
}

void TestRunKeyAutorun::isEnabled()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, running);
    QFETCH(bool, enabled);

    if (stored.isValid())
        m_store->setValue(QStringLiteral("Ondrel"), stored);
    RunKeyAutorun autorun(*m_store);
    QCOMPARE(autorun.isEnabled(running.toStdString()), enabled);
}

void TestRunKeyAutorun::setEnabledWritesWhatWindowsCanRunSafely_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("written");

    QTest::newRow("blank: quoted") << QString::fromStdString(installed)
                                   << QStringLiteral("\"C:\\Program Files\\Ondrel\\ondrel.exe\"");
    QTest::newRow("no blank: bare")
        << QString::fromStdString(portable) << QString::fromStdString(portable);
    QTest::newRow("non-Latin folder")
        << QStringLiteral("C:\\Користувачі\\Ondrel Ω\\ondrel.exe")
        << QStringLiteral("\"C:\\Користувачі\\Ondrel Ω\\ondrel.exe\"");
}

void TestRunKeyAutorun::setEnabledWritesWhatWindowsCanRunSafely()
{
    QFETCH(QString, path);
    QFETCH(QString, written);

    m_store->setValue(QStringLiteral("Ondrel"), QStringLiteral("c:\\old\\ondrel.exe"));
    m_store->setValue(QStringLiteral("Other"), QStringLiteral("other.exe"));
    RunKeyAutorun autorun(*m_store);
    autorun.setEnabled(path.toStdString(), true);
    QVERIFY(autorun.isEnabled(path.toStdString()));

    // On disk at once, read by an independent reader.
    QSettings reread(m_store->fileName(), QSettings::IniFormat);
    QCOMPARE(reread.value(QStringLiteral("Ondrel")).toString(), written);
    QCOMPARE(reread.value(QStringLiteral("Other")).toString(), QStringLiteral("other.exe"));
}

void TestRunKeyAutorun::disablingRemovesWhateverWasThere()
{
    const QStringList values = {QString::fromStdString(installed),
                                QStringLiteral("\"D:\\elsewhere\\ondrel.exe\""), QString()};
    for (const QString &value : values) {
        m_store->setValue(QStringLiteral("Ondrel"), value);
        m_store->setValue(QStringLiteral("Other"), QStringLiteral("other.exe"));
        RunKeyAutorun autorun(*m_store);
        autorun.setEnabled(installed, false);
        QVERIFY(!autorun.isEnabled(installed));
        QSettings reread(m_store->fileName(), QSettings::IniFormat);
        QVERIFY2(!reread.contains(QStringLiteral("Ondrel")), qPrintable(value));
        QVERIFY(reread.contains(QStringLiteral("Other")));
    }
    // Switching off what is already off is harmless.
    RunKeyAutorun autorun(*m_store);
    autorun.setEnabled(installed, false);
    QVERIFY(!autorun.isEnabled(installed));
}

void TestRunKeyAutorun::ownsAStoreItIsGiven()
{
    const QString file = m_store->fileName();
    {
        RunKeyAutorun autorun(std::make_unique<QSettings>(file, QSettings::IniFormat));
        autorun.setEnabled(installed, true);
    }
    QSettings reread(file, QSettings::IniFormat);
    RunKeyAutorun autorun(reread);
    QVERIFY(autorun.isEnabled(installed));
}

QTEST_GUILESS_MAIN(TestRunKeyAutorun)
#include "tst_runkeyautorun.moc"
