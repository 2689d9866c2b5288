// SPDX-License-Identifier: GPL-3.0-or-later
#include "characterpanel.h"

#include "codepages/charactername.h"
#include "codepages/codepageregistry.h"
#include "panelaccessibility.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextLayout>
#include <QToolTip>

using namespace panelgeometry;

namespace {

constexpr int defaultCodePage = 437;
// Light enough to leave the glyph under the pointer readable.
constexpr int highlightAlpha = 48;
// Long enough to read "Copied" and the glyph, short enough not to be in the way.
constexpr int copiedMilliseconds = 1500;

QFont fontOfPixelSize(int pixelSize)
{
    QFont font;
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    return font;
}

QString textOf(char32_t character)
{
    return QString::fromUcs4(&character, 1);
}

} // namespace

CharacterPanel::CharacterPanel(QWidget *parent)
    : QWidget(parent, Qt::WindowStaysOnTopHint | Qt::WindowTitleHint)
{
    installPanelAccessibility();
    setMouseTracking(true);
    // Its own background also when a frame holds it, as on Wayland.
    setAutoFillBackground(true);
    // The panel never has the focus, and Qt shows tooltips only for the active
    // window unless told otherwise.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setCodePage(defaultCodePage);

    // The panel fits one screen: the desktop of several monitors side by side would
    // let it grow past the edge of each.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->geometry().size() : QSize();
    m_maxLabelSize = panelgeometry::maxLabelSize(desktop, frameSize().width() - width());
}

CharacterPanel::~CharacterPanel() = default;

void CharacterPanel::setCodePage(int number)
{
    const codepages::CodePage &page = codepages::codePageOrFallback(static_cast<unsigned>(number));
    m_codePage = static_cast<int>(page.number);
    const std::vector<codepages::AltCode> entries = codepages::panelEntries(page);
    m_glyphs.assign(backspaceCell, Glyph());
    for (std::size_t i = 0; i < entries.size() && i < m_glyphs.size(); ++i)
        m_glyphs[i] = {entries[i].code, entries[i].character};
    showGlyphs(QStringLiteral("1-255, ") + QString::fromLatin1(page.displayName));
}

void CharacterPanel::setCharacters(const QString &name, const std::u32string &characters)
{
    m_codePage = 0;
    m_glyphs.assign(backspaceCell, Glyph());
    for (std::size_t i = 0; i < characters.size() && i < m_glyphs.size(); ++i)
        m_glyphs[i] = {0, characters[i]};
    showGlyphs(name);
}

void CharacterPanel::showGlyphs(const QString &title)
{
    setWindowTitle(QStringLiteral("Ondrel [") + title + QLatin1Char(']'));
    m_shapedGlyphs.clear();
    setHoveredCell(-1);
    update();
}

void CharacterPanel::setLabelSize(int size)
{
    m_labelSize = size;
    m_glyphFont = fontOfPixelSize(glyphFontPixelSize(size));
    m_backspaceFont = fontOfPixelSize(backspaceFontPixelSize(size));
    resizeToGrid();
}

void CharacterPanel::setLabelSpacing(int spacing)
{
    m_spacing = spacing;
    resizeToGrid();
}

void CharacterPanel::resizeToGrid()
{
    // A fixed size keeps the user from resizing the panel by its frame.
    setFixedSize(gridExtent(m_labelSize, m_spacing));
    m_shapedGlyphs.clear();
    setHoveredCell(-1);
    update();
}

void CharacterPanel::setBackgroundColor(QColor color)
{
    m_backgroundColor = color;
    QPalette palette = this->palette();
    palette.setBrush(QPalette::All, backgroundRole(), QBrush(color, Qt::SolidPattern));
    setPalette(palette);
    update();
}

QColor CharacterPanel::inkColor() const
{
    const QColor background =
        m_backgroundColor.isValid() ? m_backgroundColor : palette().color(backgroundRole());
    return background.lightness() >= 128 ? QColor(Qt::black) : QColor(Qt::white);
}

CharacterPanel::Glyph CharacterPanel::glyph(int cell) const
{
    if (cell < 0 || cell >= static_cast<int>(m_glyphs.size()))
        return {};
    return m_glyphs[static_cast<std::size_t>(cell)];
}

bool CharacterPanel::isFilled(int cell) const
{
    return cell == backspaceCell || glyph(cell).character != 0;
}

int CharacterPanel::cellAt(QPoint point) const
{
    return panelgeometry::cellAt(point, m_labelSize, m_spacing);
}

QRect CharacterPanel::cellRect(int cell) const
{
    return panelgeometry::cellRect(cell, m_labelSize, m_spacing);
}

QString CharacterPanel::toolTip(int cell) const
{
    if (cell == backspaceCell)
        return tr("Backspace");
    const Glyph shown = glyph(cell);
    if (shown.character == 0)
        return {};
    const QString codePoint =
        QStringLiteral("U+%1").arg(uint(shown.character), 4, 16, QLatin1Char('0')).toUpper();
    const QString name = QString::fromStdString(codepages::characterName(shown.character));
    const QString separator = QStringLiteral(" · ");
    QString text = (name.isEmpty() ? QString() : name + separator) + codePoint;
    if (shown.code != 0)
        text += separator + QStringLiteral("Alt+%1").arg(shown.code);
    return text + QLatin1Char('\n') + tr("Right-click to copy");
}

QString CharacterPanel::accessibleName(int cell) const
{
    if (cell == backspaceCell)
        return tr("Backspace");
    const Glyph shown = glyph(cell);
    if (shown.character == 0)
        return {};
    const QString name = QString::fromStdString(codepages::characterName(shown.character));
    return name.isEmpty() ? textOf(shown.character)
                          : textOf(shown.character) + QLatin1Char(' ') + name;
}

void CharacterPanel::activateCell(int cell)
{
    if (cell == backspaceCell) {
        emit backspaceActivated();
        return;
    }
    const Glyph shown = glyph(cell);
    if (shown.character != 0)
        emit characterActivated(shown.code, shown.character);
}

bool CharacterPanel::copyCell(int cell)
{
    const Glyph shown = glyph(cell);
    if (shown.character == 0)
        return false;
    const QString text = textOf(shown.character);
    QGuiApplication::clipboard()->setText(text);
    const QString confirmation = tr("Copied %1").arg(text);
    const QRect rect = cellRect(cell);
    if (m_toolTipsShown)
        QToolTip::showText(mapToGlobal(rect.bottomLeft()), confirmation, this, rect,
                           copiedMilliseconds);
    emit hoverTextChanged(confirmation);
    return true;
}

void CharacterPanel::setHoveredCell(int cell)
{
    if (cell == m_hoveredCell)
        return;
    if (m_hoveredCell >= 0)
        update(cellRect(m_hoveredCell));
    m_hoveredCell = cell;
    if (cell >= 0) {
        update(cellRect(cell));
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
    emit hoverTextChanged(cell >= 0 ? toolTip(cell) : QString());
}

bool CharacterPanel::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        if (!m_toolTipsShown)
            return true;
        const auto *help = static_cast<QHelpEvent *>(event);
        const int cell = cellAt(help->pos());
        if (isFilled(cell))
            QToolTip::showText(help->globalPos(), toolTip(cell), this, cellRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CharacterPanel::shapeGlyphs()
{
    // Every glyph sits on the same baseline, with the font's line box centred in
    // the cell, so that box-drawing strokes meet from cell to cell. A glyph that a
    // fallback font draws may have a taller line; its runs still go on that baseline.
    const QFontMetricsF metrics(m_glyphFont);
    const qreal baselineInCell =
        (m_labelSize - (metrics.ascent() + metrics.descent())) / 2 + metrics.ascent();
    m_shapedGlyphs.assign(m_glyphs.size(), ShapedGlyph());
    for (std::size_t cell = 0; cell < m_glyphs.size(); ++cell) {
        if (m_glyphs[cell].character == 0)
            continue;
        QTextLayout layout(textOf(m_glyphs[cell].character), m_glyphFont);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        const QRect rect = cellRect(static_cast<int>(cell));
        ShapedGlyph &shaped = m_shapedGlyphs[cell];
        shaped.runs = layout.glyphRuns();
        shaped.origin = QPointF(rect.left() + (rect.width() - line.naturalTextWidth()) / 2,
                                rect.top() + baselineInCell - line.ascent());
    }
}

void CharacterPanel::paintEvent(QPaintEvent *event)
{
    // Shaping waits for the first paint after a change: a panel that stays hidden
    // costs nothing, and a run of slider steps shapes only what is shown.
    if (m_shapedGlyphs.empty())
        shapeGlyphs();

    QPainter painter(this);
    const QColor ink = inkColor();
    if (m_hoveredCell >= 0) {
        QColor wash = ink;
        wash.setAlpha(highlightAlpha);
        painter.fillRect(cellRect(m_hoveredCell), wash);
    }
    painter.setPen(ink);
    for (std::size_t cell = 0; cell < m_shapedGlyphs.size(); ++cell) {
        const ShapedGlyph &shaped = m_shapedGlyphs[cell];
        if (shaped.runs.isEmpty() || !event->rect().intersects(cellRect(static_cast<int>(cell))))
            continue;
        for (const QGlyphRun &run : shaped.runs)
            painter.drawGlyphRun(shaped.origin, run);
    }
    painter.setFont(m_backspaceFont);
    //: The Backspace cell's label, two short lines that fit a small square.
    painter.drawText(cellRect(backspaceCell), Qt::AlignCenter, tr("back\nspace"));
}

void CharacterPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    const int cell = cellAt(event->position().toPoint());
    m_pressedCell = isFilled(cell) ? cell : -1;
    m_pressedButton = event->button();
}

void CharacterPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != m_pressedButton)
        return;
    const int pressed = m_pressedCell;
    m_pressedCell = -1;
    // Like a button: only a release on the cell that was pressed counts, so the
    // user can still change their mind by dragging off it.
    if (pressed < 0 || cellAt(event->position().toPoint()) != pressed)
        return;
    if (event->button() == Qt::LeftButton)
        activateCell(pressed);
    else
        copyCell(pressed);
}

void CharacterPanel::mouseMoveEvent(QMouseEvent *event)
{
    const int cell = cellAt(event->position().toPoint());
    setHoveredCell(isFilled(cell) ? cell : -1);
}

void CharacterPanel::leaveEvent(QEvent *event)
{
    setHoveredCell(-1);
    QWidget::leaveEvent(event);
}
