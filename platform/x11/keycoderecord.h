// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "keycodepool.h"

#include <map>
#include <string>

namespace platform::x11 {

/// The keycodes this display's Ondrel has bound, kept in a small file of the
/// user's runtime folder, so that a killed Ondrel's bindings can be undone by the
/// next one. A binding is added before it is made: a kill between the two leaves a
/// record of a binding that was never made, which the next start finds harmless.
///
/// Each binding is appended as one short line, which a kill cannot leave half
/// written; the latest line of a keycode holds.
class KeycodeRecord
{
public:
    /// An empty path keeps no record.
    explicit KeycodeRecord(std::string path);

    /// Returns false when the file cannot be written.
    bool add(int keycode, Keysym keysym);

    /// The bindings recorded, the latest per keycode. Lines that are not a
    /// binding (a damaged file) are skipped.
    std::map<int, Keysym> read() const;

    void clear();

    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace platform::x11
