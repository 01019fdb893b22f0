// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the tool knows about the connected sensor: the identity and settings
// records, the output-scale and inclinometer values, the model table with its
// groups, and the rule that enables the settings controls by firmware version.
//
// The records start zeroed and are never cleared between sensors: each decode
// overwrites only the fields it decodes.

#include <QString>
#include <QtGlobal>
#include <array>
#include <cmath>
#include <optional>

/// Kept for layout; the tool never fills or reads it.
struct TMODE_AUTO {
    bool OnTextFormat = false;
    bool ThenToTwelveFormat = false;
    QString SpeedUART;
};

/// Identity, version, network and output settings, latest codes.
struct TParamKV {
    bool FlagNewWrite = false; ///< a chunk arrived without framing error
    int ManYear = 0;           ///< 2000 + year byte
    int ManMonth = 0;          ///< month − 1 (0 … 11)
    int ManDay = 0;            ///< day − 1 (0 … 30)
    int SN = 0;                ///< serial number capped at 999999
    QString Model;             ///< model name as shown, or "Error"
    int IntModel = 0;          ///< model code
    QString Version;           ///< "v.5.3" as shown, or "Error"
    int Version_H = 0;
    int Version_L = 0;
    int CAPDACA = 0;    // reserved
    int CAPDACB = 0;    // reserved
    int CAPOFFSET = 0;  // reserved
    int AD_CONFIG = 0;  // reserved
    int TEMPOFFSET = 0; // reserved
    int NETADDR = 0;
    int NETMODE = 0;   // reserved
    QString DigitData; ///< resolution of N: "10", "12" (and "14", "16" from the third mode byte)
    bool SetPeriodDate = false; ///< periodic output on
    bool FormatDate = false;    ///< text output format on
    int PERIOD_AUTO = 0;        // reserved
    TMODE_AUTO MODE_AUTO;       // reserved
    int Val_C = 0;
    int Val_N = 0;
    QString SondLen; ///< "L", "H", "260" … "710", or the n/a text
    QString ProtocolLengProbe;
    bool Centre = false; ///< averaging on
};

/// Passport data and the extended parameters of newer firmware.
struct TParametrSDA {
    int SN_DA = 0; ///< serial number as sent (not capped)
    int Date_Year_Manufact = 0;
    int Date_month_Manufact = 0;
    int Date_Day_Manufact = 0;
    int Version_DA_Up = 0;
    int Version_DA_Down = 0;
    QString TypeCard; ///< "RS232" or "RS485"
    quint8 NamberRev = 0;
    bool ModeFreqOut = false;
    bool ModeFSM = false;
    int FSMOffset = 0;
    int FSMScale = 0;
    int CPUTmp = 0;
    bool CurMode = false;
    int AvrgTime = 0;
    bool MashtabAXLS = false;
    bool ModeSeting = false;
    quint8 RepMode3 = 0;
    int RadioGrupIndex = 0;  ///< 0 = 10-bit, 1 = 12-bit (output mode byte bit 7)
    int RadioGrupIndex2 = 0; ///< resolution choice 0 … 3 shown in RadioGroup
};

inline constexpr int FsmCoefHigh = 7;

struct TInclState {
    float AxisK1 = 0;
    float AxisK2 = 0;
    float AxisK3 = 0;
    float Azimuth = 0;
    int TiltX = 0; ///< 1/256 degree
    int TiltY = 0;
};

/// Everything the running program knows of the connected sensor. One instance
/// is owned by the program; tests make their own.
struct SensorState {
    TParamKV SensorParam;
    TParametrSDA SensorExt;
    bool FsmAutoRef = false;
    int FsmCalcMode = 0;
    float FsmPermix = 0;
    std::array<float, FsmCoefHigh + 1> FsmCoef{};
    TInclState InclState;
    /// Serial number seen by the previous identity decode.
    int LastSerial = 0;
    /// The stored low reference read by READ_CAL_DATA.
    int RefZL_CAPDAC = 0;
    int RefZL_CAPOFF = 0;
    int RefZL_C = 0;
    int RefT = 0;
};

// ---- Model table and groups ------------------------------------------------

/// Model name for a model code, "Error" for codes not in the table.
QString ModelName(int code);
/// Codes 1 and 2: the full feature set (capacitance calibration, probe ranges,
/// tank-calibration page); every other code restricts the calibration commands.
bool isFullFeatureModel(int code);
/// Codes 176 … 183: the device may occupy two network addresses.
bool isDualAddressModel(int code);
/// Codes 178 and 182: the only dual-address models with a port assignment.
bool hasPortAssignment(int code);

// ---- Output conversions -----------------------------------------------------

/// The frequency output in whole hertz for capacitance code C: 500 Hz at
/// C = 0, 1500 Hz at C = 65535.
inline int frequencyFromCode(double C)
{
    return int(std::floor(C / 65.535 + 500));
}

// ---- Probe range table -----------------------------------------------------

/// Probe range code 0 … 7 as the short text kept in SensorParam.SondLen
/// ("L", "H", "260" … "710"); nullopt for any other code.
std::optional<QString> probeRangeText(int code);
/// Item of the probe class list cbFlesh for a probe range code (7 − code);
/// −1 (no selection) for a code outside 0 … 7.
int probeClassIndex(int code);

// ---- Controls enabled by firmware version ----------------------------------

/// Enabled/visible decisions for the settings controls. An empty optional
/// leaves the control as it is. Control names by role:
///   outputSettings: cbtextbinformat, cbPeriod, cbSpeedUart, Label35
///   averaging:      cbCenter
///   averagingTime:  SpinEdit1, Label72
///   freqOutput:     cbModeFreqOut, Label70, Label71
///   freqDisplay:    edFreq, Label83 (visibility)
///   portAssignment: cbConfigPort, Label94
///   networkMode:    cbSetingProperty (untick when networkModeUntick)
///   inclAddress:    cbModeIncl, cbVisableIncAdr, Label99
///   twoAddressNote: Label97, Image2 (visibility)
struct WindowControls {
    std::optional<bool> outputSettingsEnabled;
    std::optional<bool> averagingEnabled;
    std::optional<bool> averagingTimeEnabled;
    std::optional<bool> freqOutputEnabled;
    std::optional<bool> freqDisplayVisible;
    std::optional<bool> portAssignmentEnabled;
    std::optional<bool> networkModeEnabled;
    bool networkModeUntick = false;
    std::optional<bool> inclAddressEnabled;
    std::optional<bool> twoAddressNoteVisible;

    /// Decisions of a later rule win over this one where the later rule decides.
    void overrideWith(const WindowControls &later);
};

inline constexpr const char *OutputSettingsControls[] = {"cbtextbinformat", "cbPeriod",
                                                         "cbSpeedUart", "Label35"};
inline constexpr const char *AveragingTimeControls[] = {"SpinEdit1", "Label72"};
inline constexpr const char *FreqOutputControls[] = {"cbModeFreqOut", "Label70", "Label71"};
inline constexpr const char *FreqDisplayControls[] = {"edFreq", "Label83"};
inline constexpr const char *PortAssignmentControls[] = {"cbConfigPort", "Label94"};
inline constexpr const char *InclAddressControls[] = {"cbModeIncl", "cbVisableIncAdr", "Label99"};
inline constexpr const char *TwoAddressNoteControls[] = {"Label97", "Image2"};

/// The firmware-version rule for the settings controls, H = major, L = minor.
WindowControls ConfigurationForVersion(int H, int L);
