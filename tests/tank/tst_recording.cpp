// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The recording state machine on a real protocol file: autosave steps, Rec
// with its duplicate question and the next value, Stop, the pause reload, the
// axes, and a write that fails. Files are read back with the protocol reader.

#include "common/dialogs.h"
#include "tank/recording.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

Q_DECLARE_METATYPE(QList<int>)

namespace {

struct Rig {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("tank.kvi"));
    ScriptedDialogs dialogs;
    Recording rec{&dialogs, 0};

    explicit Rig(bool autosave = true, int constant = 5)
    {
        auto data = std::make_unique<TDateProtokol>();
        (void)ProtocolFile(path).create(*data);
        rec.setProtocol(path);
        rec.setAutosave(autosave, constant);
        rec.setCounters(0, 0, -1, 0);
    }
    Recording::Sample at(qint32 n) const
    {
        return {n, 30000 + n, QStringLiteral("9:05:07"), QStringLiteral("+23")};
    }
    void reading(qint32 n) { rec.levelReading(at(n)); }
    void start(const QString &step = QStringLiteral("012,50"))
    {
        rec.setIncremText(step);
        rec.playClicked(true);
    }
    PointKeys point(int i) const
    {
        ProtocolReader r;
        (void)r.load(path);
        return r.pointKeys(i, QStringLiteral("-"));
    }
    qint32 stopPoint() const
    {
        ProtocolReader r;
        (void)r.load(path);
        return r.stopPoint();
    }
    QByteArray bytes() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

class TstRecording : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldTexts()
    {
        using namespace RecordingText;
        QCOMPARE(litresOfField("0012,50"), std::optional<double>(12.5));
        QCOMPARE(litresOfField("9999,99"), std::optional<double>(9999.99));
        QCOMPARE(litresOfField("12,5"), std::nullopt);
        QCOMPARE(litresOfField("00a2,50"), std::nullopt);
        QCOMPARE(stepOfField("012,50"), std::optional<double>(12.5));
        QCOMPARE(stepOfField("12,50"), std::nullopt);
        QCOMPARE(litresOfField("0012,505"), std::nullopt); // one character too many
        QCOMPARE(litresOfField("0012,5a"), std::nullopt);
        QCOMPARE(stepOfField("012,505"), std::nullopt);
        QCOMPARE(stepOfField("012,5a"), std::nullopt);
        QCOMPARE(litreFieldText(37.5), std::optional<QString>("0037,50"));
        QCOMPARE(litreFieldText(0), std::optional<QString>("0000,00"));
        QCOMPARE(litreFieldText(9999.99), std::optional<QString>("9999,99"));
        QCOMPARE(litreFieldText(10000), std::nullopt);
        QCOMPARE(markerLabel(1500, 12.5, 1), QStringLiteral("N=1500\r12,5 л."));
        QCOMPARE(markerLabel(1500, 100, 0), QStringLiteral("N=1500\r100 L."));
    }

    // Constant 5 around the last step 100: 104, 105 and 95 store nothing;
    // 106 stores the pair (100 at t, 106 at t+1).
    void autosaveSteps()
    {
        Rig r;
        r.rec.setCounters(4, 20, -1, 100);
        r.start();
        for (int n : {104, 105, 95})
            r.reading(n);
        QCOMPARE(r.stopPoint(), 0);
        QVERIFY(!r.bytes().contains("Time4"));
        r.reading(106);
        QCOMPARE(r.point(4).FilterN, QStringLiteral("100"));
        QCOMPARE(r.point(4).Time, QStringLiteral("23"));
        QCOMPARE(r.point(4).FilterC, QStringLiteral("30106")); // as the sensor record holds it
        QCOMPARE(r.point(4).Status_Save, QStringLiteral("Auto Save"));
        QCOMPARE(r.point(5).FilterN, QStringLiteral("106"));
        QCOMPARE(r.point(5).Time, QStringLiteral("24"));
        QCOMPARE(r.stopPoint(), 5);
        QCOMPARE(r.rec.PointCounter(), 6);
        QCOMPARE(r.rec.LastAutoSavedN(), 106);
        QCOMPARE(r.rec.rows().size(), 2);
        QCOMPARE(r.rec.selectedPoint(), 5);
        // Nothing while paused, nothing with autosave off.
        Rig off(false);
        off.start();
        off.reading(500);
        QCOMPARE(off.stopPoint(), 0);
        QVERIFY(!off.bytes().contains("Time0"));
    }

    void firstReadingOfNewProtocolStepsFromZero()
    {
        Rig r;
        r.start();
        r.reading(300);
        QCOMPARE(r.point(0).FilterN, QStringLiteral("0"));
        QCOMPARE(r.point(0).Time, QStringLiteral("0"));
        QCOMPARE(r.point(1).FilterN, QStringLiteral("300"));
        QCOMPARE(r.point(1).Time, QStringLiteral("1"));
        QCOMPARE(r.rec.curve().size(), 1);
        QCOMPARE(r.rec.RecordTime(), 1);
    }

    void duplicateQuestion_data()
    {
        QTest::addColumn<int>("lastUser");
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("asks");
        QTest::newRow("new protocol, N 0") << -1 << 0 << true;
        QTest::newRow("new protocol, N 3") << -1 << 3 << true;
        QTest::newRow("new protocol, N 4") << -1 << 4 << false;
        QTest::newRow("200 after 196") << 196 << 200 << true;
        QTest::newRow("200 after 195") << 195 << 200 << false;
        QTest::newRow("200 after 204") << 204 << 200 << true;
    }
    void duplicateQuestion()
    {
        QFETCH(int, lastUser);
        QFETCH(int, n);
        QFETCH(bool, asks);
        Rig r(false);
        r.rec.setCounters(0, 10, lastUser, 0);
        r.start();
        r.reading(n);
        r.dialogs.answer(MsgAnswer::No);
        const bool stored = r.rec.rec(r.at(n));
        QCOMPARE(r.dialogs.messages().size(), asks ? 1 : 0);
        if (asks) {
            QCOMPARE(r.dialogs.messages().front(),
                     QStringLiteral("The point with this level code already exists.\rSave the "
                                    "point again?"));
            QVERIFY(!stored);
            QVERIFY(!r.bytes().contains("Time0"));
            // Yes stores it after all.
            r.dialogs.answer(MsgAnswer::Yes);
            QVERIFY(r.rec.rec(r.at(n)));
        } else {
            QVERIFY(stored);
        }
        QCOMPARE(r.point(0).FilterN, QString::number(n));
        QCOMPARE(r.point(0).Status_Save, QStringLiteral("User Save"));
    }

    // Start 0000,00, step 012,50, filling: 0000,00, 0012,50, 0025,00 stored,
    // 0037,50 shown; each marker at its point's stored time.
    void recStoresTheNextValues()
    {
        Rig r(false);
        r.rec.setStartLiterText("0000,00");
        QVERIFY(r.rec.startValueEnabled());
        r.start("012,50");
        QVERIFY(!r.rec.startValueEnabled()); // the start value is fixed while recording
        int n = 100;
        for (int i = 0; i < 3; ++i) {
            r.reading(n);
            QVERIFY(r.rec.rec(r.at(n)));
            n += 200;
        }
        QCOMPARE(r.point(0).liter, QStringLiteral("0000,00"));
        QCOMPARE(r.point(1).liter, QStringLiteral("0012,50"));
        QCOMPARE(r.point(2).liter, QStringLiteral("0025,00"));
        QCOMPARE(r.point(2).FilterC, QStringLiteral("30500"));
        QCOMPARE(r.rec.literText(), QStringLiteral("0037,50"));
        QCOMPARE(r.rec.markers().size(), 3);
        QCOMPARE(r.rec.markers()[1].x, r.point(1).Time.toDouble());
        QCOMPARE(r.rec.markers()[1].label, QStringLiteral("N=300\r12,5 L."));
        QCOMPARE(r.rec.PointCounter(), 3);
        QCOMPARE(r.stopPoint(), 2);
    }

    void drainingBelowZero()
    {
        Rig r(false);
        r.rec.setStartLiterText("0010,00");
        r.rec.setDraining(true);
        r.start("015,00");
        r.reading(900);
        QVERIFY(r.rec.rec(r.at(900)));
        QCOMPARE(r.point(0).liter, QStringLiteral("0010,00"));
        QCOMPARE(r.rec.literText(), QStringLiteral("0000,00"));
        QCOMPARE(r.dialogs.messages(), QStringList{"Lower fuel level is reached"});
    }

    // A next value of 10000 litres does not fit the field: Rec says so and
    // refuses until the next value is a new one that fits. 9990 stored with a
    // step of 20 leaves 10010 pending.
    void nextValueThatDoesNotFit_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("stored"); // the litres the next Rec stores; empty: refused
        QTest::newRow("nothing") << QString() << QString();
        QTest::newRow("pause, then start") << QStringLiteral("pause") << QString();
        QTest::newRow("a step that does not fit either") << QStringLiteral("030,00") << QString();
        QTest::newRow("a step of 0") << QStringLiteral("000,00") << QString();
        QTest::newRow("a step that fits") << QStringLiteral("005,00") << QStringLiteral("9995,00");
        QTest::newRow("draining") << QStringLiteral("-") << QStringLiteral("9970,00");
        QTest::newRow("a new start value") << QStringLiteral("start") << QStringLiteral("0000,00");
    }
    void nextValueThatDoesNotFit()
    {
        QFETCH(QString, change);
        QFETCH(QString, stored);
        Rig r(false);
        r.rec.setStartLiterText("9990,00");
        r.start("020,00");
        r.reading(100);
        QVERIFY(r.rec.rec(r.at(100)));
        QCOMPARE(r.dialogs.messages().size(), 1);
        QVERIFY(r.dialogs.lastMessage().contains(QStringLiteral("10010")));
        if (change == QLatin1String("pause")) {
            r.rec.pauseClicked(true);
            r.rec.playClicked(true);
        } else if (change == QLatin1String("-")) {
            r.rec.setDraining(true);
        } else if (change == QLatin1String("start")) {
            r.rec.setStartLiterText("0000,00");
        } else if (!change.isEmpty()) {
            r.rec.setIncremText(change);
        }
        r.reading(200);
        QCOMPARE(r.rec.rec(r.at(200)), !stored.isEmpty());
        if (stored.isEmpty())
            QCOMPARE(r.stopPoint(), 0);
        else
            QCOMPARE(r.point(1).liter, stored);
    }

    void stepZeroRefusesStart()
    {
        Rig r;
        r.start("000,00");
        QCOMPARE(r.rec.mode(), Recording::Mode::Idle);
        QCOMPARE(r.dialogs.messages(),
                 QStringList{"Attention!!!\rCalibration step should not be zero. Please set step "
                             "value."});
        QVERIFY(r.rec.startValueEnabled());
        r.reading(500);
        QCOMPARE(r.rec.RecordTime(), 0);
        QVERIFY(!r.rec.rec(r.at(500)));
    }

    void timeAxisWindow()
    {
        Rig r(false);
        r.rec.setCounters(0, 84, -1, 0);
        r.start();
        r.reading(10);
        QCOMPARE(r.rec.RecordTime(), 85);
        QCOMPARE(r.rec.xMin(), 0.0);
        QCOMPARE(r.rec.xMax(), 100.0);
        r.reading(10);
        QCOMPARE(r.rec.RecordTime(), 86);
        QCOMPARE(r.rec.xMin(), 2.0);
        QCOMPARE(r.rec.xMax(), 100.0);
    }

    void stopYesWritesTheEndPair()
    {
        Rig r(false);
        r.rec.setCounters(12, 40, -1, 0);
        r.start();
        r.reading(777);
        r.dialogs.answer(MsgAnswer::Yes);
        QVERIFY(r.rec.stopClicked(true, r.at(777)));
        QCOMPARE(r.stopPoint(), 13);
        for (int i : {12, 13}) {
            QCOMPARE(r.point(i).FilterN, QStringLiteral("777"));
            QCOMPARE(r.point(i).Time, QStringLiteral("41"));
            QCOMPARE(r.point(i).Status_Save, QStringLiteral("Save Before Exit"));
        }
        QVERIFY(r.rec.stopDown());
        QCOMPARE(r.rec.RecordTime(), 0);
        QVERIFY(r.rec.curve().isEmpty());
        QCOMPARE(r.rec.literText(), QStringLiteral("0000,00"));
        QVERIFY(r.rec.startValueEnabled());
        QCOMPARE(r.rec.xMin(), 0.0);
        QCOMPARE(r.rec.xMax(), 50.0);

        // No: paused without a reload, nothing written.
        Rig no(false);
        no.start();
        no.reading(5);
        no.dialogs.answer(MsgAnswer::No);
        QVERIFY(!no.rec.stopClicked(true, no.at(5)));
        QCOMPARE(no.rec.mode(), Recording::Mode::Paused);
        QVERIFY(!no.rec.startValueEnabled()); // keeps its state from the recording
        QVERIFY(!no.bytes().contains("Time0"));
    }

    // Pause reloads from the file; the next Rec goes behind the last stored point.
    void pauseStartRecWritesBehindTheFile()
    {
        Rig r;
        r.start();
        r.reading(300); // autosave pair 0, 1
        r.reading(305);
        QVERIFY(r.rec.rec(r.at(305))); // 2
        r.rec.pauseClicked(true);
        QCOMPARE(r.rec.mode(), Recording::Mode::Paused);
        QVERIFY(r.rec.startValueEnabled());
        // The start value takes the next value, its up-down the whole litres.
        QCOMPARE(r.rec.startLiterText(), QStringLiteral("0012,50"));
        QCOMPARE(r.rec.startLiterPosition(), 12);
        QCOMPARE(r.rec.rows().size(), 3);
        QCOMPARE(r.rec.selectedPoint(), 2); // the last row
        QCOMPARE(r.rec.markers().size(), 1);
        QCOMPARE(r.rec.PointCounter(), 3);
        QCOMPARE(r.rec.RecordTime(), 2);
        QCOMPARE(r.rec.view(), Recording::View::Whole);
        QCOMPARE(r.rec.xMax(), 52.0);
        r.start();
        r.reading(600); // autosave pair 3, 4 from the last step 300
        r.reading(900);
        QVERIFY(r.rec.rec(r.at(900)));
        QCOMPARE(r.stopPoint(), 7);
        QCOMPARE(r.point(7).FilterN, QStringLiteral("900"));
        QCOMPARE(r.point(7).Status_Save, QStringLiteral("User Save"));
        QCOMPARE(r.point(2).FilterN, QStringLiteral("305")); // untouched

        // A new protocol starts from nothing.
        r.rec.startNew();
        QCOMPARE(r.rec.RecordTime(), 0);
        QCOMPARE(r.rec.PointCounter(), 0);
        QCOMPARE(r.rec.xMin(), 0.0);
        QCOMPARE(r.rec.xMax(), 50.0);
        QVERIFY(r.rec.rows().isEmpty());
        QCOMPARE(r.rec.selectedPoint(), -1);
        QCOMPARE(r.rec.startLiterText(), QStringLiteral("0000,00"));
        QCOMPARE(r.rec.literText(), QStringLiteral("0000,00"));

        // A protocol without points reloads with no point selected.
        Rig empty(false);
        empty.start();
        empty.rec.pauseClicked(true);
        QVERIFY(empty.rec.rows().isEmpty());
        QCOMPARE(empty.rec.selectedPoint(), -1);
    }

    // A write that fails shows the message and changes nothing of the state.
    void failedWriteLeavesEverything()
    {
        Rig r(false);
        r.start();
        r.reading(100);
        QVERIFY(QFile::setPermissions(r.path, QFile::ReadOwner));
        const QByteArray before = r.bytes();
        QVERIFY(!r.rec.rec(r.at(100)));
        QCOMPARE(r.dialogs.messages(), QStringList{"Unable to write to " + r.path});
        QCOMPARE(r.rec.PointCounter(), 0);
        QVERIFY(r.rec.markers().isEmpty());
        QVERIFY(r.rec.rows().isEmpty());
        QCOMPARE(r.rec.literText(), QStringLiteral("0000,00"));
        QCOMPARE(r.bytes(), before);
        // An autosave that fails is told once, not at every reading.
        r.rec.setAutosave(true, 5);
        r.reading(300);
        r.reading(600);
        QCOMPARE(r.dialogs.messages().size(), 2);
        QCOMPARE(r.rec.PointCounter(), 0);
        // ... once per protocol: another protocol that fails is told again.
        const QString other = r.dir.filePath(QStringLiteral("other.kvi"));
        QVERIFY(QFile::copy(r.path, other));
        QVERIFY(QFile::setPermissions(other, QFile::ReadOwner));
        r.rec.setProtocol(other);
        r.rec.startNew();
        r.start();
        r.reading(300);
        r.reading(600);
        QCOMPARE(r.dialogs.messages().size(), 3);
        QCOMPARE(r.dialogs.lastMessage(), "Unable to write to " + other);
    }

    void navigation()
    {
        Rig r(false);
        r.rec.setCounters(0, 30, -1, 0);
        r.rec.pauseClicked(true); // an empty protocol: one default point at 0
        r.rec.setCounters(1, 30, -1, 0);
        r.rec.navigate(+2);
        QCOMPARE(r.rec.CursorTime(), 32);
        QCOMPARE(r.rec.view(), Recording::View::Point);
        QCOMPARE(r.rec.xMin(), 22.0);
        r.rec.showWhole();
        r.rec.navigate(+5);
        QCOMPARE(r.rec.cursorLine(), std::optional<double>(37));
        QCOMPARE(r.rec.view(), Recording::View::Whole);
        r.rec.setCounters(1, 0, -1, 0);
        r.rec.navigate(-2); // at 0 the cursor does not go back
        QCOMPARE(r.rec.CursorTime(), 0);
    }
};

QTEST_GUILESS_MAIN(TstRecording)
#include "tst_recording.moc"
