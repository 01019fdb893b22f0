// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: the passport group of the information page ("  Паспортные данные  "):
// head type, firmware version, manufacture date and serial number. The identity
// decode fills the fields; the group's hidden button asks for the passport.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "link/frame.h"

void TForm1::bbReadSNClick()
{
    // The dispatcher presses the button after a 0x01 reply; the 12-byte reply
    // goes to the identity decode.
    WriteComand(currentAddress(), CommandTable.READ_SN);
}
