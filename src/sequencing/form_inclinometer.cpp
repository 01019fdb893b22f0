// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: Inclinometer page: the azimuth typed, stepped and written, and the
// live tilt reading four times a second. The values come from
// calibration/inclinometer.h; the handlers are connected in
// TForm1::connectHandlers().

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "calibration/inclinometer.h"
#include "common/dialogs.h"

void TForm1::meAzzKeyUp()
{
    const QString text = ui->meAzz->displayText();
    if (const std::optional<int> p = Inclinometer::positionFromText(text, m_state.number))
        ui->udAzz->setPosition(*p);
    else
        m_dialogs->message(Inclinometer::badAzimuthMessage(text, m_state.Lang), MsgIcon::Error);
}

void TForm1::udAzzClick(UpDown::Button)
{
    setMaskedNumber(ui->meAzz,
                    Inclinometer::textFromPosition(ui->udAzz->position(), m_state.number));
}

void TForm1::Button8Click()
{
    TimerReadData.setInterval(2500);
    TimerReadData.stop();
    WriteComand(currentAddress(), CommandTable.SET_AZIMUTH,
                Inclinometer::azimuthData(ui->udAzz->position()));
    TimerReadData.start();
}

void TForm1::Button9Click()
{
    TimerReadData.stop();
    TimerReadInclinometerData.start();
    ui->Button9->setEnabled(false);
    ui->Button10->setEnabled(true);
}

void TForm1::Button10Click()
{
    TimerReadInclinometerData.stop();
    TimerReadData.start();
    ui->Button9->setEnabled(true);
    ui->Button10->setEnabled(false);
}

void TForm1::cbModeInclClick()
{
    const bool on = ui->cbModeIncl->isChecked();
    ui->Label99->setEnabled(on);
    ui->cbVisableIncAdr->setEnabled(on);
}

void TForm1::TimerReadAzimuthTimer()
{
    TimerReadAzimuth.stop();
    WriteComand(currentAddress(), CommandTable.GET_AZIMUTH);
}

void TForm1::TimerReadInclinometerDataTimer()
{
    // Runs until "Stop"; each tilt request arms the reply watchdog.
    TimerReadInclinometerData.setInterval(250);
    WriteComand(currentAddress(), CommandTable.GET_INCLINOMETER_DATA);
    TimerReset.start();
}
