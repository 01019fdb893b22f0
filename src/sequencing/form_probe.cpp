// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: Probe class list, probe length detection and the probe-constants
// window. The length and the class it proposes come from
// calibration/probe_length.h; the handlers are connected in
// TForm1::connectHandlers().

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "calibration/Load_U.h"
#include "calibration/Property_Zond_U.h"
#include "calibration/probe_length.h"
#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "sensor/decode.h"

#include <QLabel>
#include <QProgressBar>

namespace {
constexpr int kDetectionTicks = 7;
} // namespace

void TForm1::wireProbeWindows()
{
    if (TForm2 *w = m_windows.progress)
        w->onClosed = [this] { Form2Close(); };
    if (TForm9 *w = m_windows.probe)
        w->onClosed = [this] {
            setEnabled(true);
            activateWindow();
        };
}

bool TForm1::sendProbeClass(quint8 command, int item)
{
    // After a range code the list does not have, no item is selected: the
    // sensor keeps its class, and a class nobody chose is never sent.
    if (item < 0 || item > 7) {
        m_dialogs->message(ProbeLength::noClassMessage(m_state.Lang), MsgIcon::Warning);
        return false;
    }
    WriteComand(currentAddress(), command, QByteArray(1, char(7 - item)));
    return true;
}

QString TForm1::probeClassText() const
{
    const int item = ui->cbFlesh->currentIndex();
    return item >= 0 ? ui->cbFlesh->itemText(item) : m_state.sensor.SensorParam.SondLen;
}

void TForm1::cbFleshSelect()
{
    TimerReadData.setInterval(2000);
    TimerReadData.stop();
    sendProbeClass(CommandTable.SET_SOND_LEN, ui->cbFlesh->currentIndex());
    applyProbeClassControls(true);
    TimerReadData.start();
}

void TForm1::cbFleshChange()
{
    TimerStart.stop();
    TimerReadData.stop();
    TimerReset.stop();
    // The zero gauges take the proportions of the class typed.
    applyGaugeLayout(
        decode::gaugeLayout(ui->cbFlesh->currentIndex(), m_state.sensor.SensorParam.Val_C));
}

void TForm1::bbSetSONDClick()
{
    sendProbeClass(CommandTable.SET_SOND_PAR, ui->cbFlesh->currentIndex());
}

void TForm1::BitBtn1Click()
{
    sendProbeClass(CommandTable.SET_SOND_LEN, ui->cbFlesh->currentIndex());
}

void TForm1::BitBtn2Click()
{
    // The length cannot come out of a linear capacitance of 0.
    if (m_windows.probe && m_windows.probe->cl() == 0) {
        m_dialogs->message(ProbeLength::noConstantMessage(m_state.Lang), MsgIcon::Warning);
        return;
    }
    if (m_dialogs->message(m_state.text(Txt::Attention) + QLatin1Char('\r') +
                               m_state.text(Txt::AttachProbe),
                           MsgIcon::Information, MsgButtons::OkCancel) != MsgAnswer::Ok)
        return;
    m_state.ProbeDetectActive = true;
    ui->edLongDA->clear();
    TimerReadData.stop();
    WriteComand(currentAddress(), CommandTable.READ_CAL_DATA);
    setEnabled(false);
    if (TForm2 *w = m_windows.progress) {
        w->setWindowTitle(m_state.text(Txt::RangeEstimate));
        w->ProgressBar->setRange(0, kDetectionTicks);
        w->ProgressBar->setValue(0);
        w->lbComent->setText(m_state.text(Txt::MeasuringProgress));
        w->show();
        w->raise();
    }
    m_detectTicks = 0;
    TimerControlZond.start();
}

void TForm1::TimerControlZondTimer()
{
    const double cf1 = m_windows.probe ? m_windows.probe->cf1() : 1.725;
    const double cl = m_windows.probe ? m_windows.probe->cl() : 0.01633;
    TimerReadData.stop();
    WriteComand(currentAddress(), CommandTable.READ_CAL_DATA);
    ++m_detectTicks;
    if (m_windows.progress)
        m_windows.progress->ProgressBar->setValue(m_detectTicks);
    if (m_detectTicks < kDetectionTicks)
        return;

    const int code = ui->edCCod->text().trimmed().toInt();
    const ProbeLength::Result r = ProbeLength::evaluate(m_state.sensor.RefZL_C, code, cf1, cl);
    if (m_windows.progress)
        m_windows.progress->hide(); // no abort handling
    setEnabled(true);
    activateWindow();
    TimerControlZond.stop();
    // The detection ends before any message: a reference-data reply that
    // arrives while a message is open must not put the reference offsets back
    // on the sensor after the class has been sent.
    m_state.ProbeDetectActive = false;
    TimerContZL.stop();
    const int before = ui->cbFlesh->currentIndex();
    double length = 0;
    if (r.outcome == ProbeLength::Result::Outcome::Length) {
        length = r.length;
        ui->edLongDA->setText(m_state.number.format("%5.0f", length).trimmed());
    } else {
        QString text;
        if (r.outcome == ProbeLength::Result::Outcome::NoConstant)
            text = ProbeLength::noConstantMessage(m_state.Lang);
        else if (r.outcome == ProbeLength::Result::Outcome::TooLong)
            text = ProbeLength::tooLongMessage(m_state.number.format("%5.0f", r.length),
                                               m_state.Lang);
        else
            text = m_state.text(Txt::ProbeLengthFailed) + QLatin1Char('\r') +
                   m_state.text(Txt::CheckProbe);
        m_dialogs->show(text);
        ui->edLongDA->clear();
        sendProbeClass(CommandTable.SET_SOND_LEN, before);
    }

    const ProbeLength::Proposal p = ProbeLength::propose(length);
    if (p.item >= 0) {
        const QString head =
            m_state.text(Txt::Attention) + QLatin1Char('\r') + m_state.text(Txt::EffectiveLength) +
            m_state.number.format("%5.0f", length) +
            (m_state.Lang == LangRussian ? QStringLiteral(" мм ") : QStringLiteral(" mm "));
        if (p.userClass) {
            m_dialogs->show(head + m_state.text(p.item == 7 ? Txt::SetUserL : Txt::SetUserH));
            ui->cbFlesh->setCurrentIndex(p.item);
            sendProbeClass(CommandTable.SET_SOND_LEN, p.item);
            TimerSETCAPSET.start();
        } else {
            // Items 5 … 0 are the classes 260 … 710, asked as 192 … 202.
            const int question = Txt::SetClass260 + 2 * (5 - p.item);
            const MsgAnswer a = m_dialogs->message(head + m_state.text(question),
                                                   MsgIcon::Information, MsgButtons::YesNo);
            if (a == MsgAnswer::Yes) {
                ui->cbFlesh->setCurrentIndex(p.item);
                sendProbeClass(CommandTable.SET_SOND_LEN, p.item);
            } else {
                sendProbeClass(CommandTable.SET_SOND_LEN, before);
            }
        }
    }
    applyProbeClassControls(true);
    m_state.sensor.SensorParam.ProtocolLengProbe = ui->edLongDA->text();
}

void TForm1::N9Click()
{
    if (!m_windows.probe)
        return;
    setEnabled(false);
    m_windows.probe->setEnabled(true);
    m_windows.probe->show();
    m_windows.probe->raise();
}

void TForm1::TimerContZLTimer()
{
    TimerContZL.stop();
    // The stored low reference's CAPOFF completes the reference offsets.
    sendCapoff(state().sensor.RefZL_CAPOFF);
}

void TForm1::TimerReadDateLenthZondTimer()
{
    TimerReadDateLenthZond.stop();
    WriteComand(currentAddress(), CommandTable.DATA_READ);
}
