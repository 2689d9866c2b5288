// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtualkeyboardtyper.h"

#include "keymaptext.h"
#include "qtwaylandnative.h"
#include "registry.h"
#include "waylandlog.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <QGuiApplication>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/mman.h>
#include <unistd.h>

namespace platform::wayland {

namespace {

// Input event codes (linux/input-event-codes.h). The character keys take F13 to
// F20, which few keyboards have: what they type comes from our keymap alone, but a
// client that looks at raw codes then sees no common key.
constexpr std::uint32_t BackspaceCode = 14;       // KEY_BACKSPACE
constexpr std::uint32_t FirstCharacterCode = 183; // KEY_F13

std::uint32_t milliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

} // namespace

VirtualKeyboardTyper::VirtualKeyboardTyper(wl_display *display)
{
    if (!display) {
        fail("no Wayland connection");
        return;
    }
    m_registry = std::make_unique<PrivateRegistry>(display);
    if (!m_registry->isValid()) {
        fail("cannot read the compositor's globals");
        return;
    }
    m_manager = static_cast<zwp_virtual_keyboard_manager_v1 *>(
        m_registry->bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (!m_manager) {
        fail("the compositor offers no virtual keyboard (zwp_virtual_keyboard_manager_v1)");
        return;
    }
    m_seat = static_cast<wl_seat *>(m_registry->bind(&wl_seat_interface, 1));
    if (!m_seat) {
        fail("the compositor has no seat for a virtual keyboard");
        return;
    }
    m_keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(m_manager, m_seat);
    if (!uploadKeymap() || !m_registry->roundtrip()) {
        m_failed = true;
        fail("the compositor did not take the virtual keyboard" +
             (m_error.empty() ? std::string() : ": " + m_error));
    }
}

bool VirtualKeyboardTyper::fail(const std::string &reason)
{
    m_error = reason;
    qCWarning(lcWayland).noquote() << QString::fromStdString(reason);
    return false;
}

VirtualKeyboardTyper::~VirtualKeyboardTyper()
{
    if (m_onQtConnection && !qGuiApp) {
        // Qt's Wayland connection is gone, and our objects with it.
        qCWarning(lcWayland) << "the virtual keyboard outlived the application";
        (void)m_registry.release();
        return;
    }
    destroyObjects();
}

void VirtualKeyboardTyper::destroyObjects()
{
    if (m_keyboard)
        zwp_virtual_keyboard_v1_destroy(m_keyboard);
    if (m_manager)
        zwp_virtual_keyboard_manager_v1_destroy(m_manager); // no request: version 1 has none
    if (m_seat)
        wl_seat_destroy(m_seat);
    m_keyboard = nullptr;
    m_manager = nullptr;
    m_seat = nullptr;
    if (m_registry)
        m_registry->flush();
}

std::unique_ptr<VirtualKeyboardTyper> VirtualKeyboardTyper::forQtApplication()
{
    auto typer = std::make_unique<VirtualKeyboardTyper>(qtWaylandDisplay());
    typer->m_onQtConnection = true;
    return typer;
}

bool VirtualKeyboardTyper::uploadKeymap()
{
    std::vector<KeymapKey> keys;
    keys.push_back({BackspaceCode, XKB_KEY_BackSpace});
    for (int i = 0; i < CharacterKeyCount; ++i)
        keys.push_back({FirstCharacterCode + static_cast<std::uint32_t>(i), m_keys[i].keysym});
    const std::string text = keymapText(keys);
    if (text.empty())
        return fail("cannot write a keymap for the virtual keyboard");
    // The compositor maps the keymap read-only; it is a NUL-terminated string.
    const int fd = memfd_create("ondrel-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return fail(std::string("cannot create the keymap file: ") + strerror(errno));
    const std::size_t size = text.size() + 1;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, text.c_str() + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = errno;
            close(fd);
            return fail(std::string("cannot write the keymap file: ") + strerror(error));
        }
        written += static_cast<std::size_t>(n);
    }
    // The request takes a duplicate of fd at once, so ours can go.
    zwp_virtual_keyboard_v1_keymap(m_keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(size));
    close(fd);
    ++m_keymapUploads;
    return true;
}

bool VirtualKeyboardTyper::pressAndRelease(std::uint32_t evdevCode)
{
    const std::uint32_t time = milliseconds();
    zwp_virtual_keyboard_v1_key(m_keyboard, time, evdevCode, WL_KEYBOARD_KEY_STATE_PRESSED);
    zwp_virtual_keyboard_v1_key(m_keyboard, time, evdevCode, WL_KEYBOARD_KEY_STATE_RELEASED);
    if (!m_registry->flush() || wl_display_get_error(m_registry->display()) != 0) {
        m_failed = true;
        return fail("the Wayland connection failed: the virtual keyboard types no more");
    }
    m_error.clear();
    return true;
}

bool VirtualKeyboardTyper::typeKeysym(std::uint32_t keysym)
{
    if (!isAvailable()) {
        if (m_error.empty())
            m_error = "the virtual keyboard is unavailable";
        return false;
    }
    // Events for the seat we bound arrive on our queue; do not let them pile up.
    m_registry->dispatchPending();
    if (keysym == XKB_KEY_BackSpace)
        return pressAndRelease(BackspaceCode);
    if (!isTransportableKeysym(keysym))
        return fail("no keymap can carry keysym " + QString::number(keysym, 16).toStdString());
    ++m_clock;
    int slot = 0;
    for (int i = 0; i < CharacterKeyCount; ++i) {
        if (m_keys[i].keysym == keysym) {
            m_keys[i].lastUse = m_clock;
            return pressAndRelease(FirstCharacterCode + static_cast<std::uint32_t>(i));
        }
        if (m_keys[i].lastUse < m_keys[slot].lastUse)
            slot = i;
    }
    const CharacterKey previous = m_keys[slot];
    m_keys[slot] = {keysym, m_clock};
    if (!uploadKeymap()) {
        m_keys[slot] = previous;
        return false;
    }
    return pressAndRelease(FirstCharacterCode + static_cast<std::uint32_t>(slot));
}

bool VirtualKeyboardTyper::typeBackspace()
{
    return typeKeysym(XKB_KEY_BackSpace);
}

} // namespace platform::wayland
