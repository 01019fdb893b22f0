// TForm1: The two output-scale pages and their write and read chains.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

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

void TForm1::TimerSETFSMOffsetTimer() {}

void TForm1::TimerSETFSMScaleTimer() {}

void TForm1::TimerWriteSetFSMCalcParamTimer() {}

void TForm1::TimerReadFSM_CALC_PARAMTimer() {}

void TForm1::TimerReadAxsKTimer() {}

void TForm1::TimerReadCalDataTimer() {}
