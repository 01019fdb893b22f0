// TForm1: Menu commands that turn the open protocol into documents.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::N6Click() {}

void TForm1::txt1Click() {}

void TForm1::N20Click() {}

void TForm1::WORD1Click() {}
