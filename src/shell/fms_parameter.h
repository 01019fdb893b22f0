// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// "FMSParameter.ini": the display names of the eight probe types of the
// automatic output-scale calculation (section "SET_FSN_PARAM", keys "Name0" …
// "Name7"). The tool only reads it. It is parsed here by hand, the way the
// private-profile functions read such files: section and key names without
// regard to case, blanks around "=" and the value dropped, a pair of quotes
// around the value dropped, ";" lines are comments, the first occurrence of a
// key wins. CRLF or LF line ends and a UTF-8 byte-order mark are accepted.
//
// Encoding: content that is valid UTF-8 is read as UTF-8; anything else is
// read as Windows-1251, the code page such files were written in before.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct FmsParameterFile {
    /// Always eight entries; a missing key gives its index ("0" … "7").
    QStringList names;
    /// The file that was read; empty when none was found.
    QString path;
};

class FmsParameter {
public:
    static constexpr int Count = 8;
    static inline const QString FileName = QStringLiteral("FMSParameter.ini");

    /// The working directory, then the folder of the executable.
    static QStringList defaultSearchDirs();
    /// Reads the first readable "FMSParameter.ini" found in `dirs` (in order;
    /// a case-insensitive match of the name is accepted when the exact one is
    /// missing). No file at all gives the eight index names.
    static FmsParameterFile read(const QStringList &dirs = defaultSearchDirs());
    /// The eight names from a file's bytes.
    static QStringList parse(const QByteArray &content);
    /// UTF-8 when valid, else Windows-1251.
    static QString decode(const QByteArray &bytes);
};
