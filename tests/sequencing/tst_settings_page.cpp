// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The general-parameters page and the inclinometer page with their buttons,
// on the simulated clock with the virtual sensor: the write chain of each
// firmware family and its data, factory defaults, discard, a refused
// extended mode under the chain's guard; the azimuth written and the tilts
// read four times a second, stopped by a page change.

#include "support/program_harness.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cstring>

using Commands = QList<quint8>;
Q_DECLARE_METATYPE(Commands)

class TstSettingsPage : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramHarness> m_h;

    Ui::TForm1 *ui() { return m_h->form().controls(); }

    // Connected and identified, the given page shown as the wizard shows it.
    void begin(quint8 model, quint8 firmware, QWidget *(Ui::TForm1::*page) = nullptr)
    {
        VirtualSensorOptions o;
        o.model = model;
        o.firmware = firmware;
        m_h = std::make_unique<ProgramHarness>(o);
        m_h->start();
        m_h->form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_h->form()));
        m_h->clock.advance(100);
        ui()->COM1->trigger();
        m_h->clock.advance(2500);
        QVERIFY(m_h->form().port().Connected());
        if (page) {
            QWidget *w = ui()->*page;
            QTabWidget *pc = ui()->PageControl;
            pc->setTabVisible(pc->indexOf(w), true);
            pc->setCurrentWidget(w);
        }
        m_h->clock.advance(500);
        m_h->sensor.clearRequests();
        m_h->dialogs.clear();
    }
    Commands heard() const
    {
        Commands out;
        for (quint8 c : m_h->commandsHeard())
            if (c != CommandTable.DATA_READ)
                out << c;
        return out;
    }
    QByteArray lastHeard(quint8 command) const
    {
        const QList<QByteArray> &frames = m_h->sensor.requests();
        for (auto it = frames.rbegin(); it != frames.rend(); ++it)
            if (quint8(it->at(2)) == command)
                return *it;
        return {};
    }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    // "Применить" writes the page in the order of the firmware family, ends
    // with the result message and identifies the sensor again.
    void writeOrder_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("firmware");
        QTest::addColumn<Commands>("expected");
        const quint8 ADDR = CommandTable.SET_ADDR, REP = CommandTable.SET_REP_MODE,
                     AVRG = CommandTable.SET_AVRG_TIME, PER = CommandTable.SET_PERIOD,
                     REP3 = CommandTable.SET_REP_MODE_3, INCL = CommandTable.SET_INCL_LAN_ADR,
                     AUTO = CommandTable.SET_AUTO_MODE;
        QTest::newRow("firmware 4.8") << 3 << 0x48 << Commands{ADDR, PER, AUTO};
        QTest::newRow("firmware 5.3") << 1 << 0x53 << Commands{ADDR, REP, AVRG, PER, AUTO};
        QTest::newRow("firmware 8.3")
            << 178 << 0x83 << Commands{ADDR, REP, AVRG, PER, REP3, INCL, AUTO};
    }
    void writeOrder()
    {
        QFETCH(int, model);
        QFETCH(int, firmware);
        QFETCH(Commands, expected);
        begin(quint8(model), quint8(firmware), &Ui::TForm1::TabSheet1);
        ui()->bbNewAdres->click();
        m_h->clock.advance(2000);
        const Commands h = heard();
        QVERIFY(h.contains(CommandTable.SET_AUTO_MODE));
        QCOMPARE(h.mid(0, h.indexOf(CommandTable.SET_AUTO_MODE) + 1), expected);
        QCOMPARE(quint8(lastHeard(CommandTable.SET_ADDR).at(1)), BroadcastAddress);
        QCOMPARE(m_h->dialogs.messages(), QStringList{"Data recording is completed successfully "});
        // Identified again afterwards: the settings are read back.
        QVERIFY(h.mid(h.indexOf(CommandTable.SET_AUTO_MODE)).contains(CommandTable.READ_PARAM));
        QVERIFY(!m_h->form().timer("TimerErrorWrite")->enabled());
    }

    void periodOnTheWire_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("byte");
        QTest::newRow("1 s") << 1 << 0;
        QTest::newRow("10 s") << 10 << 9;
        QTest::newRow("256 s") << 256 << 255;
    }
    void periodOnTheWire()
    {
        QFETCH(int, seconds);
        QFETCH(int, byte);
        begin(1, 0x53, &Ui::TForm1::TabSheet1);
        ui()->cbPeriod->click();
        QVERIFY(ui()->edPeriod->isEnabled() && ui()->UpDown3->isEnabled());
        // The arrows move the field; what it shows is what goes out.
        for (int i = 1; i < seconds; ++i)
            ui()->UpDown3->click(UpDown::Next);
        QCOMPARE(ui()->edPeriod->text(), QString::number(seconds));
        ui()->bbNewAdres->click();
        m_h->clock.advance(2000);
        QCOMPARE(quint8(lastHeard(CommandTable.SET_PERIOD).at(3)), quint8(byte));
        QCOMPARE(m_h->sensor.registers().periodCode, quint8(byte));
    }

    // Factory defaults on firmware 5: address 1, 19200 bit/s, binary, no
    // periodic output, averaging on with 8 s, 12 bits.
    void factoryDefaults()
    {
        begin(1, 0x53, &Ui::TForm1::TabSheet1);
        ui()->cbtextbinformat->setChecked(true);
        ui()->cbPeriod->setChecked(true);
        ui()->cbCenter->setChecked(false);
        ui()->cbSpeedUart->setCurrentIndex(6);
        ui()->SpinEdit1->setValue(30);
        ui()->RadioGroup->setItemIndex(0);
        ui()->bbResetRef->click();
        m_h->clock.advance(2000);
        const SensorRegisters &r = m_h->sensor.registers();
        QCOMPARE(r.address, quint8(1));
        QCOMPARE(r.outputMode, quint8(0x90));
        QCOMPARE(r.averagingTime, quint8(8));
        QVERIFY(!ui()->edPeriod->isEnabled());
        QVERIFY(ui()->cbNdate->isChecked());
    }

    // "Сброс" shows the sensor's stored settings again.
    void discardReadsTheSensorBack()
    {
        begin(1, 0x53, &Ui::TForm1::TabSheet1);
        const int speed = ui()->cbSpeedUart->currentIndex();
        const bool centre = ui()->cbCenter->isChecked();
        ui()->cbSpeedUart->setCurrentIndex(speed == 0 ? 1 : 0);
        ui()->cbCenter->setChecked(!centre);
        ui()->bbReadAvtomod->click();
        m_h->clock.advance(300);
        QCOMPARE(heard().front(), CommandTable.READ_PARAM);
        QCOMPARE(ui()->cbSpeedUart->currentIndex(), speed);
        QCOMPARE(ui()->cbCenter->isChecked(), centre);
    }

    // A refused extended mode stops the chain without a word; the guard then
    // ends it in the search for the sensor, claiming no success.
    void refusedExtendedModeEndsInTheSearch()
    {
        begin(1, 0x53, &Ui::TForm1::TabSheet1);
        m_h->sensor.faults().refused.insert(CommandTable.SET_REP_MODE);
        ui()->bbNewAdres->click();
        m_h->clock.advance(500);
        QCOMPARE(heard(), (Commands{CommandTable.SET_ADDR, CommandTable.SET_REP_MODE}));
        m_h->clock.advance(400); // the 800 ms guard
        QVERIFY(ui()->GroupBox5->isVisible());
        QVERIFY(m_h->form().timer("TimerStart")->enabled());
        QVERIFY(m_h->dialogs.shown().isEmpty());
    }

    // The azimuth written from the up-down, typed text held at 360,0; the
    // tilts read every 250 ms, stopped by a page change, polling restarted.
    void inclinometerPage()
    {
        m_h.reset();
        begin(178, 0x83, &Ui::TForm1::TabSheet7);
        ui()->meAzz->setFocus();
        ui()->meAzz->setText(QStringLiteral("999,9"));
        QTest::keyClick(ui()->meAzz, Qt::Key_End); // a key released in the edit
        QCOMPARE(ui()->udAzz->position(), 3600);
        ui()->udAzz->setPosition(1799);
        ui()->udAzz->click(UpDown::Next);
        QCOMPARE(ui()->meAzz->displayText(), QStringLiteral("180,0"));
        ui()->Button8->click();
        m_h->clock.advance(300);
        QCOMPARE(lastHeard(CommandTable.SET_AZIMUTH).mid(3, 4), QByteArray::fromHex("00003443"));
        QCOMPARE(m_h->sensor.registers().azimuth, 180.0f);
        QCOMPARE(m_h->dialogs.messages(), QStringList{"Data recording is completed successfully "});

        m_h->sensor.registers().tiltX = -256;
        m_h->sensor.registers().tiltY = 128;
        m_h->sensor.clearRequests();
        ui()->Button9->click();
        QVERIFY(!ui()->Button9->isEnabled() && ui()->Button10->isEnabled());
        m_h->clock.advance(1000);
        QCOMPARE(m_h->commandsHeard().count(CommandTable.GET_INCLINOMETER_DATA), 4);
        QVERIFY(!m_h->commandsHeard().contains(CommandTable.DATA_READ));
        QCOMPARE(ui()->Label92->text(), QStringLiteral("-1,00"));
        QCOMPARE(ui()->Label93->text(), QStringLiteral(" 0,50"));

        // A page chosen by the user stops the tilts; polling comes back.
        QTabWidget *pc = ui()->PageControl;
        pc->setTabVisible(pc->indexOf(ui()->TabSheet6), true);
        QTest::keyClick(pc->currentWidget(), Qt::Key_Backtab,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(pc->currentWidget() != ui()->TabSheet7);
        QVERIFY(!m_h->form().timer("TimerReadInclinometerData")->enabled());
        QVERIFY(ui()->Button9->isEnabled() && !ui()->Button10->isEnabled());
        m_h->sensor.clearRequests();
        m_h->clock.advance(2500);
        QVERIFY(m_h->commandsHeard().contains(CommandTable.DATA_READ));
        QVERIFY(!m_h->commandsHeard().contains(CommandTable.GET_INCLINOMETER_DATA));
    }

    // Arrows on the masked azimuth field show the value they step to, so a
    // key released in the field reads it back unchanged and the write sends it.
    void azimuthArrowShowsWhatItWrites()
    {
        begin(178, 0x83, &Ui::TForm1::TabSheet7);
        ui()->udAzz->setPosition(55);
        ui()->udAzz->click(UpDown::Next);
        QCOMPARE(ui()->meAzz->displayText(), QStringLiteral("005,6"));
        ui()->meAzz->setFocus();
        QTest::keyClick(ui()->meAzz, Qt::Key_End); // a key released in the edit
        QCOMPARE(ui()->udAzz->position(), 56);
        ui()->Button8->click();
        m_h->clock.advance(300);
        QCOMPARE(m_h->sensor.registers().azimuth, 5.6f);
    }

    // The azimuth read from the sensor goes back as it came: "Записать"
    // without an edit writes the single the sensor holds, a tenth that binary
    // cannot hold exactly included.
    void azimuthWrittenBackAsRead_data()
    {
        QTest::addColumn<float>("azimuth");
        QTest::newRow("0,7") << 0.7f;
        QTest::newRow("12,7") << 12.7f;
        QTest::newRow("359,9") << 359.9f;
    }
    void azimuthWrittenBackAsRead()
    {
        QFETCH(float, azimuth);
        begin(178, 0x83, &Ui::TForm1::TabSheet6);
        m_h->sensor.registers().azimuth = azimuth;
        ui()->BitBtn20->click(); // "Далее" to the inclinometer page reads the azimuth
        m_h->clock.advance(1500);
        QVERIFY(m_h->commandsHeard().contains(CommandTable.GET_AZIMUTH));
        ui()->Button8->click();
        m_h->clock.advance(300);
        QByteArray sent(4, '\0');
        std::memcpy(sent.data(), &azimuth, 4); // the wire is little-endian, as this host
        QCOMPARE(lastHeard(CommandTable.SET_AZIMUTH).mid(3, 4), sent);
        QCOMPARE(m_h->sensor.registers().azimuth, azimuth);
    }

    // The tilt reading belongs to its page: "Назад", and "Далее" answered No
    // at the protocol question, stop it like a tab does, and the level polls
    // never run beside it.
    void pageButtonsStopTheTilts_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("page");
        QTest::newRow("Назад") << "BitBtn19"
                               << "TabSheet1";
        QTest::newRow("Далее, no protocol") << "BitBtn21"
                                            << "TabSheet3";
    }
    void pageButtonsStopTheTilts()
    {
        QFETCH(QString, button);
        QFETCH(QString, page);
        begin(178, 0x83, &Ui::TForm1::TabSheet7);
        ui()->Button9->click();
        m_h->clock.advance(600);
        QVERIFY(m_h->commandsHeard().contains(CommandTable.GET_INCLINOMETER_DATA));
        m_h->dialogs.answer(MsgAnswer::No); // no protocol wanted
        m_h->form().findChild<QPushButton *>(button)->click();
        QCOMPARE(ui()->PageControl->currentWidget()->objectName(), page);
        QVERIFY(!m_h->form().timer("TimerReadInclinometerData")->enabled());
        QVERIFY(ui()->Button9->isEnabled() && !ui()->Button10->isEnabled());
        m_h->sensor.clearRequests();
        m_h->clock.advance(3000);
        QVERIFY(!m_h->commandsHeard().contains(CommandTable.GET_INCLINOMETER_DATA));
    }

    // A sensor that reports no inclinometer address (255) gets 0xFF back in
    // the write chain, which still goes on to its end.
    void noInclinometerAddressWritesNone()
    {
        begin(178, 0x83, &Ui::TForm1::TabSheet1);
        m_h->sensor.registers().inclAddress = 255;
        ui()->bbReadAvtomod->click();
        m_h->clock.advance(1500);
        QCOMPARE(ui()->cbVisableIncAdr->currentIndex(), -1);
        m_h->sensor.clearRequests();
        ui()->bbNewAdres->click();
        m_h->clock.advance(2000);
        QCOMPARE(lastHeard(CommandTable.SET_INCL_LAN_ADR).mid(3, 1), QByteArray(1, '\xff'));
        QVERIFY(heard().contains(CommandTable.SET_AUTO_MODE));
        QCOMPARE(m_h->dialogs.messages(), QStringList{"Data recording is completed successfully "});
    }

    void inclinometerAddressFollowsTheSwitch()
    {
        begin(178, 0x83, &Ui::TForm1::TabSheet1);
        ui()->cbModeIncl->setChecked(false);
        ui()->cbModeIncl->click();
        QVERIFY(ui()->cbVisableIncAdr->isEnabled() && ui()->Label99->isEnabled());
        ui()->cbModeIncl->click();
        QVERIFY(!ui()->cbVisableIncAdr->isEnabled() && !ui()->Label99->isEnabled());
    }
};

QTEST_MAIN(TstSettingsPage)
#include "tst_settings_page.moc"
