// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace platform::ibus {

/// ibus-daemon as Ondrel uses it to type: an engine of Ondrel's own, registered once,
/// that the global engine is switched to for a moment to commit text.
///
/// The implementation lives in a module of its own (libondrel-ibus.so), loaded at run
/// time, so that Ondrel starts where IBus's library is not installed. It uses neither
/// Qt nor exceptions across this boundary; its callbacks come from the GLib main
/// context, which Qt's event loop runs.
class EngineSwitch
{
public:
    virtual ~EngineSwitch() = default;

    /// The name of Ondrel's own engine.
    virtual std::string ownEngine() const = 0;

    /// The global engine's name now; empty when there is none or ibus-daemon does
    /// not answer.
    virtual std::string globalEngine() = 0;

    /// Whether an input context has the focus, that is whether the focused
    /// application takes text from IBus at all.
    virtual bool hasInputContext() = 0;

    /// Makes engine the global one without blocking: ibus-daemon creates Ondrel's
    /// engine through this process before it answers, so a blocking call would wait
    /// for itself. done(ok) comes once ibus-daemon has answered, never from within
    /// this call.
    virtual void switchTo(const std::string &engine, std::function<void(bool ok)> done) = 0;

    /// Whether Ondrel's engine is the focused input context's now, so that what it
    /// commits reaches an application.
    virtual bool hasFocus() const = 0;

    /// Commits UTF-8 text through Ondrel's engine; false when it has no engine now.
    virtual bool commit(const std::string &text) = 0;

    /// Sends a press and release of a key (an X keysym and its evdev code) through
    /// Ondrel's engine, for the keys that are actions rather than text.
    virtual bool forwardKey(unsigned keysym, unsigned evdevCode) = 0;

    /// Withdraws Ondrel's engine, waits (briefly) until ibus-daemon has let go of it,
    /// then makes restore the global engine again, blocking; nothing is restored when
    /// restore is empty. After this only globalEngine() may be called.
    virtual void close(const std::string &restore) = 0;

    /// Why the last call failed.
    virtual std::string errorString() const = 0;
};

/// The module's one entry point: connects to the session's ibus-daemon and registers
/// Ondrel's engine. Returns nullptr, with *error set, when ibus-daemon does not answer.
using OpenEngineSwitch = EngineSwitch *(*)(std::string *error);
constexpr const char *openEngineSwitchSymbol = "ondrel_ibus_open";

} // namespace platform::ibus
