// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The live-data reply (DATA_READ): temperature, N, C with its deviation and
// warning blink in both regimes, frequency, gauges; and the bit-string helpers.

#include "replies.h"
#include "sensor/decode.h"

#include <QtTest>

using namespace decode;

namespace {

constexpr quint8 DATA_READ = 0x06;
constexpr int StandardClass = 0; // "710"
constexpr int UserHClass = 6;

QByteArray live(int t, int n, int c)
{
    return replyWith(DATA_READ, {{4, t}, {5, n & 0xFF}, {6, n >> 8}, {7, c & 0xFF}, {8, c >> 8}});
}

const NumberFormat Comma(QLatin1Char(','));

} // namespace

class TestLiveDecode : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void temperature_data();
    void temperature();
    void levelCode();
    void deviation_data();
    void deviation();
    void frequencyAndGauges_data();
    void frequencyAndGauges();
    void errorOnEntrySkipsEverything();
    void unansweredPollDecodesZeros();
    void bitStrings_data();
    void bitStrings();
};

void TestLiveDecode::temperature_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("lbT");
    QTest::addColumn<QString>("edTetmo1");
    QTest::addColumn<int>("upDown2");

    QTest::newRow("0x19") << 0x19 << "t=+25*C"
                          << "+25" << 25;
    QTest::newRow("0x00") << 0x00 << "t=+0*C"
                          << "+0" << 0;
    QTest::newRow("0xFB") << 0xFB << "-5"
                          << "-5" << -5;
    QTest::newRow("0x80") << 0x80 << "-128"
                          << "-128" << -128;
    QTest::newRow("0xFF") << 0xFF << "-1"
                          << "-1" << -1;
}

void TestLiveDecode::temperature()
{
    QFETCH(int, byte);
    QFETCH(QString, lbT);
    QFETCH(QString, edTetmo1);
    QFETCH(int, upDown2);

    const ReadDataResult r = ReadData(live(byte, 0, 10000), false, StandardClass, Comma);
    QCOMPARE(r.lbT, lbT);
    QCOMPARE(r.edTetmo1, edTetmo1);
    QCOMPARE(r.upDown2, upDown2);
    QCOMPARE(r.temperature, upDown2);
}

void TestLiveDecode::levelCode()
{
    SensorState s;
    const ReadDataResult r =
        ReadData(replyWith(DATA_READ, {{5, 0x34}, {6, 0x12}, {7, 0x10}, {8, 0x27}}), false,
                 StandardClass, Comma);
    QCOMPARE(r.levelCode, 4660);
    QCOMPARE(r.lbN, QStringLiteral("N = 4660"));
    QCOMPARE(r.edN, QStringLiteral("4660"));
    QCOMPARE(r.capacitance, 10000);
    QCOMPARE(r.calMeasuredC, std::optional<int>(10000));
    QVERIFY(!r.crcError);
    r.applyTo(s);
    QCOMPARE(s.SensorParam.Val_N, 4660);
    QCOMPARE(s.SensorParam.Val_C, 10000);
}

void TestLiveDecode::deviation_data()
{
    QTest::addColumn<int>("probeClass");
    QTest::addColumn<int>("c");
    QTest::addColumn<QString>("lbC");
    QTest::addColumn<QString>("lbProc");
    QTest::addColumn<QString>("lbRuhProc");
    QTest::addColumn<QString>("edCProc");
    QTest::addColumn<QString>("edC");
    QTest::addColumn<bool>("normalColour");
    QTest::addColumn<bool>("blink");

    // clang-format off
    QTest::newRow("std at zero")       << StandardClass << 10000 << "C = 0"     << "0,00%"   << "+0,00%"  << "0,00"   << "0"     << true  << false;
    QTest::newRow("std 9000")          << StandardClass << 9000  << "C = -1000" << "-2,00%"  << "-2,00%"  << "-2,00"  << "-1000" << true  << false;
    QTest::newRow("std 500 blinks")    << StandardClass << 500   << "C = -9500" << "-19,00%" << "-19,00%" << "-19,00" << "-9500" << false << true;
    QTest::newRow("std at low limit")  << StandardClass << 1000  << "C = -9000" << "-18,00%" << "-18,00%" << "-18,00" << "-9000" << false << false;
    QTest::newRow("std at high limit") << StandardClass << 15000 << "C = 5000"  << "10,00%"  << "+10,00%" << "10,00"  << "5000"  << false << false;
    QTest::newRow("std above high")    << StandardClass << 15001 << "C = 5001"  << "10,00%"  << "+10,00%" << "10,00"  << "5001"  << false << true;
    QTest::newRow("user H 500")        << UserHClass    << 500   << "C = -1100" << "-1,88%"  << "-1,88%"  << "-1,88"  << "-1100" << true  << false;
    QTest::newRow("user H 100 blinks") << UserHClass    << 100   << "C = -1500" << "-2,57%"  << "-2,57%"  << "-2,57"  << "-1500" << false << true;
    QTest::newRow("user H at 200")     << UserHClass    << 200   << "C = -1400" << "-2,40%"  << "-2,40%"  << "-2,40"  << "-1400" << false << false;
    QTest::newRow("user H 5600")       << UserHClass    << 5600  << "C = 4000"  << "6,85%"   << "+6,85%"  << "6,85"   << "4000"  << false << false;
    QTest::newRow("user H 6000 blinks")<< UserHClass    << 6000  << "C = 4400"  << "7,53%"   << "+7,53%"  << "7,53"   << "4400"  << false << true;
    // clang-format on
}

void TestLiveDecode::deviation()
{
    QFETCH(int, probeClass);
    QFETCH(int, c);
    QFETCH(QString, lbC);
    QFETCH(QString, lbProc);
    QFETCH(QString, lbRuhProc);
    QFETCH(QString, edCProc);
    QFETCH(QString, edC);
    QFETCH(bool, normalColour);
    QFETCH(bool, blink);

    const ReadDataResult r = ReadData(live(0x19, 0, c), false, probeClass, Comma);
    QCOMPARE(r.edCCod, QString::number(c));
    QCOMPARE(r.lbC, lbC);
    QCOMPARE(r.lbProc, lbProc);
    QCOMPARE(r.lbRuhProc, lbRuhProc);
    QCOMPARE(r.edCProc, edCProc);
    QCOMPARE(r.edC, edC);
    QCOMPARE(r.ruhProcNormalColour, normalColour);
    QCOMPARE(r.ruhProcBlink, blink);
}

void TestLiveDecode::frequencyAndGauges_data()
{
    QTest::addColumn<int>("probeClass");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("freq");
    QTest::addColumn<int>("gauge1");
    QTest::addColumn<int>("gauge2");

    QTest::newRow("std C 0") << StandardClass << 0 << 500 << 0 << 0;
    QTest::newRow("std C 10000") << StandardClass << 10000 << 652 << 10000 << 0;
    QTest::newRow("std C 12000") << StandardClass << 12000 << 683 << 10000 << 2000;
    QTest::newRow("std C 65535 clamps") << StandardClass << 65535 << 1500 << 10000 << 5000;
    QTest::newRow("user H C 2000") << UserHClass << 2000 << 530 << 1600 << 400;
    QTest::newRow("user H C 1000") << UserHClass << 1000 << 515 << 1000 << 0;
}

void TestLiveDecode::frequencyAndGauges()
{
    QFETCH(int, probeClass);
    QFETCH(int, c);
    QFETCH(int, freq);
    QFETCH(int, gauge1);
    QFETCH(int, gauge2);

    const ReadDataResult r = ReadData(live(0x19, 0, c), false, probeClass, Comma);
    QCOMPARE(r.edFreq, freq);
    QCOMPARE(r.gauges.gauge1Progress, gauge1);
    QCOMPARE(r.gauges.gauge2Progress, gauge2);
    const bool userH = probeClass == UserHClass;
    QCOMPARE(r.gauges.gauge1Max, userH ? 1600 : 10000);
    QCOMPARE(r.gauges.gauge2Max, userH ? 4000 : 5000);
    QCOMPARE(r.gauges.gauge2Left, userH ? 125 : 282);
    QCOMPARE(r.gauges.trackBar1Max, userH ? 26 : 12);
    QCOMPARE(r.gauges.label4.size(), 128);
    QVERIFY(r.gauges.label4.startsWith(userH ? "-2.7%" : "-20%"));
}

void TestLiveDecode::errorOnEntrySkipsEverything()
{
    SensorState s;
    s.SensorParam.Val_N = 77;
    const ReadDataResult r = ReadData(live(0x19, 4660, 9000), true, StandardClass, Comma);
    QVERIFY(r.skipped);
    QVERIFY(r.crcError);
    QVERIFY(!r.calMeasuredC);
    QVERIFY(r.lbN.isEmpty());
    r.applyTo(s);
    QCOMPARE(s.SensorParam.Val_N, 77);
}

void TestLiveDecode::unansweredPollDecodesZeros()
{
    // After a time-out the decoder runs on the zeros the poller left: the
    // window shows them, but the zero search must not take C = 0 as measured.
    const ReadDataResult r = ReadData(QByteArray(), false, StandardClass, Comma);
    QVERIFY(!r.skipped);
    QVERIFY(r.crcError);
    QVERIFY(!r.calMeasuredC);
    QCOMPARE(r.lbN, QStringLiteral("N = 0"));
    QCOMPARE(r.lbC, QStringLiteral("C = -10000"));
    QCOMPARE(r.lbProc, QStringLiteral("-20,00%"));
    QCOMPARE(r.lbT, QStringLiteral("t=+0*C"));

    // A reply of the right length from another command is no live data either.
    const QByteArray other = buildReply(0x05, 0x05, QByteArray(5, '\x10'));
    QVERIFY(ReadData(other, false, StandardClass, Comma).crcError);
}

void TestLiveDecode::bitStrings_data()
{
    QTest::addColumn<qint64>("x");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("0") << qint64(0) << "00000000";
    QTest::newRow("6") << qint64(6) << "01100000";
    QTest::newRow("0xFB") << qint64(0xFB) << "11011111";
    QTest::newRow("29 bits") << qint64(0x1FFFFFFF) << "11111111";
}

void TestLiveDecode::bitStrings()
{
    QFETCH(qint64, x);
    QFETCH(QString, prefix);

    const QString bits = IntToBinInside(x);
    QCOMPARE(bits.size(), 29);
    QVERIFY2(bits.startsWith(prefix), qPrintable(bits));
    QCOMPARE(BinToInt(bits), x);
    QCOMPARE(degree(0), qint64(1));
    QCOMPARE(degree(10), qint64(1024));
    // Only the first 30 characters count.
    QCOMPARE(BinToInt(QString(30, '0') + "1111"), qint64(0));
    QCOMPARE(BinToInt(QString(29, '0') + "1"), degree(29));
}

QTEST_GUILESS_MAIN(TestLiveDecode)
#include "tst_live_decode.moc"
