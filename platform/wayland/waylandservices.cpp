// SPDX-License-Identifier: GPL-3.0-or-later
#include "waylandservices.h"

#include "keymaptext.h"
#include "panellayer.h"
#include "virtualkeyboardtyper.h"
#include "waylandlog.h"

#include <QWidget>

namespace platform::wayland {

WaylandKeyboard::WaylandKeyboard() : m_typer(VirtualKeyboardTyper::forQtApplication()) {}

WaylandKeyboard::~WaylandKeyboard() = default;

bool WaylandKeyboard::isAvailable() const
{
    return m_typer && m_typer->isAvailable();
}

bool WaylandKeyboard::type(char32_t character)
{
    return m_typer && m_typer->typeKeysym(keysymForCharacter(character));
}

bool WaylandKeyboard::typeBackspace()
{
    return m_typer && m_typer->typeBackspace();
}

std::string WaylandKeyboard::errorString() const
{
    return m_typer ? m_typer->errorString() : "Qt does not run on Wayland";
}

LayerShellPanelWindow::LayerShellPanelWindow() = default;

LayerShellPanelWindow::~LayerShellPanelWindow() = default;

bool LayerShellPanelWindow::adopt(QWidget &window)
{
    window.winId();
    m_layer = createPanelLayer(window.windowHandle());
    return m_layer->isAvailable();
}

void LayerShellPanelWindow::place(QWidget &, QPoint topLeft)
{
    if (m_layer)
        m_layer->setPosition(topLeft);
}

QPoint LayerShellPanelWindow::position(const QWidget &) const
{
    return m_layer ? m_layer->position() : QPoint();
}

} // namespace platform::wayland
