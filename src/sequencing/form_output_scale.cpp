// TForm1: The two output-scale pages and their write and read chains.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <cmath>
#include <cstring>

namespace {

QByteArray u16Data(int v)
{
    QByteArray d;
    d.append(char(quint8(v & 0xFF)));
    d.append(char(quint8((v >> 8) & 0xFF)));
    return d;
}

/// IEEE 754 single, lowest byte first; a NaN or infinite value goes out as 0
/// so that a damaged value read from the sensor is never written back.
void appendFloat(QByteArray &d, float f)
{
    if (!std::isfinite(f))
        f = 0.0f;
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i)
        d.append(char(quint8(bits >> (8 * i))));
}

} // namespace

void TForm1::SpeedButton1Click() {}

void TForm1::sbModeFSMClick() {}

void TForm1::seUpValChange() {}

void TForm1::seUpNCodeChange() {}

void TForm1::seUpInterRestChange() {}

void TForm1::seUpFreqChange() {}

void TForm1::seDownValChange() {}

void TForm1::seDownNCodeChange() {}

void TForm1::seDownInterRestChange() {}

void TForm1::seDownFreqChange() {}

void TForm1::BitBtn15Click() {}

void TForm1::BitBtn16Click() {}

void TForm1::BitBtn17Click() {}

void TForm1::BitBtn18Click() {}

void TForm1::cbModeFSMClick() {}

void TForm1::cbHUBonOffClick() {}

void TForm1::rbFRMAutoRefClick() {}

void TForm1::rbFRMRefClick() {}

void TForm1::udZeroLenClick(UpDown::Button) {}

void TForm1::meZeroLenKeyUp() {}

void TForm1::udPermixClick(UpDown::Button) {}

void TForm1::mePermixKeyUp() {}

void TForm1::TimerSETFSMOffsetTimer()
{
    TimerSETFSMOffset.stop();
    const int v = state().sensor.SensorExt.Version_DA_Up == 8 ? ui->seFSMOffset->value()
                                                              : ui->seUpVal->value();
    if (v >= 0 && v <= 0xFFFF)
        WriteComand(currentAddress(), CommandTable.SET_FSM_OFFSET, u16Data(v));
}

void TForm1::TimerSETFSMScaleTimer()
{
    TimerSETFSMScale.stop();
    const int v = state().sensor.SensorExt.Version_DA_Up == 8 ? ui->seFSMScale->value()
                                                              : ui->seDownVal->value();
    if (v >= 0 && v <= 0xFFFF)
        WriteComand(currentAddress(), CommandTable.SET_FSM_SCALE, u16Data(v));
}

void TForm1::TimerWriteSetFSMCalcParamTimer()
{
    TimerWriteSetFSMCalcParam.stop();
    const SensorState &s = state().sensor;
    // The probe type selected in the list; with none selected, the one last read.
    int mode = ui->cbFMSCALCPARAM->currentIndex();
    if (mode < 0)
        mode = qBound(0, s.FsmCalcMode, FsmCoefHigh);
    QByteArray d;
    d.append(char(quint8(mode)));
    appendFloat(d, float(ui->udPermix->position()) / 100.0f);
    for (float c : s.FsmCoef)
        appendFloat(d, c);
    WriteComand(currentAddress(), CommandTable.SET_FSM_CALC_PARAM, d);
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
