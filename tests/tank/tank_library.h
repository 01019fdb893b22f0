// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Tanks as installers meet them, and calibrations made from them as an
// installer pours: the volume below a height in closed form (millimetres in,
// litres out), the height a volume reaches, and a table of user points with
// pour errors, level noise and the installer's slips. Independent of the
// program's own tank code, so it can serve as the oracle for it too.

#include "tank/protocol_file.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace TankLibrary {

inline constexpr double kPi = 3.14159265358979323846;

/// Area of the segment of a disc of radius r below height h (0..2r), mm².
inline double discSegment(double r, double h)
{
    h = std::clamp(h, 0.0, 2 * r);
    return r * r * std::acos((r - h) / r) - (r - h) * std::sqrt(std::max(0.0, 2 * r * h - h * h));
}

/// Area under a half-chord of a disc of radius r from its centre line up to a
/// (0..r): ∫0^a 2·√(r² − t²) dt, mm².
inline double discBand(double r, double a)
{
    a = std::clamp(a, 0.0, r);
    return a * std::sqrt(r * r - a * a) + r * r * std::asin(a / r);
}

struct Shape {
    QString name;
    double height = 0;                  ///< mm, floor to roof
    std::function<double(double)> litres; ///< volume below a height in mm
    bool sump = false;                  ///< a sump below the floor (its first step is a sump's)
    double total() const { return litres(height); }
    /// The height a volume reaches (bisection on the monotone volume).
    double heightOf(double v) const
    {
        double lo = 0, hi = height;
        for (int i = 0; i < 80; ++i) {
            const double mid = (lo + hi) / 2;
            (litres(mid) < v ? lo : hi) = mid;
        }
        return (lo + hi) / 2;
    }
};

inline Shape horizontalCylinder(double d, double length)
{
    return {QStringLiteral("horizontal cylinder"), d,
            [=](double h) { return discSegment(d / 2, h) * length / 1e6; }};
}

inline Shape ellipticCylinder(double width, double height, double length)
{
    return {QStringLiteral("elliptic cylinder"), height, [=](double h) {
                return discSegment(height / 2, h) * (width / height) * length / 1e6;
            }};
}

/// A box whose four long edges are rounded with radius r.
inline Shape roundedRectangle(double width, double height, double length, double r)
{
    const auto below = [=](double h) {
        // Up to the bottom corners' top: the flat middle and two quarter discs.
        const auto low = [=](double y) { return (width - 2 * r) * y + discSegment(r, y); };
        h = std::clamp(h, 0.0, height);
        if (h <= r)
            return low(h);
        const double whole = width * height - (4 - kPi) * r * r;
        if (h >= height - r)
            return whole - low(height - h);
        return low(r) + width * (h - r);
    };
    return {QStringLiteral("rounded rectangle"), height,
            [=](double h) { return below(h) * length / 1e6; }};
}

/// A D-shaped tank: a flat back against the frame and a half-round front of
/// radius height/2.
inline Shape dShape(double width, double height, double length)
{
    const double r = height / 2;
    return {QStringLiteral("D-shape"), height, [=](double h) {
                h = std::clamp(h, 0.0, height);
                return ((width - r) * h + discSegment(r, h) / 2) * length / 1e6;
            }};
}

/// A saddle tank over the drive shaft: a box with a tunnel of width t along
/// its floor whose roof is a half-round at tunnelHeight, and a small sump of
/// sumpArea mm² and sumpDepth mm under one leg (heights from the sump's floor).
inline Shape saddleWithSump(double width, double height, double length, double t,
                            double tunnelHeight, double sumpArea, double sumpDepth)
{
    const double rho = t / 2, walls = tunnelHeight - rho;
    const auto tunnel = [=](double y) {
        if (y <= walls)
            return t * y;
        return t * walls + discBand(rho, y - walls);
    };
    return {QStringLiteral("saddle with sump"), height + sumpDepth,
            [=](double h) {
                h = std::clamp(h, 0.0, height + sumpDepth);
                if (h <= sumpDepth)
                    return sumpArea * h / 1e6;
                const double y = h - sumpDepth;
                return (sumpArea * sumpDepth + (width * y - tunnel(y)) * length) / 1e6;
            },
            true};
}

inline Shape verticalCylinder(double d, double height)
{
    return {QStringLiteral("vertical cylinder"), height,
            [=](double h) { return kPi * d * d / 4 * std::clamp(h, 0.0, height) / 1e6; }};
}

/// A lying cylinder with hemispherical ends (a large road or farm tank).
inline Shape capsule(double d, double cylinderLength)
{
    const double r = d / 2;
    return {QStringLiteral("capsule"), d, [=](double h) {
                h = std::clamp(h, 0.0, d);
                return (discSegment(r, h) * cylinderLength + kPi * h * h * (3 * r - h) / 3) / 1e6;
            }};
}

/// A box with its two bottom edges cut at 45° by c mm (it clears the frame).
inline Shape chamferedBox(double width, double height, double length, double c)
{
    return {QStringLiteral("chamfered box"), height, [=](double h) {
                h = std::clamp(h, 0.0, height);
                const double low = std::min(h, c);
                return ((width - 2 * c) * low + low * low + width * std::max(0.0, h - c)) *
                       length / 1e6;
            }};
}

inline std::vector<Shape> shapes()
{
    return {horizontalCylinder(600, 1200),
            ellipticCylinder(800, 450, 1000),
            roundedRectangle(700, 500, 900, 120),
            dShape(650, 550, 800),
            saddleWithSump(900, 500, 600, 300, 260, 150 * 150, 40),
            verticalCylinder(500, 900),
            capsule(1000, 2000),
            chamferedBox(600, 480, 700, 150)};
}

enum class Slip {
    None,
    PouredTwice,  ///< two pours at one step, one entered
    Forgotten,    ///< no pour at one step: its level repeats the one before
    NotSettled,   ///< Rec pressed while the level still moved: 60 % of the step missing
    NotClimbing,  ///< the level went the wrong way by ten codes
    SavedTwice,   ///< Rec pressed twice at one level (a point with the same litres after it)
};

struct Pouring {
    int bits = 12;
    int pours = 20;
    double start = 0;      ///< share of the volume in the tank at the start of a filling
    bool draining = false; ///< from 97 % of the volume down to 1 %
    unsigned seed = 1;
    Slip slip = Slip::None;
    int slipAt = 0; ///< the point the slip is made at (1 .. pours)
};

/// The user points of one calibration, index from 0, litres as the installer
/// entered them (the start plus one pour per point, to 0,01 l).
inline std::vector<UserPoint> calibrate(const Shape &tank, const Pouring &p)
{
    unsigned state = p.seed * 2654435761u + 12345u;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return double(state >> 8) / double(1u << 24); // 0 .. 1
    };
    const double total = tank.total();
    const double nmax = std::pow(2.0, p.bits) - 1;
    const double from = p.draining ? 0.97 * total : p.start * total;
    const double to = p.draining ? 0.01 * total : 0.97 * total;
    // A double pour goes over the same span with one pour more.
    const int pours = p.slip == Slip::PouredTwice ? p.pours + 1 : p.pours;
    const double pour = std::round(std::abs(to - from) / pours * 100) / 100;
    const double sign = p.draining ? -1 : 1;

    std::vector<double> real{from}; // litres really in the tank at each point
    for (int k = 1; k <= p.pours; ++k) {
        int times = 1;
        if (k == p.slipAt && p.slip == Slip::PouredTwice)
            times = 2;
        if (k == p.slipAt && p.slip == Slip::Forgotten)
            times = 0;
        double v = real.back();
        for (int t = 0; t < times; ++t)
            v += sign * pour * (1 + (next() - 0.5) * 0.01); // ±0.5 %
        real.push_back(std::clamp(v, 0.0, total));
    }
    const double entered0 = std::round(from * 100) / 100;
    std::vector<UserPoint> points;
    for (int k = 0; k <= p.pours; ++k) {
        const double h = tank.heightOf(real[size_t(k)]);
        const int noise = int(std::floor(next() * 5)) - 2; // ±2 codes
        const double n = std::clamp(std::round(h / tank.height * nmax) + noise, 0.0, nmax);
        points.push_back({k, qint32(n), std::round((entered0 + sign * pour * k) * 100) / 100});
    }
    const int k = p.slipAt;
    if (p.slip == Slip::NotSettled && k >= 1 && k <= p.pours) {
        UserPoint &pt = points[size_t(k)];
        pt.n = qint32(std::lround(points[size_t(k - 1)].n + 0.4 * (pt.n - points[size_t(k - 1)].n)));
    }
    if (p.slip == Slip::NotClimbing && k >= 1 && k <= p.pours)
        points[size_t(k)].n = points[size_t(k - 1)].n - qint32(sign) * 10;
    if (p.slip == Slip::SavedTwice && k >= 0 && k <= p.pours) {
        UserPoint again = points[size_t(k)];
        again.n += int(std::floor(next() * 5)) - 2;
        points.insert(points.begin() + k + 1, again);
        for (size_t i = size_t(k) + 1; i < points.size(); ++i)
            points[i].index = int(i);
    }
    return points;
}

/// A calibration protocol holding these points as user points (litres with
/// the comma and two decimals), and `userOptions` ("DigitData=12\r\n" …)
/// in its [User_Option].
inline QByteArray protocolText(const std::vector<UserPoint> &points,
                               const QByteArray &userOptions = QByteArray())
{
    QByteArray t = "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n";
    if (!userOptions.isEmpty())
        t += "[User_Option]\r\n" + userOptions;
    t += "[Point]\r\nStop_Point=" + QByteArray::number(points.empty() ? 0 : points.back().index) +
         "\r\n[Protocol_Date]\r\n";
    for (const UserPoint &p : points) {
        const QByteArray i = QByteArray::number(p.index);
        t += "Time" + i + "=" + i + "\r\nFilterN" + i + "=" + QByteArray::number(p.n) +
             "\r\nliter" + i + "=" + QByteArray::number(p.litres, 'f', 2).replace('.', ',') +
             "\r\nStatus_Save" + i + "=User Save\r\n";
    }
    return t;
}

} // namespace TankLibrary
