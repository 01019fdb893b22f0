// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Calibration settings, extended parameters, output-scale parameters and the
// inclinometer replies; the extended and third mode bytes the tool sends.

#include "replies.h"
#include "sensor/decode.h"

#include <QtTest>
#include <limits>

using namespace decode;

namespace {

constexpr quint8 READ_PARAM = 0x41;
constexpr quint8 READ_SOND_LEN = 0x4D;
constexpr quint8 READ_CAL_DATA = 0x51;
constexpr quint8 GET_EXT_PARAM = 0x60;
constexpr quint8 GET_AXIS_K = 0x67;
constexpr quint8 GET_FSM_CALC_PARAM = 0x70;
constexpr quint8 GET_AZIMUTH = 0x72;
constexpr quint8 GET_INCLINOMETER_DATA = 0x74;
constexpr quint8 GET_REP_MODE_3 = 0x7B;
constexpr quint8 GET_INCL_LAN_ADR = 0x85;

const NumberFormat Comma(QLatin1Char(','));

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

/// A GET_FSM_CALC_PARAM reply with mode m, permix p and coefficient i = i / 4.
QByteArray calcParam(int mode, float permix)
{
    QByteArray r = replyWith(GET_FSM_CALC_PARAM, {{4, mode}});
    putFloat(r, 5, permix);
    for (int i = 0; i <= FsmCoefHigh; ++i)
        putFloat(r, 9 + 4 * i, i / 4.0f);
    return r;
}

QString naLookup(int k, bool russian)
{
    if (k != Txt::NotAvailable)
        return QStringLiteral("?");
    return russian ? QStringLiteral("н.д.") : QStringLiteral("n/a");
}

} // namespace

class TestExtendedDecode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void capacitanceSettings_data();
    void capacitanceSettings();
    void storedReference_data();
    void storedReference();
    void probeRange_data();
    void probeRange();
    void extParamBoardAndTemperature_data();
    void extParamBoardAndTemperature();
    void extParamModeByte_data();
    void extParamModeByte();
    void outputScaleEditors_data();
    void outputScaleEditors();
    void calcParamPermix_data();
    void calcParamPermix();
    void calcParamModeOutOfRange();
    void invalidFloatsDecodeAsZero();
    void writeFullTanck_data();
    void writeFullTanck();
    void azimuth_data();
    void azimuth();
    void tilts_data();
    void tilts();
    void thirdModeByte_data();
    void thirdModeByte();
    void inclinometerAddress_data();
    void inclinometerAddress();
    void modeBytesSent();
};

void TestExtendedDecode::capacitanceSettings_data()
{
    QTest::addColumn<int>("capdac");
    QTest::addColumn<int>("lo");
    QTest::addColumn<int>("hi");
    QTest::addColumn<QString>("meCAPDAC");
    QTest::addColumn<QString>("meCAPOFF");

    QTest::newRow("7 and 12345") << 7 << 0x39 << 0x30 << "07"
                                 << "12345";
    QTest::newRow("63 and 7") << 63 << 0x07 << 0x00 << "63"
                              << "00007";
    QTest::newRow("0 and 65535") << 0 << 0xFF << 0xFF << "00"
                                 << "65535";
}

void TestExtendedDecode::capacitanceSettings()
{
    QFETCH(int, capdac);
    QFETCH(int, lo);
    QFETCH(int, hi);
    QFETCH(QString, meCAPDAC);
    QFETCH(QString, meCAPOFF);

    const ReadCAPSETResult r =
        ReadCAPSET(replyWith(READ_PARAM, {{12, capdac}, {14, lo}, {15, hi}}));
    QCOMPARE(r.meCAPDAC, meCAPDAC);
    QCOMPARE(r.meCAPOFF, meCAPOFF);
    QCOMPARE(r.capoff, lo | (hi << 8));
}

void TestExtendedDecode::storedReference_data()
{
    QTest::addColumn<int>("refC");
    QTest::addColumn<int>("zero");
    QTest::addColumn<QString>("edRefNull");

    QTest::newRow("equal") << 30000 << 30000 << "8,192";
    QTest::newRow("4000 above zero") << 34000 << 30000 << "7,192";
    QTest::newRow("below zero") << 26000 << 30000 << "9,192";
}

void TestExtendedDecode::storedReference()
{
    QFETCH(int, refC);
    QFETCH(int, zero);
    QFETCH(QString, edRefNull);

    SensorState s;
    const READCALDATAResult r = READCALDATA(replyWith(READ_CAL_DATA, {{4, 12},
                                                                      {5, 0x2C},
                                                                      {6, 0x01},
                                                                      {7, refC & 0xFF},
                                                                      {8, refC >> 8},
                                                                      {9, zero & 0xFF},
                                                                      {10, zero >> 8},
                                                                      {11, 0xE2}}),
                                            Comma);
    QCOMPARE(r.edRefNull, edRefNull);
    QCOMPARE(r.edRefZLHint, QStringLiteral("CAPDAC=12\rCAPOFF=300"));
    QCOMPARE(r.edRefT, QStringLiteral("226")); // the reference temperature is unsigned
    r.applyTo(s);
    QCOMPARE(s.RefZL_CAPDAC, 12);
    QCOMPARE(s.RefZL_CAPOFF, 300);
    QCOMPARE(s.RefZL_C, refC);
    QCOMPARE(s.RefT, 226);
}

void TestExtendedDecode::probeRange_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("russian");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("sondLen");

    QTest::newRow("1 user H") << 1 << true << 6 << "H";
    QTest::newRow("0 user L") << 0 << true << 7 << "L";
    QTest::newRow("7 is 710") << 7 << false << 0 << "710";
    QTest::newRow("2 is 260") << 2 << false << 5 << "260";
    QTest::newRow("9 Russian") << 9 << true << -1 << "н.д.";
    QTest::newRow("9 English") << 9 << false << -1 << "n/a";
    QTest::newRow("255 English") << 255 << false << -1 << "n/a";
}

void TestExtendedDecode::probeRange()
{
    QFETCH(int, code);
    QFETCH(bool, russian);
    QFETCH(int, item);
    QFETCH(QString, sondLen);

    SensorState s;
    const ReadSounLenResult r = ReadSounLen(replyWith(READ_SOND_LEN, {{4, code}}),
                                            [&](int k) { return naLookup(k, russian); });
    QCOMPARE(r.cbFleshIndex, item);
    QCOMPARE(r.SondLen, sondLen);
    r.applyTo(s);
    QCOMPARE(s.SensorParam.SondLen, sondLen);
}

void TestExtendedDecode::extParamBoardAndTemperature_data()
{
    QTest::addColumn<int>("board");
    QTest::addColumn<int>("cpu");
    QTest::addColumn<int>("avrg");
    QTest::addColumn<QString>("typeCard");
    QTest::addColumn<int>("revision");
    QTest::addColumn<int>("cpuTmp");
    QTest::addColumn<int>("spinEdit1");

    QTest::newRow("0x0B, 0xE2") << 0x0B << 0xE2 << 8 << "RS232" << 5 << -30 << 8;
    QTest::newRow("0x0E, 0x19") << 0x0E << 0x19 << 128 << "RS485" << 7 << 25 << 128;
    QTest::newRow("0xF0, 0x80, 200 s") << 0xF0 << 0x80 << 200 << "RS485" << 0 << -128 << 128;
}

void TestExtendedDecode::extParamBoardAndTemperature()
{
    QFETCH(int, board);
    QFETCH(int, cpu);
    QFETCH(int, avrg);
    QFETCH(QString, typeCard);
    QFETCH(int, revision);
    QFETCH(int, cpuTmp);
    QFETCH(int, spinEdit1);

    SensorState s;
    const ReadExtParamResult r = ReadExtParam(
        replyWith(GET_EXT_PARAM,
                  {{4, board}, {6, 0x10}, {7, 0x27}, {8, 0xFF}, {9, 0xFF}, {10, cpu}, {11, avrg}}));
    QCOMPARE(r.TypeCard, typeCard);
    QCOMPARE(r.NamberRev, revision);
    QCOMPARE(r.CPUTmp, cpuTmp);
    QCOMPARE(r.spinEdit1, spinEdit1);
    r.applyTo(s);
    QCOMPARE(s.SensorExt.TypeCard, typeCard);
    QCOMPARE(int(s.SensorExt.NamberRev), revision);
    QCOMPARE(s.SensorExt.CPUTmp, cpuTmp);
    QCOMPARE(s.SensorExt.AvrgTime, avrg);
    QCOMPARE(s.SensorExt.FSMOffset, 10000);
    QCOMPARE(s.SensorExt.FSMScale, 65535);
}

void TestExtendedDecode::extParamModeByte_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("flags"); // freq fsm err hub port axis auto net

    QTest::newRow("0x42") << 0x42 << "01000010";
    QTest::newRow("0x9D") << 0x9D << "10111001";
    QTest::newRow("0x20") << 0x20 << "00000100";
    QTest::newRow("0x01 frequency output alone") << 0x01 << "10000000";
    QTest::newRow("0x80 network mode alone") << 0x80 << "00000001";
}

void TestExtendedDecode::extParamModeByte()
{
    QFETCH(int, mode);
    QFETCH(QString, flags);

    SensorState s;
    const ReadExtParamResult r = ReadExtParam(replyWith(GET_EXT_PARAM, {{5, mode}}));
    const bool bits[] = {r.ModeFreqOut,          r.ModeFSM,     r.CurMode, r.hubOn,
                         r.configPortIndex == 1, r.MashtabAXLS, r.autoRef, r.ModeSeting};
    QString got;
    for (bool b : bits)
        got += b ? '1' : '0';
    QCOMPARE(got, flags);
    r.applyTo(s);
    QCOMPARE(s.FsmAutoRef, r.autoRef);
    QCOMPARE(s.SensorExt.ModeFSM, r.ModeFSM);
    QCOMPARE(s.SensorExt.ModeSeting, r.ModeSeting);

    // The extended mode byte sent back from the same settings is the byte read.
    RepModeSettings w;
    w.freqOut = r.ModeFreqOut;
    w.fullScale = r.ModeFSM;
    w.errMode = r.CurMode;
    w.hub = r.hubOn;
    w.configPortIndex = r.configPortIndex;
    w.axisScaling = r.MashtabAXLS;
    w.autoRef = r.autoRef;
    w.networkMode = r.ModeSeting;
    QCOMPARE(int(buildRepModeByte(w)), mode);
}

void TestExtendedDecode::outputScaleEditors_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("nCode");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("freq");

    QTest::newRow("12 bits full") << "12" << 65535 << 4095 << 100 << 1500;
    QTest::newRow("10 bits full") << "10" << 65535 << 1023 << 100 << 1500;
    QTest::newRow("16 bits uses 1023") << "16" << 32768 << 511 << 50 << 1000;
}

void TestExtendedDecode::outputScaleEditors()
{
    QFETCH(QString, digits);
    QFETCH(int, scale);
    QFETCH(int, nCode);
    QFETCH(int, percent);
    QFETCH(int, freq);

    SensorState s;
    s.SensorParam.DigitData = digits;
    s.SensorExt.FSMScale = scale;
    s.SensorExt.FSMOffset = 0;
    s.SensorExt.ModeFSM = true;
    const OutputScaleEditors e = decode::outputScaleEditors(s);
    QCOMPARE(e.seDownVal, scale);
    QCOMPARE(e.seDownNCode, nCode);
    QCOMPARE(e.seDownInterRest, percent);
    QCOMPARE(e.seDownFreq, freq);
    QCOMPARE(e.seUpFreq, 500);
    QVERIFY(e.scaleButtonsDown);
    QCOMPARE(e.sbFullTanckCaption, QString::number(scale));
    QCOMPARE(e.sbZeroTanckCaption, QStringLiteral("0"));

    // The start of the scale at the same code gives the same editors.
    s.SensorExt.FSMOffset = scale;
    s.SensorExt.FSMScale = 0;
    const OutputScaleEditors up = decode::outputScaleEditors(s);
    QCOMPARE(up.seUpVal, scale);
    QCOMPARE(up.seUpNCode, nCode);
    QCOMPARE(up.seUpInterRest, percent);
    QCOMPARE(up.seUpFreq, freq);
    QCOMPARE(up.seDownFreq, 500);
}

void TestExtendedDecode::calcParamPermix_data()
{
    QTest::addColumn<float>("permix");
    QTest::addColumn<int>("udPermix");
    QTest::addColumn<QString>("mePermix");

    QTest::newRow("1.5") << 1.5f << 150 << " 1,50";
    // 2.1 as a single is 2.0999999: the up-down holds 210, not 209, so the
    // value is written back unchanged.
    QTest::newRow("2.1 stays 210") << 2.1f << 210 << " 2,10";
    QTest::newRow("negative stays at the up-down's minimum") << -2.0f << 0 << "-2,00";
    QTest::newRow("huge stays at the maximum") << 1e30f << 9999 << QString();
}

void TestExtendedDecode::calcParamPermix()
{
    QFETCH(float, permix);
    QFETCH(int, udPermix);
    QFETCH(QString, mePermix);

    QByteArray reply = calcParam(2, permix);
    if (permix == 1.5f) // the bytes the sensor sends for 1.5
        QCOMPARE(reply.mid(4, 4), QByteArray::fromHex("0000c03f"));
    SensorState s;
    const ReadFSMCalcParamResult r = ReadFSMCalcParam(reply, -1, Comma);
    QCOMPARE(r.udPermix, udPermix);
    if (!mePermix.isEmpty())
        QCOMPARE(r.mePermix, mePermix);
    QCOMPARE(r.calcModeItem, std::optional<int>(2));
    QCOMPARE(r.udZeroLen, std::optional<int>(50));
    QCOMPARE(r.meZeroLen, QStringLiteral(" 0,5000"));
    QVERIFY(!r.anyInvalid());
    r.applyTo(s);
    QCOMPARE(s.FsmCalcMode, 2);
    QCOMPARE(s.FsmPermix, permix);
    QCOMPARE(s.FsmCoef[7], 1.75f);
}

void TestExtendedDecode::calcParamModeOutOfRange()
{
    SensorState s;
    // The list keeps its selection; the zero-length editors follow that item.
    const ReadFSMCalcParamResult kept = ReadFSMCalcParam(calcParam(200, 1.0f), 3, Comma);
    QVERIFY(!kept.calcModeItem);
    QCOMPARE(kept.udZeroLen, std::optional<int>(75));
    kept.applyTo(s);
    QCOMPARE(s.FsmCalcMode, 200);

    const ReadFSMCalcParamResult none = ReadFSMCalcParam(calcParam(8, 1.0f), -1, Comma);
    QVERIFY(!none.calcModeItem);
    QVERIFY(!none.udZeroLen);
    QVERIFY(none.meZeroLen.isEmpty());
}

void TestExtendedDecode::invalidFloatsDecodeAsZero()
{
    SensorState s;
    s.FsmPermix = 3.0f;
    QByteArray reply = calcParam(1, NaN);
    putFloat(reply, 13, Inf); // coefficient 1, the selected one
    const ReadFSMCalcParamResult r = ReadFSMCalcParam(reply, -1, Comma);
    QVERIFY(r.permixInvalid);
    QCOMPARE(r.permix, 0.0f);
    QCOMPARE(r.udPermix, 0);
    QCOMPARE(r.mePermix, QStringLiteral(" 0,00"));
    QVERIFY(r.coefInvalid[1]);
    QVERIFY(!r.coefInvalid[2]);
    QCOMPARE(r.udZeroLen, std::optional<int>(0));
    QVERIFY(r.anyInvalid());
    r.applyTo(s);
    QCOMPARE(s.FsmPermix, 0.0f);
    QCOMPARE(s.FsmCoef[1], 0.0f);

    QByteArray axis = replyWith(GET_AXIS_K, {});
    putFloat(axis, 4, 0.25f);
    putFloat(axis, 8, -Inf);
    putFloat(axis, 12, NaN);
    const ReadAxisKResult k = ReadAxisK(axis);
    QVERIFY(k.invalid);
    k.applyTo(s);
    QCOMPARE(s.InclState.AxisK1, 0.25f);
    QCOMPARE(s.InclState.AxisK2, 0.0f);
    QCOMPARE(s.InclState.AxisK3, 0.0f);

    QByteArray az = replyWith(GET_AZIMUTH, {});
    putFloat(az, 4, NaN);
    const ReadAzimuthResult a = ReadAzimuth(az, Comma);
    QVERIFY(a.invalid);
    QCOMPARE(a.meAzz, QStringLiteral("  0,0"));
    QCOMPARE(a.udAzz, 0);
}

void TestExtendedDecode::writeFullTanck_data()
{
    QTest::addColumn<bool>("freq");
    QTest::addColumn<bool>("fsm");
    QTest::addColumn<bool>("err");
    QTest::addColumn<bool>("net");
    QTest::addColumn<int>("byte");

    QTest::newRow("frequency, full scale, network") << true << true << false << true << 0x83;
    QTest::newRow("error mode only") << false << false << true << false << 0x04;
    QTest::newRow("full scale only") << false << true << false << false << 0x02;
    QTest::newRow("network only") << false << false << false << true << 0x80;
    QTest::newRow("all off") << false << false << false << false << 0x00;
}

void TestExtendedDecode::writeFullTanck()
{
    QFETCH(bool, freq);
    QFETCH(bool, fsm);
    QFETCH(bool, err);
    QFETCH(bool, net);
    QFETCH(int, byte);

    TParametrSDA ext;
    ext.ModeFreqOut = freq;
    ext.ModeFSM = fsm;
    ext.CurMode = err;
    ext.ModeSeting = net;
    ext.MashtabAXLS = true; // never sent by this write
    QCOMPARE(int(WriteFullTanck(ext)), byte);
}

void TestExtendedDecode::azimuth_data()
{
    QTest::addColumn<float>("a");
    QTest::addColumn<QString>("meAzz");
    QTest::addColumn<int>("udAzz");

    QTest::newRow("180.0") << 180.0f << "180,0" << 1800;
    QTest::newRow("12.5") << 12.5f << " 12,5" << 125;
    QTest::newRow("0.7, stored just below") << 0.7f << "  0,7" << 7;
    QTest::newRow("a half shown rounded up") << 180.25f << "180,3" << 1803;
    QTest::newRow("above the range") << 400.0f << "400,0" << 3600;
}

void TestExtendedDecode::azimuth()
{
    QFETCH(float, a);
    QFETCH(QString, meAzz);
    QFETCH(int, udAzz);

    QByteArray reply = replyWith(GET_AZIMUTH, {});
    putFloat(reply, 4, a);
    if (a == 180.0f)
        QCOMPARE(reply.mid(3, 4), QByteArray::fromHex("00003443"));
    SensorState s;
    const ReadAzimuthResult r = ReadAzimuth(reply, Comma);
    QCOMPARE(r.meAzz, meAzz);
    QCOMPARE(r.udAzz, udAzz);
    r.applyTo(s);
    QCOMPARE(s.InclState.Azimuth, a);
}

void TestExtendedDecode::tilts_data()
{
    QTest::addColumn<int>("lo");
    QTest::addColumn<int>("hi");
    QTest::addColumn<int>("tilt");
    QTest::addColumn<QString>("label");

    QTest::newRow("00 FF") << 0x00 << 0xFF << -256 << "-1,00";
    QTest::newRow("80 00") << 0x80 << 0x00 << 128 << " 0,50";
    QTest::newRow("00 80 most negative") << 0x00 << 0x80 << -32768 << "-128,00";
}

void TestExtendedDecode::tilts()
{
    QFETCH(int, lo);
    QFETCH(int, hi);
    QFETCH(int, tilt);
    QFETCH(QString, label);

    SensorState s;
    const ReadInclinometerDataResult r = ReadInclinometerData(
        replyWith(GET_INCLINOMETER_DATA, {{4, lo}, {5, hi}, {6, 0x00}, {7, 0x01}}), Comma);
    QCOMPARE(r.tiltX, tilt);
    QCOMPARE(r.label92, label);
    QCOMPARE(r.label93, QStringLiteral(" 1,00"));
    r.applyTo(s);
    QCOMPARE(s.InclState.TiltX, tilt);
    QCOMPARE(s.InclState.TiltY, 256);
}

void TestExtendedDecode::thirdModeByte_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("radioGrupIndex");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("digits");
    QTest::addColumn<bool>("inclOn");

    QTest::newRow("0x41, 12-bit base") << 0x41 << 1 << 3 << "16" << false;
    QTest::newRow("0x00, 10-bit base") << 0x00 << 0 << 0 << "10" << true;
    QTest::newRow("0x01, 10-bit base") << 0x01 << 0 << 2 << "14" << true;
    QTest::newRow("0xBE, 12-bit base") << 0xBE << 1 << 1 << "12" << true;
}

void TestExtendedDecode::thirdModeByte()
{
    QFETCH(int, byte);
    QFETCH(int, radioGrupIndex);
    QFETCH(int, item);
    QFETCH(QString, digits);
    QFETCH(bool, inclOn);

    SensorState s;
    s.SensorExt.RadioGrupIndex = radioGrupIndex;
    const ReadREPMODE3Result r = ReadREPMODE3(replyWith(GET_REP_MODE_3, {{4, byte}}), s);
    QCOMPARE(r.radioGroupIndex, item);
    QCOMPARE(r.digitData, digits);
    QCOMPARE(r.modeInclTicked, inclOn);
    QCOMPARE(r.inclAddressEnabled, inclOn);
    r.applyTo(s);
    QCOMPARE(int(s.SensorExt.RepMode3), byte);
    QCOMPARE(s.SensorExt.RadioGrupIndex2, item);
    QCOMPARE(s.SensorParam.DigitData, digits);

    // Written back unchanged, the third mode byte is the byte read.
    QCOMPARE(int(buildRepMode3Byte(s.SensorExt.RepMode3, item, inclOn)), byte);
}

void TestExtendedDecode::inclinometerAddress_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("item");

    QTest::newRow("7") << 7 << 7;
    QTest::newRow("254 last item") << 254 << 254;
    QTest::newRow("255 not in the list") << 255 << -1;
}

void TestExtendedDecode::inclinometerAddress()
{
    QFETCH(int, address);
    QFETCH(int, item);
    const ReadINCLLANADRResult r = ReadINCLLANADR(replyWith(GET_INCL_LAN_ADR, {{4, address}}));
    QCOMPARE(r.address, address);
    QCOMPARE(r.itemIndex, item);
}

void TestExtendedDecode::modeBytesSent()
{
    // The other bits of the third mode byte go back as they were read.
    QCOMPARE(int(buildRepMode3Byte(0x00, 3, false)), 0x41);
    QCOMPARE(int(buildRepMode3Byte(0xFF, 1, true)), 0xBE);
    QCOMPARE(int(buildRepMode3Byte(0x24, 2, true)), 0x25);

    RepModeSettings all;
    all.freqOut = all.fullScale = all.errMode = all.hub = true;
    all.axisScaling = all.autoRef = all.networkMode = true;
    all.configPortIndex = 1;
    QCOMPARE(int(buildRepModeByte(all)), 0xFF);
    all.configPortIndex = -1; // no selection is the first assignment
    QCOMPARE(int(buildRepModeByte(all)), 0xEF);
}

QTEST_GUILESS_MAIN(TestExtendedDecode)
#include "tst_extended_decode.moc"
