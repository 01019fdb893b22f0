// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/lang_table.h"

namespace LangTableData {
extern const char *const entries[LangTable::Count + 1];
}

QString LangTable::entry(int index)
{
    if (index < 1 || index > Count)
        return QString();
    return QString::fromUtf8(LangTableData::entries[index]);
}

QString LangText(int K, int Lang)
{
    const int lang = Lang > LangRussian ? LangRussian : (Lang < LangEnglish ? LangEnglish : Lang);
    return LangTable::entry(K - lang);
}
