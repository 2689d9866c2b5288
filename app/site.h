// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace site {

/// The product's web site; "Help" opens its help page and About links to it.
inline const QString address = QStringLiteral("https://ondrel.example.org");
inline const QString helpPath = QStringLiteral("/help");

} // namespace site
