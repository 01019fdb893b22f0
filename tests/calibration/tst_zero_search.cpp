// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The zero search step and the probe length, as values: the order of the
// tests within a step, the window edges, the attempt limit, the guard; the
// length formula and the class it proposes.

#include "calibration/probe_length.h"
#include "calibration/zero_search.h"

#include <QTest>

namespace {
ZeroSearchInput at(int c, int capdac = 63, int capoff = 32768, int step = 1)
{
    ZeroSearchInput in;
    in.measuredC = c;
    in.armed = true;
    in.capdacField = capdac;
    in.capoffField = capoff;
    in.stepCount = step;
    return in;
}
} // namespace

class TstZeroSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startByClass()
    {
        const ZeroSearchState high = ZeroSearchState::forProbeClass(6);
        QCOMPARE(high.target, 1600);
        QCOMPARE(high.coarseWindow, 1200);
        const ZeroSearchState low = ZeroSearchState::forProbeClass(7);
        QCOMPARE(low.target, 10000);
        QCOMPARE(low.coarseWindow, 4000);
        QCOMPARE(low.dacHigh, 63);
        QCOMPARE(low.offHigh, 65535);
    }

    // The CAPDAC stage, target 10000 and window 4000.
    void coarseStage_data()
    {
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("capdac");
        QTest::addColumn<bool>("lowFound");
        QTest::addColumn<int>("sent"); // -1 none
        QTest::addColumn<bool>("stageAfter");
        QTest::newRow("below: halve") << 3000 << 63 << false << 31 << false;
        QTest::newRow("above: current is the low bound") << 20000 << 31 << false << 47 << false;
        QTest::newRow("below after a low bound") << 3000 << 47 << true << 39 << false;
        QTest::newRow("on the lower edge: nothing") << 6000 << 40 << false << -1 << false;
        QTest::newRow("on the upper edge: nothing") << 14000 << 40 << false << -1 << false;
        QTest::newRow("inside: the fine stage starts") << 9000 << 40 << false << -1 << true;
    }
    void coarseStage()
    {
        QFETCH(int, c);
        QFETCH(int, capdac);
        QFETCH(bool, lowFound);
        QFETCH(int, sent);
        QFETCH(bool, stageAfter);
        ZeroSearchState s = ZeroSearchState::forProbeClass(7);
        if (lowFound) {
            s.dacLowFound = true;
            s.dacLow = 31;
        }
        const ZeroSearchStep r = zeroSearchStep(s, at(c, capdac));
        QVERIFY(r.ran);
        QCOMPARE(r.sendCapdac.value_or(-1), sent);
        QCOMPARE(s.stage, stageAfter);
        QVERIFY(!r.complete);
        if (stageAfter) {
            QCOMPARE(r.sendCapoff, std::optional<int>(65500));
            QVERIFY(r.cancelInitialCapoff);
        }
    }

    void fineStage_data()
    {
        QTest::addColumn<int>("c");
        QTest::addColumn<bool>("lowFound");
        QTest::addColumn<int>("sent");
        QTest::addColumn<bool>("complete");
        QTest::newRow("below: halve") << 9000 << false << 32750 << false;
        QTest::newRow("below after a low bound") << 9000 << true << 49982 << false;
        QTest::newRow("above: current is the low bound") << 11000 << false << 65517 << false;
        QTest::newRow("lower edge completes") << 9985 << false << -1 << true;
        QTest::newRow("upper edge completes") << 10015 << false << -1 << true;
        QTest::newRow("just outside") << 10016 << false << 65517 << false;
    }
    void fineStage()
    {
        QFETCH(int, c);
        QFETCH(bool, lowFound);
        QFETCH(int, sent);
        QFETCH(bool, complete);
        ZeroSearchState s = ZeroSearchState::forProbeClass(7);
        s.stage = true;
        s.offLowFound = lowFound;
        s.offLow = lowFound ? 34465 : 0;
        const ZeroSearchStep r = zeroSearchStep(s, at(c, 40, 65500));
        QCOMPARE(r.sendCapoff.value_or(-1), sent);
        QCOMPARE(r.complete, complete);
    }

    // An attempt ends after the step with count 21, unless it completes there.
    void attemptLimit()
    {
        ZeroSearchState s = ZeroSearchState::forProbeClass(7);
        QVERIFY(!zeroSearchStep(s, at(3000, 63, 32768, 20)).attemptLimit);
        const ZeroSearchStep last = zeroSearchStep(s, at(3000, 31, 32768, 21));
        QVERIFY(last.attemptLimit);
        QVERIFY(last.sendCapdac); // it still makes its adjustment
        s.stage = true;
        const ZeroSearchStep done = zeroSearchStep(s, at(10000, 40, 40000, 21));
        QVERIFY(done.complete);
        QVERIFY(!done.attemptLimit);
    }

    void guard()
    {
        ZeroSearchState s = ZeroSearchState::forProbeClass(7);
        ZeroSearchInput in = at(3000);
        in.armed = false;
        QVERIFY(!zeroSearchStep(s, in).ran);
        in.armed = true;
        in.crcOk = false;
        const ZeroSearchStep r = zeroSearchStep(s, in);
        QVERIFY(!r.ran && !r.sendCapdac && !r.attemptLimit);
    }

    void probeLength()
    {
        using namespace ProbeLength;
        // Cx = CF1: failed. Cx - CF1 = 0.01633 x 400: L = 421.5, class 440.
        const int ref = 40000;
        const int failCode = ref - int(std::lround((8.192 - 1.725) / 0.00025));
        QCOMPARE(evaluate(ref, failCode, 1.725, 0.01633).outcome, Result::Outcome::Failed);
        const double cx = 1.725 + 0.01633 * 400;
        const int code = ref - int(std::lround((8.192 - cx) / 0.00025));
        const Result r = evaluate(ref, code, 1.725, 0.01633);
        QCOMPARE(r.outcome, Result::Outcome::Length);
        QVERIFY(std::abs(r.length - 421.5) < 0.1);
        QCOMPARE(propose(r.length).item, 3);
        QCOMPARE(evaluate(ref, code, 1.725, 0).outcome, Result::Outcome::NoConstant);
        // The calibration page shows the length in four digits: a length whose
        // "%5.0f" text is longer is refused, whatever CL made it.
        // A sweep of CL across the point where L passes 9999,5 mm.
        for (int i = 0; i <= 40; ++i) {
            const Result t = evaluate(ref, code, 1.725, 0.00065 + i * 0.00000025);
            const bool fits = QString::asprintf("%5.0f", t.length).trimmed().size() <= 4;
            QCOMPARE(t.outcome, fits ? Result::Outcome::Length : Result::Outcome::TooLong);
        }
        QVERIFY(noConstantMessage(0).contains(QStringLiteral("Probe length calculation settings")));
    }

    void proposals_data()
    {
        QTest::addColumn<double>("length");
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("user");
        QTest::newRow("0: none") << 0.0 << -1 << false;
        QTest::newRow("185: User L") << 185.0 << 7 << true;
        QTest::newRow("185.1: 260") << 185.1 << 5 << false;
        QTest::newRow("275: 260") << 275.0 << 5 << false;
        QTest::newRow("276: 350") << 276.0 << 4 << false;
        QTest::newRow("365: 350") << 365.0 << 4 << false;
        QTest::newRow("365.5: 440") << 365.5 << 3 << false;
        QTest::newRow("455: 440") << 455.0 << 3 << false;
        QTest::newRow("455.5: 530") << 455.5 << 2 << false;
        QTest::newRow("545: 530") << 545.0 << 2 << false;
        QTest::newRow("545.5: 620") << 545.5 << 1 << false;
        QTest::newRow("635: 620") << 635.0 << 1 << false;
        QTest::newRow("635.5: 710") << 635.5 << 0 << false;
        QTest::newRow("725: 710") << 725.0 << 0 << false;
        QTest::newRow("725.5: User H") << 725.5 << 6 << true;
        QTest::newRow("726: User H") << 726.0 << 6 << true;
    }
    void proposals()
    {
        QFETCH(double, length);
        QFETCH(int, item);
        QFETCH(bool, user);
        const ProbeLength::Proposal p = ProbeLength::propose(length);
        QCOMPARE(p.item, item);
        QCOMPARE(p.userClass, user);
    }
};

QTEST_GUILESS_MAIN(TstZeroSearch)
#include "tst_zero_search.moc"
