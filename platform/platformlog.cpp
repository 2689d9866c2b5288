// SPDX-License-Identifier: GPL-3.0-or-later
#include "platformlog.h"

Q_LOGGING_CATEGORY(lcPlatform, "ondrel.platform")
