// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: the reply dispatcher — what each accepted reply sets in motion, and
// the updates after every received chunk. There is no sequencer: a reply runs
// its decoders and starts the one-shot timer whose handler sends the next
// request, so a chain that meets no reply simply stops.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "sensor/decode.h"
#include "tank/Diagram_Tarirovca_U.h"

namespace {

constexpr quint8 StatusRefused = 0x01;

} // namespace

void TForm1::WriteResultMessage(int status)
{
    TimerStart.stop();
    TimerReadData.stop();
    TimerReset.stop();
    m_dialogs->show(state().text(status == StatusRefused ? Txt::WriteError : Txt::WriteSuccess));
    // The sensor is identified again once the user has closed the message.
    TimerStart.start();
}

void TForm1::LevelReading(int N)
{
    if (m_windows.calibration)
        m_windows.calibration->LevelReading(N);
}

void TForm1::ReadingsLost()
{
    if (m_windows.calibration)
        m_windows.calibration->LinkLost();
}

void TForm1::StopRecording()
{
    if (m_windows.calibration)
        m_windows.calibration->PortClosed();
}

void TForm1::DispatchReply(const QByteArray &reply)
{
    const SensorState &s = state().sensor;
    const int command = decode::byteAt(reply, 3);
    const int status = decode::byteAt(reply, 4);
    const int major = s.SensorExt.Version_DA_Up;
    const int minor = s.SensorExt.Version_DA_Down;
    const bool autoCalibration = ui->cbAvtoCalibration->isChecked();
    const bool onGeneralPage = isCurrentPage(ui->TabSheet1);

    switch (command) {
    case CommandTable.SET_ID:
        bbReadSNClick();
        break;
    case CommandTable.CONFIG_READ:
        Connect();
        ReadCAPSET();
        TimerStart.stop();
        TimerReadData.start();
        break;
    case CommandTable.DATA_READ:
        ReadData(true);
        if (ui->cbAvtoCalibration->isChecked()) {
            CalibrationCap();
            state().CalStepArmed = true;
            ++state().CalStepCount;
        }
        break;
    case CommandTable.READ_PARAM:
        if (!autoCalibration)
            Connect();
        ReadCAPSET();
        ReadSN();
        if (!autoCalibration) {
            const QString &model = state().sensor.SensorParam.Model;
            if (model == QLatin1String("QMA-10") || model == QLatin1String("QMB-10"))
                WriteComand(currentAddress(), CommandTable.READ_SOND_LEN);
            else if (state().sensor.SensorExt.Version_DA_Up >= 5)
                TimerGETEXTPARAM.start();
            // Before firmware 5 no extended-parameter reply follows to ask for
            // the data poll: the probe detection asks for its fresh C here.
            if (state().ProbeDetectActive && state().sensor.SensorExt.Version_DA_Up < 5)
                TimerReadDateLenthZond.start();
        }
        TimerStart.stop();
        // ReadSN may have hidden the page that was current: look again.
        if (isCurrentPage(ui->TabSheet1))
            TimerReadData.stop();
        else if (!state().ProbeDetectActive)
            TimerReadData.start();
        break;
    case CommandTable.READ_SN:
        ReadSN();
        break;
    case CommandTable.SET_CAPDAC_A:
    case CommandTable.SET_CAPOFF: {
        // Addressed by the index of the selected entry, as the list holds 0 … 255 in order.
        const int index = ui->cbSetingAdres->currentIndex();
        WriteComand(index >= 0 && index <= 255 ? quint8(index) : currentAddress(),
                    CommandTable.READ_PARAM);
        break;
    }
    case CommandTable.READ_SOND_LEN:
        ReadSounLen();
        if (major >= 5)
            TimerGETEXTPARAM.start();
        break;
    case CommandTable.SET_SOND_LEN:
        WriteComand(BroadcastAddress, CommandTable.READ_PARAM);
        break;
    case CommandTable.SET_SOND_PAR:
    case CommandTable.SET_AUTO_MODE:
        WriteResultMessage(status);
        break;
    case CommandTable.READ_CAL_DATA:
        READCALDATA();
        // The reference offsets serve the probe-length measurement. Put on the
        // sensor after every re-read of the calibration page, they replaced
        // the zero the installer had just found before it could be stored.
        if (major != 8 && state().ProbeDetectActive) {
            WriteComand(currentAddress(), CommandTable.SET_CAPDAC_A,
                        QByteArray(1, char(quint8(state().sensor.RefZL_CAPDAC))));
            TimerContZL.start();
        }
        break;
    case CommandTable.SET_PERIOD:
        TimerErrorWrite.stop();
        if (major == 8 && minor > 2)
            TimerSET_REP_MODE_3.start();
        else
            TimerNewAddres.start();
        break;
    case CommandTable.SET_ADDR:
        if (major >= 5)
            TimerSetRepMode.start();
        else
            TimerSetPeriod.start();
        break;
    case CommandTable.GET_EXT_PARAM:
        ReadExtParam();
        if (state().ProbeDetectActive)
            TimerReadDateLenthZond.start();
        else if (!TimerReadData.enabled() && !onGeneralPage)
            TimerReadData.start();
        FillOutputScaleEditors();
        TimerReadFSM_CALC_PARAM.start();
        break;
    case CommandTable.SET_REP_MODE: {
        // A refusal (or any status but 0x00) ends the chain with nothing changed.
        if (status != 0x00)
            break;
        TParametrSDA &ext = state().sensor.SensorExt;
        ext.ModeFreqOut = ui->cbModeFreqOut->isChecked();
        ext.ModeSeting = ui->cbSetingProperty->isChecked();
        ext.CurMode = ui->cbErrMode->isChecked();
        const int tab = visibleTabIndex();
        if (ext.ModeFSM && (tab == 3 || (tab == 2 && state().sensor.SensorParam.IntModel > 2)))
            TimerSETFSMOffset.start();
        else if (tab == 1)
            TimerSETAVRGTimer.start();
        break;
    }
    case CommandTable.SET_FSM_OFFSET:
        if (ui->rbFRMRef->isChecked())
            TimerSETFSMScale.start();
        if (ui->rbFRMAutoRef->isChecked())
            TimerWriteSetFSMCalcParam.start();
        break;
    case CommandTable.SET_FSM_SCALE:
    case CommandTable.SET_FSM_CALC_PARAM:
    case CommandTable.SET_AZIMUTH:
        // Older firmware gives no confirmation of the scale writes.
        if (major == 8)
            WriteResultMessage(status);
        break;
    case CommandTable.SET_AVRG_TIME:
        TimerSetPeriod.start();
        break;
    case CommandTable.GET_AXIS_K:
        ReadAxisK();
        if (major == 8 && minor > 2 &&
            (isCurrentPage(ui->TabSheet3) || isCurrentPage(ui->TabSheet1)))
            TimerGET_REP_MODE_3.start();
        if (isCurrentPage(ui->TabSheet2))
            TimerReadCalData.start();
        if (isCurrentPage(ui->TabSheet7))
            TimerReadAzimuth.start();
        break;
    case CommandTable.GET_FSM_CALC_PARAM:
        ReadFSMCalcParam();
        TimerReadAxsK.start();
        break;
    case CommandTable.GET_AZIMUTH:
        ReadAzimuth();
        break;
    case CommandTable.GET_INCLINOMETER_DATA:
        ReadInclinometerData();
        break;
    case CommandTable.GET_REP_MODE_3:
        ReadREPMODE3();
        TimerGET_INCL_LAN_ADR.start();
        break;
    case CommandTable.SET_REP_MODE_3:
        TimerSET_INCL_LAN_ADR.start();
        break;
    case CommandTable.GET_INCL_LAN_ADR:
        ReadINCLLANADR();
        break;
    case CommandTable.SET_INCL_LAN_ADR:
        TimerNewAddres.start();
        break;
    default:
        break; // traced only
    }
}

void TForm1::EndOfChunk()
{
    TimerReset.stop();
    ui->Animate->setActive(false);
    ui->Animate->setVisible(false);
    ui->PageControl->setVisible(true);
    ui->GroupBox5->setVisible(false);
    ui->Image->setVisible(false);
    state().sensor.SensorParam.FlagNewWrite = true;
}
