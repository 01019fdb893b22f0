// A process killed at random moments while it writes points must leave a
// protocol that opens and holds every point whose write had returned.

#include "tank/protocol_file.h"

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

    int acknowledged = -1; // highest index whose write returned, over all rounds
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
        for (const QByteArray &line : pending.split('\n'))
            if (!line.isEmpty())
                acknowledged = std::max(acknowledged, line.toInt());

        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        const ProtocolStatus st = ProtocolFile(path).open(*data, general, points);
        QVERIFY2(
            st.ok(),
            qPrintable(QStringLiteral("round %1 seed %2: %3").arg(round).arg(seed).arg(st.text)));
        QVERIFY(points.stopPoint >= acknowledged);
        QVERIFY(data->UserPoints.size() >= size_t(acknowledged + 1));
        for (int i = 0; i <= acknowledged; ++i) {
            const UserPoint &p = data->UserPoints[size_t(i)];
            QCOMPARE(p.index, i);
            QCOMPARE(p.n, i);
            QCOMPARE(p.litres, i % 10000 + 0.5);
        }
    }
    QVERIFY(acknowledged >= 40);
}

QTEST_GUILESS_MAIN(TestProtocolKill)
#include "tst_protocol_kill.moc"
