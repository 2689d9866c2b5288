// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace platform::x11 {

constexpr char HookLibraryFileName[] = "libKestrine.so";

/// The files the hook library may be loaded from, one per folder, in the folders'
/// order. The library runs inside a global keyboard hook, so it is only ever loaded
/// by absolute path from folders the program chose: a relative folder, which would
/// depend on the current directory, is left out, as is an empty one.
std::vector<std::string> hookLibraryCandidates(const std::vector<std::string> &folders);

} // namespace platform::x11
