// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ownpages.h"
#include "app/storedsettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace storedsettings;

class TestStoredSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void valuesSurviveARoundTrip();
    void alphaIsNeverStored();
    void codePage_data();
    void codePage();
    void pageFile_data();
    void pageFile();

    void labelSize_data();
    void labelSize();
    void spacing_data();
    void spacing();
    void colorComponent_data();
    void colorComponent();

private:
    std::unique_ptr<QSettings> freshStore();

    QTemporaryDir m_dir;
    int m_storeCount = 0;
    std::unique_ptr<QSettings> m_settings;
};

std::unique_ptr<QSettings> TestStoredSettings::freshStore()
{
    const QString path = m_dir.filePath(QStringLiteral("store%1.ini").arg(++m_storeCount));
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

void TestStoredSettings::init()
{
    m_settings = freshStore();
}

void TestStoredSettings::valuesSurviveARoundTrip()
{
    const QString path = m_settings->fileName();
    writeBackgroundColor(*m_settings, QColor(1, 2, 3));
    writeSizes(*m_settings, 41, 7);
    writeShowHideKeyName(*m_settings, QStringLiteral("F11"));
    writePage(*m_settings, QStringLiteral("866"));
    m_settings.reset(); // destruction writes the file

    QSettings reread(path, QSettings::IniFormat);
    QCOMPARE(readBackgroundColor(reread, QColor(229, 230, 230)), QColor(1, 2, 3));
    QCOMPARE(readLabelSize(reread, 68), 41);
    QCOMPARE(readSpacing(reread, 0), 7);
    QCOMPARE(readShowHideKeyName(reread, QStringLiteral("F8")), QStringLiteral("F11"));
    QCOMPARE(readPage(reread), QStringLiteral("866"));
    QCOMPARE(reread.value(codePageKey).toInt(), 866); // as earlier versions read it
    QCOMPARE(reread.allKeys().size(), 7);
}

void TestStoredSettings::codePage_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("read");

    QTest::newRow("absent: the system's") << QVariant() << "0";
    QTest::newRow("automatic") << QVariant(0) << "0";
    QTest::newRow("850") << QVariant(850) << "850";
    QTest::newRow("a page without glyphs") << QVariant(737) << "0";
    QTest::newRow("negative") << QVariant(-866) << "0";
    QTest::newRow("not a number") << QVariant(QStringLiteral("cp866")) << "0";
    QTest::newRow("built-in page") << QVariant(QStringLiteral("box-drawing")) << "box-drawing";
    QTest::newRow("page file") << QVariant(QStringLiteral("My arrows.txt")) << "My arrows.txt";
    QTest::newRow("page file outside the folder")
        << QVariant(QStringLiteral("../../.bashrc.txt")) << "0";
}

void TestStoredSettings::codePage()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, read);
    if (stored.isValid())
        m_settings->setValue(codePageKey, stored);
    QCOMPARE(readPage(*m_settings), read);
}

void TestStoredSettings::pageFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("characters"); // empty: the file is skipped
    QTest::addColumn<QString>("reason");

    QTest::newRow("name and lines")
        << QByteArray("My arrows\n\xe2\x86\x90\xe2\x86\x91\n\xe2\x86\x92\n") << "My arrows"
        << QStringLiteral("\u2190\u2191\u2192") << "";
    QTest::newRow("Windows line ends, byte order mark, blanks kept")
        << QByteArray("\xef\xbb\xbf Quotes \r\n\xc2\xab \xc2\xbb\r\n") << "Quotes"
        << QStringLiteral("\u00ab \u00bb") << "";
    QTest::newRow("beyond the BMP") << QByteArray("Faces\n\xf0\x9f\x98\x80") << "Faces"
                                    << QString::fromUcs4(U"\U0001F600", 1) << "";
    QTest::newRow("195 characters") << "Full\n" + QByteArray("x\n").repeated(195) << "Full"
                                    << QString(195, QLatin1Char('x')) << "";
    QTest::newRow("196 characters") << "Full\n" + QByteArray(196, 'x') << ""
                                    << ""
                                    << "more than the 195";
    QTest::newRow("empty") << QByteArray() << ""
                           << ""
                           << "empty";
    QTest::newRow("only line breaks") << QByteArray("\n\r\n") << ""
                                      << ""
                                      << "empty";
    QTest::newRow("name only") << QByteArray("Arrows\n") << ""
                               << ""
                               << "no characters";
    QTest::newRow("blank name") << QByteArray("  \nabc") << ""
                                << ""
                                << "name";
    QTest::newRow("not UTF-8") << QByteArray("Latin\n\xe9\xe8") << ""
                               << ""
                               << "not valid UTF-8";
    QTest::newRow("UTF-16") << QByteArray("\xff\xfe"
                                          "A\0\n\0B\0",
                                          8)
                            << ""
                            << ""
                            << "UTF-8";
    QTest::newRow("tab") << QByteArray("Tabs\na\tb") << ""
                         << ""
                         << "line 2";
    QTest::newRow("too big") << "Big\n" + QByteArray(ownpages::maxFileBytes, '\n') << ""
                             << ""
                             << "longer than";
}

void TestStoredSettings::pageFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, name);
    QFETCH(QString, characters);
    QFETCH(QString, reason);

    const ownpages::Reading reading = ownpages::read(QStringLiteral("page.txt"), contents);
    QVERIFY2(reading.error.contains(reason), qPrintable(reading.error));
    QCOMPARE(reading.error.isEmpty(), reason.isEmpty());
    if (!reason.isEmpty())
        return;
    QCOMPARE(reading.page.name, name);
    QCOMPARE(QString::fromUcs4(reading.page.characters.data(),
                               qsizetype(reading.page.characters.size())),
             characters);
}

void TestStoredSettings::alphaIsNeverStored()
{
    writeBackgroundColor(*m_settings, QColor(10, 20, 30, 40));
    QCOMPARE(readBackgroundColor(*m_settings, QColor(229, 230, 230)).alpha(), 255);
    QCOMPARE(readBackgroundColor(*m_settings, QColor(229, 230, 230)), QColor(10, 20, 30));
}

void TestStoredSettings::labelSize_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("in range") << QVariant(33) << 33;
    QTest::newRow("smallest usable") << QVariant(1) << 1;
    QTest::newRow("largest usable") << QVariant(1000) << 1000;
    QTest::newRow("above the screen's maximum is kept") << QVariant(200) << 200;
    QTest::newRow("zero") << QVariant(0) << 68;
    QTest::newRow("negative") << QVariant(-30) << 68;
    QTest::newRow("huge") << QVariant(1001) << 68;
    QTest::newRow("not a number") << QVariant(QStringLiteral("big")) << 68;
    QTest::newRow("number as text") << QVariant(QStringLiteral("40")) << 40;
}

void TestStoredSettings::labelSize()
{
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    m_settings->setValue(labelSizeKey, stored);
    QCOMPARE(readLabelSize(*m_settings, 68), expected);
}

void TestStoredSettings::spacing_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");

    QTest::newRow("zero") << QVariant(0) << 0;
    QTest::newRow("slider maximum") << QVariant(50) << 50;
    QTest::newRow("largest usable") << QVariant(1000) << 1000;
    QTest::newRow("negative") << QVariant(-1) << 3;
    QTest::newRow("huge") << QVariant(99999) << 3;
    QTest::newRow("not a number reads as 0") << QVariant(QStringLiteral("wide")) << 0;
}

void TestStoredSettings::spacing()
{
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    m_settings->setValue(spacingKey, stored);
    QCOMPARE(readSpacing(*m_settings, 3), expected);
}

void TestStoredSettings::colorComponent_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("red in range") << backgroundRedKey << QVariant(0) << QColor(0, 230, 231);
    QTest::newRow("green at the top")
        << backgroundGreenKey << QVariant(255) << QColor(229, 255, 231);
    QTest::newRow("blue not a number reads as 0")
        << backgroundBlueKey << QVariant(QStringLiteral("x")) << QColor(229, 230, 0);
    QTest::newRow("red above 255") << backgroundRedKey << QVariant(256) << QColor(229, 230, 231);
    QTest::newRow("green negative") << backgroundGreenKey << QVariant(-1) << QColor(229, 230, 231);
    QTest::newRow("blue far out") << backgroundBlueKey << QVariant(70000) << QColor(229, 230, 231);
}

void TestStoredSettings::colorComponent()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(QColor, expected);
    m_settings->setValue(key, stored);
    const QColor color = readBackgroundColor(*m_settings, QColor(229, 230, 231));
    QVERIFY(color.isValid());
    QCOMPARE(color, expected);
}

QTEST_GUILESS_MAIN(TestStoredSettings)
#include "tst_storedsettings.moc"
