// SPDX-License-Identifier: GPL-3.0-or-later
// ondrel-wayland-probe: tells what the session's compositor offers Ondrel, one
// "name: yes|no" a line. Exit status 0 when it offers both the virtual keyboard
// and the layer shell, 1 when not, 2 without a compositor.
#include "platform/wayland/waylandprobe.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    const bool tryKeyboard = argc > 1 && std::strcmp(argv[1], "--try-keyboard") == 0;
    const auto offer = platform::wayland::probeWaylandSession(tryKeyboard);
    const auto yes = [](bool b) { return b ? "yes" : "no"; };
    std::printf("connected: %s\n", yes(offer.connected));
    std::printf("zwp_virtual_keyboard_manager_v1: %s\n", yes(offer.virtualKeyboard));
    std::printf("zwlr_layer_shell_v1: %s\n", yes(offer.layerShell));
    if (tryKeyboard)
        std::printf("virtual keyboard accepted: %s\n", yes(offer.virtualKeyboardAccepted));
    if (!offer.connected)
        return 2;
    return offer.canTypeAndFloat() && (!tryKeyboard || offer.virtualKeyboardAccepted) ? 0 : 1;
}
