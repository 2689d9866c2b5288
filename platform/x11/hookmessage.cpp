// SPDX-License-Identifier: GPL-3.0-or-later
#include "hookmessage.h"

#include "hooklib/kestrine.h"

#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace platform::x11 {

bool decodeHookClientMessage(const void *xcbEvent, std::uint32_t messageAtom, int &functionKey)
{
    const auto *event = static_cast<const xcb_generic_event_t *>(xcbEvent);
    if (messageAtom == XCB_ATOM_NONE || (event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *message = static_cast<const xcb_client_message_event_t *>(xcbEvent);
    if (message->format != 32 || message->type != messageAtom ||
        message->data.data32[0] != kestrine::HotkeyMessage)
        return false;
    functionKey = kestrine::functionKeyOfVirtualKey(message->data.data32[1]);
    return true;
}

unsigned virtualKeyForKeysym(unsigned long keysym)
{
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return kestrine::virtualKeyOfFunctionKey(static_cast<int>(keysym - XK_F1) + 1);
    return 0;
}

} // namespace platform::x11
