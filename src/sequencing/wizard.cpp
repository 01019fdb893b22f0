// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: the wizard. Pages are revealed one after another with the "Далее" and
// "Назад" buttons in the order of the connected sensor's firmware and model;
// every page change re-reads the sensor and adjusts polling. The "Вид" menu
// switches between the normal and the engineering view.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "link/frame.h"
#include "shell/AvtoSave_U.h"

#include <QTabBar>
#include <cmath>

namespace {
constexpr int kPageChangePollMs = 2000;

} // namespace

// ---- pages

void TForm1::showPage(QWidget *page)
{
    QTabWidget *pc = ui->PageControl;
    const int i = pc->indexOf(page);
    if (i < 0)
        return;
    pc->setTabVisible(i, true);
    pc->setCurrentIndex(i);
}

void TForm1::showVisibleTab(int index)
{
    QTabWidget *pc = ui->PageControl;
    for (int i = 0, v = 0; i < pc->count(); ++i) {
        if (!pc->isTabVisible(i))
            continue;
        if (v == index) {
            pc->setCurrentIndex(i);
            return;
        }
        ++v;
    }
}

void TForm1::stepVisibleTab(int direction)
{
    QTabWidget *pc = ui->PageControl;
    const int n = pc->count();
    for (int step = 1, i = pc->currentIndex(); step < n; ++step) {
        i = (i + direction + n) % n;
        if (pc->isTabVisible(i) && pc->isTabEnabled(i)) {
            pc->setCurrentIndex(i);
            return;
        }
    }
}

void TForm1::applyProbeClassControls(bool withBitBtn1, bool pageChange)
{
    // The six fixed probe classes come with their offsets; only the two user
    // classes are set by hand.
    const bool userClass = ui->cbFlesh->currentIndex() > 5;
    if (pageChange && userClass && recordingPlays())
        return;
    QWidget *controls[] = {ui->bbCalibration, ui->UpDownCAPDAC, ui->UpDownCAPOFF, ui->bbSetSOND};
    for (QWidget *w : controls)
        w->setEnabled(userClass);
    if (withBitBtn1)
        ui->BitBtn1->setEnabled(userClass);
}

// ---- the sensor re-read of a page change

void TForm1::requestPageRead()
{
    WriteComand(currentAddress(), CommandTable.READ_PARAM);
}

// ---- page-change step and protocol check

void TForm1::NextTab()
{
    if (visibleTabIndex() == 1) {
        // No polling while the settings are edited; a restart still pending
        // from the page before would switch it on here.
        TimerStart.stop();
        TimerReadData.stop();
        TimerReset.stop();
        TimerStartReadDate.stop();
    } else {
        TimerReadData.start();
        TimerStartReadDate.start();
    }

    // The sensor has not answered the last request: back to the information page.
    if (TimerReset.enabled())
        showVisibleTab(0);

    const int tab = visibleTabIndex();
    if (tab >= 0 && tab != 1) {
        TimerReadData.setInterval(kPageChangePollMs);
        requestPageRead();
    }

    applyProbeClassControls(true, true);
}

TForm1::ProtocolAnswer TForm1::ProtocolCheck()
{
    if (!m_state.CurrentProtocolFile.isEmpty())
        return ProtocolAnswer::Loaded;
    const MsgAnswer answer = m_dialogs->message(m_state.text(Txt::Attention) + QLatin1Char('\r') +
                                                    m_state.text(Txt::AttachProtocol),
                                                MsgIcon::Warning, MsgButtons::YesNo);
    if (answer == MsgAnswer::Yes) {
        BitBtn3Click();
        showPage(ui->TabSheet4);
        return ProtocolAnswer::Yes;
    }
    showPage(ui->TabSheet3);
    ui->PageControl->setTabVisible(ui->PageControl->indexOf(ui->TabSheet4), false);
    return ProtocolAnswer::No;
}

// ---- navigation buttons

void TForm1::BitBtn5Click()
{
    showPage(ui->TabSheet1);
    NextTab();
}

void TForm1::BitBtn9Click()
{
    showPage(ui->TabSheet3);
    NextTab();
}

void TForm1::BitBtn6Click()
{
    const int major = m_state.sensor.SensorParam.Version_H;
    const int model = m_state.sensor.SensorParam.IntModel;
    if (major <= 5) {
        // The scale-setting mode exists from firmware 5 on.
        ui->sbModeFSM->setEnabled(major > 4);
        if (isFullFeatureModel(model)) {
            showPage(ui->TabSheet2);
        } else if (major > 4) {
            showPage(ui->TabSheet5);
        } else {
            showPage(ui->TabSheet4);
            ProtocolCheck();
        }
        NextTab();
    } else if (major == 8) {
        showPage(ui->TabSheet6);
        NextTab();
    }
    // Firmware 6 and 7 have no page after the general parameters.
}

void TForm1::BitBtn10Click()
{
    showPage(ui->TabSheet1);
    NextTab();
}

void TForm1::BitBtn8Click()
{
    if (m_state.sensor.SensorParam.Version_H > 4) {
        showPage(ui->TabSheet5);
        NextTab();
        return;
    }
    showPage(ui->TabSheet4);
    NextTab();
    ProtocolCheck();
}

void TForm1::BitBtn12Click()
{
    showPage(isFullFeatureModel(m_state.sensor.SensorParam.IntModel) ? ui->TabSheet2
                                                                     : ui->TabSheet1);
    NextTab();
}

void TForm1::BitBtn7Click()
{
    showPage(ui->TabSheet4);
    NextTab();
    ProtocolCheck();
}

void TForm1::BitBtn19Click()
{
    showPage(ui->TabSheet1);
    NextTab();
}

void TForm1::BitBtn20Click()
{
    showPage(ui->TabSheet7);
    NextTab();
}

void TForm1::BitBtn22Click()
{
    showPage(ui->TabSheet6);
    NextTab();
}

void TForm1::BitBtn21Click()
{
    showPage(ui->TabSheet4);
    if (ProtocolCheck() == ProtocolAnswer::Yes)
        NextTab();
}

void TForm1::BitBtn11Click()
{
    const int major = m_state.sensor.SensorParam.Version_H;
    QWidget *back = nullptr;
    if (major == 5)
        back = ui->TabSheet5;
    else if (major <= 4)
        back =
            isFullFeatureModel(m_state.sensor.SensorParam.IntModel) ? ui->TabSheet2 : ui->TabSheet1;
    else if (major == 8)
        back = ui->TabSheet7;
    if (!back)
        return; // firmware 6 and 7: no page before the protocol data
    showPage(back);
    NextTab();
}

// ---- a tab chosen by the user

void TForm1::PageControlChange()
{
    if (visibleTabIndex() == 1 && !monitoringVisible()) {
        TimerStart.stop();
        TimerReadData.stop();
        TimerReset.stop();
    }

    // The inclinometer readings stop whenever a firmware-8 sensor leaves its page.
    const int major = m_state.sensor.SensorParam.Version_H;
    if (major == 8)
        Button10Click();
    // The protocol question comes on the tab where the firmware's page order
    // puts the protocol data: index 4 for the full-featured heads up to
    // firmware 5 and for firmware 8, index 3 for the other heads up to
    // firmware 5. Firmware 1 and 4 have fewer pages and are not asked here;
    // "Далее" on the protocol page still asks for a protocol.
    const int clicked = visibleTabIndex();
    const bool fullFeature = isFullFeatureModel(m_state.sensor.SensorParam.IntModel);
    if ((major <= 5 && clicked == (fullFeature ? 4 : 3)) || (major == 8 && clicked == 4))
        ProtocolCheck();

    if (TimerReset.enabled())
        showVisibleTab(0);

    const int tab = visibleTabIndex();
    if (tab == 0 || tab == 2 || tab == 3) {
        TimerReadData.stop();
        TimerReadData.setInterval(kPageChangePollMs);
        requestPageRead();
    }

    applyProbeClassControls(false, true);

    // A tab click restarts polling on every page (1000 ms after 500 ms).
    TimerReadData.start();
    TimerStartReadDate.start();
}

// ---- views

void TForm1::applyView(bool engineering)
{
    ui->N21->setChecked(!engineering);
    ui->N22->setChecked(engineering);
    ui->cbRTS->setVisible(engineering);
    ui->cbDTR->setVisible(engineering);
    // The line check boxes sit in the speed row, so the port group keeps the
    // height its layout gives it in both views.
    QWidget *capacitance[] = {ui->Label39, ui->GroupBox10, ui->Label14, ui->edC};
    for (QWidget *w : capacitance)
        w->setVisible(engineering);
    ui->N5->setVisible(engineering);
    if (m_windows.settings)
        m_windows.settings->setEngineeringView(engineering);
}

void TForm1::N21Click()
{
    applyView(false);
}

void TForm1::N22Click()
{
    applyView(true);
}

void TForm1::N3Click()
{
    close();
}

// ---- scale page: the current reading as one end of the scale

void TForm1::setScaleEndFromCurrent(QSpinBox *val, QSpinBox *nCode, QSpinBox *interRest,
                                    QSpinBox *freq)
{
    const TParamKV &p = m_state.sensor.SensorParam;
    val->setValue(p.Val_C);
    nCode->setValue(p.Val_N);
    interRest->setValue(int(std::floor(ui->Gauge4->progress() / 65535.0 * 100)));
    freq->setValue(frequencyFromCode(val->value()));
}

void TForm1::BitBtn13Click()
{
    setScaleEndFromCurrent(ui->seUpVal, ui->seUpNCode, ui->seUpInterRest, ui->seUpFreq);
}

void TForm1::BitBtn14Click()
{
    setScaleEndFromCurrent(ui->seDownVal, ui->seDownNCode, ui->seDownInterRest, ui->seDownFreq);
}
