// TForm1: Inclinometer page: azimuth and live tilt reading.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::meAzzKeyUp() {}

void TForm1::udAzzClick(UpDown::Button) {}

void TForm1::Button8Click() {}

void TForm1::Button9Click() {}

void TForm1::Button10Click() {}

void TForm1::cbModeInclClick() {}

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
