// TForm1: Zero setting controls: automatic search start, manual CAPDAC/CAPOFF, indicator blink.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::bbCalibrationClick() {}

void TForm1::UpDownCAPDACClick(UpDown::Button) {}

void TForm1::UpDownCAPOFFClick(UpDown::Button) {}

void TForm1::meCAPDACChange() {}

void TForm1::meCAPOFFChange() {}

void TForm1::TimerDACOFFTimer() {}

void TForm1::TimerSETCAPSETTimer() {}

void TForm1::TimerStopedDACTimer() {}

void TForm1::TimerlbRuhProcTimer() {}
