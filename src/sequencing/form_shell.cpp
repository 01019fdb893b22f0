// TForm1: Shell commands: terminal window, settings windows, language, About and Help.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::N5Click() {}

void TForm1::N12Click() {}

void TForm1::N16Click() {}

void TForm1::English1Click() {}

void TForm1::Rus1Click() {}

void TForm1::N10Click() {}

void TForm1::N13Click() {}
