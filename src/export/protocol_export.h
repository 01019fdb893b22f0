// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The documents made from a calibration protocol: one reader that takes a
// protocol file and returns what every export needs as plain values, and the
// contents of the spreadsheet, the report and the telematics table built from
// it. Nothing here touches a window or writes a file; the writers
// (spreadsheet_writer.h, report_writer.h) and the callers (the main window,
// kvtool) do that.

#include "tank/protocol_file.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

/// The documents made from a protocol; each reads only the keys it uses, so a
/// damaged key that a document never shows does not stop it.
enum class ExportDocument {
    Workbook,   ///< the general texts, "Flesh", and "TypeProbe" for a stored firmware 8
    Report,     ///< the five texts of the job lines
    Telematics, ///< no text at all
    All,        ///< every text any document reads
};

/// A stored point as the exports see it: its keys as stored (empty when
/// absent) and its level code and litres converted as the opening converts
/// them (an absent key counts as "0").
struct ExportPoint {
    int index = 0;
    PointKeys keys; ///< the seven texts as stored; absent keys empty
    std::optional<qint32> n;
    std::optional<double> litres;
    bool userSave() const { return keys.Status_Save == Protocol::kUserSave; }
    /// The report and the telematics table need both numbers.
    bool convertible() const { return n && litres; }
};

/// What the exports take from one protocol.
struct ExportData {
    QString path;
    qint32 version = 0; ///< "Version" (texts below 100 are stored, not encoded)
    /// The texts the document reads ("CompanyName" …, "Flesh", "TypeProbe"),
    /// decoded by the version; absent keys empty, keys the document does not
    /// read absent.
    QHash<QByteArray, QString> texts;
    /// The plain [User_Option] values as stored, by key folded to lower case
    /// (keys are found without regard to case, as the opening finds them).
    QHash<QByteArray, QString> plain;
    /// The stored value of a [User_Option] key; empty when absent.
    QString value(const QByteArray &key) const { return plain.value(key.toLower()); }
    /// Whether [User_Option] holds the key at all.
    bool has(const QByteArray &key) const { return plain.contains(key.toLower()); }
    /// Integers of [User_Option] (0 when absent or not a number).
    qint32 integer(const QByteArray &key) const;
    /// Every stored point (and point 0, stored or not), ascending index,
    /// whether its numbers convert or not: each document chooses.
    std::vector<ExportPoint> points;
    QStringList notes;
};

/// Reads a protocol for one document. Refuses a file that is not a protocol
/// (NotProtocol), reports a damaged encoded text that the document reads
/// (DamagedText) and an unreadable file (Io) as the opening does.
[[nodiscard]] ProtocolStatus readExportData(const QString &path, ExportDocument document,
                                            ExportData &out);
[[nodiscard]] inline ProtocolStatus readExportData(const QString &path, ExportData &out)
{
    return readExportData(path, ExportDocument::All, out);
}

/// The user points that the report and the telematics table leave out
/// because their level code or litres do not convert, ascending index.
std::vector<int> unconvertibleUserPoints(const ExportData &data);
/// What the window and kvtool say about them (Lang: 1 Russian, 0 English);
/// empty when there are none.
QString leftOutNote(const std::vector<int> &indices, int lang);

// ---- spreadsheet

struct SheetCell {
    enum class Kind { Text, Number, Formula };
    int row = 0; ///< 1-based
    int col = 0; ///< 1-based (A = 1)
    Kind kind = Kind::Text;
    QString text;      ///< text, or the formula ("=B2")
    double number = 0; ///< the number, or the formula's cached value
    QString format;    ///< number format of a number ("0.00"); empty: general
};

/// A chart of litres (column A) against level code (column B) over the rows
/// of the points, on a sheet of its own after the table's sheet.
struct SheetChart {
    int firstRow = 2, lastRow = 1; ///< 1-based; none when lastRow < firstRow + 1
    QString sheetName, title, levelTitle, litresTitle;
};

struct SheetContent {
    std::vector<SheetCell> cells;
    /// Column widths of A … H.
    std::vector<double> widths;
    SheetChart chart;
};

/// What the spreadsheet takes from the window when the protocol lacks a key:
/// the scale editors and the probe-type controls as they stand.
struct SheetDefaults {
    QString seUpVal, seDownVal, seFSMOffset, seFSMScale;
    QString cbFMSCALCPARAM, meZeroLen, mePermix;
    /// The connected sensor's firmware major version: 5 and 8 get the scale labels.
    int connectedMajor = 0;
};

/// The workbook's cells: the general block (labels in I, values in L), the
/// header row, and the points chosen by their status alone (with
/// `autosavePoints` every point with a status at the row of its index + 2,
/// else the user points packed from row 2). Columns A, B, C, E and G hold
/// numbers where the stored text converts (litres with two decimals, the
/// temperature with its sign) and the stored text where it does not.
SheetContent spreadsheetContent(const ExportData &data, bool autosavePoints,
                                const SheetDefaults &defaults, int lang);

// ---- report

struct ReportContent {
    QString title;                 ///< "Результаты тарирования."
    QStringList header;            ///< the table's three header cells
    std::vector<QStringList> rows; ///< number, litres (shortest form), level code
    QStringList jobLines;          ///< the six lines after the table
    QString signatures;
    /// The PDF's second page: the calibration curve of the user points (level
    /// code, litres; the table's order) and the table check's result, one
    /// line per finding ("Замечаний нет." when none); no page without points.
    std::vector<std::pair<double, double>> curve;
    QStringList checkLines;
};

/// The one-page report (Russian texts whatever the interface language).
ReportContent reportContent(const ExportData &data);

// ---- telematics table

/// The points of the telematics table, in its order: the user points whose N
/// and litres both convert, ascending index.
std::vector<const ExportPoint *> telematicsPoints(const ExportData &data);

/// Prefix, the user points as N:L pairs, suffix. `integerLevels`: N as an
/// integer (1500), else N / 1000 with a full stop (1.500). L is the integer
/// part of the litres (0012,50 -> 12, 12,5 -> 12). A point whose N or litres
/// do not convert is left out (unconvertibleUserPoints names them).
QString wlpContent(const ExportData &data, const QString &prefix, const QString &suffix,
                   bool integerLevels);

// ---- files

/// Where a document of the protocol goes: beside it, under its base name with
/// `extension` (".xlsx"); when that exists, " (2)", " (3)" … is added, so an
/// existing file is never overwritten.
QString documentPathBeside(const QString &protocolPath, const QString &extension);
/// The same for documents made together (".odt" and ".pdf"): one base name
/// and number for all, the first under which none of them exists.
QStringList documentPathsBeside(const QString &protocolPath, const QStringList &extensions);

/// The telematics table's bytes: Windows-1251, the single-byte code page the
/// monitoring system reads; a character it lacks is written as "?".
QByteArray wlpBytes(const QString &content);
