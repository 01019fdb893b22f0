// TForm1: the reply dispatcher — what each accepted reply sets in motion, and
// the updates after every received chunk.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

void TForm1::DispatchReply(const QByteArray &) {}

void TForm1::EndOfChunk() {}
