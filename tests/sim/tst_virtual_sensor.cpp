// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The virtual sensor as the tool sees it through frames: reply lengths and
// layouts, addressing, frame assembly, refusals and faults, and physics that
// let the two-stage zero search converge.

#include "common/scheduler.h"
#include "link/frame.h"
#include "sim/virtual_sensor.h"

#include <QTest>
#include <cstring>

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(quint8(v)));
    return b;
}

QByteArray floatBytes(float f)
{
    quint32 u;
    std::memcpy(&u, &f, 4);
    return bytes({int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF), int(u >> 24)});
}

quint8 at(const QByteArray &reply, int k)
{
    return quint8(reply.at(k - 1));
} // bytes from 1
int word(const QByteArray &reply, int k)
{
    return at(reply, k) | (at(reply, k + 1) << 8);
}

bool crcOk(const QByteArray &f)
{
    return CalcCRC(f.constData(), int(f.size()) - 1) == quint8(f.back());
}

/// Sends one request and returns the single reply (empty when none came).
QByteArray ask(VirtualSensor &s, quint8 command, const QByteArray &data = {}, quint8 address = 1)
{
    const QList<QByteArray> replies = s.feed(buildRequest(address, command, data));
    return replies.isEmpty() ? QByteArray() : replies.first();
}

} // namespace

class TestVirtualSensor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answersEveryCommandWithItsLength_data();
    void answersEveryCommandWithItsLength();
    void writesAreReadBack_data();
    void writesAreReadBack();
    void identityLayout();
    void addressing_data();
    void addressing();
    void setAddrAppliesFromNextFrame();
    void assemblesAndResynchronises_data();
    void assemblesAndResynchronises();
    void refusesOnRequest();
    void rejectsOutOfRangeWrites();
    void replyFaults();
    void capacitanceFallsWithOffsetsAndRisesWithFuel();
    void levelCodeFollowsScale_data();
    void levelCodeFollowsScale();
    void pouringOverTimeAndNoise();
    void referencePointGivesProbeCapacitance();
    void probeClassRestoresOffsets();
    void zeroSearchConverges_data();
    void zeroSearchConverges();
};

void TestVirtualSensor::answersEveryCommandWithItsLength_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("statusReply");
    const QByteArray calc = QByteArray(1, 0) + floatBytes(1.5f) + QByteArray(32, 0);
    QTest::newRow("DATA_READ") << 0x06 << QByteArray() << 9 << false;
    QTest::newRow("READ_PARAM") << 0x41 << QByteArray() << 22 << false;
    QTest::newRow("READ_SN") << 0x42 << QByteArray() << 12 << false;
    QTest::newRow("SET_CAPDAC_A") << 0x45 << bytes({10}) << 5 << true;
    QTest::newRow("SET_CAPOFF") << 0x49 << bytes({0x00, 0x80}) << 5 << true;
    QTest::newRow("READ_SOND_LEN") << 0x4D << QByteArray() << 5 << false;
    QTest::newRow("SET_SOND_LEN") << 0x4E << bytes({1}) << 5 << true;
    QTest::newRow("SET_SOND_PAR") << 0x4F << bytes({1}) << 5 << true;
    QTest::newRow("READ_CAL_DATA") << 0x51 << QByteArray() << 12 << false;
    QTest::newRow("SET_PERIOD") << 0x54 << bytes({9}) << 5 << true;
    QTest::newRow("SET_AUTO_MODE") << 0x55 << bytes({0x8D}) << 5 << true;
    QTest::newRow("SET_ADDR") << 0x56 << bytes({1}) << 5 << true;
    QTest::newRow("GET_EXT_PARAM") << 0x60 << QByteArray() << 12 << false;
    QTest::newRow("SET_REP_MODE") << 0x62 << bytes({0x83}) << 5 << true;
    QTest::newRow("SET_FSM_OFFSET") << 0x63 << bytes({0x10, 0x27}) << 5 << true;
    QTest::newRow("SET_FSM_SCALE") << 0x64 << bytes({0xB0, 0xB3}) << 5 << true;
    QTest::newRow("SET_AVRG_TIME") << 0x66 << bytes({8}) << 5 << true;
    QTest::newRow("GET_AXIS_K") << 0x67 << QByteArray() << 16 << false;
    QTest::newRow("GET_FSM_CALC_PARAM") << 0x70 << QByteArray() << 41 << false;
    QTest::newRow("SET_FSM_CALC_PARAM") << 0x71 << calc << 5 << true;
    QTest::newRow("GET_AZIMUTH") << 0x72 << QByteArray() << 8 << false;
    QTest::newRow("SET_AZIMUTH") << 0x73 << floatBytes(180.0f) << 5 << true;
    QTest::newRow("GET_INCLINOMETER_DATA") << 0x74 << QByteArray() << 8 << false;
    QTest::newRow("GET_REP_MODE_3") << 0x7B << QByteArray() << 5 << false;
    QTest::newRow("SET_REP_MODE_3") << 0x7C << bytes({0x41}) << 5 << true;
    QTest::newRow("GET_INCL_LAN_ADR") << 0x85 << QByteArray() << 5 << false;
    QTest::newRow("SET_INCL_LAN_ADR") << 0x86 << bytes({3}) << 5 << true;
}

void TestVirtualSensor::answersEveryCommandWithItsLength()
{
    QFETCH(int, command);
    QFETCH(QByteArray, data);
    QFETCH(int, length);
    QFETCH(bool, statusReply);
    QCOMPARE(VirtualSensor::requestDataLength(quint8(command)), int(data.size()));

    VirtualSensor sensor;
    const QList<QByteArray> replies = sensor.feed(buildRequest(1, quint8(command), data));
    QCOMPARE(replies.size(), 1);
    const QByteArray r = replies.first();
    QCOMPARE(int(r.size()), length);
    QCOMPARE(int(r.size()), replyLengthFor(quint8(command))); // what the tool will wait for
    QCOMPARE(at(r, 1), quint8(0x3E));
    QCOMPARE(at(r, 2), quint8(1));
    QCOMPARE(at(r, 3), quint8(command));
    QVERIFY(crcOk(r));
    if (statusReply)
        QCOMPARE(at(r, 4), quint8(0x00));
}

void TestVirtualSensor::writesAreReadBack_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("get");
    QTest::addColumn<int>("firstByte"); // where the value sits in the read reply (from 1)

    QByteArray calc = bytes({5}) + floatBytes(1.5f);
    for (int i = 0; i < 8; ++i)
        calc += floatBytes(0.5f + float(i));
    QTest::newRow("CAPDAC") << 0x45 << bytes({0x21}) << 0x41 << 12;
    QTest::newRow("CAPOFF") << 0x49 << bytes({0x39, 0x30}) << 0x41 << 14;
    QTest::newRow("period") << 0x54 << bytes({0x2A}) << 0x41 << 20;
    QTest::newRow("output mode") << 0x55 << bytes({0x8D}) << 0x41 << 21;
    QTest::newRow("probe range") << 0x4E << bytes({3}) << 0x4D << 4;
    QTest::newRow("extended mode") << 0x62 << bytes({0x42}) << 0x60 << 5;
    QTest::newRow("scale start") << 0x63 << bytes({0x34, 0x12}) << 0x60 << 6;
    QTest::newRow("scale end") << 0x64 << bytes({0xCD, 0xAB}) << 0x60 << 8;
    QTest::newRow("averaging") << 0x66 << bytes({17}) << 0x60 << 11;
    QTest::newRow("calc params") << 0x71 << calc << 0x70 << 4;
    QTest::newRow("azimuth") << 0x73 << floatBytes(180.0f) << 0x72 << 4;
    QTest::newRow("third mode") << 0x7C << bytes({0x41}) << 0x7B << 4;
    QTest::newRow("incl address") << 0x86 << bytes({7}) << 0x85 << 4;
}

void TestVirtualSensor::writesAreReadBack()
{
    QFETCH(int, set);
    QFETCH(QByteArray, data);
    QFETCH(int, get);
    QFETCH(int, firstByte);
    VirtualSensor sensor;
    QCOMPARE(at(ask(sensor, quint8(set), data), 4), quint8(0x00));
    const QByteArray r = ask(sensor, quint8(get));
    QCOMPARE(r.mid(firstByte - 1, data.size()).toHex(), data.toHex());
}

void TestVirtualSensor::identityLayout()
{
    VirtualSensor sensor(nullptr, VirtualSensorOptions{0xB2, 0x83, 0x0F4240, 9, {}});
    sensor.registers().manufactured = QDate(2017, 5, 10);
    const QByteArray p = ask(sensor, 0x41, {}, 9);
    QCOMPARE(p.size(), 22);
    QCOMPARE(p.mid(3, 3), bytes({17, 4, 9}));         // year − 2000, month − 1, day − 1
    QCOMPARE(p.mid(6, 3), bytes({0x40, 0x42, 0x0F})); // serial 1000000, low byte first
    QCOMPARE(at(p, 10), quint8(0xB2));
    QCOMPARE(at(p, 11), quint8(0x83));
    QCOMPARE(at(p, 18), quint8(9));
    QCOMPARE(at(p, 21), quint8(0x90)); // 12 bit, 19200 bit/s, averaging on
    const QByteArray sn = ask(sensor, 0x42, {}, 9);
    QCOMPARE(sn.mid(3, 8), p.mid(3, 8));

    // Defaults the tool's identity and search expect: model 1, firmware 5.3,
    // serial 123456, address 1, factory zero at C = 10000.
    VirtualSensor plain;
    const QByteArray d = ask(plain, 0x41, {}, 255);
    QCOMPARE(word(d, 7) | (at(d, 9) << 16), 123456);
    QCOMPARE(at(d, 10), quint8(1));
    QCOMPARE(at(d, 11), quint8(0x53));
    QCOMPARE(at(d, 18), quint8(1));
    QCOMPARE(plain.capacitanceCode(), VirtualSensor::FactoryZeroCode);
}

void TestVirtualSensor::addressing_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("answered");
    QTest::newRow("own") << 5 << true;
    QTest::newRow("all devices") << 255 << true;
    QTest::newRow("other") << 6 << false;
    QTest::newRow("zero") << 0 << false;
}

void TestVirtualSensor::addressing()
{
    QFETCH(int, address);
    QFETCH(bool, answered);
    VirtualSensor sensor(nullptr, VirtualSensorOptions{1, 0x53, 123456, 5, {}});
    const QByteArray r = ask(sensor, 0x62, bytes({0x01}), quint8(address));
    QCOMPARE(!r.isEmpty(), answered);
    if (answered)
        QCOMPARE(at(r, 2), quint8(5)); // always its own address
    // A frame for another sensor must not change this one.
    QCOMPARE(sensor.registers().extMode, quint8(answered ? 0x01 : 0x00));
    QCOMPARE(sensor.requests().size(), 1);
}

void TestVirtualSensor::setAddrAppliesFromNextFrame()
{
    VirtualSensor sensor;
    const QByteArray r = ask(sensor, 0x56, bytes({7}), 255);
    QCOMPARE(at(r, 2), quint8(1)); // answered under the old address
    QCOMPARE(at(r, 4), quint8(0x00));
    QVERIFY(ask(sensor, 0x42, {}, 1).isEmpty());
    QCOMPARE(at(ask(sensor, 0x42, {}, 7), 2), quint8(7));
}

void TestVirtualSensor::assemblesAndResynchronises_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<int>("replies");
    const QByteArray poll = buildRequest(1, 0x06);
    QByteArray damaged = buildRequest(1, 0x41);
    damaged[3] = char(quint8(damaged[3]) ^ 0x01);
    QList<QByteArray> bytewise;
    for (char c : poll)
        bytewise.append(QByteArray(1, c));

    QTest::newRow("one byte at a time") << bytewise << 1;
    QTest::newRow("split in the data") << QList<QByteArray>{poll.left(2), poll.mid(2)} << 1;
    QTest::newRow("junk before") << QList<QByteArray>{bytes({0x00, 0xFF, 0x3E}) + poll} << 1;
    QTest::newRow("bad CRC dropped") << QList<QByteArray>{damaged} << 0;
    QTest::newRow("bad CRC then good") << QList<QByteArray>{damaged + poll} << 1;
    QTest::newRow("two in one write") << QList<QByteArray>{poll + buildRequest(1, 0x42)} << 2;
    QTest::newRow("unknown command ignored")
        << QList<QByteArray>{buildRequest(1, 0x50) + poll} << 1;
}

void TestVirtualSensor::assemblesAndResynchronises()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(int, replies);
    VirtualSensor sensor;
    QList<QByteArray> got;
    for (const QByteArray &w : writes)
        got += sensor.feed(w);
    QCOMPARE(got.size(), replies);
    for (const QByteArray &r : got)
        QVERIFY(crcOk(r));
}

void TestVirtualSensor::refusesOnRequest()
{
    VirtualSensor sensor;
    sensor.faults().refused = {0x62, 0x41};
    const QByteArray r = ask(sensor, 0x62, bytes({0x83}));
    QCOMPARE(r, buildReply(1, 0x62, bytes({0x01})));
    QCOMPARE(sensor.registers().extMode, quint8(0x00)); // not carried out
    // A refused read is a 5-byte refusal too, which the tool will not take as data.
    QCOMPARE(ask(sensor, 0x41), buildReply(1, 0x41, bytes({0x01})));
    QCOMPARE(at(ask(sensor, 0x63, bytes({1, 2})), 4), quint8(0x00)); // others still accepted
}

void TestVirtualSensor::rejectsOutOfRangeWrites()
{
    VirtualSensor sensor;
    const SensorRegisters before = sensor.registers();
    QCOMPARE(at(ask(sensor, 0x45, bytes({64})), 4), quint8(0x01)); // CAPDAC is 6 bits
    QCOMPARE(at(ask(sensor, 0x4E, bytes({8})), 4), quint8(0x01));  // no probe class 8
    QCOMPARE(sensor.registers().capdac, before.capdac);
    QCOMPARE(sensor.registers().probeRange, before.probeRange);
}

void TestVirtualSensor::replyFaults()
{
    VirtualSensor sensor;
    const QByteArray good = ask(sensor, 0x42);

    sensor.faults().badCrc = true;
    QByteArray r = ask(sensor, 0x42);
    QCOMPARE(r.left(11), good.left(11));
    QVERIFY(!crcOk(r));

    sensor.faults().badCrc = false;
    sensor.faults().garbage = 3;
    QCOMPARE(ask(sensor, 0x42), QByteArray(3, '\0') + good);

    sensor.faults().split = {4, 5};
    QCOMPARE(sensor.chunksOf(ask(sensor, 0x42)),
             (QList<QByteArray>{QByteArray(3, '\0') + good.left(1), good.mid(1, 5), good.mid(6)}));

    sensor.faults() = SensorFaults{};
    sensor.faults().silent = true;
    QVERIFY(ask(sensor, 0x45, bytes({3})).isEmpty());
    QVERIFY(sensor.registers().capdac != 3); // a deaf sensor does nothing
}

void TestVirtualSensor::capacitanceFallsWithOffsetsAndRisesWithFuel()
{
    VirtualSensor sensor;
    SensorRegisters &reg = sensor.registers();
    reg.capoff = 32768;
    int last = 65536;
    for (int dac = 0; dac <= 63; ++dac) {
        reg.capdac = quint8(dac);
        const int c = sensor.capacitanceCode();
        QVERIFY2(c < last || c == 0, qPrintable(QString("CAPDAC %1").arg(dac)));
        last = c;
    }
    reg.capdac = 30;
    last = 65536;
    for (int off = 0; off <= 65535; off += 97) {
        reg.capoff = quint16(off);
        const int c = sensor.capacitanceCode();
        QVERIFY2(c <= last, qPrintable(QString("CAPOFF %1").arg(off)));
        last = c;
    }
    reg.capoff = 32768;
    QCOMPARE(sensor.capacitanceCode(), 10000);
    sensor.setFuelLitres(50);
    const int half = sensor.capacitanceCode();
    sensor.setFuelLitres(100);
    const int full = sensor.capacitanceCode();
    QVERIFY(10000 < half && half < full);
    QCOMPARE(full, 10000 + int(9.0 * VirtualSensor::CountsPerPf));
    sensor.setFuelLitres(500); // cannot overfill the tank
    QCOMPARE(sensor.capacitanceCode(), full);
}

void TestVirtualSensor::levelCodeFollowsScale_data()
{
    QTest::addColumn<int>("outputMode");
    QTest::addColumn<int>("repMode3");
    QTest::addColumn<int>("extMode");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("n");
    QTest::newRow("12 bit, full C") << 0x90 << 0 << 0 << 65535 << 4095;
    QTest::newRow("12 bit, half") << 0x90 << 0 << 0 << 32784 << 2048;
    QTest::newRow("10 bit, half") << 0x10 << 0 << 0 << 32832 << 512;
    QTest::newRow("10 bit, zero") << 0x10 << 0 << 0 << 0 << 0;
    QTest::newRow("16 bit") << 0x90 << 1 << 0 << 65535 << 65535;
    QTest::newRow("14 bit") << 0x10 << 1 << 0 << 65535 << 16383;
    // Full-scale mode: 0 at the scale start 10000, Nmax at its end 46000.
    QTest::newRow("scale start") << 0x90 << 0 << 0x02 << 10000 << 0;
    QTest::newRow("below start") << 0x90 << 0 << 0x02 << 5000 << 0;
    QTest::newRow("scale middle") << 0x90 << 0 << 0x02 << 28000 << 2047;
    QTest::newRow("above end") << 0x90 << 0 << 0x02 << 60000 << 4095;
}

void TestVirtualSensor::levelCodeFollowsScale()
{
    QFETCH(int, outputMode);
    QFETCH(int, repMode3);
    QFETCH(int, extMode);
    QFETCH(int, c);
    QFETCH(int, n);
    VirtualSensor sensor;
    sensor.registers().outputMode = quint8(outputMode);
    sensor.registers().repMode3 = quint8(repMode3);
    sensor.registers().extMode = quint8(extMode);
    QCOMPARE(sensor.levelCodeFor(c), n);
}

void TestVirtualSensor::pouringOverTimeAndNoise()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    sensor.pour(2.0); // litres per second
    const QByteArray empty = ask(sensor, 0x06);
    clock.advance(10000);
    QCOMPARE(sensor.fuelLitres(), 20.0);
    const QByteArray later = ask(sensor, 0x06);
    QVERIFY(word(later, 7) > word(empty, 7)); // C rose
    QVERIFY(word(later, 5) > word(empty, 5)); // and N with it
    QCOMPARE(word(later, 7), sensor.capacitanceCode());
    clock.advance(100000);
    QCOMPARE(sensor.fuelLitres(), 100.0); // stops at the brim
    sensor.pour(0);

    // Noise stays within its amplitude and repeats for the same seed.
    auto run = [](quint32 seed) {
        VirtualSensorOptions o;
        o.physics.noiseCounts = 3;
        o.physics.noiseSeed = seed;
        VirtualSensor s(nullptr, o);
        QList<int> cs;
        for (int i = 0; i < 50; ++i)
            cs.append(word(ask(s, 0x06), 7));
        return cs;
    };
    const QList<int> a = run(7);
    QCOMPARE(run(7), a);
    QVERIFY(run(8) != a);
    for (int c : a)
        QVERIFY(qAbs(c - 10000) <= 3);
    QVERIFY(*std::max_element(a.begin(), a.end()) != *std::min_element(a.begin(), a.end()));
}

void TestVirtualSensor::referencePointGivesProbeCapacitance()
{
    // The probe detection puts the head on the stored reference offsets and
    // computes Cx = 8.192 − (RefZL_C − C) × 0.00025 pF.
    VirtualSensor sensor;
    sensor.setFuelLitres(30);
    const QByteArray cal = ask(sensor, 0x51);
    QCOMPARE(cal.size(), 12);
    QVERIFY(!ask(sensor, 0x45, bytes({at(cal, 4)})).isEmpty());
    QVERIFY(!ask(sensor, 0x49, cal.mid(4, 2)).isEmpty());
    const int c = word(ask(sensor, 0x06), 7);
    const double cx = 8.192 - (word(cal, 7) - c) * 0.00025;
    QVERIFY(qAbs(cx - sensor.probePf()) < 0.00025);
    // The stored zero code is the empty probe on those offsets.
    QVERIFY(qAbs(8.192 - (word(cal, 7) - word(cal, 9)) * 0.00025 - 10.0) < 0.00025);
}

void TestVirtualSensor::probeClassRestoresOffsets()
{
    VirtualSensor sensor;
    const SensorRegisters factory = sensor.registers();
    ask(sensor, 0x4E, bytes({1})); // user class H
    ask(sensor, 0x45, bytes({39}));
    ask(sensor, 0x49, bytes({0x00, 0x90}));
    ask(sensor, 0x4E, bytes({1})); // reset: back to the class's stored zero
    QCOMPARE(sensor.registers().capdac, factory.capdac);
    ask(sensor, 0x45, bytes({39}));
    ask(sensor, 0x49, bytes({0x00, 0x90}));
    ask(sensor, 0x4F, bytes({1})); // store the class with this zero
    ask(sensor, 0x4E, bytes({5}));
    QCOMPARE(sensor.registers().capdac, factory.capdac);
    ask(sensor, 0x4E, bytes({1}));
    QCOMPARE(sensor.registers().capdac, quint8(39));
    QCOMPARE(sensor.registers().capoff, quint16(0x9000));
}

void TestVirtualSensor::zeroSearchConverges_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("noise");
    QTest::newRow("standard") << 10000 << 4000 << 0;
    QTest::newRow("user H") << 1600 << 1200 << 0;
    QTest::newRow("standard, noisy") << 10000 << 4000 << 3;
    QTest::newRow("user H, noisy") << 1600 << 1200 << 3;
}

void TestVirtualSensor::zeroSearchConverges()
{
    // The installer's zero search, step for step: one step per data reply,
    // offsets read back from the identity block, bisection first over CAPDAC
    // then over CAPOFF. It must finish well inside its 21-step attempt.
    QFETCH(int, target);
    QFETCH(int, window);
    QFETCH(int, noise);
    VirtualSensorOptions o;
    o.physics.noiseCounts = noise;
    VirtualSensor sensor(nullptr, o);
    const int fine = 15;
    auto setDac = [&](int v) { QVERIFY(!ask(sensor, 0x45, bytes({v})).isEmpty()); };
    auto setOff = [&](int v) { QVERIFY(!ask(sensor, 0x49, bytes({v & 0xFF, v >> 8})).isEmpty()); };
    setDac(63);
    setOff(32768);
    bool stage = false, dacLowFound = false, offLowFound = false, done = false;
    int dacHigh = 63, dacLow = 0, offHigh = 65535, offLow = 0, steps = 0;
    while (!done && steps < 21) {
        ++steps;
        const int m = word(ask(sensor, 0x06), 7);
        const QByteArray p = ask(sensor, 0x41);
        const int dac = at(p, 12), off = word(p, 14);
        if (!stage) {
            if (m < target - window && !dacLowFound) {
                dacHigh = dac;
                setDac(dacHigh / 2);
            }
            if (m > target + window) {
                dacLow = dac;
                setDac(dacLow + (dacHigh - dacLow) / 2);
                dacLowFound = true;
            }
            if (m < target - window && dacLowFound) {
                dacHigh = dac;
                setDac(dacLow + (dacHigh - dacLow) / 2);
            }
            if (target - window < m && m < target + window) {
                stage = true;
                offLowFound = false;
                setOff(65500);
                continue;
            }
        }
        if (stage) {
            if (m < target - fine && !offLowFound) {
                offHigh = off;
                setOff(offHigh / 2);
            }
            if (m < target - fine && offLowFound) {
                offHigh = off;
                setOff(offLow + (offHigh - offLow) / 2);
            }
            if (m > target + fine) {
                offLow = off;
                setOff(offLow + (offHigh - offLow) / 2);
                offLowFound = true;
            }
        }
        done = stage && target - fine <= m && m <= target + fine;
    }
    QVERIFY2(done, qPrintable(QString("no zero after %1 steps").arg(steps)));
    QVERIFY2(steps <= 16, qPrintable(QString("%1 steps leave too little margin").arg(steps)));
    QVERIFY(qAbs(sensor.capacitanceCode() - target) <= fine + noise);
}

QTEST_GUILESS_MAIN(TestVirtualSensor)
#include "tst_virtual_sensor.moc"
