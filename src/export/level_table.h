// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The calibration table of a protocol for any telematics system: the user
// points as level code and litres, as CSV or JSON. The points and their order
// are those of the .wlp table (telematicsPoints), so every table made from one
// protocol holds the same pairs.

#include "export/protocol_export.h"

#include <QChar>
#include <QString>

/// CSV: a header line "level_code<sep>litres", then one line per point. With a
/// decimal comma the fields are separated by ";", with a full stop by ",".
/// Litres in the shortest decimal form (12,5; 100). Lines end in "\n".
QString levelTableCsv(const ExportData &data, QChar decimalSeparator);
/// JSON: an array of objects {"level_code": N, "litres": L}, one per point.
QString levelTableJson(const ExportData &data);
