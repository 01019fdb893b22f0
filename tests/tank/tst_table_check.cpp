// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calibration table's check: a table of user points per row and the
// findings it must give (kind and point), the texts in both languages, and
// kvtool check's output and exit status on a protocol file.

#include "support/tool_process.h"
#include "tank/table_check.h"
#include "tank_library.h"

#include <QTemporaryDir>
#include <QTest>

using TableCheck::Finding;
using TableCheck::Kind;

namespace {

// Points as "N:litres" in index order from 0.
std::vector<UserPoint> table(const QString &pointsText)
{
    std::vector<UserPoint> points;
    int index = 0;
    for (const QString &p : pointsText.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList nl = p.split(QLatin1Char(':'));
        points.push_back({index++, nl[0].toInt(), nl[1].toDouble()});
    }
    return points;
}

// Findings as "kind@index/other": "rise@3/2", "dup@4/1", "step@5/4"; a warning
// ends in "?" ("step@1/0?"); the range warnings are "top?" and "bottom?".
QStringList describe(const std::vector<Finding> &findings)
{
    QStringList out;
    for (const Finding &f : findings) {
        switch (f.kind) {
        case Kind::NotRising:
            out << QStringLiteral("rise@%1/%2").arg(f.index).arg(f.other);
            break;
        case Kind::Duplicate:
            out << QStringLiteral("dup@%1/%2").arg(f.index).arg(f.other);
            break;
        case Kind::UnevenStep:
            out << QStringLiteral("step@%1/%2").arg(f.index).arg(f.other) +
                       (f.fault() ? QString() : QStringLiteral("?"));
            break;
        case Kind::ShortOfTop:
            out << QStringLiteral("top?");
            break;
        case Kind::ShortOfBottom:
            out << QStringLiteral("bottom?");
            break;
        }
    }
    return out;
}

// The ways the library's tanks are calibrated: 10, 12 and 16 bits; 10, 20
// and 40 pours; filled from empty and from a fifth, and drained; two seeds.
// At 10 bits only up to 20 pours: with 40 a pour moves the level by about 25
// codes, and ±2 codes of noise at each end of a step are then as large as the
// trend's own changes near a floor.
std::vector<TankLibrary::Pouring> pourings()
{
    std::vector<TankLibrary::Pouring> out;
    unsigned seed = 1;
    for (int bits : {10, 12, 16})
        for (int pours : {10, 20, 40})
            for (int way = 0; way < 3 && !(bits == 10 && pours > 20); ++way)
                for (int run = 0; run < 2; ++run) {
                    TankLibrary::Pouring p;
                    p.bits = bits;
                    p.pours = pours;
                    p.start = way == 1 ? 0.2 : 0;
                    p.draining = way == 2;
                    p.seed = seed++;
                    out.push_back(p);
                }
    return out;
}

QString label(const TankLibrary::Pouring &p)
{
    return QStringLiteral("%1 bit, %2 pours, %3, seed %4")
        .arg(p.bits)
        .arg(p.pours)
        .arg(p.draining ? QStringLiteral("drained")
                        : p.start > 0 ? QStringLiteral("from a fifth") : QStringLiteral("from empty"))
        .arg(p.seed);
}

} // namespace

class TstTableCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findings_data()
    {
        QTest::addColumn<QString>("points");
        QTest::addColumn<bool>("draining");
        QTest::addColumn<int>("rangeTop");
        QTest::addColumn<QStringList>("expected");

        const QStringList none;
        QTest::newRow("steady filling")
            << "0:0 400:10 800:20 1200:30 1600:40" << false << 0 << none;
        QTest::newRow("steady draining")
            << "1600:40 1200:30 800:20 400:10 0:0" << true << 0 << none;
        QTest::newRow("filling table read as draining")
            << "0:0 400:10 800:20" << true << 0 << QStringList{"rise@1/0", "rise@2/1"};
        QTest::newRow("level falls while filling")
            << "0:0 400:10 800:20 700:30 1600:40" << false << 0 << QStringList{"rise@3/2"};
        QTest::newRow("same level saved twice")
            << "0:0 400:10 404:20 800:30 1200:40" << false << 0 << QStringList{"dup@2/1"};
        QTest::newRow("five codes apart is not the same level")
            << "0:0 400:10 405:10.1 800:20" << false << 0 << none;
        QTest::newRow("duplicate of a point further back")
            << "0:0 400:10 800:20 398:30" << false << 0 << QStringList{"dup@3/1"};
        QTest::newRow("step poured twice")
            << "0:0 400:10 800:20 1600:30 2000:40 2400:50" << false << 0 << QStringList{"step@3/2"};
        QTest::newRow("step missed")
            << "0:0 400:10 800:20 850:30 1250:40 1650:50" << false << 0 << QStringList{"step@3/2"};
        QTest::newRow("sensor not settled: short step then long")
            << "0:0 400:10 800:20 950:30 1600:40 2000:50 2400:60" << false << 0
            << QStringList{"step@3/2", "step@4/3"};
        QTest::newRow("too few steps for a median") << "0:0 400:10 1600:20" << false << 0 << none;
        QTest::newRow("a step of 1.5 times the median is still even")
            << "0:0 400:10 800:20 1400:30 1800:40 2200:50" << false << 0 << none;
        QTest::newRow("a step of the median / 1.5 is still even")
            << "0:0 600:10 1200:20 1600:30 2200:40 2800:50" << false << 0 << none;
        QTest::newRow("less than a code per litre, a step poured twice")
            << "0:0 40:100 80:200 160:300 200:400 240:500" << false << 0
            << QStringList{"step@3/2"};
        QTest::newRow("equal litres give no step")
            << "0:0 400:10 800:10 1200:20 1600:30" << false << 0 << none;
        QTest::newRow("litres going the wrong way make an uneven step")
            << "0:0 400:10 800:20 1200:10 1600:40 2000:50" << false << 0
            << QStringList{"step@3/2", "step@4/3"};
        QTest::newRow("ends well below the top")
            << "0:0 1000:10 2000:20" << false << 4095 << QStringList{"top?"};
        QTest::newRow("starts well above the bottom")
            << "1000:0 2500:10 4000:20" << false << 4095 << QStringList{"bottom?"};
        QTest::newRow("drained from half way")
            << "2000:20 1000:10 0:0" << true << 4095 << QStringList{"top?"};
        QTest::newRow("most of the range") << "100:0 2000:10 3900:20" << false << 4095 << none;
        // Level codes at both ends of 32 bits: compared without overflow.
        QTest::newRow("extreme level codes")
            << "-2147483648:0 0:10 2147483647:20" << false << 0 << none;
        QTest::newRow("extreme level codes, the wrong way")
            << "2147483647:0 -2147483648:10" << false << 0 << QStringList{"rise@1/0"};
        QTest::newRow("no points") << "" << false << 4095 << none;
        QTest::newRow("one point") << "10:0" << false << 4095 << none;
    }

    void findings()
    {
        QFETCH(QString, points);
        QFETCH(bool, draining);
        QFETCH(int, rangeTop);
        QFETCH(QStringList, expected);
        TableCheck::Limits limits;
        limits.rangeTop = rangeTop;
        QCOMPARE(describe(TableCheck::check(table(points), draining, limits)), expected);
    }

    // Every sound calibration of the tank library: no finding calls for a
    // repeat. The only words allowed are the range warnings where the table
    // truly stops short (a filling from a fifth) and a warning at the sump's
    // own end step.
    void soundTanksGiveNoFinding()
    {
        using namespace TankLibrary;
        int tables = 0;
        QStringList trouble;
        for (const Shape &tank : shapes())
            for (const Pouring base : pourings()) {
                const std::vector<UserPoint> points = calibrate(tank, base);
                TableCheck::Limits limits;
                limits.rangeTop = qint32(std::pow(2, base.bits)) - 1;
                const auto findings = TableCheck::check(points, base.draining, limits);
                ++tables;
                for (const Finding &f : findings) {
                    const bool sumpEnd = tank.sump && f.kind == Kind::UnevenStep && !f.fault() &&
                                         (base.draining ? !f.firstStep : f.firstStep) &&
                                         base.start == 0;
                    const bool startsHigh = f.kind == Kind::ShortOfBottom && base.start > 0;
                    if (!sumpEnd && !startsHigh)
                        trouble << tank.name + QLatin1Char(' ') + label(base) + QStringLiteral(": ") +
                                       describe({f}).join(QString()) + QLatin1Char(' ') +
                                       TableCheck::text(f, base.draining, limits, 0);
                }
            }
        for (const QString &t : trouble)
            qWarning().noquote() << t;
        QVERIFY2(trouble.isEmpty(), qPrintable(QString::number(trouble.size())));
        QVERIFY(tables > 100);
    }

    // Every slip of the installer, at the first step, in the middle and at the
    // last step of every tank: found at the point where it was made (a Rec
    // too early also shows on the step after it). In the middle it calls for a
    // repeat; at the ends an uneven step may be a warning.
    void slipsAreFoundWhereTheyWereMade()
    {
        using namespace TankLibrary;
        const Slip slips[] = {Slip::PouredTwice, Slip::Forgotten, Slip::NotSettled,
                              Slip::NotClimbing, Slip::SavedTwice};
        QStringList missed;
        int tables = 0;
        for (const Shape &tank : shapes())
            for (Pouring p : pourings())
                for (Slip slip : slips)
                    for (int at : {1, p.pours / 2, p.pours}) {
                        // Two pours into a sump's step look like a deeper sump:
                        // at the floor end of a sump tank the table cannot tell.
                        const bool floorEnd = p.draining ? at == p.pours : at == 1 && p.start == 0;
                        if (tank.sump && slip == Slip::PouredTwice && floorEnd)
                            continue;
                        p.slip = slip;
                        p.slipAt = at;
                        const std::vector<UserPoint> points = calibrate(tank, p);
                        TableCheck::Limits limits;
                        limits.rangeTop = qint32(std::pow(2, p.bits)) - 1;
                        const auto findings = TableCheck::check(points, p.draining, limits);
                        ++tables;
                        // The point the slip shows at: the second of a level saved twice.
                        const int point = slip == Slip::SavedTwice ? at + 1 : at;
                        const bool end = point == 1 || point == int(points.size()) - 1;
                        bool found = false;
                        for (const Finding &f : findings) {
                            // A Rec too early may show only on the step from it.
                            const bool here = f.index == point ||
                                              (slip == Slip::NotSettled && f.other == point);
                            if (here && (f.fault() || (end && f.kind == Kind::UnevenStep)))
                                found = true;
                        }
                        // Elsewhere only what a slip drags with it: the step after it.
                        bool stray = false;
                        for (const Finding &f : findings)
                            if (f.fault() && f.index != point && f.index != point + 1)
                                stray = true;
                        if (!found || stray)
                            missed << QStringLiteral("%1 %2, slip %3 at %4: %5")
                                          .arg(tank.name, label(p))
                                          .arg(int(slip))
                                          .arg(at)
                                          .arg(describe(findings).join(QLatin1Char(' ')));
                    }
        for (const QString &t : missed)
            qWarning().noquote() << t;
        QVERIFY2(missed.isEmpty(), qPrintable(QString::number(missed.size())));
        QVERIFY(tables > 1000);
    }

    void indexOrderIsWhatCounts()
    {
        // Stored indices with gaps (auto-saved steps between), given shuffled.
        std::vector<UserPoint> points{{7, 800, 20}, {1, 0, 0}, {9, 700, 30}, {4, 400, 10}};
        const auto f = TableCheck::check(points, false, {});
        QCOMPARE(describe(f), QStringList{"rise@9/7"});
        QCOMPARE(f[0].n, 700);
        QCOMPARE(f[0].otherN, 800);
    }

    void textsInBothLanguages()
    {
        TableCheck::Limits limits;
        limits.rangeTop = 4095;
        const auto f =
            TableCheck::check(table("0:0 400:10 800:20 1600:30 2000:40 2400:50"), false, limits);
        QCOMPARE(describe(f), (QStringList{"step@3/2", "top?"}));
        QCOMPARE(TableCheck::text(f[0], false, limits, 0),
                 QStringLiteral("Point # 3: the step from point # 2 gives 80,0 codes per litre "
                                "where the steps around give 40,0: poured twice, missed, or the "
                                "sensor had not settled?"));
        QCOMPARE(TableCheck::text(f[0], false, limits, 1),
                 QStringLiteral("Точка №3: шаг от точки №2 даёт 80,0 кода на литр при обычных "
                                "40,0: долито дважды, пропущено или датчик не успокоился?"));
        QCOMPARE(TableCheck::text(f[1], false, limits, 0),
                 QStringLiteral("The table's highest level code 2400 is 41 % of the sensor's "
                                "range (0..4095) below its top: litres above it cannot be told"));
        QCOMPARE(TableCheck::text(f[1], false, limits, 1),
                 QStringLiteral("Самый высокий код уровня таблицы 2400 на 41 % диапазона "
                                "датчика (0..4095) ниже его верха: литры выше него не определить"));
        limits.rangeBottom = 1000;
        const auto low = TableCheck::check(table("2000:0 2500:10 4000:20"), false, limits);
        QCOMPARE(describe(low), QStringList{"bottom?"});
        QCOMPARE(TableCheck::text(low[0], false, limits, 0),
                 QStringLiteral("The table's lowest level code 2000 is 32 % of the sensor's "
                                "range (1000..4095) above its bottom: litres below it cannot be "
                                "told"));
        QCOMPARE(TableCheck::text(low[0], false, limits, 1),
                 QStringLiteral("Самый низкий код уровня таблицы 2000 на 32 % диапазона датчика "
                                "(1000..4095) выше его низа: литры ниже него не определить"));

        // A step at the table's end: a warning that names the end.
        const auto end = TableCheck::check(table("0:0 900:10 1300:20 1700:30 2100:40"), false, {});
        QCOMPARE(describe(end), QStringList{"step@1/0?"});
        QCOMPARE(TableCheck::text(end[0], false, {}, 0),
                 QStringLiteral("Point # 1: the first step (from point # 0) gives 90,0 codes per "
                                "litre where the trend of the steps beside it gives 40,0: a tank's "
                                "end does that (a sump, a rounded floor or roof), and so does a "
                                "slip; if unsure, repeat the step"));
        QCOMPARE(TableCheck::text(end[0], false, {}, 1),
                 QStringLiteral("Точка №1: первый шаг (от точки №0) даёт 90,0 кода на литр, а ход "
                                "соседних шагов даёт 40,0: так бывает у края бака (отстойник, "
                                "скруглённое дно или крыша) или при ошибке; если не уверены, "
                                "повторите шаг"));

        const auto rise = TableCheck::check(table("700:20 800:10"), true, {});
        QCOMPARE(describe(rise), QStringList{"rise@1/0"});
        QCOMPARE(TableCheck::text(rise[0], true, limits, 0),
                 QStringLiteral("Point # 1: level code 800 is not below 700 of point # 0 "
                                "although fuel was drained"));
        QCOMPARE(TableCheck::text(rise[0], true, limits, 1),
                 QStringLiteral("Точка №1: код уровня 800 не ниже 700 точки №0, хотя топливо "
                                "слито"));
        const auto dup = TableCheck::check(table("400:10 402:20"), false, {});
        QCOMPARE(describe(dup), QStringList{"dup@1/0"});
        QCOMPARE(TableCheck::text(dup[0], false, limits, 0),
                 QStringLiteral("Point # 1: level code 402 is within 4 codes of 400 of point # 0: "
                                "the same level saved twice?"));
        QCOMPARE(TableCheck::text(dup[0], false, limits, 1),
                 QStringLiteral("Точка №1: код уровня 402 отличается от 400 точки №0 менее чем "
                                "на 5: уровень записан дважды?"));
    }

    void rangeTopFollowsTheHighestLevel_data()
    {
        QTest::addColumn<QString>("points");
        QTest::addColumn<int>("top");
        QTest::newRow("10 bit") << "0:0 1023:10" << 1023;
        QTest::newRow("12 bit") << "0:0 1024:10" << 4095;
        QTest::newRow("14 bit") << "0:0 4096:10" << 16383;
        QTest::newRow("16 bit") << "0:0 16384:10" << 65535;
    }
    void rangeTopFollowsTheHighestLevel()
    {
        QFETCH(QString, points);
        QFETCH(int, top);
        QCOMPARE(TableCheck::rangeTopFor(table(points)), top);
    }

    void kvtoolCheckPrintsFindingsAndFails()
    {
        // User points 1, 3, 4, 5 (index 2 is an auto-saved step): the step
        // into point 4 was poured twice; the table spans 4000 of 4095.
        const QByteArray protocol(
            "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[Point]\r\nStop_Point=5\r\n"
            "[Protocol_Date]\r\n"
            "Time0=0\r\nFilterN0=0\r\nliter0=0000,00\r\nStatus_Save0=User Save\r\n"
            "Time1=5\r\nFilterN1=800\r\nliter1=0010,00\r\nStatus_Save1=User Save\r\n"
            "Time2=6\r\nFilterN2=900\r\nliter2=0010,00\r\nStatus_Save2=Auto Save\r\n"
            "Time3=9\r\nFilterN3=1600\r\nliter3=0020,00\r\nStatus_Save3=User Save\r\n"
            "Time4=12\r\nFilterN4=3200\r\nliter4=0030,00\r\nStatus_Save4=User Save\r\n"
            "Time5=15\r\nFilterN5=4000\r\nliter5=0040,00\r\nStatus_Save5=User Save\r\n");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(path, protocol));

        ToolRun r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("check"), path});
        QCOMPARE(r.out,
                 QStringLiteral("5 user points, filling, range 0..4095 (guessed from the highest "
                                "level): 1 finding\n"
                                "Point # 4: the step from point # 3 gives 160,0 codes per litre "
                                "where the steps around give 80,0: poured twice, missed, or the "
                                "sensor had not settled?\n"));
        QCOMPARE(r.exitCode, 1);

        // Asked to read it as a drained tank, every step goes the wrong way.
        r = runTool(QStringLiteral(KV_KVTOOL),
                    {QStringLiteral("check"), path, QStringLiteral("--draining")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.count(QStringLiteral("not below")), 4);
    }

    void kvtoolCheckPassesAGoodTable()
    {
        const QByteArray protocol(
            "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[Point]\r\nStop_Point=3\r\n"
            "[Protocol_Date]\r\n"
            "Time0=0\r\nFilterN0=900\r\nliter0=0030,00\r\nStatus_Save0=User Save\r\n"
            "Time1=5\r\nFilterN1=600\r\nliter1=0020,00\r\nStatus_Save1=User Save\r\n"
            "Time2=9\r\nFilterN2=300\r\nliter2=0010,00\r\nStatus_Save2=User Save\r\n"
            "Time3=12\r\nFilterN3=10\r\nliter3=0000,00\r\nStatus_Save3=User Save\r\n");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(path, protocol));
        const ToolRun r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("check"), path});
        QCOMPARE(r.out, QStringLiteral("4 user points, draining, range 0..1023 (guessed from the "
                                       "highest level): no findings, 1 warning\n"
                                       "warning: The table's highest level code 900 is 12 % of the "
                                       "sensor's range (0..1023) below its top: litres above it "
                                       "cannot be told\n"));
        QCOMPARE(r.exitCode, 0);
    }

    // The range from the sensor settings the protocol stores: the resolution,
    // and without full-scale mode the level codes of the scale's ends.
    void kvtoolCheckTakesTheStoredRange_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("head");
        QTest::addColumn<int>("status");
        QTest::newRow("16 bit, full scale")
            << QByteArray("DigitData=16\r\nModeFSM=1\r\n")
            << "4 user points, filling, range 0..65535: no findings, 1 warning" << 0;
        QTest::newRow("12 bit, scale from 1000 to 60000")
            << QByteArray("DigitData=12\r\nModeFSM=0\r\nDownCodeCapacyty=1000\r\n"
                          "UpCodeCapacyty=60000\r\n")
            << "4 user points, filling, range 62..3749: no findings" << 0;
        QTest::newRow("firmware 8 keeps its scale elsewhere")
            << QByteArray("DigitData=12\r\nModeFSM=0\r\nVersion_H=8\r\nDownCodeCapacyty=1000\r\n"
                          "UpCodeCapacyty=60000\r\nDownCodeCapacyty20=0\r\nUpCodeCapacyty20=65535\r\n")
            << "4 user points, filling, range 0..4095: no findings" << 0;
        QTest::newRow("no settings") << QByteArray("CompanyName=\r\n")
                                     << "4 user points, filling, range 0..4095 (guessed from the "
                                        "highest level): no findings"
                                     << 0;
    }
    void kvtoolCheckTakesTheStoredRange()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, head);
        QFETCH(int, status);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(path, TankLibrary::protocolText({{0, 100, 0}, {1, 1300, 10},
                                                              {2, 2500, 20}, {3, 3700, 30}},
                                                             settings)));
        const ToolRun r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("check"), path});
        QCOMPARE(r.out.section(QLatin1Char('\n'), 0, 0), head);
        QCOMPARE(r.exitCode, status);
    }

    // The README's examples: a lying cylinder poured twice at point 8, and
    // the same calibration without the slip.
    void readmeExamples()
    {
        ToolRun r = runTool(QStringLiteral(KV_KVTOOL),
                            {QStringLiteral("check"),
                             QStringLiteral(KV_EXAMPLES "/lying-cylinder.kvi")});
        QCOMPARE(r.out, QStringLiteral("21 user points, filling, range 0..4095: 1 finding\n"
                                       "Point # 8: the step from point # 7 gives 19,3 codes per "
                                       "litre where the steps around give 10,0: poured twice, "
                                       "missed, or the sensor had not settled?\n"));
        QCOMPARE(r.exitCode, 1);
        r = runTool(QStringLiteral(KV_KVTOOL),
                    {QStringLiteral("check"), QStringLiteral(KV_EXAMPLES "/lying-cylinder-sound.kvi")});
        QCOMPARE(r.out, QStringLiteral("21 user points, filling, range 0..4095: no findings\n"));
        QCOMPARE(r.exitCode, 0);
    }

    void kvtoolCheckCannotRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not a protocol") << QByteArray("[Protocol]\r\nMarking=Error\r\n");
        QTest::newRow("damaged text") << QByteArray("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n"
                                                    "[User_Option]\r\nCompanyName=#12\r\n");
        QTest::newRow("missing") << QByteArray();
    }
    void kvtoolCheckCannotRead()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tank.kvi"));
        if (!bytes.isEmpty())
            QVERIFY(writeFixture(path, bytes));
        const ToolRun r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("check"), path});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstTableCheck)
#include "tst_table_check.moc"
