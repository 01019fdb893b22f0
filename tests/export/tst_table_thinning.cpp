// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Thinning a calibration table to a tracker's limit: the dynamic programme
// against every choice of points on small tables, and kvtool table and wlp
// with --max-points and --max-error on a protocol of a lying cylinder, the
// written table read back and its differences measured here.

#include "export/table_thinning.h"
#include "support/tool_process.h"
#include "tank/tank_library.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using TableThinning::Point;

namespace {

// Random tables of n points: level rising by 1..40 codes (sometimes 0),
// litres rising unevenly, from a seed.
std::vector<Point> randomTable(int n, unsigned seed)
{
    unsigned s = seed * 747796405u + 2891336453u;
    const auto next = [&s](int range) {
        s = s * 1664525u + 1013904223u;
        return int((s >> 8) % unsigned(range));
    };
    std::vector<Point> t;
    double n0 = next(100), l0 = 0;
    for (int i = 0; i < n; ++i) {
        t.push_back({n0, l0});
        n0 += next(40);
        l0 += next(100) / 10.0;
    }
    return t;
}

// Every choice of positions with the first and the last (bit i: position i kept).
template <typename Visit> void everyChoice(int n, Visit visit)
{
    for (unsigned mask = 0; mask < (1u << (n - 2)); ++mask) {
        std::vector<size_t> kept{0};
        for (int i = 1; i < n - 1; ++i)
            if (mask & (1u << (i - 1)))
                kept.push_back(size_t(i));
        kept.push_back(size_t(n - 1));
        visit(kept);
    }
}

// Litres by straight lines through a table at a level code (the table's
// first litres below it, the last above).
double tableAt(const std::vector<std::pair<double, double>> &t, double n)
{
    for (size_t k = 1; k < t.size(); ++k)
        if (n <= t[k].first) {
            const auto &a = t[k - 1], &b = t[k];
            return b.first == a.first ? a.second
                                      : a.second + (b.second - a.second) * (n - a.first) /
                                                       (b.first - a.first);
        }
    return t.back().second;
}

std::vector<std::pair<double, double>> readCsv(const QString &text)
{
    std::vector<std::pair<double, double>> t;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(QLatin1Char(','));
        t.emplace_back(f[0].toDouble(), f[1].toDouble());
    }
    return t;
}

} // namespace

class TstTableThinning : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void equalsTheBestOfEveryChoice()
    {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            const int n = 3 + int(seed % 8); // 3 .. 10 points
            const std::vector<Point> t = randomTable(n, seed);
            for (int k = 2; k <= n; ++k) {
                double best = std::numeric_limits<double>::infinity();
                everyChoice(n, [&](const std::vector<size_t> &kept) {
                    if (int(kept.size()) <= k)
                        best = std::min(best, TableThinning::largestDifference(t, kept));
                });
                const TableThinning::Result r = TableThinning::toCount(t, k);
                QVERIFY(int(r.kept.size()) <= k);
                QCOMPARE(r.kept.front(), size_t(0));
                QCOMPARE(r.kept.back(), size_t(n - 1));
                QCOMPARE(r.largest, best);
                QCOMPARE(TableThinning::largestDifference(t, r.kept), r.largest);
            }
            // The fewest points within a limit: each largest difference a choice gives.
            for (double limit : {0.0, 0.5, 2.0, 5.0, 1000.0}) {
                size_t fewest = size_t(n);
                everyChoice(n, [&](const std::vector<size_t> &kept) {
                    if (TableThinning::largestDifference(t, kept) <= limit)
                        fewest = std::min(fewest, kept.size());
                });
                const TableThinning::Result r = TableThinning::toError(t, limit);
                QCOMPARE(r.kept.size(), fewest);
                QVERIFY(r.largest <= limit);
                QCOMPARE(TableThinning::largestDifference(t, r.kept), r.largest);
            }
        }
    }

    void kvtoolThinsTheTableItWrites_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("most");      // points at most (0: no bound)
        QTest::addColumn<double>("within"); // litres at most (0: no bound)
        QTest::newRow("10 points") << QStringList{"--max-points", "10"} << 10 << 0.0;
        QTest::newRow("3 points") << QStringList{"--max-points", "3"} << 3 << 0.0;
        QTest::newRow("within 2 litres") << QStringList{"--max-error", "2"} << 0 << 2.0;
        QTest::newRow("within 0,5 litres") << QStringList{"--max-error", "0,5"} << 0 << 0.5;
    }
    void kvtoolThinsTheTableItWrites()
    {
        QFETCH(QStringList, options);
        QFETCH(int, most);
        QFETCH(double, within);
        using namespace TankLibrary;
        Pouring p;
        p.pours = 40;
        const std::vector<UserPoint> points = calibrate(horizontalCylinder(600, 1200), p);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(path, protocolText(points)));

        const ToolRun r = runTool(QStringLiteral(KV_KVTOOL),
                                  QStringList{QStringLiteral("table"), path, QStringLiteral("-o"),
                                              QStringLiteral("-")} +
                                      options);
        QCOMPARE(r.exitCode, 0);
        const auto table = readCsv(r.out);
        if (most > 0)
            QVERIFY(int(table.size()) <= most);
        QCOMPARE(table.front().first, double(points.front().n));
        QCOMPARE(table.back().first, double(points.back().n));
        // The largest difference at the installer's points, measured here.
        double largest = 0;
        for (const UserPoint &u : points)
            largest = std::max(largest, std::abs(tableAt(table, u.n) - u.litres));
        if (within > 0)
            QVERIFY2(largest <= within + 1e-9, qPrintable(QString::number(largest)));
        const QRegularExpression told(
            QStringLiteral("kept (\\d+) of (\\d+) points; largest difference (\\d+,\\d\\d) l "
                           "\\((\\d+,\\d\\d) % of the table's top, ([\\d,]+) l\\)\n"));
        const auto m = told.match(r.err);
        QVERIFY2(m.hasMatch(), qPrintable(r.err));
        QCOMPARE(m.captured(1).toInt(), int(table.size()));
        QCOMPARE(m.captured(2).toInt(), int(points.size()));
        QCOMPARE(m.captured(3), QString::number(largest, 'f', 2).replace('.', ','));
        QCOMPARE(m.captured(4),
                 QString::number(largest / points.back().litres * 100, 'f', 2).replace('.', ','));

        // The .wlp takes the same points.
        const QString wlp = dir.filePath(QStringLiteral("tank.wlp"));
        const ToolRun w = runTool(QStringLiteral(KV_KVTOOL),
                                  QStringList{QStringLiteral("wlp"), path, QStringLiteral("-o"), wlp,
                                              QStringLiteral("--prefix"), QString(),
                                              QStringLiteral("--suffix"), QString(),
                                              QStringLiteral("--integer-levels")} +
                                      options);
        QCOMPARE(w.exitCode, 0);
        QFile f(wlp);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().split(':').size(), int(2 * table.size()));
        QCOMPARE(w.err, r.err);
    }

    void kvtoolRefusesBadLimits_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("one point") << QStringList{"--max-points", "1"};
        QTest::newRow("not a number") << QStringList{"--max-points", "ten"};
        QTest::newRow("negative litres") << QStringList{"--max-error", "-1"};
        QTest::newRow("both") << QStringList{"--max-points", "5", "--max-error", "1"};
        QTest::newRow("no value") << QStringList{"--max-error"};
    }
    void kvtoolRefusesBadLimits()
    {
        QFETCH(QStringList, options);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFixture(path, TankLibrary::protocolText({{0, 0, 0}, {1, 100, 10}})));
        for (const char *command : {"table", "wlp"}) {
            const ToolRun r = runTool(QStringLiteral(KV_KVTOOL),
                                      QStringList{QLatin1String(command), path} + options);
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.err.contains(QLatin1String("usage:")), qPrintable(r.err));
        }
    }
};

QTEST_GUILESS_MAIN(TstTableThinning)
#include "tst_table_thinning.moc"
