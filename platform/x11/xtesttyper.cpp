// SPDX-License-Identifier: GPL-3.0-or-later
#include "xtesttyper.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform::x11 {

namespace {

/// How long the typer waits for the focused application before it types anyway.
/// An application answers in a few milliseconds unless it is busy or hung; the
/// panel does not respond while the typer waits.
constexpr std::chrono::milliseconds answerTimeout{500};
/// How long it waits for an application that has answered before. Some window
/// managers hold the whole X server for a moment at every keymap change (metacity
/// for up to a second on a busy machine), and no application can answer meanwhile;
/// a key pressed before it has taken the new binding in types another character.
constexpr std::chrono::milliseconds answeringWindowTimeout{3000};

Display *trappedDisplay = nullptr;
int trappedErrors = 0;
XErrorHandler previousErrorHandler = nullptr;

int trapError(Display *display, XErrorEvent *error)
{
    if (display == trappedDisplay) {
        ++trappedErrors;
        return 0;
    }
    return previousErrorHandler ? previousErrorHandler(display, error) : 0;
}

/// Requests about another application's window fail when that window has just
/// gone, which is no fault of the typer's. Xlib's default handler would end the
/// program for it, so while one lives such errors on the typer's connection are
/// only counted. Whoever makes a request without a reply in its time must sync
/// before it ends, so that the error cannot arrive later.
class ErrorTrap
{
public:
    explicit ErrorTrap(Display *display)
    {
        trappedDisplay = display;
        trappedErrors = 0;
        previousErrorHandler = XSetErrorHandler(trapError);
    }
    ~ErrorTrap()
    {
        XSetErrorHandler(previousErrorHandler);
        trappedDisplay = nullptr;
    }
    ErrorTrap(const ErrorTrap &) = delete;
    ErrorTrap &operator=(const ErrorTrap &) = delete;

    /// Errors that have arrived so far, without waiting for more.
    int errors() const { return trappedErrors; }
};

} // namespace

XTestTyper::XTestTyper(const std::string &recordPath) : m_record(recordPath)
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
    // The tag tells the answers to the typer's pings from those to the window
    // manager's, which the typer sees too.
    const char *names[AtomCount] = {"WM_PROTOCOLS", "_NET_WM_PING", "_NET_WM_PID",
                                    "_ONDREL_TYPER_PING"};
    XInternAtoms(m_display, const_cast<char **>(names), AtomCount, False, m_atoms.data());
    undoRecordedBindings();
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
        handleEvent(event);
    }
}

void XTestTyper::handleEvent(XEvent &event)
{
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
    } else if (event.type == ClientMessage) {
        const XClientMessageEvent &message = event.xclient;
        if (message.message_type == m_atoms[WmProtocols] && message.format == 32 &&
            static_cast<Atom>(message.data.l[0]) == m_atoms[NetWmPing] &&
            static_cast<Atom>(message.data.l[3]) == m_atoms[PingTag] &&
            static_cast<unsigned long>(message.data.l[4]) == m_pingSerial)
            m_pongArrived = true;
    }
}

bool XTestTyper::type(Keysym keysym)
{
    if (!m_display) {
        reportFailure("no X server with the XTest extension");
        return false;
    }
    // A layout switch since the last character must be known before picking a key.
    processEvents();
    const KeycodePool::Assignment assignment = m_pool.assign(keysym);
    if (assignment.keycode == 0) {
        if (keysym != 0) {
            char hex[24];
            std::snprintf(hex, sizeof hex, "0x%lx", keysym);
            reportFailure(std::string("no spare keycode to bind keysym ") + hex + " to");
        }
        return false;
    }
    if (assignment.bind) {
        if (m_unconfirmedPresses.count(assignment.keycode) != 0)
            waitForFocusedApplication();
        bind(assignment.keycode, keysym);
        waitForFocusedApplication();
    }
    const auto keycode = static_cast<unsigned>(assignment.keycode);
    XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
    m_unconfirmedPresses.insert(assignment.keycode);
    // The server has the key events once this returns, so characters typed by
    // successive clicks arrive in the order of the clicks.
    XSync(m_display, False);
    return true;
}

void XTestTyper::bind(int keycode, Keysym keysym)
{
    // Recorded first, so that a kill right after the change still leaves a record.
    if (!m_record.add(keycode, keysym))
        reportFailure("cannot record the binding in " + m_record.path() +
                      "; if Ondrel is killed, it stays until the X server restarts");
    // The same keysym on both levels, so a held Shift types it just the same.
    KeySym keysyms[2] = {keysym, keysym};
    XChangeKeyboardMapping(m_display, keycode, 2, keysyms, 1);
}

void XTestTyper::waitForFocusedApplication()
{
    // Finding the window is a round trip, after which the server has handled the
    // change and sent its notifications out; that is all a client needs that reads
    // them in order with its keys. Sent in the same batch as the key, the change
    // would reach the notified connections along with it.
    const auto started = std::chrono::steady_clock::now();
    const unsigned long window = pingableFocusWindow();
    if (window == None) {
        m_unconfirmedPresses.clear();
        return;
    }
    const bool answeredBefore = m_answeringWindows.count(window) != 0;
    const std::chrono::milliseconds timeout =
        answeredBefore ? answeringWindowTimeout : answerTimeout;
    const auto deadline = started + timeout;
    // The application answers from the connection the key arrives on, having read
    // every event sent there before the ping. But it may have read the ping in the
    // same turn of its event loop as the notification reached its other connection,
    // and handle its own connection first. A second ping is read in a later turn, by
    // which the other connection's events have been handled too.
    ErrorTrap trap(m_display);
    const Window root = DefaultRootWindow(m_display);
    // The answers go to the root window, for the window manager, with the structure
    // masks: Qt's with StructureNotify, GTK's and Chromium's with SubstructureNotify.
    XSelectInput(m_display, root, StructureNotifyMask | SubstructureNotifyMask);
    const bool answered = ping(window, deadline) && ping(window, deadline);
    XSelectInput(m_display, root, NoEventMask);
    if (answered) {
        m_unconfirmedPresses.clear();
        m_answeringWindows.insert(window);
        return;
    }
    XSync(m_display, False); // an answer proves the window was there for the ping
    if (trap.errors() == 0) {
        // One long wait for an application that stopped answering is enough; it
        // gets the long one again once it answers again.
        if (answeredBefore)
            m_answeringWindows.erase(window);
        else
            m_silentWindows.insert(window);
        reportFailure("the focused window did not answer within " +
                      std::to_string(timeout.count()) +
                      " ms; the character may arrive as another one");
    }
}

unsigned long XTestTyper::pingableFocusWindow()
{
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(m_display, &focus, &revertTo);
    if (focus == None || focus == PointerRoot)
        return None;
    // The focus seldom moves between two new glyphs: what was found out about its
    // window holds while it stays there.
    if (focus != m_focus) {
        m_focus = focus;
        m_focusPingWindow = findPingWindow(focus);
    }
    return m_silentWindows.count(m_focusPingWindow) != 0 ? None : m_focusPingWindow;
}

unsigned long XTestTyper::findPingWindow(unsigned long focus)
{
    // Every request here has a reply, so errors are all in when it returns.
    ErrorTrap trap(m_display);
    const Window root = DefaultRootWindow(m_display);
    // The focus may be on a child of the window that the application manages.
    for (Window window = focus; window != None && window != root && trap.errors() == 0;) {
        Atom *protocols = nullptr;
        int count = 0;
        if (XGetWMProtocols(m_display, window, &protocols, &count)) {
            const bool pings =
                std::find(protocols, protocols + count, m_atoms[NetWmPing]) != protocols + count;
            XFree(protocols);
            if (!pings)
                return None;
            // Our own windows answer from the event loop that is waiting here.
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char *data = nullptr;
            bool ours = false;
            if (XGetWindowProperty(m_display, window, m_atoms[NetWmPid], 0, 1, False, XA_CARDINAL,
                                   &type, &format, &items, &after, &data) == Success &&
                data) {
                ours = type == XA_CARDINAL && format == 32 && items == 1 &&
                       *reinterpret_cast<unsigned long *>(data) ==
                           static_cast<unsigned long>(getpid());
                XFree(data);
            }
            return ours || trap.errors() != 0 ? None : window;
        }
        Window rootReturn = None, parent = None, *children = nullptr;
        unsigned int childCount = 0;
        if (!XQueryTree(m_display, window, &rootReturn, &parent, &children, &childCount))
            return None;
        if (children)
            XFree(children);
        window = parent;
    }
    return None;
}

bool XTestTyper::ping(unsigned long window, std::chrono::steady_clock::time_point deadline)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    XClientMessageEvent &message = event.xclient;
    message.type = ClientMessage;
    message.window = window;
    message.message_type = m_atoms[WmProtocols];
    message.format = 32;
    message.data.l[0] = static_cast<long>(m_atoms[NetWmPing]);
    message.data.l[1] = CurrentTime;
    message.data.l[2] = static_cast<long>(window);
    message.data.l[3] = static_cast<long>(m_atoms[PingTag]);
    message.data.l[4] = static_cast<long>(++m_pingSerial);
    m_pongArrived = false;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XFlush(m_display);
    for (;;) {
        processEvents();
        // An error means the window has gone, and nobody is left to answer.
        if (m_pongArrived || trappedErrors != 0)
            return m_pongArrived;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd socket = {ConnectionNumber(m_display), POLLIN, 0};
        poll(&socket, 1, static_cast<int>(left.count()) + 1);
    }
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
    m_record.clear();
}

void XTestTyper::undoRecordedBindings()
{
    // A killed typer's bindings: each one that still types only what it bound
    // goes; one that another program has changed since is no longer ours.
    for (const auto &[keycode, keysym] : m_record.read()) {
        int perKeycode = 0;
        KeySym *now = XGetKeyboardMapping(m_display, static_cast<KeyCode>(keycode), 1, &perKeycode);
        if (!now)
            continue;
        const std::vector<Keysym> held(now, now + perKeycode);
        XFree(now);
        if (typesOnly(held, keysym)) {
            KeySym noSymbol = NoSymbol;
            XChangeKeyboardMapping(m_display, keycode, 1, &noSymbol, 1);
        }
    }
    XSync(m_display, False);
    m_record.clear();
}

void XTestTyper::reportFailure(const std::string &reason) const
{
    if (m_reportFailure)
        m_reportFailure(reason);
}

} // namespace platform::x11
