// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11focus.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform::x11 {

X11Focus::X11Focus()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data ? screens.data->root : 0;
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 1, 8, "WM_STATE"), nullptr);
    m_wmState = atom ? atom->atom : 0;
    std::free(atom);
}

X11Focus::~X11Focus()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11Focus::isOnClient()
{
    if (!m_connection || m_wmState == 0)
        return false;
    xcb_get_input_focus_reply_t *focus =
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
    xcb_window_t window = focus ? focus->focus : XCB_NONE;
    std::free(focus);
    // Up from the focus to the root: the managed window carries WM_STATE, its frame
    // and the window manager's own windows do not.
    for (int depth = 0; window > XCB_INPUT_FOCUS_POINTER_ROOT && window != m_root && depth < 32;
         ++depth) {
        xcb_get_property_reply_t *state = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, window, m_wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
            nullptr);
        const bool managed = state && state->type != XCB_NONE;
        std::free(state);
        if (managed)
            return true;
        xcb_query_tree_reply_t *tree =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
        window = tree ? tree->parent : XCB_NONE;
        std::free(tree);
    }
    return false;
}

} // namespace platform::x11
