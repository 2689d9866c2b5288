// SPDX-License-Identifier: GPL-3.0-or-later
#include "hookshowhidekey.h"

#include "hotkeyhook.h"

#include <QWidget>

#include <functional>
#include <utility>

namespace platform {

/// A window that is never shown and exists only for the hook library to send its
/// key messages to.
class HookShowHideKey::Receiver : public QWidget
{
public:
    Receiver(HotkeyHook &hook, std::function<void(int)> onKey)
        : m_hook(hook), m_onKey(std::move(onKey))
    {
        setWindowTitle(QStringLiteral("Ondrel hotkey receiver"));
        winId(); // a native window, although it is never shown
    }

protected:
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override
    {
        int functionKey = 0;
        if (m_hook.decodeHotkeyMessage(eventType.constData(), message, functionKey)) {
            m_onKey(functionKey);
            if (m_hook.keepsHotkeyMessage())
                return true;
        }
        return QWidget::nativeEvent(eventType, message, result);
    }

private:
    HotkeyHook &m_hook;
    std::function<void(int)> m_onKey;
};

HookShowHideKey::HookShowHideKey(std::unique_ptr<HotkeyHook> hook, QObject *parent)
    : ShowHideKey(parent), m_hook(std::move(hook))
{}

HookShowHideKey::~HookShowHideKey()
{
    stop();
}

bool HookShowHideKey::start()
{
    if (!m_receiver)
        m_receiver =
            std::make_unique<Receiver>(*m_hook, [this](int number) { functionKeyPressed(number); });
    return m_hook->install(m_receiver->winId()) == HotkeyHook::Outcome::Installed;
}

void HookShowHideKey::stop()
{
    m_hook->remove();
}

std::string HookShowHideKey::errorString() const
{
    return m_hook->errorString();
}

} // namespace platform
