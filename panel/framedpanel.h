// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>

class CharacterPanel;
class QAction;
class QFrame;
class QLabel;
class QToolButton;

/// The panel for a desktop that gives it no frame and no pop-up windows that leave
/// the focus alone: a slim title strip above the grid, with the title (or what the
/// pointer is over), an area to drag it by, a menu button and a close button. The
/// menu opens inside the panel.
class FramedPanel : public QWidget
{
    Q_OBJECT

public:
    /// Takes the grid as its child; the grid keeps its own size rules.
    explicit FramedPanel(CharacterPanel *grid, QWidget *parent = nullptr);

    CharacterPanel *grid() const { return m_grid; }

    /// The entries the menu button offers, in order.
    void setMenuActions(const QList<QAction *> &actions);
    void showMenu();
    void hideMenu();
    bool isMenuShown() const;

signals:
    /// The title strip was pressed with the pointer at a point of the screen;
    /// dragged follows with where the pointer is now. The points are Qt's global
    /// ones: on a layer surface, which Qt keeps at the screen's origin, they are
    /// where the pointer is on the surface.
    void dragStarted(QPoint position);
    void dragged(QPoint position);
    void closeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showStatus(const QString &text);

    CharacterPanel *m_grid;
    QWidget *m_strip;
    QLabel *m_title;
    QToolButton *m_menuButton;
    QFrame *m_menu;
    QList<QWidget *> m_menuEntries;
};
