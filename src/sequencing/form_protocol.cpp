// TForm1: Protocol selection, protocol general data and the start of a tank calibration.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::N14Click() {}

void TForm1::BitBtn3Click() {}

void TForm1::bbOpenDiagram1Click() {}

void TForm1::BitBtn4Click() {}

void TForm1::bbOnChartClick() {}

void TForm1::cbNameUserKeyPress(int) {}

void TForm1::cbNameMashineKeyPress(int) {}
