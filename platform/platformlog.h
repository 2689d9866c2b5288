// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

/// Failures of the system services, with their reasons. Only the backends that use
/// Qt log here; the plain Win32 ones report through their errorString().
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
