// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "common/dialogs.h"
#include "common/scheduler.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTabBar>

// Every timer starts switched off, with its design interval.
#define KV_TIMER(name, ms) name(world.scheduler, QStringLiteral(#name), ms)

TForm1::TForm1(ProgramState &state, const ProgramWorld &world, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::TForm1), m_state(state), m_world(world),
      m_scheduler(world.scheduler), m_dialogs(world.dialogs), FPort(world.ports),
      KV_TIMER(TimerStartWindows, 100), KV_TIMER(TimerSetProtocol, 1000), KV_TIMER(Timer1, 10),
      KV_TIMER(TimerSystemTime, 1000), KV_TIMER(TimerStart, 1000), KV_TIMER(TimerReset, 3000),
      KV_TIMER(TimerErrorWrite, 800), KV_TIMER(TimerReadData, 1000),
      KV_TIMER(TimerStartReadDate, 500), KV_TIMER(TimerRepeat, 900), KV_TIMER(TimerReplug, 1000),
      KV_TIMER(TimerSetRepMode, 100),
      KV_TIMER(TimerSETAVRGTimer, 100), KV_TIMER(TimerSetPeriod, 100),
      KV_TIMER(TimerSET_REP_MODE_3, 100), KV_TIMER(TimerSET_INCL_LAN_ADR, 100),
      KV_TIMER(TimerNewAddres, 100), KV_TIMER(TimerGETEXTPARAM, 100),
      KV_TIMER(TimerGET_REP_MODE_3, 100), KV_TIMER(TimerGET_INCL_LAN_ADR, 100),
      KV_TIMER(TimerWriteDataParam, 500), KV_TIMER(TimerDACOFF, 500),
      KV_TIMER(TimerSETCAPSET, 1000), KV_TIMER(TimerStopedDAC, 150), KV_TIMER(TimerlbRuhProc, 500),
      KV_TIMER(TimerControlZond, 1000), KV_TIMER(TimerContZL, 500),
      KV_TIMER(TimerReadDateLenthZond, 100), KV_TIMER(TimerSETFSMOffset, 100),
      KV_TIMER(TimerSETFSMScale, 100), KV_TIMER(TimerWriteSetFSMCalcParam, 100),
      KV_TIMER(TimerReadFSM_CALC_PARAM, 100), KV_TIMER(TimerReadAxsK, 100),
      KV_TIMER(TimerReadCalData, 100), KV_TIMER(TimerReadAzimuth, 100),
      KV_TIMER(TimerReadInclinometerData, 250)
{
    Q_INIT_RESOURCE(sequencing);
    ui->setupUi(this);
    // The report item has no place in the menu; its shortcut works through the window.
    addAction(ui->WORD1);
    m_viewGroup = new QActionGroup(this);
    m_viewGroup->setExclusive(true);
    m_viewGroup->addAction(ui->N21);
    m_viewGroup->addAction(ui->N22);
    createStatusPanels();
    registerTimers();
    connectHandlers();
    wireLink();
}

#undef KV_TIMER

TForm1::~TForm1()
{
    delete ui;
}

void TForm1::wireLink()
{
    // The port as the window starts it: COM1, 19200 8N1, lines
    // off, chunks of up to 500 bytes handed over as they arrive.
    FPort.setComNumber(1);
    FPort.setInBufSize(500);
    FPort.setWaitFullBuffer(false);
    FPort.OnReadPacket = [this](const char *packet, int size, quint32 errCode) {
        m_state.link.FPortReadPacket(packet, size, errCode);
    };
    // One request on the line at a time, each awaited on the window's clock.
    m_state.link.setScheduler(m_scheduler);
    m_state.link.setWriter([this](const QByteArray &frame) { return FPort.WriteString(frame); });
    m_state.link.onReplyMatched = [this] { ToggleLamp(); };
    m_state.link.onReplyAccepted = [this](const QByteArray &reply) { DispatchReply(reply); };
    m_state.link.onEndOfChunk = [this] { EndOfChunk(); };
}

void TForm1::WriteComand(quint8 address, quint8 command, const QByteArray &data)
{
    m_state.link.WriteComand(address, command, data);
}

quint8 TForm1::currentAddress() const
{
    bool ok = false;
    const int a = ui->cbSetingAdres->currentText().trimmed().toInt(&ok);
    return (ok && a >= 0 && a <= 255) ? quint8(a) : BroadcastAddress;
}

void TForm1::ToggleLamp()
{
    // Green becomes maroon, anything else green: the lamp blinks with each reply.
    const QColor green(0, 128, 0), maroon(128, 0, 0);
    m_sInd->setColor(m_sInd->color() == green ? maroon : green);
}

Timer *TForm1::timer(const QString &name) const
{
    for (Timer *t : m_timers)
        if (t->name() == name)
            return t;
    return nullptr;
}

void TForm1::createStatusPanels()
{
    // Panel 0 (link state) takes the free width; the lamp and the clock sit at the right.
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto *panel = new QLabel(ui->StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i));
        panel->setMinimumWidth(i == 0 ? 260 : 64);
        m_statusPanels.append(panel);
    }
    m_statusPanels[3]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui->StatusBar1->addWidget(m_statusPanels[0], 1);
    ui->StatusBar1->addWidget(m_statusPanels[1]);
    ui->StatusBar1->addWidget(m_statusPanels[2]);
    m_sInd = new Lamp(ui->StatusBar1);
    m_sInd->setObjectName(QStringLiteral("sInd"));
    m_sInd->setColor(QColor(0, 128, 0));
    m_sInd->setToolTip(QStringLiteral("Связь с датчиком"));
    m_sInd->setVisible(false); // shown while the port is open
    ui->StatusBar1->addPermanentWidget(m_sInd);
    ui->StatusBar1->addPermanentWidget(m_statusPanels[3]);
}

void TForm1::registerTimers()
{
    m_timers = {&TimerStartWindows,
                &TimerSetProtocol,
                &Timer1,
                &TimerSystemTime,
                &TimerStart,
                &TimerReset,
                &TimerErrorWrite,
                &TimerReadData,
                &TimerStartReadDate,
                &TimerRepeat,
                &TimerReplug,
                &TimerSetRepMode,
                &TimerSETAVRGTimer,
                &TimerSetPeriod,
                &TimerSET_REP_MODE_3,
                &TimerSET_INCL_LAN_ADR,
                &TimerNewAddres,
                &TimerGETEXTPARAM,
                &TimerGET_REP_MODE_3,
                &TimerGET_INCL_LAN_ADR,
                &TimerWriteDataParam,
                &TimerDACOFF,
                &TimerSETCAPSET,
                &TimerStopedDAC,
                &TimerlbRuhProc,
                &TimerControlZond,
                &TimerContZL,
                &TimerReadDateLenthZond,
                &TimerSETFSMOffset,
                &TimerSETFSMScale,
                &TimerWriteSetFSMCalcParam,
                &TimerReadFSM_CALC_PARAM,
                &TimerReadAxsK,
                &TimerReadCalData,
                &TimerReadAzimuth,
                &TimerReadInclinometerData};
    // The one-shot links of the request chains: each sends one request when it fires.
    m_chainTimers = {&TimerSetRepMode,
                     &TimerSETAVRGTimer,
                     &TimerSetPeriod,
                     &TimerSET_REP_MODE_3,
                     &TimerSET_INCL_LAN_ADR,
                     &TimerNewAddres,
                     &TimerGETEXTPARAM,
                     &TimerGET_REP_MODE_3,
                     &TimerGET_INCL_LAN_ADR,
                     &TimerDACOFF,
                     &TimerContZL,
                     &TimerReadDateLenthZond,
                     &TimerSETFSMOffset,
                     &TimerSETFSMScale,
                     &TimerWriteSetFSMCalcParam,
                     &TimerReadFSM_CALC_PARAM,
                     &TimerReadAxsK,
                     &TimerReadCalData,
                     &TimerReadAzimuth};
    TimerStartWindows.setHandler([this] { TimerStartWindowsTimer(); });
    TimerSetProtocol.setHandler([this] { TimerSetProtocolTimer(); });
    Timer1.setHandler([this] { Timer1Timer(); });
    TimerSystemTime.setHandler([this] { TimerSystemTimeTimer(); });
    TimerStart.setHandler([this] { TimerStartTimer(); });
    TimerReset.setHandler([this] { TimerResetTimer(); });
    TimerErrorWrite.setHandler([this] { TimerResetTimer(); });
    TimerReadData.setHandler([this] { TimerReadDataTimer(); });
    TimerStartReadDate.setHandler([this] { TimerStartReadDateTimer(); });
    TimerRepeat.setHandler([this] { TimerRepeatTimer(); });
    TimerReplug.setHandler([this] { TimerReplugTimer(); });
    TimerSetRepMode.setHandler([this] { TimerSetRepModeTimer(); });
    TimerSETAVRGTimer.setHandler([this] { TimerSETAVRGTimerTimer(); });
    TimerSetPeriod.setHandler([this] { TimerSetPeriodTimer(); });
    TimerSET_REP_MODE_3.setHandler([this] { TimerSET_REP_MODE_3Timer(); });
    TimerSET_INCL_LAN_ADR.setHandler([this] { TimerSET_INCL_LAN_ADRTimer(); });
    TimerNewAddres.setHandler([this] { bbPeriodClick(); });
    TimerGETEXTPARAM.setHandler([this] { TimerGETEXTPARAMTimer(); });
    TimerGET_REP_MODE_3.setHandler([this] { TimerGET_REP_MODE_3Timer(); });
    TimerGET_INCL_LAN_ADR.setHandler([this] { TimerGET_INCL_LAN_ADRTimer(); });
    TimerWriteDataParam.setHandler([this] { TimerWriteDataParamTimer(); });
    TimerDACOFF.setHandler([this] { TimerDACOFFTimer(); });
    TimerSETCAPSET.setHandler([this] { TimerSETCAPSETTimer(); });
    TimerStopedDAC.setHandler([this] { TimerStopedDACTimer(); });
    TimerlbRuhProc.setHandler([this] { TimerlbRuhProcTimer(); });
    TimerControlZond.setHandler([this] { TimerControlZondTimer(); });
    TimerContZL.setHandler([this] { TimerContZLTimer(); });
    TimerReadDateLenthZond.setHandler([this] { TimerReadDateLenthZondTimer(); });
    TimerSETFSMOffset.setHandler([this] { TimerSETFSMOffsetTimer(); });
    TimerSETFSMScale.setHandler([this] { TimerSETFSMScaleTimer(); });
    TimerWriteSetFSMCalcParam.setHandler([this] { TimerWriteSetFSMCalcParamTimer(); });
    TimerReadFSM_CALC_PARAM.setHandler([this] { TimerReadFSM_CALC_PARAMTimer(); });
    TimerReadAxsK.setHandler([this] { TimerReadAxsKTimer(); });
    TimerReadCalData.setHandler([this] { TimerReadCalDataTimer(); });
    TimerReadAzimuth.setHandler([this] { TimerReadAzimuthTimer(); });
    TimerReadInclinometerData.setHandler([this] { TimerReadInclinometerDataTimer(); });
    // The two housekeeping timers run for the whole run of the program. Timer1's
    // caption and menu states only follow what handlers did, so an idle program
    // is not woken for them; the modem-line check switches it to its full rate.
    Timer1.setWaitsForActivity(true);
    Timer1.start();
    TimerSystemTime.start();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->PageControl || watched == ui->PageControl->tabBar()) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            if (m_userTabChange)
                break; // already delivering one
            // Ctrl+PgDn / Ctrl+PgUp step through the pages as Ctrl+Tab does
            // (this Qt leaves them to the focused control).
            if (event->type() == QEvent::KeyPress) {
                const auto *key = static_cast<QKeyEvent *>(event);
                const bool pageKey = key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp;
                if (pageKey && key->modifiers() == Qt::ControlModifier) {
                    const QScopedValueRollback<bool> user(m_userTabChange, true);
                    stepVisibleTab(key->key() == Qt::Key_PageDown ? 1 : -1);
                    return true;
                }
            }
            // Deliver the event here, with the flag up for the page change it
            // may cause; the result and the event's accepted state go back to
            // the application, which carries an unused key on to the parent.
            const QScopedValueRollback<bool> user(m_userTabChange, true);
            return watched->event(event);
        }
        default:
            break;
        }
    }
    if (event->type() == QEvent::KeyRelease) {
        if (watched == ui->meAzz)
            meAzzKeyUp();
        else if (watched == ui->meZeroLen)
            meZeroLenKeyUp();
        else if (watched == ui->mePermix)
            mePermixKeyUp();
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == ui->cbNameUser->lineEdit())
            cbNameUserKeyPress(key);
        else if (watched == ui->cbNameMashine->lineEdit())
            cbNameMashineKeyPress(key);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::connectHandlers()
{
    // All handlers of the window are connected here. Check boxes, radio buttons and
    // lists call their handler on a user action only; code that sets such a control
    // and wants the handler's effect calls the handler itself.
    auto onAction = [this](QAction *a, void (TForm1::*h)()) {
        connect(a, &QAction::triggered, this, [this, h] { (this->*h)(); });
    };
    auto onClick = [this](QAbstractButton *b, void (TForm1::*h)()) {
        connect(b, &QAbstractButton::clicked, this, [this, h] { (this->*h)(); });
    };
    auto onUpDown = [this](UpDown *u, void (TForm1::*h)(UpDown::Button)) {
        connect(u, &UpDown::clicked, this, [this, h](UpDown::Button b) { (this->*h)(b); });
    };
    auto onValue = [this](QSpinBox *s, void (TForm1::*h)()) {
        connect(s, &QSpinBox::valueChanged, this, [this, h] { (this->*h)(); });
    };

    // menu
    onAction(ui->N14, &TForm1::N14Click);
    onAction(ui->N6, &TForm1::N6Click);
    onAction(ui->txt1, &TForm1::txt1Click);
    onAction(ui->N20, &TForm1::N20Click);
    onAction(ui->WORD1, &TForm1::WORD1Click);
    onAction(ui->N12, &TForm1::N12Click);
    onAction(ui->N3, &TForm1::N3Click);
    onAction(ui->COM1, &TForm1::COM1Click);
    onAction(ui->COM2, &TForm1::COM2Click);
    onAction(ui->N5, &TForm1::N5Click);
    onAction(ui->N16, &TForm1::N16Click);
    onAction(ui->N9, &TForm1::N9Click);
    onAction(ui->English1, &TForm1::English1Click);
    onAction(ui->Rus1, &TForm1::Rus1Click);
    onAction(ui->N21, &TForm1::N21Click);
    onAction(ui->N22, &TForm1::N22Click);
    onAction(ui->N10, &TForm1::N10Click);
    onAction(ui->N13, &TForm1::N13Click);

    // port group
    onClick(ui->Button1, &TForm1::Button1Click);
    onClick(ui->bbDublComOpen, &TForm1::COM1Click);
    onClick(ui->bbDublComClose, &TForm1::COM2Click);
    onClick(ui->cbRTS, &TForm1::cbRTSClick);
    onClick(ui->cbDTR, &TForm1::cbDTRClick);

    // information page
    onClick(ui->bbReadSN, &TForm1::bbReadSNClick);
    onClick(ui->BitBtn3, &TForm1::BitBtn3Click);
    onClick(ui->bbOpenDiagram1, &TForm1::bbOpenDiagram1Click);

    // general parameters page
    onClick(ui->bbNewAdres, &TForm1::bbNewAdresClick);
    onClick(ui->bbResetRef, &TForm1::bbResetRefClick);
    onClick(ui->bbReadAvtomod, &TForm1::bbReadAvtomodClick);
    onClick(ui->bbPeriod, &TForm1::bbPeriodClick);
    onClick(ui->cbPeriod, &TForm1::cbPeriodClick);
    // The period arrows move the period field, and what the field shows is
    // the period the write sends.
    ui->UpDown3->setBuddy(ui->edPeriod);
    connect(ui->RadioGroup, &RadioGroupBox::clicked, this, [this] { RadioGroupClick(); });
    onClick(ui->cbModeIncl, &TForm1::cbModeInclClick);

    // calibration page
    connect(ui->cbFlesh, &QComboBox::activated, this, [this] { cbFleshSelect(); });
    connect(ui->cbFlesh->lineEdit(), &QLineEdit::textEdited, this, [this] { cbFleshChange(); });
    onClick(ui->bbSetSOND, &TForm1::bbSetSONDClick);
    onClick(ui->BitBtn1, &TForm1::BitBtn1Click);
    onClick(ui->BitBtn2, &TForm1::BitBtn2Click);
    onClick(ui->bbCalibration, &TForm1::bbCalibrationClick);
    onUpDown(ui->UpDownCAPDAC, &TForm1::UpDownCAPDACClick);
    onUpDown(ui->UpDownCAPOFF, &TForm1::UpDownCAPOFFClick);
    // The offset edits follow every change, also those the decoders write.
    connect(ui->meCAPDAC, &QLineEdit::textChanged, this, [this] { meCAPDACChange(); });
    connect(ui->meCAPOFF, &QLineEdit::textChanged, this, [this] { meCAPOFFChange(); });
    onClick(ui->sbModeFSM, &TForm1::sbModeFSMClick);
    onClick(ui->bbOnChart, &TForm1::bbOnChartClick);

    // output scale, firmware up to 5
    onValue(ui->seUpVal, &TForm1::seUpValChange);
    onValue(ui->seUpNCode, &TForm1::seUpNCodeChange);
    onValue(ui->seUpInterRest, &TForm1::seUpInterRestChange);
    onValue(ui->seUpFreq, &TForm1::seUpFreqChange);
    onValue(ui->seDownVal, &TForm1::seDownValChange);
    onValue(ui->seDownNCode, &TForm1::seDownNCodeChange);
    onValue(ui->seDownInterRest, &TForm1::seDownInterRestChange);
    onValue(ui->seDownFreq, &TForm1::seDownFreqChange);
    onClick(ui->BitBtn13, &TForm1::BitBtn13Click);
    onClick(ui->BitBtn14, &TForm1::BitBtn14Click);
    onClick(ui->SpeedButton1, &TForm1::SpeedButton1Click);

    // output scale, firmware 8
    onClick(ui->BitBtn15, &TForm1::BitBtn15Click);
    onClick(ui->BitBtn16, &TForm1::BitBtn16Click);
    onClick(ui->BitBtn17, &TForm1::BitBtn17Click);
    onClick(ui->BitBtn18, &TForm1::BitBtn18Click);
    onClick(ui->cbModeFSM, &TForm1::cbModeFSMClick);
    onClick(ui->cbHUBonOff, &TForm1::cbHUBonOffClick);
    onClick(ui->rbFRMAutoRef, &TForm1::rbFRMAutoRefClick);
    onClick(ui->rbFRMRef, &TForm1::rbFRMRefClick);
    onUpDown(ui->udZeroLen, &TForm1::udZeroLenClick);
    onUpDown(ui->udPermix, &TForm1::udPermixClick);
    ui->meZeroLen->installEventFilter(this);
    ui->mePermix->installEventFilter(this);

    // inclinometer
    ui->meAzz->installEventFilter(this);
    onUpDown(ui->udAzz, &TForm1::udAzzClick);
    onClick(ui->Button8, &TForm1::Button8Click);
    onClick(ui->Button9, &TForm1::Button9Click);
    onClick(ui->Button10, &TForm1::Button10Click);

    // protocol data page
    onClick(ui->BitBtn4, &TForm1::BitBtn4Click);
    // The tank volume and height: typing sets the position, the arrows the text.
    ui->UpDown5->setBuddy(ui->edVDA);
    ui->UpDown6->setBuddy(ui->edHBac);
    ui->cbNameUser->lineEdit()->installEventFilter(this);
    ui->cbNameMashine->lineEdit()->installEventFilter(this);

    // wizard buttons
    onClick(ui->BitBtn5, &TForm1::BitBtn5Click);
    onClick(ui->BitBtn9, &TForm1::BitBtn9Click);
    onClick(ui->BitBtn6, &TForm1::BitBtn6Click);
    onClick(ui->BitBtn10, &TForm1::BitBtn10Click);
    onClick(ui->BitBtn8, &TForm1::BitBtn8Click);
    onClick(ui->BitBtn12, &TForm1::BitBtn12Click);
    onClick(ui->BitBtn7, &TForm1::BitBtn7Click);
    onClick(ui->BitBtn19, &TForm1::BitBtn19Click);
    onClick(ui->BitBtn20, &TForm1::BitBtn20Click);
    onClick(ui->BitBtn22, &TForm1::BitBtn22Click);
    onClick(ui->BitBtn21, &TForm1::BitBtn21Click);
    onClick(ui->BitBtn11, &TForm1::BitBtn11Click);

    // A page chosen by the user (mouse, wheel or keys on the tab bar, Ctrl+Tab
    // and Ctrl+PgUp/PgDn anywhere on the pages) runs PageControlChange; a page
    // change made by code does not. The input events are delivered under
    // m_userTabChange (see eventFilter), so whatever page change they cause
    // counts as the user's.
    ui->PageControl->installEventFilter(this);
    ui->PageControl->tabBar()->installEventFilter(this);
    connect(ui->PageControl, &QTabWidget::currentChanged, this, [this] {
        // The tilt reading belongs to the inclinometer page: whatever leaves
        // it (a tab, "Назад", "Далее", the protocol question, the watchdog)
        // stops the tilts and brings the level polls back, so the two never
        // share the line.
        if (TimerReadInclinometerData.enabled() &&
            ui->PageControl->currentWidget() != ui->TabSheet7)
            Button10Click();
        if (!m_userTabChange)
            return;
        // The handling may change the page itself (the protocol question); that
        // change is the program's.
        m_userTabChange = false;
        PageControlChange();
    });
}
