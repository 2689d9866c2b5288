// SPDX-License-Identifier: GPL-3.0-or-later
#include "ondrelwidget.h"

#include "alttyping.h"
#include "codepages/codepagechoice.h"
#include "codepages/table437.h"
#include "codepages/table850.h"
#include "codepages/table852.h"
#include "codepages/table855.h"
#include "codepages/table857.h"
#include "codepages/table860.h"
#include "codepages/table862.h"
#include "codepages/table863.h"
#include "codepages/table865.h"
#include "codepages/table866.h"
#include "codepages/tablecommon.h"
#include "platform/services.h"

#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QVBoxLayout>

using namespace panelgeometry;

namespace {

const char backspaceText[] = "<center><a href=\"link\"style=\"text-decoration: none; color: "
                             "black;\">back<br>space</a></center>";

// A centred, black, not underlined character whose link is the code's digits, so a
// click hands exactly the digits to type to the panel.
QString labelText(const codepages::AltCodeEntry &entry)
{
    return QStringLiteral("<center><a href=\"") + QString::fromLatin1(entry.code) +
           QStringLiteral("\" style=\"text-decoration: none; color: black;\">") +
           QString::fromLatin1(entry.glyph) + QStringLiteral("</a></center>");
}

QFont fontOfPixelSize(int pixelSize)
{
    QFont font;
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    return font;
}

} // namespace

OndrelWidget::OndrelWidget(platform::Services &services, QWidget *parent)
    : QWidget(parent, Qt::WindowStaysOnTopHint | Qt::WindowTitleHint), m_services(services),
      m_handOver(*services.windowActivation, [this] { return platform::NativeWindow(winId()); })
{
    m_gridLayout = new QGridLayout;
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    createGlyphLabels();
    fillCommonLabels();
    applyOemCodePage();
    createBackspaceLabel();
    layOutGrid();
    computeMaxLabelSize();
    // The panel must never take the focus from the application being typed in,
    // not even on its very first show.
    enableNoActivate();
}

OndrelWidget::~OndrelWidget() = default;

void OndrelWidget::createGlyphLabels()
{
    for (int row = 0; row < rowCount; ++row) {
        for (int column = 0; column < columnCount; ++column) {
            if (row == rowCount - 1 && column == columnCount - 1)
                return; // the last cell belongs to the backspace label
            auto *label = new QLabel;
            label->setOpenExternalLinks(false);
            m_gridLayout->addWidget(label, row, column);
            m_glyphLabels.append(label);
            connect(label, &QLabel::linkActivated, this, &OndrelWidget::slot_OndrelLabelActivated);
        }
    }
}

struct OndrelWidget::CodePageChoice
{
    void (OndrelWidget::*build)();
    codepages::AltCodeTable OndrelWidget::*table;
    const char *displayName;
};

OndrelWidget::CodePageChoice OndrelWidget::chooseCodePage(unsigned codePage)
{
    using W = OndrelWidget;
    const codepages::SupportedCodePage supported = codepages::supportedCodePage(codePage);
    const char *const name = supported.displayName;
    switch (supported.number) {
    case 850:
        return {&W::buildTable850, &W::m_table850, name};
    case 852:
        return {&W::buildTable852, &W::m_table852, name};
    case 855:
        return {&W::buildTable855, &W::m_table855, name};
    case 857:
        return {&W::buildTable857, &W::m_table857, name};
    case 860:
        return {&W::buildTable860, &W::m_table860, name};
    case 862:
        return {&W::buildTable862, &W::m_table862, name};
    case 863:
        return {&W::buildTable863, &W::m_table863, name};
    case 865:
        return {&W::buildTable865, &W::m_table865, name};
    case 866:
        return {&W::buildTable866, &W::m_table866, name};
    default:
        return {&W::buildTable437, &W::m_table437, name};
    }
}

const codepages::AltCodeTable &OndrelWidget::codePageTable(unsigned codePage) const
{
    return this->*chooseCodePage(codePage).table;
}

void OndrelWidget::fillCommonLabels()
{
    buildCommonTable();
    const auto &entries = m_commonTable.entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        m_glyphLabels.at(static_cast<qsizetype>(i))->setText(labelText(entries[i]));
    releaseTable(m_commonTable);
}

void OndrelWidget::applyOemCodePage()
{
    // Asked once: the panel keeps showing the code page it was created with.
    const CodePageChoice choice = chooseCodePage(m_services.codePage->oemCodePage());
    (this->*choice.build)();
    codepages::AltCodeTable &table = this->*choice.table;
    fillCodePageLabels(table);
    releaseTable(table);
    setWindowTitle(QStringLiteral("Ondrel [1-255, ") + QString::fromLatin1(choice.displayName) +
                   QLatin1Char(']'));
}

void OndrelWidget::fillCodePageLabels(const codepages::AltCodeTable &table)
{
    // The code page's labels follow the common ones, whatever their number.
    const qsizetype start = m_commonTable.length();
    const auto &entries = table.entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        m_glyphLabels.at(start + static_cast<qsizetype>(i))->setText(labelText(entries[i]));
}

void OndrelWidget::releaseTable(codepages::AltCodeTable &table)
{
    table.release();
}

void OndrelWidget::buildCommonTable()
{
    m_commonTable.build(codepages::commonTable);
}

void OndrelWidget::buildTable437()
{
    m_table437.build(codepages::table437);
}

void OndrelWidget::buildTable850()
{
    m_table850.build(codepages::table850);
}

void OndrelWidget::buildTable852()
{
    m_table852.build(codepages::table852);
}

void OndrelWidget::buildTable855()
{
    m_table855.build(codepages::table855);
}

void OndrelWidget::buildTable857()
{
    m_table857.build(codepages::table857);
}

void OndrelWidget::buildTable860()
{
    m_table860.build(codepages::table860);
}

void OndrelWidget::buildTable862()
{
    m_table862.build(codepages::table862);
}

void OndrelWidget::buildTable863()
{
    m_table863.build(codepages::table863);
}

void OndrelWidget::buildTable865()
{
    m_table865.build(codepages::table865);
}

void OndrelWidget::buildTable866()
{
    m_table866.build(codepages::table866);
}

void OndrelWidget::createBackspaceLabel()
{
    m_backspaceLabel = new QLabel(QString::fromLatin1(backspaceText));
    m_backspaceLabel->setObjectName(QStringLiteral("backspaceLabel"));
    m_backspaceLabel->setOpenExternalLinks(false);
    m_gridLayout->addWidget(m_backspaceLabel, rowCount - 1, columnCount - 1);
    connect(m_backspaceLabel, &QLabel::linkActivated, this,
            &OndrelWidget::slot_backspaceLabelActivated);
}

void OndrelWidget::layOutGrid()
{
    // The grid sits in the top-left corner; any extra room goes right and below.
    m_gridHost = new QWidget;
    m_gridHost->setLayout(m_gridLayout);
    auto *row = new QHBoxLayout;
    row->addWidget(m_gridHost, 0);
    row->addStretch(1);
    auto *column = new QVBoxLayout;
    column->addLayout(row, 0);
    column->addStretch(1);
    column->setContentsMargins(0, 0, 0, 0);
    setLayout(column);
}

void OndrelWidget::computeMaxLabelSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize desktop = screen ? screen->virtualGeometry().size() : QSize();
    m_maxLabelSize = panelgeometry::maxLabelSize(desktop, frameSize().width() - width());
}

void OndrelWidget::setLabelSize(int size)
{
    m_labelSize = size;
    const QFont glyphFont = fontOfPixelSize(glyphFontPixelSize(size));
    for (QLabel *label : std::as_const(m_glyphLabels)) {
        label->setFixedSize(size, size);
        label->setFont(glyphFont);
    }
    m_backspaceLabel->setFixedSize(size, size);
    m_backspaceLabel->setFont(fontOfPixelSize(backspaceFontPixelSize(size)));
}

void OndrelWidget::setLabelSpacing(int spacing)
{
    m_gridLayout->setSpacing(spacing);
}

int OndrelWidget::labelSpacing() const
{
    return m_gridLayout->spacing();
}

void OndrelWidget::fitToGrid()
{
    resize(gridExtent(m_labelSize, labelSpacing()));
}

void OndrelWidget::setBackgroundColor(QColor color)
{
    m_backgroundColor = color;
    QPalette palette = this->palette();
    palette.setBrush(QPalette::All, backgroundRole(), QBrush(color, Qt::SolidPattern));
    setPalette(palette);
}

void OndrelWidget::paintEvent(QPaintEvent *)
{
    // Hugging the grid on every paint keeps the window exact after any change of
    // label size or spacing, and the fixed size keeps the frame from resizing it.
    resize(m_gridHost->size());
    setFixedSize(sizeHint());
}

void OndrelWidget::enableNoActivate()
{
    m_handOver.enableNoActivate();
}

void OndrelWidget::disableNoActivate()
{
    m_handOver.disableNoActivate();
}

bool OndrelWidget::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    // Never consumes the message: the system's own frame handling (moving, the
    // system menu, the close button) must follow.
    m_handOver.handle(m_services.windowActivation->frameEvent(eventType.constData(), message));
    return QWidget::nativeEvent(eventType, message, result);
}

void OndrelWidget::slot_OndrelLabelActivated(const QString &link)
{
    alttyping::typeAltCode(*m_services.keyboard, link);
}

void OndrelWidget::slot_backspaceLabelActivated(const QString &link)
{
    Q_UNUSED(link)
    alttyping::typeBackspace(*m_services.keyboard);
}
