// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/tank_shape.h"

#include <algorithm>
#include <cmath>

namespace TankShape {

namespace {

constexpr double kPi = 3.14159265358979323846;

/// The area of a disc of radius r below height h from its lowest point, mm².
double discSegment(double r, double h)
{
    h = std::clamp(h, 0.0, 2 * r);
    const double c = std::clamp((r - h) / r, -1.0, 1.0);
    return r * r * std::acos(c) - (r - h) * std::sqrt(std::max(0.0, h * (2 * r - h)));
}

/// The cross-section of a box W × H with its four corners rounded by r, below h, mm².
double roundedBoxBelow(double w, double hTotal, double r, double h)
{
    h = std::clamp(h, 0.0, hTotal);
    // Up to the top of the lower corners: the flat middle and two quarter discs,
    // which together make the segment of a disc of radius r.
    const auto low = [w, r](double y) { return (w - 2 * r) * y + discSegment(r, y); };
    if (h <= r)
        return low(h);
    const double whole = w * hTotal - (4 - kPi) * r * r;
    if (h >= hTotal - r)
        return whole - low(hTotal - h);
    return low(r) + w * (h - r);
}

} // namespace

bool kindFromName(const QString &name, Kind &kind)
{
    static const std::pair<const char *, Kind> names[] = {
        {"horizontal-cylinder", Kind::HorizontalCylinder},
        {"elliptic-cylinder", Kind::EllipticCylinder},
        {"rectangular", Kind::Rectangular},
        {"vertical-cylinder", Kind::VerticalCylinder},
    };
    for (const auto &n : names)
        if (name == QLatin1String(n.first)) {
            kind = n.second;
            return true;
        }
    return false;
}

QString problem(const Tank &t)
{
    const auto positive = [](double v) { return std::isfinite(v) && v > 0 && v < 1e6; };
    switch (t.kind) {
    case Kind::HorizontalCylinder:
        if (!positive(t.diameter) || !positive(t.length))
            return QStringLiteral("a horizontal cylinder wants --diameter and --length in mm");
        break;
    case Kind::EllipticCylinder:
        if (!positive(t.width) || !positive(t.height) || !positive(t.length))
            return QStringLiteral("an elliptic cylinder wants --width, --height and --length in mm");
        break;
    case Kind::Rectangular:
        if (!positive(t.width) || !positive(t.height) || !positive(t.length))
            return QStringLiteral("a rectangular tank wants --width, --height and --length in mm");
        if (!std::isfinite(t.cornerRadius) || t.cornerRadius < 0 ||
            2 * t.cornerRadius > std::min(t.width, t.height))
            return QStringLiteral("--corner-radius wants 0 up to half the width and the height");
        break;
    case Kind::VerticalCylinder:
        if (!positive(t.diameter) || !positive(t.height))
            return QStringLiteral("a vertical cylinder wants --diameter and --height in mm");
        break;
    }
    return QString();
}

double height(const Tank &t)
{
    return t.kind == Kind::HorizontalCylinder ? t.diameter : t.height;
}

double litresBelow(const Tank &t, double h)
{
    double mm3 = 0;
    switch (t.kind) {
    case Kind::HorizontalCylinder:
        mm3 = discSegment(t.diameter / 2, h) * t.length;
        break;
    case Kind::EllipticCylinder:
        // An ellipse is a disc of diameter `height` stretched across by width / height.
        mm3 = discSegment(t.height / 2, h) * (t.width / t.height) * t.length;
        break;
    case Kind::Rectangular:
        mm3 = roundedBoxBelow(t.width, t.height, t.cornerRadius, h) * t.length;
        break;
    case Kind::VerticalCylinder:
        mm3 = kPi * t.diameter * t.diameter / 4 * std::clamp(h, 0.0, t.height);
        break;
    }
    return mm3 / 1e6;
}

} // namespace TankShape
