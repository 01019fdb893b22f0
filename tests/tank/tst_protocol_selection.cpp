// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Choosing the protocol, pure parts: the ring of recent protocols, the
// suggested name and the name check, and where a continued calibration goes.

#include "tank/protocol_selection.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
StoredPoint pt(int index, qint32 n, const char *status, qint32 time = 0, double litres = 0)
{
    return {index, time, n, litres, QString::fromLatin1(status)};
}
} // namespace

Q_DECLARE_METATYPE(std::vector<StoredPoint>)

class TstProtocolSelection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void suggestedName()
    {
        const QDateTime at(QDate(2026, 3, 5), QTime(7, 8, 9));
        QCOMPARE(suggestedProtocolName(at, 1), QStringLiteral("Протокол тарировки 20260305070809"));
        QCOMPARE(suggestedProtocolName(at, 0), QStringLiteral("Calibration data 20260305070809"));
    }

    void ringOfNine()
    {
        auto all = [](const QString &) { return true; };
        QStringList nine;
        for (int i = 0; i < 9; ++i)
            nine << QStringLiteral("/p/%1.kvi").arg(i);
        RecentProtocols r;
        r.load(nine, 4, all);
        QCOMPARE(r.slot(), 4);
        r.addCreated(QStringLiteral("/new/a.kvi"));
        QCOMPARE(r.entry(4), QStringLiteral("/new/a.kvi"));
        QCOMPARE(r.slot(), 5);
        for (int i = 0; i < 4; ++i)
            r.addCreated(QStringLiteral("/new/%1.kvi").arg(i));
        QCOMPARE(r.entry(8), QStringLiteral("/new/3.kvi"));
        QCOMPARE(r.slot(), 0);

        // PName0 gone from disk, 1..3 present: entries 0..2, the next takes 3.
        RecentProtocols gaps;
        gaps.load({"/gone.kvi", "/a.kvi", "/b.kvi", "/c.kvi", "", "", "", "", ""}, 7,
                  [](const QString &p) { return p != QLatin1String("/gone.kvi"); });
        QCOMPARE(gaps.entry(0), QStringLiteral("/a.kvi"));
        QCOMPARE(gaps.entry(2), QStringLiteral("/c.kvi"));
        QCOMPARE(gaps.entry(3), QString());
        QCOMPARE(gaps.slot(), 3);
        RecentProtocols none;
        none.load({}, 6, all);
        QCOMPARE(none.slot(), 0);
    }

    void nameTaken()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("tank.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(protocolNameTaken(dir.filePath(QStringLiteral("tank"))));
        QVERIFY(!protocolNameTaken(dir.filePath(QStringLiteral("tan"))));
        QVERIFY(!protocolNameTaken(dir.filePath(QStringLiteral("other"))));
        // Without regard to case, as on a FAT stick, where "job" would be "JOB.KVI".
        QVERIFY(protocolNameTaken(dir.filePath(QStringLiteral("TANK"))));
        QFile upper(dir.filePath(QStringLiteral("JOB.KVI")));
        QVERIFY(upper.open(QIODevice::WriteOnly));
        upper.close();
        QVERIFY(protocolNameTaken(dir.filePath(QStringLiteral("job"))));
        QVERIFY(protocolNameTaken(dir.filePath(QStringLiteral("job.KVI")).chopped(4)));
        QCOMPARE(protocolBaseName(QStringLiteral("/x/tank.kvi")), QStringLiteral("/x/tank"));
        QCOMPARE(protocolBaseName(QStringLiteral("/x/tank")), QStringLiteral("/x/tank"));
    }

    // The Stop pair's second point is replaced; anything else goes behind.
    void whereTheCalibrationGoesOn_data()
    {
        QTest::addColumn<std::vector<StoredPoint>>("points");
        QTest::addColumn<int>("stopPoint");
        QTest::addColumn<int>("counter");
        QTest::addColumn<int>("lastUser");
        const auto sbe = "Save Before Exit";
        QTest::newRow("ended with Stop")
            << std::vector<StoredPoint>{pt(0, 10, "User Save", 1, 5), pt(1, 20, sbe, 2, 5),
                                        pt(2, 20, sbe, 2, 5)}
            << 2 << 2 << 10;
        QTest::newRow("closed without Stop")
            << std::vector<StoredPoint>{pt(0, 10, "User Save", 1), pt(1, 20, "Auto Save", 2)} << 1
            << 2 << 10;
        QTest::newRow("a Stop pair with a point deleted after it")
            << std::vector<StoredPoint>{pt(0, 20, sbe, 2), pt(1, 30, "User Save", 3)} << 1 << 2
            << 30;
        QTest::newRow("two end points that differ")
            << std::vector<StoredPoint>{pt(0, 20, sbe, 2), pt(1, 21, sbe, 2)} << 1 << 2 << -1;
        QTest::newRow("no points") << std::vector<StoredPoint>{} << -1 << 0 << -1;
        QTest::newRow("no points, Stop_Point absent")
            << std::vector<StoredPoint>{} << 0 << 0 << -1;
    }
    void whereTheCalibrationGoesOn()
    {
        QFETCH(std::vector<StoredPoint>, points);
        QFETCH(int, stopPoint);
        QFETCH(int, counter);
        QFETCH(int, lastUser);
        PointsRead r;
        r.points = points;
        r.stopPoint = stopPoint;
        const OpenedCounters c = countersAfterOpening(r);
        QCOMPARE(c.pointCounter, counter);
        QCOMPARE(c.lastUserSavedN, lastUser);
        if (!points.empty()) {
            QCOMPARE(c.recordTime, qint64(points.back().Time));
            QCOMPARE(c.lastAutoSavedN, points.back().FilterN);
        }
    }
};

QTEST_GUILESS_MAIN(TstProtocolSelection)
#include "tst_protocol_selection.moc"
