// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: The general-parameters page: the chained settings writes ("Применить"),
// factory defaults, discard, and the read-back chain. Each write is sent by a
// one-shot timer that the reply to the previous one starts (dispatcher.cpp);
// TimerErrorWrite guards the chain up to the period write. The byte builders
// are in sensor/decode.h. The handlers are connected in TForm1::connectHandlers().

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "sensor/decode.h"

namespace {

QByteArray oneByte(int v)
{
    return QByteArray(1, char(quint8(v)));
}

} // namespace

void TForm1::bbNewAdresClick()
{
    TimerReset.start();
    // Every later request goes to the new address.
    const int address = ui->cbDublSetingAdres->currentIndex();
    ui->cbSetingAdres->setCurrentIndex(address);
    TimerReadData.setInterval(2000);
    TimerErrorWrite.start();
    WriteComand(BroadcastAddress, CommandTable.SET_ADDR, oneByte(address));
}

void TForm1::bbResetRefClick()
{
    TimerReset.start();
    ui->cbtextbinformat->setChecked(false);
    ui->cbPeriod->setChecked(false);
    ui->cbCenter->setChecked(true);
    ui->cbSpeedUart->setCurrentIndex(3); // 19200 bit/s
    ui->cbDublSetingAdres->setCurrentIndex(1);
    ui->RadioGroup->setItemIndex(1); // 12 bits
    ui->SpinEdit1->setValue(8);
    cbPeriodClick();
    RadioGroupClick();
    bbNewAdresClick();
}

void TForm1::bbReadAvtomodClick()
{
    // The identity reply sets the page back from the sensor's stored settings.
    TimerReset.start();
    WriteComand(BroadcastAddress, CommandTable.READ_PARAM);
}

void TForm1::bbPeriodClick()
{
    // Also the handler of TimerNewAddres, the last write of the settings chain.
    TimerNewAddres.stop();
    decode::AutoModeSettings m;
    m.resolutionIndex = ui->RadioGroup->itemIndex();
    m.averaging = ui->cbCenter->isChecked();
    m.speedIndex = ui->cbSpeedUart->currentIndex();
    m.textFormat = ui->cbtextbinformat->isChecked();
    m.periodic = ui->cbPeriod->isChecked();
    m.versionH = state().sensor.SensorParam.Version_H;
    m.versionL = state().sensor.SensorParam.Version_L;
    WriteComand(currentAddress(), CommandTable.SET_AUTO_MODE,
                oneByte(decode::buildAutoModeByte(m)));
}

void TForm1::cbPeriodClick()
{
    const bool on = ui->cbPeriod->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(ui->edPeriod), static_cast<QWidget *>(ui->UpDown3),
                       static_cast<QWidget *>(ui->Label22)})
        w->setEnabled(on);
}

void TForm1::RadioGroupClick()
{
    const int index = ui->RadioGroup->itemIndex();
    if (index == 0)
        ui->cbNdate->setChecked(false);
    else if (index == 1)
        ui->cbNdate->setChecked(true);
}

void TForm1::TimerSetRepModeTimer()
{
    TimerSetRepMode.stop();
    const SensorState &s = state().sensor;
    decode::RepModeSettings m;
    m.freqOut = ui->cbModeFreqOut->isChecked();
    m.fullScale = s.SensorExt.ModeFSM;
    m.errMode = ui->cbErrMode->isChecked();
    m.hub = ui->cbHUBonOff->isChecked();
    m.configPortIndex = ui->cbConfigPort->currentIndex(); // none selected counts as item 0
    m.axisScaling = s.SensorExt.MashtabAXLS;
    m.autoRef = s.FsmAutoRef;
    m.networkMode = ui->cbSetingProperty->isChecked();
    WriteComand(currentAddress(), CommandTable.SET_REP_MODE, oneByte(decode::buildRepModeByte(m)));
}

void TForm1::TimerSETAVRGTimerTimer()
{
    TimerSETAVRGTimer.stop();
    WriteComand(currentAddress(), CommandTable.SET_AVRG_TIME, oneByte(ui->SpinEdit1->value()));
}

void TForm1::TimerSetPeriodTimer()
{
    TimerSetPeriod.stop();
    // Positions 1 … 256 s go on the wire as 0 … 255.
    const int position = qBound(1, ui->UpDown3->buddyPosition(), 256);
    WriteComand(currentAddress(), CommandTable.SET_PERIOD, oneByte(position - 1));
}

void TForm1::TimerSET_REP_MODE_3Timer()
{
    TimerSET_REP_MODE_3.stop();
    TimerSetRepMode.stop();
    const quint8 mode =
        decode::buildRepMode3Byte(state().sensor.SensorExt.RepMode3, ui->RadioGroup->itemIndex(),
                                  ui->cbModeIncl->isChecked());
    WriteComand(currentAddress(), CommandTable.SET_REP_MODE_3, oneByte(mode));
}

void TForm1::TimerSET_INCL_LAN_ADRTimer()
{
    TimerSET_INCL_LAN_ADR.stop();
    // With no address selected (the sensor reported one outside the list) the
    // write carries 0xFF, the "none" the sensor itself reported.
    const int index = ui->cbVisableIncAdr->currentIndex();
    WriteComand(currentAddress(), CommandTable.SET_INCL_LAN_ADR, oneByte(index < 0 ? 0xFF : index));
}

void TForm1::TimerGETEXTPARAMTimer()
{
    TimerGETEXTPARAM.stop();
    WriteComand(currentAddress(), CommandTable.GET_EXT_PARAM);
}

void TForm1::TimerGET_REP_MODE_3Timer()
{
    TimerGET_REP_MODE_3.stop();
    WriteComand(currentAddress(), CommandTable.GET_REP_MODE_3);
}

void TForm1::TimerGET_INCL_LAN_ADRTimer()
{
    TimerGET_INCL_LAN_ADR.stop();
    WriteComand(currentAddress(), CommandTable.GET_INCL_LAN_ADR);
}
