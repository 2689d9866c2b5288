// SPDX-License-Identifier: GPL-3.0-or-later
#include "ibuskeyboard.h"

#include "engineswitch.h"
#include "platform/platformlog.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QString>
#include <QTimer>

namespace platform::ibus {

namespace {

// A queue this long means ibus-daemon has stopped answering: more clicks are refused
// rather than typed minutes later.
constexpr std::size_t queueLimit = 256;
// ibus-daemon focuses Ondrel's engine just before it answers the switch, but the two
// come on separate connections: the focus gets this long to arrive.
constexpr int focusPollMs = 5;
constexpr int focusPolls = 50;

struct ActionKey
{
    char32_t character;
    unsigned keysym;
    unsigned evdevCode;
};
// Committed text would be inserted as a control character, or not at all.
constexpr ActionKey actionKeys[] = {
    {U'\b', 0xff08, 14}, // BackSpace
    {U'\t', 0xff09, 15}, // Tab
    {U'\n', 0xff0d, 28}, // Return
};

bool isEngineName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9:_.@+#-]{1,200}$"));
    return pattern.match(name).hasMatch();
}

} // namespace

IBusKeyboard::IBusKeyboard(std::unique_ptr<EngineSwitch> engines,
                           std::unique_ptr<Keyboard> fallback, std::string recordPath,
                           std::function<bool()> fallbackHasFocus)
    : m_engines(std::move(engines)), m_fallback(std::move(fallback)),
      m_fallbackHasFocus(std::move(fallbackHasFocus)), m_recordPath(std::move(recordPath)),
      m_timers(std::make_unique<QObject>())
{
    const std::string own = m_engines->ownEngine();
    const std::string current = m_engines->globalEngine();
    const std::string left = recorded();
    // An Ondrel that was killed left ibus-daemon with no engine, or with its own: the
    // user's goes back. An engine chosen since then is the user's and stays.
    if (!left.empty() && (current.empty() || current == own)) {
        qCInfo(lcPlatform).noquote()
            << "Putting back the IBus engine" << left.c_str() << "that Ondrel was using";
        m_userEngine = left;
        m_busy = true;
        m_engines->switchTo(left, [this](bool ok) {
            if (!ok)
                qCWarning(lcPlatform).noquote() << m_engines->errorString().c_str();
            done();
        });
    } else {
        m_userEngine = current == own ? std::string() : current;
    }
    remember(m_userEngine);
}

IBusKeyboard::~IBusKeyboard()
{
    m_timers.reset();
    m_engines->close(m_userEngine);
    if (!m_engines->errorString().empty())
        qCWarning(lcPlatform).noquote() << m_engines->errorString().c_str();
    if (!m_recordPath.empty())
        QFile::remove(QFile::decodeName(m_recordPath.c_str()));
}

bool IBusKeyboard::type(char32_t character)
{
    return enqueue({character});
}

bool IBusKeyboard::typeBackspace()
{
    return enqueue({U'\b'});
}

bool IBusKeyboard::enqueue(Request request)
{
    if (m_queue.size() >= queueLimit) {
        m_error = "ibus-daemon does not answer: too many characters are waiting";
        return false;
    }
    m_error.clear();
    m_queue.push_back(request);
    next();
    return true;
}

void IBusKeyboard::next()
{
    if (m_busy || m_queue.empty())
        return;
    if ((m_fallbackHasFocus && m_fallbackHasFocus()) || !m_engines->hasInputContext()) {
        // Nothing to commit into: no switch, no wait for a focus that will not come.
        // An X11 application may show an input context that never receives what is
        // committed (seen with GNOME Shell 43), while XTest reaches it surely.
        const Request request = m_queue.front();
        m_queue.pop_front();
        deliver(request, false);
        next();
        return;
    }
    m_busy = true;
    const std::string own = m_engines->ownEngine();
    const std::string current = m_engines->globalEngine();
    if (current == own) {
        // The user had no engine: Ondrel's stays, letting every key through, until
        // the user picks one; ibus-daemon drops it when Ondrel ends.
        switchedToOwn(true, 0);
        return;
    }
    m_userEngine = current;
    remember(current);
    m_engines->switchTo(own, [this](bool ok) { switchedToOwn(ok, 0); });
}

void IBusKeyboard::switchedToOwn(bool ok, int polls)
{
    if (ok && !m_engines->hasFocus() && polls < focusPolls) {
        QTimer::singleShot(focusPollMs, m_timers.get(),
                           [this, polls] { switchedToOwn(true, polls + 1); });
        return;
    }
    if (!ok)
        qCWarning(lcPlatform).noquote() << m_engines->errorString().c_str();
    const Request request = m_queue.front();
    m_queue.pop_front();
    deliver(request, ok && m_engines->hasFocus());
    if (m_userEngine.empty() || m_engines->globalEngine() == m_userEngine) {
        done();
        return;
    }
    m_engines->switchTo(m_userEngine, [this](bool back) {
        if (!back)
            qCWarning(lcPlatform).noquote() << m_engines->errorString().c_str();
        done();
    });
}

void IBusKeyboard::deliver(Request request, bool committing)
{
    const ActionKey *action = nullptr;
    for (const ActionKey &key : actionKeys) {
        if (key.character == request.character)
            action = &key;
    }
    qCDebug(lcPlatform, "U+%04X through %s", unsigned(request.character),
            committing ? "IBus" : "the fallback");
    if (committing) {
        const bool sent =
            action ? m_engines->forwardKey(action->keysym, action->evdevCode)
                   : m_engines->commit(QString::fromUcs4(&request.character, 1).toStdString());
        if (sent)
            return;
    }
    if (!m_fallbackNoted) {
        qCInfo(lcPlatform) << "The focused application takes no text from IBus: typing"
                              " without it";
        m_fallbackNoted = true;
    }
    const bool typed = request.character == U'\b' ? m_fallback->typeBackspace()
                                                  : m_fallback->type(request.character);
    if (!typed)
        qCWarning(lcPlatform).noquote() << "Cannot type:" << m_fallback->errorString().c_str();
}

void IBusKeyboard::done()
{
    m_busy = false;
    next();
}

void IBusKeyboard::remember(const std::string &engine)
{
    if (m_recordPath.empty() || engine == m_recordedEngine)
        return;
    if (engine.empty()) {
        // Nothing to put back: a record left from before must not be taken for one.
        QFile::remove(QFile::decodeName(m_recordPath.c_str()));
        m_recordedEngine = engine;
        return;
    }
    QSaveFile file(QFile::decodeName(m_recordPath.c_str()));
    // Only this user may read which input method is in use.
    if (file.open(QIODevice::WriteOnly) &&
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) &&
        file.write(engine.c_str()) == qint64(engine.size()) && file.commit())
        m_recordedEngine = engine;
    else
        qCWarning(lcPlatform).noquote() << "Cannot note the IBus engine to put back in"
                                        << m_recordPath.c_str() << ":" << file.errorString();
}

std::string IBusKeyboard::recorded() const
{
    QFile file(QFile::decodeName(m_recordPath.c_str()));
    if (m_recordPath.empty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QString name = QString::fromUtf8(file.read(256)).trimmed();
    return isEngineName(name) ? name.toStdString() : std::string();
}

} // namespace platform::ibus
