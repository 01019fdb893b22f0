// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The inclinometer page's values: the azimuth write's data bytes, the text
// typed into the azimuth edit and the text an arrow click writes.

#include "calibration/inclinometer.h"

#include <QTest>

class TstInclinometer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void azimuthData_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("180,0") << 1800 << QByteArray::fromHex("00003443");
        QTest::newRow("0") << 0 << QByteArray::fromHex("00000000");
        QTest::newRow("360,0") << 3600 << QByteArray::fromHex("0000b443");
        QTest::newRow("12,5") << 125 << QByteArray::fromHex("00004841");
    }
    void azimuthData()
    {
        QFETCH(int, position);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Inclinometer::azimuthData(position), bytes);
    }

    void typedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position"); // -1: not a number
        QTest::newRow("999,9 held at 360") << "999,9" << 3600;
        QTest::newRow("blanks read as 0") << "  5,5" << 55;
        QTest::newRow("180,0") << "180,0" << 1800;
        QTest::newRow("0,1") << "000,1" << 1;
        QTest::newRow("the initial blank mask") << "   , " << 0;
        QTest::newRow("a full stop") << "180.0" << -1;
        QTest::newRow("letters") << "1a0,0" << -1;
    }
    void typedText()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        const auto p = Inclinometer::positionFromText(text, NumberFormat(QLatin1Char(',')));
        QCOMPARE(p.value_or(-1), position);
    }

    void arrowText()
    {
        const NumberFormat nf(QLatin1Char(','));
        QCOMPARE(Inclinometer::textFromPosition(1800, nf), QStringLiteral("180,0"));
        QCOMPARE(Inclinometer::textFromPosition(56, nf), QStringLiteral("  5,6"));
        QCOMPARE(Inclinometer::textFromPosition(0, nf), QStringLiteral("  0,0"));
    }
};

QTEST_GUILESS_MAIN(TstInclinometer)
#include "tst_inclinometer.moc"
