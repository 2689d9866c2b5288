// SPDX-License-Identifier: GPL-3.0-or-later
// The glyph tables against an independent source: the C library's own converters
// for the OEM code pages, and the IBM PC graphics at the control positions.
#include "codepages/altcodetable.h"
#include "codepages/codepagecharacters.h"
#include "codepages/table437.h"
#include "codepages/table850.h"
#include "codepages/table852.h"
#include "codepages/table855.h"
#include "codepages/table857.h"
#include "codepages/table860.h"
#include "codepages/table862.h"
#include "codepages/table863.h"
#include "codepages/table865.h"
#include "codepages/table866.h"
#include "codepages/tablecommon.h"

#include <QTest>

#include <iconv.h>
#include <map>
#include <optional>
#include <vector>

using codepages::AltCode;
using codepages::AltCodeEntry;
using codepages::AltCodeTable;

namespace {

struct Table
{
    const AltCode *codes;
    std::size_t count;
};

template <std::size_t N> Table tableOf(const AltCode (&codes)[N])
{
    return {codes, N};
}

Table codePageData(unsigned codePage)
{
    switch (codePage) {
    case 437:
        return tableOf(codepages::table437);
    case 850:
        return tableOf(codepages::table850);
    case 852:
        return tableOf(codepages::table852);
    case 855:
        return tableOf(codepages::table855);
    case 857:
        return tableOf(codepages::table857);
    case 860:
        return tableOf(codepages::table860);
    case 862:
        return tableOf(codepages::table862);
    case 863:
        return tableOf(codepages::table863);
    case 865:
        return tableOf(codepages::table865);
    case 866:
        return tableOf(codepages::table866);
    }
    return {nullptr, 0};
}

/// glibc's own reading of a byte in an IBM code page; nothing when it has none.
class CLibraryDecoder
{
public:
    explicit CLibraryDecoder(unsigned codePage)
        : m_handle(iconv_open("UTF-32LE", QByteArray("IBM" + QByteArray::number(codePage))))
    {}
    ~CLibraryDecoder()
    {
        if (isOpen())
            iconv_close(m_handle);
    }
    CLibraryDecoder(const CLibraryDecoder &) = delete;
    CLibraryDecoder &operator=(const CLibraryDecoder &) = delete;

    bool isOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    std::optional<char32_t> decode(unsigned char byte)
    {
        char in[1] = {static_cast<char>(byte)};
        unsigned char out[8] = {};
        char *inPointer = in;
        char *outPointer = reinterpret_cast<char *>(out);
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_handle, &inPointer, &inLeft, &outPointer, &outLeft) ==
                static_cast<size_t>(-1) ||
            sizeof out - outLeft != 4)
            return std::nullopt;
        return char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 |
               char32_t(out[3]) << 24;
    }

private:
    iconv_t m_handle;
};

QString reference(char32_t character)
{
    return QStringLiteral("&#x") + QString::number(uint(character), 16).toUpper() + u';';
}

// The graphics that the IBM PC draws at the control positions.
const std::map<unsigned, char32_t> controlGraphics = {
    {1, 0x263A},   {2, 0x263B},  {3, 0x2665},  {4, 0x2666},  {5, 0x2663},  {6, 0x2660},
    {7, 0x2022},   {8, 0x25D8},  {9, 0x25CB},  {10, 0x25D9}, {11, 0x2642}, {12, 0x2640},
    {13, 0x266A},  {14, 0x266B}, {15, 0x263C}, {16, 0x25BA}, {17, 0x25C4}, {18, 0x2195},
    {19, 0x203C},  {20, 0x00B6}, {21, 0x00A7}, {22, 0x25AC}, {24, 0x2191}, {25, 0x2193},
    {26, 0x2192},  {27, 0x2190}, {28, 0x221F}, {29, 0x2194}, {30, 0x25B2}, {31, 0x25BC},
    {127, 0x2302},
};

/// What the panel offers below 128: the graphics above and the ASCII punctuation.
char32_t expectedCommonCharacter(unsigned code)
{
    if (const auto it = controlGraphics.find(code); it != controlGraphics.end())
        return it->second;
    const bool punctuation = (code >= 33 && code <= 47) || (code >= 58 && code <= 64) ||
                             (code >= 91 && code <= 96) || (code >= 123 && code <= 126);
    return punctuation ? code : 0;
}

/// What the panel offers at 128-254 of a code page, by the C library: every assigned
/// byte except the invisible soft hyphen and the double low line.
std::vector<std::pair<unsigned, char32_t>> expectedCodePage(unsigned codePage)
{
    CLibraryDecoder decoder(codePage);
    std::vector<std::pair<unsigned, char32_t>> expected;
    for (unsigned code = 128; code <= 254; ++code) {
        const auto character = decoder.decode(static_cast<unsigned char>(code));
        if (character && *character != 0xAD && *character != 0x2017)
            expected.emplace_back(code, *character);
    }
    return expected;
}

} // namespace

class TestCodePageTables : public QObject
{
    Q_OBJECT

private slots:
    void codePageTableMatchesTheCLibrary_data();
    void codePageTableMatchesTheCLibrary();
    void commonTableHoldsGraphicsAndPunctuation();
    void commonTableSkipsCode23();

    void entryWritesDigitsAndAReference_data();
    void entryWritesDigitsAndAReference();
    void tableIsBuiltOnlyOnce();
    void releaseKeepsTheLength();

    void panelCharacterFollowsTheTables_data();
    void panelCharacterFollowsTheTables();
};

void TestCodePageTables::codePageTableMatchesTheCLibrary_data()
{
    QTest::addColumn<unsigned>("codePage");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QList<int>>("leftOut");

    QTest::newRow("437") << 437u << 127 << QList<int>{};
    QTest::newRow("850") << 850u << 125 << QList<int>{240, 242};
    QTest::newRow("852") << 852u << 126 << QList<int>{240};
    QTest::newRow("855") << 855u << 126 << QList<int>{240};
    QTest::newRow("857") << 857u << 123 << QList<int>{213, 231, 240, 242};
    QTest::newRow("860") << 860u << 127 << QList<int>{};
    QTest::newRow("862") << 862u << 127 << QList<int>{};
    QTest::newRow("863") << 863u << 126 << QList<int>{141};
    QTest::newRow("865") << 865u << 127 << QList<int>{};
    QTest::newRow("866") << 866u << 127 << QList<int>{};
}

void TestCodePageTables::codePageTableMatchesTheCLibrary()
{
    QFETCH(unsigned, codePage);
    QFETCH(int, entries);
    QFETCH(QList<int>, leftOut);

    QVERIFY2(CLibraryDecoder(codePage).isOpen(), "the C library has no converter for the page");
    const Table data = codePageData(codePage);
    AltCodeTable table;
    table.build(data.codes, data.count);
    QCOMPARE(table.length(), entries);

    const auto expected = expectedCodePage(codePage);
    QCOMPARE(table.entries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const AltCodeEntry &entry = table.entries()[i];
        QCOMPARE(QString::fromStdString(entry.code), QString::number(expected[i].first));
        QCOMPARE(QString::fromStdString(entry.glyph), reference(expected[i].second));
    }

    for (const AltCodeEntry &entry : table.entries())
        QVERIFY(!leftOut.contains(std::stoi(entry.code)));
    QCOMPARE(table.entries().back().code, std::string("254"));
    QCOMPARE(table.entries().back().glyph, std::string("&#x25A0;"));
}

void TestCodePageTables::commonTableHoldsGraphicsAndPunctuation()
{
    AltCodeTable table;
    table.build(codepages::commonTable);
    QCOMPARE(table.length(), 63);

    std::vector<std::pair<unsigned, char32_t>> expected;
    for (unsigned code = 1; code < 128; ++code) {
        if (const char32_t character = expectedCommonCharacter(code))
            expected.emplace_back(code, character);
    }
    QCOMPARE(table.entries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(QString::fromStdString(table.entries()[i].code),
                 QString::number(expected[i].first));
        QCOMPARE(QString::fromStdString(table.entries()[i].glyph), reference(expected[i].second));
    }
}

void TestCodePageTables::commonTableSkipsCode23()
{
    AltCodeTable table;
    table.build(codepages::commonTable);
    QCOMPARE(table.entries().at(21).code, std::string("22"));
    QCOMPARE(table.entries().at(22).code, std::string("24"));
    QCOMPARE(table.entries().at(20).glyph, std::string("&#xA7;"));
    QCOMPARE(table.entries().at(19).glyph, std::string("&#xB6;"));
    QCOMPARE(table.entries().front().glyph, std::string("&#x263A;"));
    QCOMPARE(table.entries().back().code, std::string("127"));
}

void TestCodePageTables::entryWritesDigitsAndAReference_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("character");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("glyph");

    QTest::newRow("one digit, four hex digits") << 1 << 0x263A << "1"
                                                << "&#x263A;";
    QTest::newRow("two hex digits, not padded") << 20 << 0xB6 << "20"
                                                << "&#xB6;";
    QTest::newRow("ASCII") << 33 << 0x21 << "33"
                           << "&#x21;";
    QTest::newRow("upper-case hex") << 128 << 0xC7 << "128"
                                    << "&#xC7;";
    QTest::newRow("three hex digits") << 128 << 0x452 << "128"
                                      << "&#x452;";
    QTest::newRow("highest code") << 254 << 0x25A0 << "254"
                                  << "&#x25A0;";
}

void TestCodePageTables::entryWritesDigitsAndAReference()
{
    QFETCH(int, code);
    QFETCH(int, character);
    QFETCH(QString, digits);
    QFETCH(QString, glyph);

    const AltCodeEntry entry(
        AltCode{static_cast<unsigned char>(code), static_cast<char16_t>(character)});
    QCOMPARE(QString::fromStdString(entry.code), digits);
    QCOMPARE(QString::fromStdString(entry.glyph), glyph);
}

void TestCodePageTables::tableIsBuiltOnlyOnce()
{
    AltCodeTable table;
    QCOMPARE(table.length(), 0);
    QVERIFY(!table.isReleased());
    table.build(codepages::commonTable);
    table.build(codepages::commonTable);
    QCOMPARE(table.length(), 63);
    QCOMPARE(table.entries().size(), std::size_t(63));

    // A built table keeps its content even when asked to build other data.
    table.build(codepages::table866);
    QCOMPARE(table.length(), 63);
    QCOMPARE(table.entries().front().glyph, std::string("&#x263A;"));
}

void TestCodePageTables::releaseKeepsTheLength()
{
    AltCodeTable table;
    table.build(codepages::table857);
    table.release();
    QCOMPARE(table.length(), 123);
    QVERIFY(table.isReleased());
    QVERIFY(table.entries().empty());

    // Released is still built: the entries do not come back.
    table.build(codepages::table857);
    QCOMPARE(table.length(), 123);
    QVERIFY(table.entries().empty());
}

void TestCodePageTables::panelCharacterFollowsTheTables_data()
{
    QTest::addColumn<unsigned>("codePage");
    QTest::addColumn<unsigned>("tableOf");

    for (unsigned page : {437u, 850u, 852u, 855u, 857u, 860u, 862u, 863u, 865u, 866u})
        QTest::newRow(qPrintable(QString::number(page))) << page << page;
    QTest::newRow("858 reads as 437") << 858u << 437u;
    QTest::newRow("737 reads as 437") << 737u << 437u;
    QTest::newRow("0 reads as 437") << 0u << 437u;
}

void TestCodePageTables::panelCharacterFollowsTheTables()
{
    QFETCH(unsigned, codePage);
    QFETCH(unsigned, tableOf);

    std::map<unsigned, char32_t> offered;
    for (const auto &[code, character] : expectedCodePage(tableOf))
        offered[code] = character;

    for (unsigned code = 0; code < 128; ++code)
        QCOMPARE(uint(codepages::panelCharacter(codePage, code)),
                 uint(expectedCommonCharacter(code)));
    for (unsigned code = 128; code <= 255; ++code) {
        const auto it = offered.find(code);
        QCOMPARE(uint(codepages::panelCharacter(codePage, code)),
                 uint(it == offered.end() ? 0 : it->second));
    }
    // Beyond a byte there is nothing, not a wrapped-around code.
    QCOMPARE(uint(codepages::panelCharacter(codePage, 256 + 128)), 0u);
    QCOMPARE(uint(codepages::panelCharacter(codePage, 256 + 33)), 0u);
}

QTEST_GUILESS_MAIN(TestCodePageTables)
#include "tst_codepagetables.moc"
