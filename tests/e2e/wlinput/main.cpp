// SPDX-License-Identifier: GPL-3.0-or-later
// ondrel_wl_input: the input devices of a headless Wayland test session.
//
// A headless wlroots seat has neither keyboard nor pointer; without a keyboard no
// client ever gets the keyboard focus. This program keeps a stand-in keyboard (a
// virtual keyboard with a US layout) and a virtual pointer alive for as long as it
// runs, and drives them with commands read from stdin, one a line:
//   move X Y                 pointer to X,Y of the output layout
//   button left|right|middle press|release
//   click X Y [left|right|middle]
//   key NAME...              press the keys named by keysym (e.g. F8, Control_L c),
//                            then release them in reverse order
//   type KEYSYM              type a keysym (hexadecimal) with Ondrel's own typer
//   backspace                Backspace with Ondrel's own typer
//   sync                     wait until the compositor has handled everything
// Each command is answered with one line: "ok", "sent NANOSECONDS" for type and
// backspace (CLOCK_MONOTONIC when the key events had been written to the socket),
// or "error REASON". "ready" is written once the devices exist.
//   usage: ondrel_wl_input WIDTH HEIGHT   (the output layout's size)
#include "platform/wayland/virtualkeyboardtyper.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t ButtonLeft = 0x110; // BTN_LEFT
constexpr std::uint32_t ButtonRight = 0x111;
constexpr std::uint32_t ButtonMiddle = 0x112;

struct Globals
{
    wl_seat *seat = nullptr;
    zwp_virtual_keyboard_manager_v1 *keyboardManager = nullptr;
    zwlr_virtual_pointer_manager_v1 *pointerManager = nullptr;
};

void onGlobal(void *data, wl_registry *registry, std::uint32_t name, const char *interface,
              std::uint32_t)
{
    auto *globals = static_cast<Globals *>(data);
    if (!std::strcmp(interface, wl_seat_interface.name) && !globals->seat)
        globals->seat =
            static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name))
        globals->keyboardManager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    else if (!std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name))
        globals->pointerManager = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void onGlobalRemove(void *, wl_registry *, std::uint32_t) {}

std::uint32_t milliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

long long nanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

[[noreturn]] void fail(const std::string &reason)
{
    std::cout << "error " << reason << std::endl;
    std::exit(1);
}

class StandInKeyboard
{
public:
    StandInKeyboard(zwp_virtual_keyboard_manager_v1 *manager, wl_seat *seat)
    {
        m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names names = {"evdev", "pc105", "us", "", ""};
        m_keymap = xkb_keymap_new_from_names(m_context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (!m_keymap)
            fail("cannot compile a US keymap (is xkb-data installed?)");
        char *text = xkb_keymap_get_as_string(m_keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
        const std::size_t size = std::strlen(text) + 1;
        const int fd = memfd_create("stand-in-keymap", MFD_CLOEXEC);
        if (fd < 0 || write(fd, text, size) != static_cast<ssize_t>(size))
            fail("cannot write the keymap");
        std::free(text);
        m_state = xkb_state_new(m_keymap);
        m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
        zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(size));
        close(fd);
    }

    /// The evdev code of the first key that types keysym on its first level.
    int codeFor(const std::string &name) const
    {
        const xkb_keysym_t wanted = xkb_keysym_from_name(name.c_str(), XKB_KEYSYM_NO_FLAGS);
        if (wanted == XKB_KEY_NoSymbol)
            return -1;
        for (xkb_keycode_t code = xkb_keymap_min_keycode(m_keymap);
             code <= xkb_keymap_max_keycode(m_keymap); ++code) {
            const xkb_keysym_t *syms = nullptr;
            const int count = xkb_keymap_key_get_syms_by_level(m_keymap, code, 0, 0, &syms);
            for (int i = 0; i < count; ++i) {
                if (syms[i] == wanted)
                    return static_cast<int>(code) - 8;
            }
        }
        return -1;
    }

    void send(int code, bool pressed)
    {
        zwp_virtual_keyboard_v1_key(m_keyboard, milliseconds(), static_cast<std::uint32_t>(code),
                                    pressed ? WL_KEYBOARD_KEY_STATE_PRESSED
                                            : WL_KEYBOARD_KEY_STATE_RELEASED);
        // wlroots takes a virtual keyboard's modifiers from its modifiers requests
        // alone, not from its keys.
        const auto changed = xkb_state_update_key(m_state, static_cast<xkb_keycode_t>(code + 8),
                                                  pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
        if (changed & (XKB_STATE_MODS_DEPRESSED | XKB_STATE_MODS_LATCHED | XKB_STATE_MODS_LOCKED |
                       XKB_STATE_LAYOUT_EFFECTIVE))
            zwp_virtual_keyboard_v1_modifiers(
                m_keyboard, xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED),
                xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED),
                xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED),
                xkb_state_serialize_layout(m_state, XKB_STATE_LAYOUT_EFFECTIVE));
    }

private:
    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_state *m_state = nullptr;
    zwp_virtual_keyboard_v1 *m_keyboard = nullptr;
};

std::uint32_t buttonCode(const std::string &name)
{
    if (name == "right")
        return ButtonRight;
    if (name == "middle")
        return ButtonMiddle;
    return ButtonLeft;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage: ondrel_wl_input WIDTH HEIGHT\n";
        return 2;
    }
    const auto width = static_cast<std::uint32_t>(std::atoi(argv[1]));
    const auto height = static_cast<std::uint32_t>(std::atoi(argv[2]));
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        fail("cannot connect to the compositor");
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    static const wl_registry_listener listener = {&onGlobal, &onGlobalRemove};
    wl_registry_add_listener(registry, &listener, &globals);
    wl_display_roundtrip(display);
    if (!globals.seat || !globals.keyboardManager || !globals.pointerManager)
        fail("the compositor lacks a seat, the virtual keyboard or the virtual pointer");

    StandInKeyboard keyboard(globals.keyboardManager, globals.seat);
    zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(
        globals.pointerManager, globals.seat);
    if (wl_display_roundtrip(display) < 0)
        fail("the compositor refused the devices");
    std::unique_ptr<platform::wayland::VirtualKeyboardTyper> typer;

    const auto finish = [display]() {
        if (wl_display_roundtrip(display) < 0)
            fail("the connection failed");
    };
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "move" || command == "click") {
            std::uint32_t x = 0, y = 0;
            std::string button;
            if (!(in >> x >> y) || x >= width || y >= height) {
                std::cout << "error bad position" << std::endl;
                continue;
            }
            in >> button;
            zwlr_virtual_pointer_v1_motion_absolute(pointer, milliseconds(), x, y, width, height);
            zwlr_virtual_pointer_v1_frame(pointer);
            if (command == "click") {
                // The client has to see the pointer over it before the press.
                finish();
                const std::uint32_t code = buttonCode(button);
                zwlr_virtual_pointer_v1_button(pointer, milliseconds(), code,
                                               WL_POINTER_BUTTON_STATE_PRESSED);
                zwlr_virtual_pointer_v1_frame(pointer);
                zwlr_virtual_pointer_v1_button(pointer, milliseconds(), code,
                                               WL_POINTER_BUTTON_STATE_RELEASED);
                zwlr_virtual_pointer_v1_frame(pointer);
            }
            finish();
            std::cout << "ok" << std::endl;
        } else if (command == "button") {
            std::string button, state;
            in >> button >> state;
            zwlr_virtual_pointer_v1_button(pointer, milliseconds(), buttonCode(button),
                                           state == "release" ? WL_POINTER_BUTTON_STATE_RELEASED
                                                              : WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            finish();
            std::cout << "ok" << std::endl;
        } else if (command == "key") {
            std::vector<int> codes;
            std::string name;
            bool known = true;
            while (in >> name) {
                const int code = keyboard.codeFor(name);
                known = known && code >= 0;
                codes.push_back(code);
            }
            if (!known || codes.empty()) {
                std::cout << "error unknown key" << std::endl;
                continue;
            }
            for (int code : codes)
                keyboard.send(code, true);
            for (auto it = codes.rbegin(); it != codes.rend(); ++it)
                keyboard.send(*it, false);
            finish();
            std::cout << "ok" << std::endl;
        } else if (command == "type" || command == "backspace") {
            if (!typer)
                typer = std::make_unique<platform::wayland::VirtualKeyboardTyper>(display);
            std::string hex;
            in >> hex;
            const bool sent = command == "backspace" ? typer->typeBackspace()
                                                     : typer->typeKeysym(static_cast<std::uint32_t>(
                                                           std::strtoul(hex.c_str(), nullptr, 16)));
            const long long when = nanoseconds();
            if (!sent) {
                std::cout << "error not sent" << std::endl;
                continue;
            }
            finish();
            std::cout << "sent " << when << " keymaps " << typer->keymapUploads() << std::endl;
        } else if (command == "sync") {
            finish();
            std::cout << "ok" << std::endl;
        } else if (!command.empty()) {
            std::cout << "error unknown command" << std::endl;
        }
    }
    typer.reset();
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
