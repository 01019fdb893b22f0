// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The search meeting a sensor that answers: the identity reply, dispatched,
// ends the search and starts polling (unless the general-parameters page is
// shown); a sensor that falls silent while polled is searched for and found
// again; a pulled and replugged adapter connects again.

#include "support/program_harness.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

int heard(ProgramHarness &h, quint8 command)
{
    return int(h.commandsHeard().count(command));
}

bool shown(QWidget *w)
{
    return !w->isHidden();
}

} // namespace

class TstSearchConnected : public QObject {
    Q_OBJECT

    /// Opens COM1 after the start-up check and lets the identity exchange run.
    static void connect(ProgramHarness &h)
    {
        h.clock.advance(100);
        h.form().controls()->COM1->trigger();
        h.clock.advance(500);
    }

private Q_SLOTS:
    void identityReplyStartsPolling()
    {
        VirtualSensorOptions options;
        options.address = 7;
        ProgramHarness h(options);
        h.start();
        connect(h);
        Ui::TForm1 *ui = h.form().controls();
        QCOMPARE(heard(h, CommandTable.READ_PARAM), 1);
        QCOMPARE(ui->cbSetingAdres->currentText(), QStringLiteral("7"));
        QVERIFY(shown(ui->PageControl) && !shown(ui->GroupBox5));

        h.sensor.clearRequests();
        h.clock.advance(5000);
        QCOMPARE(heard(h, CommandTable.READ_PARAM), 0); // the search has stopped
        QVERIFY(heard(h, CommandTable.DATA_READ) >= 4);
        for (const QByteArray &f : h.sensor.requests())
            if (quint8(f.at(2)) == CommandTable.DATA_READ)
                QCOMPARE(quint8(f.at(1)), quint8(7));
        QVERIFY(!shown(ui->Animate));
    }

    void answerOnGeneralPageLeavesPollingOff()
    {
        // A sensor already known answers an identity read (the read-back at the
        // end of a settings write) while the general-parameters page is shown.
        ProgramHarness h;
        h.start();
        connect(h);
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(2000);
        ui->BitBtn5->click(); // to the general parameters: polling stops there
        QCOMPARE(ui->PageControl->currentWidget(), ui->TabSheet1);
        h.clock.advance(100);
        h.sensor.clearRequests();
        h.form().WriteComand(BroadcastAddress, CommandTable.READ_PARAM);
        h.clock.advance(3000);
        QCOMPARE(heard(h, CommandTable.READ_PARAM), 1);
        QCOMPARE(heard(h, CommandTable.DATA_READ), 0);
        QVERIFY(!h.form().timer("TimerReadData")->enabled());
        QCOMPARE(ui->PageControl->currentWidget(), ui->TabSheet1);
    }

    void silentSensorIsSearchedForAndFoundAgain()
    {
        ProgramHarness h;
        h.start();
        connect(h);
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(2000);
        QVERIFY(heard(h, CommandTable.DATA_READ) > 0);

        h.sensor.faults().silent = true;
        h.clock.advance(1000 + 3000);
        QVERIFY(shown(ui->GroupBox5) && shown(ui->Animate));
        QCOMPARE(h.state().sensor.SensorParam.Val_N, 0);

        h.sensor.faults().silent = false;
        h.sensor.clearRequests();
        h.clock.advance(1500);
        QCOMPARE(heard(h, CommandTable.READ_PARAM), 1);
        QVERIFY(!shown(ui->GroupBox5) && !shown(ui->Animate) && shown(ui->PageControl));
        h.sensor.clearRequests();
        h.clock.advance(3000);
        QCOMPARE(heard(h, CommandTable.READ_PARAM), 0);
        QVERIFY(heard(h, CommandTable.DATA_READ) >= 2);
    }

    void replugAndOpenConnectsAgain()
    {
        ProgramHarness h;
        h.start();
        connect(h);
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(1500);
        h.ports.unplug();
        h.clock.advance(1000 + 3000);
        QVERIFY(shown(ui->GroupBox5) && !shown(ui->Animate)); // the port shows closed

        h.ports.plug();
        ui->bbDublComOpen->click(); // Open before the window took it back itself
        h.sensor.clearRequests();
        h.clock.advance(3000);
        QVERIFY(heard(h, CommandTable.DATA_READ) >= 2);
        QVERIFY(shown(ui->PageControl) && !shown(ui->Animate));
    }
};

QTEST_MAIN(TstSearchConnected)
#include "tst_search_connected.moc"
