// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct wl_display;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace platform::wayland {

class PrivateRegistry;

/// Types keysyms into the focused Wayland client through one virtual keyboard
/// (zwp_virtual_keyboard_v1) kept for the whole run.
///
/// The keyboard's keymap is its own, so the user's layout is untouched: a character
/// the keymap lacks gets one of a few character keys (the least recently used) and a
/// new keymap is uploaded before its press and release. The compositor hands the
/// focused client each keymap before the key events that follow it, so a keymap can
/// change right after a press without harm; the cache only spares the keymap uploads
/// (each one makes the compositor and the focused client compile it) when a
/// character comes again. Backspace has a key of its own.
class VirtualKeyboardTyper
{
public:
    /// Character keys in the keymap besides Backspace.
    static constexpr int CharacterKeyCount = 8;

    /// Works on any connection: Qt's, or one of the caller's. display is not owned
    /// and must outlive the typer; the typer's objects live on a private event queue.
    explicit VirtualKeyboardTyper(wl_display *display);
    ~VirtualKeyboardTyper();
    VirtualKeyboardTyper(const VirtualKeyboardTyper &) = delete;
    VirtualKeyboardTyper &operator=(const VirtualKeyboardTyper &) = delete;

    /// A typer on the connection of the running QGuiApplication; unavailable when Qt
    /// does not run on Wayland. Destroy it before the application.
    static std::unique_ptr<VirtualKeyboardTyper> forQtApplication();

    /// Whether the compositor gave us a virtual keyboard and took its first keymap.
    bool isAvailable() const { return m_keyboard != nullptr && !m_failed; }

    /// Presses and releases a key that types keysym (a Latin-1 keysym, 0x01000000 +
    /// a code point, or any other keysym XKB names, BackSpace included). Returns
    /// whether the events were sent; false when unavailable, for a keysym that no
    /// keymap can carry, or when the connection has failed.
    bool typeKeysym(std::uint32_t keysym);

    /// typeKeysym(BackSpace).
    bool typeBackspace();

    /// Keymaps uploaded so far, the first one included.
    int keymapUploads() const { return m_keymapUploads; }

    /// Why the last call failed, or why the typer is unavailable; empty after a
    /// success.
    std::string errorString() const { return m_error; }

private:
    struct CharacterKey
    {
        std::uint32_t keysym = 0;
        std::uint64_t lastUse = 0;
    };

    bool uploadKeymap();
    bool pressAndRelease(std::uint32_t evdevCode);
    void destroyObjects();
    bool fail(const std::string &reason);

    bool m_onQtConnection = false;

    std::unique_ptr<PrivateRegistry> m_registry;
    wl_seat *m_seat = nullptr;
    zwp_virtual_keyboard_manager_v1 *m_manager = nullptr;
    zwp_virtual_keyboard_v1 *m_keyboard = nullptr;
    std::array<CharacterKey, CharacterKeyCount> m_keys{};
    std::uint64_t m_clock = 0;
    int m_keymapUploads = 0;
    bool m_failed = false;
    std::string m_error;
};

} // namespace platform::wayland
