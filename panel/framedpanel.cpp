// SPDX-License-Identifier: GPL-3.0-or-later
#include "framedpanel.h"

#include "characterpanel.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *stripButton(const QString &text, const QString &toolTip, const QString &name)
{
    auto *button = new QToolButton;
    button->setText(text);
    button->setAccessibleName(toolTip);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

FramedPanel::FramedPanel(CharacterPanel *grid, QWidget *parent)
    : QWidget(parent, Qt::WindowStaysOnTopHint), m_grid(grid)
{
    m_strip = new QWidget;
    m_strip->setObjectName(QStringLiteral("titleStrip"));
    m_title = new QLabel;
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setMinimumWidth(1); // a long tooltip text must not widen the panel
    m_title->setCursor(Qt::SizeAllCursor);
    m_title->installEventFilter(this);
    m_menuButton = stripButton(QStringLiteral("☰"), tr("Menu"), QStringLiteral("menuButton"));
    QToolButton *closeButton =
        stripButton(QStringLiteral("✕"), tr("Close"), QStringLiteral("closeButton"));
    auto *stripLayout = new QHBoxLayout(m_strip);
    stripLayout->setContentsMargins(6, 0, 0, 0);
    stripLayout->setSpacing(0);
    stripLayout->addWidget(m_title, 1);
    stripLayout->addWidget(m_menuButton);
    stripLayout->addWidget(closeButton);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addWidget(m_strip);
    column->addWidget(m_grid);

    m_menu = new QFrame(this);
    m_menu->setObjectName(QStringLiteral("inlineMenu"));
    m_menu->setFrameShape(QFrame::StyledPanel);
    m_menu->setAutoFillBackground(true);
    new QVBoxLayout(m_menu);
    m_menu->hide();

    setWindowTitle(m_grid->windowTitle());
    m_title->setText(m_grid->windowTitle());
    m_grid->installEventFilter(this);
    connect(m_grid, &CharacterPanel::hoverTextChanged, this, &FramedPanel::showStatus);
    connect(m_menuButton, &QToolButton::clicked, this,
            [this] { isMenuShown() ? hideMenu() : showMenu(); });
    connect(closeButton, &QToolButton::clicked, this, &FramedPanel::closeRequested);
}

void FramedPanel::setMenuActions(const QList<QAction *> &actions)
{
    qDeleteAll(m_menuEntries);
    m_menuEntries.clear();
    for (QAction *action : actions) {
        auto *entry = new QToolButton;
        entry->setText(action->text());
        entry->setAutoRaise(true);
        entry->setFocusPolicy(Qt::NoFocus);
        entry->setToolButtonStyle(Qt::ToolButtonTextOnly);
        entry->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        // The menu goes first, so that an entry that hides the panel finds it closed.
        connect(entry, &QToolButton::clicked, action, [this, action] {
            hideMenu();
            action->trigger();
        });
        m_menu->layout()->addWidget(entry);
        m_menuEntries.append(entry);
    }
}

void FramedPanel::showMenu()
{
    m_menu->adjustSize();
    // Below the menu button, at the right edge, over the grid.
    m_menu->move(width() - m_menu->width(), m_strip->height());
    m_menu->raise();
    m_menu->show();
}

void FramedPanel::hideMenu()
{
    m_menu->hide();
}

bool FramedPanel::isMenuShown() const
{
    return m_menu->isVisible();
}

void FramedPanel::showStatus(const QString &text)
{
    m_title->setText(text.isEmpty()
                         ? windowTitle()
                         : QString(text).replace(QLatin1Char('\n'), QStringLiteral(" · ")));
}

bool FramedPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_grid && event->type() == QEvent::WindowTitleChange) {
        setWindowTitle(m_grid->windowTitle());
        m_title->setText(windowTitle());
    } else if (watched == m_grid && event->type() == QEvent::MouseButtonPress) {
        hideMenu(); // a click elsewhere closes the menu, as a pop-up menu's would
    } else if (watched == m_title && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            emit dragStarted(mouse->globalPosition().toPoint());
    } else if (watched == m_title && event->type() == QEvent::MouseMove) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->buttons() & Qt::LeftButton)
            emit dragged(mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}
