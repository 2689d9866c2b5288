// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace platform {

/// A native window handle as an integer: an HWND on Windows, an X window id on X11.
/// Kept free of any toolkit type so that the Windows backend builds without Qt.
using NativeWindow = std::uintptr_t;

} // namespace platform
