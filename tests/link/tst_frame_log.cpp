// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The frame log: a short exchange with the virtual sensor through the frame
// layer, read back line by line (requests, replies, a bad CRC, noise), the
// log complete while still open, appended across runs, and rotated at its size.

#include "link/frame_link.h"
#include "link/frame_log.h"
#include "sim/virtual_sensor.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList linesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString hex(const QByteArray &b)
{
    return QString::fromLatin1(b.toHex(' ').toUpper());
}

// The frame layer wired to a virtual sensor: what the link writes goes to the
// sensor, what the sensor answers comes back as one chunk.
struct Rig {
    explicit Rig(FrameLog *log)
    {
        VirtualSensorOptions o;
        o.address = 5;
        sensor = std::make_unique<VirtualSensor>(nullptr, o);
        link.setFrameLog(log);
        link.setWriter([this](const QByteArray &frame) {
            sent << frame;
            for (const QByteArray &reply : sensor->feed(frame)) {
                replies << reply;
                link.FPortReadPacket(reply.constData(), int(reply.size()), 0);
            }
            return true;
        });
    }
    std::unique_ptr<VirtualSensor> sensor;
    FrameLink link;
    QByteArrayList sent, replies;
};

} // namespace

class TstFrameLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exchangeReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("frames.log"));
        qint64 now = 1000;
        FrameLog log(FrameLog::DefaultMaxBytes, [&now] { return now; });
        QCOMPARE(log.open(path, QStringLiteral("test")), QString());
        Rig rig(&log);

        rig.link.WriteComand(5, CommandTable.READ_SN);
        now += 7;
        rig.link.WriteComand(5, CommandTable.DATA_READ);
        now += 7;
        rig.sensor->faults().badCrc = true;
        rig.link.WriteComand(5, CommandTable.READ_SOND_LEN);
        rig.sensor->faults().badCrc = false;
        now += 7;
        rig.link.FPortReadPacket("\x00\x3E\x05", 3, 0);
        QCOMPARE(rig.replies.size(), 3);

        // Read while the log is still open: every line is already on disk.
        const QStringList lines = linesOf(path);
        QCOMPARE(lines.size(), 8);
        QVERIFY2(lines[0].startsWith(QLatin1String("# test frame log opened ")),
                 qPrintable(lines[0]));
        QVERIFY(lines[0].endsWith(QLatin1String(" at monotonic 1000 ms")));
        QCOMPARE(lines.mid(1),
                 (QStringList{
                     QStringLiteral("1000 TX %1 READ_SN").arg(hex(rig.sent[0])),
                     QStringLiteral("1000 RX %1 READ_SN").arg(hex(rig.replies[0])),
                     QStringLiteral("1007 TX %1 DATA_READ").arg(hex(rig.sent[1])),
                     QStringLiteral("1007 RX %1 DATA_READ").arg(hex(rig.replies[1])),
                     QStringLiteral("1014 TX %1 READ_SOND_LEN").arg(hex(rig.sent[2])),
                     QStringLiteral("1014 RX %1 READ_SOND_LEN bad-CRC").arg(hex(rig.replies[2])),
                     QStringLiteral("1021 RX 00 3E 05 discarded"),
                 }));
        QCOMPARE(hex(rig.sent[0]).left(8), QStringLiteral("31 05 42"));
    }

    void appendsAcrossRuns()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("frames.log"));
        for (int run = 0; run < 2; ++run) {
            FrameLog log;
            QCOMPARE(log.open(path, QStringLiteral("test")), QString());
            Rig rig(&log);
            rig.link.WriteComand(5, CommandTable.READ_PARAM);
        }
        const QStringList lines = linesOf(path);
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[3].startsWith(QLatin1String("# test frame log opened")));
        // The monotonic clock never runs backwards from one line to the next.
        qint64 last = 0;
        for (const QString &l : lines) {
            if (l.startsWith(QLatin1Char('#')))
                continue;
            const qint64 t = l.section(QLatin1Char(' '), 0, 0).toLongLong();
            QVERIFY(t >= last);
            last = t;
        }
    }

    void rotatesAtItsSize()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("frames.log"));
        qint64 now = 0;
        FrameLog log(2048, [&now] { return now; });
        QCOMPARE(log.open(path, QStringLiteral("test")), QString());
        Rig rig(&log);
        // 150 polls: two lines each, about 40 and 55 bytes.
        for (int i = 0; i < 150; ++i, ++now)
            rig.link.WriteComand(5, CommandTable.DATA_READ);

        QVERIFY(QFile(path).size() <= 2048);
        QVERIFY(QFile(path + QStringLiteral(".1")).size() <= 2048);
        QVERIFY(!QFile::exists(path + QStringLiteral(".2")));
        const QStringList newest = linesOf(path);
        QVERIFY(newest[0].startsWith(QLatin1String("# test frame log continued from ")));
        // No line is lost across the turn, and the newest poll is last.
        const QStringList older = linesOf(path + QStringLiteral(".1"));
        const QStringList polls =
            (older + newest).filter(QRegularExpression(QStringLiteral("^\\d")));
        QVERIFY(polls.size() > 20);
        for (int i = 1; i < polls.size(); ++i) {
            const bool tx = polls[i].contains(QLatin1String(" TX "));
            QCOMPARE(tx, polls[i - 1].contains(QLatin1String(" RX ")));
            const qint64 t = polls[i].section(QLatin1Char(' '), 0, 0).toLongLong();
            const qint64 before = polls[i - 1].section(QLatin1Char(' '), 0, 0).toLongLong();
            QCOMPARE(t - before, tx ? 1 : 0);
        }
        QVERIFY(polls.last().startsWith(QLatin1String("149 RX ")));
    }

    void unwritableFileIsSaid()
    {
        FrameLog log;
        const QString error =
            log.open(QStringLiteral("/nonexistent-dir/frames.log"), QStringLiteral("test"));
        QVERIFY(error.startsWith(QLatin1String("cannot write the frame log /nonexistent-dir/")));
        QVERIFY(!log.isOpen());
    }
};

QTEST_GUILESS_MAIN(TstFrameLog)
#include "tst_frame_log.moc"
