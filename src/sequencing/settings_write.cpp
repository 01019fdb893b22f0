// TForm1: The general-parameters page: chained settings writes and the read-back chain.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::bbNewAdresClick() {}

void TForm1::bbResetRefClick() {}

void TForm1::bbReadAvtomodClick() {}

void TForm1::bbPeriodClick() {}

void TForm1::cbPeriodClick() {}

void TForm1::RadioGroupClick() {}

void TForm1::TimerSetRepModeTimer() {}

void TForm1::TimerSETAVRGTimerTimer() {}

void TForm1::TimerSetPeriodTimer() {}

void TForm1::TimerSET_REP_MODE_3Timer() {}

void TForm1::TimerSET_INCL_LAN_ADRTimer() {}

void TForm1::TimerGETEXTPARAMTimer() {}

void TForm1::TimerGET_REP_MODE_3Timer() {}

void TForm1::TimerGET_INCL_LAN_ADRTimer() {}
