// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The output scale's unit conversions and frame data, as tables.

#include "calibration/output_scale.h"

#include <QTest>

class TstOutputScale : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void conversions_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("nmax");
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("freq");
        QTest::newRow("C 65535, 12 bit") << "C" << 65535 << 4095 << 65535 << 4095 << 100 << 1500;
        QTest::newRow("C 65535, 10 bit") << "C" << 65535 << 1023 << 65535 << 1023 << 100 << 1500;
        QTest::newRow("C 0") << "C" << 0 << 4095 << 0 << 0 << 0 << 500;
        QTest::newRow("N 2048, 12 bit") << "N" << 2048 << 4095 << 32775 << 2048 << 50 << 1000;
        QTest::newRow("N 512, 10 bit") << "N" << 512 << 1023 << 32799 << 512 << 50 << 1000;
        QTest::newRow("1000 Hz") << "f" << 1000 << 4095 << 32767 << 2047 << 50 << 1000;
        QTest::newRow("50 %") << "p" << 50 << 4095 << 32767 << 2047 << 50 << 1000;
        QTest::newRow("100 %") << "p" << 100 << 1023 << 65535 << 1023 << 100 << 1500;
        QTest::newRow("500 Hz") << "f" << 500 << 1023 << 0 << 0 << 0 << 500;
    }
    void conversions()
    {
        QFETCH(QString, from);
        QFETCH(int, value);
        QFETCH(int, nmax);
        QFETCH(int, c);
        QFETCH(int, n);
        QFETCH(int, percent);
        QFETCH(int, freq);
        using namespace OutputScale;
        const End e = from == "C"   ? fromCode(value, nmax)
                      : from == "N" ? fromLevel(value, nmax)
                      : from == "p" ? fromPercent(value, nmax)
                                    : fromFrequency(value, nmax);
        QCOMPARE(e.c, c);
        QCOMPARE(e.n, n);
        QCOMPARE(e.percent, percent);
        QCOMPARE(e.freq, freq);
    }

    void frameData()
    {
        using namespace OutputScale;
        QCOMPARE(wordData(0x1234), std::optional<QByteArray>(QByteArray::fromHex("3412")));
        QCOMPARE(wordData(65536), std::nullopt);
        QCOMPARE(wordData(-1), std::nullopt);
        std::array<float, 8> coef{1.725f, 0, 0, 0,
                                  0,      0, 0, std::numeric_limits<float>::quiet_NaN()};
        const QByteArray d = calcParamData(3, 150, coef);
        QCOMPARE(d.size(), 37);
        QCOMPARE(d.at(0), char(3));
        QCOMPARE(d.mid(1, 4), QByteArray::fromHex("0000c03f")); // 1.5
        QCOMPARE(d.mid(33, 4), QByteArray(4, '\0'));            // NaN goes out as 0
        QCOMPARE(levelMax("12"), 4095);
        QCOMPARE(levelMax("10"), 1023);
        QCOMPARE(levelMax("16"), 1023);
    }

    void maskedTexts()
    {
        const NumberFormat nf(QLatin1Char(','));
        using namespace OutputScale;
        QCOMPARE(maskedNumber(" 1,5 ", nf), std::optional<double>(1.5));
        QCOMPARE(maskedNumber("ab,cd", nf), std::nullopt);
        QCOMPARE(zeroLengthText(172, nf), QStringLiteral("01,7200"));
        QCOMPARE(permixText(150, nf), QStringLiteral(" 1,50"));
    }
};

QTEST_GUILESS_MAIN(TstOutputScale)
#include "tst_output_scale.moc"
