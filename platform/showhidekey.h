// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <string>

namespace platform {

/// The global key that shows and hides the panel whichever application has the
/// focus: one of the function keys F2 to F12.
class ShowHideKey : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// Starts watching the keyboard. False, with errorString() saying why, where
    /// this desktop gives no way to.
    virtual bool start() = 0;
    /// Stops watching; safe to call more than once, and before start().
    virtual void stop() = 0;
    virtual std::string errorString() const = 0;

    /// The key that counts, by its number: 2 for F2 to 12 for F12.
    void setFunctionKey(int number) { m_functionKey = number; }
    int functionKey() const { return m_functionKey; }

signals:
    void pressed();

protected:
    /// For the backends: a new press of function key F<number>.
    void functionKeyPressed(int number)
    {
        if (number == m_functionKey)
            emit pressed();
    }

private:
    int m_functionKey = 8;
};

} // namespace platform
