// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Two calibration tables of one tank compared: a recalibration after a repair
// against the first, or a pour against the tank's drawing. Each table is read
// as a tracker reads it, straight lines between its points over the level
// code; over the levels both cover the difference of the two lines is taken.

#include <QByteArray>
#include <QString>
#include <vector>

namespace TableCompare {

struct Point {
    double n = 0;      ///< level code
    double litres = 0;
};

/// A table as kvtool table and kvtool tank --levels write it: CSV with a
/// header line (fields "level_code" and "litres", separated by "," or ";",
/// decimals with a full stop or a comma) or a JSON array of objects with
/// "level_code" and "litres". The problem when it is not one, else empty.
QString readTable(const QByteArray &bytes, std::vector<Point> &out);

struct Result {
    bool overlap = false;   ///< the tables share a range of levels
    double from = 0, to = 0; ///< the common range of level codes
    double largest = 0;     ///< largest litre difference, litres
    double at = 0;          ///< the level code where it is
    double first = 0, second = 0; ///< the two tables' litres there
    double mean = 0;        ///< mean litre difference over the common range, litres
};

/// The difference of `second` from `first` over their common range of levels.
/// The largest is found among the points of either table (the lines bend
/// only there); the mean is the exact mean of the difference over the range.
Result compare(std::vector<Point> first, std::vector<Point> second);

} // namespace TableCompare
