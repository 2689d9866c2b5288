// SPDX-License-Identifier: GPL-3.0-or-later
#include "stackingguard.h"

#include "platform/platformlog.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstdlib>
#include <xcb/xcb.h>

namespace platform::x11 {

namespace {

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply *reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

// A handful of restacks a second is far more than people raise windows; a window
// manager or another program that answers every raise with one of its own is not.
constexpr int raisesPerPeriod = 10;
constexpr std::chrono::milliseconds raisePeriod(2000);

} // namespace

bool RaiseBudget::take(Clock::time_point now)
{
    if (now - m_periodStart >= m_period) {
        m_periodStart = now;
        m_used = 0;
    }
    if (m_used >= m_limit)
        return false;
    ++m_used;
    return true;
}

StackingGuard::StackingGuard(OwnWindowTest isOwnWindow)
    : m_isOwnWindow(std::move(isOwnWindow)), m_budget(raisesPerPeriod, raisePeriod)
{}

StackingGuard::~StackingGuard()
{
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool StackingGuard::start(std::uint32_t window)
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        qCWarning(lcPlatform) << "Cannot watch the stacking of windows: no X server";
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    m_window = window;

    // SubstructureNotify is the one root mask many clients may select at once; it
    // reports every map and restack of the root's children.
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);

    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                   QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readEvents(); });
    return true;
}

void StackingGuard::readEvents()
{
    // A burst of events (a window manager restacks several frames at once) is
    // answered with one look at the stacking order.
    bool othersMoved = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        switch (event->response_type & 0x7f) {
        case XCB_CONFIGURE_NOTIFY: {
            const auto *configure = reinterpret_cast<xcb_configure_notify_event_t *>(event);
            othersMoved |= configure->window != m_window && !configure->override_redirect;
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            othersMoved |= map->window != m_window && !map->override_redirect;
            break;
        }
        case XCB_CIRCULATE_NOTIFY:
            othersMoved = true;
            break;
        default:
            break;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        qCWarning(lcPlatform) << "Lost the X server connection that keeps the panel on top";
        m_notifier.reset();
        return;
    }
    if (!othersMoved || !isCovered())
        return;
    if (!m_budget.take(RaiseBudget::Clock::now())) {
        if (!m_budgetWarned)
            qCWarning(lcPlatform) << "Another window keeps raising itself over the panel;"
                                  << "the panel stops answering for a moment each time";
        m_budgetWarned = true;
        return;
    }
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_connection);
}

std::vector<std::uint32_t> StackingGuard::children(std::uint32_t window)
{
    auto tree =
        owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *first = xcb_query_tree_children(tree.get());
    return {first, first + xcb_query_tree_children_length(tree.get())};
}

bool StackingGuard::isCovered()
{
    // Bottom to top: only what follows the guarded window can cover it.
    const std::vector<std::uint32_t> stacked = children(m_root);
    const auto guarded = std::find(stacked.begin(), stacked.end(), m_window);
    if (guarded == stacked.end())
        return false;
    auto own = owned(xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, m_window), nullptr));
    if (!own || own->map_state != XCB_MAP_STATE_VIEWABLE)
        return false;
    for (auto above = guarded + 1; above != stacked.end(); ++above) {
        auto attributes = owned(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, *above), nullptr));
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
            !attributes->override_redirect && !holdsOwnWindow(*above, 0))
            return true;
    }
    return false;
}

bool StackingGuard::holdsOwnWindow(std::uint32_t window, int depth)
{
    if (m_isOwnWindow(window))
        return true;
    // Window managers wrap a client in a frame, some in a frame and a wrapper.
    constexpr int frameDepth = 3;
    if (depth >= frameDepth)
        return false;
    const std::vector<std::uint32_t> inside = children(window);
    return std::any_of(inside.begin(), inside.end(),
                       [&](std::uint32_t child) { return holdsOwnWindow(child, depth + 1); });
}

} // namespace platform::x11
