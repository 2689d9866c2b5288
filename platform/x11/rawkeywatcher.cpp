// SPDX-License-Identifier: GPL-3.0-or-later
#include "rawkeywatcher.h"

#include "hookmessage.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace platform::x11 {

RawKeyWatcher::RawKeyWatcher() = default;

RawKeyWatcher::~RawKeyWatcher()
{
    stop();
}

bool RawKeyWatcher::start(KeyHandler onKey)
{
    stop();
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return false;

    int firstEvent = 0;
    int firstError = 0;
    // 2.1 is the first version that delivers raw events while another client holds
    // a grab, as a menu or a drag does.
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(m_display, "XInputExtension", &m_inputOpcode, &firstEvent, &firstError) ||
        XIQueryVersion(m_display, &major, &minor) != Success || major < 2) {
        stop();
        return false;
    }

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{};
    mask.deviceid = XIAllMasterDevices; // one event per key, not one per device
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);
    XFlush(m_display);

    m_onKey = std::move(onKey);
    m_notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    return true;
}

void RawKeyWatcher::stop()
{
    m_notifier.reset();
    if (m_display)
        XCloseDisplay(m_display);
    m_display = nullptr;
    m_onKey = nullptr;
}

void RawKeyWatcher::readEvents()
{
    while (m_display && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie *cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_inputOpcode ||
            !XGetEventData(m_display, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
            const auto keycode = static_cast<KeyCode>(raw->detail);
            const unsigned virtualKey =
                virtualKeyForKeysym(XkbKeycodeToKeysym(m_display, keycode, 0, 0));
            if (virtualKey != 0 && m_onKey) {
                m_onKey(virtualKey, keycode >= 8 ? keycode - 8u : 0u,
                        cookie->evtype == XI_RawKeyPress, raw->time);
            }
        }
        XFreeEventData(m_display, cookie);
    }
}

} // namespace platform::x11
