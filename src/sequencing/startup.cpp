// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: start-up, shutdown and the environment check of the main window.
// FormCreate runs while the program creates its windows; the environment check
// follows 100 ms later and again after every port close; Timer1 keeps the
// caption, the protocol menu items and the modem-line check current; the clock
// ticks every second; FormClose saves what the next start reads.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "calibration/Load_U.h"
#include "calibration/Property_Zond_U.h"
#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "common/scheduler.h"
#include "sequencing/startup_rules.h"
#include "shell/AvtoSave_U.h"
#include "shell/Help_Progral.h"
#include "shell/Terminal_U.h"
#include "shell/fms_parameter.h"
#include "shell/help_window.h"
#include "shell/language_ref.h"
#include "shell/settings_store.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/Enter_Fuil_U.h"
#include "tank/PropertyPoint_U.h"
#include "tank/Protocol_Options_U.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

void TForm1::FormCreate()
{
    SettingsStore &store = *m_world.settings;
    const StartOptions options = parseStartOptions(m_world.arguments);

    CreateComPort();
    m_state.CalStepArmed = false; // no zero-search step is pending
    resize(467, height());
    if (ui->cbComNum->count() > 0)
        ui->cbComNum->setCurrentIndex(0);
    // "--port COMn" shows that port, listed or not (it may be opened by number).
    if (!options.port.isEmpty()) {
        const int i = ui->cbComNum->findText(options.port, Qt::MatchFixedString);
        if (i >= 0)
            ui->cbComNum->setCurrentIndex(i);
        else
            ui->cbComNum->setEditText(options.port);
    }
    m_connectAfterCheck = options.connect;

    move(store.get(SettingsKeys::Form1_Left), store.get(SettingsKeys::Form1_Top));
    ui->cbRTS->setChecked(store.get(SettingsKeys::RTS));
    cbRTSClick();
    ui->cbDTR->setChecked(store.get(SettingsKeys::DTR));
    cbDTRClick();
    m_state.Lang = store.get(SettingsKeys::vallatguage);
    if (store.get(SettingsKeys::View) == 0) {
        ui->N21->setChecked(true);
        N21Click();
    } else {
        ui->N22->setChecked(true);
        N22Click();
    }

    ui->cbNameUser->clear();
    ui->cbNameMashine->clear();
    for (int n = 1; n <= 10; ++n)
        ui->cbNameUser->addItem(store.get(SettingsKeys::Name(n)));
    for (int n = 1; n <= 10; ++n)
        ui->cbNameMashine->addItem(store.get(SettingsKeys::NameMashine(n)));
    // The ring positions are read where the names are written (protocol data page).

    ui->cbYear->clear();
    for (int year = 1960; year <= 2008; ++year)
        ui->cbYear->addItem(QString::number(year));

    // The store already reads a language above 1 as 1 and a negative one as 0.
    m_state.Lang = qBound(0, m_state.Lang, 1);
    ui->Rus1->setChecked(m_state.Lang == LangRussian);
    ui->English1->setChecked(m_state.Lang == LangEnglish);
    // A settings file that is not read (a pipe, a folder, far too large) leaves
    // the defaults in force: say so once, the program goes on.
    if (const QString why = store.problem(m_state.Lang); !why.isEmpty())
        m_dialogs->message(why, MsgIcon::Warning);

    ui->meCAPDAC->setText(QStringLiteral("00"));
    ui->meCAPOFF->setText(QStringLiteral("00000"));
    statusPanel(0)->setText(m_state.text(Txt::PortClosed));
    TellDeniedPorts(false);
    ui->meSN->setText(QStringLiteral("000000"));

    ui->cbFMSCALCPARAM->clear();
    ui->cbFMSCALCPARAM->addItems(FmsParameter::read(m_world.fmsSearchDirs).names);
    ui->cbFMSCALCPARAM->setCurrentIndex(-1);

    QStringList addresses;
    for (int a = 0; a <= 255; ++a)
        addresses << QString::number(a);
    ui->cbSetingAdres->clear();
    ui->cbSetingAdres->addItems(addresses);
    ui->cbSetingAdres->setCurrentIndex(255);
    ui->cbDublSetingAdres->clear();
    ui->cbDublSetingAdres->addItems(addresses);
    ui->cbDublSetingAdres->setCurrentIndex(255);
    ui->cbVisableIncAdr->clear();
    ui->cbVisableIncAdr->addItems(addresses.mid(0, 255));

    if (ui->cbFlesh->count() > 0)
        ui->cbFlesh->setCurrentIndex(0);

    TimerReadData.stop();
    ui->Animate->setActive(false);
    ui->Animate->setVisible(false);
    ui->COM2->setEnabled(false);
    ui->PageControl->setCurrentIndex(0);
    ui->DateTimePicker->setDate(m_scheduler->currentDateTime().date());

    TimerStartWindows.start();
    TimerSetProtocol.start();

    m_state.sensor.LastSerial = 0;

    // Only the information page keeps its tab; the wizard buttons reach the rest.
    for (const char *name :
         {"TabSheet6", "TabSheet7", "TabSheet2", "TabSheet5", "TabSheet4", "TabSheet1"}) {
        if (QWidget *page = ui->PageControl->findChild<QWidget *>(QLatin1String(name)))
            ui->PageControl->setTabVisible(ui->PageControl->indexOf(page), false);
    }
}

void TForm1::TimerStartWindowsTimer()
{
    TimerStartWindows.stop();

    // The protocol selection open over the main window (a new protocol closes
    // the port, which runs this check again) gets the keyboard back.
    if (m_windows.protocols && m_windows.protocols->isVisible()) {
        m_windows.protocols->raise();
        m_windows.protocols->activateWindow();
    }

    const QChar separator = m_world.settings->effectiveDecimalSeparator();
    m_state.number.setSeparator(separator);
    if (separator == QLatin1Char(',')) {
        if (m_connectAfterCheck) {
            // "--connect" opens the port once, as F9 would.
            m_connectAfterCheck = false;
            COM1Click();
        }
        return;
    }

    const QString text = m_state.text(Txt::Attention) + QLatin1Char('\r') +
                         m_state.text(Txt::SeparatorNeeded) + QLatin1Char('\r') +
                         m_state.text(Txt::SeparatorAuto) + QLatin1Char('\r') +
                         m_state.text(Txt::SeparatorRestart) + QStringLiteral("\r\r") +
                         m_state.text(Txt::SeparatorExit);
    const MsgAnswer answer = m_dialogs->message(text, MsgIcon::Information, MsgButtons::OkCancel);
    if (answer == MsgAnswer::Ok) {
        // The tool's own store keeps the comma for the next start; the desktop's
        // regional settings stay as they are.
        (void)m_world.settings->setDecimalSeparatorOverride(QLatin1Char(','));
    }
    close();
}

void TForm1::TimerSetProtocolTimer()
{
    const QString argument = parseStartOptions(m_world.arguments).firstArgument;
    if (isProtocolArgument(argument))
        OpenProtocolFromCommandLine(argument);
    TimerSetProtocol.stop();
}

void TForm1::OpenProtocolFromCommandLine(const QString &path)
{
    // The protocol-selection window takes the path into its first recent entry
    // and loads it.
    if (m_windows.protocols)
        m_windows.protocols->openFromCommandLine(path);
}

void TForm1::Timer1Timer()
{
    const QString caption = mainCaption(m_state.CurrentProtocolFile);
    if (windowTitle() != caption)
        setWindowTitle(caption);

    const bool protocolOpen = !m_state.CurrentProtocolFile.isEmpty();
    ui->N6->setEnabled(protocolOpen);
    ui->N12->setEnabled(protocolOpen);
    ui->txt1->setEnabled(protocolOpen);

    // A device that cannot report its lines (a pseudo-terminal) reports them
    // present, so the check never closes such a port.
    const bool checkLines =
        m_windows.settings && m_windows.settings->refCTS() && FPort.Connected();
    if (checkLines &&
        (FPort.GetModemState() & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON)) == 0) {
        FPort.setComNumber(0);
        // The cable or the adapter went: a lost link to a recording in
        // progress, which goes on once the port is open again.
        ClosePortKeepRecording();
        ReadingsLost();
        activateWindow();
        ui->cbComNum->clear();
        CreateComPort();
        // The user chooses the port again: the rebuilt list selects none, so
        // F9 asks for a port rather than opening whatever is listed first.
        ui->cbComNum->setCurrentIndex(-1);
        ui->cbComNum->setEditText(QString());
    }
    // Modem lines change without telling the program: while they are checked,
    // every period is due.
    Timer1.setWaitsForActivity(!(checkLines && FPort.Connected()));
}

void TForm1::TimerSystemTimeTimer()
{
    statusPanel(3)->setText(clockText(m_scheduler->currentDateTime().time()));
}

void TForm1::FormClose()
{
    PortStop();
    SettingsStore &store = *m_world.settings;
    (void)store.set(SettingsKeys::Form1_Top, y());
    (void)store.set(SettingsKeys::Form1_Left, x());
    (void)store.set(SettingsKeys::vallatguage, m_state.Lang);
    (void)store.set(SettingsKeys::RTS, ui->cbRTS->isChecked());
    (void)store.set(SettingsKeys::DTR, ui->cbDTR->isChecked());
    (void)store.set(SettingsKeys::View, ui->N22->isChecked() ? 1 : 0);
}

void TForm1::applyLanguage()
{
    QList<QWidget *> all{this};
    for (QWidget *w :
         QList<QWidget *>{m_windows.terminal, m_windows.settings, m_windows.about, m_windows.help})
        if (w)
            all << w;
    if (TForm5 *c = m_windows.calibration)
        all << c << c->form8() << c->form15();
    for (QWidget *w : QList<QWidget *>{m_windows.progress, m_windows.probe})
        if (w)
            all << w;
    if (m_windows.protocols) {
        all << m_windows.protocols;
        m_windows.protocols->setLang(m_state.Lang);
    }
    Language_Ref(all, m_state.Lang);
    // The pass writes N5's "show" caption; while the terminal is up it must
    // offer to hide it instead.
    if (m_windows.terminal && m_windows.terminal->isVisible())
        ui->N5->setText(m_state.text(Txt::HideTerminal));
    relabelResolutionItems();
    if (m_windows.calibration)
        m_windows.calibration->setLang(m_state.Lang);
}

void TForm1::relabelResolutionItems()
{
    const QLabel *captions[] = {ui->Label31, ui->Label33, ui->Label100, ui->Label101};
    QStringList items;
    for (int i = 0; i < ui->RadioGroup->count() && i < 4; ++i)
        items << captions[i]->text();
    const int keep = ui->RadioGroup->itemIndex();
    ui->RadioGroup->setItems(items);
    ui->RadioGroup->setItemIndex(keep);
}
