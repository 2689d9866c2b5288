// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

/// What the tray controller could not do, and why.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
