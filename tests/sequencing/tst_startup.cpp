// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// How the main window comes up and goes down: the small start-up rules, a first
// start on an empty settings folder, damaged and clamped stored values, the
// decimal-separator check that ends the program, the language switch, the
// caption and the clock.

#include "sequencing/startup_rules.h"
#include "shell/AvtoSave_U.h"
#include "support/program_harness.h"
#include "tank/Protocol_Options_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

/// Counts the close events a window receives (the program ends with the main window).
struct CloseCounter : QObject {
    int closes = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Close)
            ++closes;
        return false;
    }
};

} // namespace

class TstStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void portText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number"); // -1: no number, the previous one stays
        QTest::newRow("COM7") << "COM7" << 7;
        QTest::newRow("COM12") << "COM12" << 12;
        QTest::newRow("COM123") << "COM123" << 123;
        QTest::newRow("typed 12 is taken whole") << "12" << 12;
        QTest::newRow("typed 3") << "3" << 3;
        QTest::newRow("COMX") << "COMX" << -1;
        QTest::newRow("seven characters") << "COM1234" << -1;
        QTest::newRow("sign") << "COM-1" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void portText()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const std::optional<int> n = portNumberFromText(text);
        QCOMPARE(n.value_or(-1), number);
    }

    void captionAndArguments()
    {
        QCOMPARE(mainCaption(QString()), QStringLiteral("Kv Ruzevuv v.1.0.1.43"));
        QCOMPARE(mainCaption(QStringLiteral("C:\\a\\b\\tank.kvi")),
                 QStringLiteral("Kv Ruzevuv    [tank.kvi]"));
        QCOMPARE(mainCaption(QStringLiteral("/home/u/tanks/t 1.kvi")),
                 QStringLiteral("Kv Ruzevuv    [t 1.kvi]"));
        QCOMPARE(captionFileName(QStringLiteral("a\\b")), QString());

        QVERIFY(isProtocolArgument(QStringLiteral("/home/u/tank.kvi")));
        QVERIFY(!isProtocolArgument(QStringLiteral("/home/u/tank.KVI")));
        QVERIFY(!isProtocolArgument(QStringLiteral("kvi")));

        const StartOptions o =
            parseStartOptions({"--demo", "--demo-firmware", "0x83", "--demo-model", "2", "--port",
                               "COM3", "--connect", "/t/a.kvi"});
        QVERIFY(o.error.isEmpty());
        QVERIFY(o.demo && o.connect);
        QCOMPARE(o.demoFirmware, 0x83);
        QCOMPARE(o.demoModel, 2);
        QCOMPARE(o.port, QStringLiteral("COM3"));
        QCOMPARE(o.firstArgument, QStringLiteral("/t/a.kvi"));
        QVERIFY(!parseStartOptions({"--demo-model", "300"}).error.isEmpty());
        QVERIFY(!parseStartOptions({"--port"}).error.isEmpty());
        QVERIFY(!parseStartOptions({"--bogus"}).error.isEmpty());

        QCOMPARE(clockText(QTime(9, 5, 7)), QStringLiteral("9:05:07"));
        QCOMPARE(clockText(QTime(23, 59, 0)), QStringLiteral("23:59:00"));
    }

    void firstStartOnEmptySettings()
    {
        ProgramHarness h;
        h.start();
        TForm1 &f = h.form();
        Ui::TForm1 *ui = f.controls();
        QCOMPARE(h.state().Lang, 0);
        QVERIFY(ui->English1->isChecked() && !ui->Rus1->isChecked());
        QVERIFY(ui->N21->isChecked() && !ui->N22->isChecked());
        QCOMPARE(f.pos(), QPoint(0, 0));
        QVERIFY(!ui->cbRTS->isChecked() && !ui->cbDTR->isChecked());
        QVERIFY(!f.port().ComProp().EnableRTS && !f.port().ComProp().EnableDTR);
        QCOMPARE(f.statusPanel(0)->text(), QStringLiteral("Port closed"));
        QCOMPARE(ui->Button1->text(), QStringLiteral("Refresh")); // the language pass ran

        // The settings window: autosave forbidden with constant 5, design export texts.
        TForm7 &s = h.program->form7();
        QCOMPARE(s.avtoSaveIndex(), 1);
        QCOMPARE(s.avtoSaveConstant(), 5);
        QCOMPARE(s.prefixText(), SettingsKeys::DefaultPrefix);
        QCOMPARE(s.sufixText(), SettingsKeys::DefaultSufix);

        // Lists the later pages rely on.
        QCOMPARE(ui->cbComNum->currentText(), QStringLiteral("COM1"));
        QCOMPARE(ui->cbSetingAdres->count(), 256);
        QCOMPARE(ui->cbSetingAdres->currentText(), QStringLiteral("255"));
        QCOMPARE(ui->cbDublSetingAdres->currentText(), QStringLiteral("255"));
        QCOMPARE(ui->cbVisableIncAdr->count(), 255);
        QCOMPARE(ui->cbYear->count(), 49);
        QCOMPARE(ui->cbYear->itemText(0), QStringLiteral("1960"));
        QCOMPARE(ui->cbNameUser->count(), 10);
        QStringList fms;
        for (int i = 0; i < ui->cbFMSCALCPARAM->count(); ++i)
            fms << ui->cbFMSCALCPARAM->itemText(i);
        QCOMPARE(fms, QStringList({"0", "1", "2", "3", "4", "5", "6", "7"}));
        QCOMPARE(ui->cbFMSCALCPARAM->currentIndex(), -1);
        QCOMPARE(ui->meSN->text(), QStringLiteral("000000"));
        QCOMPARE(ui->cbFlesh->currentIndex(), 0);
        QVERIFY(!ui->COM2->isEnabled());
        for (const char *tab :
             {"TabSheet6", "TabSheet7", "TabSheet2", "TabSheet5", "TabSheet4", "TabSheet1"})
            QVERIFY2(!ui->PageControl->isTabVisible(
                         ui->PageControl->indexOf(f.findChild<QWidget *>(tab))),
                     tab);
        QVERIFY(ui->PageControl->isTabVisible(ui->PageControl->indexOf(ui->TabSheet3)));

        // Closing saves what the next start reads.
        f.move(40, 30);
        ui->cbDTR->setChecked(true);
        f.close();
        QCOMPARE(h.settings.get(SettingsKeys::Form1_Left), 40);
        QCOMPARE(h.settings.get(SettingsKeys::Form1_Top), 30);
        QCOMPARE(h.settings.get(SettingsKeys::DTR), true);
        QCOMPARE(h.settings.get(SettingsKeys::RTS), false);
        QCOMPARE(h.settings.get(SettingsKeys::View), 0);
        QVERIFY(h.settings.contains("LengRef", "vallatguage"));
    }

    void storedValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("lang");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<bool>("rts");
        QTest::newRow("language 7 is Russian")
            << QByteArray("[LengRef]\nvallatguage=7\n") << 1 << QPoint(0, 0) << false;
        QTest::newRow("language -3 is English")
            << QByteArray("[LengRef]\nvallatguage=-3\n") << 0 << QPoint(0, 0) << false;
        QTest::newRow("stored position and lines")
            << QByteArray("[WindowsPosition]\nForm1_Top=20\nForm1_Left=35\n"
                          "[Terminal_Option]\nRTS=true\n")
            << 0 << QPoint(35, 20) << true;
        QTest::newRow("wrong types and huge numbers")
            << QByteArray("[WindowsPosition]\nForm1_Top=abc\nForm1_Left=99999999999\nView=x\n"
                          "[Terminal_Option]\nRTS=maybe\n[LengRef]\nvallatguage=ru\n")
            << 0 << QPoint(0, 0) << false;
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\xfe[[[\n\x01=\x02\n[LengRef\nvallatguage\x00=1\n", 31) << 0
            << QPoint(0, 0) << false;
    }
    void storedValues()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, lang);
        QFETCH(QPoint, pos);
        QFETCH(bool, rts);
        ProgramHarness h;
        {
            QFile file(h.settings.path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        (void)h.settings.setDecimalSeparatorOverride(QLatin1Char(','));
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        QCOMPARE(h.state().Lang, lang);
        QCOMPARE(ui->Rus1->isChecked(), lang == 1);
        QCOMPARE(ui->English1->isChecked(), lang == 0);
        QCOMPARE(h.form().statusPanel(0)->text(),
                 lang == 1 ? QStringLiteral("Порт закрыт") : QStringLiteral("Port closed"));
        QCOMPARE(h.form().pos(), pos);
        QCOMPARE(ui->cbRTS->isChecked(), rts);
        h.form().close();
        QCOMPARE(h.settings.get(SettingsKeys::vallatguage), lang);
        QSettings raw(h.settings.path(), QSettings::IniFormat);
        QCOMPARE(raw.value("LengRef/vallatguage").toInt(), lang);
    }

    void separatorCheck_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void separatorCheck()
    {
        QFETCH(bool, ok);
        // main() runs the tests in the C locale, whose separator is a full stop.
        QCOMPARE(NumberFormat::systemSeparator(), QLatin1Char('.'));
        ProgramHarness h;
        QVERIFY(h.settings.remove("Regional", "DecimalSeparator"));
        h.dialogs.answer(ok ? MsgAnswer::Ok : MsgAnswer::Cancel);
        h.start();
        CloseCounter closes;
        h.form().installEventFilter(&closes);

        h.clock.advance(99);
        QVERIFY(h.dialogs.shown().isEmpty());
        h.clock.advance(1);
        QCOMPARE(h.dialogs.shown().size(), 1);
        const auto &box = h.dialogs.shown().first();
        QCOMPARE(box.buttons, MsgButtons::OkCancel);
        QCOMPARE(box.text, LangText(132, 0) + "\r" + LangText(318, 0) + "\r" + LangText(320, 0) +
                               "\r" + LangText(322, 0) + "\r\r" + LangText(324, 0));
        QVERIFY(box.text.startsWith("Attention!!!\rTo keep the program running"));

        // Both answers end the program after the close-time saving.
        QCOMPARE(closes.closes, 1);
        QVERIFY(h.settings.contains("WindowsPosition", "Form1_Top"));
        QCOMPARE(h.settings.decimalSeparatorOverride().has_value(), ok);

        // The next start passes the check only after OK.
        h.form().removeEventFilter(&closes);
        h.program.reset();
        h.dialogs.clear();
        h.start();
        h.clock.advance(200);
        QCOMPARE(h.dialogs.shown().size(), ok ? 0 : 1);
        if (ok)
            QCOMPARE(h.state().number.separator(), QLatin1Char(','));
    }

    // The environment check after a port close gives the keyboard back to the
    // protocol selection open over the main window ("new protocol" closes the
    // port).
    void checkFocusesTheProtocolSelection()
    {
        ProgramHarness h;
        h.start();
        TForm1 &form = h.form();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        h.clock.advance(100);
        h.form().controls()->N14->trigger();
        TForm6 &selection = h.program->form6();
        QVERIFY(QTest::qWaitForWindowExposed(&selection));
        form.activateWindow(); // the installer clicks the main window meanwhile
        QTRY_COMPARE(QApplication::activeWindow(), &form);
        h.clock.advance(100);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&selection));
    }

    void languageSwitch()
    {
        ProgramHarness h;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        QCOMPARE(ui->Button1->text(), QStringLiteral("Refresh"));

        ui->Rus1->trigger();
        QCOMPARE(h.state().Lang, 1);
        QVERIFY(ui->Rus1->isChecked() && !ui->English1->isChecked());
        QCOMPARE(ui->Button1->text(), QStringLiteral("Обновить"));
        QCOMPARE(ui->bbDublComOpen->text(), QStringLiteral("Открыть"));
        // The next message comes in the new language.
        ui->cbComNum->setEditText(QString());
        ui->COM1->trigger();
        QCOMPARE(h.dialogs.lastMessage(), LangText(208, 1));

        ui->English1->trigger();
        QCOMPARE(h.state().Lang, 0);
        QVERIFY(!ui->Rus1->isChecked() && ui->English1->isChecked());
        QCOMPARE(ui->Button1->text(), QStringLiteral("Refresh"));
        ui->COM1->trigger();
        QCOMPARE(h.dialogs.lastMessage(), QStringLiteral("Choose COM port"));
        QVERIFY(!h.form().port().Connected());

        h.form().close();
        QCOMPARE(h.settings.get(SettingsKeys::vallatguage), 0);
    }

    void captionMenusAndClock()
    {
        ProgramHarness h;
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.clock.advance(10);
        QCOMPARE(h.form().windowTitle(), QStringLiteral("Kv Ruzevuv v.1.0.1.43"));
        // Without the modem-line check Timer1 has nothing that changes on its own.
        QVERIFY(h.form().timer(QStringLiteral("Timer1"))->waitsForActivity());
        QVERIFY(!ui->N6->isEnabled() && !ui->N12->isEnabled() && !ui->txt1->isEnabled());

        h.state().CurrentProtocolFile = QStringLiteral("/home/u/tanks/tank.kvi");
        h.clock.advance(10);
        QCOMPARE(h.form().windowTitle(), QStringLiteral("Kv Ruzevuv    [tank.kvi]"));
        // N12 is a hidden item, and Qt keeps hidden actions disabled.
        QVERIFY(ui->N6->isEnabled() && ui->txt1->isEnabled());

        // The simulated clock starts at 10:00:00.
        h.clock.advance(1000 - 20);
        QCOMPARE(h.form().statusPanel(3)->text(), QStringLiteral("10:00:01"));
    }
};

int main(int argc, char **argv)
{
    // The decimal-separator check needs a locale whose separator is not a comma.
    qputenv("LC_ALL", "C");
    qputenv("LC_NUMERIC", "C");
    qputenv("LANG", "C");
    QApplication app(argc, argv);
    TstStartup t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_startup.moc"
