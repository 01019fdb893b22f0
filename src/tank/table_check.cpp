// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/table_check.h"

#include "common/numfmt.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace TableCheck {

namespace {

/// One step between neighbouring points: litres per level code at the mid
/// level of the step.
struct Step {
    int to = 0;         ///< position of the step's later point
    double x = 0;       ///< mid level of the step
    double area = 0;    ///< litres per code (the cross-section); <= 0: litres went the wrong way
    bool usable = true; ///< neither end has an order finding
};

/// A straight line through (x, y) points by least squares.
struct Line {
    double mx = 0, my = 0, slope = 0;
    double at(double x) const { return my + slope * (x - mx); }
};

/// Empty when the points do not fix a line (fewer than two levels).
std::optional<Line> fitLine(const std::vector<std::pair<double, double>> &xy)
{
    if (xy.empty())
        return std::nullopt;
    Line l;
    for (const auto &p : xy) {
        l.mx += p.first;
        l.my += p.second;
    }
    l.mx /= double(xy.size());
    l.my /= double(xy.size());
    double sxx = 0, sxy = 0;
    for (const auto &p : xy) {
        const double dx = p.first - l.mx;
        sxx += dx * dx;
        sxy += dx * (p.second - l.my);
    }
    if (!(sxx > 0))
        return std::nullopt;
    l.slope = sxy / sxx;
    if (!std::isfinite(l.slope) || !std::isfinite(l.my))
        return std::nullopt;
    return l;
}

/// How far a point's value is off a line, as the log of their ratio; +inf
/// where the line is not above zero.
double offLine(const Line &l, const std::pair<double, double> &p)
{
    const double there = l.at(p.first);
    return there > 0 ? std::abs(std::log(p.second / there))
                     : std::numeric_limits<double>::infinity();
}

struct Trend {
    double area = 0;       ///< litres per code the neighbours give at the step's level
    bool twoSided = false; ///< neighbours on both sides: interpolated, not extrapolated
};

/// The litres per code the neighbours of step s give at its level: a line
/// over up to `span` usable steps on either side, fitted again without the
/// neighbours that are far off the line the others make (a slip next door,
/// or a sump's long step, must not drag the trend); empty with fewer than
/// `minSteps` neighbours.
std::optional<Trend> trendAt(const std::vector<Step> &steps, int s, const Limits &limits)
{
    const auto usable = [&steps](int k) {
        return steps[size_t(k)].usable && steps[size_t(k)].area > 0;
    };
    int before = 0, after = 0;
    for (int k = s - 1; k >= 0; --k)
        before += usable(k);
    for (int k = s + 1; k < int(steps.size()); ++k)
        after += usable(k);
    const int span = std::max(limits.trendSpan, 1);
    const int wantBefore = std::min(before, span), wantAfter = std::min(after, span);
    std::vector<int> near;
    for (int k = s - 1, taken = 0; k >= 0 && taken < wantBefore; --k)
        if (usable(k)) {
            near.push_back(k);
            ++taken;
        }
    for (int k = s + 1, taken = 0; k < int(steps.size()) && taken < wantAfter; ++k)
        if (usable(k)) {
            near.push_back(k);
            ++taken;
        }
    if (int(near.size()) < std::max(limits.minSteps, 1))
        return std::nullopt;
    const double x0 = steps[size_t(s)].x;
    std::vector<std::pair<double, double>> xy;
    for (int k : near)
        xy.emplace_back(steps[size_t(k)].x, steps[size_t(k)].area);
    // Without the neighbours that are far off the line the others make, one
    // at a time, the one whose absence leaves the straightest line first: a
    // slip next door, or a sump's long step, must not drag the trend.
    std::vector<int> keptSteps = near;
    const double tolerance = std::log(limits.stepFactor);
    while (xy.size() > 2) {
        size_t best = xy.size();
        double bestSpread = std::numeric_limits<double>::infinity(), bestOff = 0;
        for (size_t j = 0; j < xy.size(); ++j) {
            std::vector<std::pair<double, double>> others = xy;
            others.erase(others.begin() + qsizetype(j));
            const std::optional<Line> l = fitLine(others);
            if (!l)
                continue;
            double spread = 0;
            for (const auto &p : others)
                spread += std::pow(std::min(offLine(*l, p), 10.0), 2);
            // How far the point is off the others: off their line, or with
            // only two others (whose line may run steeply anywhere) off their
            // mean. A line that runs to nothing at the point (or all but
            // nothing, by rounding) says nothing about it.
            double off = 0;
            if (others.size() == 2) {
                const double mean = (others[0].second + others[1].second) / 2;
                off = std::abs(std::log(xy[j].second / mean));
            } else if (l->at(xy[j].first) > 1e-6 * xy[j].second) {
                off = offLine(*l, xy[j]);
            }
            // Of the choices that leave equally straight lines (any two points
            // make one), the point farthest off the others' line.
            const bool tie = std::abs(spread - bestSpread) <= 1e-12;
            if ((spread < bestSpread && !tie) || (tie && off > bestOff)) {
                bestSpread = std::min(spread, bestSpread);
                bestOff = off;
                best = j;
            }
        }
        if (best == xy.size() || !(bestOff > tolerance))
            break;
        xy.erase(xy.begin() + qsizetype(best));
        keptSteps.erase(keptSteps.begin() + qsizetype(best));
    }
    const std::optional<Line> line = fitLine(xy);
    const std::optional<double> at =
        line ? std::optional<double>(line->at(x0)) : std::nullopt;
    Trend t;
    t.twoSided = std::any_of(keptSteps.begin(), keptSteps.end(), [s](int k) { return k < s; }) &&
                 std::any_of(keptSteps.begin(), keptSteps.end(), [s](int k) { return k > s; });
    if (at && *at > 0) {
        t.area = *at;
        return t;
    }
    // A line that falls to nothing at the step (a steep end): the nearest neighbour.
    int nearest = keptSteps.front();
    for (int k : keptSteps)
        if (std::abs(k - s) < std::abs(nearest - s))
            nearest = k;
    t.area = steps[size_t(nearest)].area;
    return t;
}

} // namespace

std::vector<Finding> check(std::vector<UserPoint> points, bool draining, const Limits &limits)
{
    std::stable_sort(points.begin(), points.end(),
                     [](const UserPoint &a, const UserPoint &b) { return a.index < b.index; });
    const int count = int(points.size());
    const int sign = draining ? -1 : 1;

    // Per point: the order and duplicate finding, if any. Level codes are
    // compared in 64 bits: a file may hold any 32-bit code.
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
            if (std::abs(qint64(p.n) - qint64(q.n)) < limits.duplicateWindow) {
                f.kind = Kind::Duplicate;
                f.other = q.index;
                f.otherN = q.n;
                break;
            }
        }
        const UserPoint &prev = points[size_t(i - 1)];
        if (f.other < 0 && (qint64(p.n) - qint64(prev.n)) * sign <= 0) {
            f.kind = Kind::NotRising;
            f.other = prev.index;
            f.otherN = prev.n;
        }
        if (f.other >= 0) {
            byPoint[size_t(i)] = f;
            flagged[size_t(i)] = true;
        }
    }

    // The cross-section of each step between neighbours that differ in litres.
    std::vector<Step> steps;
    for (int i = 1; i < count; ++i) {
        const UserPoint &a = points[size_t(i - 1)];
        const UserPoint &b = points[size_t(i)];
        const double litres = b.litres - a.litres;
        const double codes = double(qint64(b.n) - qint64(a.n));
        if (litres == 0 || !std::isfinite(litres) || codes == 0)
            continue;
        Step st;
        st.to = i;
        st.x = (double(a.n) + double(b.n)) / 2;
        st.area = litres / codes;
        // A step into or out of a point with an order finding is uneven
        // because of that point; its finding says more.
        st.usable = !flagged[size_t(i)] && !flagged[size_t(i - 1)] && std::isfinite(st.area);
        steps.push_back(st);
    }
    std::vector<Finding> uneven(size_t(qMax(count, 0)));
    std::vector<bool> hasUneven(size_t(qMax(count, 0)), false);
    for (int s = 0; s < int(steps.size()); ++s) {
        const Step &st = steps[size_t(s)];
        if (!st.usable)
            continue;
        const std::optional<Trend> trend = trendAt(steps, s, limits);
        if (!trend)
            continue; // too few steps around to tell a trend
        const double ratio = st.area / trend->area;
        // Towards an end the trend is drawn on from one side, so it is
        // allowed more room.
        const double factor = trend->twoSided ? limits.stepFactor : limits.endStepFactor;
        if (st.area > 0 && ratio <= factor && ratio * factor >= 1)
            continue;
        const UserPoint &a = points[size_t(st.to - 1)];
        const UserPoint &b = points[size_t(st.to)];
        Finding f;
        f.kind = Kind::UnevenStep;
        // The first and last step have neighbours on one side only: a sump, a
        // rounded floor or roof breaks the trend there as a slip does. Litres
        // that went the wrong way are a slip anywhere.
        const bool end = !trend->twoSided;
        f.severity = end && st.area > 0 ? Severity::Warning : Severity::Fault;
        f.firstStep = 2 * st.to < count;
        f.index = b.index;
        f.n = b.n;
        f.other = a.index;
        f.otherN = a.n;
        f.value = 1 / st.area;
        f.expected = 1 / trend->area;
        uneven[size_t(st.to)] = f;
        hasUneven[size_t(st.to)] = true;
    }

    std::vector<Finding> out;
    for (int i = 0; i < count; ++i) {
        if (flagged[size_t(i)])
            out.push_back(byPoint[size_t(i)]);
        if (hasUneven[size_t(i)])
            out.push_back(uneven[size_t(i)]);
    }

    const qint64 span = qint64(limits.rangeTop) - qint64(limits.rangeBottom);
    if (limits.rangeTop > 0 && span > 0 && count >= 2) {
        qint32 lo = points.front().n, hi = points.front().n;
        for (const UserPoint &p : points) {
            lo = qMin(lo, p.n);
            hi = qMax(hi, p.n);
        }
        const double aboveTop = double(qint64(limits.rangeTop) - hi) / double(span);
        const double belowBottom = double(qint64(lo) - limits.rangeBottom) / double(span);
        if (aboveTop > limits.endMargin) {
            Finding f;
            f.kind = Kind::ShortOfTop;
            f.severity = Severity::Warning;
            f.n = hi;
            f.value = aboveTop;
            out.push_back(f);
        }
        if (belowBottom > limits.endMargin) {
            Finding f;
            f.kind = Kind::ShortOfBottom;
            f.severity = Severity::Warning;
            f.n = lo;
            f.value = belowBottom;
            out.push_back(f);
        }
    }
    return out;
}

bool anyFault(const std::vector<Finding> &findings)
{
    return std::any_of(findings.begin(), findings.end(), [](const Finding &f) { return f.fault(); });
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

Range rangeForSettings(int resolutionBits, bool fullScaleMode, qint32 scaleStartC,
                       qint32 scaleEndC)
{
    qint32 nmax = 0;
    switch (resolutionBits) {
    case 10: nmax = 1023; break;
    case 12: nmax = 4095; break;
    case 14: nmax = 16383; break;
    case 16: nmax = 65535; break;
    default: return {};
    }
    // Without full-scale mode N follows the capacitance over the whole code
    // range, so the tank's empty and full capacitance (the scale's ends, as
    // the installer set them) mark where its table should lie.
    if (!fullScaleMode && scaleStartC >= 0 && scaleStartC < scaleEndC && scaleEndC <= 65535 &&
        (scaleStartC > 0 || scaleEndC < 65535)) {
        const auto code = [nmax](qint32 c) {
            return qint32(std::floor(double(c) / 65535.0 * nmax));
        };
        return {code(scaleStartC), code(scaleEndC)};
    }
    return {0, nmax};
}

std::optional<Range> storedRange(
    const std::function<std::optional<qint32>(const QByteArray &key)> &stored)
{
    const qint32 bits = stored("DigitData").value_or(0);
    const bool fullScale = stored("ModeFSM").value_or(0) != 0;
    if (rangeForSettings(bits, fullScale, -1, -1).top <= 0)
        return std::nullopt;
    // The scale ends as the firmware's scale page stored them.
    const bool fw8 = stored("Version_H").value_or(0) == 8;
    const qint32 start = stored(fw8 ? "DownCodeCapacyty20" : "DownCodeCapacyty").value_or(-1);
    const qint32 end = stored(fw8 ? "UpCodeCapacyty20" : "UpCodeCapacyty").value_or(-1);
    return rangeForSettings(bits, fullScale, start, end);
}

std::optional<Range> storedRange(const ProtocolReader &protocol)
{
    const IniFile &ini = protocol.ini();
    return storedRange([&ini](const QByteArray &key) -> std::optional<qint32> {
        if (!ini.hasKey(Protocol::kUserOption, key))
            return std::nullopt;
        return ini.readInteger(Protocol::kUserOption, key, 0);
    });
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
        const QString expected = nf.fixed(f.expected, 1);
        if (!f.fault()) {
            const bool first = f.firstStep;
            if (ru)
                return point + QStringLiteral("%1 шаг (от точки №%2) даёт %3 кода на литр, а "
                                              "ход соседних шагов даёт %4: так бывает у края "
                                              "бака (отстойник, скруглённое дно или крыша) или "
                                              "при ошибке; если не уверены, повторите шаг")
                                   .arg(first ? QStringLiteral("первый")
                                              : QStringLiteral("последний"))
                                   .arg(f.other)
                                   .arg(rate, expected);
            return point + QStringLiteral("the %1 step (from point # %2) gives %3 codes per litre "
                                          "where the trend of the steps beside it gives %4: a "
                                          "tank's end does that (a sump, a rounded floor or "
                                          "roof), and so does a slip; if unsure, repeat the step")
                               .arg(first ? QStringLiteral("first") : QStringLiteral("last"))
                               .arg(f.other)
                               .arg(rate, expected);
        }
        if (ru)
            return point + QStringLiteral("шаг от точки №%1 даёт %2 кода на литр при обычных "
                                          "%3: долито дважды, пропущено или датчик не "
                                          "успокоился?")
                               .arg(f.other)
                               .arg(rate, expected);
        return point + QStringLiteral("the step from point # %1 gives %2 codes per litre where "
                                      "the steps around give %3: poured twice, missed, or the "
                                      "sensor had not settled?")
                           .arg(f.other)
                           .arg(rate, expected);
    }
    case Kind::ShortOfTop:
    case Kind::ShortOfBottom: {
        const bool top = f.kind == Kind::ShortOfTop;
        const QString share = QString::number(qRound(f.value * 100));
        if (ru)
            return QStringLiteral("Самый %1 код уровня таблицы %2 на %3 % диапазона датчика "
                                  "(%4..%5) %6: литры %7 не определить")
                .arg(top ? QStringLiteral("высокий") : QStringLiteral("низкий"))
                .arg(f.n)
                .arg(share)
                .arg(limits.rangeBottom)
                .arg(limits.rangeTop)
                .arg(top ? QStringLiteral("ниже его верха") : QStringLiteral("выше его низа"))
                .arg(top ? QStringLiteral("выше него") : QStringLiteral("ниже него"));
        return QStringLiteral("The table's %1 level code %2 is %3 % of the sensor's range "
                              "(%4..%5) %6: litres %7 it cannot be told")
            .arg(top ? QStringLiteral("highest") : QStringLiteral("lowest"))
            .arg(f.n)
            .arg(share)
            .arg(limits.rangeBottom)
            .arg(limits.rangeTop)
            .arg(top ? QStringLiteral("below its top") : QStringLiteral("above its bottom"))
            .arg(top ? QStringLiteral("above") : QStringLiteral("below"));
    }
    }
    return QString();
}

} // namespace TableCheck
