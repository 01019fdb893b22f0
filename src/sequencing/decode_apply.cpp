// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: the decoders' window step. Each reads the frame layer's last reply,
// runs the pure decoder of sensor/decode.h, writes the records it owns and
// puts the result onto the controls. Nothing here computes a value itself.

#include "sequencing/decode_apply.h"

#include "sensor/decode.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QBoxLayout>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

// ---- page control helpers --------------------------------------------------

namespace pages {

namespace {

int indexOf(const QTabWidget *control, const QString &name)
{
    for (int i = 0; i < control->count(); ++i)
        if (control->widget(i)->objectName() == name)
            return i;
    return -1;
}

} // namespace

void applyOrder(QTabWidget *control, const QStringList &order)
{
    QStringList listed;
    for (const QString &name : order)
        if (indexOf(control, name) >= 0 && !listed.contains(name))
            listed << name;
    if (listed.isEmpty())
        return;

    // The whole order wanted: each place held by a listed page takes the next
    // listed page; every other page stays where it is.
    QStringList wanted;
    int next = 0;
    for (int i = 0; i < control->count(); ++i) {
        const QString name = control->widget(i)->objectName();
        wanted << (listed.contains(name) ? listed.at(next++) : name);
    }
    // Moving the tab moves its page and keeps its visibility; places before t
    // are final, so the page wanted at t is found at t or after it.
    QTabBar *bar = control->tabBar();
    for (int t = 0; t < wanted.size(); ++t) {
        const int from = indexOf(control, wanted.at(t));
        if (from != t)
            bar->moveTab(from, t);
    }
}

bool setTabVisible(QTabWidget *control, const QString &name, bool visible)
{
    const int i = indexOf(control, name);
    if (i < 0)
        return false;
    control->setTabVisible(i, visible);
    return true;
}

int visibleIndex(const QTabWidget *control)
{
    const int current = control->currentIndex();
    if (current < 0 || !control->isTabVisible(current))
        return -1;
    int n = 0;
    for (int i = 0; i < current; ++i)
        if (control->isTabVisible(i))
            ++n;
    return n;
}

QStringList visibleNames(const QTabWidget *control)
{
    QStringList out;
    for (int i = 0; i < control->count(); ++i)
        if (control->isTabVisible(i))
            out << control->widget(i)->objectName();
    return out;
}

} // namespace pages

int TForm1::visibleTabIndex() const
{
    return pages::visibleIndex(ui->PageControl);
}

bool TForm1::isCurrentPage(const QWidget *page) const
{
    return ui->PageControl->currentWidget() == page && visibleTabIndex() >= 0;
}

// ---- controls by firmware version and model --------------------------------

void TForm1::applyWindowControls(const WindowControls &c)
{
    auto enable = [this](const auto &names, const std::optional<bool> &on) {
        if (!on)
            return;
        for (const char *name : names)
            if (QWidget *w = findChild<QWidget *>(QString::fromLatin1(name)))
                w->setEnabled(*on);
    };
    auto show = [this](const auto &names, const std::optional<bool> &on) {
        if (!on)
            return;
        for (const char *name : names)
            if (QWidget *w = findChild<QWidget *>(QString::fromLatin1(name)))
                w->setVisible(*on);
    };
    enable(OutputSettingsControls, c.outputSettingsEnabled);
    if (c.averagingEnabled)
        ui->cbCenter->setEnabled(*c.averagingEnabled);
    enable(AveragingTimeControls, c.averagingTimeEnabled);
    enable(FreqOutputControls, c.freqOutputEnabled);
    show(FreqDisplayControls, c.freqDisplayVisible);
    enable(PortAssignmentControls, c.portAssignmentEnabled);
    if (c.networkModeEnabled)
        ui->cbSetingProperty->setEnabled(*c.networkModeEnabled);
    if (c.networkModeUntick)
        ui->cbSetingProperty->setChecked(false);
    enable(InclAddressControls, c.inclAddressEnabled);
    show(TwoAddressNoteControls, c.twoAddressNoteVisible);
}

// ---- identity ---------------------------------------------------------------

void TForm1::ReadSN()
{
    SensorState &s = state().sensor;
    const decode::ReadSNResult r = decode::ReadSN(state().link.replyBytes(), s);

    if (r.passportDecoded) {
        if (r.serialChanged)
            state().ProtocolStatusText = QStringLiteral("Err");
        ui->meSN->setText(r.meSN);
        ui->DateTimePicker->setDate(r.manufactureDate);
    }
    ui->edVersionPo->setText(r.edVersionPo);
    applyWindowControls(r.controls);
    ui->edType->setText(r.edType);

    pages::applyOrder(ui->PageControl, r.pageOrder);

    ui->Panel19->setVisible(r.wideResolution);
    ui->RadioGroup->setColumns(r.radioGroupColumns);
    ui->RadioGroup->setItems(r.radioGroupItems);
    relabelResolutionItems();
    ui->RadioGroup->setItemIndex(r.radioGroupIndex);
    ui->cbModeIncl->setVisible(r.wideResolution);
    ui->Label99->setVisible(r.wideResolution);
    ui->cbVisableIncAdr->setVisible(r.wideResolution);

    state().link.RestrictedCommands = r.restrictedCommands;
    for (const char *name : decode::CalibrationControls) {
        const QString n = QString::fromLatin1(name);
        if (QWidget *w = findChild<QWidget *>(n))
            w->setVisible(r.calibrationControlsVisible);
        else if (QAction *a = findChild<QAction *>(n))
            a->setVisible(r.calibrationControlsVisible);
    }
    // The group heights and offsets follow from the layouts: a group shrinks
    // when its calibration controls are hidden.
    ui->bbDublTarirovanie->setVisible(r.bbDublTarirovanieVisible);
    resize(width(), r.mainWindowHeight);

    // The calibration page of a restricted model, then on a sensor change every
    // page but the information page.
    for (const QString &tab : r.tabsToHide)
        pages::setTabVisible(ui->PageControl, tab, false);
    if (r.clearProtocolFile)
        state().CurrentProtocolFile.clear();

    r.applyTo(s);
}

void TForm1::Connect()
{
    SensorState &s = state().sensor;
    const decode::ConnectResult r = decode::Connect(state().link.replyBytes(), s);

    ui->cbSetingAdres->setCurrentIndex(r.address);
    ui->cbDublSetingAdres->setCurrentIndex(r.address);
    if (r.modeReported) {
        ui->cbCenter->setChecked(r.centre);
        ui->cbtextbinformat->setChecked(r.textFormat);
        ui->cbPeriod->setChecked(r.periodic);
        ui->edPeriod->setEnabled(r.periodic);
        ui->UpDown3->setEnabled(r.periodic);
        ui->Label22->setEnabled(r.periodic);
        ui->cbSpeedUart->setCurrentIndex(r.speedIndex);
        ui->cbNdate->setChecked(r.twelveBit);
        ui->cbNdate->setText(r.cbNdateCaption);
        ui->RadioGroup->setItemIndex(r.radioGrupIndex);
    }
    ui->UpDown3->setPosition(r.periodPosition);
    ui->edPeriod->setText(r.edPeriod);

    r.applyTo(s);
}

// ---- live data --------------------------------------------------------------

void TForm1::applyGaugeLayout(const decode::GaugeLayout &g)
{
    // The gauge widths become the shares of the gauge row.
    if (auto *row = findChild<QHBoxLayout *>(QStringLiteral("GaugeRow"))) {
        row->setStretch(0, g.gauge1Width);
        row->setStretch(1, g.gauge2Width);
    }
    ui->Gauge1->setMaximum(g.gauge1Max);
    ui->Gauge2->setMaximum(g.gauge2Max);
    ui->Label4->setText(g.label4);
    ui->TrackBar1->setMaximum(g.trackBar1Max);
    ui->Gauge1->setProgress(g.gauge1Progress);
    ui->Gauge2->setProgress(g.gauge2Progress);
}

void TForm1::ReadData(bool acceptedReply)
{
    FrameLink &link = state().link;
    const decode::ReadDataResult r = decode::ReadData(link.replyBytes(), link.CrcError,
                                                      ui->cbFlesh->currentIndex(), state().number);
    if (r.skipped)
        return;

    ui->lbT->setText(r.lbT);
    ui->edTetmo1->setText(r.edTetmo1);
    ui->UpDown2->setPosition(r.upDown2);
    link.CrcError = r.crcError;

    state().IncomingLevelCode = r.levelCode;
    // The zeros the poller left for a reply that never came are shown, but
    // they are no level the sensor measured: the recording never sees them.
    if (acceptedReply && r.calMeasuredC) {
        LevelReading(r.levelCode);
        state().ReadingC = r.capacitance;
    }
    state().LevelCode = r.levelCode;
    ui->lbN->setText(r.lbN);
    ui->edN->setText(r.edN);

    if (r.calMeasuredC)
        state().CalMeasuredC = *r.calMeasuredC;
    ui->edCCod->setText(r.edCCod);

    ui->lbC->setText(r.lbC);
    ui->lbProc->setText(r.lbProc);
    TimerlbRuhProc.stop();
    ui->lbRuhProc->setVisible(true);
    if (r.ruhProcNormalColour) {
        ui->lbRuhProc->setStyleSheet(QString());
        ui->lbRuhProc->setPalette(QPalette());
    } else if (r.ruhProcBlink) {
        TimerlbRuhProc.start();
    }
    ui->lbRuhProc->setText(r.lbRuhProc);
    ui->edCProc->setText(r.edCProc);
    ui->edC->setText(r.edC);

    ui->edFreq->setText(QString::number(r.edFreq));

    applyGaugeLayout(r.gauges);

    r.applyTo(state().sensor);
}

// ---- extended parameters ----------------------------------------------------

void TForm1::ReadCAPSET()
{
    const decode::ReadCAPSETResult r = decode::ReadCAPSET(state().link.replyBytes());
    ui->meCAPDAC->setText(r.meCAPDAC);
    ui->meCAPOFF->setText(r.meCAPOFF);
}

void TForm1::READCALDATA()
{
    const decode::READCALDATAResult r =
        decode::READCALDATA(state().link.replyBytes(), state().number);
    r.applyTo(state().sensor);
    ui->edRefNull->setText(r.edRefNull);
    ui->edRefZL->setToolTip(r.edRefZLHint);
    ui->edRefT->setText(r.edRefT);
}

void TForm1::ReadSounLen()
{
    const decode::ReadSounLenResult r =
        decode::ReadSounLen(state().link.replyBytes(), [this](int k) { return state().text(k); });
    ui->cbFlesh->setCurrentIndex(r.cbFleshIndex < ui->cbFlesh->count() ? r.cbFleshIndex : -1);
    r.applyTo(state().sensor);
}

void TForm1::ReadExtParam()
{
    const decode::ReadExtParamResult r = decode::ReadExtParam(state().link.replyBytes());
    ui->cbHUBonOff->setChecked(r.hubOn);
    if (r.configPortIndex < ui->cbConfigPort->count())
        ui->cbConfigPort->setCurrentIndex(r.configPortIndex);
    ui->rbFRMAutoRef->setChecked(r.autoRef);
    ui->rbFRMRef->setChecked(!r.autoRef);
    ui->cbSetingProperty->setChecked(r.ModeSeting);
    ui->SpinEdit1->setValue(r.spinEdit1);
    r.applyTo(state().sensor);

    const TParametrSDA &ext = state().sensor.SensorExt;
    ui->cbModeFreqOut->setChecked(ext.ModeFreqOut);
    ui->cbModeFSM->setChecked(ext.ModeFSM);
    ui->sbModeFSM->setChecked(ext.ModeFSM);
    ui->SpeedButton1->setChecked(ext.ModeFSM);
    ui->cbErrMode->setChecked(ext.CurMode);
}

void TForm1::FillOutputScaleEditors()
{
    const decode::OutputScaleEditors e = decode::outputScaleEditors(state().sensor);
    ui->seUpVal->setValue(e.seUpVal);
    ui->seDownVal->setValue(e.seDownVal);
    ui->seFSMOffset->setValue(e.seFSMOffset);
    ui->seFSMScale->setValue(e.seFSMScale);
    ui->seUpNCode->setValue(e.seUpNCode);
    ui->seUpInterRest->setValue(e.seUpInterRest);
    ui->seUpFreq->setValue(e.seUpFreq);
    ui->seDownNCode->setValue(e.seDownNCode);
    ui->seDownInterRest->setValue(e.seDownInterRest);
    ui->seDownFreq->setValue(e.seDownFreq);
    ui->sbFullTanck->setChecked(e.scaleButtonsDown);
    ui->sbZeroTanck->setChecked(e.scaleButtonsDown);
    if (e.scaleButtonsDown) {
        ui->sbFullTanck->setText(e.sbFullTanckCaption);
        ui->sbZeroTanck->setText(e.sbZeroTanckCaption);
    }
}

void TForm1::ReadFSMCalcParam()
{
    const decode::ReadFSMCalcParamResult r = decode::ReadFSMCalcParam(
        state().link.replyBytes(), ui->cbFMSCALCPARAM->currentIndex(), state().number);
    if (r.calcModeItem && *r.calcModeItem < ui->cbFMSCALCPARAM->count())
        ui->cbFMSCALCPARAM->setCurrentIndex(*r.calcModeItem);
    ui->udPermix->setPosition(r.udPermix);
    setMaskedNumber(ui->mePermix, r.mePermix);
    if (r.udZeroLen) {
        ui->udZeroLen->setPosition(*r.udZeroLen);
        setMaskedNumber(ui->meZeroLen, r.meZeroLen);
    }
    r.applyTo(state().sensor);
}

void TForm1::ReadAxisK()
{
    decode::ReadAxisK(state().link.replyBytes()).applyTo(state().sensor);
}

void TForm1::WriteFullTanck()
{
    TimerReadData.setInterval(2500);
    TimerReadData.stop();
    const quint8 mode = decode::WriteFullTanck(state().sensor.SensorExt);
    WriteComand(currentAddress(), CommandTable.SET_REP_MODE, QByteArray(1, char(mode)));
    TimerReadData.start();
    TimerStartReadDate.start();
}

// ---- inclinometer -----------------------------------------------------------

void TForm1::ReadAzimuth()
{
    const decode::ReadAzimuthResult r =
        decode::ReadAzimuth(state().link.replyBytes(), state().number);
    r.applyTo(state().sensor);
    setMaskedNumber(ui->meAzz, r.meAzz);
    ui->udAzz->setPosition(r.udAzz);
}

void TForm1::ReadInclinometerData()
{
    const decode::ReadInclinometerDataResult r =
        decode::ReadInclinometerData(state().link.replyBytes(), state().number);
    r.applyTo(state().sensor);
    ui->Label92->setText(r.label92);
    ui->Label93->setText(r.label93);
}

void TForm1::ReadREPMODE3()
{
    const decode::ReadREPMODE3Result r =
        decode::ReadREPMODE3(state().link.replyBytes(), state().sensor);
    // Only the four-item group of firmware 8.3 has 14 and 16 bits; a stray reply
    // never leaves a two-item group with nothing checked.
    if (r.radioGroupIndex < ui->RadioGroup->count())
        ui->RadioGroup->setItemIndex(r.radioGroupIndex);
    r.applyTo(state().sensor);
    ui->cbModeIncl->setChecked(r.modeInclTicked);
    ui->Label99->setEnabled(r.inclAddressEnabled);
    ui->cbVisableIncAdr->setEnabled(r.inclAddressEnabled);
}

void TForm1::ReadINCLLANADR()
{
    const decode::ReadINCLLANADRResult r = decode::ReadINCLLANADR(state().link.replyBytes());
    ui->cbVisableIncAdr->setCurrentIndex(r.itemIndex < ui->cbVisableIncAdr->count() ? r.itemIndex
                                                                                    : -1);
}
