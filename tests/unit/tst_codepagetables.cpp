// SPDX-License-Identifier: GPL-3.0-or-later
// The code-page registry against an independent source: the C library's own
// converters for the OEM code pages, and the IBM PC graphics at the control positions.
#include "codepages/codepageregistry.h"

#include <QTest>

#include <iconv.h>
#include <map>
#include <optional>
#include <vector>

using codepages::AltCode;

namespace {

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

std::vector<std::pair<unsigned, char32_t>> pairs(codepages::Entries entries)
{
    std::vector<std::pair<unsigned, char32_t>> result;
    for (const AltCode &entry : entries)
        result.emplace_back(entry.code, entry.character);
    return result;
}

} // namespace

class TestCodePageTables : public QObject
{
    Q_OBJECT

private slots:
    void everyPageMatchesTheCLibrary_data();
    void everyPageMatchesTheCLibrary();
    void commonEntriesHoldGraphicsAndPunctuation();
    void unknownPagesFallBackTo437();
};

void TestCodePageTables::everyPageMatchesTheCLibrary_data()
{
    QTest::addColumn<unsigned>("number");
    for (const codepages::CodePage &page : codepages::allCodePages())
        QTest::newRow(page.displayName) << page.number;
}

void TestCodePageTables::everyPageMatchesTheCLibrary()
{
    QFETCH(unsigned, number);
    QVERIFY2(CLibraryDecoder(number).isOpen(), "the C library has no converter for the page");
    const codepages::CodePage *page = codepages::findCodePage(number);
    QVERIFY(page);
    QVERIFY(
        QByteArray(page->displayName).startsWith("Code Page " + QByteArray::number(number) + ' '));
    QCOMPARE(pairs(page->entries), expectedCodePage(number));
    QCOMPARE(&codepages::codePageOrFallback(number), page);

    // What the panel shows: the common entries, then the page's, at most 195 cells.
    const std::vector<AltCode> shown = codepages::panelEntries(*page);
    QVERIFY(shown.size() <= 195);
    QCOMPARE(shown.size(), codepages::commonEntries().size() + page->entries.size());
    QCOMPARE(unsigned(shown.back().code), 254u);
}

void TestCodePageTables::commonEntriesHoldGraphicsAndPunctuation()
{
    std::vector<std::pair<unsigned, char32_t>> expected;
    for (unsigned code = 1; code < 128; ++code) {
        if (const char32_t character = expectedCommonCharacter(code))
            expected.emplace_back(code, character);
    }
    QCOMPARE(pairs(codepages::commonEntries()), expected);
    QCOMPARE(expected.size(), std::size_t(63));
}

void TestCodePageTables::unknownPagesFallBackTo437()
{
    for (unsigned number : {0u, 737u, 858u, 1252u}) {
        QVERIFY(!codepages::findCodePage(number));
        QCOMPARE(codepages::codePageOrFallback(number).number, 437u);
    }
}

QTEST_GUILESS_MAIN(TestCodePageTables)
#include "tst_codepagetables.moc"
