// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/table_check.h"

#include "common/numfmt.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace TableCheck {

namespace {

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

} // namespace

std::vector<Finding> check(std::vector<UserPoint> points, bool draining, const Limits &limits)
{
    std::stable_sort(points.begin(), points.end(),
                     [](const UserPoint &a, const UserPoint &b) { return a.index < b.index; });
    const int count = int(points.size());
    const int sign = draining ? -1 : 1;

    // Per point: the order and duplicate finding, if any.
    std::vector<Finding> byPoint(size_t(qMax(count, 0)));
    std::vector<bool> flagged(size_t(qMax(count, 0)), false);
    for (int i = 1; i < count; ++i) {
        const UserPoint &p = points[size_t(i)];
        Finding f;
        f.index = p.index;
        f.n = p.n;
        // The same level saved twice: any earlier point, the nearest first.
        for (int j = i - 1; j >= 0; --j) {
            const UserPoint &q = points[size_t(j)];
            if (std::abs(qint64(p.n) - q.n) < limits.duplicateWindow) {
                f.kind = Kind::Duplicate;
                f.other = q.index;
                f.otherN = q.n;
                break;
            }
        }
        const UserPoint &prev = points[size_t(i - 1)];
        if (f.other < 0 && qint64(p.n - prev.n) * sign <= 0) {
            f.kind = Kind::NotRising;
            f.other = prev.index;
            f.otherN = prev.n;
        }
        if (f.other >= 0) {
            byPoint[size_t(i)] = f;
            flagged[size_t(i)] = true;
        }
    }

    // Codes per litre of each step between neighbours that differ in litres.
    struct Step {
        int to = 0; ///< position of the step's later point
        double rate = 0;
    };
    std::vector<Step> steps;
    for (int i = 1; i < count; ++i) {
        const UserPoint &a = points[size_t(i - 1)];
        const UserPoint &b = points[size_t(i)];
        const double litres = b.litres - a.litres;
        if (litres != 0 && std::isfinite(litres))
            steps.push_back({i, double(b.n - a.n) / litres});
    }
    std::vector<Finding> uneven(size_t(qMax(count, 0)));
    std::vector<bool> hasUneven(size_t(qMax(count, 0)), false);
    if (int(steps.size()) >= limits.minSteps) {
        for (int s = 0; s < int(steps.size()); ++s) {
            const Step &st = steps[size_t(s)];
            // A step into or out of a point with an order finding is uneven
            // because of that point; its finding says more.
            if (flagged[size_t(st.to)] || flagged[size_t(st.to - 1)])
                continue;
            const int from = qMax(0, s - limits.medianSpan);
            const int to = qMin(int(steps.size()) - 1, s + limits.medianSpan);
            std::vector<double> rates;
            for (int k = from; k <= to; ++k)
                rates.push_back(steps[size_t(k)].rate);
            const double median = medianOf(rates);
            if (!(median > 0))
                continue; // no steady climb to compare with
            if (st.rate > 0 && st.rate <= median * limits.stepFactor &&
                st.rate * limits.stepFactor >= median)
                continue;
            const UserPoint &a = points[size_t(st.to - 1)];
            const UserPoint &b = points[size_t(st.to)];
            Finding f;
            f.kind = Kind::UnevenStep;
            f.index = b.index;
            f.n = b.n;
            f.other = a.index;
            f.otherN = a.n;
            f.value = st.rate;
            f.median = median;
            uneven[size_t(st.to)] = f;
            hasUneven[size_t(st.to)] = true;
        }
    }

    std::vector<Finding> out;
    for (int i = 0; i < count; ++i) {
        if (flagged[size_t(i)])
            out.push_back(byPoint[size_t(i)]);
        if (hasUneven[size_t(i)])
            out.push_back(uneven[size_t(i)]);
    }

    if (limits.rangeTop > 0 && count >= 2) {
        qint32 lo = points.front().n, hi = points.front().n;
        for (const UserPoint &p : points) {
            lo = qMin(lo, p.n);
            hi = qMax(hi, p.n);
        }
        const double share = double(hi - lo) / limits.rangeTop;
        if (share < limits.minCoverage) {
            Finding f;
            f.kind = Kind::LowCoverage;
            f.value = share;
            out.push_back(f);
        }
    }
    return out;
}

qint32 rangeTopFor(const std::vector<UserPoint> &points)
{
    qint32 hi = 0;
    for (const UserPoint &p : points)
        hi = qMax(hi, p.n);
    for (qint32 top : {1023, 4095, 16383})
        if (hi <= top)
            return top;
    return 65535;
}

QString text(const Finding &f, bool draining, const Limits &limits, int lang)
{
    const NumberFormat nf(QLatin1Char(','));
    const bool ru = lang == 1;
    const QString point = ru ? QStringLiteral("Точка №%1: ").arg(f.index)
                             : QStringLiteral("Point # %1: ").arg(f.index);
    switch (f.kind) {
    case Kind::NotRising:
        if (ru)
            return point +
                   QStringLiteral("код уровня %1 не %2 %3 точки №%4, хотя топливо %5")
                       .arg(f.n)
                       .arg(draining ? QStringLiteral("ниже") : QStringLiteral("выше"))
                       .arg(f.otherN)
                       .arg(f.other)
                       .arg(draining ? QStringLiteral("слито") : QStringLiteral("добавлено"));
        return point + QStringLiteral("level code %1 is not %2 %3 of point # %4 although fuel "
                                      "was %5")
                           .arg(f.n)
                           .arg(draining ? QStringLiteral("below") : QStringLiteral("above"))
                           .arg(f.otherN)
                           .arg(f.other)
                           .arg(draining ? QStringLiteral("drained") : QStringLiteral("added"));
    case Kind::Duplicate:
        if (ru)
            return point + QStringLiteral("код уровня %1 отличается от %2 точки №%3 менее чем "
                                          "на %4: уровень записан дважды?")
                               .arg(f.n)
                               .arg(f.otherN)
                               .arg(f.other)
                               .arg(limits.duplicateWindow);
        return point + QStringLiteral("level code %1 is within %2 codes of %3 of point # %4: "
                                      "the same level saved twice?")
                           .arg(f.n)
                           .arg(limits.duplicateWindow - 1)
                           .arg(f.otherN)
                           .arg(f.other);
    case Kind::UnevenStep: {
        const QString rate = nf.fixed(f.value, 1);
        const QString median = nf.fixed(f.median, 1);
        if (ru)
            return point + QStringLiteral("шаг от точки №%1 даёт %2 кода на литр при обычных "
                                          "%3: долито дважды, пропущено или датчик не "
                                          "успокоился?")
                               .arg(f.other)
                               .arg(rate, median);
        return point + QStringLiteral("the step from point # %1 gives %2 codes per litre where "
                                      "the steps around give %3: poured twice, missed, or the "
                                      "sensor had not settled?")
                           .arg(f.other)
                           .arg(rate, median);
    }
    case Kind::LowCoverage: {
        const QString share = QString::number(qRound(f.value * 100));
        const QString want = QString::number(qRound(limits.minCoverage * 100));
        if (ru)
            return QStringLiteral("Таблица охватывает %1 % диапазона датчика (0..%2), "
                                  "ожидается не менее %3 %")
                .arg(share)
                .arg(limits.rangeTop)
                .arg(want);
        return QStringLiteral("The table spans %1 % of the sensor's range (0..%2); at least "
                              "%3 % is expected")
            .arg(share)
            .arg(limits.rangeTop)
            .arg(want);
    }
    }
    return QString();
}

} // namespace TableCheck
