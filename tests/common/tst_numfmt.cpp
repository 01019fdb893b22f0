// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/numfmt.h"

#include <QTest>
#include <cmath>
#include <limits>

class NumberFormats : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedFormats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("%2.2f") << "%2.2f" << 3.14159 << "3,14";
        QTest::newRow("%5.2f pads") << "%5.2f" << 3.14159 << " 3,14";
        QTest::newRow("%7.4f") << "%7.4f" << 1.5 << " 1,5000";
        QTest::newRow("%7.5f") << "%7.5f" << 0.01633 << "0,01633";
        QTest::newRow("%5.3f") << "%5.3f" << 1.725 << "1,725";
        QTest::newRow("%4.2f negative") << "%4.2f" << -2.5 << "-2,50";
        QTest::newRow("%5.1f") << "%5.1f" << 70.0 << " 70,0";
        QTest::newRow("%5.0f") << "%5.0f" << 1234.4 << " 1234";
        QTest::newRow("%3.1f") << "%3.1f" << 180.0 << "180,0";
        QTest::newRow("%2.3f") << "%2.3f" << 0.5 << "0,500";
        QTest::newRow("NaN shows 0") << "%5.2f" << std::numeric_limits<double>::quiet_NaN() << " 0,00";
    }
    void fixedFormats()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, text);
        NumberFormat nf(QLatin1Char(','));
        QCOMPARE(nf.format(format.toLatin1().constData(), value), text);
    }

    void monitoringFileUsesFullStop()
    {
        QCOMPARE(NumberFormat::fixedDot(12.5, 3, 4), QStringLiteral("12.500"));
        NumberFormat nf(QLatin1Char(','));
        QCOMPARE(nf.fixed(12.5, 3, 4), QStringLiteral("12,500"));
    }

    void generalForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("12.5") << 12.5 << "12,5";
        QTest::newRow("100") << 100.0 << "100";
        QTest::newRow("0") << 0.0 << "0";
        QTest::newRow("-0") << -0.0 << "0";
        QTest::newRow("0.1") << 0.1 << "0,1";
        QTest::newRow("15 digits") << 1234567.89012345 << "1234567,89012345";
        QTest::newRow("float noise") << double(0.1f) << "0,100000001490116";
        QTest::newRow("negative") << -40.25 << "-40,25";
    }
    void generalForm()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberFormat(QLatin1Char(',')).general(value), text);
    }

    // Whole hundredths below 10,000 (litres above all) are written without
    // the general conversion: the text must be the one it gives.
    void generalFormOfHundredthsMatchesConversion()
    {
        const NumberFormat nf(QLatin1Char(','));
        auto conversion = [](double v) {
            return QString::number(v, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
        };
        for (qint64 h = -1000000; h <= 1000000; h += 37) {
            const double v = double(h) / 100;
            if (v != 0)
                QCOMPARE(nf.general(v), conversion(v));
        }
        for (double v : {0.01, -0.01, 0.1, 0.99, 9999.99, -9999.99, 1000.0, 9999.0, 0.05, 12.5,
                         1e-3, 0.125, 0.1 + 0.2, 10000.0, 10000.01, 123456.78})
            QCOMPARE(nf.general(v), conversion(v));
        QCOMPARE(NumberFormat(QLatin1Char('.')).general(-40.25), QStringLiteral("-40.25"));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("leading zeros") << "0012,50" << true << 12.5;
        QTest::newRow("integer") << "100" << true << 100.0;
        QTest::newRow("blanks") << "  7,25 " << true << 7.25;
        QTest::newRow("negative") << "-3,5" << true << -3.5;
        QTest::newRow("trailing sep") << "5," << true << 5.0;
        QTest::newRow("full stop refused") << "12.5" << false << 0.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("two seps") << "1,2,3" << false << 0.0;
        QTest::newRow("nan") << "nan" << false << 0.0;
        QTest::newRow("overflow") << "1e999" << false << 0.0;
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto v = NumberFormat(QLatin1Char(',')).parse(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    void roundTripThroughGeneralForm()
    {
        NumberFormat nf(QLatin1Char(','));
        for (double v : {0.01633, 1.725, 123.45, 99999.99, -0.5}) {
            const auto back = nf.parse(nf.general(v));
            QVERIFY(back.has_value());
            QCOMPARE(*back, v);
        }
    }
};

QTEST_GUILESS_MAIN(NumberFormats)
#include "tst_numfmt.moc"
