// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: The two output-scale pages and their write and read chains. The
// unit conversions and the frame data are calibration/output_scale.h; the
// handlers are connected in TForm1::connectHandlers().

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "calibration/output_scale.h"
#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "sensor/decode.h"

#include <QToolButton>
#include <cmath>

namespace {
const QString kZeroLengthError = QStringLiteral("Ошибка заданного значения ZeroLength");
const QString kPermixError = QStringLiteral("Ошибка заданного значения permix");
} // namespace

// ---- firmware up to 5: the eight unit fields

void TForm1::setScaleEnd(bool start, const OutputScale::End &e, QWidget *source)
{
    QSpinBox *fields[] = {
        start ? ui->seUpVal : ui->seDownVal, start ? ui->seUpNCode : ui->seDownNCode,
        start ? ui->seUpInterRest : ui->seDownInterRest, start ? ui->seUpFreq : ui->seDownFreq};
    const int values[] = {e.c, e.n, e.percent, e.freq};
    // The fields that follow do not convert again: only the focused one does.
    for (int i = 0; i < 4; ++i)
        if (fields[i] != source)
            fields[i]->setValue(values[i]);
}

void TForm1::scaleFieldChanged(bool start, int unit)
{
    QSpinBox *field = unit == 0   ? (start ? ui->seUpVal : ui->seDownVal)
                      : unit == 1 ? (start ? ui->seUpNCode : ui->seDownNCode)
                      : unit == 2 ? (start ? ui->seUpInterRest : ui->seDownInterRest)
                                  : (start ? ui->seUpFreq : ui->seDownFreq);
    if (unit == 0)
        (start ? ui->TrackBar2 : ui->TrackBar3)->setValue(65535 - field->value());
    if (!field->hasFocus())
        return;
    const int nmax = OutputScale::levelMax(m_state.sensor.SensorParam.DigitData);
    const int v = field->value();
    const OutputScale::End e = unit == 0   ? OutputScale::fromCode(qMin(v, 65535), nmax)
                               : unit == 1 ? OutputScale::fromLevel(v, nmax)
                               : unit == 2 ? OutputScale::fromPercent(v, nmax)
                                           : OutputScale::fromFrequency(v, nmax);
    setScaleEnd(start, e, field);
}

void TForm1::seUpValChange()
{
    scaleFieldChanged(true, 0);
}
void TForm1::seUpNCodeChange()
{
    scaleFieldChanged(true, 1);
}
void TForm1::seUpInterRestChange()
{
    scaleFieldChanged(true, 2);
}
void TForm1::seUpFreqChange()
{
    scaleFieldChanged(true, 3);
}
void TForm1::seDownValChange()
{
    scaleFieldChanged(false, 0);
}
void TForm1::seDownNCodeChange()
{
    scaleFieldChanged(false, 1);
}
void TForm1::seDownInterRestChange()
{
    scaleFieldChanged(false, 2);
}
void TForm1::seDownFreqChange()
{
    scaleFieldChanged(false, 3);
}

// ---- the full-scale switch (SpeedButton1 here, sbModeFSM on the calibration page)

void TForm1::fullScaleSwitch(QToolButton *pressed, bool russianMessage)
{
    const bool on = pressed->isChecked();
    if (ui->seUpVal->value() < ui->seDownVal->value()) {
        m_state.sensor.SensorExt.ModeFSM = on;
        for (QToolButton *b : {ui->SpeedButton1, ui->sbModeFSM})
            b->setChecked(on);
        TimerReadData.setInterval(2500);
        TimerReadData.stop();
        const TParametrSDA &ext = m_state.sensor.SensorExt;
        decode::RepModeSettings m; // bits 3 to 6 stay 0 on this page
        m.freqOut = ext.ModeFreqOut;
        m.fullScale = ext.ModeFSM;
        m.errMode = ext.CurMode;
        m.networkMode = ext.ModeSeting;
        WriteComand(currentAddress(), CommandTable.SET_REP_MODE,
                    QByteArray(1, char(decode::buildRepModeByte(m))));
        TimerReadData.start();
        TimerStartReadDate.start();
        return;
    }
    for (QToolButton *b : {ui->SpeedButton1, ui->sbModeFSM})
        b->setChecked(false);
    m_dialogs->show(LangText(Txt::ScaleEndBelowStart, russianMessage ? LangRussian : m_state.Lang));
}

void TForm1::SpeedButton1Click()
{
    fullScaleSwitch(ui->SpeedButton1, false);
}

void TForm1::sbModeFSMClick()
{
    fullScaleSwitch(ui->sbModeFSM, true);
}

// ---- firmware 8

void TForm1::BitBtn15Click()
{
    ui->seFSMOffset->setValue(m_state.sensor.SensorParam.Val_C);
}

void TForm1::BitBtn16Click()
{
    ui->seFSMScale->setValue(m_state.sensor.SensorParam.Val_C);
}

void TForm1::BitBtn17Click()
{
    TimerReadData.setInterval(2500);
    TimerReadData.stop();
    TimerSETFSMOffset.start();
    TimerReadData.start();
}

void TForm1::BitBtn18Click()
{
    TimerReadData.setInterval(2000);
    TimerReadData.stop();
    const int index = ui->cbSetingAdres->currentIndex();
    WriteComand(index >= 0 && index <= 255 ? quint8(index) : currentAddress(),
                CommandTable.GET_EXT_PARAM);
    TimerReadData.start();
}

void TForm1::fsm8Switch()
{
    TimerReadData.setInterval(2500);
    TimerReadData.stop();
    m_state.sensor.FsmAutoRef = ui->rbFRMAutoRef->isChecked();
    const TParametrSDA &ext = m_state.sensor.SensorExt;
    decode::RepModeSettings m;
    m.freqOut = ext.ModeFreqOut;
    m.fullScale = ui->cbModeFSM->isChecked();
    m.errMode = ext.CurMode;
    m.hub = ui->cbHUBonOff->isChecked();
    m.configPortIndex = qMax(0, ui->cbConfigPort->currentIndex());
    m.axisScaling = ext.MashtabAXLS;
    m.autoRef = m_state.sensor.FsmAutoRef;
    m.networkMode = ext.ModeSeting;
    if (visibleTabIndex() == 2)
        WriteComand(currentAddress(), CommandTable.SET_REP_MODE,
                    QByteArray(1, char(decode::buildRepModeByte(m))));
    TimerReadData.start();
}

void TForm1::cbModeFSMClick()
{
    ui->cbModeFSM->setText(
        m_state.text(ui->cbModeFSM->isChecked() ? Txt::ModeRunning : Txt::ModeSetup));
    fsm8Switch();
}

void TForm1::cbHUBonOffClick()
{
    if (visibleTabIndex() == 2)
        m_dialogs->show(m_state.text(Txt::Attention) + QLatin1Char('\r') +
                        m_state.text(Txt::PowerOffNotice));
    fsm8Switch();
}

void TForm1::rbFRMAutoRefClick()
{
    fsm8Switch();
}

void TForm1::rbFRMRefClick()
{
    fsm8Switch();
}

void TForm1::udZeroLenClick(UpDown::Button)
{
    const int position = ui->udZeroLen->position();
    setMaskedNumber(ui->meZeroLen, OutputScale::zeroLengthText(position, m_state.number));
    const int type = qBound(0, ui->cbFMSCALCPARAM->currentIndex(), FsmCoefHigh);
    m_state.sensor.FsmCoef[size_t(type)] = float(position / 100.0);
}

void TForm1::meZeroLenKeyUp()
{
    const std::optional<double> v =
        OutputScale::maskedNumber(ui->meZeroLen->displayText(), m_state.number);
    if (!v) {
        m_dialogs->show(kZeroLengthError);
        return;
    }
    ui->udZeroLen->setPosition(int(std::floor(*v * 100 + 1e-9)));
    const int type = qBound(0, ui->cbFMSCALCPARAM->currentIndex(), FsmCoefHigh);
    m_state.sensor.FsmCoef[size_t(type)] = float(*v);
}

void TForm1::udPermixClick(UpDown::Button)
{
    setMaskedNumber(ui->mePermix,
                    OutputScale::permixText(ui->udPermix->position(), m_state.number));
}

void TForm1::mePermixKeyUp()
{
    const std::optional<double> v =
        OutputScale::maskedNumber(ui->mePermix->displayText(), m_state.number);
    if (!v) {
        m_dialogs->show(kPermixError);
        return;
    }
    ui->udPermix->setPosition(int(std::floor(*v * 100 + 1e-9)));
}

void TForm1::TimerSETFSMOffsetTimer()
{
    TimerSETFSMOffset.stop();
    const int v = state().sensor.SensorExt.Version_DA_Up == 8 ? ui->seFSMOffset->value()
                                                              : ui->seUpVal->value();
    if (const auto d = OutputScale::wordData(v))
        WriteComand(currentAddress(), CommandTable.SET_FSM_OFFSET, *d);
}

void TForm1::TimerSETFSMScaleTimer()
{
    TimerSETFSMScale.stop();
    const int v = state().sensor.SensorExt.Version_DA_Up == 8 ? ui->seFSMScale->value()
                                                              : ui->seDownVal->value();
    if (const auto d = OutputScale::wordData(v))
        WriteComand(currentAddress(), CommandTable.SET_FSM_SCALE, *d);
}

void TForm1::TimerWriteSetFSMCalcParamTimer()
{
    TimerWriteSetFSMCalcParam.stop();
    const SensorState &s = state().sensor;
    // The probe type selected in the list; with none selected, the one last read.
    int mode = ui->cbFMSCALCPARAM->currentIndex();
    if (mode < 0)
        mode = qBound(0, s.FsmCalcMode, FsmCoefHigh);
    WriteComand(currentAddress(), CommandTable.SET_FSM_CALC_PARAM,
                OutputScale::calcParamData(mode, ui->udPermix->position(), s.FsmCoef));
}

void TForm1::TimerReadFSM_CALC_PARAMTimer()
{
    TimerReadFSM_CALC_PARAM.stop();
    WriteComand(currentAddress(), CommandTable.GET_FSM_CALC_PARAM);
}

void TForm1::TimerReadAxsKTimer()
{
    TimerReadAxsK.stop();
    WriteComand(currentAddress(), CommandTable.GET_AXIS_K);
}

void TForm1::TimerReadCalDataTimer()
{
    TimerReadCalData.stop();
    WriteComand(currentAddress(), CommandTable.READ_CAL_DATA);
}
