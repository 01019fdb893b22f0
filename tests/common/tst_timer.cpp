// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/scheduler.h"
#include "common/timer.h"

#include <QSocketNotifier>
#include <QTest>

#include <unistd.h>

// The timer semantics that every chain of requests and the watchdog rely on.
class TimerSemantics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void repeatsUntilStopped()
    {
        SimulatedScheduler clock;
        int fired = 0;
        Timer t(&clock, QStringLiteral("TimerReadData"), 1000, [&] { ++fired; });
        t.start();
        clock.advance(999);
        QCOMPARE(fired, 0);
        clock.advance(1);
        QCOMPARE(fired, 1);
        clock.advance(2000);
        QCOMPARE(fired, 3);
        t.stop();
        clock.advance(5000);
        QCOMPARE(fired, 3);
    }

    void enablingRunningTimerKeepsItsCount()
    {
        SimulatedScheduler clock;
        int fired = 0;
        Timer t(&clock, QStringLiteral("TimerReset"), 3000, [&] { ++fired; });
        t.start();
        clock.advance(2000);
        t.setEnabled(true); // must not restart the count
        clock.advance(1000);
        QCOMPARE(fired, 1);
    }

    void intervalChangeRestartsOnlyWhenDifferent()
    {
        SimulatedScheduler clock;
        int fired = 0;
        Timer t(&clock, QStringLiteral("TimerReadData"), 1000, [&] { ++fired; });
        t.start();
        clock.advance(600);
        t.setInterval(1000); // same value: nothing changes
        clock.advance(400);
        QCOMPARE(fired, 1);
        clock.advance(600);
        t.setInterval(800); // different: count starts again from now
        clock.advance(799);
        QCOMPARE(fired, 1);
        clock.advance(1);
        QCOMPARE(fired, 2);
    }

    void oneShotHandlerSwitchesItselfOff()
    {
        SimulatedScheduler clock;
        QList<qint64> at;
        Timer t(&clock, QStringLiteral("TimerGETEXTPARAM"), 100);
        t.setHandler([&] {
            t.stop();
            at << clock.nowMs();
        });
        t.start();
        clock.advance(1000);
        QCOMPARE(at, QList<qint64>{100});
        t.start(); // a later reply arms it again
        clock.advance(1000);
        QCOMPARE(at, (QList<qint64>{100, 1100}));
    }

    void dueTimersFireInTimeOrder()
    {
        SimulatedScheduler clock;
        QStringList order;
        Timer a(&clock, QStringLiteral("a"), 300, [&] {
            order << "a";
            a.stop();
        });
        Timer b(&clock, QStringLiteral("b"), 100, [&] {
            order << "b";
            b.stop();
        });
        Timer c(&clock, QStringLiteral("c"), 200, [&] {
            order << "c";
            c.stop();
        });
        a.start();
        b.start();
        c.start();
        clock.advance(1000);
        QCOMPARE(order, (QStringList{"b", "c", "a"}));
    }

    void chainStartedInsideHandlerRunsWithinSameAdvance()
    {
        SimulatedScheduler clock;
        QList<qint64> at;
        Timer second(&clock, QStringLiteral("second"), 100, [&] {
            second.stop();
            at << clock.nowMs();
        });
        Timer first(&clock, QStringLiteral("first"), 100, [&] {
            first.stop();
            second.start();
            at << clock.nowMs();
        });
        first.start();
        clock.advance(250);
        QCOMPARE(at, (QList<qint64>{100, 200}));
    }

    void zeroIntervalNeverFires()
    {
        SimulatedScheduler clock;
        int fired = 0;
        Timer t(&clock, QStringLiteral("t"), 0, [&] { ++fired; });
        t.start();
        clock.advance(10000);
        QCOMPARE(fired, 0);
        QVERIFY(t.enabled());
    }

    // The fire count is what tests use to see that a timer is wired: it counts
    // handler runs, so a timer left without a handler never counts as fired.
    void fireCountCountsHandlerRuns()
    {
        SimulatedScheduler clock;
        Timer bare(&clock, QStringLiteral("TimerRepeat"), 900);
        bare.start();
        clock.advance(2000);
        QCOMPARE(bare.fireCount(), 0);
        int ran = 0;
        bare.setHandler([&] { ++ran; });
        clock.advance(900);
        QCOMPARE(bare.fireCount(), 1);
        QCOMPARE(ran, 1);
    }

    void realSchedulerRunsOnEventLoop()
    {
        QtScheduler sched;
        int fired = 0;
        Timer t(&sched, QStringLiteral("Timer1"), 10, [&] { ++fired; });
        t.start();
        QTRY_VERIFY_WITH_TIMEOUT(fired >= 3, 2000);
        t.stop();
    }

    // On the real event loop a timer that waits for activity leaves an idle
    // program asleep, runs once right after port bytes arrive or another task
    // runs, and goes back to its full rate when it stops waiting.
    void realSchedulerTimerWaitsForActivity()
    {
        QtScheduler sched;
        int fired = 0;
        Timer t(&sched, QStringLiteral("Timer1"), 10, [&] { ++fired; });
        t.setWaitsForActivity(true);
        t.start();
        QTest::qWait(300);
        QCOMPARE(fired, 0);

        // Bytes on a descriptor: the way port data reaches the program.
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        QSocketNotifier bytes(fds[0], QSocketNotifier::Read);
        connect(&bytes, &QSocketNotifier::activated, this, [&] {
            char c;
            (void)::read(fds[0], &c, 1);
        });
        QCOMPARE(::write(fds[1], "x", 1), ssize_t(1));
        QTRY_COMPARE_WITH_TIMEOUT(fired, 1, 2000);
        QTest::qWait(200);
        QCOMPARE(fired, 1);

        sched.schedule(5, [] {});
        QTRY_COMPARE_WITH_TIMEOUT(fired, 2, 2000);

        t.setWaitsForActivity(false);
        QTRY_VERIFY_WITH_TIMEOUT(fired >= 6, 2000);
        t.stop();
        ::close(fds[0]);
        ::close(fds[1]);
    }

    // Activity before such a timer is due (the reply just after a poll) does
    // not give it a wake-up of its own: it runs after the next activity that
    // comes at or after its time.
    void realSchedulerTimerWaitsForActivityAfterItsTime()
    {
        QtScheduler sched;
        int fired = 0;
        Timer t(&sched, QStringLiteral("Timer1"), 600, [&] { ++fired; });
        t.setWaitsForActivity(true);
        t.start();
        sched.schedule(0, [] {}); // activity long before the 600 ms
        QTest::qWait(1000);
        QCOMPARE(fired, 0);
        sched.schedule(0, [] {});
        QTRY_COMPARE_WITH_TIMEOUT(fired, 1, 2000);
        t.stop();
    }
};

QTEST_GUILESS_MAIN(TimerSemantics)
#include "tst_timer.moc"
