// SPDX-License-Identifier: GPL-3.0-or-later
// What one step of the size slider costs the panel: a new label size, the new
// layout and the repaint of the whole grid, on whatever display Qt is given.
//
//     ondrel_bench_panel_step [STEPS]

#include "panel/characterpanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int steps = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    CharacterPanel panel;
    panel.setLabelSize(45);
    panel.setLabelSpacing(0);
    panel.show();
    if (!QTest::qWaitForWindowExposed(&panel))
        return 1;

    std::vector<double> milliseconds;
    QElapsedTimer timer;
    for (int step = 0; step < steps; ++step) {
        // Up and down between two sizes, as a slider moved back and forth.
        timer.start();
        panel.setLabelSize(step % 2 ? 45 : 44);
        panel.repaint();
        milliseconds.push_back(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    const auto at = [&](double share) {
        return milliseconds[std::min(milliseconds.size() - 1,
                                     static_cast<std::size_t>(share * milliseconds.size()))];
    };
    std::printf("size-slider step (set size and repaint), %d steps: median %.2f ms, p95 %.2f ms, "
                "max %.2f ms (target: median <= 2 ms)\n",
                steps, at(0.5), at(0.95), milliseconds.back());
    return 0;
}
