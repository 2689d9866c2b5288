// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/keycodepool.h"
#include "platform/x11/keycoderecord.h"

#include <QFile>
#include <QTemporaryDir>

#include <fstream>

#include <QTest>

#include <vector>

using platform::x11::KeycodePool;
using platform::x11::Keysym;
using platform::x11::keysymForCharacter;

namespace {

constexpr Keysym backSpace = 0xFF08;
constexpr Keysym smile = 0x0100263A;
constexpr Keysym eAcute = 0xE9;
constexpr Keysym house = 0x01002302;
constexpr Keysym pilcrow = 0xB6;

/// A small keyboard map, four keysyms per keycode as X servers report them:
/// keycode 10 types a and A, 11 types BackSpace on every level, 12 and 14 to 16
/// are empty, 13 types a slash and a question mark.
struct Keymap
{
    static constexpr int first = 10;
    static constexpr int perKeycode = 4;
    std::vector<Keysym> keysyms = {
        'a',       'A',       'a', 'A',       // 10
        backSpace, backSpace, 0,   backSpace, // 11
        0,         0,         0,   0,         // 12
        '/',       '?',       '/', '?',       // 13
        0,         0,         0,   0,         // 14
        0,         0,         0,   0,         // 15
        0,         0,         0,   0,         // 16
    };

    void set(int keycode, std::vector<Keysym> values)
    {
        values.resize(perKeycode, 0);
        std::copy(values.begin(), values.end(), keysyms.begin() + (keycode - first) * perKeycode);
    }
    void loadInto(KeycodePool &pool, int from = first, int count = 7) const
    {
        pool.update(from, count, perKeycode, keysyms.data() + (from - first) * perKeycode);
    }
};

} // namespace

Q_DECLARE_METATYPE(std::vector<int>)

class TestKeycodePool : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void keysymOfACharacter_data();
    void keysymOfACharacter();

    void keyThatTypesOnlyTheKeysymIsUsedAsItIs();
    void keyWithTheKeysymOnOneLevelOnlyIsNotUsed();
    void newKeysymBindsASpareKeycode();
    void repeatedKeysymNeedsNoNewBinding();
    void leastRecentlyUsedSpareIsRebound();
    void everySpareIsUsedBeforeAnyIsRebound();
    void ourOwnChangeReadBackKeepsTheBinding();
    void keycodeFilledByAnotherProgramIsLeftAlone();
    void bindingOverwrittenByAnotherProgramIsForgotten();
    void keycodeEmptiedElsewhereBecomesSpare();
    void noSpareKeycodeTypesNothing();
    void noSymbolTypesNothing();

    void recordKeepsTheLatestBindingOfEachKeycode();

private:
    Keymap m_keymap;
    KeycodePool m_pool;
};

void TestKeycodePool::init()
{
    m_keymap = Keymap();
    m_pool = KeycodePool();
    m_keymap.loadInto(m_pool);
}

void TestKeycodePool::keysymOfACharacter_data()
{
    QTest::addColumn<uint>("character");
    QTest::addColumn<qulonglong>("keysym");

    QTest::newRow("exclamation mark") << uint('!') << qulonglong(0x21);
    QTest::newRow("tilde") << uint('~') << qulonglong(0x7E);
    QTest::newRow("no-break space") << uint(0xA0) << qulonglong(0xA0);
    QTest::newRow("e acute") << uint(0xE9) << qulonglong(0xE9);
    QTest::newRow("y diaeresis") << uint(0xFF) << qulonglong(0xFF);
    QTest::newRow("C with acute") << uint(0x106) << qulonglong(0x01000106);
    QTest::newRow("Cyrillic A") << uint(0x410) << qulonglong(0x01000410);
    QTest::newRow("Hebrew alef") << uint(0x5D0) << qulonglong(0x010005D0);
    QTest::newRow("smiling face") << uint(0x263A) << qulonglong(0x0100263A);
    QTest::newRow("beyond the BMP") << uint(0x1F600) << qulonglong(0x0101F600);
    QTest::newRow("bell") << uint(0x07) << qulonglong(0);
    QTest::newRow("tab is the Tab key") << uint(0x09) << qulonglong(0xFF09);
    QTest::newRow("newline is the Return key") << uint(0x0A) << qulonglong(0xFF0D);
    QTest::newRow("carriage return") << uint(0x0D) << qulonglong(0);
    QTest::newRow("delete") << uint(0x7F) << qulonglong(0);
    QTest::newRow("C1 control") << uint(0x85) << qulonglong(0);
    QTest::newRow("not a code point") << uint(0x110000) << qulonglong(0);
}

void TestKeycodePool::keysymOfACharacter()
{
    QFETCH(uint, character);
    QFETCH(qulonglong, keysym);
    QCOMPARE(qulonglong(keysymForCharacter(char32_t(character))), keysym);
}

void TestKeycodePool::keyThatTypesOnlyTheKeysymIsUsedAsItIs()
{
    const auto assignment = m_pool.assign(backSpace);
    QCOMPARE(assignment.keycode, 11);
    QVERIFY(!assignment.bind);
    QVERIFY(m_pool.boundKeycodes().empty());
}

void TestKeycodePool::keyWithTheKeysymOnOneLevelOnlyIsNotUsed()
{
    // Keycode 13 types a slash only without Shift; a held Shift would type '?'.
    const auto slash = m_pool.assign('/');
    QVERIFY(slash.bind);
    QCOMPARE(slash.keycode, 12);
    const auto a = m_pool.assign('a');
    QVERIFY(a.bind);
    QCOMPARE(a.keycode, 14);
}

void TestKeycodePool::newKeysymBindsASpareKeycode()
{
    QCOMPARE(m_pool.spareCount(), 4);
    const auto assignment = m_pool.assign(smile);
    QCOMPARE(assignment.keycode, 12);
    QVERIFY(assignment.bind);
    QCOMPARE(m_pool.boundKeycodes(), std::vector<int>{12});
    QCOMPARE(m_pool.spareCount(), 4);
}

void TestKeycodePool::repeatedKeysymNeedsNoNewBinding()
{
    const int keycode = m_pool.assign(smile).keycode;
    for (int time = 0; time < 3; ++time) {
        const auto again = m_pool.assign(smile);
        QCOMPARE(again.keycode, keycode);
        QVERIFY(!again.bind);
    }
}

void TestKeycodePool::leastRecentlyUsedSpareIsRebound()
{
    const int smileKey = m_pool.assign(smile).keycode;
    const int eAcuteKey = m_pool.assign(eAcute).keycode;
    const int houseKey = m_pool.assign(house).keycode;
    const int pilcrowKey = m_pool.assign(pilcrow).keycode;
    m_pool.assign(smile); // now e acute is the oldest

    const auto bang = m_pool.assign('!');
    QVERIFY(bang.bind);
    QCOMPARE(bang.keycode, eAcuteKey);
    const auto again = m_pool.assign(eAcute);
    QVERIFY(again.bind);
    QCOMPARE(again.keycode, houseKey);
    // The ones still bound need nothing.
    QVERIFY(!m_pool.assign(smile).bind);
    QVERIFY(!m_pool.assign(pilcrow).bind);
    QCOMPARE(m_pool.assign(pilcrow).keycode, pilcrowKey);
    QCOMPARE(m_pool.assign(smile).keycode, smileKey);
}

void TestKeycodePool::everySpareIsUsedBeforeAnyIsRebound()
{
    std::vector<int> keycodes;
    for (Keysym keysym : {smile, eAcute, house, pilcrow})
        keycodes.push_back(m_pool.assign(keysym).keycode);
    QCOMPARE(keycodes, (std::vector<int>{12, 14, 15, 16}));
    QCOMPARE(m_pool.boundKeycodes(), (std::vector<int>{12, 14, 15, 16}));
}

void TestKeycodePool::ourOwnChangeReadBackKeepsTheBinding()
{
    const int keycode = m_pool.assign(smile).keycode;
    // The server reports the binding back, widened to four keysyms.
    m_keymap.set(keycode, {smile, smile, smile, smile});
    m_keymap.loadInto(m_pool, keycode, 1);
    QCOMPARE(m_pool.boundKeycodes(), std::vector<int>{keycode});
    const auto again = m_pool.assign(smile);
    QCOMPARE(again.keycode, keycode);
    QVERIFY(!again.bind);
}

void TestKeycodePool::keycodeFilledByAnotherProgramIsLeftAlone()
{
    m_keymap.set(12, {'x', 'X'});
    m_keymap.loadInto(m_pool);
    QCOMPARE(m_pool.spareCount(), 3);
    QCOMPARE(m_pool.assign(smile).keycode, 14);
    for (Keysym keysym : {eAcute, house, pilcrow, Keysym('!')})
        QVERIFY(m_pool.assign(keysym).keycode != 12);
    QVERIFY(m_pool.boundKeycodes() == (std::vector<int>{14, 15, 16}));
}

void TestKeycodePool::bindingOverwrittenByAnotherProgramIsForgotten()
{
    const int keycode = m_pool.assign(smile).keycode;
    m_keymap.set(keycode, {'q', 'Q'}); // a layout change
    m_keymap.loadInto(m_pool);
    QVERIFY(m_pool.boundKeycodes().empty());
    QCOMPARE(m_pool.spareCount(), 3);
    const auto again = m_pool.assign(smile);
    QVERIFY(again.bind);
    QVERIFY(again.keycode != keycode);
}

void TestKeycodePool::keycodeEmptiedElsewhereBecomesSpare()
{
    m_keymap.set(10, {});
    m_keymap.loadInto(m_pool, 10, 1);
    QCOMPARE(m_pool.spareCount(), 5);
    QCOMPARE(m_pool.assign(smile).keycode, 10);

    // And a binding of ours that someone emptied is no longer ours to release.
    const int keycode = m_pool.assign(house).keycode;
    m_keymap.set(keycode, {});
    m_keymap.loadInto(m_pool, keycode, 1);
    QCOMPARE(m_pool.boundKeycodes(), std::vector<int>{10});
}

void TestKeycodePool::noSpareKeycodeTypesNothing()
{
    for (int keycode : {12, 14, 15, 16})
        m_keymap.set(keycode, {'z'});
    m_keymap.loadInto(m_pool);
    QCOMPARE(m_pool.spareCount(), 0);
    const auto assignment = m_pool.assign(smile);
    QCOMPARE(assignment.keycode, 0);
    QVERIFY(!assignment.bind);
    // A key that types the keysym already still works.
    QCOMPARE(m_pool.assign('z').keycode, 12);
}

void TestKeycodePool::noSymbolTypesNothing()
{
    QCOMPARE(m_pool.assign(0).keycode, 0);
    QVERIFY(m_pool.boundKeycodes().empty());
}

void TestKeycodePool::recordKeepsTheLatestBindingOfEachKeycode()
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("ondrel-_0.keycodes")).toStdString();
    platform::x11::KeycodeRecord record(path);
    QVERIFY(record.read().empty()); // no file yet
    QVERIFY(record.add(94, 0x10000263A));
    QVERIFY(record.add(97, 0xc7));
    QVERIFY(record.add(94, 0x1002591)); // rebound later
    {
        // What a damaged file may hold besides: nothing of it is taken for a binding.
        std::ofstream damaged(path, std::ios::app);
        damaged << "garbage\n300 41\n5 41\n99\n98 0\n\xff\xfe\n";
    }
    QCOMPARE(record.read(), (std::map<int, Keysym>{{94, 0x1002591}, {97, 0xc7}}));
    QCOMPARE(QFile::permissions(QString::fromStdString(path)) &
                 (QFile::ReadOther | QFile::ReadGroup),
             QFile::Permissions());
    record.clear();
    QVERIFY(record.read().empty());
    QVERIFY(!QFile::exists(QString::fromStdString(path)));

    platform::x11::KeycodeRecord unwritable(
        folder.filePath(QStringLiteral("none/x")).toStdString());
    QVERIFY(!unwritable.add(94, 0x41));
}

QTEST_GUILESS_MAIN(TestKeycodePool)
#include "tst_keycodepool.moc"
