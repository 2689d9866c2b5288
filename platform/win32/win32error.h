// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace platform::win32 {

/// What went wrong, from an error code as GetLastError() gives it: the system's own
/// words where it has them, and the number.
std::string errorText(unsigned long errorCode);

/// A wide string from the system, in UTF-8.
std::string utf8(const std::wstring &text);

} // namespace platform::win32
