// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The job's general data as the protocol stores it: the fill of empty fields
// with "n.d.", the characters the protocol cannot hold, and the keys that
// "Далее" and the calibration start write, in their order. Pure: the main
// window gathers the texts of its controls and writes what this returns.

#include "tank/protocol_file.h"

#include <QString>
#include <QStringList>
#include <vector>

/// The texts of the protocol-data page.
struct JobData {
    QString CompanyName, Firma, ProizvMashine, TypeMashine, NameMashine, Year, NamberMashine,
        NameUser, NambePlomb;
    QString edVDA, edHBac; ///< the volume and height edits' texts
    int UpDown5 = 0;       ///< tank volume, litres
    int UpDown6 = 0;       ///< outer tank height, mm
};

/// Empty texts become "n.d." (the vehicle type never); the volume and height
/// edits too when they read "0"; the seal when its edit text is "000000".
void fillNotDefined(JobData &job);

/// The characters of the job's texts, and of `more` (the probe variant and the
/// probe type that go into the protocol with them), that the protocol encoding
/// cannot hold (each once); empty when everything can be stored.
QString unencodableInJob(const JobData &job, const QStringList &more = {});

/// What "Далее" stores besides the job: the scale page, the firmware, and the
/// level code's resolution and full-scale mode (the sensor's level range, which
/// the table check of a stored protocol takes).
struct ScaleData {
    int seUpVal = 0, seDownVal = 0, seFSMOffset = 0, seFSMScale = 0;
    QString typeProbe, zeroProbeLength, permixFuel;
    int versionH = 0, versionL = 0;
    int resolutionBits = 0; ///< 10, 12, 14 or 16; 0: not known (no sensor read)
    bool fullScaleMode = false;
};

/// The [User_Option] keys of "Далее", in their order; "DigitData" (bits) and
/// "ModeFSM" (0 or 1) last, and only with a known resolution.
std::vector<UserOptionValue> generalDataValues(const JobData &job, const ScaleData &scale);

/// What the calibration start takes from the calibration and information pages.
struct SensorData {
    QString flesh, capdac, capoff, lengthProbe, sn;
};

/// The [User_Option] keys of the calibration start: everything for a sensor
/// outside the restricted family, "SN" alone for one inside it.
std::vector<UserOptionValue> calibrationStartValues(const JobData &job, const SensorData &sensor,
                                                    bool restricted);
