// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "showhidekey.h"

#include <memory>

class QWidget;

namespace platform {

class HotkeyHook;

/// The show/hide key through the companion hook library, which sends its reports as
/// window messages to a hidden window of this object's own.
class HookShowHideKey : public ShowHideKey
{
    Q_OBJECT

public:
    explicit HookShowHideKey(std::unique_ptr<HotkeyHook> hook, QObject *parent = nullptr);
    ~HookShowHideKey() override;

    bool start() override;
    void stop() override;
    std::string errorString() const override;

private:
    class Receiver;

    std::unique_ptr<HotkeyHook> m_hook;
    std::unique_ptr<QWidget> m_receiver;
};

} // namespace platform
