// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

/// The panel's size rules and cell arithmetic, kept apart from the widget so they
/// read as arithmetic.
namespace panelgeometry {

constexpr int rowCount = 7;
constexpr int columnCount = 28;
constexpr int cellCount = rowCount * columnCount;
/// The last cell types Backspace; the cells before it show glyphs.
constexpr int backspaceCell = cellCount - 1;
constexpr int minLabelSize = 20;
constexpr int minSpacing = 0;
constexpr int maxSpacing = 50;

/// A glyph's pixel size: the label less a fifth on each side.
constexpr int glyphFontPixelSize(int labelSize)
{
    return labelSize - 2 * (labelSize / 5);
}

/// "back" over "space" must fit the cell width, hence the smaller font.
constexpr int backspaceFontPixelSize(int labelSize)
{
    return static_cast<int>(labelSize / 3.5);
}

/// The exact extent of the grid: cells plus the gaps between them.
constexpr QSize gridExtent(int labelSize, int spacing)
{
    return QSize(columnCount * labelSize + (columnCount - 1) * spacing,
                 rowCount * labelSize + (rowCount - 1) * spacing);
}

/// The largest label size whose grid fits the desktop: the height leaves room for a
/// row's worth of title bar and taskbar, the width for the window frame.
constexpr int maxLabelSize(QSize desktop, int frameExtra)
{
    const int byHeight = desktop.height() / (rowCount + 1);
    const int byWidth = (desktop.width() - frameExtra) / columnCount;
    return byHeight < byWidth ? byHeight : byWidth;
}

/// Where a cell lies, counted row by row from the top-left corner.
constexpr QRect cellRect(int cell, int labelSize, int spacing)
{
    const int pitch = labelSize + spacing;
    return QRect((cell % columnCount) * pitch, (cell / columnCount) * pitch, labelSize, labelSize);
}

/// The cell under a point, or -1 in a gap between cells or outside the grid.
constexpr int cellAt(QPoint point, int labelSize, int spacing)
{
    const int pitch = labelSize + spacing;
    if (labelSize <= 0 || point.x() < 0 || point.y() < 0)
        return -1;
    const int column = point.x() / pitch;
    const int row = point.y() / pitch;
    if (column >= columnCount || row >= rowCount || point.x() % pitch >= labelSize ||
        point.y() % pitch >= labelSize)
        return -1;
    return row * columnCount + column;
}

} // namespace panelgeometry
