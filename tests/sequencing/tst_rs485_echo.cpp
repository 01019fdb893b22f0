// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A two-wire RS-485 adapter without echo suppression hands the tool its own
// request before each reply. The installer's whole job runs over such a line
// at 9600 and 19200 bit/s as over a quiet one: identification, polling, the
// settings write chain, the zero search and a tank calibration, with nothing
// shown as rejected data. The points stored are checked against the level
// codes the sensor itself sent.

#include "link/frame_link.h"
#include "shell/Terminal_U.h"
#include "support/program_harness.h"
#include "support/recorded_line.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/protocol_file.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QToolButton>

#include "calibration/Load_U.h"


class TstRs485Echo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeJobOverAnEchoingLine_data()
    {
        QTest::addColumn<int>("speedIndex");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QList<int>>("split");
        QTest::newRow("9600 bit/s") << 2 << 9600 << QList<int>{};
        QTest::newRow("19200 bit/s, echo and replies in pieces") << 3 << 19200 << QList<int>{3, 2};
    }
    void wholeJobOverAnEchoingLine()
    {
        QFETCH(int, speedIndex);
        QFETCH(QList<int>, split);

        ProgramHarness h;
        h.sensor.faults().echo = true;
        h.sensor.faults().split = split;
        h.sensor.setFuelLitres(0);
        RecordedLine line(h.sensor);
        VirtualDeviceProvider ports(line, h.clock, 1);
        h.world.ports = &ports;
        (void)h.settings.set(SettingsKeys::Save, 0);
        (void)h.settings.set(SettingsKeys::ConstSave, 5);
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(100);
        ui->cbSpeedCom->setCurrentIndex(speedIndex);
        ui->COM1->trigger();
        h.clock.advance(2500);

        // Identified and polled.
        QVERIFY(h.form().port().Connected());
        QCOMPARE(ui->meSN->text(), QStringLiteral("123456"));
        QVERIFY(ui->PageControl->isVisibleTo(&h.form()));
        h.clock.advance(1500);
        QVERIFY(h.commandsHeard().contains(CommandTable.DATA_READ));
        QCOMPARE(ui->lbN->text(), QStringLiteral("N = %1").arg(h.sensor.levelCodeFor(
                                                       h.sensor.capacitanceCode())));

        // The general page's write chain runs to its result message.
        QTabWidget *pc = ui->PageControl;
        pc->setTabVisible(pc->indexOf(ui->TabSheet1), true);
        pc->setCurrentWidget(ui->TabSheet1);
        h.clock.advance(2500);
        ui->bbNewAdres->click();
        h.clock.advance(3000);
        QCOMPARE(h.dialogs.messages(), QStringList{"Data recording is completed successfully "});
        h.dialogs.clear();

        // The zero search on the user class finds the zero.
        pc->setTabVisible(pc->indexOf(ui->TabSheet2), true);
        pc->setCurrentWidget(ui->TabSheet2);
        ui->cbFlesh->setCurrentIndex(7);
        QMetaObject::invokeMethod(ui->cbFlesh, "activated", Q_ARG(int, 7));
        h.clock.advance(1500);
        ui->bbCalibration->click();
        for (int i = 0; i < 120 && h.program->form2().isVisible(); ++i)
            h.clock.advance(500);
        QCOMPARE(h.dialogs.messages(), QStringList{"Calibration successfully done"});
        QVERIFY2(std::abs(h.sensor.capacitanceCode() - 10000) <= 15,
                 qPrintable(QString::number(h.sensor.capacitanceCode())));
        h.clock.advance(3000);

        // A tank calibration: two points, level steps saved between them.
        const QString path = h.dir.filePath(QStringLiteral("tank.kvi"));
        auto data = std::make_unique<TDateProtokol>();
        QVERIFY(ProtocolFile(path).create(*data).ok());
        h.state().CurrentProtocolFile = path;
        TForm5 *w = &h.program->form5();
        w->showForCalibration(path);
        auto *increment = w->findChild<QLineEdit *>(QStringLiteral("meIncrem"));
        increment->setFocus();
        increment->home(false);
        QTest::keyClicks(increment, QStringLiteral("01000"));
        w->findChild<QToolButton *>(QStringLiteral("sbPlay"))->click();
        QList<int> userLevels;
        for (int i = 0; i < 2; ++i) {
            h.sensor.pour(1.0);
            h.clock.advance(10000);
            h.sensor.pour(0);
            h.clock.advance(3000);
            w->findChild<QToolButton *>(QStringLiteral("sbRec"))->click();
            userLevels << h.sensor.levelCodeFor(h.sensor.capacitanceCode());
        }
        PointsRead stored;
        QVERIFY(ProtocolFile(path).readPoints(stored).ok());
        QList<int> userStored;
        const QSet<int> sent = line.levelsSent();
        for (const StoredPoint &p : stored.points) {
            QVERIFY2(sent.contains(p.FilterN), qPrintable(QString::number(p.FilterN)));
            if (p.isUserSave())
                userStored << p.FilterN;
        }
        QCOMPARE(userStored, userLevels);
        QVERIFY(stored.points.size() > 2);

        // The echoes were skipped, never taken for noise or a damaged reply.
        const QString trace = h.program->terminal().traceText();
        QVERIFY(!trace.contains(DiscardMarker));
        QVERIFY(!trace.contains(CrcErrorMarker));
        QVERIFY(h.state().link.echoBytesSkipped() > 0);
    }
};

QTEST_MAIN(TstRs485Echo)
#include "tst_rs485_echo.moc"
