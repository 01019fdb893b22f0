// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: the information page's refresh, twice a second while the port is
// open. It copies the latest decoded values into the page, turns the level code
// into litres through the open protocol, and keeps the enabled state of the
// scale and zero-setting controls in line with the modes chosen on their pages.
// It sends nothing to the sensor.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "common/lang_ids.h"
#include "tank/litres.h"

#include <QPalette>
#include <cmath>
#include <initializer_list>

namespace {

void enableAll(std::initializer_list<QWidget *> widgets, bool on)
{
    for (QWidget *w : widgets)
        w->setEnabled(on);
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    if (pal.color(QPalette::WindowText) == colour)
        return;
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}
} // namespace

void TForm1::TimerWriteDataParamTimer()
{
    const TParamKV &p = m_state.sensor.SensorParam;
    const TDateProtokol &protocol = m_state.ProtocolData;
    const bool loaded = !m_state.CurrentProtocolFile.isEmpty();
    auto text = [this](int k) { return m_state.text(k); };
    auto onOff = [&text](bool on) { return text(on ? Txt::On : Txt::Off); };

    // 1. Protocol marker: the protocol's values in red while none is open.
    const QColor normal = palette().color(QPalette::WindowText);
    const QColor marker = loaded ? normal : QColor(Qt::red);
    setTextColour(ui->Label38, marker);
    setTextColour(ui->Label45, marker);
    ui->bbOpenDiagram1->setEnabled(loaded);

    // 2. Full scale.
    const qint32 fullScale = Litres::fullScale(loaded, protocol.UserPoints, p.DigitData);

    // 3. Litres. A table left over from a protocol that is no longer open
    // (another sensor was connected) gives no litres.
    const std::optional<double> litres =
        loaded ? Litres::atCode(protocol.UserPoints, p.Val_N) : std::nullopt;
    if (litres) {
        ui->Label38->setText(m_state.number.format("%3.1f", *litres));
    } else {
        ui->Label38->setText(text(Txt::NotAvailable));
        ui->GroupBox12->setToolTip(text(Txt::NoLevelData));
    }

    // 4. Output modes.
    ui->Label68->setText(onOff(p.Centre));
    ui->Label50->setText(onOff(p.SetPeriodDate));
    ui->Label42->setText(onOff(p.FormatDate));
    ui->Label71->setText(onOff(m_state.sensor.SensorExt.ModeFreqOut));

    // 5. Gauges. An unknown scale leaves the level gauge's range alone (a
    // range of 0 would turn it into a busy bar).
    if (fullScale > 0)
        ui->Gauge3->setMaximum(fullScale);
    ui->Gauge3->setProgress(p.Val_N);
    ui->Gauge4->setProgress(p.Val_C);

    // 6. Filling in percent.
    if (fullScale != 0)
        ui->Label54->setText(
            QString::number(qint64(std::floor(double(p.Val_N) / fullScale * 100))) +
            QLatin1Char('%'));

    // 7. Codes and settings.
    const QString c = QString::number(p.Val_C);
    ui->Label48->setText(QString::number(p.NETADDR));
    ui->Label49->setText(p.DigitData);
    ui->Label36->setText(c);
    ui->Label96->setText(c);
    ui->Label37->setText(QString::number(p.Val_N));
    ui->Label44->setText(p.SondLen);

    // 8. A pressed tank button keeps the code captured when it went down.
    if (!ui->sbFullTanck->isChecked())
        ui->sbFullTanck->setText(c);
    if (!ui->sbZeroTanck->isChecked())
        ui->sbZeroTanck->setText(c);

    // 9. Probe length of the protocol.
    ui->Label45->setText(loaded && protocol.LengthProbe != QLatin1String("0")
                             ? protocol.LengthProbe
                             : text(Txt::NotAvailable));

    // 10. Full-scale mode: the scale ends are not set while it is on.
    const bool fullScaleMode = ui->SpeedButton1->isChecked();
    enableAll({ui->Label75, ui->Label76, ui->Label77, ui->Label78, ui->Label79, ui->Label80,
               ui->Label81, ui->Label82, ui->seUpVal, ui->seUpNCode, ui->seUpInterRest,
               ui->seUpFreq, ui->seDownVal, ui->seDownNCode, ui->seDownInterRest, ui->seDownFreq,
               ui->BitBtn13, ui->BitBtn14},
              !fullScaleMode);
    ui->SpeedButton1->setText(text(fullScaleMode ? Txt::FullScaleModeOff : Txt::FullScaleModeOn));

    // 11. Output scale (firmware 8): nothing is set by hand in the setup mode or
    // with the HUB on, the arrows of the two edits included.
    if (ui->cbModeFSM->isChecked() || ui->cbHUBonOff->isChecked()) {
        enableAll({ui->Label84, ui->seFSMOffset, ui->BitBtn15, ui->rbFRMRef, ui->rbFRMAutoRef,
                   ui->Label88, ui->seFSMScale, ui->BitBtn16, ui->Label86, ui->cbFMSCALCPARAM,
                   ui->Label85, ui->meZeroLen, ui->Label87, ui->mePermix, ui->udZeroLen,
                   ui->udPermix, ui->BitBtn17, ui->BitBtn18},
                  false);
    } else {
        enableAll({ui->Label84, ui->seFSMOffset, ui->BitBtn15, ui->rbFRMRef, ui->rbFRMAutoRef,
                   ui->BitBtn17, ui->BitBtn18},
                  true);
        enableAll({ui->Label88, ui->seFSMScale, ui->BitBtn16}, ui->rbFRMRef->isChecked());
        enableAll({ui->Label86, ui->cbFMSCALCPARAM, ui->Label85, ui->meZeroLen, ui->Label87,
                   ui->mePermix, ui->udZeroLen, ui->udPermix},
                  ui->rbFRMAutoRef->isChecked());
    }

    // 12. Zero setting and probe class: locked while the scale-setting mode is
    // on; the manual offsets only for the two user probe classes.
    if (ui->sbModeFSM->isChecked()) {
        enableAll({ui->Label23, ui->edLongDA, ui->Label30, ui->Label21, ui->BitBtn2, ui->Label6,
                   ui->cbFlesh, ui->Label24, ui->Label25, ui->Label26, ui->bbCalibration,
                   ui->Label3, ui->UpDownCAPDAC, ui->Label5, ui->UpDownCAPOFF, ui->bbSetSOND,
                   ui->BitBtn1},
                  false);
        ui->sbModeFSM->setText(text(Txt::FullScaleModeOff));
    } else {
        enableAll({ui->Label23, ui->edLongDA, ui->Label30, ui->Label21, ui->BitBtn2, ui->Label6,
                   ui->cbFlesh, ui->Label24, ui->Label25, ui->Label26},
                  true);
        enableAll({ui->bbCalibration, ui->Label3, ui->UpDownCAPDAC, ui->Label5, ui->UpDownCAPOFF,
                   ui->bbSetSOND, ui->BitBtn1},
                  ui->cbFlesh->currentIndex() > 5);
        ui->sbModeFSM->setText(text(Txt::FullScaleModeOn));
    }
}
