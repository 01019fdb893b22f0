// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Identity replies (READ_PARAM, READ_SN): passport, version, model groups,
// pages, the sensor-change rule, the output mode byte, and the version rule
// for the settings controls.

#include "replies.h"
#include "sensor/decode.h"

#include <QtTest>

using namespace decode;

namespace {

constexpr quint8 READ_PARAM = 0x41;
constexpr quint8 READ_SN = 0x42;

QByteArray identity(int version, int model, int serial = 42, int y = 17, int m = 4, int d = 9)
{
    return replyWith(READ_PARAM, {{4, y},
                                  {5, m},
                                  {6, d},
                                  {7, serial & 0xFF},
                                  {8, (serial >> 8) & 0xFF},
                                  {9, (serial >> 16) & 0xFF},
                                  {10, model},
                                  {11, version}});
}

QByteArray settings(int address, int period, int mode)
{
    return replyWith(READ_PARAM, {{11, 0x53}, {18, address}, {20, period}, {21, mode}});
}

QString tri(const std::optional<bool> &v)
{
    return v ? (*v ? "1" : "0") : "-";
}

/// The decisions as one line, so a failing row shows every field.
QString describe(const WindowControls &c)
{
    return QStringLiteral("out=%1 avg=%2 time=%3 freq=%4 disp=%5 port=%6 net=%7%8 incl=%9 note=%10")
        .arg(tri(c.outputSettingsEnabled), tri(c.averagingEnabled), tri(c.averagingTimeEnabled),
             tri(c.freqOutputEnabled), tri(c.freqDisplayVisible), tri(c.portAssignmentEnabled),
             tri(c.networkModeEnabled), c.networkModeUntick ? "!" : "", tri(c.inclAddressEnabled),
             tri(c.twoAddressNoteVisible));
}

} // namespace

class TestIdentityDecode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void manufactureDate_data();
    void manufactureDate();
    void serialNumber_data();
    void serialNumber();
    void serialChangeMarksProtocolStatus();
    void firmwareVersion_data();
    void firmwareVersion();
    void modelGroups_data();
    void modelGroups();
    void pageOrder_data();
    void pageOrder();
    void sameSensorKeepsPagesOtherSensorHidesThem();
    void resolutionChoices_data();
    void resolutionChoices();
    void outputModeByte_data();
    void outputModeByte();
    void modeByteNotReportedLeavesSettings();
    void addressAndPeriod_data();
    void addressAndPeriod();
    void versionRule_data();
    void versionRule();
    void autoModeByteRoundTrip();
    void autoModeByte_data();
    void autoModeByte();
};

void TestIdentityDecode::manufactureDate_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("d");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("storedMonth");
    QTest::addColumn<int>("storedDay");

    QTest::newRow("10 May 2017") << 17 << 4 << 9 << QDate(2017, 5, 10) << 4 << 9;
    QTest::newRow("31 Feb non-leap runs on") << 17 << 1 << 30 << QDate(2017, 3, 3) << 1 << 30;
    QTest::newRow("31 Feb leap runs on") << 16 << 1 << 30 << QDate(2016, 3, 2) << 1 << 30;
    QTest::newRow("month and day 0xFF capped")
        << 17 << 0xFF << 0xFF << QDate(2017, 12, 31) << 11 << 30;
    QTest::newRow("year 0xFF") << 0xFF << 0 << 0 << QDate(2255, 1, 1) << 0 << 0;
}

void TestIdentityDecode::manufactureDate()
{
    QFETCH(int, y);
    QFETCH(int, m);
    QFETCH(int, d);
    QFETCH(QDate, date);
    QFETCH(int, storedMonth);
    QFETCH(int, storedDay);

    SensorState s;
    const ReadSNResult r = ReadSN(identity(0x53, 1, 42, y, m, d), s);
    QVERIFY(r.passportDecoded);
    QVERIFY(r.manufactureDate.isValid());
    QCOMPARE(r.manufactureDate, date);
    r.applyTo(s);
    QCOMPARE(s.SensorExt.Date_Year_Manufact, y);
    QCOMPARE(s.SensorExt.Date_month_Manufact, storedMonth);
    QCOMPARE(s.SensorExt.Date_Day_Manufact, storedDay);
    QCOMPARE(s.SensorParam.ManYear, 2000 + y);
    QCOMPARE(s.SensorParam.ManMonth, storedMonth);
    QCOMPARE(s.SensorParam.ManDay, storedDay);
}

void TestIdentityDecode::serialNumber_data()
{
    QTest::addColumn<int>("serial");
    QTest::addColumn<QString>("meSN");
    QTest::addColumn<int>("capped");

    QTest::newRow("42 padded") << 42 << "000042" << 42;
    QTest::newRow("1000000 capped on screen") << 1000000 << "999999" << 999999;
    QTest::newRow("24-bit maximum") << 0xFFFFFF << "999999" << 999999;
    QTest::newRow("zero") << 0 << "000000" << 0;
}

void TestIdentityDecode::serialNumber()
{
    QFETCH(int, serial);
    QFETCH(QString, meSN);
    QFETCH(int, capped);

    SensorState s;
    // The short READ_SN reply carries the same passport bytes.
    const QByteArray sn = replyWith(READ_SN, {{7, serial & 0xFF},
                                              {8, (serial >> 8) & 0xFF},
                                              {9, (serial >> 16) & 0xFF},
                                              {10, 1},
                                              {11, 0x53}});
    const ReadSNResult r = ReadSN(sn, s);
    QCOMPARE(r.meSN, meSN);
    r.applyTo(s);
    QCOMPARE(s.SensorExt.SN_DA, serial);
    QCOMPARE(s.SensorParam.SN, capped);
}

void TestIdentityDecode::serialChangeMarksProtocolStatus()
{
    SensorState s;
    QVERIFY(!ReadSN(identity(0x53, 1, 0), s).serialChanged); // serial 0 matches the start value

    ReadSNResult first = ReadSN(identity(0x53, 1, 1234), s);
    QVERIFY(first.serialChanged);
    first.applyTo(s);
    QCOMPARE(s.LastSerial, 1234);
    QVERIFY(!ReadSN(identity(0x53, 1, 1234), s).serialChanged);
    QVERIFY(ReadSN(identity(0x53, 1, 1235), s).serialChanged);
}

void TestIdentityDecode::firmwareVersion_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");

    QTest::newRow("0x53") << 0x53 << "v.5.3" << 5 << 3;
    QTest::newRow("0x4A minor in decimal") << 0x4A << "v.4.10" << 4 << 10;
    QTest::newRow("0xFF keeps previous 8.3") << 0xFF << "Error" << 8 << 3;
}

void TestIdentityDecode::firmwareVersion()
{
    QFETCH(int, byte);
    QFETCH(QString, text);
    QFETCH(int, major);
    QFETCH(int, minor);

    SensorState s;
    s.SensorParam.Version_H = 8;
    s.SensorParam.Version_L = 3;
    s.SensorExt.Version_DA_Up = 8;
    s.SensorExt.Version_DA_Down = 3;
    const ReadSNResult r = ReadSN(identity(byte, 1), s);
    QCOMPARE(r.edVersionPo, text);
    QCOMPARE(r.versionH, major);
    QCOMPARE(r.versionL, minor);
    // The version rule runs on the version in effect; a full-featured head
    // (model 1) has the two-address note exactly on firmware 8 below minor 3.
    WindowControls expected = ConfigurationForVersion(major, minor);
    expected.twoAddressNoteVisible = major == 8 && minor < 3;
    QCOMPARE(describe(r.controls), describe(expected));
    r.applyTo(s);
    QCOMPARE(s.SensorParam.Version, text);
    QCOMPARE(s.SensorParam.Version_H, major);
    QCOMPARE(s.SensorParam.Version_L, minor);
    QCOMPARE(s.SensorExt.Version_DA_Up, major);
    QCOMPARE(s.SensorExt.Version_DA_Down, minor);
}

void TestIdentityDecode::modelGroups_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("restricted");
    QTest::addColumn<QString>("port"); // portAssignmentEnabled after both rules
    QTest::addColumn<QString>("note"); // twoAddressNoteVisible after both rules
    QTest::addColumn<int>("groupBox4Height");

    QTest::newRow("49 QMA-23") << 0x53 << 49 << "QMA-23" << true << "0"
                               << "0" << 49;
    QTest::newRow("3 unknown") << 0x53 << 3 << "Error" << true << "0"
                               << "0" << 49;
    QTest::newRow("2 full feature") << 0x53 << 2 << "QMB-10" << false << "0"
                                    << "0" << 186;
    QTest::newRow("1 on fw 8.2 shows note") << 0x82 << 1 << "QMA-10" << false << "1"
                                            << "1" << 186;
    QTest::newRow("178 port enabled on fw 5") << 0x53 << 178 << "VG3" << true << "1"
                                              << "-" << 49;
    QTest::newRow("177 port disabled on fw 8") << 0x83 << 177 << "VG2" << true << "0"
                                               << "0" << 49;
    QTest::newRow("182 on fw 8.2 shows note") << 0x82 << 182 << "VG3W" << true << "1"
                                              << "1" << 49;
    QTest::newRow("178 on fw 5.2 without note") << 0x52 << 178 << "VG3" << true << "1"
                                                << "-" << 49;
    QTest::newRow("200 outside the table") << 0x82 << 200 << "Error" << true << "1"
                                           << "0" << 49;
}

void TestIdentityDecode::modelGroups()
{
    QFETCH(int, version);
    QFETCH(int, model);
    QFETCH(QString, name);
    QFETCH(bool, restricted);
    QFETCH(QString, port);
    QFETCH(QString, note);
    QFETCH(int, groupBox4Height);

    SensorState s;
    ReadSN(identity(version, model), s).applyTo(s); // the same sensor read twice
    const ReadSNResult r = ReadSN(identity(version, model), s);
    QVERIFY(!r.sensorChanged);
    QCOMPARE(r.edType, name);
    QCOMPARE(r.restrictedCommands, restricted);
    QCOMPARE(r.calibrationControlsVisible, !restricted);
    QCOMPARE(tri(r.controls.portAssignmentEnabled), port);
    QCOMPARE(tri(r.controls.twoAddressNoteVisible), note);
    QCOMPARE(r.groupBox4Height, groupBox4Height);
    QCOMPARE(r.tabsToHide, restricted ? QStringList{"TabSheet2"} : QStringList{});
    QVERIFY(!r.bbDublTarirovanieVisible);
    QCOMPARE(r.mainWindowHeight, 590);
    r.applyTo(s);
    QCOMPARE(s.SensorParam.IntModel, model);
    QCOMPARE(s.SensorParam.Model, name);
}

void TestIdentityDecode::pageOrder_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("pages");

    QTest::newRow("fw 1") << 0x10 << 1
                          << QStringList{"TabSheet3", "TabSheet1", "TabSheet2", "TabSheet4"};
    QTest::newRow("fw 4") << 0x48 << 3 << QStringList{"TabSheet3", "TabSheet1", "TabSheet4"};
    QTest::newRow("fw 5 model 1") << 0x53 << 1
                                  << QStringList{"TabSheet3", "TabSheet1", "TabSheet2", "TabSheet5",
                                                 "TabSheet4"};
    QTest::newRow("fw 5 model 49")
        << 0x53 << 49 << QStringList{"TabSheet3", "TabSheet1", "TabSheet5", "TabSheet4"};
    QTest::newRow("fw 8") << 0x83 << 178
                          << QStringList{"TabSheet3", "TabSheet1", "TabSheet6", "TabSheet7",
                                         "TabSheet4"};
    QTest::newRow("fw 6 keeps order") << 0x60 << 1 << QStringList{};
}

void TestIdentityDecode::pageOrder()
{
    QFETCH(int, version);
    QFETCH(int, model);
    QFETCH(QStringList, pages);
    QCOMPARE(ReadSN(identity(version, model), SensorState{}).pageOrder, pages);
}

void TestIdentityDecode::sameSensorKeepsPagesOtherSensorHidesThem()
{
    SensorState s;
    ReadSNResult first = ReadSN(identity(0x53, 1), s);
    QVERIFY(first.sensorChanged); // a fresh program has seen no sensor
    QVERIFY(!first.clearProtocolFile); // but a protocol opened at start stays open
    first.applyTo(s);

    const ReadSNResult again = ReadSN(identity(0x53, 1), s);
    QVERIFY(!again.sensorChanged);
    QVERIFY(again.tabsToHide.isEmpty());

    const ReadSNResult otherModel = ReadSN(identity(0x53, 2), s);
    QVERIFY(otherModel.sensorChanged);
    QVERIFY(otherModel.clearProtocolFile);
    QCOMPARE(otherModel.tabsToHide, (QStringList{"TabSheet6", "TabSheet7", "TabSheet2", "TabSheet5",
                                                 "TabSheet4", "TabSheet1"}));

    QVERIFY(ReadSN(identity(0x54, 1), s).sensorChanged); // another version
    QVERIFY(ReadSN(identity(0xFF, 1), s).sensorChanged); // "Error" differs from "v.5.3"
}

void TestIdentityDecode::resolutionChoices_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("index2");
    QTest::addColumn<int>("index1");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("selected");

    QTest::newRow("8.3 four choices") << 0x83 << 3 << 1 << 4 << 3;
    QTest::newRow("8.2 two choices") << 0x82 << 1 << 1 << 2 << 1;
    QTest::newRow("5.3 after a 16-bit 8.3 sensor") << 0x53 << 3 << 1 << 2 << 1;
    QTest::newRow("5.3 after a 14-bit 8.3 sensor") << 0x53 << 2 << 0 << 2 << 0;
}

void TestIdentityDecode::resolutionChoices()
{
    QFETCH(int, version);
    QFETCH(int, index2);
    QFETCH(int, index1);
    QFETCH(int, items);
    QFETCH(int, selected);

    SensorState s;
    s.SensorExt.RadioGrupIndex2 = index2;
    s.SensorExt.RadioGrupIndex = index1;
    const ReadSNResult r = ReadSN(identity(version, 178), s);
    QCOMPARE(r.radioGroupItems.size(), items);
    QCOMPARE(r.radioGroupColumns, items == 4 ? 2 : 1);
    QCOMPARE(r.wideResolution, items == 4);
    QCOMPARE(r.radioGroupItems.first(), QStringLiteral("10 бит"));
    QCOMPARE(r.radioGroupIndex, selected);
    r.applyTo(s);
    QCOMPARE(s.SensorExt.RadioGrupIndex2, selected);
}

void TestIdentityDecode::outputModeByte_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("twelve");
    QTest::addColumn<int>("speedIndex");
    QTest::addColumn<bool>("periodic");
    QTest::addColumn<bool>("text");
    QTest::addColumn<bool>("centre");

    QTest::newRow("0x8D") << 0x8D << true << 2 << true << false << true;
    QTest::newRow("0x42 averaging off, text, code 0")
        << 0x42 << false << 3 << false << true << false;
    QTest::newRow("0x1C code 7") << 0x1C << false << 6 << false << false << true;
    QTest::newRow("0x04 code 1") << 0x04 << false << 0 << false << false << true;
}

void TestIdentityDecode::outputModeByte()
{
    QFETCH(int, mode);
    QFETCH(bool, twelve);
    QFETCH(int, speedIndex);
    QFETCH(bool, periodic);
    QFETCH(bool, text);
    QFETCH(bool, centre);

    SensorState s;
    s.SensorParam.Version_H = 5;
    s.SensorParam.Version_L = 3; // below firmware 8 the minor version does not matter
    const ConnectResult r = Connect(settings(7, 0, mode), s);
    QVERIFY(r.modeReported);
    QCOMPARE(r.twelveBit, twelve);
    QCOMPARE(r.cbNdateCaption, twelve ? QStringLiteral("N - 12-ти разрядное")
                                      : QStringLiteral("N - 10-ти разрядное"));
    QCOMPARE(r.speedIndex, speedIndex);
    QCOMPARE(r.periodic, periodic);
    QCOMPARE(r.textFormat, text);
    QCOMPARE(r.centre, centre);
    QCOMPARE(r.radioGrupIndex2, std::optional<int>(twelve ? 1 : 0));
    r.applyTo(s);
    QCOMPARE(s.SensorParam.DigitData, twelve ? QStringLiteral("12") : QStringLiteral("10"));
    QCOMPARE(s.SensorExt.RadioGrupIndex, twelve ? 1 : 0);
    QCOMPARE(s.SensorParam.SetPeriodDate, periodic);
    QCOMPARE(s.SensorParam.FormatDate, text);
    QCOMPARE(s.SensorParam.Centre, centre);
    QCOMPARE(s.SensorParam.NETADDR, 7);
}

void TestIdentityDecode::modeByteNotReportedLeavesSettings()
{
    SensorState s;
    s.SensorParam.Version_H = 5;
    s.SensorParam.DigitData = "12";
    s.SensorParam.Centre = true;
    s.SensorParam.FormatDate = true;
    s.SensorExt.RadioGrupIndex = 1;
    s.SensorExt.RadioGrupIndex2 = 3;
    const ConnectResult r = Connect(settings(3, 9, 0xFF), s);
    QVERIFY(!r.modeReported);
    QVERIFY(!r.radioGrupIndex2); // nothing reported, nothing to follow
    r.applyTo(s);
    QCOMPARE(s.SensorExt.RadioGrupIndex2, 3);
    QCOMPARE(s.SensorParam.DigitData, QStringLiteral("12"));
    QVERIFY(s.SensorParam.Centre);
    QVERIFY(s.SensorParam.FormatDate);
    QCOMPARE(s.SensorParam.NETADDR, 3);

    // Firmware 8.3 takes its resolution from the third mode byte instead.
    s.SensorParam.Version_H = 8;
    s.SensorParam.Version_L = 3;
    QVERIFY(!Connect(settings(3, 9, 0x80), s).radioGrupIndex2);
    s.SensorParam.Version_L = 2; // 8.2 still follows the mode byte
    QCOMPARE(Connect(settings(3, 9, 0x80), s).radioGrupIndex2, std::optional<int>(1));
}

void TestIdentityDecode::addressAndPeriod_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("period");
    QTest::addColumn<int>("position");

    QTest::newRow("period 0 is 1 s") << 0 << 0 << 1;
    QTest::newRow("period 255 is 256 s") << 255 << 255 << 256;
}

void TestIdentityDecode::addressAndPeriod()
{
    QFETCH(int, address);
    QFETCH(int, period);
    QFETCH(int, position);

    const ConnectResult r = Connect(settings(address, period, 0x8D), SensorState{});
    QCOMPARE(r.address, address);
    QCOMPARE(r.periodPosition, position);
    QCOMPARE(r.edPeriod, QString::number(position));
}

void TestIdentityDecode::versionRule_data()
{
    QTest::addColumn<int>("H");
    QTest::addColumn<int>("L");
    QTest::addColumn<QString>("expected");

    QTest::newRow("4.6 disables output settings")
        << 4 << 6 << "out=0 avg=0 time=0 freq=0 disp=0 port=0 net=- incl=- note=-";
    QTest::newRow("4.8 leaves output settings")
        << 4 << 8 << "out=- avg=0 time=0 freq=0 disp=0 port=0 net=- incl=- note=-";
    QTest::newRow("1.10 averaging")
        << 1 << 10 << "out=- avg=1 time=0 freq=0 disp=0 port=0 net=- incl=- note=-";
    QTest::newRow("5.2 network mode off")
        << 5 << 2 << "out=- avg=1 time=1 freq=1 disp=1 port=0 net=0! incl=- note=-";
    QTest::newRow("5.3 network mode on")
        << 5 << 3 << "out=- avg=1 time=1 freq=1 disp=1 port=0 net=1 incl=- note=-";
    QTest::newRow("8.2 two-address note")
        << 8 << 2 << "out=1 avg=1 time=1 freq=1 disp=1 port=1 net=- incl=0 note=1";
    QTest::newRow("8.3 inclinometer address")
        << 8 << 3 << "out=1 avg=1 time=1 freq=1 disp=1 port=1 net=- incl=1 note=0";
    QTest::newRow("3.10 averaging only")
        << 3 << 10 << "out=1 avg=1 time=0 freq=1 disp=0 port=0 net=- incl=- note=0";
    QTest::newRow("2.5 older") << 2 << 5
                               << "out=1 avg=0 time=0 freq=1 disp=0 port=0 net=- incl=- note=-";
    QTest::newRow("6.0") << 6 << 0 << "out=1 avg=1 time=1 freq=1 disp=1 port=1 net=- incl=- note=0";
}

void TestIdentityDecode::versionRule()
{
    QFETCH(int, H);
    QFETCH(int, L);
    QFETCH(QString, expected);
    QCOMPARE(describe(ConfigurationForVersion(H, L)), expected);
}

void TestIdentityDecode::autoModeByteRoundTrip()
{
    // What the settings write sends must read back as the same settings.
    SensorState s;
    s.SensorParam.Version_H = 5;
    for (int speed = 0; speed <= 6; ++speed)
        for (int res = 0; res <= 1; ++res)
            for (int flags = 0; flags < 8; ++flags) {
                AutoModeSettings a;
                a.resolutionIndex = res;
                a.speedIndex = speed;
                a.averaging = flags & 1;
                a.textFormat = flags & 2;
                a.periodic = flags & 4;
                a.versionH = 5;
                const ConnectResult r = Connect(settings(1, 0, buildAutoModeByte(a)), s);
                QCOMPARE(r.speedIndex, speed);
                QCOMPARE(r.radioGrupIndex, res);
                QCOMPARE(r.centre, a.averaging);
                QCOMPARE(r.textFormat, a.textFormat);
                QCOMPARE(r.periodic, a.periodic);
            }
}

void TestIdentityDecode::autoModeByte_data()
{
    QTest::addColumn<int>("H");
    QTest::addColumn<int>("L");
    QTest::addColumn<bool>("averaging");
    QTest::addColumn<int>("resolution");
    QTest::addColumn<int>("byte");

    QTest::newRow("5.x averaging on") << 5 << 1 << true << 1 << 0x8E;
    QTest::newRow("5.x averaging off") << 5 << 1 << false << 1 << 0xCE;
    QTest::newRow("4.5 averaging off has no bit") << 4 << 5 << false << 1 << 0x8E;
    QTest::newRow("4.10 averaging off") << 4 << 10 << false << 1 << 0xCE;
    QTest::newRow("16 bits sets bit 7") << 8 << 3 << true << 3 << 0x8E;
    QTest::newRow("14 bits clears bit 7") << 8 << 3 << true << 2 << 0x0E;
}

void TestIdentityDecode::autoModeByte()
{
    QFETCH(int, H);
    QFETCH(int, L);
    QFETCH(bool, averaging);
    QFETCH(int, resolution);
    QFETCH(int, byte);

    AutoModeSettings a;
    a.versionH = H;
    a.versionL = L;
    a.averaging = averaging;
    a.resolutionIndex = resolution;
    a.speedIndex = 2; // 9600
    a.textFormat = true;
    a.periodic = false;
    QCOMPARE(int(buildAutoModeByte(a)), byte);
}

QTEST_GUILESS_MAIN(TestIdentityDecode)
#include "tst_identity_decode.moc"
