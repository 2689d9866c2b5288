// SPDX-License-Identifier: GPL-3.0-or-later
// The module that talks to ibus-daemon through IBus's own library. The program loads
// it at run time, so that it runs where that library is missing.
#include "engineswitch.h"

#include <ibus.h>

#include <memory>
#include <utility>

namespace platform::ibus {

namespace {

constexpr const char *engineName = "ondrel-commit";
constexpr const char *componentName = "org.ondrel.Commit";
constexpr int callTimeoutMs = 2000;
// How long ibus-daemon may take to notice that the engine's connection has gone.
constexpr gint64 releaseWaitUs = 2 * G_USEC_PER_SEC;

std::string takeMessage(GError *error)
{
    std::string message = error ? error->message : "unknown error";
    g_clear_error(&error);
    return message;
}

/// The engine is registered on a connection of its own, separate from the one that
/// switches engines: ibus-daemon forgets the global engine whenever a registered
/// component goes away (IBus 1.5.27 looks for it only among the components
/// registered at run time), so Ondrel must be able to withdraw its engine and then
/// put the user's back, while still connected.
class IBusEngineSwitch : public EngineSwitch
{
public:
    ~IBusEngineSwitch() override
    {
        close({});
        g_object_unref(m_cancellable);
        if (m_bus)
            g_object_unref(m_bus);
    }

    bool open(std::string *error)
    {
        ibus_init();
        m_bus = ibus_bus_new();
        if (!ibus_bus_is_connected(m_bus)) {
            *error = "ibus-daemon does not answer";
            return false;
        }
        const gchar *address = ibus_get_address();
        if (!address) {
            *error = "IBus's address is unknown";
            return false;
        }
        GError *failure = nullptr;
        m_componentConnection = g_dbus_connection_new_for_address_sync(
            address,
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &failure);
        if (!m_componentConnection) {
            *error = "cannot connect to ibus-daemon: " + takeMessage(failure);
            return false;
        }
        m_componentOwner = g_dbus_connection_get_unique_name(m_componentConnection);
        m_factory = ibus_factory_new(m_componentConnection);
        g_object_ref_sink(m_factory);
        g_signal_connect(m_factory, "create-engine", G_CALLBACK(&IBusEngineSwitch::createEngine),
                         this);

        IBusComponent *component =
            ibus_component_new(componentName, "Types Ondrel's characters", "1.0",
                               "GPL-3.0-or-later", "Ondrel", "", "", "");
        ibus_component_add_engine(
            component, ibus_engine_desc_new(engineName, "Ondrel", "Types Ondrel's characters", "",
                                            "GPL-3.0-or-later", "Ondrel", "", "default"));
        g_object_ref_sink(component);
        GVariant *reply = g_dbus_connection_call_sync(
            m_componentConnection, IBUS_SERVICE_IBUS, IBUS_PATH_IBUS, IBUS_INTERFACE_IBUS,
            "RegisterComponent",
            g_variant_new("(v)", ibus_serializable_serialize(IBUS_SERIALIZABLE(component))),
            nullptr, G_DBUS_CALL_FLAGS_NONE, callTimeoutMs, nullptr, &failure);
        g_object_unref(component);
        if (!reply) {
            *error = "ibus-daemon refused Ondrel's engine: " + takeMessage(failure);
            return false;
        }
        g_variant_unref(reply);
        return true;
    }

    std::string ownEngine() const override { return engineName; }

    std::string globalEngine() override
    {
        // Asked directly rather than through ibus_bus_get_global_engine(), which
        // warns on the terminal whenever there is no global engine.
        GDBusConnection *connection = m_bus ? ibus_bus_get_connection(m_bus) : nullptr;
        if (!connection)
            return {};
        GVariant *reply = g_dbus_connection_call_sync(
            connection, IBUS_SERVICE_IBUS, IBUS_PATH_IBUS, "org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", IBUS_INTERFACE_IBUS, "GlobalEngine"), G_VARIANT_TYPE("(v)"),
            G_DBUS_CALL_FLAGS_NONE, callTimeoutMs, nullptr, nullptr);
        if (!reply)
            return {};
        GVariant *boxed = nullptr;
        g_variant_get(reply, "(v)", &boxed);
        g_variant_unref(reply);
        std::string name;
        if (auto *desc = IBUS_ENGINE_DESC(ibus_serializable_deserialize(boxed))) {
            g_object_ref_sink(desc);
            name = ibus_engine_desc_get_name(desc);
            g_object_unref(desc);
        }
        g_variant_unref(boxed);
        return name;
    }

    bool hasInputContext() override
    {
        GDBusConnection *connection = m_bus ? ibus_bus_get_connection(m_bus) : nullptr;
        if (!connection)
            return false;
        // ibus-daemon answers with an error while no input context has the focus.
        GVariant *reply = g_dbus_connection_call_sync(
            connection, IBUS_SERVICE_IBUS, IBUS_PATH_IBUS, "org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", IBUS_INTERFACE_IBUS, "CurrentInputContext"),
            G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, callTimeoutMs, nullptr, nullptr);
        if (!reply)
            return false;
        g_variant_unref(reply);
        return true;
    }

    void switchTo(const std::string &engine, std::function<void(bool)> done) override
    {
        auto *call = new PendingSwitch{m_alive, this, std::move(done)};
        ibus_bus_set_global_engine_async(m_bus, engine.c_str(), callTimeoutMs, m_cancellable,
                                         &IBusEngineSwitch::switched, call);
    }

    bool hasFocus() const override { return m_engine && m_focused; }

    bool commit(const std::string &text) override
    {
        if (!m_engine) {
            m_error = "Ondrel's IBus engine is not active";
            return false;
        }
        ibus_engine_commit_text(m_engine, ibus_text_new_from_string(text.c_str()));
        return true;
    }

    bool forwardKey(unsigned keysym, unsigned evdevCode) override
    {
        if (!m_engine) {
            m_error = "Ondrel's IBus engine is not active";
            return false;
        }
        ibus_engine_forward_key_event(m_engine, keysym, evdevCode, 0);
        ibus_engine_forward_key_event(m_engine, keysym, evdevCode, IBUS_RELEASE_MASK);
        return true;
    }

    void close(const std::string &restore) override
    {
        if (!m_componentConnection)
            return;
        g_cancellable_cancel(m_cancellable);
        *m_alive = false;
        g_dbus_connection_close_sync(m_componentConnection, nullptr, nullptr);
        g_clear_object(&m_componentConnection);
        g_clear_object(&m_factory);
        m_engine = nullptr;
        GDBusConnection *connection = ibus_bus_get_connection(m_bus);
        if (!connection)
            return;
        // Until ibus-daemon has seen the connection go, a switch now would be undone.
        const gint64 deadline = g_get_monotonic_time() + releaseWaitUs;
        while (hasOwner(connection, m_componentOwner) && g_get_monotonic_time() < deadline)
            g_usleep(5000);
        if (restore.empty())
            return;
        GError *failure = nullptr;
        GVariant *reply = g_dbus_connection_call_sync(
            connection, IBUS_SERVICE_IBUS, IBUS_PATH_IBUS, IBUS_INTERFACE_IBUS, "SetGlobalEngine",
            g_variant_new("(s)", restore.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, callTimeoutMs,
            nullptr, &failure);
        if (reply)
            g_variant_unref(reply);
        else
            m_error = "cannot restore the engine " + restore + ": " + takeMessage(failure);
    }

    std::string errorString() const override { return m_error; }

private:
    struct PendingSwitch
    {
        std::shared_ptr<bool> alive;
        IBusEngineSwitch *self;
        std::function<void(bool)> done;
    };

    static void switched(GObject *source, GAsyncResult *result, gpointer data)
    {
        std::unique_ptr<PendingSwitch> call(static_cast<PendingSwitch *>(data));
        GError *failure = nullptr;
        const bool ok = ibus_bus_set_global_engine_async_finish(IBUS_BUS(source), result, &failure);
        if (!*call->alive) {
            g_clear_error(&failure);
            return;
        }
        if (!ok)
            call->self->m_error = "ibus-daemon did not switch engines: " + takeMessage(failure);
        call->done(ok);
    }

    static IBusEngine *createEngine(IBusFactory *, gchar *name, gpointer data)
    {
        auto *self = static_cast<IBusEngineSwitch *>(data);
        // ibus-daemon destroys the engine when it switches away, and asks for a new
        // one each time it switches back: each needs a path of its own.
        gchar *path = g_strdup_printf("/org/ondrel/IBus/Engine/%u", ++self->m_engines);
        IBusEngine *engine =
            ibus_engine_new_with_type(IBUS_TYPE_ENGINE, name, path, self->m_componentConnection);
        g_free(path);
        self->m_engine = engine;
        self->m_focused = false;
        g_signal_connect(engine, "focus-in", G_CALLBACK(&IBusEngineSwitch::focusIn), self);
        g_signal_connect(engine, "focus-out", G_CALLBACK(&IBusEngineSwitch::focusOut), self);
        g_signal_connect(engine, "destroy", G_CALLBACK(&IBusEngineSwitch::destroyed), self);
        return engine;
    }

    static void focusIn(IBusEngine *engine, gpointer data)
    {
        auto *self = static_cast<IBusEngineSwitch *>(data);
        if (engine == self->m_engine)
            self->m_focused = true;
    }

    static void focusOut(IBusEngine *engine, gpointer data)
    {
        auto *self = static_cast<IBusEngineSwitch *>(data);
        if (engine == self->m_engine)
            self->m_focused = false;
    }

    static void destroyed(IBusEngine *engine, gpointer data)
    {
        auto *self = static_cast<IBusEngineSwitch *>(data);
        if (engine == self->m_engine) {
            self->m_engine = nullptr;
            self->m_focused = false;
        }
    }

    static bool hasOwner(GDBusConnection *connection, const std::string &name)
    {
        GVariant *reply = g_dbus_connection_call_sync(
            connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"),
            G_DBUS_CALL_FLAGS_NONE, callTimeoutMs, nullptr, nullptr);
        if (!reply)
            return false;
        gboolean owned = FALSE;
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
        return owned;
    }

    IBusBus *m_bus = nullptr;
    GDBusConnection *m_componentConnection = nullptr;
    std::string m_componentOwner;
    IBusFactory *m_factory = nullptr;
    IBusEngine *m_engine = nullptr; // owned by the factory
    bool m_focused = false;
    unsigned m_engines = 0;
    GCancellable *m_cancellable = g_cancellable_new();
    // Tells a switch answered after close() that there is no one left to tell.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    std::string m_error;
};

} // namespace

} // namespace platform::ibus

extern "C" __attribute__((visibility("default"))) platform::ibus::EngineSwitch *
ondrel_ibus_open(std::string *error)
{
    auto engines = std::make_unique<platform::ibus::IBusEngineSwitch>();
    if (!engines->open(error))
        return nullptr;
    return engines.release();
}
