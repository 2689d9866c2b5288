// SPDX-License-Identifier: GPL-3.0-or-later
#include "storedsettings.h"

#include "codepages/codepageregistry.h"
#include "ownpages.h"

#include <QSettings>

namespace storedsettings {

namespace {

int readInt(const QSettings &settings, const QString &key, int defaultValue, int min, int max)
{
    const int value = settings.value(key, defaultValue).toInt();
    return value < min || value > max ? defaultValue : value;
}

constexpr int largestSize = 1000;

} // namespace

QColor readBackgroundColor(const QSettings &settings, const QColor &defaultColor)
{
    const int red = readInt(settings, backgroundRedKey, defaultColor.red(), 0, 255);
    const int green = readInt(settings, backgroundGreenKey, defaultColor.green(), 0, 255);
    const int blue = readInt(settings, backgroundBlueKey, defaultColor.blue(), 0, 255);
    QColor color;
    color.setRgb(red, green, blue, 255);
    return color;
}

void writeBackgroundColor(QSettings &settings, const QColor &color)
{
    int red = 0;
    int green = 0;
    int blue = 0;
    color.getRgb(&red, &green, &blue);
    settings.setValue(backgroundRedKey, red);
    settings.setValue(backgroundGreenKey, green);
    settings.setValue(backgroundBlueKey, blue);
}

int readLabelSize(const QSettings &settings, int defaultSize)
{
    return readInt(settings, labelSizeKey, defaultSize, 1, largestSize);
}

int readSpacing(const QSettings &settings, int defaultSpacing)
{
    return readInt(settings, spacingKey, defaultSpacing, 0, largestSize);
}

void writeSizes(QSettings &settings, int labelSize, int spacing)
{
    settings.setValue(labelSizeKey, labelSize);
    settings.setValue(spacingKey, spacing);
}

QString readShowHideKeyName(const QSettings &settings, const QString &defaultName)
{
    return settings.value(showHideKeyKey, defaultName).toString();
}

void writeShowHideKeyName(QSettings &settings, const QString &name)
{
    settings.setValue(showHideKeyKey, name);
}

QString readPage(const QSettings &settings)
{
    const QString automatic = QStringLiteral("0");
    const QString stored = settings.value(codePageKey, automatic).toString().trimmed();
    bool isNumber = false;
    const int number = stored.toInt(&isNumber);
    if (isNumber)
        return number > 0 && codepages::findCodePage(static_cast<unsigned>(number))
                   ? QString::number(number)
                   : automatic;
    if (codepages::findCharacterPage(stored.toUtf8().constData()) ||
        ownpages::isPageFileName(stored))
        return stored;
    return automatic;
}

void writePage(QSettings &settings, const QString &page)
{
    bool isNumber = false;
    const int number = page.toInt(&isNumber);
    settings.setValue(codePageKey, isNumber ? QVariant(number) : QVariant(page));
}

} // namespace storedsettings
