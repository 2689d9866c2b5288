// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>

class QSettings;

/// The user's choices as they are kept between runs. Each key is spelt here once,
/// together with what counts as a value the panel can live with.
namespace storedsettings {

inline const QString backgroundRedKey = QStringLiteral("/Settings/Colors/Background/R");
inline const QString backgroundGreenKey = QStringLiteral("/Settings/Colors/Background/G");
inline const QString backgroundBlueKey = QStringLiteral("/Settings/Colors/Background/B");
inline const QString labelSizeKey = QStringLiteral("/Settings/Sizes/Labels");
inline const QString spacingKey = QStringLiteral("/Settings/Sizes/Spacing");
inline const QString showHideKeyKey = QStringLiteral("/Settings/KeyForShowHideOndrel");
inline const QString codePageKey = QStringLiteral("/Settings/CodePage");

inline const QString organization = QStringLiteral("Ondrel");
inline const QString application = QStringLiteral("Ondrel_1.0");

/// Reads the colour. A component that is not a number reads as 0, as it always
/// has; one outside 0-255 could only come from an edited file and would turn the
/// panel black, so it takes the default's component instead.
QColor readBackgroundColor(const QSettings &settings, const QColor &defaultColor);
void writeBackgroundColor(QSettings &settings, const QColor &color);

/// Reads the label size; one below 1 or above 1000 gives the default.
int readLabelSize(const QSettings &settings, int defaultSize);
/// Reads the spacing; one below 0 or above 1000 gives the default.
int readSpacing(const QSettings &settings, int defaultSpacing);
void writeSizes(QSettings &settings, int labelSize, int spacing);

QString readShowHideKeyName(const QSettings &settings, const QString &defaultName);
void writeShowHideKeyName(QSettings &settings, const QString &name);

/// The page the user chose: "0" for the code page the system gives, a code page's
/// number, a built-in page's key, or the file name of a page of the user's own. A
/// number that Ondrel has no glyphs for, or anything else that can name no page,
/// reads as "0"; whether a page file is still there is for its reader to say.
QString readPage(const QSettings &settings);
/// Code pages go in as numbers, as they always have.
void writePage(QSettings &settings, const QString &page);

} // namespace storedsettings
