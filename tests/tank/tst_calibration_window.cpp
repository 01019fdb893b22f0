// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calibration window on the simulated clock, with the virtual sensor
// pouring fuel through the main window's poll: a whole calibration recorded,
// paused, corrected, a point deleted and stopped, then the protocol read back
// (in process and with kvtool). Also marker clicks, the properties window and
// a stale selection.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "shell/AvtoSave_U.h"
#include "shell/settings_store.h"
#include "support/program_harness.h"
#include "support/sent_readings.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/Enter_Fuil_U.h"
#include "tank/PropertyPoint_U.h"
#include "tank/Protocol_Options_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProcess>
#include <QRadioButton>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

class TstCalibrationWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramHarness> m_h;
    TForm5 *w = nullptr;
    QString m_path;

    template <class T = QWidget> T *child(const char *name)
    {
        auto *c = w->findChild<T *>(QLatin1String(name));
        if (!c)
            qFatal("control %s missing", name);
        return c;
    }
    void click(const char *button) { child<QToolButton>(button)->click(); }
    void type(const char *edit, const QString &digits)
    {
        auto *e = child<QLineEdit>(edit);
        e->setFocus();
        e->home(false);
        QTest::keyClicks(e, digits);
    }
    void seconds(int s) { m_h->clock.advance(qint64(s) * 1000); }
    // Fuel runs in for a while, the level settles for three seconds, Rec.
    void pourThenRec(int pourSeconds)
    {
        m_h->sensor.pour(1.0);
        seconds(pourSeconds);
        m_h->sensor.pour(0);
        seconds(3);
        click("sbRec");
    }
    ProtocolReader file() const
    {
        ProtocolReader r;
        (void)r.load(m_path);
        return r;
    }

    // Every point of the protocol on disk is one the sensor sent.
    void checkAgainstTheSensor(const QHash<int, qint64> &storedBy = {})
    {
        const QStringList faults = pointsNotSent(m_path, m_h->sensor, 0, storedBy);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // A connected program polling the sensor, autosave on with constant 5
    // (unless `autosave` is false), a new protocol open and the calibration
    // window shown for it.
    void begin(bool autosave = true)
    {
        m_h = std::make_unique<ProgramHarness>();
        (void)m_h->settings.set(SettingsKeys::Save, autosave ? 0 : 1);
        (void)m_h->settings.set(SettingsKeys::ConstSave, 5);
        m_h->sensor.setFuelLitres(0);
        m_h->start();
        m_h->clock.advance(100);
        m_h->form().controls()->COM1->trigger();
        m_h->clock.advance(1550);
        QVERIFY(m_h->form().port().Connected());
        m_path = m_h->dir.filePath(QStringLiteral("tank.kvi"));
        auto data = std::make_unique<TDateProtokol>();
        QVERIFY(ProtocolFile(m_path).create(*data).ok());
        m_h->state().CurrentProtocolFile = m_path;
        w = &m_h->program->form5();
        w->showForCalibration(m_path);
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }

private Q_SLOTS:
    void cleanup()
    {
        m_h.reset();
        w = nullptr;
    }

    void wholeCalibration()
    {
        begin();
        QVERIFY(!child<QToolButton>("sbRec")->isEnabled());
        type("meIncrem", QStringLiteral("01000")); // 010,00 litres a step
        click("sbPlay");
        QVERIFY(w->playing());
        QVERIFY(child<QToolButton>("sbRec")->isEnabled());
        QCOMPARE(child<QToolButton>("sbPlay")->property("imageName").toString(),
                 QStringLiteral("SBPLAYR"));

        // Three points, ten litres apart, fuel poured in between.
        QList<int> levels;
        for (int i = 0; i < 3; ++i) {
            m_h->sensor.pour(1.0);
            seconds(10);
            m_h->sensor.pour(0);
            seconds(3);
            click("sbRec");
            levels << m_h->state().LevelCode;
        }
        QCOMPARE(child<QLineEdit>("meliter")->displayText(), QStringLiteral("0030,00"));
        QCOMPARE(w->recording().markers().size(), 3);
        QVERIFY(!child<QLabel>("lbNN")->text().isEmpty());
        // Level steps were saved on the way (the fuel rose by far more than 5 codes).
        const PointsRead during = [&] {
            PointsRead r;
            (void)ProtocolFile(m_path).readPoints(r);
            return r;
        }();
        QVERIFY(during.points.size() > 3);

        // Pause: reloaded from the file, the next point goes behind the last.
        click("sbPause");
        QCOMPARE(w->recording().mode(), Recording::Mode::Paused);
        auto *list = child<QTableWidget>("ValueListEditor");
        QCOMPARE(list->rowCount(), int(during.points.size()));
        const int lastBefore = file().stopPoint();
        QCOMPARE(w->recording().PointCounter(), lastBefore + 1);

        // Correct the second user point from 10 to 12,5 litres, that one only.
        const int second = w->recording().markers()[1].index;
        w->Series2Click(QPointF(w->recording().markers()[1].x, w->recording().markers()[1].n));
        QCOMPARE(w->recording().selectedPoint(), second);
        QCOMPARE(list->currentRow(), [&] {
            for (int r = 0; r < w->recording().rows().size(); ++r)
                if (w->recording().rows()[r].index == second)
                    return r;
            return -1;
        }());
        child<QAction>("N5")->trigger();
        QVERIFY(w->form15()->isVisible());
        QVERIFY(!w->isEnabled());
        QCOMPARE(w->form15()->lblavelfuil->text(),
                 QStringLiteral("Current value of the fuel10 L. replase to:"));
        w->form15()->meEnterFuil->setText(QStringLiteral("0012,50"));
        m_h->dialogs.answer(MsgAnswer::No);
        w->form15()->OKBtn->click();
        QVERIFY(!w->form15()->isVisible());
        QVERIFY(w->isEnabled());
        QCOMPARE(m_h->dialogs.lastMessage(),
                 QStringLiteral("Change all subsequent point to2,50 L.?"));
        QCOMPARE(file().pointKeys(second, "").liter, QStringLiteral("12,5"));

        // Delete the first user point.
        const int first = w->recording().markers()[0].index;
        w->Series2Click(QPointF(w->recording().markers()[0].x, w->recording().markers()[0].n));
        QCOMPARE(w->recording().selectedPoint(), first);
        m_h->dialogs.answer(MsgAnswer::Ok);
        child<QAction>("N7")->trigger();
        QVERIFY(
            m_h->dialogs.lastMessage().startsWith(QStringLiteral("Point with the parameters: ")));
        QCOMPARE(file().stopPoint(), lastBefore - 1);
        QCOMPARE(w->recording().markers().size(), 2);

        // The re-opening after the deletion set the step back to 0. Start
        // again, one more point, then Stop with Yes.
        QCOMPARE(child<QLineEdit>("meIncrem")->displayText(), QStringLiteral("000,00"));
        QCOMPARE(child<QLineEdit>("meliter")->displayText(), QStringLiteral("0020,00"));
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        m_h->sensor.pour(1.0);
        seconds(10);
        m_h->sensor.pour(0);
        seconds(3);
        click("sbRec");
        levels << m_h->state().LevelCode;
        const int beforeStop = w->recording().PointCounter();
        m_h->dialogs.answer(MsgAnswer::Yes); // end the calibration
        m_h->dialogs.answer(MsgAnswer::No);  // no spreadsheet
        click("sbStop");
        QVERIFY(!w->isVisible());
        QCOMPARE(file().stopPoint(), beforeStop + 1);
        QCOMPARE(file().pointKeys(beforeStop, "").Status_Save, QStringLiteral("Save Before Exit"));
        QVERIFY(m_h->dialogs.lastMessage().contains(m_path));
        QVERIFY(m_h->state().CurrentProtocolFile.isEmpty());
        QVERIFY(!m_h->form().port().Connected());

        // Read back: the user points are exactly what was recorded.
        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        QVERIFY(ProtocolFile(m_path).open(*data, general, points).ok());
        QCOMPARE(int(data->UserPoints.size()), 3);
        QCOMPARE(data->UserPoints[0].n, levels[1]);
        QCOMPARE(data->UserPoints[0].litres, 12.5);
        QCOMPARE(data->UserPoints[1].n, levels[2]);
        QCOMPARE(data->UserPoints[1].litres, 20.0);
        QCOMPARE(data->UserPoints[2].n, levels[3]);
        // The re-opening put the last stored point's litres into the next value.
        QCOMPARE(data->UserPoints[2].litres, 20.0);

        QProcess kvtool;
        kvtool.start(QStringLiteral(KV_KVTOOL), {QStringLiteral("protocol"), m_path});
        QVERIFY(kvtool.waitForFinished(-1));
        QCOMPARE(kvtool.exitCode(), 0);
        const QString out = QString::fromUtf8(kvtool.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("User points: 3\n")), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("\t%1\t12,5\n").arg(levels[1])));
    }

    // A marker click selects that marker's point; a click on the curve where
    // no point is stored does nothing; properties of an autosave point; with
    // a stale selection correction and deletion leave the file alone.
    void selectionAndProperties()
    {
        begin();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        m_h->sensor.pour(2.0);
        seconds(6);
        m_h->sensor.pour(0);
        seconds(2);
        click("sbRec");
        click("sbPause");
        const Recording &r = w->recording();
        QVERIFY(r.rows().size() >= 3);

        // A mouse click on the level curve, between whole seconds, selects the
        // stored point nearest to it.
        auto *view = child<QChartView>("Chart");
        QAbstractSeries *curve = nullptr;
        for (QAbstractSeries *series : view->chart()->series())
            if (series->objectName() == QLatin1String("Series1"))
                curve = series;
        QVERIFY(curve);
        int target = -1;
        for (int i = 0; i + 1 < r.rows().size() && target < 0; ++i)
            if (r.rows()[i].n > 200 && r.rows()[i + 1].n > 200 &&
                r.rows()[i + 1].time - r.rows()[i].time >= 1)
                target = i;
        QVERIFY(target >= 0);
        // Two points may share a second (a level step after a point); the first is meant.
        int expected = target;
        while (expected > 0 && r.rows()[expected - 1].time == r.rows()[target].time)
            --expected;
        QVERIFY(r.selectedPoint() != r.rows()[expected].index);
        w->resize(1200, 500);
        QApplication::processEvents();
        const QPointF scene = view->chart()->mapToPosition(
            QPointF(r.rows()[target].time + 0.3, 100), curve);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(scene));
        QCOMPARE(r.selectedPoint(), r.rows()[expected].index);

        // The first row is an autosave point.
        child<QTableWidget>("ValueListEditor")->setCurrentCell(1, 0);
        QCOMPARE(r.selectedPoint(), r.rows()[1].index);
        child<QAction>("N3")->trigger();
        QVERIFY(w->form8()->isVisible());
        QVERIFY(!m_h->form().isEnabled());
        QCOMPARE(w->form8()->lbPropertyWhoSave->text(),
                 QStringLiteral("Preservation type: [Auto Save]"));
        QVERIFY(w->form8()->lbPropertyNummberPoint->text().endsWith(
            QString::number(r.rows()[1].index)));
        w->form8()->BitBtn1->click();
        QVERIFY(!w->form8()->isVisible());
        QVERIFY(m_h->form().isEnabled() && w->isEnabled());

        // Another program shortens the file: the selection (the last row)
        // names no stored point any more. Neither a correction nor a deletion
        // may change the file then.
        auto bytes = [&] {
            QFile f(m_path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        auto *list = child<QTableWidget>("ValueListEditor");
        for (const char *command : {"N5", "N7"}) {
            list->setCurrentCell(list->rowCount() - 1, 0);
            QVERIFY(ProtocolFile(m_path).deletePoint(file().stopPoint()).ok());
            const QByteArray before = bytes();
            QCOMPARE(r.selectedPoint(), r.rows().back().index);
            QVERIFY(r.selectedPoint() > file().stopPoint());
            if (QByteArray(command) == "N5") {
                child<QAction>("N5")->trigger();
                w->form15()->meEnterFuil->setText(QStringLiteral("0099,00"));
                m_h->dialogs.answer(MsgAnswer::Yes);
                w->form15()->OKBtn->click();
            } else {
                m_h->dialogs.answer(MsgAnswer::Ok);
                child<QAction>("N7")->trigger();
            }
            QCOMPARE(bytes(), before);
            // The reload that follows shows the file as it is.
            QCOMPARE(r.rows().back().index, file().stopPoint());
        }
    }

    // Yes shifts the point and every later one; Cancel writes nothing; the
    // close box ends the calibration without an end pair but still asks about
    // the export, closes the port and the protocol.
    void correctionsAndTheCloseBox()
    {
        begin();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        for (int i = 0; i < 3; ++i) {
            m_h->sensor.pour(1.0);
            seconds(5);
            click("sbRec");
        }
        m_h->sensor.pour(0);
        click("sbPause");
        const QVector<Recording::Marker> markers = w->recording().markers();
        QCOMPARE(markers.size(), 3);
        auto bytes = [&] {
            QFile f(m_path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };

        w->Series2Click(QPointF(markers[1].x, markers[1].n));
        child<QAction>("N5")->trigger();
        w->form15()->meEnterFuil->setText(QStringLiteral("0011,00"));
        m_h->dialogs.answer(MsgAnswer::Yes);
        w->form15()->OKBtn->click();
        QCOMPARE(file().pointKeys(markers[0].index, "").liter, QStringLiteral("0000,00"));
        QCOMPARE(file().pointKeys(markers[1].index, "").liter, QStringLiteral("11"));
        QCOMPARE(file().pointKeys(markers[2].index, "").liter, QStringLiteral("21"));
        // Autosave points after it moved too, where their litres convert.
        QCOMPARE(file().pointKeys(file().stopPoint(), "").liter, QStringLiteral("21"));

        const QByteArray before = bytes();
        child<QAction>("N5")->trigger();
        w->form15()->meEnterFuil->setText(QStringLiteral("0050,00"));
        m_h->dialogs.answer(MsgAnswer::Cancel);
        w->form15()->OKBtn->click();
        QCOMPARE(bytes(), before);

        const int stop = file().stopPoint();
        m_h->dialogs.clear();
        m_h->dialogs.answer(MsgAnswer::No);
        w->close();
        QCOMPARE(file().stopPoint(), stop);
        QVERIFY(!bytes().contains("Save Before Exit"));
        QCOMPARE(m_h->dialogs.messages(),
                 QStringList{"Attention!!!\rIf You wаnt to export calibration data\r" + m_path +
                             "\rto MS Excel, press \"Yes\". For exit without export press "
                             "\"No\". "});
        QVERIFY(m_h->state().CurrentProtocolFile.isEmpty());
        QVERIFY(!m_h->form().port().Connected());
        QVERIFY(m_h->form().controls()->COM1->isEnabled());
    }

    // After a correction or a deletion the open protocol is opened again:
    // Cancel still makes it entry 0 of the recent list, the information
    // page's litres use the corrected table, and after the last user point is
    // deleted the duplicate question follows the new table.
    void reopeningFollowsTheChangedFile()
    {
        begin();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        for (int i = 0; i < 2; ++i) {
            m_h->sensor.pour(1.0);
            seconds(5);
            m_h->sensor.pour(0);
            seconds(3);
            click("sbRec");
        }
        click("sbPause");
        const QVector<Recording::Marker> markers = w->recording().markers();
        QCOMPARE(markers.size(), 2);
        QVERIFY(markers[1].n - markers[0].n > 10);
        auto correct = [&](const Recording::Marker &m, const QString &digits, MsgAnswer a) {
            w->Series2Click(QPointF(m.x, m.n));
            child<QAction>("N5")->trigger();
            auto *edit = w->form15()->meEnterFuil;
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, digits);
            m_h->dialogs.answer(a);
            QTest::mouseClick(w->form15()->OKBtn, Qt::LeftButton);
        };

        correct(markers[1], QStringLiteral("002500"), MsgAnswer::Cancel);
        QCOMPARE(m_h->program->form6().recent().entry(0), m_path);
        QCOMPARE(m_h->settings.get(SettingsKeys::PName(0)), m_path);
        QCOMPARE(w->recording().mode(), Recording::Mode::Paused);
        QCOMPARE(w->recording().PointCounter(), file().stopPoint() + 1);

        correct(markers[1], QStringLiteral("002500"), MsgAnswer::No);
        QCOMPARE(file().pointKeys(markers[1].index, "").liter, QStringLiteral("25"));
        const TDateProtokol &table = m_h->state().ProtocolData;
        QCOMPARE(int(table.UserPoints.size()), 2);
        QCOMPARE(table.UserPoints.back().litres, 25.0);
        QCOMPARE(table.LevelOfCalibrate[size_t(markers[1].index)], 25.0);
        // The sensor still stands at that point's level.
        seconds(2);
        QCOMPARE(m_h->state().sensor.SensorParam.Val_N, markers[1].n);
        QCOMPARE(m_h->form().controls()->Label38->text(), QStringLiteral("25,0"));

        // Delete the last user point; a Rec at its level is no repeat any more.
        w->Series2Click(QPointF(markers[1].x, markers[1].n));
        m_h->dialogs.answer(MsgAnswer::Ok);
        child<QAction>("N7")->trigger();
        QCOMPARE(w->recording().LastUserSavedN(), markers[0].n);
        QCOMPARE(w->recording().PointCounter(), file().stopPoint() + 1);
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        seconds(2);
        m_h->dialogs.clear();
        const int at = w->recording().PointCounter();
        click("sbRec");
        QVERIFY2(m_h->dialogs.messages().isEmpty(), qPrintable(m_h->dialogs.lastMessage()));
        QCOMPARE(file().pointKeys(at, "").Status_Save, QStringLiteral("User Save"));
    }

    // While the Stop question is open the recording holds: only Stop shows
    // down, readings are not plotted, the time stands, and the end pair
    // carries the moment of the click.
    void stopQuestionHoldsTheRecording()
    {
        begin();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        m_h->sensor.pour(1.0);
        seconds(5);
        const qint64 clicked = w->recording().RecordTime();
        const int plotted = w->recording().curve().size();
        bool playDown = true, stopDown = false;
        qint64 timeDuring = -1;
        int plottedDuring = -1;
        m_h->dialogs.onMessage([&](const ScriptedDialogs::Shown &shown) {
            if (!shown.text.contains(QStringLiteral("end calibration")))
                return;
            playDown = child<QToolButton>("sbPlay")->isChecked();
            stopDown = child<QToolButton>("sbStop")->isChecked();
            seconds(3); // the sensor goes on answering while the question is open
            timeDuring = w->recording().RecordTime();
            plottedDuring = w->recording().curve().size();
        });
        const int k = w->recording().PointCounter();
        m_h->dialogs.answer(MsgAnswer::Yes);
        m_h->dialogs.answer(MsgAnswer::No); // no workbook
        click("sbStop");
        m_h->dialogs.onMessage({});
        QVERIFY(!playDown);
        QVERIFY(stopDown);
        QCOMPARE(timeDuring, clicked);
        QCOMPARE(plottedDuring, plotted);
        QCOMPARE(file().stopPoint(), k + 1);
        QCOMPARE(file().pointKeys(k, "").Time, QString::number(clicked));
        QCOMPARE(file().pointKeys(k + 1, "").Time, QString::number(clicked));
    }

    // The sensor falls silent, or its adapter is pulled, in the middle of a
    // calibration with autosave on: the window says so beside the level, Rec
    // says why it stores nothing, autosave stores nothing, the time stands,
    // and once the sensor answers the recording goes on from its first real
    // reading. Every stored point is one the sensor sent.
    void lostLinkStoresNothing_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("sensor silent") << false;
        QTest::newRow("adapter pulled") << true;
    }
    void lostLinkStoresNothing()
    {
        QFETCH(bool, unplug);
        begin();
        Ui::TForm1 *ui = m_h->form().controls();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        pourThenRec(10);
        pourThenRec(10);
        QCOMPARE(w->recording().markers().size(), 2);
        auto *lost = child<QLabel>("lbLinkLost");
        QVERIFY(lost->isHidden());
        const int stored = file().stopPoint();
        const QString level = child<QLabel>("lbNN")->text();

        // Eight seconds without the sensor while fuel runs in, Rec pressed.
        if (unplug)
            m_h->ports.unplug();
        else
            m_h->sensor.faults().silent = true;
        m_h->sensor.pour(1.0);
        seconds(8);
        QVERIFY(lost->isVisible());
        QCOMPARE(lost->text(), QStringLiteral("No link to the sensor"));
        QCOMPARE(child<QLabel>("lbNN")->text(), level);
        QVERIFY(w->playing());
        const qint64 time = w->recording().RecordTime();
        m_h->dialogs.clear();
        click("sbRec");
        QCOMPARE(m_h->dialogs.messages().size(), 1);
        QVERIFY2(m_h->dialogs.lastMessage().startsWith(
                     QStringLiteral("No link to the sensor: the point is not stored.")),
                 qPrintable(m_h->dialogs.lastMessage()));
        seconds(4);
        QCOMPARE(file().stopPoint(), stored);
        QCOMPARE(w->recording().markers().size(), 2);
        QCOMPARE(w->recording().RecordTime(), time);
        ui->Rus1->trigger();
        QCOMPARE(lost->text(), QStringLiteral("Нет связи с датчиком"));
        ui->English1->trigger();
        if (!unplug) { // for people to look at
            QApplication::processEvents();
            QVERIFY(QDir().mkpath(QStringLiteral(KV_SCREENSHOT_DIR)));
            QVERIFY(w->grab().save(QStringLiteral(KV_SCREENSHOT_DIR "/calibration-link-lost.png")));
        }

        // The sensor is back: the first reading ends the loss, and the level
        // step it brings is stored.
        if (unplug) {
            m_h->ports.plug();
            ui->bbDublComOpen->click();
        } else {
            m_h->sensor.faults().silent = false;
        }
        m_h->sensor.pour(0);
        seconds(5);
        QVERIFY(lost->isHidden());
        QVERIFY(w->playing());
        QVERIFY(w->recording().RecordTime() > time);
        QVERIFY(file().stopPoint() > stored);
        const qint64 at = m_h->clock.nowMs();
        click("sbRec");
        QCOMPARE(w->recording().markers().size(), 3);
        QCOMPARE(w->recording().markers().back().n, m_h->sensor.readingsSent().back().n);
        checkAgainstTheSensor({{w->recording().markers().back().index, at}});
    }

    // "Закрыть COM порт" during a recording stops it: Start and Pause up,
    // Stop down, Rec disabled. Opening the port again does not resume it;
    // nothing is stored until Start, and then the time goes on where it stood.
    void closingThePortStopsTheRecording()
    {
        begin();
        Ui::TForm1 *ui = m_h->form().controls();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        m_h->sensor.pour(1.0);
        seconds(6);
        QVERIFY(file().stopPoint() > 0); // level steps stored on the way
        ui->COM2->trigger();
        QVERIFY(!child<QToolButton>("sbPlay")->isChecked());
        QVERIFY(!child<QToolButton>("sbPause")->isChecked());
        QVERIFY(child<QToolButton>("sbStop")->isChecked());
        QCOMPARE(child<QToolButton>("sbStop")->property("imageName").toString(),
                 QStringLiteral("SBSTOPR"));
        QVERIFY(!child<QToolButton>("sbRec")->isEnabled());
        QVERIFY(child<QToolButton>("sbUp")->isEnabled());
        const int stored = file().stopPoint();
        const qint64 time = w->recording().RecordTime();

        ui->bbDublComOpen->click();
        seconds(8);
        QVERIFY(m_h->form().port().Connected());
        QVERIFY(!w->playing());
        QVERIFY(!child<QToolButton>("sbRec")->isEnabled());
        QCOMPARE(file().stopPoint(), stored);
        QCOMPARE(w->recording().RecordTime(), time);

        click("sbPlay");
        seconds(3);
        QVERIFY(w->playing());
        QVERIFY(child<QToolButton>("sbRec")->isEnabled());
        QVERIFY(w->recording().RecordTime() > time);
        QVERIFY(file().stopPoint() > stored);
        checkAgainstTheSensor();
    }

    // While the duplicate-level question is open the time and the level stand:
    // the point stored is the reading the installer clicked at, though the
    // level moved on before the answer.
    void duplicateQuestionHoldsTheRecording()
    {
        begin();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        pourThenRec(5);
        seconds(2);
        const qint64 clicked = w->recording().RecordTime();
        const int plotted = w->recording().curve().size();
        const SentReading seen = m_h->sensor.readingsSent().back();
        qint64 timeDuring = -1;
        int plottedDuring = -1;
        QString levelDuring;
        m_h->dialogs.onMessage([&](const ScriptedDialogs::Shown &shown) {
            if (!shown.text.contains(QStringLiteral("already exists")))
                return;
            m_h->sensor.pour(2.0);
            seconds(4); // the sensor answers on while the installer thinks
            timeDuring = w->recording().RecordTime();
            plottedDuring = w->recording().curve().size();
            levelDuring = child<QLabel>("lbNN")->text();
        });
        m_h->dialogs.answer(MsgAnswer::Yes);
        const qint64 at = m_h->clock.nowMs();
        click("sbRec");
        m_h->dialogs.onMessage({});
        QCOMPARE(timeDuring, clicked);
        QCOMPARE(plottedDuring, plotted);
        QCOMPARE(levelDuring, QString::number(seen.n));
        QVERIFY(m_h->sensor.readingsSent().back().n > seen.n + 50); // the level did move
        const int k = w->recording().markers().back().index;
        QCOMPARE(file().pointKeys(k, "").Time, QString::number(clicked));
        QCOMPARE(file().pointKeys(k, "").FilterN, QString::number(seen.n));
        QCOMPARE(w->recording().markers().back().x, double(clicked));
        QCOMPARE(w->recording().LastUserSavedN(), seen.n);
        seconds(2);
        QVERIFY(w->recording().RecordTime() > clicked);
        checkAgainstTheSensor({{k, at}});
    }

    // The autosave switch and constant are followed at each reading: allowed
    // with a constant of 10 from the settings window during a recording,
    // steps of more than 10 codes are stored from the next reading on;
    // forbidden again, none are.
    void autosaveFollowsTheSettings()
    {
        begin(false);
        Ui::TForm1 *ui = m_h->form().controls();
        TForm7 &settings = m_h->program->form7();
        auto setAutosave = [&](bool on) {
            ui->N16->trigger();
            QVERIFY(settings.isVisible());
            settings.findChild<QRadioButton *>(on ? "rgAvtoSaveItem0" : "rgAvtoSaveItem1")->click();
            if (on) {
                QToolButton *up =
                    settings.findChild<QWidget *>("UpDown1")->findChildren<QToolButton *>().first();
                for (int i = 0; i < 5; ++i)
                    up->click(); // 5 -> 10
            }
            QTest::mouseClick(settings.findChild<QWidget *>("BitBtn1"), Qt::LeftButton);
            QVERIFY(!settings.isVisible());
        };
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        m_h->sensor.pour(0.2); // about 8 codes a second
        seconds(6);
        QVERIFY(file().pointKeys(0, "").Time.isEmpty());

        setAutosave(true);
        seconds(10);
        PointsRead points;
        QVERIFY(ProtocolFile(m_path).readPoints(points).ok());
        QVERIFY(points.points.size() >= 4);
        for (size_t i = 0; i + 1 < points.points.size(); i += 2)
            QVERIFY2(points.points[i + 1].FilterN - points.points[i].FilterN > 10,
                     qPrintable(QString::number(i)));
        const int stored = file().stopPoint();

        setAutosave(false);
        seconds(10);
        QCOMPARE(file().stopPoint(), stored);
        checkAgainstTheSensor();
    }

    // The point-properties and fuel-level windows belong to the protocol they
    // were opened on: opening another protocol or hiding the calibration
    // window closes them, and no correction reaches another protocol.
    void pointWindowsBelongToTheirProtocol()
    {
        begin();
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        m_h->sensor.pour(1.0);
        seconds(5);
        m_h->sensor.pour(0);
        click("sbRec");
        click("sbPause");
        const Recording::Marker m = w->recording().markers().front();
        w->Series2Click(QPointF(m.x, m.n));
        child<QAction>("N5")->trigger();
        QVERIFY(w->form15()->isVisible());
        w->form15()->meEnterFuil->setText(QStringLiteral("0099,00"));

        // Protocol B is opened while the fuel-level window is up.
        const QString other = m_h->dir.filePath(QStringLiteral("other.kvi"));
        QVERIFY(QFile::copy(m_path, other));
        auto bytes = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray before = bytes(m_path);
        m_h->program->form6().openAsFirstEntry(other);
        QCOMPARE(m_h->state().CurrentProtocolFile, other);
        QVERIFY(!w->form15()->isVisible());
        QVERIFY(w->isEnabled());
        m_h->dialogs.answer(MsgAnswer::Yes);
        w->form15()->OKBtn->click(); // a stale OK changes neither protocol
        QCOMPARE(bytes(other), before);
        QCOMPARE(bytes(m_path), before);

        // The properties window goes with the calibration window.
        child<QAction>("N3")->trigger();
        QVERIFY(w->form8()->isVisible());
        QVERIFY(!m_h->form().isEnabled());
        m_h->dialogs.answer(MsgAnswer::No); // no workbook
        w->close();
        QVERIFY(!w->form8()->isVisible());
        QVERIFY(m_h->form().isEnabled());
    }

    // The next value turns pale yellow once it passes the job's tank volume;
    // a pause reload draws the cursor line at the last row.
    void nextValueBeyondTheTankAndTheCursorLine()
    {
        begin();
        m_h->form().controls()->UpDown5->setPosition(15);
        type("meIncrem", QStringLiteral("01000"));
        click("sbPlay");
        auto *next = child<QLineEdit>("meliter");
        const QColor normal = next->palette().color(QPalette::Base);
        const QColor pale(245, 245, 156);
        QVERIFY(normal != pale);
        for (int i = 0; i < 2; ++i) {
            m_h->sensor.pour(1.0);
            seconds(3);
            m_h->sensor.pour(0);
            seconds(1);
            click("sbRec");
            // 10 litres: inside the tank; 20 litres: beyond its 15.
            QCOMPARE(next->palette().color(QPalette::Base), i == 0 ? normal : pale);
        }
        click("sbPause");
        QLineSeries *cursor = nullptr;
        for (QAbstractSeries *series : child<QChartView>("Chart")->chart()->series())
            if (series->objectName() == QLatin1String("Series3"))
                cursor = qobject_cast<QLineSeries *>(series);
        QVERIFY(cursor);
        QCOMPARE(cursor->count(), 2);
        QCOMPARE(cursor->at(0).x(), double(w->recording().rows().back().time));
    }

    void languagePass()
    {
        begin();
        QCOMPARE(w->windowTitle(), QStringLiteral("Fuel tank calibration monitoring"));
        m_h->form().controls()->Rus1->trigger();
        QCOMPARE(w->windowTitle(), QStringLiteral("Мониторинг тарирования топливного бака"));
        QCOMPARE(child<QLabel>("Label3")->text(), QStringLiteral("Стартовое значение, л"));
        QCOMPARE(child<QAction>("N7")->text(), QStringLiteral("Удалить выбранную точку"));
        QCOMPARE(w->form15()->windowTitle(), QStringLiteral("Уровень топлива"));
        QCOMPARE(w->form8()->windowTitle(), QStringLiteral("Свойства точки"));
    }

    // The window as an installer sees it, for people to look at.
    void picture()
    {
        begin();
        type("meIncrem", QStringLiteral("01250"));
        click("sbPlay");
        for (int i = 0; i < 4; ++i) {
            m_h->sensor.pour(1.5);
            seconds(8);
            m_h->sensor.pour(0);
            seconds(3);
            click("sbRec");
        }
        w->resize(900, 480);
        QApplication::processEvents();
        const QString dir = QStringLiteral(KV_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(w->grab().save(dir + QStringLiteral("/calibration.png")));
    }
};

QTEST_MAIN(TstCalibrationWindow)
#include "tst_calibration_window.moc"
