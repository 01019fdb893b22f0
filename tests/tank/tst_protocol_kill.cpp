// A recording killed (SIGKILL) at random moments must leave a protocol that
// opens and holds every user point whose Rec had returned.

#include "common/numfmt.h"
#include "tank/protocol_file.h"

#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestProtocolKill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLosesNothingWritten();
};

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
