// TForm1: Port selection, device search, reply watchdog and polling.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::Button1Click() {}

void TForm1::COM1Click() {}

void TForm1::COM2Click() {}

void TForm1::cbRTSClick() {}

void TForm1::cbDTRClick() {}

void TForm1::TimerStartTimer() {}

void TForm1::TimerResetTimer() {}

void TForm1::TimerReadDataTimer() {}

void TForm1::TimerStartReadDateTimer() {}

void TForm1::TimerRepeatTimer() {}
