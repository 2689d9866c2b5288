// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A tiny assertion helper for the Windows test programs, which run under Wine
// without any test framework: each check prints one line, and the program's exit
// status says whether all of them held.

#include <cstdio>
#include <string>

namespace wintest {

class Checks
{
public:
    /// Records one check; returns whether it held, so a caller can stop early.
    bool check(bool held, const std::string &what)
    {
        std::printf("%s: %s\n", held ? "PASS" : "FAIL", what.c_str());
        std::fflush(stdout);
        ++m_count;
        if (!held)
            ++m_failed;
        return held;
    }

    template <typename Actual, typename Expected>
    bool equal(const Actual &actual, const Expected &expected, const std::string &what)
    {
        const bool held = actual == expected;
        if (!held)
            return check(false,
                         what + " (got " + text(actual) + ", expected " + text(expected) + ")");
        return check(true, what);
    }

    /// Prints the tally and gives the exit status: 0 only when every check held and
    /// there was at least one.
    int finish() const
    {
        std::printf("%d checks, %d failed\n", m_count, m_failed);
        std::fflush(stdout);
        return m_count > 0 && m_failed == 0 ? 0 : 1;
    }

private:
    static std::string text(const std::string &value) { return '"' + value + '"'; }
    static std::string text(const char *value) { return text(std::string(value)); }
    template <typename Number> static std::string text(Number value)
    {
        return std::to_string(value);
    }

    int m_count = 0;
    int m_failed = 0;
};

} // namespace wintest
