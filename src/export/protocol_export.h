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
#include <vector>

/// A stored point as the exports see it: its keys as stored (empty when
/// absent) and the usable values of the opening's rule.
struct ExportPoint {
    int index = 0;
    PointKeys keys;    ///< the seven texts as stored; absent keys empty
    qint32 n = 0;      ///< FilterN as the opening reads it
    double litres = 0; ///< liter as the opening reads it
    bool userSave() const { return keys.Status_Save == Protocol::kUserSave; }
};

/// What the exports take from one protocol.
struct ExportData {
    QString path;
    qint32 version = 0; ///< "Version" (texts below 100 are stored, not encoded)
    /// The general texts by key ("CompanyName" …, "Flesh", "TypeProbe"),
    /// decoded by the version; absent keys empty.
    QHash<QByteArray, QString> texts;
    /// The plain [User_Option] values as stored ("CAPDAC", "SN", …); absent keys absent.
    QHash<QByteArray, QString> plain;
    /// Integers of [User_Option] (0 when absent or not a number).
    qint32 integer(const QByteArray &key) const;
    /// Whether [User_Option] holds the key at all.
    bool has(const QByteArray &key) const { return plain.contains(key); }
    /// The usable points (the opening's rule), ascending index.
    std::vector<ExportPoint> points;
    QStringList notes;
};

/// Reads a protocol for the exports. Refuses a file that is not a protocol
/// (NotProtocol), reports a damaged encoded text (DamagedText) and an
/// unreadable file (Io) as the opening does.
[[nodiscard]] ProtocolStatus readExportData(const QString &path, ExportData &out);

// ---- spreadsheet

struct SheetCell {
    enum class Kind { Text, Number, Formula };
    int row = 0; ///< 1-based
    int col = 0; ///< 1-based (A = 1)
    Kind kind = Kind::Text;
    QString text;      ///< text, or the formula ("=B2")
    double number = 0; ///< the number, or the formula's cached value
};

struct SheetContent {
    std::vector<SheetCell> cells;
    /// Column widths of A … H.
    std::vector<double> widths;
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
/// header row, and the points (with `autosavePoints` every point with a
/// status at the row of its index + 2, else the user points packed from row 2).
SheetContent spreadsheetContent(const ExportData &data, bool autosavePoints,
                                const SheetDefaults &defaults, int lang);

// ---- report

struct ReportContent {
    QString title;                 ///< "Результаты тарирования."
    QStringList header;            ///< the table's three header cells
    std::vector<QStringList> rows; ///< number, litres (shortest form), level code
    QStringList jobLines;          ///< the six lines after the table
    QString signatures;
};

/// The one-page report (Russian texts whatever the interface language).
ReportContent reportContent(const ExportData &data);

// ---- telematics table

/// Prefix, the user points as N:L pairs, suffix. `integerLevels`: N as an
/// integer (1500), else N / 1000 with a full stop (1.500). L is the integer
/// part of the litres (0012,50 -> 12, 12,5 -> 12). A point whose N or litres
/// do not convert is left out.
QString wlpContent(const ExportData &data, const QString &prefix, const QString &suffix,
                   bool integerLevels);

// ---- files

/// Where a document of the protocol goes: beside it, under its base name with
/// `extension` (".xlsx"); when that exists, " (2)", " (3)" … is added, so an
/// existing file is never overwritten.
QString documentPathBeside(const QString &protocolPath, const QString &extension);
