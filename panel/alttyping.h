// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "altkeys.h"

#include <QString>

/// The key sequences that the panel's labels type.
namespace alttyping {

/// Types the Alt code of a label's link (see typeAltCodeDigits). A link with any
/// character outside Latin-1 is no code and types nothing.
void typeAltCode(platform::Keyboard &keyboard, const QString &digits);

} // namespace alttyping
