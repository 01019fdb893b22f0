// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Litres from the level code over the user-saved points of a protocol, and the
// full scale of the level gauge.

#include "tank/litres.h"

#include <QTest>

Q_DECLARE_METATYPE(std::vector<UserPoint>)

namespace {
using Points = std::vector<UserPoint>;
constexpr double NoData = -1; // nullopt in the table

// Points numbered in index order from `first`, each (code, litres).
Points points(std::initializer_list<std::pair<qint32, double>> list, int first = 0, int step = 1)
{
    Points out;
    int index = first;
    for (const auto &p : list) {
        out.push_back({index, p.first, p.second});
        index += step;
    }
    return out;
}
} // namespace

class TstLitres : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void atCode_data()
    {
        QTest::addColumn<Points>("table");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("litres");

        const Points three = points({{100, 0}, {300, 40}, {500, 100}});
        QTest::newRow("between points") << three << 400 << 70.0;
        QTest::newRow("first segment") << three << 200 << 20.0;
        QTest::newRow("at first point") << three << 100 << 0.0;
        // A code equal to a point's code takes the segment above it.
        QTest::newRow("at middle point") << three << 300 << 40.0;
        // The top point is a point of the table too: its own litres.
        QTest::newRow("at last point") << three << 500 << 100.0;
        QTest::newRow("above last") << three << 600 << NoData;
        QTest::newRow("below first") << three << 99 << NoData;
        QTest::newRow("zero code below first") << three << 0 << NoData;

        // User points at indices 3 and 9, auto-saved steps between them: the
        // steps carry no litres and must not act as a point (0, 0).
        Points apart = {{3, 100, 0}, {9, 300, 40}};
        QTest::newRow("points apart in the index") << apart << 200 << 20.0;

        // Two points at the same code: the later one's litres, no division by zero.
        const Points equal = points({{100, 0}, {300, 40}, {300, 45}, {500, 100}});
        QTest::newRow("equal codes, at the code") << equal << 300 << 45.0;
        QTest::newRow("equal codes, above") << equal << 400 << 72.5;
        QTest::newRow("equal codes, below") << equal << 200 << 20.0;
        QTest::newRow("all codes equal") << points({{300, 10}, {300, 20}}) << 300 << 20.0;

        // A draining calibration: codes fall as litres rise.
        const Points falling = points({{500, 0}, {300, 40}, {100, 100}});
        QTest::newRow("falling, between") << falling << 400 << 20.0;
        QTest::newRow("falling, second segment") << falling << 200 << 70.0;
        QTest::newRow("falling, at a point") << falling << 300 << 40.0;
        QTest::newRow("falling, above first") << falling << 600 << NoData;
        QTest::newRow("falling, at last point") << falling << 100 << 100.0;
        QTest::newRow("falling, below last") << falling << 50 << NoData;

        QTest::newRow("no points") << Points{} << 100 << NoData;
        QTest::newRow("one point") << points({{100, 5}}) << 100 << 5.0;
        QTest::newRow("one point, other code") << points({{100, 5}}) << 101 << NoData;
    }
    void atCode()
    {
        QFETCH(Points, table);
        QFETCH(int, n);
        QFETCH(double, litres);
        const std::optional<double> got = Litres::atCode(table, n);
        if (litres == NoData) {
            QVERIFY2(!got, qPrintable(QString::number(got.value_or(0))));
        } else {
            QVERIFY(got);
            QVERIFY(std::isfinite(*got));
            QCOMPARE(*got, litres);
        }
    }

    void fullScale_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<Points>("table");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<int>("scale");
        const Points three = points({{100, 0}, {700, 40}, {500, 100}});
        QTest::newRow("largest user code") << true << three << "12" << 700;
        QTest::newRow("protocol without points") << true << Points{} << "12" << 0;
        QTest::newRow("10 bit") << false << three << "10" << 1023;
        QTest::newRow("12 bit") << false << Points{} << "12" << 4095;
        QTest::newRow("14 bit") << false << Points{} << "14" << 16383;
        QTest::newRow("16 bit") << false << Points{} << "16" << 65535;
        QTest::newRow("width not known yet") << false << Points{} << "" << 0;
    }
    void fullScale()
    {
        QFETCH(bool, loaded);
        QFETCH(Points, table);
        QFETCH(QString, digits);
        QFETCH(int, scale);
        QCOMPARE(Litres::fullScale(loaded, table, digits), scale);
    }
};

QTEST_APPLESS_MAIN(TstLitres)
#include "tst_litres.moc"
