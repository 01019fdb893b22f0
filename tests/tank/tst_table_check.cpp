// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calibration table's check: a table of user points per row and the
// findings it must give (kind and point), the texts in both languages, and
// kvtool check's output and exit status on a protocol file.

#include "support/tool_process.h"
#include "tank/table_check.h"

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

// Findings as "kind@index/other": "rise@3/2", "dup@4/1", "step@5/4", "short".
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
            out << QStringLiteral("step@%1/%2").arg(f.index).arg(f.other);
            break;
        case Kind::LowCoverage:
            out << QStringLiteral("short");
            break;
        }
    }
    return out;
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
        // A lying cylinder: codes per litre change slowly along the table.
        QTest::newRow("slowly changing cross-section")
            << "0:0 600:10 1100:20 1550:30 1950:40 2330:50 2700:60 3060:70 3410:80" << false << 0
            << none;
        QTest::newRow("too few steps for a median") << "0:0 400:10 1600:20" << false << 0 << none;
        QTest::newRow("equal litres give no step")
            << "0:0 400:10 800:10 1200:20 1600:30" << false << 0 << none;
        QTest::newRow("litres going the wrong way make an uneven step")
            << "0:0 400:10 800:20 1200:10 1600:40 2000:50" << false << 0
            << QStringList{"step@3/2", "step@4/3"};
        QTest::newRow("half the range is short")
            << "0:0 1000:10 2000:20" << false << 4095 << QStringList{"short"};
        QTest::newRow("most of the range") << "100:0 1500:10 3100:20" << false << 4095 << none;
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
        QCOMPARE(describe(f), (QStringList{"step@3/2", "short"}));
        QCOMPARE(TableCheck::text(f[0], false, limits, 0),
                 QStringLiteral("Point # 3: the step from point # 2 gives 80,0 codes per litre "
                                "where the steps around give 40,0: poured twice, missed, or the "
                                "sensor had not settled?"));
        QCOMPARE(TableCheck::text(f[0], false, limits, 1),
                 QStringLiteral("Точка №3: шаг от точки №2 даёт 80,0 кода на литр при обычных "
                                "40,0: долито дважды, пропущено или датчик не успокоился?"));
        QCOMPARE(TableCheck::text(f[1], false, limits, 0),
                 QStringLiteral("The table spans 59 % of the sensor's range (0..4095); at least "
                                "70 % is expected"));
        QCOMPARE(TableCheck::text(f[1], false, limits, 1),
                 QStringLiteral("Таблица охватывает 59 % диапазона датчика (0..4095), "
                                "ожидается не менее 70 %"));

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
                 QStringLiteral("5 user points, filling, range 0..4095: 1 finding\n"
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
        QCOMPARE(r.out, QStringLiteral("4 user points, draining, range 0..1023: no findings\n"));
        QCOMPARE(r.exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TstTableCheck)
#include "tst_table_check.moc"
