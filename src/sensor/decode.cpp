// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sensor/decode.h"

#include <cmath>
#include <cstring>

namespace decode {

namespace {

QString num(qint64 v)
{
    return QString::number(v);
}

QString zeroPadded(int v, int width)
{
    return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
}

/// ⌊v⌋ limited to an up-down's range; the limit is applied before the
/// conversion so that a huge value cannot overflow the integer.
int floorWithin(double v, int lo, int hi)
{
    if (!std::isfinite(v))
        return lo;
    const double f = std::floor(v);
    if (f < lo)
        return lo;
    if (f > hi)
        return hi;
    return int(f);
}

// An up-down position in hundredths from a single that holds a value of
// hundredths: 2.1 is stored as 2.0999999, which floors to 209 and would be
// written back as 2.09. The hundredth the sensor holds is the nearest one.
int hundredthsWithin(float v)
{
    return floorWithin(double(v) * 100 + 1e-3, 0, 9999);
}

// An up-down position in tenths from the azimuth single: 0.7 is stored as
// 0.69999999, which floors to 6 and would be written back as 0.6, so every
// read and write would lower the azimuth by a tenth. The position is the
// nearest tenth, halves away from zero, as "%5.1f" shows the value.
int tenthsWithin(float v, int lo, int hi)
{
    return floorWithin(std::round(double(v) * 10), lo, hi);
}

// Scale captions under the gauges, blanks placing the marks.
// clang-format off
constexpr const char *UserHScale = "-2.7%                             0%                                                                                        6.8%";
constexpr const char *StandardScale = "-20%                                                                                  0%                                     10%";
// clang-format on

} // namespace

// ---- Reply field access ----------------------------------------------------

int byteAt(const QByteArray &reply, int k)
{
    if (k < 1 || k > reply.size())
        return 0;
    return quint8(reply.at(k - 1));
}

int u16At(const QByteArray &reply, int k)
{
    return byteAt(reply, k) | (byteAt(reply, k + 1) << 8);
}

int s16At(const QByteArray &reply, int k)
{
    return qint16(quint16(u16At(reply, k)));
}

float floatAt(const QByteArray &reply, int k, bool *invalid)
{
    const quint32 bits = quint32(byteAt(reply, k)) | (quint32(byteAt(reply, k + 1)) << 8) |
                         (quint32(byteAt(reply, k + 2)) << 16) |
                         (quint32(byteAt(reply, k + 3)) << 24);
    float f;
    static_assert(sizeof f == sizeof bits, "IEEE 754 single");
    std::memcpy(&f, &bits, sizeof f);
    const bool bad = !std::isfinite(f);
    if (invalid)
        *invalid = bad;
    return bad ? 0.0f : f;
}

// ---- Bit-string helpers ----------------------------------------------------

qint64 degree(int n)
{
    if (n <= 0)
        return 1;
    if (n > 62)
        n = 62;
    return qint64(1) << n;
}

QString IntToBinInside(qint64 x)
{
    QString s(29, QLatin1Char('0'));
    for (int i = 0; i < 29; ++i)
        if (x >= 0 && ((x >> i) & 1))
            s[i] = QLatin1Char('1');
    return s;
}

qint64 BinToInt(const QString &s)
{
    qint64 v = 0;
    const int n = int(qMin<qsizetype>(s.size(), 30));
    for (int i = 0; i < n; ++i)
        if (s.at(i) == QLatin1Char('1'))
            v += degree(i);
    return v;
}

// ---- Identity ---------------------------------------------------------------

ReadSNResult ReadSN(const QByteArray &reply, const SensorState &state)
{
    const TParamKV &sp = state.SensorParam;
    const TParametrSDA &ext = state.SensorExt;
    ReadSNResult r;

    const int cmd = byteAt(reply, 3);
    if (cmd == 0x41 || cmd == 0x42) {
        r.passportDecoded = true;
        r.year = byteAt(reply, 4);
        r.month = qMin(byteAt(reply, 5), 11);
        r.day = qMin(byteAt(reply, 6), 30);
        r.serial = byteAt(reply, 7) | (byteAt(reply, 8) << 8) | (byteAt(reply, 9) << 16);
        r.serialChanged = r.serial != state.LastSerial;
        r.meSN = zeroPadded(qMin(r.serial, 999999), 6);
        // Counted in days from the first of the month, so 31 February runs on
        // into March as the sensor's date arithmetic does.
        r.manufactureDate = QDate(2000 + r.year, r.month + 1, 1).addDays(r.day);
    }

    const int v = byteAt(reply, 11);
    r.versionValid = v != 0xFF;
    if (r.versionValid) {
        r.versionH = v >> 4;
        r.versionL = v & 0x0F;
        r.edVersionPo = QStringLiteral("v.%1.%2").arg(r.versionH).arg(r.versionL);
    } else {
        r.versionH = sp.Version_H;
        r.versionL = sp.Version_L;
        r.edVersionPo = QStringLiteral("Error");
    }
    const int H = r.versionH;
    const int L = r.versionL;
    r.controls = ConfigurationForVersion(H, L);

    r.modelCode = byteAt(reply, 10);
    r.edType = ModelName(r.modelCode);
    r.fullFeatureModel = isFullFeatureModel(r.modelCode);

    switch (H) {
    case 1:
        r.pageOrder = {"TabSheet3", "TabSheet1", "TabSheet2", "TabSheet4"};
        break;
    case 4:
        r.pageOrder = {"TabSheet3", "TabSheet1", "TabSheet4"};
        break;
    case 5:
        if (r.fullFeatureModel)
            r.pageOrder = {"TabSheet3", "TabSheet1", "TabSheet2", "TabSheet5", "TabSheet4"};
        else
            r.pageOrder = {"TabSheet3", "TabSheet1", "TabSheet5", "TabSheet4"};
        break;
    case 8:
        r.pageOrder = {"TabSheet3", "TabSheet1", "TabSheet6", "TabSheet7", "TabSheet4"};
        break;
    default:
        break;
    }

    r.wideResolution = H == 8 && L > 2;
    if (r.wideResolution) {
        r.radioGroupColumns = 2;
        r.radioGroupItems = {QStringLiteral("10 бит"), QStringLiteral("12 бит"),
                             QStringLiteral("14 бит"), QStringLiteral("16 бит")};
    } else {
        r.radioGroupColumns = 1;
        r.radioGroupItems = {QStringLiteral("10 бит"), QStringLiteral("12 бит")};
    }
    r.radioGroupIndex = ext.RadioGrupIndex2;
    // After a firmware-8.3 sensor at 14 or 16 bits, a sensor with two choices
    // would be left on an item it does not have; show its own 10/12-bit choice.
    if (r.radioGroupIndex < 0 || r.radioGroupIndex >= r.radioGroupItems.size())
        r.radioGroupIndex = qBound(0, ext.RadioGrupIndex, 1);

    WindowControls group;
    if (r.fullFeatureModel) {
        // The two-address note as the version rule has it (firmware 8 below
        // minor 3), and hidden where the rule says nothing, so a note left by
        // the sensor before does not stay.
        group.twoAddressNoteVisible = H == 8 && L < 3;
        r.restrictedCommands = false;
        r.calibrationControlsVisible = true;
        r.groupBox4Height = 186;
        r.groupBox100Height = 65;
        r.label46Top = 14;
        r.groupBox14Top = 8;
    } else {
        if (isDualAddressModel(r.modelCode)) {
            if (H == 8 && L < 3)
                group.twoAddressNoteVisible = true;
            group.portAssignmentEnabled = hasPortAssignment(r.modelCode);
        } else {
            group.twoAddressNoteVisible = false;
        }
        r.restrictedCommands = true;
        r.calibrationControlsVisible = false;
        r.groupBox4Height = 49;
        r.groupBox100Height = 37;
        r.label46Top = 0;
        r.groupBox14Top = 0;
        r.tabsToHide << QString::fromLatin1("TabSheet2");
    }
    r.controls.overrideWith(group);
    r.bbDublTarirovanieVisible = false;
    r.mainWindowHeight = 590;

    r.sensorChanged = r.edVersionPo != sp.Version || r.edType != sp.Model;
    // The first identification after start is no change of sensor for the
    // protocol: one named on the command line stays open.
    const bool firstIdentification = sp.Version.isEmpty() && sp.Model.isEmpty();
    r.clearProtocolFile = r.sensorChanged && !firstIdentification;
    if (r.sensorChanged)
        for (const char *tab : SensorChangeHiddenTabs)
            r.tabsToHide << QString::fromLatin1(tab);
    return r;
}

void ReadSNResult::applyTo(SensorState &state) const
{
    TParamKV &sp = state.SensorParam;
    TParametrSDA &ext = state.SensorExt;
    if (passportDecoded) {
        ext.Date_Year_Manufact = year;
        ext.Date_month_Manufact = month;
        ext.Date_Day_Manufact = day;
        ext.SN_DA = serial;
        if (serialChanged)
            state.LastSerial = serial;
        sp.ManYear = 2000 + year;
        sp.ManMonth = month;
        sp.ManDay = day;
        sp.SN = qMin(serial, 999999);
    }
    if (versionValid) {
        sp.Version_H = versionH;
        sp.Version_L = versionL;
        ext.Version_DA_Up = versionH;
        ext.Version_DA_Down = versionL;
    }
    sp.IntModel = modelCode;
    ext.RadioGrupIndex2 = radioGroupIndex;
    sp.Version = edVersionPo;
    sp.Model = edType;
}

ConnectResult Connect(const QByteArray &reply, const SensorState &state)
{
    ConnectResult r;
    r.address = byteAt(reply, 18);

    const int mode = byteAt(reply, 21);
    r.modeReported = mode != 0xFF;
    if (r.modeReported) {
        r.centre = !(mode & 0x40); // the bit means averaging off
        r.textFormat = mode & 0x02;
        r.periodic = mode & 0x01;
        const int c = (mode >> 2) & 0x07;
        r.speedIndex = c == 0 ? 3 : c - 1;
        r.twelveBit = mode & 0x80;
        r.cbNdateCaption = r.twelveBit ? QStringLiteral("N - 12-ти разрядное")
                                       : QStringLiteral("N - 10-ти разрядное");
        r.digitData = r.twelveBit ? QStringLiteral("12") : QStringLiteral("10");
        r.radioGrupIndex = r.twelveBit ? 1 : 0;
        // Only a reported mode byte says which resolution the sensor uses;
        // firmware 8.3 takes it from the third mode byte instead.
        const TParamKV &sp = state.SensorParam;
        if (sp.Version_H < 8 || sp.Version_L < 3)
            r.radioGrupIndex2 = r.radioGrupIndex;
    }

    r.periodPosition = byteAt(reply, 20) + 1;
    r.edPeriod = num(r.periodPosition);
    return r;
}

void ConnectResult::applyTo(SensorState &state) const
{
    state.SensorParam.NETADDR = address;
    if (modeReported) {
        state.SensorParam.Centre = centre;
        state.SensorParam.FormatDate = textFormat;
        state.SensorParam.SetPeriodDate = periodic;
        state.SensorParam.DigitData = digitData;
        state.SensorExt.RadioGrupIndex = radioGrupIndex;
    }
    if (radioGrupIndex2)
        state.SensorExt.RadioGrupIndex2 = *radioGrupIndex2;
}

// ---- Live data --------------------------------------------------------------

CapacitanceRegime capacitanceRegime(int probeClassIndex)
{
    if (probeClassIndex == 6)
        return {1600, 58400, 200, 5600};
    return {10000, 50000, 1000, 15000};
}

GaugeLayout gaugeLayout(int probeClassIndex, int C)
{
    GaugeLayout gl{};
    if (probeClassIndex == 6) {
        gl.gauge1Width = 107;
        gl.gauge1Max = 1600;
        gl.gauge2Width = 289;
        gl.gauge2Left = 125;
        gl.gauge2Max = 4000;
        gl.lbRuhProcLeft = 110;
        gl.label4 = QString::fromLatin1(UserHScale);
        gl.trackBar1Max = 26;
        gl.gauge2Progress = C - 1600;
    } else {
        gl.gauge1Width = 264;
        gl.gauge1Max = 10000;
        gl.gauge2Width = 132;
        gl.gauge2Left = 282;
        gl.gauge2Max = 5000;
        gl.lbRuhProcLeft = 262;
        gl.label4 = QString::fromLatin1(StandardScale);
        gl.trackBar1Max = 12;
        gl.gauge2Progress = C - 10000;
    }
    // The gauges clamp their progress; done here so applying is a plain copy.
    gl.gauge1Progress = qBound(0, C, gl.gauge1Max);
    gl.gauge2Progress = qBound(0, gl.gauge2Progress, gl.gauge2Max);
    return gl;
}

ReadDataResult ReadData(const QByteArray &reply, bool crcErrorOnEntry, int probeClassIndex,
                        const NumberFormat &fmt)
{
    ReadDataResult r;
    if (crcErrorOnEntry) {
        r.skipped = true;
        r.crcError = true;
        return r;
    }

    const int b4 = byteAt(reply, 4);
    const int m = int(BinToInt(IntToBinInside(b4).left(7)));
    if (!(b4 & 0x80)) {
        r.temperature = m;
        r.lbT = QStringLiteral("t=+%1*C").arg(m);
        r.edTetmo1 = QStringLiteral("+%1").arg(m);
        r.upDown2 = m;
    } else {
        const int t = 128 - m;
        r.temperature = -t;
        r.lbT = QStringLiteral("-%1").arg(t);
        r.edTetmo1 = QStringLiteral("-%1").arg(t);
        r.upDown2 = -t;
    }

    r.levelCode = u16At(reply, 5);
    r.lbN = QStringLiteral("N = %1").arg(r.levelCode);
    r.edN = num(r.levelCode);

    const int C = u16At(reply, 7);
    r.capacitance = C;
    // Data that did not come from a live-data reply marks the error, so the
    // zero search skips its step.
    if (byteAt(reply, 3) == 0x06)
        r.calMeasuredC = C;
    else
        r.crcError = true;
    r.edCCod = num(C);

    const CapacitanceRegime g = capacitanceRegime(probeClassIndex);
    if (C < g.zero) {
        const int d = g.zero - C;
        const QString p = fmt.format("%2.2f", double(d) / g.span * 100);
        r.lbC = QStringLiteral("C = -%1").arg(d);
        r.lbProc = QStringLiteral("-%1%").arg(p);
        r.lbRuhProc = QStringLiteral("-%1%").arg(p);
        r.edCProc = QStringLiteral("-") + p;
        r.edC = QStringLiteral("-%1").arg(d);
        r.ruhProcNormalColour = C > g.lowWarning;
        r.ruhProcBlink = C < g.lowWarning;
    } else {
        const int d = C - g.zero;
        const QString p = fmt.format("%2.2f", double(d) / g.span * 100);
        r.lbC = QStringLiteral("C = %1").arg(d);
        r.lbProc = p + QStringLiteral("%");
        r.lbRuhProc = QStringLiteral("+%1%").arg(p);
        r.edCProc = p;
        r.edC = num(d);
        r.ruhProcNormalColour = C < g.highWarning;
        r.ruhProcBlink = C > g.highWarning;
    }

    r.edFreq = frequencyFromCode(C);

    r.gauges = gaugeLayout(probeClassIndex, C);
    return r;
}

void ReadDataResult::applyTo(SensorState &state) const
{
    if (skipped)
        return;
    state.SensorParam.Val_N = levelCode;
    state.SensorParam.Val_C = capacitance;
}

// ---- Extended parameters ---------------------------------------------------

ReadCAPSETResult ReadCAPSET(const QByteArray &reply)
{
    ReadCAPSETResult r;
    r.capdac = byteAt(reply, 12);
    r.meCAPDAC = zeroPadded(r.capdac, 2);
    r.capoff = u16At(reply, 14);
    r.meCAPOFF = zeroPadded(r.capoff, 5);
    return r;
}

READCALDATAResult READCALDATA(const QByteArray &reply, const NumberFormat &fmt)
{
    READCALDATAResult r;
    r.RefZL_CAPDAC = byteAt(reply, 4);
    r.RefZL_CAPOFF = u16At(reply, 5);
    r.RefZL_C = u16At(reply, 7);
    r.zeroCode = u16At(reply, 9);
    r.edRefNull = fmt.format("%2.3f", 8.192 - (r.RefZL_C - r.zeroCode) * 0.00025);
    r.edRefZLHint = QStringLiteral("CAPDAC=%1\rCAPOFF=%2").arg(r.RefZL_CAPDAC).arg(r.RefZL_CAPOFF);
    r.RefT = byteAt(reply, 11);
    r.edRefT = num(r.RefT);
    return r;
}

void READCALDATAResult::applyTo(SensorState &state) const
{
    state.RefZL_CAPDAC = RefZL_CAPDAC;
    state.RefZL_CAPOFF = RefZL_CAPOFF;
    state.RefZL_C = RefZL_C;
    state.RefT = RefT;
}

ReadSounLenResult ReadSounLen(const QByteArray &reply, const TextLookup &text)
{
    ReadSounLenResult r;
    r.code = byteAt(reply, 4);
    r.cbFleshIndex = probeClassIndex(r.code);
    const std::optional<QString> t = probeRangeText(r.code);
    if (t)
        r.SondLen = *t;
    else
        r.SondLen = text ? text(Txt::NotAvailable) : QString();
    return r;
}

void ReadSounLenResult::applyTo(SensorState &state) const
{
    state.SensorParam.SondLen = SondLen;
}

ReadExtParamResult ReadExtParam(const QByteArray &reply)
{
    ReadExtParamResult r;
    const int board = byteAt(reply, 4);
    r.TypeCard = (board & 0x01) ? QStringLiteral("RS232") : QStringLiteral("RS485");
    r.NamberRev = (board >> 1) & 0x07;

    const int mode = byteAt(reply, 5);
    r.ModeFreqOut = mode & 0x01;
    r.ModeFSM = mode & 0x02;
    r.CurMode = mode & 0x04;
    r.hubOn = mode & 0x08;
    r.configPortIndex = (mode & 0x10) ? 1 : 0;
    r.MashtabAXLS = mode & 0x20;
    r.autoRef = mode & 0x40;
    r.ModeSeting = mode & 0x80;

    r.FSMOffset = u16At(reply, 6);
    r.FSMScale = u16At(reply, 8);
    r.CPUTmp = qint8(quint8(byteAt(reply, 10)));
    r.AvrgTime = byteAt(reply, 11);
    r.spinEdit1 = qBound(0, r.AvrgTime, 128);
    return r;
}

void ReadExtParamResult::applyTo(SensorState &state) const
{
    TParametrSDA &ext = state.SensorExt;
    ext.TypeCard = TypeCard;
    ext.NamberRev = quint8(NamberRev);
    ext.ModeFreqOut = ModeFreqOut;
    ext.ModeFSM = ModeFSM;
    ext.CurMode = CurMode;
    ext.MashtabAXLS = MashtabAXLS;
    ext.ModeSeting = ModeSeting;
    ext.FSMOffset = FSMOffset;
    ext.FSMScale = FSMScale;
    ext.CPUTmp = CPUTmp;
    ext.AvrgTime = AvrgTime;
    state.FsmAutoRef = autoRef;
}

OutputScaleEditors outputScaleEditors(const SensorState &state)
{
    const TParametrSDA &ext = state.SensorExt;
    const int M = state.SensorParam.DigitData == QLatin1String("12") ? 4095 : 1023;
    OutputScaleEditors e{};
    e.seUpVal = ext.FSMOffset;
    e.seDownVal = ext.FSMScale;
    e.seFSMOffset = ext.FSMOffset;
    e.seFSMScale = ext.FSMScale;
    e.seUpNCode = int(std::floor(e.seUpVal / 65535.0 * M));
    e.seUpInterRest = int(std::floor(e.seUpVal / 65535.0 * 100));
    e.seUpFreq = frequencyFromCode(e.seUpVal);
    e.seDownNCode = int(std::floor(e.seDownVal / 65535.0 * M));
    e.seDownInterRest = int(std::floor(e.seDownVal / 65535.0 * 100));
    e.seDownFreq = frequencyFromCode(e.seDownVal);
    e.scaleButtonsDown = ext.ModeFSM;
    if (ext.ModeFSM) {
        e.sbFullTanckCaption = num(ext.FSMScale);
        e.sbZeroTanckCaption = num(ext.FSMOffset);
    }
    return e;
}

ReadFSMCalcParamResult ReadFSMCalcParam(const QByteArray &reply, int currentItem,
                                        const NumberFormat &fmt)
{
    ReadFSMCalcParamResult r;
    r.mode = byteAt(reply, 4);
    if (r.mode <= FsmCoefHigh)
        r.calcModeItem = r.mode;

    r.permix = floatAt(reply, 5, &r.permixInvalid);
    r.udPermix = hundredthsWithin(r.permix);
    r.mePermix = fmt.format("%5.2f", r.permix);

    for (int i = 0; i <= FsmCoefHigh; ++i) {
        bool bad = false;
        r.coef[size_t(i)] = floatAt(reply, 9 + 4 * i, &bad);
        r.coefInvalid[size_t(i)] = bad;
    }

    const int j = r.calcModeItem ? *r.calcModeItem : currentItem;
    if (j >= 0 && j <= FsmCoefHigh) {
        const float c = r.coef[size_t(j)];
        r.udZeroLen = hundredthsWithin(c);
        r.meZeroLen = fmt.format("%7.4f", c);
    }
    return r;
}

bool ReadFSMCalcParamResult::anyInvalid() const
{
    if (permixInvalid)
        return true;
    for (bool b : coefInvalid)
        if (b)
            return true;
    return false;
}

void ReadFSMCalcParamResult::applyTo(SensorState &state) const
{
    state.FsmCalcMode = mode;
    state.FsmPermix = permix;
    state.FsmCoef = coef;
}

ReadAxisKResult ReadAxisK(const QByteArray &reply)
{
    ReadAxisKResult r;
    for (int i = 0; i < 3; ++i) {
        bool bad = false;
        r.axisK[size_t(i)] = floatAt(reply, 4 + 4 * i, &bad);
        r.invalid = r.invalid || bad;
    }
    return r;
}

void ReadAxisKResult::applyTo(SensorState &state) const
{
    state.InclState.AxisK1 = axisK[0];
    state.InclState.AxisK2 = axisK[1];
    state.InclState.AxisK3 = axisK[2];
}

quint8 WriteFullTanck(const TParametrSDA &ext)
{
    quint8 b = 0;
    if (ext.ModeFreqOut)
        b |= 0x01;
    if (ext.ModeFSM)
        b |= 0x02;
    if (ext.CurMode)
        b |= 0x04;
    if (ext.ModeSeting)
        b |= 0x80;
    return b;
}

// ---- Inclinometer ----------------------------------------------------------

ReadAzimuthResult ReadAzimuth(const QByteArray &reply, const NumberFormat &fmt)
{
    ReadAzimuthResult r;
    r.azimuth = floatAt(reply, 4, &r.invalid);
    r.meAzz = fmt.format("%5.1f", r.azimuth);
    r.udAzz = tenthsWithin(r.azimuth, 0, 3600);
    return r;
}

void ReadAzimuthResult::applyTo(SensorState &state) const
{
    state.InclState.Azimuth = azimuth;
}

ReadInclinometerDataResult ReadInclinometerData(const QByteArray &reply, const NumberFormat &fmt)
{
    ReadInclinometerDataResult r;
    r.tiltX = s16At(reply, 4);
    r.tiltY = s16At(reply, 6);
    r.label92 = fmt.format("%5.2f", r.tiltX / 256.0);
    r.label93 = fmt.format("%5.2f", r.tiltY / 256.0);
    return r;
}

void ReadInclinometerDataResult::applyTo(SensorState &state) const
{
    state.InclState.TiltX = tiltX;
    state.InclState.TiltY = tiltY;
}

ReadREPMODE3Result ReadREPMODE3(const QByteArray &reply, const SensorState &state)
{
    ReadREPMODE3Result r;
    r.repMode3 = quint8(byteAt(reply, 4));
    const int low = qBound(0, state.SensorExt.RadioGrupIndex, 1);
    if (r.repMode3 & 0x01) {
        r.radioGroupIndex = low + 2;
        r.digitData = low == 0 ? QStringLiteral("14") : QStringLiteral("16");
    } else {
        r.radioGroupIndex = low;
        r.digitData = low == 0 ? QStringLiteral("10") : QStringLiteral("12");
    }
    r.modeInclTicked = !(r.repMode3 & 0x40);
    r.inclAddressEnabled = r.modeInclTicked;
    return r;
}

void ReadREPMODE3Result::applyTo(SensorState &state) const
{
    state.SensorExt.RepMode3 = repMode3;
    state.SensorParam.DigitData = digitData;
    state.SensorExt.RadioGrupIndex2 = radioGroupIndex;
}

ReadINCLLANADRResult ReadINCLLANADR(const QByteArray &reply)
{
    ReadINCLLANADRResult r;
    r.address = byteAt(reply, 4);
    r.itemIndex = r.address <= 254 ? r.address : -1;
    return r;
}

// ---- Mode bytes ------------------------------------------------------------

quint8 buildAutoModeByte(const AutoModeSettings &s)
{
    quint8 b = 0;
    if (s.resolutionIndex == 1 || s.resolutionIndex == 3)
        b |= 0x80;
    // Firmware 1.x and 4.x before minor 10 has no averaging switch.
    const bool noAveragingBit = (s.versionH == 1 || s.versionH == 4) && s.versionL < 10;
    if (!s.averaging && !noAveragingBit)
        b |= 0x40;
    b |= quint8(((s.speedIndex + 1) & 0x07) << 2);
    if (s.textFormat)
        b |= 0x02;
    if (s.periodic)
        b |= 0x01;
    return b;
}

quint8 buildRepModeByte(const RepModeSettings &s)
{
    quint8 b = 0;
    if (s.freqOut)
        b |= 0x01;
    if (s.fullScale)
        b |= 0x02;
    if (s.errMode)
        b |= 0x04;
    if (s.hub)
        b |= 0x08;
    if (s.configPortIndex == 1)
        b |= 0x10;
    if (s.axisScaling)
        b |= 0x20;
    if (s.autoRef)
        b |= 0x40;
    if (s.networkMode)
        b |= 0x80;
    return b;
}

quint8 buildRepMode3Byte(quint8 repMode3, int resolutionIndex, bool inclinometerOutput)
{
    quint8 b = repMode3 & quint8(~0x41);
    if (resolutionIndex == 2 || resolutionIndex == 3)
        b |= 0x01;
    if (!inclinometerOutput)
        b |= 0x40;
    return b;
}

} // namespace decode
