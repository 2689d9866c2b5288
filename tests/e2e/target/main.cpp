// SPDX-License-Identifier: GPL-3.0-or-later
// The application the end-to-end tests type into: one text field, whose every
// change is written to a file so that the test can read what arrived. Given a
// second file, it also records there the name of every key pressed in it, one a
// line, so that a test can see that keys watched by others still reach it.

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QSaveFile>

#include <memory>

namespace {

/// Appends the name of each key press that reaches the watched widget.
class KeyRecorder : public QObject
{
public:
    explicit KeyRecorder(const QString &path) : m_file(path)
    {
        m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            m_file.write(QKeySequence(key->key()).toString().toUtf8() + '\n');
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QFile m_file;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const QString outputPath = QString::fromLocal8Bit(argv[1]);

    QLineEdit field;
    field.setWindowTitle(QStringLiteral("Ondrel test target"));
    field.setMinimumWidth(400);
    QObject::connect(&field, &QLineEdit::textChanged, [&outputPath](const QString &text) {
        QSaveFile file(outputPath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(text.toUtf8());
            file.commit();
        }
    });

    std::unique_ptr<KeyRecorder> recorder;
    if (argc > 2) {
        recorder = std::make_unique<KeyRecorder>(QString::fromLocal8Bit(argv[2]));
        field.installEventFilter(recorder.get());
    }

    field.move(40, 40);
    field.show();
    return QApplication::exec();
}
