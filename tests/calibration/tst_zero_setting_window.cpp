// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The zero search and the probe detection through the main window, on the
// simulated clock with the virtual sensor's physics (raising CAPDAC or
// CAPOFF lowers C): a search that finds the zero, a cancelled one, the
// attempt limit with its retry; the detection's proposal; the manual arrows;
// the probe-constants window.

#include "calibration/Load_U.h"
#include "calibration/Property_Zond_U.h"
#include "calibration/probe_length.h"
#include "shell/settings_store.h"
#include "support/program_harness.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

class TstZeroSettingWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramHarness> m_h;
    Ui::TForm1 *ui() { return m_h->form().controls(); }
    TForm2 &progress() { return m_h->program->form2(); }

    // Connected, on the calibration page with the class "Пользов L" chosen.
    void begin(VirtualSensorOptions options = {})
    {
        m_h = std::make_unique<ProgramHarness>(options);
        m_h->start();
        m_h->clock.advance(100);
        ui()->COM1->trigger();
        m_h->clock.advance(2500);
        QVERIFY(m_h->form().port().Connected());
        QTabWidget *pc = ui()->PageControl;
        pc->setTabVisible(pc->indexOf(ui()->TabSheet2), true);
        pc->setCurrentWidget(ui()->TabSheet2);
        ui()->cbFlesh->setCurrentIndex(7);
        QMetaObject::invokeMethod(ui()->cbFlesh, "activated", Q_ARG(int, 7));
        m_h->clock.advance(1500);
        QVERIFY(ui()->bbCalibration->isEnabled());
        m_h->dialogs.clear();
    }
    int heard(quint8 command) const { return int(m_h->commandsHeard().count(command)); }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    void searchFindsTheZero()
    {
        begin();
        ui()->bbCalibration->click();
        QVERIFY(progress().isVisible());
        QVERIFY(!m_h->form().isEnabled());
        QCOMPARE(progress().windowTitle(), QStringLiteral("The value zero search"));
        QCOMPARE(progress().lbSprob->text(), QStringLiteral("Attempt 1"));
        for (int i = 0; i < 120 && progress().isVisible(); ++i)
            m_h->clock.advance(500);
        QVERIFY(!progress().isVisible());
        QCOMPARE(m_h->dialogs.messages(), QStringList{"Calibration successfully done"});
        QVERIFY(m_h->form().isEnabled());
        QVERIFY(!ui()->cbAvtoCalibration->isChecked());
        const int c = m_h->sensor.capacitanceCode();
        QVERIFY2(std::abs(c - 10000) <= 15, qPrintable(QString::number(c)));
        const int capdac = m_h->sensor.registers().capdac;
        const int capoff = m_h->sensor.registers().capoff;
        // The sensor is identified again; the zero found stays on the sensor
        // (the page's re-read does not put the reference offsets on it) and
        // the edits show it, ready for "Применить".
        m_h->clock.advance(3000);
        QCOMPARE(int(m_h->sensor.registers().capdac), capdac);
        QCOMPARE(int(m_h->sensor.registers().capoff), capoff);
        QCOMPARE(ui()->meCAPDAC->text().toInt(), int(m_h->sensor.registers().capdac));
        QCOMPARE(ui()->meCAPOFF->text().toInt(), int(m_h->sensor.registers().capoff));
    }

    void cancelReSendsTheClass()
    {
        begin();
        ui()->bbCalibration->click();
        m_h->clock.advance(2000);
        m_h->sensor.clearRequests();
        progress().bbForm2Censel->click();
        QVERIFY(!progress().isVisible());
        QVERIFY(!ui()->cbAvtoCalibration->isChecked());
        QVERIFY(m_h->form().isEnabled());
        m_h->clock.advance(1100);
        QCOMPARE(heard(CommandTable.SET_SOND_LEN), 1); // "Сброс", a second later
        QVERIFY(m_h->dialogs.shown().isEmpty());
    }

    // Offsets the sensor refuses: the attempt ends at its limit, the window
    // closes and a new attempt starts 900 ms later, numbered 2.
    void attemptLimitRetries()
    {
        begin();
        m_h->sensor.faults().refused = {CommandTable.SET_CAPDAC_A, CommandTable.SET_CAPOFF};
        m_h->sensor.setFuelLitres(90); // C far above the window, and it cannot move
        ui()->bbCalibration->click();
        int closedAt = -1;
        for (int t = 0; t < 60 && closedAt < 0; ++t) {
            m_h->clock.advance(500);
            if (!progress().isVisible())
                closedAt = t;
        }
        QVERIFY(closedAt > 0);
        QVERIFY(m_h->form().timer("TimerRepeat")->enabled());
        m_h->clock.advance(950);
        QVERIFY(progress().isVisible());
        QCOMPARE(progress().lbSprob->text(), QStringLiteral("Attempt 2"));
        progress().bbForm2Censel->click();
        QVERIFY(m_h->dialogs.shown().isEmpty());
        // A cancelled search is over: the next one counts from 1 again.
        m_h->clock.advance(1500);
        ui()->bbCalibration->click();
        QVERIFY(progress().isVisible());
        QCOMPARE(progress().lbSprob->text(), QStringLiteral("Attempt 1"));
        progress().bbForm2Censel->click();
    }

    // An arrow writes the offset at once; a second click within the 150 ms
    // lock-out is ignored.
    void manualArrows()
    {
        begin();
        auto writes = [&](quint8 command) {
            QList<QByteArray> out;
            for (const QByteArray &f : m_h->sensor.requests())
                if (quint8(f.at(2)) == command)
                    out << f.mid(3, f.size() - 4);
            return out;
        };
        m_h->sensor.clearRequests();
        const int before = m_h->sensor.registers().capdac;
        ui()->UpDownCAPDAC->setPosition(before);
        ui()->UpDownCAPDAC->click(UpDown::Next);
        ui()->UpDownCAPDAC->click(UpDown::Next); // within the lock-out: ignored
        QCOMPARE(ui()->meCAPDAC->text().toInt(), before + 1);
        m_h->clock.advance(100);
        QCOMPARE(writes(CommandTable.SET_CAPDAC_A),
                 QList<QByteArray>{QByteArray(1, char(before + 1))});
        m_h->clock.advance(100);
        m_h->sensor.clearRequests();
        ui()->UpDownCAPOFF->setPosition(1000);
        ui()->UpDownCAPOFF->click(UpDown::Next);
        m_h->clock.advance(100);
        const int capoff = 32768 + 1050;
        const QByteArray expected = QByteArray(1, char(capoff & 0xFF)) + char(capoff >> 8);
        QCOMPARE(writes(CommandTable.SET_CAPOFF), QList<QByteArray>{expected});
    }

    // The detection measures the fitted probe on the reference offsets and
    // proposes its class; the length it stores for the protocol is the
    // probe's. Before firmware 5 no extended-parameter reply asks for the
    // data poll, so the detection asks for it itself.
    void detectionMeasuresTheProbe_data()
    {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<double>("lengthMm");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("fw5 400 mm: 440") << 0x53 << 400.0 << 3 << "\"440\"";
        QTest::newRow("fw5 680 mm: 710") << 0x53 << 680.0 << 0 << "\"710\"";
        QTest::newRow("fw5 900 mm: User H") << 0x53 << 900.0 << 6 << "\"User H\"";
        QTest::newRow("fw4 300 mm: 350") << 0x43 << 300.0 << 4 << "\"350\"";
        QTest::newRow("fw4 580 mm: 620") << 0x43 << 580.0 << 1 << "\"620\"";
    }
    void detectionMeasuresTheProbe()
    {
        QFETCH(int, firmware);
        QFETCH(double, lengthMm);
        QFETCH(int, item);
        QFETCH(QString, proposal);
        VirtualSensorOptions options;
        options.firmware = quint8(firmware);
        begin(options);
        m_h->sensor.setProbeLength(lengthMm);
        m_h->clock.advance(2000);            // the live view reads the probe on its class offsets
        m_h->dialogs.answer(MsgAnswer::Ok);  // the probe is attached
        m_h->dialogs.answer(MsgAnswer::Yes); // set the class proposed
        ui()->BitBtn2->click();
        QVERIFY(progress().isVisible());
        QCOMPARE(progress().windowTitle(), QStringLiteral("Range estimate"));
        m_h->clock.advance(7500);
        QVERIFY(!progress().isVisible());
        QVERIFY(m_h->form().isEnabled());
        QVERIFY(!m_h->state().ProbeDetectActive);

        const QStringList msgs = m_h->dialogs.messages();
        QVERIFY2(msgs.size() == 2 && msgs[1].contains(proposal), qPrintable(msgs.join(" | ")));
        const double stored = m_h->state().sensor.SensorParam.ProtocolLengProbe.toDouble();
        QVERIFY2(std::abs(stored - lengthMm) <= 0.02 * lengthMm,
                 qPrintable(QStringLiteral("stored %1 for a probe of %2 mm")
                                .arg(m_h->state().sensor.SensorParam.ProtocolLengProbe)
                                .arg(lengthMm)));
        QCOMPARE(ui()->edLongDA->text(), m_h->state().sensor.SensorParam.ProtocolLengProbe);
        QCOMPARE(ui()->cbFlesh->currentIndex(), item);
        m_h->clock.advance(1500);
        QCOMPARE(int(m_h->sensor.registers().probeRange), 7 - item);
        // The chains of the detection, the page and the polling took turns on the line.
        QCOMPARE(m_h->sensor.overlappingRequests(), 0);
    }

    // A failed detection ends before its message: the reference-data reply
    // that comes in while the message is open puts nothing on the sensor, so
    // the class sent after it leaves the sensor on the class's offsets, and
    // the offset fields show them.
    void failedDetectionLeavesTheClassOffsets()
    {
        begin(); // "Пользов L", code 0
        SensorRegisters &reg = m_h->sensor.registers();
        reg.refCapoff = 40000;
        m_h->sensor.storeReferencePoint();
        m_h->sensor.setProbeLength(400);
        // A string-holder constant above any probe's capacitance: the measurement fails.
        m_h->program->form9().meCF1->setText(QStringLiteral("9,999"));
        m_h->dialogs.answer(MsgAnswer::Ok);
        m_h->dialogs.onMessage([this](const ScriptedDialogs::Shown &shown) {
            if (shown.text.startsWith(QStringLiteral("Probe length measuring failed.")))
                m_h->clock.advance(200); // the reference read is answered meanwhile
        });
        ui()->BitBtn2->click();
        m_h->clock.advance(7500);
        m_h->dialogs.onMessage({});
        QVERIFY2(m_h->dialogs.messages().value(1).startsWith(
                     QStringLiteral("Probe length measuring failed.")),
                 qPrintable(m_h->dialogs.messages().join(" | ")));
        QVERIFY(!m_h->state().ProbeDetectActive);
        QVERIFY(ui()->edLongDA->text().isEmpty());
        m_h->clock.advance(2000);
        const ClassOffsets userL = reg.classOffsets[0];
        QCOMPARE(int(reg.capdac), int(userL.capdac));
        QCOMPARE(int(reg.capoff), int(userL.capoff));
        QCOMPARE(ui()->meCAPDAC->text().toInt(), int(userL.capdac));
        QCOMPARE(ui()->meCAPOFF->text().toInt(), int(userL.capoff));
    }

    // After the sensor reported a range code the list does not have, no class
    // is selected; where the detection would send the class selected before,
    // nothing goes to the sensor and the installer is told.
    void noClassSelectedSendsNothing_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::newRow("No to the proposal") << false;
        QTest::newRow("failed detection") << true;
    }
    void noClassSelectedSendsNothing()
    {
        QFETCH(bool, fails);
        begin();
        m_h->sensor.registers().probeRange = 9;
        ui()->BitBtn10->click(); // back to the general parameters and on to the
        ui()->BitBtn6->click();  // calibration page: the sensor is read again
        m_h->clock.advance(1500);
        QCOMPARE(ui()->cbFlesh->currentIndex(), -1);
        m_h->sensor.setProbeLength(400);
        if (fails)
            m_h->program->form9().meCF1->setText(QStringLiteral("9,999"));
        m_h->dialogs.clear();
        m_h->dialogs.answer(MsgAnswer::Ok); // the probe is attached
        m_h->dialogs.answer(MsgAnswer::No); // not the class proposed
        ui()->BitBtn2->click();
        m_h->sensor.clearRequests();
        m_h->clock.advance(7500);
        QCOMPARE(heard(CommandTable.SET_SOND_LEN), 0);
        QCOMPARE(int(m_h->sensor.registers().probeRange), 9);
        QCOMPARE(m_h->dialogs.lastMessage(), ProbeLength::noClassMessage(0));
        QCOMPARE(ui()->cbFlesh->currentIndex(), -1);
    }

    // A length the four-digit field cannot hold (a linear capacitance far too
    // small) is refused with its message: the field and the length kept for
    // the protocol stay empty, no class is proposed, the class stays.
    void detectionRefusesALengthTheFieldCannotHold()
    {
        begin(); // "Пользов L", code 0
        m_h->sensor.setProbeLength(400);
        m_h->program->form9().meCL->setText(QStringLiteral("0,00010"));
        m_h->dialogs.answer(MsgAnswer::Ok);
        ui()->BitBtn2->click();
        m_h->sensor.clearRequests();
        m_h->clock.advance(7500);
        const QStringList msgs = m_h->dialogs.messages();
        QCOMPARE(msgs.size(), 2);
        // The length said is the 400 mm probe's with CL a 163rd of its value:
        // (L - 21,5) x 0,0001 / 0,01633 + 21,5 is the probe again.
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("^The effective probe length came out as (\\d+) mm;"
                                              ".*not kept"))
                .match(msgs[1]);
        QVERIFY2(m.hasMatch(), qPrintable(msgs[1]));
        const double said = m.captured(1).toDouble();
        QVERIFY(said > 9999);
        QVERIFY2(std::abs((said - 21.5) * 0.0001 / 0.01633 + 21.5 - 400) < 8, qPrintable(msgs[1]));
        QVERIFY(ui()->edLongDA->text().isEmpty());
        QVERIFY(m_h->state().sensor.SensorParam.ProtocolLengProbe.isEmpty());
        QCOMPARE(ui()->cbFlesh->currentIndex(), 7);
        m_h->clock.advance(1500);
        QCOMPARE(int(m_h->sensor.registers().probeRange), 0);
    }

    // Typed text never becomes a probe class: Enter adds no item, sends no
    // class and leaves the manual zero setting as the chosen class has it.
    void typedTextIsNoProbeClass()
    {
        begin();
        ui()->cbFlesh->setCurrentIndex(2);
        QMetaObject::invokeMethod(ui()->cbFlesh, "activated", Q_ARG(int, 2));
        m_h->clock.advance(1500);
        QVERIFY(!ui()->bbCalibration->isEnabled());
        m_h->sensor.clearRequests();
        QLineEdit *edit = ui()->cbFlesh->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("999"));
        QTest::keyClick(edit, Qt::Key_Return);
        m_h->clock.advance(1500);
        QCOMPARE(ui()->cbFlesh->count(), 8);
        QCOMPARE(ui()->cbFlesh->currentIndex(), 2);
        QCOMPARE(heard(CommandTable.SET_SOND_LEN), 0);
        QCOMPARE(int(m_h->sensor.registers().probeRange), 5);
        QVERIFY(!ui()->bbCalibration->isEnabled() && !ui()->UpDownCAPDAC->isEnabled());
    }

    void probeConstantsWindow()
    {
        begin();
        TForm9 &w = m_h->program->form9();
        ui()->N9->trigger();
        QVERIFY(w.isVisible() && !m_h->form().isEnabled());
        QCOMPARE(w.meCF1->displayText(), QStringLiteral("1,725"));
        QCOMPARE(w.meCL->displayText(), QStringLiteral("0,01633"));
        w.meCF1->setText(QStringLiteral("2,000"));
        w.BitBtn2->click(); // Cancel: the stored values again
        QCOMPARE(w.meCF1->displayText(), QStringLiteral("1,725"));
        w.meCL->setText(QStringLiteral("0,02000"));
        w.BitBtn1->click();
        QVERIFY(!w.isVisible() && m_h->form().isEnabled());
        QCOMPARE(m_h->settings.get(SettingsKeys::CLR1), 0.02);
        // A linear capacitance of 0 refuses the detection, naming the window.
        w.meCL->setText(QStringLiteral("0,00000"));
        m_h->dialogs.clear();
        ui()->BitBtn2->click();
        QVERIFY(m_h->dialogs.lastMessage().contains(
            QStringLiteral("Probe length calculation settings")));
        QVERIFY(!progress().isVisible());
        // Stored, a 0 reads back as 0, not as the factory value.
        ui()->N9->trigger();
        w.close();
        w.meCL->setText(QStringLiteral("0,01633"));
        w.BitBtn2->click();
        QCOMPARE(w.meCL->displayText(), QStringLiteral("0,00000"));
        w.BitBtn3->click(); // factory settings, not stored
        QCOMPARE(w.meCL->displayText(), QStringLiteral("0,01633"));
    }
};

QTEST_MAIN(TstZeroSettingWindow)
#include "tst_zero_setting_window.moc"
