// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The calibration report as a document: written as OpenDocument text (.odt)
// through Qt's document writer and as PDF on A4 pages, the table's pages and
// then a page with the calibration curve and the table check; and the printout of a
// window image at its physical size. PDF and printing need a QGuiApplication.

#include "export/protocol_export.h"

#include <QString>

#include <QRectF>
#include <QSizeF>

class QImage;
class QPrinter;
class QTextDocument;
class QTextTable;

/// The forms of the report's document: for the .odt (widths in points, the
/// table's lines part of the document); for a PDF whose table lines Qt draws
/// (widths in the 96-dpi pixels Qt's PDF rendering uses); and for the PDF as
/// written: the same text at the same places in a table without lines, whose
/// lines writeReport draws.
enum class ReportLayout { Odt, PdfBordered, Pdf };

/// The report laid out: title 15 pt centred, the three-column table (50, 120
/// and 100 pt, borders), the job lines and the signatures in 12 pt. Returns
/// the table.
QTextTable *buildReportDocument(const ReportContent &content, QTextDocument &doc,
                                ReportLayout layout);

/// Who draws the lines of the PDF's table: the report writer, over the table
/// without lines (ReportLayout::Pdf), or Qt's document painter, over the
/// bordered table, about three times slower. Both give the same table pages;
/// the curve page after them (ReportContent::curve) comes with the first.
enum class PdfGrid { Drawn, Qt };

/// Writes the report; the extension of `path` chooses the form (".odt" or
/// ".pdf"). Written under a temporary name and renamed over `path`. Empty
/// text on success, else why not.
[[nodiscard]] QString writeReport(const ReportContent &content, const QString &path,
                                  PdfGrid grid = PdfGrid::Drawn);

/// Where an image of `size` device-independent pixels goes on a page of `dpi`
/// dots per inch: the top-left corner, at the physical size it has on a
/// 96-dpi screen.
QRectF printedRect(const QSizeF &size, int dpi);
/// Draws `image` at the top-left of one page, scaled so that it has the
/// physical size it has on a 96-dpi screen, whatever the display's scaling
/// (the image's device-pixel ratio).
[[nodiscard]] bool printImage(QPrinter &printer, const QImage &image);
