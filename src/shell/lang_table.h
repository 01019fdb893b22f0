// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The fixed bilingual string table of the interface. Entries are numbered from
// 1 and come in pairs: an odd entry is the Russian text, the even entry after it
// the English text of the same item. A text is addressed by the index K of its
// English entry; in the current language it is entry K - Lang.

#include <QString>

/// Interface language: 1 = Russian, 0 = English.
enum : int { LangEnglish = 0, LangRussian = 1 };

class LangTable {
public:
    static constexpr int Count = 594;

    /// Raw entry `index` (1 … Count); an empty string outside that range.
    static QString entry(int index);
};

/// The text of English index K in language `Lang`: entry K - Lang. A language
/// outside 0/1 is taken as the nearer of the two; an index that falls outside
/// the table gives an empty string.
QString LangText(int K, int Lang);
