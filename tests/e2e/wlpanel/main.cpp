// SPDX-License-Identifier: GPL-3.0-or-later
// ondrel_wl_panel: a stand-in for the panel, built from the Wayland building blocks
// alone, so that the end-to-end tests can check them on a real compositor. A grid of
// 30-pixel cells in a layer-shell window at 100,300; a left click on cell n (n > 0)
// types the n-th character of the file given as argument with the virtual-keyboard
// typer, the last cell types Backspace. Commands on stdin, one a line: show, hide.
// It reports on stdout: "typer 0|1", "role N" after each show got the role,
// "typed CELL 0|1", "hidden".
#include "platform/wayland/keymaptext.h"
#include "platform/wayland/layershellwindow.h"
#include "platform/wayland/virtualkeyboardtyper.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr int Cell = 30, Columns = 28, Rows = 7;

void report(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class Grid : public QWidget
{
public:
    Grid(platform::wayland::VirtualKeyboardTyper *typer, QString characters)
        : m_typer(typer), m_characters(std::move(characters))
    {
        setFixedSize(Columns * Cell, Rows * Cell);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(255, 0, 255));
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        const int cell = int(event->position().y()) / Cell * Columns + int(event->position().x()) / Cell;
        if (event->button() != Qt::LeftButton || cell == 0)
            return;
        const QList<uint> characters = m_characters.toUcs4();
        const bool sent = cell == Columns * Rows - 1 ? m_typer->typeBackspace()
            : cell <= characters.size()
            ? m_typer->typeKeysym(platform::wayland::keysymForCharacter(characters[cell - 1]))
            : false;
        report(QStringLiteral("typed %1 %2").arg(cell).arg(sent));
    }

private:
    platform::wayland::VirtualKeyboardTyper *m_typer;
    QString m_characters;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QFile file(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    file.open(QIODevice::ReadOnly);
    auto typer = platform::wayland::VirtualKeyboardTyper::forQtApplication();
    report(QStringLiteral("typer %1").arg(typer->isAvailable()));

    Grid grid(typer.get(), QString::fromUtf8(file.readAll()));
    grid.winId();
    platform::wayland::LayerShellWindow layer(grid.windowHandle());
    layer.setPosition(QPoint(100, 300));
    QObject::connect(&layer, &platform::wayland::LayerShellWindow::roleApplied, [&layer] {
        report(QStringLiteral("role %1").arg(layer.rolesApplied()));
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QApplication::quit();
            return;
        }
        for (const QByteArray &line : QByteArray(buffer, int(n)).split('\n')) {
            if (line == "show") {
                grid.show();
            } else if (line == "hide") {
                grid.hide();
                report(QStringLiteral("hidden"));
            }
        }
    });
    grid.show();
    const int status = QApplication::exec();
    typer.reset(); // before the application's Wayland connection goes
    return status;
}
