// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panelgeometry.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QWidget>

#include <string>
#include <vector>

/// The floating character panel: an always-on-top grid of clickable glyphs, painted
/// in one widget. It only shows and reports: a click on a glyph emits
/// characterActivated, one on the last cell backspaceActivated, and whoever owns the
/// panel decides what typing means and keeps the window from taking the focus.
class CharacterPanel : public QWidget
{
    Q_OBJECT

public:
    explicit CharacterPanel(QWidget *parent = nullptr);
    ~CharacterPanel() override;

    /// Shows the glyphs of a code page and names it in the title; a page without
    /// glyphs of its own shows 437's.
    void setCodePage(int number);
    /// Shows characters that are typed as themselves, from the first cell on, with
    /// the page's name in the title; those beyond the last glyph cell are left out.
    void setCharacters(const QString &name, const std::u32string &characters);
    /// The code page whose Alt codes the cells carry; 0 for characters of their own.
    int codePage() const { return m_codePage; }

    void setLabelSize(int size);
    void setLabelSpacing(int spacing);
    void setBackgroundColor(QColor color);

    int labelSize() const { return m_labelSize; }
    int labelSpacing() const { return m_spacing; }
    QColor backgroundColor() const { return m_backgroundColor; }
    int minLabelSize() const { return panelgeometry::minLabelSize; }
    int maxLabelSize() const { return m_maxLabelSize; }
    int minSpacing() const { return panelgeometry::minSpacing; }
    int maxSpacing() const { return panelgeometry::maxSpacing; }

    /// What a glyph cell shows: its code in the page and its character. An empty
    /// cell has character 0; one without an Alt code has code 0.
    struct Glyph
    {
        int code = 0;
        char32_t character = 0;
    };
    Glyph glyph(int cell) const;
    /// Whether a click on the cell does something: a glyph, or Backspace.
    bool isFilled(int cell) const;
    /// The cell under a point of the panel, or -1.
    int cellAt(QPoint point) const;
    QRect cellRect(int cell) const;

    /// The tooltip of a filled cell: name, code point and Alt code of its glyph.
    QString toolTip(int cell) const;
    /// What a screen reader calls a filled cell: its glyph and the glyph's name.
    QString accessibleName(int cell) const;

    /// Does what a click on a filled cell does.
    void activateCell(int cell);
    /// Does what a right click does: copies the cell's glyph to the clipboard.
    /// Returns false for a cell without a glyph.
    bool copyCell(int cell);

    /// The colour of the glyphs and the highlight, black or white, whichever stands
    /// out against the background.
    QColor inkColor() const;

    /// Whether the panel shows tooltips itself; where a tooltip window would take
    /// the focus, whoever shows the panel shows hoverTextChanged's text instead.
    void setToolTipsShown(bool shown) { m_toolTipsShown = shown; }

signals:
    /// A glyph was clicked: its code in the code page shown, and its character.
    void characterActivated(int code, char32_t character);
    void backspaceActivated();
    /// What a tooltip says about the cell under the pointer, or what was just done
    /// ("Copied ..."); empty when the pointer is over no filled cell.
    void hoverTextChanged(const QString &text);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    /// A glyph shaped for painting: the runs of the fonts that draw it, and where
    /// they go in the panel.
    struct ShapedGlyph
    {
        QList<QGlyphRun> runs;
        QPointF origin;
    };

    void resizeToGrid();
    void shapeGlyphs();
    void setHoveredCell(int cell);
    void showGlyphs(const QString &title);

    std::vector<Glyph> m_glyphs;             // one per glyph cell, so cellCount - 1 of them
    std::vector<ShapedGlyph> m_shapedGlyphs; // empty until the next paint needs them
    QFont m_glyphFont;
    QFont m_backspaceFont;
    QColor m_backgroundColor;
    int m_codePage = 0;
    int m_labelSize = 0;
    int m_spacing = 0;
    int m_maxLabelSize = 0;
    int m_hoveredCell = -1;
    int m_pressedCell = -1;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    bool m_toolTipsShown = true;
};
