// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Choosing the protocol and starting the calibration, through the windows on
// the simulated clock with the virtual sensor: a protocol created, its job
// data stored by "Далее", points recorded, the protocol opened again from the
// command line and continued; the job page's fills, the remembered names, a
// restricted sensor, an old protocol raised to Version 100, a refused file.

#include "calibration/probe_length.h"
#include "common/widgets.h"
#include "shell/settings_store.h"
#include "support/program_harness.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/Protocol_Options_U.h"
#include "tank/protocol_codec.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &b)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
}

QByteArray enc(const QString &t)
{
    QByteArray out;
    for (QChar c : t)
        out += '#' + QByteArray::number(c.unicode()).rightJustified(4, '0');
    return out;
}

} // namespace

class TstProtocolWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramHarness> m_h;
    std::unique_ptr<QTemporaryDir> m_keep; // outlives a program started again
    QString m_dir;

    // A program connected to a full-featured sensor and polling it.
    void begin(const QStringList &args = {}, const QString &settingsFrom = QString())
    {
        m_h = std::make_unique<ProgramHarness>(VirtualSensorOptions{}, args);
        if (!settingsFrom.isEmpty()) {
            QFile::remove(m_h->settings.path());
            QVERIFY(QFile::copy(settingsFrom, m_h->settings.path()));
        }
        m_h->sensor.setFuelLitres(0);
        m_h->start();
        m_h->clock.advance(100);
        ui()->COM1->trigger();
        m_h->clock.advance(1550);
        QVERIFY(m_h->form().port().Connected());
        if (!m_keep)
            m_keep = std::make_unique<QTemporaryDir>();
        m_dir = m_keep->path();
    }
    Ui::TForm1 *ui() { return m_h->form().controls(); }
    TForm5 &calibration() { return m_h->program->form5(); }
    TForm6 &selection() { return m_h->program->form6(); }
    QToolButton *button(const char *name)
    {
        return calibration().findChild<QToolButton *>(QLatin1String(name));
    }
    void seconds(int s) { m_h->clock.advance(qint64(s) * 1000); }
    ProtocolReader reader(const QString &path)
    {
        ProtocolReader r;
        (void)r.load(path);
        return r;
    }
    QString create(const QString &name)
    {
        const QString path = m_dir + QLatin1Char('/') + name;
        m_h->dialogs.answerFile(path);
        ui()->BitBtn3->click();
        selection().findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
        return path + QStringLiteral(".kvi");
    }
    void recordPoints(int count)
    {
        auto *step = calibration().findChild<QLineEdit *>(QStringLiteral("meIncrem"));
        step->setText(QStringLiteral("010,00"));
        calibration().meIncremChange();
        button("sbPlay")->click();
        for (int i = 0; i < count; ++i) {
            m_h->sensor.pour(1.0);
            seconds(5);
            m_h->sensor.pour(0);
            seconds(2);
            button("sbRec")->click();
        }
    }

private Q_SLOTS:
    void cleanup()
    {
        m_h.reset();
        m_keep.reset();
    }

    // Create, "Далее" with the probe class "Пользов L", record, Stop; then a
    // new start of the program opens the protocol from the command line and
    // the calibration goes on, replacing the second point of the Stop pair.
    void createRecordAndContinue()
    {
        begin();
        const QString path = create(QStringLiteral("job"));
        const ScriptedDialogs::Shown save = m_h->dialogs.shown().front();
        QCOMPARE(save.kind, QStringLiteral("save"));
        QVERIFY2(save.path.startsWith(QStringLiteral("Calibration data 2026011510000")),
                 qPrintable(save.path));
        QCOMPARE(m_h->state().CurrentProtocolFile, path);
        QCOMPARE(bytes(path), QByteArray("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n"));
        QVERIFY(!selection().isVisible());
        QVERIFY(m_h->form().isEnabled());
        QCOMPARE(m_h->settings.get(SettingsKeys::PName(0)), path);
        QCOMPARE(m_h->settings.get(SettingsKeys::IndexPName), 1);
        QCOMPARE(m_h->settings.get(SettingsKeys::SPName), path);

        ui()->cbFlesh->setCurrentIndex(7); // "Пользов L"
        ui()->meNambePlomb->setText(QStringLiteral("abc"));
        m_h->sensor.clearRequests();
        ui()->BitBtn4->click();
        // The probe class "N" with its code 0 went to the sensor.
        QVERIFY(!m_h->sensor.requests().isEmpty());
        const QByteArray probe = m_h->sensor.requests().front();
        QCOMPARE(quint8(probe.at(2)), quint8(0x4E));
        QCOMPARE(probe.size(), 5);
        QCOMPARE(probe.at(3), char(0));
        QVERIFY(calibration().isVisible());
        QVERIFY(!ui()->TabSheet4->isEnabled());
        const ProtocolReader r = reader(path);
        QString text;
        QVERIFY(r.text("CompanyName", 100, text).ok());
        QCOMPARE(text, QStringLiteral("n.d."));
        QVERIFY(bytes(path).contains("\r\nCompanyName=#0110#0046#0100#0046\r\n"));
        QVERIFY(r.text("NambePlomb", 100, text).ok());
        QCOMPARE(text, QStringLiteral("abc000"));
        QCOMPARE(r.ini().readInteger("User_Option", "UpDown2", -1), 0);
        QVERIFY(r.text("Flesh", 100, text).ok());
        QCOMPARE(text, ui()->cbFlesh->currentText());
        QCOMPARE(r.ini().readString("User_Option", "SN", {}), ui()->meSN->displayText());

        recordPoints(2);
        m_h->dialogs.answer(MsgAnswer::Yes); // end
        m_h->dialogs.answer(MsgAnswer::No);  // no workbook
        button("sbStop")->click();
        QVERIFY(!calibration().isVisible());
        const int stop = reader(path).stopPoint();
        QCOMPARE(reader(path).pointKeys(stop, "").Status_Save, QStringLiteral("Save Before Exit"));
        const QString settings = m_dir + QStringLiteral("/settings.ini");
        QVERIFY(QFile::copy(m_h->settings.path(), settings));

        // A new start with the protocol on the command line.
        const QString again = path;
        begin({again}, settings); // a second after the start it is open
        QCOMPARE(m_h->state().CurrentProtocolFile, again);
        QCOMPARE(selection().recent().entry(0), again);
        QCOMPARE(calibration().recording().PointCounter(), stop);
        QCOMPARE(ui()->edCompanyName->text(), QStringLiteral("n.d."));
        // Looking at the diagram leaves the counter on the Stop pair.
        seconds(1);
        QVERIFY(ui()->bbOpenDiagram1->isEnabled());
        ui()->bbOpenDiagram1->click();
        QVERIFY(calibration().isVisible() && calibration().viewOnly());
        calibration().close();
        QCOMPARE(calibration().recording().PointCounter(), stop);
        ui()->BitBtn4->click();
        QVERIFY(calibration().isVisible());
        recordPoints(1);
        QCOMPARE(reader(again).pointKeys(stop, "").Status_Save, QStringLiteral("User Save"));
        QCOMPARE(reader(again).pointKeys(stop - 1, "").Status_Save,
                 QStringLiteral("Save Before Exit"));
    }

    // The tank volume and height as the installer types them and steps them
    // with the arrows reach the protocol.
    void tankVolumeAndHeightReachTheProtocol()
    {
        begin();
        const QString path = create(QStringLiteral("tank"));
        m_h->form().show();
        ui()->PageControl->setCurrentWidget(ui()->TabSheet4);
        auto typeInto = [](QLineEdit *e, const QString &text) {
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, text);
        };
        auto arrow = [](UpDown *u, Qt::ArrowType which) {
            for (QToolButton *b : u->findChildren<QToolButton *>())
                if (b->arrowType() == which)
                    QTest::mouseClick(b, Qt::LeftButton);
        };
        typeInto(ui()->edVDA, QStringLiteral("120"));
        QCOMPARE(ui()->UpDown5->position(), 120);
        typeInto(ui()->edHBac, QStringLiteral("450"));
        arrow(ui()->UpDown6, Qt::UpArrow);
        QCOMPARE(ui()->edHBac->text(), QStringLiteral("451"));
        arrow(ui()->UpDown5, Qt::DownArrow);
        QCOMPARE(ui()->edVDA->text(), QStringLiteral("119"));
        QTest::mouseClick(ui()->BitBtn4, Qt::LeftButton);
        QVERIFY(calibration().isVisible());
        const ProtocolReader r = reader(path);
        QCOMPARE(r.ini().readInteger("User_Option", "UpDown2", -1), 119);
        QCOMPARE(r.ini().readInteger("User_Option", "UpDown3", -1), 451);
    }

    // "kv-ruzevuv tank.kvi", then "Open": the first identification of the
    // sensor is no change of sensor, so the protocol stays open.
    void commandLineProtocolStaysOpenOnConnecting()
    {
        m_keep = std::make_unique<QTemporaryDir>();
        const QString path = m_keep->filePath(QStringLiteral("tank.kvi"));
        QVERIFY(writeFile(path, "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n"));
        m_h = std::make_unique<ProgramHarness>(VirtualSensorOptions{}, QStringList{path});
        m_h->start();
        seconds(2);
        QCOMPARE(m_h->state().CurrentProtocolFile, path);
        ui()->COM1->trigger();
        seconds(3);
        QVERIFY(m_h->form().port().Connected());
        QCOMPARE(m_h->state().CurrentProtocolFile, path);
    }

    // Ctrl+N during a calibration closes the calibration window the way its
    // close box does (no end pair, recording stopped), so the pages are back
    // and a new protocol can be calibrated at once.
    void newProtocolDuringACalibration()
    {
        begin();
        const QString first = create(QStringLiteral("first"));
        ui()->BitBtn4->click();
        recordPoints(1);
        QVERIFY(calibration().playing());
        m_h->dialogs.answer(MsgAnswer::No); // no workbook
        ui()->N14->trigger();
        QVERIFY(!calibration().isVisible());
        QCOMPARE(calibration().recording().mode(), Recording::Mode::Idle);
        QVERIFY(!bytes(first).contains("Save Before Exit"));
        QVERIFY(selection().isVisible());
        for (QWidget *page : {ui()->TabSheet1, ui()->TabSheet2, ui()->TabSheet3, ui()->TabSheet4})
            QVERIFY(page->isEnabledTo(&m_h->form())); // the main window waits for the choice
        const QByteArray firstBytes = bytes(first);

        const QString second = m_dir + QStringLiteral("/second");
        m_h->dialogs.answerFile(second);
        selection().findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
        QVERIFY(m_h->form().isEnabled());
        ui()->COM1->trigger();
        seconds(2);
        ui()->BitBtn4->click();
        QVERIFY(calibration().isVisible());
        recordPoints(1);
        QCOMPARE(reader(second + QStringLiteral(".kvi")).pointKeys(0, "").Status_Save,
                 QStringLiteral("User Save"));
        QCOMPARE(bytes(first), firstBytes);
    }

    // The selection window closed by the window system acts as Cancel; with
    // nothing selected "Продолжить старый" does nothing, even when the list
    // has had the focus.
    void selectionWindowWithoutAChoice()
    {
        begin();
        const QString path = create(QStringLiteral("job"));
        ui()->BitBtn3->click();
        QVERIFY(selection().isVisible());
        QVERIFY(!m_h->form().isEnabled());
        selection().close();
        QVERIFY(!selection().isVisible());
        QVERIFY(m_h->form().isEnabled());
        QCOMPARE(ui()->PageControl->currentIndex(), 0);

        m_h->state().CurrentProtocolFile.clear();
        ui()->BitBtn3->click();
        QTreeWidget *tree = selection().tree();
        QCOMPARE(tree->topLevelItem(0)->text(0), path);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(tree->viewport(), &focusIn);
        QApplication::sendEvent(tree, &focusIn);
        QVERIFY(tree->selectedItems().isEmpty());
        selection().findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
        QVERIFY(m_h->state().CurrentProtocolFile.isEmpty());
        QVERIFY(selection().isVisible());
        // A chosen entry opens.
        tree->topLevelItem(0)->setSelected(true);
        selection().findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
        QCOMPARE(m_h->state().CurrentProtocolFile, path);
    }

    // "Далее" on the job page gives the sensor the selected probe class and
    // the protocol stores that class: text typed into the class box is no
    // class; with none selected (the sensor reported an unknown code) nothing
    // is sent, the installer is told, and the protocol keeps the sensor's text.
    void calibrationStartStoresTheSensorsClass_data()
    {
        QTest::addColumn<int>("range"); // the sensor's range code when it is read
        QTest::addColumn<int>("sent");  // the code the start sends, -1 none
        QTest::addColumn<QString>("flesh");
        QTest::newRow("text typed over 530") << 5 << 5 << "530 (455mm < L < 545mm)";
        QTest::newRow("no class selected") << 9 << -1 << "n/a";
    }
    void calibrationStartStoresTheSensorsClass()
    {
        QFETCH(int, range);
        QFETCH(int, sent);
        QFETCH(QString, flesh);
        begin();
        m_h->sensor.registers().probeRange = quint8(range);
        ui()->BitBtn5->click(); // to the general parameters and back: the
        ui()->BitBtn9->click(); // information page reads the sensor again
        m_h->clock.advance(1500);
        QCOMPARE(ui()->cbFlesh->currentIndex(), sent < 0 ? -1 : 7 - sent);
        const QString path = create(QStringLiteral("job"));
        QLineEdit *edit = ui()->cbFlesh->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("999"));
        m_h->sensor.clearRequests();
        m_h->dialogs.clear();
        ui()->BitBtn4->click();
        seconds(1);
        QList<QByteArray> classes;
        for (const QByteArray &f : m_h->sensor.requests())
            if (quint8(f.at(2)) == CommandTable.SET_SOND_LEN)
                classes << f.mid(3, 1);
        QCOMPARE(classes, sent < 0 ? QList<QByteArray>{} : QList<QByteArray>{QByteArray(1, char(sent))});
        QCOMPARE(int(m_h->sensor.registers().probeRange), range);
        QCOMPARE(m_h->dialogs.messages().contains(ProbeLength::noClassMessage(0)), sent < 0);
        QVERIFY(calibration().isVisible());
        QString text;
        QVERIFY(reader(path).text("Flesh", 100, text).ok());
        QCOMPARE(text, flesh);
    }

    // A probe variant or probe type that the protocol cannot hold is refused
    // with the job page's message; nothing is stored as "?".
    void unstorableProbeNamesAreRefused_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("probe variant") << QStringLiteral("cbFlesh");
        QTest::newRow("probe type") << QStringLiteral("cbFMSCALCPARAM");
    }
    void unstorableProbeNamesAreRefused()
    {
        QFETCH(QString, control);
        begin();
        const QString path = create(QStringLiteral("job"));
        auto *box = m_h->form().findChild<QComboBox *>(control);
        QVERIFY(box);
        const QString odd = QString::fromUtf8("\u2713"); // beyond code unit 9999
        if (box->count() == 0)
            box->addItem(QString());
        box->setItemText(box->currentIndex() < 0 ? 0 : box->currentIndex(), QStringLiteral("710") + odd);
        if (box->currentIndex() < 0)
            box->setCurrentIndex(0);
        const QByteArray before = bytes(path);
        m_h->dialogs.clear();
        ui()->BitBtn4->click();
        QCOMPARE(m_h->dialogs.lastMessage(), unencodableMessage(odd, 0));
        QCOMPARE(bytes(path), before);
        QVERIFY(!calibration().isVisible());
    }

    // A protocol without points, opened again, has no point 0 that nobody
    // recorded: the list is empty and the first Rec goes to index 0.
    void emptyProtocolStartsAtPointZero()
    {
        begin();
        const QString path = create(QStringLiteral("empty"));
        m_h->dialogs.answerFile(path);
        ui()->BitBtn3->click();
        selection().findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click();
        QCOMPARE(m_h->state().CurrentProtocolFile, path);
        QCOMPARE(calibration().recording().PointCounter(), 0);
        QVERIFY(calibration().recording().rows().isEmpty());
        ui()->BitBtn4->click();
        recordPoints(1);
        const ProtocolReader r = reader(path);
        QCOMPARE(r.stopPoint(), 0);
        QCOMPARE(r.pointKeys(0, "").Status_Save, QStringLiteral("User Save"));
        QCOMPARE(r.pointKeys(1, "-").Time, QStringLiteral("-"));
        // A pause reload of it lists the one recorded point only.
        button("sbPause")->click();
        QCOMPARE(calibration().recording().rows().size(), 1);
        QCOMPARE(calibration().recording().PointCounter(), 1);
    }

    // A protocol closed without Stop goes on behind its last point; a
    // command-line argument ending in "KVI" is not opened.
    void continueBehindTheLastPoint()
    {
        const QByteArray file = "[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[Point]\r\n"
                                "Stop_Point=1\r\n[Protocol_Date]\r\nTime0=1\r\nFilterN0=100\r\n"
                                "liter0=0000,00\r\nStatus_Save0=User Save\r\nTime1=2\r\n"
                                "FilterN1=300\r\nliter1=0010,00\r\nStatus_Save1=User Save\r\n";
        QTemporaryDir dir;
        const QString upper = dir.filePath(QStringLiteral("old.KVI"));
        QVERIFY(writeFile(upper, file));
        begin({upper});
        seconds(2);
        QVERIFY(m_h->state().CurrentProtocolFile.isEmpty());

        const QString path = dir.filePath(QStringLiteral("old.kvi"));
        QVERIFY(writeFile(path, file));
        m_h->dialogs.answerFile(path);
        ui()->BitBtn3->click();
        selection().findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click();
        QCOMPARE(m_h->state().CurrentProtocolFile, path);
        QCOMPARE(calibration().recording().PointCounter(), 2);
        QCOMPARE(calibration().recording().literText(), QStringLiteral("0010,00"));
        ui()->BitBtn4->click();
        recordPoints(1);
        QCOMPARE(reader(path).pointKeys(1, "").FilterN, QStringLiteral("300"));
        QCOMPARE(reader(path).pointKeys(2, "").liter, QStringLiteral("0010,00"));
    }

    // A refused file never becomes the open protocol.
    void refusedFileKeepsTheOpenOne()
    {
        begin();
        const QString path = create(QStringLiteral("good"));
        const QString bad = m_dir + QStringLiteral("/bad.kvi");
        QVERIFY(writeFile(bad, "[Protocol]\r\nMarking=Error\r\n"));
        m_h->dialogs.clear();
        m_h->dialogs.answerFile(bad);
        ui()->BitBtn3->click();
        selection().findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click();
        QVERIFY(m_h->dialogs.lastMessage().startsWith(
            QStringLiteral("Данный протокол не является протоколом тарировки.")));
        QCOMPARE(m_h->state().CurrentProtocolFile, path);
        QVERIFY(selection().isVisible()); // the window stays for another choice
        QCOMPARE(bytes(bad), QByteArray("[Protocol]\r\nMarking=Error\r\n"));
        // A name that is taken is refused.
        m_h->dialogs.answerFile(m_dir + QStringLiteral("/good"));
        selection().findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
        QCOMPARE(m_h->dialogs.lastMessage(), QStringLiteral("Error file name protocol"));
    }

    // The selection window and the progress window as an installer sees them.
    void pictures()
    {
        begin();
        create(QStringLiteral("first"));
        ui()->BitBtn3->click();
        selection().resize(476, 249);
        QApplication::processEvents();
        const QString dir = QStringLiteral(KV_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(selection().grab().save(dir + QStringLiteral("/protocol_selection.png")));
        selection().findChild<QPushButton *>(QStringLiteral("BitBtn3"))->click();
        QVERIFY(m_h->form().isEnabled());
    }

    void restrictedSensorStoresOnlyTheSerial()
    {
        begin();
        const QString path = create(QStringLiteral("r"));
        m_h->state().link.RestrictedCommands = true;
        ui()->bbOnChart->click();
        QCOMPARE(reader(path).ini().document().keys("User_Option"), std::vector<QByteArray>{"SN"});
        QVERIFY(calibration().isVisible());
    }

    void remembersNamesInARing()
    {
        begin();
        (void)m_h->settings.set(SettingsKeys::NameIndex, 9);
        ui()->cbNameUser->setEditText(QStringLiteral("Petrov"));
        QTest::keyClick(ui()->cbNameUser->lineEdit(), Qt::Key_Return);
        QCOMPARE(m_h->settings.get(SettingsKeys::Name(10)), QStringLiteral("Petrov"));
        QCOMPARE(m_h->settings.get(SettingsKeys::NameIndex), 0);
        ui()->cbNameUser->setEditText(QStringLiteral("Sidorov"));
        QTest::keyClick(ui()->cbNameUser->lineEdit(), Qt::Key_Return);
        QCOMPARE(m_h->settings.get(SettingsKeys::Name(1)), QStringLiteral("Sidorov"));
        QCOMPARE(ui()->cbNameUser->count(), 10);
        QCOMPARE(ui()->cbNameUser->itemText(9), QStringLiteral("Petrov"));
    }

    // "Далее" on a Version 99 protocol: every text, the probe variant too,
    // is readable under Version 100 afterwards.
    void oldProtocolRaisedToVersion100()
    {
        begin();
        const QString path = m_dir + QStringLiteral("/old.kvi");
        QVERIFY(writeFile(path, "[Protocol]\r\nMarking=OK\r\nVersion=99\r\n[User_Option]\r\n"
                                "CompanyName=\xc1\xe0\xea\r\nFlesh=620\r\n"));
        m_h->dialogs.answerFile(path);
        ui()->BitBtn3->click();
        selection().findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click();
        QCOMPARE(ui()->edCompanyName->text(), QStringLiteral("Бак"));
        // A restricted sensor: the calibration start writes only "SN", so the
        // probe variant stays as the raise to Version 100 left it.
        m_h->state().link.RestrictedCommands = true;
        ui()->BitBtn4->click();
        auto data = std::make_unique<TDateProtokol>();
        GeneralData g;
        PointsRead pts;
        const ProtocolStatus st = ProtocolFile(path).open(*data, g, pts);
        QVERIFY2(st.ok(), qPrintable(st.text));
        QCOMPARE(data->VersionKVI, 100);
        QCOMPARE(g.CompanyName, QStringLiteral("Бак"));
        QVERIFY(bytes(path).contains("CompanyName=" + enc(QStringLiteral("Бак"))));
        QString flesh;
        QVERIFY(ProtocolFile(path).readText("Flesh", flesh).ok());
        QCOMPARE(flesh, QStringLiteral("620"));
        QVERIFY(bytes(path).contains("Flesh=#0054#0050#0048"));
    }
};

QTEST_MAIN(TstProtocolWindow)
#include "tst_protocol_window.moc"
