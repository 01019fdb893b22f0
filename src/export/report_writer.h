#pragma once
// The calibration report as a document: written as OpenDocument text (.odt)
// through Qt's document writer and as PDF, one A4 page; and the printout of a
// window image at its physical size. PDF and printing need a QGuiApplication.

#include "export/protocol_export.h"

#include <QString>

#include <QRectF>
#include <QSizeF>

class QImage;
class QPrinter;
class QTextDocument;

/// The report laid out: title 15 pt centred, the three-column table (50, 120
/// and 100 pt, borders), the job lines and the signatures in 12 pt. `pdf`
/// gives the widths in the 96-dpi pixels Qt's PDF rendering uses.
void buildReportDocument(const ReportContent &content, QTextDocument &doc, bool pdf);

/// Writes the report; the extension of `path` chooses the form (".odt" or
/// ".pdf"). Written under a temporary name and renamed over `path`. Empty
/// text on success, else why not.
[[nodiscard]] QString writeReport(const ReportContent &content, const QString &path);

/// Where an image of `size` device-independent pixels goes on a page of `dpi`
/// dots per inch: the top-left corner, at the physical size it has on a
/// 96-dpi screen.
QRectF printedRect(const QSizeF &size, int dpi);
/// Draws `image` at the top-left of one page, scaled so that it has the
/// physical size it has on a 96-dpi screen, whatever the display's scaling
/// (the image's device-pixel ratio).
[[nodiscard]] bool printImage(QPrinter &printer, const QImage &image);
