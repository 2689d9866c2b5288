// SPDX-License-Identifier: GPL-3.0-or-later
#include "panelaccessibility.h"

#include "characterpanel.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <map>

namespace {

/// One filled cell. Cells have no QObject of their own; the panel's interface
/// creates these on request and keeps them registered while it lives.
class CellAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    CellAccessible(CharacterPanel *panel, int cell) : m_panel(panel), m_cell(cell) {}

    bool isValid() const override { return m_panel && m_panel->isFilled(m_cell); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_panel ? m_panel->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return m_panel ? QAccessible::queryAccessibleInterface(m_panel) : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override
    {
        if (!m_panel)
            return {};
        switch (kind) {
        case QAccessible::Name:
            return m_panel->accessibleName(m_cell);
        case QAccessible::Description:
            return m_panel->toolTip(m_cell);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!m_panel)
            return {};
        const QRect local = m_panel->cellRect(m_cell);
        return QRect(m_panel->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_panel || !m_panel->isVisible();
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (m_panel && name == pressAction())
            m_panel->activateCell(m_cell);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    int cell() const { return m_cell; }

private:
    QPointer<CharacterPanel> m_panel;
    int m_cell;
};

class PanelAccessible : public QAccessibleWidget
{
public:
    explicit PanelAccessible(CharacterPanel *panel) : QAccessibleWidget(panel, QAccessible::Table)
    {}

    ~PanelAccessible() override
    {
        for (const auto &[cell, id] : m_cellIds)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return static_cast<int>(filledCells().size()); }

    QAccessibleInterface *child(int index) const override
    {
        const std::vector<int> cells = filledCells();
        if (index < 0 || index >= static_cast<int>(cells.size()))
            return nullptr;
        return cellInterface(cells[static_cast<std::size_t>(index)]);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *cellChild = dynamic_cast<const CellAccessible *>(child);
        if (!cellChild)
            return -1;
        const std::vector<int> cells = filledCells();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i] == cellChild->cell())
                return static_cast<int>(i);
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const int cell = panel()->cellAt(panel()->mapFromGlobal(QPoint(x, y)));
        return panel()->isFilled(cell) ? cellInterface(cell) : nullptr;
    }

private:
    CharacterPanel *panel() const { return static_cast<CharacterPanel *>(widget()); }

    std::vector<int> filledCells() const
    {
        std::vector<int> cells;
        for (int cell = 0; cell < panelgeometry::cellCount; ++cell) {
            if (panel()->isFilled(cell))
                cells.push_back(cell);
        }
        return cells;
    }

    /// The same interface for a cell every time, as assistive technology expects.
    QAccessibleInterface *cellInterface(int cell) const
    {
        const auto found = m_cellIds.find(cell);
        if (found != m_cellIds.end())
            return QAccessible::accessibleInterface(found->second);
        auto *interface = new CellAccessible(panel(), cell);
        m_cellIds[cell] = QAccessible::registerAccessibleInterface(interface);
        return interface;
    }

    mutable std::map<int, QAccessible::Id> m_cellIds;
};

QAccessibleInterface *panelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(CharacterPanel::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new PanelAccessible(static_cast<CharacterPanel *>(object));
    return nullptr;
}

} // namespace

void installPanelAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    QAccessible::installFactory(panelFactory);
    installed = true;
}
