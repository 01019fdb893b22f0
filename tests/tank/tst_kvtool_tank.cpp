// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool tank: tables from a tank's dimensions against the closed forms of
// the tank library (themselves checked against a numeric integration of the
// tank's cross-section here); and kvtool compare of two calibrations.

#include "support/tool_process.h"
#include "tank_library.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>

namespace {

// The litres below h of a tank whose cross-section is `width` mm wide at each
// height, `length` mm long: Simpson's rule over 4000 slices.
double integrated(const std::function<double(double)> &width, double length, double h)
{
    const int slices = 4000;
    const double dy = h / slices;
    double sum = width(0) + width(h);
    for (int i = 1; i < slices; ++i)
        sum += width(i * dy) * (i % 2 ? 4 : 2);
    return sum * dy / 3 * length / 1e6;
}

double halfChord(double r, double y)
{
    return std::sqrt(std::max(0.0, r * r - (y - r) * (y - r)));
}

struct Case {
    QStringList args;
    TankLibrary::Shape shape;
    std::function<double(double)> width; ///< mm across at a height
    double length;                       ///< mm
};

Case caseNamed(const QString &name)
{
    using namespace TankLibrary;
    if (name == QLatin1String("horizontal-cylinder"))
        return {{"--diameter", "600", "--length", "1200"}, horizontalCylinder(600, 1200),
                [](double y) { return 2 * halfChord(300, y); }, 1200};
    if (name == QLatin1String("elliptic-cylinder"))
        return {{"--width", "800", "--height", "450", "--length", "1000"},
                ellipticCylinder(800, 450, 1000),
                [](double y) { return 800.0 / 450.0 * 2 * halfChord(225, y); }, 1000};
    if (name == QLatin1String("rectangular"))
        return {{"--width", "700", "--height", "500", "--length", "900", "--corner-radius", "120"},
                roundedRectangle(700, 500, 900, 120),
                [](double y) {
                    const double r = 120, d = std::min(y, 500 - y);
                    return d >= r ? 700.0 : 700 - 2 * (r - halfChord(r, d));
                },
                900};
    return {{"--diameter", "500", "--height", "900"}, verticalCylinder(500, 900),
            [](double) { return TankLibrary::kPi * 250 * 250; }, 1};
}

} // namespace

class TstKvtoolTank : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void volumesMatchTheTanksShape_data()
    {
        QTest::addColumn<QString>("shape");
        for (const char *s :
             {"horizontal-cylinder", "elliptic-cylinder", "rectangular", "vertical-cylinder"})
            QTest::newRow(s) << QString::fromLatin1(s);
    }
    void volumesMatchTheTanksShape()
    {
        QFETCH(QString, shape);
        const Case c = caseNamed(shape);
        // The oracle itself, against the cross-section summed slice by slice.
        for (double share : {0.03, 0.2, 0.5, 0.77, 1.0}) {
            const double h = share * c.shape.height;
            const double v = shape == QLatin1String("vertical-cylinder")
                                 ? TankLibrary::kPi * 250 * 250 * h / 1e6
                                 : integrated(c.width, c.length, h);
            QVERIFY2(std::abs(c.shape.litres(h) - v) <= 1e-4 * v,
                     qPrintable(QStringLiteral("%1 at %2 mm: %3 l, integrated %4 l")
                                    .arg(shape)
                                    .arg(h)
                                    .arg(c.shape.litres(h))
                                    .arg(v)));
        }

        const ToolRun r = runTool(QStringLiteral(KV_KVTOOL),
                                  QStringList{QStringLiteral("tank"), shape} + c.args +
                                      QStringList{QStringLiteral("--step"), QStringLiteral("7")});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("height_mm,litres"));
        // Every 7 mm from the floor, the roof last.
        const int rows = int(std::ceil(c.shape.height / 7)) + 1;
        QCOMPARE(lines.size(), rows + 1);
        for (int i = 1; i < lines.size(); ++i) {
            const QStringList f = lines[i].split(QLatin1Char(','));
            const double h = f[0].toDouble(), litres = f[1].toDouble();
            QCOMPARE(h, i < lines.size() - 1 ? 7.0 * (i - 1) : c.shape.height);
            const double want = c.shape.litres(h);
            QVERIFY2(std::abs(litres - want) <= std::max(1e-3 * want, 0.0005),
                     qPrintable(QStringLiteral("%1 mm: %2 l, want %3 l").arg(h).arg(litres).arg(want)));
        }
    }

    void levelsMakeATrackersTable()
    {
        const ToolRun r =
            runTool(QStringLiteral(KV_KVTOOL),
                    {QStringLiteral("tank"), QStringLiteral("horizontal-cylinder"),
                     QStringLiteral("--diameter"), QStringLiteral("600"), QStringLiteral("--length"),
                     QStringLiteral("1200"), QStringLiteral("--step"), QStringLiteral("50"),
                     QStringLiteral("--levels"), QStringLiteral("100:3900"),
                     QStringLiteral("--format"), QStringLiteral("json")});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray rows = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(rows.size(), 13); // 0, 50 … 600
        const TankLibrary::Shape cylinder = TankLibrary::horizontalCylinder(600, 1200);
        for (int i = 0; i < rows.size(); ++i) {
            const QJsonObject o = rows[i].toObject();
            QCOMPARE(o.value(QStringLiteral("level_code")).toInt(),
                     int(std::lround(100 + 3800 * (50.0 * i) / 600)));
            QVERIFY(std::abs(o.value(QStringLiteral("litres")).toDouble() -
                             cylinder.litres(50.0 * i)) < 0.001);
        }
    }

    void badDimensionsAreRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown shape") << QStringList{"tank", "sphere", "--diameter", "5"};
        QTest::newRow("no length") << QStringList{"tank", "horizontal-cylinder", "--diameter", "600"};
        QTest::newRow("corner radius too large")
            << QStringList{"tank", "rectangular", "--width", "400", "--height", "300", "--length",
                           "900", "--corner-radius", "160"};
        QTest::newRow("negative step")
            << QStringList{"tank", "vertical-cylinder", "--diameter", "5", "--height", "9",
                           "--step", "-1"};
        QTest::newRow("levels the same")
            << QStringList{"tank", "vertical-cylinder", "--diameter", "5", "--height", "9",
                           "--levels", "40:40"};
    }
    void badDimensionsAreRefused()
    {
        QFETCH(QStringList, args);
        const ToolRun r = runTool(QStringLiteral(KV_KVTOOL), args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(QLatin1String("usage:")), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    // A recalibration whose litres are 3 l more at one point, and a table that
    // covers only the upper part: the differences worked out by hand.
    void compareTellsTheDifference()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.kvi"));
        const QString again = dir.filePath(QStringLiteral("again.kvi"));
        const QString csv = dir.filePath(QStringLiteral("upper.csv"));
        const std::vector<UserPoint> a{{0, 0, 0}, {1, 1000, 100}, {2, 2000, 200}, {3, 3000, 300}};
        std::vector<UserPoint> b = a;
        b[2].litres += 3;
        QVERIFY(writeFixture(first, TankLibrary::protocolText(a)));
        QVERIFY(writeFixture(again, TankLibrary::protocolText(b)));
        // 1500..3000 at 2 l more throughout, with a decimal comma.
        QVERIFY(writeFixture(csv, "level_code;litres\n1500;152\n3000;302\n"));

        ToolRun r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("compare"), first, again});
        QCOMPARE(r.exitCode, 0);
        // The 3 l at level 2000 fall to 0 at 1000 and 3000: a triangle of mean 1 l over 0..3000.
        QCOMPARE(r.out, QStringLiteral("common range of levels 0..3000: largest difference 3,00 l "
                                       "at level code 2000 (200,00 l against 203,00 l), mean "
                                       "difference 1,00 l\n"));
        r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("compare"), first, csv});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("common range of levels 1500..3000: largest difference "
                                       "2,00 l at level code 1500 (150,00 l against 152,00 l), "
                                       "mean difference 2,00 l\n"));

        // The pour against the tank's drawing: the table kvtool tank makes.
        using namespace TankLibrary;
        Pouring p;
        p.pours = 20;
        const Shape tank = horizontalCylinder(600, 1200);
        const std::vector<UserPoint> poured = calibrate(tank, p);
        const QString pour = dir.filePath(QStringLiteral("pour.kvi"));
        QVERIFY(writeFixture(pour, protocolText(poured)));
        const QString drawn = dir.filePath(QStringLiteral("drawn.csv"));
        r = runTool(QStringLiteral(KV_KVTOOL),
                    {QStringLiteral("tank"), QStringLiteral("horizontal-cylinder"),
                     QStringLiteral("--diameter"), QStringLiteral("600"), QStringLiteral("--length"),
                     QStringLiteral("1200"), QStringLiteral("--step"), QStringLiteral("1"),
                     QStringLiteral("--levels"), QStringLiteral("0:4095"), QStringLiteral("-o"),
                     drawn});
        QCOMPARE(r.exitCode, 0);
        r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("compare"), pour, drawn});
        QCOMPARE(r.exitCode, 0);
        // The oracle: the pour's straight lines against the tank's own volume at
        // every level code both cover.
        double largest = 0;
        for (int n = poured.front().n; n <= poured.back().n; ++n) {
            size_t k = 1;
            while (k + 1 < poured.size() && poured[k].n < n)
                ++k;
            const UserPoint &lo = poured[k - 1], &hi = poured[k];
            const double pourAt = lo.litres + (hi.litres - lo.litres) * (n - lo.n) / (hi.n - lo.n);
            largest = std::max(largest, std::abs(tank.litres(tank.height * n / 4095.0) - pourAt));
        }
        const QRegularExpression said(QStringLiteral("largest difference (\\d+,\\d\\d) l"));
        const auto m = said.match(r.out);
        QVERIFY2(m.hasMatch(), qPrintable(r.out));
        QVERIFY2(std::abs(QString(m.captured(1)).replace(',', '.').toDouble() - largest) < 0.1,
                 qPrintable(r.out + QString::number(largest)));

        // Not a table at all, and a table of heights.
        const QString heights = dir.filePath(QStringLiteral("heights.csv"));
        QVERIFY(writeFixture(heights, "height_mm,litres\n0,0\n10,1\n"));
        r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("compare"), first, heights});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(QLatin1String("--levels")), qPrintable(r.err));
        r = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("compare"), csv, first});
        QCOMPARE(r.exitCode, 4);
    }
};

QTEST_GUILESS_MAIN(TstKvtoolTank)
#include "tst_kvtool_tank.moc"
