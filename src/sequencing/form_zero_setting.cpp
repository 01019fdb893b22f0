// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: Zero setting: the automatic search (one step per data reply, the
// step itself in calibration/zero_search.h), its completion, attempts and
// abort; the manual CAPDAC/CAPOFF arrows; the blinking zero indicator. The
// handlers are connected in TForm1::connectHandlers().

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "calibration/Load_U.h"
#include "calibration/output_scale.h"
#include "common/dialogs.h"
#include "common/lang_ids.h"

#include <QLabel>
#include <QPalette>
#include <QProgressBar>

namespace {
constexpr int kInitialCapoff = 32768;
} // namespace

QString TForm1::attemptText(int n) const
{
    return m_state.text(Txt::Attempt) + QLatin1Char(' ') + QString::number(n);
}

void TForm1::sendCapdac(int value)
{
    WriteComand(currentAddress(), CommandTable.SET_CAPDAC_A,
                QByteArray(1, char(quint8(qBound(0, value, 63)))));
}

void TForm1::sendCapoff(int value)
{
    WriteComand(currentAddress(), CommandTable.SET_CAPOFF,
                *OutputScale::wordData(qBound(0, value, 65535)));
}

void TForm1::bbCalibrationClick()
{
    m_zero = ZeroSearchState::forProbeClass(ui->cbFlesh->currentIndex());
    m_state.CalStepCount = 0;
    m_state.CalMeasuredC = 0;
    sendCapdac(63);
    TimerReadData.setInterval(800);
    TimerDACOFF.setInterval(500);
    TimerDACOFF.start();
    if (TForm2 *w = m_windows.progress) {
        w->setWindowTitle(m_state.text(Txt::ZeroSearchCaption));
        w->ProgressBar->setRange(0, kZeroSearchSteps);
        w->ProgressBar->setValue(0);
        w->lbComent->setText(m_state.text(Txt::ZeroSearchStatus));
        w->lbSprob->setText(attemptText(m_calAttempt + 1));
        w->show();
        w->raise();
    }
    ui->cbAvtoCalibration->setChecked(true);
    setEnabled(false);
}

void TForm1::CalibrationCap()
{
    bool capdac = false, capoff = false;
    const int capdacField = ui->meCAPDAC->text().trimmed().toInt(&capdac);
    const int capoffField = ui->meCAPOFF->text().trimmed().toInt(&capoff);
    ZeroSearchInput in;
    in.measuredC = m_state.CalMeasuredC;
    in.crcOk = !m_state.link.CrcError;
    in.armed = m_state.CalStepArmed;
    in.capdacField = capdac ? capdacField : 0;
    in.capoffField = capoff ? capoffField : 0;
    in.stepCount = m_state.CalStepCount;
    const ZeroSearchStep step = zeroSearchStep(m_zero, in);
    if (!step.ran)
        return;
    m_state.CalStepArmed = false;
    TForm2 *w = m_windows.progress;
    if (w)
        w->ProgressBar->setValue(qMin(step.progress, w->ProgressBar->maximum()));
    if (step.cancelInitialCapoff)
        TimerDACOFF.stop();
    if (step.sendCapdac)
        sendCapdac(*step.sendCapdac);
    if (step.sendCapoff)
        sendCapoff(*step.sendCapoff);
    if (step.complete) {
        ZeroSearchComplete();
    } else if (step.attemptLimit) {
        // The abort handling starts the count again; the retry goes on counting.
        const int attempts = m_calAttempt + 1;
        if (w)
            w->close();
        m_calAttempt = attempts;
        TimerRepeat.start();
        if (w)
            w->lbSprob->setText(attemptText(m_calAttempt + 1));
    }
}

void TForm1::ZeroSearchComplete()
{
    if (TForm2 *w = m_windows.progress) {
        w->ProgressBar->setValue(kZeroSearchSteps);
        w->hide();
    }
    TimerReadData.setInterval(1000);
    TimerStart.stop();
    TimerReadData.stop();
    TimerReset.stop();
    m_dialogs->show(m_state.text(Txt::CalibrationDone));
    TimerStart.start();
    ui->cbAvtoCalibration->setChecked(false);
    m_zero.stage = false;
    setEnabled(true);
    activateWindow();
    m_calAttempt = 0;
    if (TForm2 *w = m_windows.progress)
        w->lbSprob->setText(attemptText(1));
}

void TForm1::Form2Close()
{
    TimerReadData.setInterval(1000);
    if (TForm2 *w = m_windows.progress) {
        w->hide();
        w->lbSprob->setText(attemptText(1));
    }
    TimerControlZond.stop();
    TimerSETCAPSET.start();
    // A search the installer cancelled is over: the next one is attempt 1.
    m_calAttempt = 0;
    if (m_state.ProbeDetectActive)
        TimerStartReadDate.start();
    m_zero.stage = false;
    m_zero.dacLowFound = false;
    m_zero.offLowFound = false;
    ui->cbAvtoCalibration->setChecked(false);
    setEnabled(true);
    activateWindow();
}

void TForm1::UpDownCAPDACClick(UpDown::Button)
{
    if (TimerStopedDAC.enabled())
        return;
    const int position = ui->UpDownCAPDAC->position();
    ui->meCAPDAC->setText(QStringLiteral("%1").arg(position, 2, 10, QLatin1Char('0')));
    if (!m_state.link.RestrictedCommands)
        sendCapdac(position);
    TimerStopedDAC.start();
}

void TForm1::UpDownCAPOFFClick(UpDown::Button)
{
    if (TimerStopedDAC.enabled())
        return;
    const int value = qBound(0, ui->UpDownCAPOFF->position() + 32768, 65535);
    ui->meCAPOFF->setText(QStringLiteral("%1").arg(value, 5, 10, QLatin1Char('0')));
    sendCapoff(ui->meCAPOFF->text().toInt());
    TimerStopedDAC.start();
}

void TForm1::meCAPDACChange()
{
    bool ok = false;
    const int v = ui->meCAPDAC->text().trimmed().toInt(&ok);
    if (ok)
        ui->UpDownCAPDAC->setPosition(v);
}

void TForm1::meCAPOFFChange()
{
    bool ok = false;
    const int v = ui->meCAPOFF->text().trimmed().toInt(&ok);
    if (ok && v >= 0 && v <= 65535)
        ui->UpDownCAPOFF->setPosition(v - 32768);
}

void TForm1::TimerDACOFFTimer()
{
    TimerDACOFF.stop();
    sendCapoff(kInitialCapoff);
}

void TForm1::TimerSETCAPSETTimer()
{
    TimerSETCAPSET.stop();
    BitBtn1Click();
}

void TForm1::TimerStopedDACTimer()
{
    TimerStopedDAC.stop();
    TimerReadData.start();
}

void TForm1::TimerlbRuhProcTimer()
{
    QPalette p = ui->lbRuhProc->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    ui->lbRuhProc->setPalette(p);
    ui->lbRuhProc->setVisible(!ui->lbRuhProc->isVisible());
}
