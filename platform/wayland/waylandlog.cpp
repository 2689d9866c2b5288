// SPDX-License-Identifier: GPL-3.0-or-later
#include "waylandlog.h"

Q_LOGGING_CATEGORY(lcWayland, "ondrel.wayland")
