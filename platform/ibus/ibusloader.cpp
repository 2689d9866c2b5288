// SPDX-License-Identifier: GPL-3.0-or-later
#include "ibusloader.h"

#include "engineswitch.h"
#include "platform/platformlog.h"

#include <QAbstractEventDispatcher>
#include <QFileInfo>
#include <QMetaObject>

#include <dlfcn.h>

namespace platform::ibus {

namespace {

constexpr const char *moduleName = "libondrel-ibus.so";

bool eventLoopRunsGlib()
{
    const QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && QByteArray(dispatcher->metaObject()->className()).contains("Glib");
}

} // namespace

std::unique_ptr<EngineSwitch> openEngineSwitch(const std::vector<std::string> &folders)
{
    std::string path;
    for (const std::string &folder : folders) {
        if (QFileInfo::exists(QString::fromStdString(folder + '/' + moduleName))) {
            path = folder + '/' + moduleName;
            break;
        }
    }
    if (path.empty()) {
        qCInfo(lcPlatform) << "No IBus module: built without IBus";
        return nullptr;
    }
    if (!eventLoopRunsGlib()) {
        qCInfo(lcPlatform) << "Not typing through IBus: Qt's event loop does not run GLib's";
        return nullptr;
    }
    // Never closed: GLib's types, once registered, cannot be unloaded.
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        qCInfo(lcPlatform).noquote() << "Not typing through IBus:" << dlerror();
        return nullptr;
    }
    const auto open = reinterpret_cast<OpenEngineSwitch>(dlsym(module, openEngineSwitchSymbol));
    if (!open) {
        qCWarning(lcPlatform).noquote() << path.c_str() << "is not Ondrel's IBus module";
        return nullptr;
    }
    std::string error;
    std::unique_ptr<EngineSwitch> engines(open(&error));
    if (!engines)
        qCInfo(lcPlatform).noquote() << "Not typing through IBus:" << error.c_str();
    return engines;
}

} // namespace platform::ibus
