// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The services that are a wlroots compositor's: typing through a virtual keyboard,
// a panel on a layer-shell surface, and no key hook (the compositor's own binding
// runs `ondrel --toggle`).

#include "../keyboard.h"
#include "../panelwindow.h"
#include "../showhidekey.h"

#include <QPointer>

#include <memory>
#include <string>

namespace platform::wayland {

class PanelLayer;
class VirtualKeyboardTyper;

class WaylandKeyboard : public Keyboard
{
public:
    /// On the application's own Wayland connection; create it once the application
    /// object exists, and destroy it before.
    WaylandKeyboard();
    ~WaylandKeyboard() override;

    bool isAvailable() const override;
    bool type(char32_t character) override;
    bool typeBackspace() override;
    std::string errorString() const override;

private:
    std::unique_ptr<VirtualKeyboardTyper> m_typer;
};

/// For a compositor that lets no client type into others: asking it for a virtual
/// keyboard anyway could end the connection.
class NoKeyboard : public Keyboard
{
public:
    bool isAvailable() const override { return false; }
    bool type(char32_t) override { return false; }
    bool typeBackspace() override { return false; }
    std::string errorString() const override
    {
        return "this compositor lets no program type into others";
    }
};

/// The panel as an OVERLAY layer surface without keyboard interactivity: it floats
/// above every window and no click on it moves the keyboard focus.
class LayerShellPanelWindow : public PanelWindow
{
public:
    LayerShellPanelWindow();
    ~LayerShellPanelWindow() override;

    bool drawsOwnDecorations() const override { return true; }
    bool adopt(QWidget &window) override;
    void place(QWidget &window, QPoint topLeft) override;
    QPoint position(const QWidget &window) const override;

private:
    std::unique_ptr<PanelLayer> m_layer;
};

/// Wayland lets no client watch the keyboard: the show/hide key is a binding of the
/// compositor's that runs `ondrel --toggle`.
class CompositorBoundKey : public ShowHideKey
{
public:
    bool start() override { return false; }
    void stop() override {}
    std::string errorString() const override
    {
        return "on Wayland, bind a key to `ondrel --toggle` in the compositor's settings";
    }
};

} // namespace platform::wayland
