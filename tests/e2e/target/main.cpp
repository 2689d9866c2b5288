// SPDX-License-Identifier: GPL-3.0-or-later
// The application the end-to-end tests type into: one text field, whose every
// change is written to a file so that the test can read what arrived.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSaveFile>

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
    field.move(40, 40);
    field.show();
    return QApplication::exec();
}
