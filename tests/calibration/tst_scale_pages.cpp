// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The two output-scale pages through the main window on the simulated clock
// with the virtual sensor: the live code taken as an end, the unit fields
// following the one typed in, the full-scale switch writing the mode byte
// and both ends (read back by GET_EXT_PARAM), the start < end rule; on
// firmware 8 the manual and automatic writes with their messages, the permix
// round trip, the HUB notice and a bad zero-length text.

#include "support/program_harness.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

class TstScalePages : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramHarness> m_h;
    Ui::TForm1 *ui() { return m_h->form().controls(); }

    void begin(quint8 model, quint8 firmware, QWidget *(Ui::TForm1::*page))
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
        QTabWidget *pc = ui()->PageControl;
        pc->setTabVisible(pc->indexOf(ui()->TabSheet1), true);
        pc->setTabVisible(pc->indexOf(ui()->*page), true);
        pc->setCurrentWidget(ui()->*page);
        m_h->clock.advance(1500);
        m_h->sensor.clearRequests();
        m_h->dialogs.clear();
    }
    QList<QByteArray> frames(quint8 command) const
    {
        QList<QByteArray> out;
        for (const QByteArray &f : m_h->sensor.requests())
            if (quint8(f.at(2)) == command)
                out << f.mid(3, f.size() - 4);
        return out;
    }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    void oldPageUnitsAndCurrentValue()
    {
        begin(3, 0x53, &Ui::TForm1::TabSheet5);
        m_h->sensor.setFuelLitres(40);
        m_h->clock.advance(1500);
        ui()->BitBtn13->click();
        QCOMPARE(ui()->seUpVal->value(), m_h->state().sensor.SensorParam.Val_C);
        QCOMPARE(ui()->seUpNCode->value(), m_h->state().sensor.SensorParam.Val_N);
        QCOMPARE(ui()->TrackBar2->value(), 65535 - ui()->seUpVal->value());
        // A typed frequency converts the other units; the fields it sets do not.
        m_h->form().activateWindow();
        ui()->seDownFreq->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&m_h->form()));
        ui()->seDownFreq->setValue(1000);
        QCOMPARE(ui()->seDownVal->value(), 32767);
        QCOMPARE(ui()->seDownInterRest->value(), 50);
        QCOMPARE(ui()->TrackBar3->value(), 65535 - 32767);
    }

    // The switch writes the mode byte and both ends, with no message on
    // firmware 5; the sensor then reports the new ends.
    void fullScaleSwitchWritesBothEnds()
    {
        begin(3, 0x53, &Ui::TForm1::TabSheet5);
        ui()->seUpVal->setValue(1000);
        ui()->seDownVal->setValue(60000);
        ui()->SpeedButton1->click();
        QVERIFY(ui()->sbModeFSM->isChecked());
        m_h->clock.advance(1000);
        QCOMPARE(frames(CommandTable.SET_REP_MODE).size(), 1);
        QCOMPARE(quint8(frames(CommandTable.SET_REP_MODE).front().at(0)) & 0x02, 0x02);
        QCOMPARE(frames(CommandTable.SET_FSM_OFFSET),
                 QList<QByteArray>{QByteArray::fromHex("e803")});
        QCOMPARE(frames(CommandTable.SET_FSM_SCALE),
                 QList<QByteArray>{QByteArray::fromHex("60ea")});
        QVERIFY(m_h->dialogs.shown().isEmpty());
        QCOMPARE(m_h->sensor.registers().fsmOffset, quint16(1000));
        QCOMPARE(m_h->sensor.registers().fsmScale, quint16(60000));
        ui()->seUpVal->setValue(5);
        m_h->form().WriteComand(1, CommandTable.GET_EXT_PARAM);
        m_h->clock.advance(500);
        QCOMPARE(ui()->seUpVal->value(), 1000);
        QCOMPARE(ui()->seDownVal->value(), 60000);
    }

    void startNotBelowEndIsRefused()
    {
        begin(3, 0x53, &Ui::TForm1::TabSheet5);
        ui()->seUpVal->setValue(30000);
        ui()->seDownVal->setValue(30000);
        ui()->sbModeFSM->setEnabled(true); // the twin on the calibration page
        ui()->sbModeFSM->click();
        QVERIFY(!ui()->sbModeFSM->isChecked() && !ui()->SpeedButton1->isChecked());
        QCOMPARE(m_h->dialogs.messages(),
                 QStringList{"Значение конца шкалы должно быть больше значения начала шкалы"});
        m_h->clock.advance(500);
        QVERIFY(frames(CommandTable.SET_REP_MODE).isEmpty());
        ui()->SpeedButton1->click(); // the page's own button speaks the interface language
        QCOMPARE(
            m_h->dialogs.lastMessage(),
            QStringLiteral("Value end of the scale must be greater than the start of the scale"));
    }

    void firmware8ManualAndAutomatic()
    {
        begin(178, 0x83, &Ui::TForm1::TabSheet6);
        ui()->BitBtn15->click();
        QCOMPARE(ui()->seFSMOffset->value(), m_h->state().sensor.SensorParam.Val_C);
        ui()->seFSMOffset->setValue(2000);
        ui()->seFSMScale->setValue(50000);
        ui()->rbFRMRef->click();
        ui()->BitBtn17->click();
        m_h->clock.advance(1000);
        QCOMPARE(frames(CommandTable.SET_FSM_OFFSET),
                 QList<QByteArray>{QByteArray::fromHex("d007")});
        QCOMPARE(frames(CommandTable.SET_FSM_SCALE),
                 QList<QByteArray>{QByteArray::fromHex("50c3")});
        QCOMPARE(m_h->dialogs.messages(), QStringList{"Data recording is completed successfully "});

        // Automatic: the mode byte with bit 6 on the scale page, then the
        // probe-type parameters, permix 1,50 typed.
        m_h->clock.advance(2000);                  // the sensor identified again after the message
        QCOMPARE(ui()->udPermix->position(), 210); // 2,1 as the sensor holds it
        m_h->sensor.clearRequests();
        m_h->dialogs.clear();
        ui()->mePermix->setText(QStringLiteral("01,50"));
        QTest::keyClick(ui()->mePermix, Qt::Key_End);
        QCOMPARE(ui()->udPermix->position(), 150);
        ui()->rbFRMAutoRef->click();
        m_h->clock.advance(1000);
        QCOMPARE(quint8(frames(CommandTable.SET_REP_MODE).value(0).at(0)) & 0x40, 0x40);
        m_h->dialogs.clear();
        m_h->sensor.clearRequests();
        ui()->BitBtn17->click();
        m_h->clock.advance(1000);
        const QList<QByteArray> calc = frames(CommandTable.SET_FSM_CALC_PARAM);
        QCOMPARE(calc.size(), 1);
        QCOMPARE(calc.front().size(), 37);
        QCOMPARE(calc.front().mid(1, 4), QByteArray::fromHex("0000c03f"));
        QCOMPARE(m_h->sensor.registers().permix, 1.5f);
        QCOMPARE(m_h->dialogs.messages(), QStringList{"Data recording is completed successfully "});
        // Read back through "Сброс": permix 1,50 again.
        ui()->mePermix->setText(QStringLiteral("09,99"));
        ui()->BitBtn18->click();
        m_h->clock.advance(1500);
        QCOMPARE(ui()->mePermix->displayText(), QStringLiteral("01,50"));
    }

    // The permix arrow shows the value it steps to ("01,51", not "10,51"), so
    // a key released in the field keeps it and the write sends it.
    void permixArrowShowsWhatItWrites()
    {
        begin(178, 0x83, &Ui::TForm1::TabSheet6);
        ui()->rbFRMAutoRef->click();
        m_h->clock.advance(1000);
        ui()->udPermix->setPosition(150);
        ui()->udPermix->click(UpDown::Next);
        QCOMPARE(ui()->mePermix->displayText(), QStringLiteral("01,51"));
        ui()->mePermix->setFocus();
        QTest::keyClick(ui()->mePermix, Qt::Key_End);
        QCOMPARE(ui()->udPermix->position(), 151);
        m_h->dialogs.clear();
        ui()->BitBtn17->click();
        m_h->clock.advance(1000);
        QCOMPARE(m_h->sensor.registers().permix, 1.51f);
    }

    void hubNoticeAndZeroLength()
    {
        begin(178, 0x83, &Ui::TForm1::TabSheet6);
        ui()->rbFRMAutoRef->setChecked(true);
        m_h->clock.advance(600);
        // A typed zero-length capacitance goes to the selected probe type.
        ui()->cbFMSCALCPARAM->setCurrentIndex(2);
        ui()->meZeroLen->setText(QStringLiteral("02,5000"));
        QTest::keyClick(ui()->meZeroLen, Qt::Key_End);
        QCOMPARE(ui()->udZeroLen->position(), 250);
        QCOMPARE(m_h->state().sensor.FsmCoef[2], 2.5f);
        ui()->udZeroLen->click(UpDown::Next);
        QCOMPARE(ui()->meZeroLen->displayText(), QStringLiteral("02,5100"));
        QCOMPARE(m_h->state().sensor.FsmCoef[2], 2.51f);

        m_h->dialogs.clear();
        m_h->sensor.clearRequests();
        ui()->cbHUBonOff->click();
        QCOMPARE(
            m_h->dialogs.messages(),
            QStringList{"Attention!!!\rSettings will take effect after the power is turned off"});
        m_h->clock.advance(300);
        QCOMPARE(quint8(frames(CommandTable.SET_REP_MODE).value(0).at(0)) & 0x08, 0x08);
        m_h->clock.advance(600); // the live view's refresh
        QVERIFY(!ui()->seFSMOffset->isEnabled() && !ui()->BitBtn17->isEnabled());
        QVERIFY(!ui()->meZeroLen->isEnabled() && !ui()->mePermix->isEnabled());
    }
};

QTEST_MAIN(TstScalePages)
#include "tst_scale_pages.moc"
