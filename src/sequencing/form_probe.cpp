// TForm1: Probe class list, probe length detection and the probe-constants window.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::cbFleshSelect() {}

void TForm1::cbFleshChange() {}

void TForm1::bbSetSONDClick() {}

void TForm1::BitBtn1Click() {}

void TForm1::BitBtn2Click() {}

void TForm1::N9Click() {}

void TForm1::TimerControlZondTimer() {}

void TForm1::TimerContZLTimer()
{
    TimerContZL.stop();
    // The stored low reference's CAPOFF completes the reference offsets.
    const int capoff = state().sensor.RefZL_CAPOFF;
    QByteArray d;
    d.append(char(quint8(capoff & 0xFF)));
    d.append(char(quint8((capoff >> 8) & 0xFF)));
    WriteComand(currentAddress(), CommandTable.SET_CAPOFF, d);
}

void TForm1::TimerReadDateLenthZondTimer()
{
    TimerReadDateLenthZond.stop();
    WriteComand(currentAddress(), CommandTable.DATA_READ);
}
