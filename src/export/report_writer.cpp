#include "export/report_writer.h"

#include "export/replace_file.h"

#include <QFile>
#include <QFileInfo>
#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextTable>

namespace {

constexpr double kColumnsPt[] = {50, 120, 100};

// The report's typeface: the word processors' serif body face (a metric twin
// of it on Linux), in which the header "Пользовательские, л." fits its
// 120 pt column and the signature line fits the page at 12 pt.
const QStringList &reportFamilies()
{
    static const QStringList families = {QStringLiteral("Times New Roman"),
                                         QStringLiteral("Liberation Serif"),
                                         QStringLiteral("Tinos"), QStringLiteral("serif")};
    return families;
}

QTextCharFormat sized(int pt)
{
    QTextCharFormat f;
    f.setFontFamilies(reportFamilies());
    f.setFontPointSize(pt);
    return f;
}

} // namespace

void buildReportDocument(const ReportContent &c, QTextDocument &doc, bool pdf)
{
    doc.clear();
    QTextCursor cur(&doc);
    // One edit: a document that has its layout already is laid out once, at
    // the end of the edit, instead of after every cell.
    cur.beginEditBlock();
    const QTextCharFormat title = sized(15);
    const QTextCharFormat body = sized(12);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);

    cur.setBlockFormat(centred);
    cur.setBlockCharFormat(title);
    cur.insertText(c.title, title);
    // The table follows the title directly: no empty paragraph between them.

    // The table: fixed column widths and a fixed total, so a word processor
    // does not stretch it over the page.
    const double scale = pdf ? 96.0 / 72.0 : 1.0;
    QTextTableFormat tf;
    tf.setBorder(1);
    tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    tf.setBorderCollapse(true);
    tf.setCellPadding(2);
    tf.setCellSpacing(0);
    tf.setAlignment(Qt::AlignLeft);
    QList<QTextLength> widths;
    double total = 0;
    for (double w : kColumnsPt) {
        widths << QTextLength(QTextLength::FixedLength, w * scale);
        total += w * scale;
    }
    tf.setColumnWidthConstraints(widths);
    tf.setWidth(QTextLength(QTextLength::FixedLength, total));
    QTextTable *table = cur.insertTable(int(c.rows.size()) + 1, 3, tf);
    auto cell = [&](int row, int col, const QString &text, const QTextBlockFormat &align) {
        QTextCursor cc = table->cellAt(row, col).firstCursorPosition();
        cc.setBlockFormat(align);
        cc.insertText(text, body);
    };
    for (int col = 0; col < 3; ++col)
        cell(0, col, c.header.value(col), left);
    for (size_t r = 0; r < c.rows.size(); ++r)
        for (int col = 0; col < 3; ++col)
            cell(int(r) + 1, col, c.rows[r].value(col), col == 0 ? centred : left);

    QTextCursor after = table->lastCursorPosition();
    after.movePosition(QTextCursor::NextBlock);
    after.setBlockFormat(left);
    after.setBlockCharFormat(body);
    // The block that follows the table is the empty line before the job data.
    // Qt's page layout gives that block no height, so on paper the empty line
    // is one more block.
    if (pdf)
        after.insertBlock(left, body);
    for (const QString &line : c.jobLines) {
        after.insertBlock(left, body);
        after.insertText(line, body);
    }
    after.insertBlock(left, body);
    after.insertBlock(left, body);
    after.insertBlock(left, body);
    after.insertText(c.signatures, body);
    cur.endEditBlock();
}

QString writeReport(const ReportContent &content, const QString &path)
{
    const QFileInfo fi(path);
    const bool pdf = fi.suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    const QString tmp = temporaryPathBeside(path);
    QTextDocument doc;
    QFont font = doc.defaultFont();
    font.setFamilies(reportFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPointSize(12);
    doc.setDefaultFont(font);
    bool ok = false;
    QString why;
    if (pdf) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(tmp);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
        // A document with a page size of its own is printed inside the page's
        // margins as it stands; without one the printing call adds 2 cm on
        // every side and a page number. The size is the printable area in the
        // 96-dpi pixels the layout measures in.
        doc.setDocumentMargin(0);
        doc.setPageSize(printer.pageLayout().paintRect(QPageLayout::Point).size() * (96.0 / 72.0));
        // The page is set and the layout made while the document is empty, so
        // the report is laid out once, when its one edit ends; printing then
        // only draws the pages.
        doc.documentLayout();
        buildReportDocument(content, doc, true);
        doc.print(&printer);
        ok = QFileInfo(tmp).size() > 0;
        why = QStringLiteral("the PDF could not be made");
    } else {
        buildReportDocument(content, doc, false);
        QTextDocumentWriter w(tmp, "odf");
        ok = w.write(&doc);
        why = w.device() ? w.device()->errorString() : QStringLiteral("no writer");
    }
    if (!ok) {
        QFile::remove(tmp);
        return QStringLiteral("Unable to write to %1: %2").arg(path, why);
    }
    return moveOver(tmp, path);
}

QRectF printedRect(const QSizeF &size, int dpi)
{
    return QRectF(0, 0, size.width() * dpi / 96.0, size.height() * dpi / 96.0);
}

bool printImage(QPrinter &printer, const QImage &image)
{
    QPainter p;
    if (!p.begin(&printer))
        return false;
    // A capture on a scaled display holds device pixels (twice as many at
    // scale 2); its size on screen is the device-independent one.
    p.drawImage(printedRect(image.deviceIndependentSize(), printer.resolution()), image);
    return p.end();
}
