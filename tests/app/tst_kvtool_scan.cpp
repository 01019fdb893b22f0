// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool scan on a line with several sensors: kv-sensor-sim plays three heads
// on one pseudo-terminal, two at 19200 and one at 9600 bit/s. The search at
// the all-devices address gets colliding replies; the scan finds each sensor
// at its address and speed. The frame log written meanwhile is read back.

#include "support/tool_process.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

ToolRun kvtool(const QStringList &args)
{
    return runTool(QStringLiteral(KVTOOL), args);
}

const QStringList kBus{QStringLiteral("--sensor"),   QStringLiteral("1"),
                       QStringLiteral("--sensor"),   QStringLiteral("17:4711"),
                       QStringLiteral("--sensor"),   QStringLiteral("40:99:9600"),
                       QStringLiteral("--firmware"), QStringLiteral("0x53"),
                       QStringLiteral("--delay-ms"), QStringLiteral("0")};

} // namespace

class TstKvtoolScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchAtTheAllDevicesAddressCollides()
    {
        SimProcess sim;
        QVERIFY(sim.start(QStringLiteral(KV_SENSOR_SIM), kBus));
        const ToolRun r =
            kvtool({QStringLiteral("identify"), QStringLiteral("--port"), sim.device});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(QLatin1String("1 with a bad CRC")), qPrintable(r.err));
    }

    void scanListsEverySensorAndLogsTheFrames()
    {
        SimProcess sim;
        QVERIFY(sim.start(QStringLiteral(KV_SENSOR_SIM), kBus));
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("frames.log"));
        const ToolRun r =
            kvtool({QStringLiteral("--log-frames"), log, QStringLiteral("scan"),
                    QStringLiteral("--port"), sim.device, QStringLiteral("--speeds"),
                    QStringLiteral("9600,19200"), QStringLiteral("--addresses"),
                    QStringLiteral("1-40"), QStringLiteral("--timeout-ms"), QStringLiteral("40")});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.mid(0, 4),
                 (QStringList{QStringLiteral("address   serial  firmware   speed  model"),
                              QStringLiteral("     40   000099     v.5.3    9600  QMA-10"),
                              QStringLiteral("      1   100001     v.5.3   19200  QMA-10"),
                              QStringLiteral("     17   004711     v.5.3   19200  QMA-10")}));
        QVERIFY2(QRegularExpression(QStringLiteral("^3 sensors found in \\d+\\.\\d s$"))
                     .match(lines[4])
                     .hasMatch(),
                 qPrintable(lines[4]));

        // The log: a header, then every request of the scan in order, each
        // address 1..40 at each speed and never the all-devices address, and
        // the three replies right after their requests.
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList logged =
            QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(logged[0].startsWith(QLatin1String("# kvtool frame log opened ")));
        const QRegularExpression line(
            QStringLiteral("^(\\d+) (TX|RX) ((?:[0-9A-F]{2} )+[0-9A-F]{2}) READ_PARAM$"));
        QStringList sentTo, answeredBy;
        qint64 last = 0;
        for (const QString &l : logged.mid(1)) {
            if (l.startsWith(QLatin1Char('#'))) // a header: the port opened at each speed
                continue;
            const auto m = line.match(l);
            QVERIFY2(m.hasMatch(), qPrintable(l));
            QVERIFY(m.captured(1).toLongLong() >= last);
            last = m.captured(1).toLongLong();
            const QStringList bytes = m.captured(3).split(QLatin1Char(' '));
            if (m.captured(2) == QLatin1String("TX")) {
                QCOMPARE(bytes.size(), 4);
                QCOMPARE(bytes[0], QStringLiteral("31"));
                sentTo << QString::number(bytes[1].toInt(nullptr, 16));
            } else {
                QCOMPARE(bytes.size(), 22);
                QCOMPARE(bytes[0], QStringLiteral("3E"));
                // A reply follows the request to its own address.
                QCOMPARE(QString::number(bytes[1].toInt(nullptr, 16)), sentTo.last());
                answeredBy << sentTo.last();
            }
        }
        QStringList expected;
        for (int speed = 0; speed < 2; ++speed)
            for (int a = 1; a <= 40; ++a)
                expected << QString::number(a);
        QCOMPARE(sentTo, expected);
        QCOMPARE(answeredBy, (QStringList{"40", "1", "17"}));
    }

    void emptyLineIsSaid()
    {
        SimProcess sim;
        QVERIFY(sim.start(QStringLiteral(KV_SENSOR_SIM), {QStringLiteral("--silent")}));
        const ToolRun r = kvtool({QStringLiteral("scan"), QStringLiteral("--port"), sim.device,
                                  QStringLiteral("--addresses"), QStringLiteral("1-20"),
                                  QStringLiteral("--timeout-ms"), QStringLiteral("5")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(QLatin1String("kvtool scan: no sensor answered at addresses "
                                                "1..20")),
                 qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TstKvtoolScan)
#include "tst_kvtool_scan.moc"
