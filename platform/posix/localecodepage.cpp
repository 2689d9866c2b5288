// SPDX-License-Identifier: GPL-3.0-or-later
#include "localecodepage.h"

#include <cstdlib>

namespace platform::posix {

namespace {

struct LocaleName
{
    std::string_view language;
    std::string_view territory;
    std::string_view modifier;
};

LocaleName parse(std::string_view name)
{
    LocaleName parts;
    if (const auto at = name.find('@'); at != std::string_view::npos) {
        parts.modifier = name.substr(at + 1);
        name = name.substr(0, at);
    }
    if (const auto dot = name.find('.'); dot != std::string_view::npos)
        name = name.substr(0, dot);
    if (const auto underscore = name.find('_'); underscore != std::string_view::npos) {
        parts.territory = name.substr(underscore + 1);
        name = name.substr(0, underscore);
    }
    parts.language = name;
    return parts;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

/// An empty territory or modifier in a rule matches any.
struct Rule
{
    std::string_view language;
    std::string_view territory;
    std::string_view modifier;
    unsigned codePage;
};

// The first matching rule wins, so the narrower rules of a language come first.
// Languages not listed (Greek, Baltic, Arabic, East Asian and so on) get 437, as
// does English in the United States and anywhere not named here.
constexpr Rule rules[] = {
    // Cyrillic
    {"ru", "", "", 866},
    {"uk", "", "", 866},
    {"be", "", "", 866},
    {"bg", "", "", 866},
    {"mk", "", "", 866},
    {"kk", "", "", 866},
    {"ky", "", "", 866},
    {"tt", "", "", 866},
    {"mn", "", "", 866},
    // Hebrew
    {"he", "", "", 862},
    // Turkish
    {"tr", "", "", 857},
    {"az", "", "", 857},
    // Central European; Serbian is Cyrillic unless the Latin script is asked for
    {"pl", "", "", 852},
    {"cs", "", "", 852},
    {"sk", "", "", 852},
    {"hu", "", "", 852},
    {"sl", "", "", 852},
    {"hr", "", "", 852},
    {"ro", "", "", 852},
    {"sq", "", "", 852},
    {"bs", "", "", 852},
    {"sr", "", "latin", 852},
    {"sr", "", "", 855},
    // Western European
    {"de", "", "", 850},
    {"fr", "", "", 850},
    {"es", "", "", 850},
    {"ca", "", "", 850},
    {"eu", "", "", 850},
    {"gl", "", "", 850},
    {"it", "", "", 850},
    {"nl", "", "", 850},
    {"pt", "", "", 850},
    {"da", "", "", 850},
    {"sv", "", "", 850},
    {"nb", "", "", 850},
    {"nn", "", "", 850},
    {"no", "", "", 850},
    {"fi", "", "", 850},
    {"is", "", "", 850},
    {"en", "GB", "", 850},
    {"en", "IE", "", 850},
    {"en", "CA", "", 850},
    {"en", "AU", "", 850},
    {"en", "NZ", "", 850},
};

constexpr unsigned fallbackCodePage = 437;

} // namespace

std::string_view characterLocale(const char *lcAll, const char *lcCtype, const char *lang)
{
    for (const char *value : {lcAll, lcCtype, lang}) {
        if (value && *value)
            return value;
    }
    return {};
}

unsigned oemCodePageForLocale(std::string_view locale)
{
    const LocaleName name = parse(locale);
    for (const Rule &rule : rules) {
        if (equalIgnoringCase(rule.language, name.language) &&
            (rule.territory.empty() || equalIgnoringCase(rule.territory, name.territory)) &&
            (rule.modifier.empty() || equalIgnoringCase(rule.modifier, name.modifier)))
            return rule.codePage;
    }
    return fallbackCodePage;
}

unsigned LocaleCodePage::oemCodePage() const
{
    return oemCodePageForLocale(
        characterLocale(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG")));
}

} // namespace platform::posix
