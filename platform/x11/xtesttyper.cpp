// SPDX-License-Identifier: GPL-3.0-or-later
#include "xtesttyper.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <vector>

namespace platform::x11 {

XTestTyper::XTestTyper()
{
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(m_display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(m_display);
        m_display = nullptr;
        return;
    }
    // A server with XKB tells of keymap changes only the clients that ask for its
    // own events; the core MappingNotify is for those without it.
    int opcode = 0, xkbErrorBase = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (XkbQueryExtension(m_display, &opcode, &m_xkbEventBase, &xkbErrorBase, &xkbMajor,
                          &xkbMinor)) {
        const unsigned long events = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
        XkbSelectEvents(m_display, XkbUseCoreKbd, events, events);
    } else {
        m_xkbEventBase = -1;
    }
    readWholeKeymap();
}

XTestTyper::~XTestTyper()
{
    if (!m_display)
        return;
    releaseBindings();
    XCloseDisplay(m_display);
}

int XTestTyper::connectionNumber() const
{
    return m_display ? ConnectionNumber(m_display) : -1;
}

void XTestTyper::readWholeKeymap()
{
    int minKeycode = 0, maxKeycode = 0;
    XDisplayKeycodes(m_display, &minKeycode, &maxKeycode);
    readKeymap(minKeycode, maxKeycode - minKeycode + 1);
}

void XTestTyper::readKeymap(int first, int count)
{
    int perKeycode = 0;
    KeySym *keysyms =
        XGetKeyboardMapping(m_display, static_cast<KeyCode>(first), count, &perKeycode);
    if (!keysyms)
        return;
    m_pool.update(first, count, perKeycode, keysyms);
    XFree(keysyms);
}

void XTestTyper::processEvents()
{
    if (!m_display)
        return;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (m_xkbEventBase >= 0 && event.type == m_xkbEventBase) {
            const auto &xkb = reinterpret_cast<const XkbEvent &>(event);
            if (xkb.any.xkb_type == XkbNewKeyboardNotify)
                readWholeKeymap();
            else if (xkb.any.xkb_type == XkbMapNotify && (xkb.map.changed & XkbKeySymsMask))
                readKeymap(xkb.map.first_key_sym, xkb.map.num_key_syms);
        } else if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            if (m_xkbEventBase < 0 && event.xmapping.request == MappingKeyboard)
                readKeymap(event.xmapping.first_keycode, event.xmapping.count);
        }
    }
}

bool XTestTyper::type(Keysym keysym)
{
    if (!m_display)
        return false;
    // A layout switch since the last character must be known before picking a key.
    processEvents();
    const KeycodePool::Assignment assignment = m_pool.assign(keysym);
    if (assignment.keycode == 0)
        return false;
    if (assignment.bind)
        bind(assignment.keycode, keysym);
    const auto keycode = static_cast<unsigned>(assignment.keycode);
    XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    // The server has the key events once this returns, so characters typed by
    // successive clicks arrive in the order of the clicks.
    XSync(m_display, False);
    return true;
}

void XTestTyper::bind(int keycode, Keysym keysym)
{
    // The same keysym on both levels, so a held Shift types it just the same.
    KeySym keysyms[2] = {keysym, keysym};
    XChangeKeyboardMapping(m_display, keycode, 2, keysyms, 1);
    ++m_bindingCount;
}

void XTestTyper::releaseBindings()
{
    // Another program may have changed the map since; only what is still ours goes.
    processEvents();
    for (int keycode : m_pool.boundKeycodes()) {
        KeySym noSymbol = NoSymbol;
        XChangeKeyboardMapping(m_display, keycode, 1, &noSymbol, 1);
    }
    XSync(m_display, False);
}

} // namespace platform::x11
