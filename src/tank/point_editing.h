// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The texts of point inspection and correction, built from a stored point's
// keys: the deletion question, the labels of the properties window and the
// correction question. Pure: the calibration window shows them.

#include "tank/protocol_file.h"

#include <QString>

namespace PointEditing {

/// "Точка с параметрами:\rКод уровня :N\r…будет удалена." with the seven keys
/// as read (absent keys as "undefined").
QString deletionQuestion(const PointKeys &keys, int lang);
/// The refusal when there is no point to delete (Russian in both languages).
QString nothingToDelete();

struct PropertyTexts {
    QString number, level, volume, time, systemTime, whoSave;
};
/// The six labels of the properties window for point `index`. `keys` as read
/// with an empty default; each label puts its own default for an absent key.
PropertyTexts propertyTexts(int index, const PointKeys &keys, int lang);

/// "Current value of the fuel12,5 L. replase to:".
QString currentFuelText(double litres, int lang);
/// "Change all subsequent point to2,50 L.?" for the difference D.
QString correctionQuestion(double difference, int lang);

} // namespace PointEditing
