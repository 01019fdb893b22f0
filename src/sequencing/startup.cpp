// TForm1: Start-up, shutdown and the environment check of the main window.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::TimerStartWindowsTimer() {}

void TForm1::TimerSetProtocolTimer() {}

void TForm1::Timer1Timer() {}

void TForm1::TimerSystemTimeTimer() {}

void TForm1::FormClose() {}
