// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Thinning a calibration table to what a tracker takes. Many trackers hold
// only 10 to 50 table points and draw straight lines between them; the points
// kept are chosen among the user points, the first and the last always kept,
// so that the straight-line table through them stays as close to the full
// table as any choice of that many can: the largest litre difference at the
// user points left out is the smallest possible. A dynamic programme over the
// points finds that choice exactly.

#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace TableThinning {

struct Point {
    double n = 0;      ///< level code
    double litres = 0; ///< litres at it
};

struct Result {
    std::vector<size_t> kept; ///< positions of the points kept, ascending
    double largest = 0;       ///< largest litre difference at any point, litres
};

/// The straight-line table through the `kept` points (positions, ascending,
/// the first and last included) at every point between them: the largest
/// difference from the point's litres. Between two kept points of the same
/// level the table holds the first one's litres.
double largestDifference(const std::vector<Point> &points, const std::vector<size_t> &kept);

/// At most `maxPoints` points (2 at least, where the table has two) with the
/// smallest largest difference; every point when the table has no more.
Result toCount(const std::vector<Point> &points, int maxPoints);

/// The fewest points whose largest difference is at most `maxLitres`.
Result toError(const std::vector<Point> &points, double maxLitres);

/// Tables above this many points are not thinned (the programme's memory
/// grows with the square of the points).
constexpr size_t kMostPoints = 3000;

} // namespace TableThinning

struct ExportData;

namespace TableThinning {

/// The installer's answer to "how many points does the tracker take": empty
/// or "0" for every point, a whole number K (2 or more) for at most K points,
/// a number of litres followed by "l" or "л" ("1,5 л") for the fewest points
/// within that many litres. Empty optional when the answer is none of these.
struct Request {
    std::optional<int> maxPoints;
    std::optional<double> maxLitres;
};
std::optional<Request> parseRequest(const QString &answer);

/// What thinning a protocol's telematics table did.
struct Summary {
    size_t kept = 0, of = 0; ///< points written, of the table's points
    double largest = 0;      ///< largest litre difference at the points, litres
    double top = 0;          ///< the table's top: its largest litres
    bool tooMany = false;    ///< more than kMostPoints points: left whole
};

/// Thins the telematics table of `data` (the convertible user points, as
/// every table export takes them) by removing the user points not kept from
/// its points: to at most `maxPoints`, or to the fewest within `maxLitres`.
Summary thinTelematics(ExportData &data, std::optional<int> maxPoints,
                       std::optional<double> maxLitres);

} // namespace TableThinning
