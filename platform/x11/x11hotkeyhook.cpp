// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11hotkeyhook.h"

#include "hooklibrarypaths.h"
#include "hookmessage.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <xcb/xcb.h>

namespace platform::x11 {

namespace {

/// The type of the library's messages. Atoms are the server's, so interning the name
/// over Qt's connection gives the value that the library's connection gets too.
std::uint32_t internMessageAtom()
{
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return 0;
    const auto cookie = xcb_intern_atom(
        connection, 0, static_cast<std::uint16_t>(std::strlen(kestrine::MessageAtomName)),
        kestrine::MessageAtomName);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : 0;
}

template <typename Function> Function lookUp(void *library, const char *name)
{
    return reinterpret_cast<Function>(dlsym(library, name));
}

} // namespace

X11HotkeyHook::X11HotkeyHook(std::vector<std::string> libraryFolders)
    : m_libraryFolders(std::move(libraryFolders))
{}

X11HotkeyHook::~X11HotkeyHook()
{
    remove();
}

HotkeyHook::Outcome X11HotkeyHook::install(NativeWindow notifyWindow)
{
    remove();
    m_errorString.clear();
    m_messageAtom = internMessageAtom();

    loadLibrary();
    if (!m_library)
        return Outcome::NoLibrary;
    // From here on the library stays loaded until remove(), whatever happens.
    const auto setAppHwnd =
        lookUp<kestrine::SetAppHwndFunction>(m_library, kestrine::SetAppHwndName);
    if (!setAppHwnd)
        return fail(Outcome::LoadedNoHook, m_libraryPath + " has no " + kestrine::SetAppHwndName);
    setAppHwnd(notifyWindow);

    const auto keyboardProc =
        lookUp<kestrine::KeyboardProcFunction>(m_library, kestrine::ElfKeyboardProcName);
    if (!keyboardProc)
        return fail(Outcome::LoadedNoHook,
                    m_libraryPath + " has no " + kestrine::ElfKeyboardProcName);
    if (!m_keys.start([this](unsigned virtualKey, unsigned scanCode, bool pressed,
                             unsigned long time) { passKey(virtualKey, scanCode, pressed, time); }))
        return fail(Outcome::LoadedNoHook,
                    "the keys cannot be watched: no X server, or one without XInput 2");
    m_keyboardProc = keyboardProc;
    return Outcome::Installed;
}

HotkeyHook::Outcome X11HotkeyHook::fail(Outcome outcome, std::string reason)
{
    m_errorString = std::move(reason);
    return outcome;
}

void X11HotkeyHook::loadLibrary()
{
    const std::vector<std::string> candidates = hookLibraryCandidates(m_libraryFolders);
    std::string reasons;
    for (const std::string &path : candidates) {
        // An absolute path: the dynamic loader searches nowhere else for it.
        m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_library) {
            m_libraryPath = path;
            return;
        }
        const char *reason = dlerror();
        reasons += (reasons.empty() ? "" : "; ") + std::string(reason ? reason : path);
    }
    m_errorString = candidates.empty()
                        ? "no folder to look for " + std::string(HookLibraryFileName) + " in"
                        : reasons;
}

void X11HotkeyHook::passKey(unsigned virtualKey, unsigned scanCode, bool pressed,
                            unsigned long time)
{
    if (!m_keyboardProc)
        return;
    kestrine::KeyRecord record{};
    record.vkCode = virtualKey;
    record.scanCode = scanCode;
    record.flags = pressed ? 0 : kestrine::FlagUp;
    record.time = static_cast<std::uint32_t>(time);
    m_keyboardProc(kestrine::HcAction, pressed ? kestrine::WmKeyDown : kestrine::WmKeyUp,
                   reinterpret_cast<std::intptr_t>(&record));
}

void X11HotkeyHook::remove()
{
    m_keys.stop();
    m_keyboardProc = nullptr;
    if (m_library)
        dlclose(m_library);
    m_library = nullptr;
    m_libraryPath.clear();
}

bool X11HotkeyHook::decodeHotkeyMessage(const char *eventType, void *message,
                                        int &functionKey) const
{
    return std::strcmp(eventType, "xcb_generic_event_t") == 0 &&
           decodeHookClientMessage(message, m_messageAtom, functionKey);
}

} // namespace platform::x11
