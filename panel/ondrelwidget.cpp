// SPDX-License-Identifier: GPL-3.0-or-later
#include "ondrelwidget.h"

#include "alttyping.h"
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
