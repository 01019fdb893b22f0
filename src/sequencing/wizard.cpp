// TForm1: Wizard navigation between the pages and the normal/engineering views.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::BitBtn5Click() {}

void TForm1::BitBtn9Click() {}

void TForm1::BitBtn6Click() {}

void TForm1::BitBtn10Click() {}

void TForm1::BitBtn8Click() {}

void TForm1::BitBtn12Click() {}

void TForm1::BitBtn7Click() {}

void TForm1::BitBtn19Click() {}

void TForm1::BitBtn20Click() {}

void TForm1::BitBtn22Click() {}

void TForm1::BitBtn21Click() {}

void TForm1::BitBtn11Click() {}

void TForm1::PageControlChange() {}

void TForm1::N21Click() {}

void TForm1::N22Click() {}

void TForm1::N3Click() {}

void TForm1::BitBtn13Click() {}

void TForm1::BitBtn14Click() {}
