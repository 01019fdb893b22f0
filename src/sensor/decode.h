// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The reply decoders: reply bytes in, decoded values out. Nothing here reads
// or writes a window; each result carries the texts (already formatted with
// the user's decimal separator), selections and enabled/visible decisions the
// main window shows, and applyTo() copies the record fields the decoder owns
// into a SensorState.
//
// `reply` is a reply as the frame layer accepted it: reply[0] is reply byte 1
// (0x3E), reply[2] the command byte, the last byte the CRC. A byte beyond the
// end of `reply` reads as 0, so an empty array decodes like the zeros the
// poller leaves behind when a poll goes unanswered.

#include "common/lang_ids.h"
#include "common/numfmt.h"
#include "sensor/Var_and_function_U.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

/// Text of the interface string table for the English index K in the current
/// language (the caller's LangTable lookup).
using TextLookup = std::function<QString(int K)>;

namespace decode {

// ---- Reply field access ----------------------------------------------------

/// Reply byte k (numbered from 1); 0 beyond the end.
int byteAt(const QByteArray &reply, int k);
/// 16-bit little-endian value of bytes k, k + 1.
int u16At(const QByteArray &reply, int k);
/// Signed 16-bit little-endian value of bytes k, k + 1.
int s16At(const QByteArray &reply, int k);
/// IEEE 754 single of bytes k … k + 3, lowest byte first. A NaN or infinite
/// value reads as 0 and sets *invalid (when given).
float floatAt(const QByteArray &reply, int k, bool *invalid = nullptr);

// ---- Bit-string helpers ----------------------------------------------------

/// 2 to the power n for n ≥ 0.
qint64 degree(int n);
/// The 29 base-2 digits of x ≥ 0, least significant first ("1" or "0").
QString IntToBinInside(qint64 x);
/// Inverse of IntToBinInside: sum of degree(i − 1) over the characters i that
/// are "1"; only the first 30 characters count.
qint64 BinToInt(const QString &s);

// ---- Identity: READ_PARAM / READ_SN ---------------------------------------

/// Tabs hidden when a sensor of another version or model appears.
inline constexpr const char *SensorChangeHiddenTabs[] = {"TabSheet6", "TabSheet7", "TabSheet2",
                                                         "TabSheet5", "TabSheet4", "TabSheet1"};
/// Controls that exist only for the full-feature models (shown for codes 1, 2,
/// hidden otherwise); the menu item N9 goes with them.
inline constexpr const char *CalibrationControls[] = {
    "edMetrNull", "edTermo", "edRefNull", "edRefT",  "Panel7",     "Label19", "Label12", "Label18",
    "Label28",    "Panel11", "Splitter2", "Label46", "GroupBox14", "Bevel7",  "Bevel9",  "N9"};

struct ReadSNResult {
    // Passport part, decoded only for command bytes 0x41 and 0x42.
    bool passportDecoded = false;
    int year = 0;   ///< Y = year − 2000
    int month = 0;  ///< M = month − 1, capped at 11
    int day = 0;    ///< D = day − 1, capped at 30
    int serial = 0; ///< S as sent (SensorExt.SN_DA)
    /// S differs from the serial of the previous identity decode: the protocol
    /// status text becomes "Err" (and LastSerial takes S).
    bool serialChanged = false;
    QString meSN;          ///< S capped at 999999, six digits
    QDate manufactureDate; ///< DateTimePicker; a day past the month's end runs on

    // Firmware version.
    bool versionValid = false; ///< byte 11 was not 0xFF
    int versionH = 0;          ///< version in effect (the previous one when not valid)
    int versionL = 0;
    QString edVersionPo; ///< "v.5.3" or "Error"

    /// Version rule, then the model group's overrides (Label97, cbConfigPort).
    WindowControls controls;

    // Model.
    int modelCode = 0;
    QString edType; ///< model name or "Error"

    /// New order of the listed pages by firmware major; empty: keep the order.
    QStringList pageOrder;

    // Resolution choices: four items in two columns for firmware 8.3 and later.
    bool wideResolution = false; ///< Panel19, cbModeIncl, Label99, cbVisableIncAdr visible
    int radioGroupColumns = 1;
    QStringList radioGroupItems;
    int radioGroupIndex = 0; ///< RadioGrupIndex2, within the items

    // Model group.
    bool fullFeatureModel = false;
    bool restrictedCommands = true;
    bool calibrationControlsVisible = false; ///< CalibrationControls
    int groupBox4Height = 49;
    int groupBox100Height = 37;
    int label46Top = 0;
    int groupBox14Top = 0;
    bool bbDublTarirovanieVisible = false;
    int mainWindowHeight = 590;

    /// Version text or model name differs from the record: start the wizard
    /// from the information page and close the protocol.
    bool sensorChanged = false;
    bool clearProtocolFile = false;
    /// Tabs to hide, in order (the calibration page for restricted models, then
    /// SensorChangeHiddenTabs on a sensor change).
    QStringList tabsToHide;

    void applyTo(SensorState &state) const;
};

/// Decodes the passport shared by READ_PARAM and READ_SN and decides how the
/// window adapts to model and firmware.
ReadSNResult ReadSN(const QByteArray &reply, const SensorState &state);

struct ConnectResult {
    int address = 0; ///< item of cbSetingAdres and cbDublSetingAdres, NETADDR

    /// Output mode byte reported (not 0xFF); the fields below up to
    /// radioGrupIndex apply only then.
    bool modeReported = false;
    bool centre = false;     ///< cbCenter, SensorParam.Centre
    bool textFormat = false; ///< cbtextbinformat, FormatDate
    bool periodic = false;   ///< cbPeriod, SetPeriodDate; edPeriod, UpDown3, Label22 enabled
    int speedIndex = 3;      ///< item of cbSpeedUart
    bool twelveBit = false;  ///< cbNdate ticked
    QString cbNdateCaption;
    QString digitData;      ///< "10" or "12"
    int radioGrupIndex = 0; ///< SensorExt.RadioGrupIndex and the RadioGroup item

    /// RadioGrupIndex2 := the selected RadioGroup item, for firmware before 8.3.
    std::optional<int> radioGrupIndex2;

    int periodPosition = 1; ///< UpDown3, 1 … 256
    QString edPeriod;

    void applyTo(SensorState &state) const;
};

/// Decodes network address, output mode byte and period of a READ_PARAM reply.
ConnectResult Connect(const QByteArray &reply, const SensorState &state);

// ---- Live data: DATA_READ --------------------------------------------------

/// Zero point, span and warning limits of the capacitance display.
struct CapacitanceRegime {
    int zero;
    int span;
    int lowWarning;  ///< C below this blinks
    int highWarning; ///< C above this blinks
};
/// The user H class (cbFlesh item 6) or the standard regime.
CapacitanceRegime capacitanceRegime(int probeClassIndex);

struct GaugeLayout {
    int gauge1Width, gauge1Max, gauge1Progress;
    int gauge2Width, gauge2Left, gauge2Max, gauge2Progress;
    int lbRuhProcLeft;
    QString label4;
    int trackBar1Max;
};
/// The zero gauges' proportions for the probe class (item 6: the user H
/// scale) with the progress of code C.
GaugeLayout gaugeLayout(int probeClassIndex, int C);

struct ReadDataResult {
    /// CrcError was set on entry: nothing at all happens.
    bool skipped = false;

    int temperature = 0; ///< signed °C
    QString lbT;         ///< "t=+25*C" or "-5"
    QString edTetmo1;    ///< "+25" or "-5"
    int upDown2 = 0;

    int levelCode = 0; ///< N: IncomingLevelCode, LevelCode, Val_N; handed to the recording
    QString lbN;       ///< "N = 4660"
    QString edN;

    int capacitance = 0;             ///< C: Val_C
    std::optional<int> calMeasuredC; ///< only for a live-data reply (byte 3 = 0x06)
    bool crcError = false;           ///< CrcError after the decode

    QString edCCod;
    QString lbC;       ///< "C = -1000"
    QString lbProc;    ///< "-2,00%"
    QString lbRuhProc; ///< "-2,00%" / "+2,00%"
    QString edCProc;
    QString edC;
    /// lbRuhProc: the blink timer is stopped and the label shown first; then
    /// either the normal text colour or the red blink starts. At exactly a
    /// warning limit neither happens.
    bool ruhProcNormalColour = false;
    bool ruhProcBlink = false;

    int edFreq = 500; ///< Hz on the frequency output
    GaugeLayout gauges{};

    void applyTo(SensorState &state) const;
};

ReadDataResult ReadData(const QByteArray &reply, bool crcErrorOnEntry, int probeClassIndex,
                        const NumberFormat &fmt);

// ---- Extended parameters ---------------------------------------------------

struct ReadCAPSETResult {
    int capdac = 0;
    QString meCAPDAC; ///< two digits, zero-padded
    int capoff = 0;
    QString meCAPOFF; ///< five digits, zero-padded
};
ReadCAPSETResult ReadCAPSET(const QByteArray &reply);

struct READCALDATAResult {
    int RefZL_CAPDAC = 0;
    int RefZL_CAPOFF = 0;
    int RefZL_C = 0;
    int zeroCode = 0;    ///< Z0
    QString edRefNull;   ///< 8.192 − (RefZL_C − Z0) × 0.00025, "%2.3f"
    QString edRefZLHint; ///< "CAPDAC=…\rCAPOFF=…"; hints switched on
    int RefT = 0;
    QString edRefT;

    void applyTo(SensorState &state) const;
};
READCALDATAResult READCALDATA(const QByteArray &reply, const NumberFormat &fmt);

struct ReadSounLenResult {
    int code = 0;
    int cbFleshIndex = -1; ///< −1: no valid selection
    QString SondLen;

    void applyTo(SensorState &state) const;
};
ReadSounLenResult ReadSounLen(const QByteArray &reply, const TextLookup &text);

struct ReadExtParamResult {
    QString TypeCard; ///< "RS232" (bit 0 set) or "RS485"
    int NamberRev = 0;
    bool ModeFreqOut = false; ///< cbModeFreqOut
    bool ModeFSM = false;     ///< cbModeFSM; sbModeFSM and SpeedButton1 pressed
    bool CurMode = false;     ///< cbErrMode
    bool hubOn = false;       ///< cbHUBonOff
    int configPortIndex = 0;  ///< cbConfigPort
    bool MashtabAXLS = false;
    bool autoRef = false;    ///< rbFRMAutoRef ticked, rbFRMRef not; FsmAutoRef
    bool ModeSeting = false; ///< cbSetingProperty
    int FSMOffset = 0;
    int FSMScale = 0;
    int CPUTmp = 0;
    int AvrgTime = 0;
    int spinEdit1 = 0; ///< averaging time limited to SpinEdit1's range 0 … 128

    void applyTo(SensorState &state) const;
};
ReadExtParamResult ReadExtParam(const QByteArray &reply);

/// The output-scale editors filled after GET_EXT_PARAM (N codes scaled with
/// 4095 for "12", 1023 for any other DigitData).
struct OutputScaleEditors {
    int seUpVal, seUpNCode, seUpInterRest, seUpFreq;
    int seDownVal, seDownNCode, seDownInterRest, seDownFreq;
    int seFSMOffset, seFSMScale;
    bool scaleButtonsDown; ///< sbFullTanck, sbZeroTanck pressed (full-scale mode on)
    QString sbFullTanckCaption;
    QString sbZeroTanckCaption;
};
OutputScaleEditors outputScaleEditors(const SensorState &state);

struct ReadFSMCalcParamResult {
    int mode = 0; ///< FsmCalcMode, as sent
    /// Item of cbFMSCALCPARAM to select; empty when the mode is not one of
    /// its eight items (the selection stays).
    std::optional<int> calcModeItem;

    float permix = 0;
    bool permixInvalid = false; ///< NaN or infinite on the wire, decoded as 0
    int udPermix = 0;           ///< ⌊permix × 100⌋ within 0 … 9999
    QString mePermix;           ///< "%5.2f"

    std::array<float, FsmCoefHigh + 1> coef{};
    std::array<bool, FsmCoefHigh + 1> coefInvalid{};

    /// Zero-length editors for the selected item; empty when no item is selected.
    std::optional<int> udZeroLen; ///< ⌊FsmCoef[j] × 100⌋ within 0 … 9999
    QString meZeroLen;            ///< "%7.4f"

    bool anyInvalid() const;
    void applyTo(SensorState &state) const;
};
/// currentItem: the item cbFMSCALCPARAM shows before the decode (−1 for none).
ReadFSMCalcParamResult ReadFSMCalcParam(const QByteArray &reply, int currentItem,
                                        const NumberFormat &fmt);

struct ReadAxisKResult {
    std::array<float, 3> axisK{};
    bool invalid = false; ///< a NaN or infinite coefficient was decoded as 0

    void applyTo(SensorState &state) const;
};
ReadAxisKResult ReadAxisK(const QByteArray &reply);

/// Extended mode byte WriteFullTanck sends with SET_REP_MODE: frequency output,
/// full-scale mode, extended error mode and network mode from the records;
/// hub, port, axis scaling and reference bits 0. The caller sets the polling
/// interval to 2500 ms and stops polling before sending, then starts
/// TimerReadData and TimerStartReadDate.
quint8 WriteFullTanck(const TParametrSDA &ext);

// ---- Inclinometer ----------------------------------------------------------

struct ReadAzimuthResult {
    float azimuth = 0;
    bool invalid = false;
    QString meAzz; ///< "%5.1f"
    int udAzz = 0; ///< a × 10 to the nearest tenth (as meAzz shows it) within 0 … 3600

    void applyTo(SensorState &state) const;
};
ReadAzimuthResult ReadAzimuth(const QByteArray &reply, const NumberFormat &fmt);

struct ReadInclinometerDataResult {
    int tiltX = 0; ///< 1/256 degree
    int tiltY = 0;
    QString label92; ///< x / 256, "%5.2f"
    QString label93;

    void applyTo(SensorState &state) const;
};
ReadInclinometerDataResult ReadInclinometerData(const QByteArray &reply, const NumberFormat &fmt);

struct ReadREPMODE3Result {
    quint8 repMode3 = 0;
    int radioGroupIndex = 0;        ///< RadioGroup item, also RadioGrupIndex2
    QString digitData;              ///< "10", "12", "14" or "16"
    bool modeInclTicked = true;     ///< cbModeIncl (bit 6 clear)
    bool inclAddressEnabled = true; ///< Label99, cbVisableIncAdr

    void applyTo(SensorState &state) const;
};
ReadREPMODE3Result ReadREPMODE3(const QByteArray &reply, const SensorState &state);

struct ReadINCLLANADRResult {
    int address = 0;
    int itemIndex = -1; ///< item of cbVisableIncAdr ("0" … "254"); −1 for 255
};
ReadINCLLANADRResult ReadINCLLANADR(const QByteArray &reply);

// ---- Mode bytes of the settings writes -------------------------------------

/// SET_AUTO_MODE byte from the general-parameters page.
struct AutoModeSettings {
    int resolutionIndex = 1; ///< RadioGroup 0 … 3
    bool averaging = true;   ///< cbCenter
    int speedIndex = 3;      ///< cbSpeedUart 0 … 6
    bool textFormat = false; ///< cbtextbinformat
    bool periodic = false;   ///< cbPeriod
    int versionH = 0;
    int versionL = 0;
};
quint8 buildAutoModeByte(const AutoModeSettings &s);

/// SET_REP_MODE (extended mode) byte.
struct RepModeSettings {
    bool freqOut = false;     ///< cbModeFreqOut, bit 0
    bool fullScale = false;   ///< SensorExt.ModeFSM, bit 1
    bool errMode = false;     ///< cbErrMode, bit 2
    bool hub = false;         ///< cbHUBonOff, bit 3
    int configPortIndex = 0;  ///< cbConfigPort, bit 4
    bool axisScaling = false; ///< SensorExt.MashtabAXLS, bit 5
    bool autoRef = false;     ///< FsmAutoRef, bit 6
    bool networkMode = false; ///< cbSetingProperty, bit 7
};
quint8 buildRepModeByte(const RepModeSettings &s);

/// SET_REP_MODE_3 byte: the third mode byte as last read, bit 0 set for 14 or
/// 16 bits, bit 6 set when the inclinometer output is off.
quint8 buildRepMode3Byte(quint8 repMode3, int resolutionIndex, bool inclinometerOutput);

} // namespace decode
