// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/table_compare.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <algorithm>
#include <cmath>

namespace TableCompare {

namespace {

double number(QString text, bool *ok)
{
    return text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(ok);
}

/// Litres at level n by the straight lines of an ascending table (the ends
/// held beyond it; the first of two points at one level).
double litresAt(const std::vector<Point> &t, double n)
{
    if (n <= t.front().n)
        return t.front().litres;
    for (size_t k = 1; k < t.size(); ++k)
        if (n <= t[k].n) {
            const Point &a = t[k - 1], &b = t[k];
            return b.n == a.n ? a.litres
                              : a.litres + (b.litres - a.litres) * (n - a.n) / (b.n - a.n);
        }
    return t.back().litres;
}

} // namespace

QString readTable(const QByteArray &bytes, std::vector<Point> &out)
{
    out.clear();
    const QByteArray trimmed = bytes.trimmed();
    if (trimmed.startsWith('[')) {
        QJsonParseError e;
        const QJsonDocument doc = QJsonDocument::fromJson(trimmed, &e);
        if (!doc.isArray())
            return QStringLiteral("not a JSON table: %1").arg(e.errorString());
        for (const QJsonValue &v : doc.array()) {
            const QJsonObject o = v.toObject();
            if (!o.value(QStringLiteral("level_code")).isDouble() ||
                !o.value(QStringLiteral("litres")).isDouble())
                return QStringLiteral("a JSON table wants \"level_code\" and \"litres\" in every "
                                      "entry");
            out.push_back({o.value(QStringLiteral("level_code")).toDouble(),
                           o.value(QStringLiteral("litres")).toDouble()});
        }
    } else {
        const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
        const QString header = lines.value(0).trimmed();
        const QChar sep = header.contains(QLatin1Char(';')) ? QLatin1Char(';') : QLatin1Char(',');
        const QStringList names = header.split(sep);
        const qsizetype nAt = names.indexOf(QStringLiteral("level_code"));
        const qsizetype lAt = names.indexOf(QStringLiteral("litres"));
        if (nAt < 0 || lAt < 0)
            return names.contains(QStringLiteral("height_mm"))
                       ? QStringLiteral("the table holds heights, not level codes (kvtool tank "
                                        "--levels N0:N1 makes one with level codes)")
                       : QStringLiteral("not a level table: the first line should name "
                                        "level_code and litres");
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QString line = lines[i].trimmed();
            if (line.isEmpty())
                continue;
            const QStringList f = line.split(sep);
            bool okN = false, okL = false;
            const double n = number(f.value(nAt), &okN);
            const double l = number(f.value(lAt), &okL);
            if (!okN || !okL)
                return QStringLiteral("line %1 is not a level code and litres: %2")
                    .arg(i + 1)
                    .arg(line);
            out.push_back({n, l});
        }
    }
    for (const Point &p : out)
        if (!std::isfinite(p.n) || !std::isfinite(p.litres))
            return QStringLiteral("the table holds a number out of range");
    if (out.size() < 2)
        return QStringLiteral("the table has fewer than two points");
    return QString();
}

Result compare(std::vector<Point> first, std::vector<Point> second)
{
    Result r;
    if (first.size() < 2 || second.size() < 2)
        return r;
    const auto byLevel = [](const Point &a, const Point &b) { return a.n < b.n; };
    std::stable_sort(first.begin(), first.end(), byLevel);
    std::stable_sort(second.begin(), second.end(), byLevel);
    r.from = std::max(first.front().n, second.front().n);
    r.to = std::min(first.back().n, second.back().n);
    if (!(r.to > r.from))
        return r;
    r.overlap = true;
    // The difference bends only at the points of either table: between them
    // it is a straight line, its largest at an end, its mean exact.
    std::vector<double> levels{r.from, r.to};
    for (const auto *t : {&first, &second})
        for (const Point &p : *t)
            if (p.n > r.from && p.n < r.to)
                levels.push_back(p.n);
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    double area = 0;
    double prevD = 0;
    for (size_t k = 0; k < levels.size(); ++k) {
        const double n = levels[k];
        const double a = litresAt(first, n), b = litresAt(second, n);
        const double d = b - a;
        if (k == 0 || std::abs(d) > std::abs(r.largest)) {
            r.largest = d;
            r.at = n;
            r.first = a;
            r.second = b;
        }
        if (k > 0) {
            const double w = n - levels[k - 1];
            // |d| over a straight piece: split where it crosses zero.
            if ((prevD >= 0) == (d >= 0))
                area += w * (std::abs(prevD) + std::abs(d)) / 2;
            else
                area += w * (prevD * prevD + d * d) / (2 * (std::abs(prevD) + std::abs(d)));
        }
        prevD = d;
    }
    r.mean = area / (r.to - r.from);
    r.largest = std::abs(r.largest);
    return r;
}

} // namespace TableCompare
