// SPDX-License-Identifier: GPL-3.0-or-later
#include "alttyping.h"

#include <QByteArray>

namespace alttyping {

void typeAltCode(platform::Keyboard &keyboard, const QString &digits)
{
    // toLatin1() turns what Latin-1 cannot hold into '?', which is no digit, so
    // such a link is still refused as a whole.
    const QByteArray latin1 = digits.toLatin1();
    typeAltCodeDigits(
        keyboard, std::string_view(latin1.constData(), static_cast<std::size_t>(latin1.size())));
}

} // namespace alttyping
