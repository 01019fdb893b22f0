// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/table_thinning.h"

#include "export/protocol_export.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

namespace TableThinning {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

/// The largest difference at the points strictly between a and b from the
/// straight line through them.
double segmentError(const std::vector<Point> &p, size_t a, size_t b)
{
    double worst = 0;
    const Point &pa = p[a], &pb = p[b];
    const double dn = pb.n - pa.n;
    for (size_t i = a + 1; i < b; ++i) {
        const double at =
            dn != 0 ? pa.litres + (pb.litres - pa.litres) * (p[i].n - pa.n) / dn : pa.litres;
        worst = std::max(worst, std::abs(p[i].litres - at));
    }
    return worst;
}

/// segmentError for every pair a < b, row a from column a + 1 (n² / 2 values).
std::vector<std::vector<double>> segmentErrors(const std::vector<Point> &p)
{
    std::vector<std::vector<double>> e(p.size());
    for (size_t a = 0; a < p.size(); ++a) {
        e[a].assign(p.size() - a, 0);
        for (size_t b = a + 1; b < p.size(); ++b)
            e[a][b - a] = segmentError(p, a, b);
    }
    return e;
}

std::vector<size_t> allPositions(size_t n)
{
    std::vector<size_t> all(n);
    for (size_t i = 0; i < n; ++i)
        all[i] = i;
    return all;
}

} // namespace

double largestDifference(const std::vector<Point> &points, const std::vector<size_t> &kept)
{
    double worst = 0;
    for (size_t k = 1; k < kept.size(); ++k)
        worst = std::max(worst, segmentError(points, kept[k - 1], kept[k]));
    return worst;
}

Result toCount(const std::vector<Point> &points, int maxPoints)
{
    const size_t n = points.size();
    const size_t want = size_t(std::max(maxPoints, 2));
    if (n <= want || n > kMostPoints)
        return {allPositions(n), 0};
    const auto e = segmentErrors(points);
    // best[k][j]: the smallest largest difference over points 0..j with j the
    // last of k + 1 points kept; from[k][j] the point kept before it.
    std::vector<std::vector<double>> best(want, std::vector<double>(n, kInf));
    std::vector<std::vector<size_t>> from(want, std::vector<size_t>(n, 0));
    best[0][0] = 0;
    for (size_t k = 1; k < want; ++k)
        for (size_t j = k; j < n; ++j)
            for (size_t i = k - 1; i < j; ++i) {
                const double v = std::max(best[k - 1][i], e[i][j - i]);
                if (v < best[k][j]) {
                    best[k][j] = v;
                    from[k][j] = i;
                }
            }
    // Fewer points may do as well; keep the fewest that reach the optimum.
    size_t k = want - 1;
    for (size_t c = 1; c < want; ++c)
        if (best[c][n - 1] <= best[k][n - 1]) {
            k = c;
            break;
        }
    Result r;
    r.largest = best[k][n - 1];
    for (size_t j = n - 1;; --k) {
        r.kept.push_back(j);
        if (k == 0)
            break;
        j = from[k][j];
    }
    std::reverse(r.kept.begin(), r.kept.end());
    return r;
}

Result toError(const std::vector<Point> &points, double maxLitres)
{
    const size_t n = points.size();
    if (n <= 2 || n > kMostPoints)
        return {allPositions(n), n <= 2 ? 0 : largestDifference(points, allPositions(n))};
    // fewest[j]: the fewest points over 0..j with j kept; ties broken by the
    // smaller largest difference.
    std::vector<size_t> fewest(n, std::numeric_limits<size_t>::max()), from(n, 0);
    std::vector<double> worst(n, kInf);
    fewest[0] = 1;
    worst[0] = 0;
    for (size_t j = 1; j < n; ++j)
        for (size_t i = 0; i < j; ++i) {
            if (fewest[i] == std::numeric_limits<size_t>::max())
                continue;
            const double s = segmentError(points, i, j);
            if (!(s <= maxLitres))
                continue;
            const double w = std::max(worst[i], s);
            if (fewest[i] + 1 < fewest[j] || (fewest[i] + 1 == fewest[j] && w < worst[j])) {
                fewest[j] = fewest[i] + 1;
                worst[j] = w;
                from[j] = i;
            }
        }
    Result r;
    r.largest = worst[n - 1];
    for (size_t j = n - 1;; j = from[j]) {
        r.kept.push_back(j);
        if (j == 0)
            break;
    }
    std::reverse(r.kept.begin(), r.kept.end());
    return r;
}

} // namespace TableThinning

namespace TableThinning {

std::optional<Request> parseRequest(const QString &answer)
{
    QString t = answer.trimmed().toLower();
    Request r;
    if (t.isEmpty() || t == QLatin1String("0"))
        return r;
    bool ok = false;
    if (t.endsWith(QLatin1Char('l')) || t.endsWith(QChar(0x043B))) { // "l" or "л"
        t.chop(1);
        const double litres = t.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok || !std::isfinite(litres) || litres < 0)
            return std::nullopt;
        r.maxLitres = litres;
        return r;
    }
    const int k = t.toInt(&ok);
    if (!ok || k < 2)
        return std::nullopt;
    r.maxPoints = k;
    return r;
}

Summary thinTelematics(ExportData &data, std::optional<int> maxPoints,
                       std::optional<double> maxLitres)
{
    const std::vector<const ExportPoint *> table = telematicsPoints(data);
    std::vector<Point> points;
    Summary s;
    for (const ExportPoint *p : table) {
        points.push_back({double(*p->n), *p->litres});
        s.top = std::max(s.top, *p->litres);
    }
    s.of = points.size();
    s.tooMany = points.size() > kMostPoints;
    Result r;
    if (maxPoints)
        r = toCount(points, *maxPoints);
    else if (maxLitres)
        r = toError(points, *maxLitres);
    else
        r = {allPositions(points.size()), 0};
    s.kept = r.kept.size();
    s.largest = r.largest;
    std::unordered_set<int> drop;
    for (const ExportPoint *p : table)
        drop.insert(p->index);
    for (size_t k : r.kept)
        drop.erase(table[k]->index);
    data.points.erase(std::remove_if(data.points.begin(), data.points.end(),
                                     [&drop](const ExportPoint &p) {
                                         return drop.count(p.index) != 0;
                                     }),
                      data.points.end());
    return s;
}

} // namespace TableThinning
