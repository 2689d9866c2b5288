// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/stackingguard.h"

#include <QTest>

using platform::x11::RaiseBudget;
using namespace std::chrono_literals;

class TestRaiseBudget : public QObject
{
    Q_OBJECT

private slots:
    void answersAFewRaisesThenWaitsOutAFight();
};

void TestRaiseBudget::answersAFewRaisesThenWaitsOutAFight()
{
    RaiseBudget budget(3, 1000ms);
    const RaiseBudget::Clock::time_point start = RaiseBudget::Clock::now();

    // Three raises go at once; a fourth within the period does not.
    QVERIFY(budget.take(start));
    QVERIFY(budget.take(start + 10ms));
    QVERIFY(budget.take(start + 20ms));
    QVERIFY(!budget.take(start + 30ms));
    QVERIFY(!budget.take(start + 999ms));
    // Once the period is over the panel is raised again, and the count starts anew.
    QVERIFY(budget.take(start + 1000ms));
    QVERIFY(budget.take(start + 1500ms));
    QVERIFY(budget.take(start + 1900ms));
    QVERIFY(!budget.take(start + 1990ms));
}

QTEST_GUILESS_MAIN(TestRaiseBudget)
#include "tst_raisebudget.moc"
