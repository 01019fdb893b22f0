// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A recording killed (SIGKILL) at random moments must leave a protocol that
// opens and holds every user point whose Rec had returned: the recording alone,
// and the whole program working in the calibration window (Rec with autosave,
// corrections, deletions, Stop's end pair).

#include "common/numfmt.h"
#include "tank/protocol_file.h"

#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

class TestProtocolKill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLosesNothingWritten();
    void killedCalibrationWindowLosesNothingAcknowledged();
};

namespace {

using Points = QMap<int, QPair<qint32, double>>;

/// The points of a "NEXT"/"ACK" line of the calibration driver.
Points parsePoints(const QByteArray &line)
{
    Points out;
    const QList<QByteArray> f = line.split(' ');
    for (qsizetype i = 1; i < f.size(); ++i) {
        const QList<QByteArray> p = f[i].split(':');
        if (p.size() == 3)
            out.insert(p[0].toInt(), {p[1].toInt(), p[2].toDouble()});
    }
    return out;
}

QString describe(const Points &p)
{
    QStringList out;
    for (auto it = p.cbegin(); it != p.cend(); ++it)
        out << QStringLiteral("%1:%2:%3").arg(it.key()).arg(it->first).arg(it->second);
    return out.join(' ');
}

} // namespace

void TestProtocolKill::killedCalibrationWindowLosesNothingAcknowledged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tank.kvi"));
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    qInfo("seed %u", seed);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), dir.path()); // what a killed child leaves goes with dir
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    int kills = 0, stops = 0;
    while (kills < 100) {
        QProcess child;
        child.setProgram(QStringLiteral(KV_CALIBRATION_DRIVER));
        child.setArguments({path, QString::number(rng.generate())});
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        QVERIFY(child.waitForStarted());
        // Kill after a random number of acknowledged operations, and then at a
        // random moment of the next one.
        const int wanted = int(rng.bounded(1, 6));
        QByteArray out;
        bool done = false;
        while (!done && out.count("ACK") < wanted) {
            if (!child.waitForReadyRead(30000)) {
                QVERIFY2(child.state() != QProcess::Running, "the driver stopped working");
                break;
            }
            out += child.readAllStandardOutput();
            done = out.contains("DONE");
        }
        bool killed = false;
        if (!done && child.state() == QProcess::Running) {
            QThread::usleep(rng.bounded(20000));
            child.kill();
            killed = true;
            ++kills;
        }
        // waitForFinished() is false for a child that has already ended.
        QVERIFY(child.state() == QProcess::NotRunning || child.waitForFinished(30000));
        out += child.readAllStandardOutput();
        if (child.exitStatus() == QProcess::NormalExit) {
            // Ended with Stop (perhaps just before the kill).
            QCOMPARE(child.exitCode(), 0);
            QVERIFY(out.contains("DONE"));
            ++stops;
        } else {
            QVERIFY2(killed, "the driver crashed");
        }

        // The last acknowledged points, and those of the operation under way.
        Points acked, next;
        bool pending = false;
        for (const QByteArray &line : out.split('\n')) {
            if (line.startsWith("ACK")) {
                acked = parsePoints(line);
                pending = false;
            } else if (line.startsWith("NEXT")) {
                next = parsePoints(line);
                pending = true;
            }
        }
        QVERIFY2(out.contains("ACK"), "the driver never opened the protocol");

        const QString where = QStringLiteral("kill %1 seed %2").arg(kills).arg(seed);
        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        const ProtocolStatus st = ProtocolFile(path).open(*data, general, points);
        QVERIFY2(st.ok(), qPrintable(where + QStringLiteral(": ") + st.text));
        Points stored;
        for (const UserPoint &p : data->UserPoints)
            stored.insert(p.index, {p.n, p.litres});
        QVERIFY2(stored == acked || (pending && stored == next),
                 qPrintable(where + QStringLiteral("\nfile:  ") + describe(stored) +
                            QStringLiteral("\nacked: ") + describe(acked) +
                            QStringLiteral("\nnext:  ") + describe(next)));
        // No half-written point: each index up to Stop_Point has all seven keys
        // or none, and the point Stop_Point names is whole.
        ProtocolReader reader;
        QVERIFY(reader.load(path).ok());
        const QString absent = QStringLiteral("\x01");
        const bool hasStop = reader.ini().hasKey(Protocol::kPoint, "Stop_Point");
        for (int i = 0; i <= reader.stopPoint(); ++i) {
            const PointKeys k = reader.pointKeys(i, absent);
            int present = 0;
            for (const QString &v :
                 {k.Time, k.FilterN, k.FilterC, k.Sistem_Time, k.liter, k.Tetmo, k.Status_Save})
                present += v != absent;
            const bool whole =
                present == 7 || (present == 0 && !(hasStop && i == reader.stopPoint()));
            QVERIFY2(
                whole,
                qPrintable(where +
                           QStringLiteral(": point %1 has %2 of its keys").arg(i).arg(present)));
        }
    }
    qInfo("%d kills, %d calibrations ended with Stop in between", kills, stops);
}

void TestProtocolKill::killedWriterLosesNothingWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kill.kvi"));
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    qInfo("seed %u", seed);

    // Every user point acknowledged over all rounds: index -> (N, litres text).
    QMap<int, QPair<int, QString>> acknowledged;
    for (int round = 0; round < 40; ++round) {
        QProcess child;
        child.setProgram(QStringLiteral(KV_KILL_WRITER));
        child.setArguments({path});
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start();
        QVERIFY(child.waitForStarted());
        const int wanted = int(rng.bounded(1, 25));
        int seen = 0;
        QByteArray pending;
        while (seen < wanted) {
            QVERIFY2(child.waitForReadyRead(10000), "the writer stopped acknowledging points");
            pending += child.readAllStandardOutput();
            seen = pending.count('\n');
        }
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        pending += child.readAllStandardOutput();
        for (const QByteArray &line : pending.split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() == 3)
                acknowledged.insert(f[0].toInt(), {f[1].toInt(), QString::fromLatin1(f[2])});
        }

        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        const ProtocolStatus st = ProtocolFile(path).open(*data, general, points);
        QVERIFY2(
            st.ok(),
            qPrintable(QStringLiteral("round %1 seed %2: %3").arg(round).arg(seed).arg(st.text)));
        QMap<int, UserPoint> stored;
        for (const UserPoint &p : data->UserPoints)
            stored.insert(p.index, p);
        for (auto it = acknowledged.cbegin(); it != acknowledged.cend(); ++it) {
            QVERIFY2(stored.contains(it.key()),
                     qPrintable(QStringLiteral("round %1 seed %2: point %3 lost")
                                    .arg(round)
                                    .arg(seed)
                                    .arg(it.key())));
            const UserPoint &p = stored[it.key()];
            QCOMPARE(p.n, it.value().first);
            QCOMPARE(p.litres, NumberFormat(QLatin1Char(',')).parse(it.value().second).value());
        }
    }
    QVERIFY(acknowledged.size() >= 40);
}

QTEST_GUILESS_MAIN(TestProtocolKill)
#include "tst_protocol_kill.moc"
