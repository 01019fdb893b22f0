// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/litres.h"

#include <algorithm>
#include <cmath>

namespace Litres {

std::optional<double> atCode(const std::vector<UserPoint> &points, qint32 n)
{
    for (size_t j = 1; j < points.size(); ++j) {
        const UserPoint &a = points[j - 1];
        const UserPoint &b = points[j];
        // Rising segment: a <= n < b; falling: b < n <= a. Either way the two
        // codes differ, so the slope below never divides by zero; a pair with
        // equal codes encloses nothing and is passed over.
        const bool rising = a.n <= n && n < b.n;
        const bool falling = b.n < n && n <= a.n;
        if (!rising && !falling)
            continue;
        const double x0 = a.n, x1 = b.n;
        const double litres = a.litres + (b.litres - a.litres) / (x1 - x0) * (double(n) - x0);
        if (!std::isfinite(litres))
            return std::nullopt;
        return litres;
    }
    // The segments are half-open, so the last point's own code falls in none;
    // there the tank holds exactly that point's litres (the top of a rising
    // table, the bottom of a falling one).
    if (!points.empty() && n == points.back().n)
        return points.back().litres;
    return std::nullopt;
}

qint32 fullScale(bool protocolLoaded, const std::vector<UserPoint> &points,
                 const QString &digitData)
{
    if (protocolLoaded) {
        qint32 f = 0;
        for (const UserPoint &p : points)
            f = std::max(f, p.n);
        return f;
    }
    const QString bits = digitData.trimmed();
    if (bits == QLatin1String("10"))
        return 1023;
    if (bits == QLatin1String("12"))
        return 4095;
    if (bits == QLatin1String("14"))
        return 16383;
    if (bits == QLatin1String("16"))
        return 65535;
    return 0;
}

} // namespace Litres
