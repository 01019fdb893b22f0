// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/report_writer.h"

#include "export/replace_file.h"

#include "common/numfmt.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kColumnsPt[] = {50, 120, 100};
// The PDF's table without lines: its margin and its cells' padding, in the
// layout's 96-dpi pixels.
constexpr double kGridTableMargin = 1.5;
constexpr double kGridCellPadding = 2.5;

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

QTextTable *buildReportDocument(const ReportContent &c, QTextDocument &doc, ReportLayout layout)
{
    const bool pdf = layout != ReportLayout::Odt;
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
    tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    tf.setCellSpacing(0);
    tf.setAlignment(Qt::AlignLeft);
    if (layout == ReportLayout::Pdf) {
        // No lines of its own, and its text where the bordered table puts
        // it: that table's 1-pixel lines and 2-pixel padding put the text 2.5
        // pixels inside each cell's line, and the table 1.5 pixels inside
        // its place.
        tf.setBorder(0);
        tf.setMargin(kGridTableMargin);
        tf.setCellPadding(kGridCellPadding);
    } else {
        tf.setBorder(1);
        tf.setBorderCollapse(true);
        tf.setCellPadding(2);
    }
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
    return table;
}

namespace {

void setReportFont(QTextDocument &doc)
{
    QFont font = doc.defaultFont();
    font.setFamilies(reportFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPointSize(12);
    doc.setDefaultFont(font);
}

// The lines of the report's table as Qt draws those of the bordered table,
// in whole pixels of the layout: each line lies in the pixel before a cell's
// box (the box takes the cell's text and its padding). `columns` holds the x
// of every vertical line, `rows` the y of the line above each row and, last,
// the y of the line under the table.
struct ReportGrid {
    QList<int> columns;
    QList<int> rows;
};

ReportGrid reportGrid(const QTextDocument &doc, QTextTable *t)
{
    ReportGrid g;
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    auto box = [&](int row, int col) {
        const QRectF text = layout->blockBoundingRect(t->cellAt(row, col).begin().currentBlock());
        return text.adjusted(-kGridCellPadding, -kGridCellPadding, kGridCellPadding,
                             kGridCellPadding);
    };
    for (int col = 0; col < t->columns(); ++col)
        g.columns << qRound(box(0, col).left()) - 1;
    g.columns << qRound(box(0, t->columns() - 1).right()) - 1;
    for (int row = 0; row < t->rows(); ++row)
        g.rows << qRound(box(row, 0).top()) - 1;
    double bottom = 0;
    for (int col = 0; col < t->columns(); ++col)
        bottom = std::max(bottom, box(t->rows() - 1, col).bottom());
    g.rows << qRound(bottom) - 1;
    return g;
}

// Draws the part of the grid on page `page` (from 0, `pageHeight` pixels
// each) as Qt draws collapsed borders: cell by cell, its top, left, right and
// bottom edge, so a line two cells share is filled twice. A row that the next
// one leaves for a later page keeps its side lines down to two pixels above
// the page's end and gets no line below; the next row opens its page with
// its top line.
void drawGrid(QPainter &p, const ReportGrid &g, double pageHeight, int page, const QBrush &brush)
{
    const int rows = int(g.rows.size()) - 1;
    const auto pageOf = [&](int y) { return int(std::floor(y / pageHeight)); };
    // Each row is drawn on the page its top line is on.
    const int first =
        int(std::lower_bound(g.rows.begin(), g.rows.begin() + rows, std::ceil(page * pageHeight)) -
            g.rows.begin());
    for (int row = first; row < rows && pageOf(g.rows[row]) == page; ++row) {
        const int top = g.rows[row];
        const bool last = row + 1 == rows;
        const bool broken = !last && pageOf(g.rows[row + 1]) > page;
        const int bottom = broken ? qRound((page + 1) * pageHeight) - 2 : g.rows[row + 1];
        const int height = bottom - top + (last ? 1 : 0);
        for (int col = 0; col + 1 < g.columns.size(); ++col) {
            const int left = g.columns[col], right = g.columns[col + 1];
            p.fillRect(QRect(left + 1, top, right - left - 1, 1), brush);
            p.fillRect(QRect(left, top, 1, height), brush);
            p.fillRect(QRect(right, top, 1, height), brush);
            if (!broken)
                p.fillRect(QRect(left + 1, bottom, right - left - 1, 1), brush);
        }
    }
}

// Tick marks for an axis from lo to hi: a round step of 1, 2 or 5 times a
// power of ten giving about five intervals, and the ticks on it within the range.
std::vector<double> ticks(double lo, double hi)
{
    const double span = hi - lo;
    if (!(span > 0) || !std::isfinite(span))
        return {lo};
    const double raw = span / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    std::vector<double> out;
    for (double t = std::ceil(lo / step) * step; t <= hi + step * 1e-9; t += step)
        out.push_back(std::abs(t) < step * 1e-9 ? 0 : t);
    return out;
}

QFont reportFont(double pt)
{
    QFont f;
    f.setFamilies(reportFamilies());
    // In the layout's 96-dpi pixels, which the painter scales to the printer's.
    f.setPixelSize(qRound(pt * 96 / 72));
    return f;
}

// The curve page: the litres of the user points against their level codes,
// drawn as straight lines between them (as a tracker reads the table), and the
// table check's result below.
void drawCurvePage(QPainter &p, const ReportContent &c, const QSizeF &page)
{
    const NumberFormat nf(QLatin1Char(','));
    p.setPen(Qt::black);
    p.setFont(reportFont(15));
    const QRectF titleRect(0, 0, page.width(), 40);
    p.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Тарировочная кривая"));

    double nLo = c.curve.front().first, nHi = nLo, lLo = c.curve.front().second, lHi = lLo;
    for (const auto &pt : c.curve) {
        nLo = std::min(nLo, pt.first);
        nHi = std::max(nHi, pt.first);
        lLo = std::min(lLo, pt.second);
        lHi = std::max(lHi, pt.second);
    }
    lLo = std::min(lLo, 0.0);
    if (nHi <= nLo)
        nHi = nLo + 1;
    if (lHi <= lLo)
        lHi = lLo + 1;
    const QRectF plot(80, 60, page.width() - 100, page.height() * 0.5);
    const auto x = [&](double n) { return plot.left() + (n - nLo) / (nHi - nLo) * plot.width(); };
    const auto y = [&](double l) { return plot.bottom() - (l - lLo) / (lHi - lLo) * plot.height(); };

    p.setFont(reportFont(10));
    const QFontMetricsF fm(p.font());
    const QPen grid(QColor(200, 200, 200), 0);
    for (double t : ticks(nLo, nHi)) {
        p.setPen(grid);
        p.drawLine(QPointF(x(t), plot.top()), QPointF(x(t), plot.bottom()));
        p.setPen(Qt::black);
        p.drawText(QRectF(x(t) - 40, plot.bottom() + 4, 80, fm.height()), Qt::AlignHCenter,
                   nf.general(t));
    }
    for (double t : ticks(lLo, lHi)) {
        p.setPen(grid);
        p.drawLine(QPointF(plot.left(), y(t)), QPointF(plot.right(), y(t)));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, y(t) - fm.height() / 2, plot.left() - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, nf.general(t));
    }
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(plot);
    p.setFont(reportFont(12));
    p.drawText(QRectF(plot.left(), plot.bottom() + 4 + fm.height(), plot.width(), 24),
               Qt::AlignHCenter, QStringLiteral("Код уровня, N"));
    p.save();
    p.translate(14, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, -10, plot.height(), 24), Qt::AlignHCenter,
               QStringLiteral("Объём, л"));
    p.restore();

    QPolygonF line;
    for (const auto &pt : c.curve)
        line << QPointF(x(pt.first), y(pt.second));
    p.setPen(QPen(QColor(180, 0, 0), 2));
    p.drawPolyline(line);
    p.setBrush(QColor(180, 0, 0));
    p.setPen(Qt::NoPen);
    for (const QPointF &pt : line)
        p.drawRect(QRectF(pt.x() - 3, pt.y() - 3, 6, 6));

    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.setFont(reportFont(12));
    const double top = plot.bottom() + 30 + 2 * fm.height();
    const QString text = QStringLiteral("Проверка таблицы:\n") + c.checkLines.join(QLatin1Char('\n'));
    p.drawText(QRectF(0, top, page.width(), page.height() - top),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
}

// Prints the report laid out for pages of the document's page size as
// QTextDocument::print() prints a document with a page size of its own (the
// page's printable area, nothing added), each page scaled from the layout's
// pixels to the printer's, and draws the table's lines over each page.
bool printPages(const QTextDocument &doc, QPrinter &printer, const ReportGrid &grid,
                const QBrush &lines, const ReportContent &content)
{
    QPainter p;
    if (!p.begin(&printer))
        return false;
    const QSizeF page = doc.pageSize();
    p.scale(printer.width() / page.width(), printer.height() / page.height());
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    const int pages = doc.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage())
            return false;
        p.save();
        p.translate(0, -i * page.height());
        const QRectF view(0, i * page.height(), page.width(), page.height());
        p.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = view;
        // Black text whatever the desktop's palette.
        ctx.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&p, ctx);
        drawGrid(p, grid, page.height(), i, lines);
        p.restore();
    }
    if (content.curve.size() >= 2) {
        if (!printer.newPage())
            return false;
        drawCurvePage(p, content, page);
    }
    return p.end();
}

} // namespace

QString writeReport(const ReportContent &content, const QString &path, PdfGrid grid)
{
    const QFileInfo fi(path);
    const bool pdf = fi.suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    const QString tmp = temporaryPathBeside(path);
    QTextDocument doc;
    setReportFont(doc);
    bool ok = false;
    QString why;
    if (pdf) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(tmp);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
        // The document has the page's printable area as its page size (in the
        // 96-dpi pixels the layout measures in) and no margin: printed inside
        // the page's margins as it stands, no page number.
        doc.setDocumentMargin(0);
        doc.setPageSize(printer.pageLayout().paintRect(QPageLayout::Point).size() * (96.0 / 72.0));
        // The page is set and the layout made while the document is empty, so
        // the report is laid out once, when its one edit ends.
        doc.documentLayout();
        if (grid == PdfGrid::Drawn) {
            // Qt works out each line of a bordered table from the cell's
            // neighbours, looked up again for every edge: most of a second
            // for a thousand rows, to lay out and again to draw. This table
            // has no lines; they are drawn where Qt draws them.
            QTextTable *table = buildReportDocument(content, doc, ReportLayout::Pdf);
            ok = printPages(doc, printer, reportGrid(doc, table), table->format().borderBrush(),
                            content);
        } else {
            buildReportDocument(content, doc, ReportLayout::PdfBordered);
            doc.print(&printer);
            ok = true;
        }
        ok = ok && QFileInfo(tmp).size() > 0;
        why = QStringLiteral("the PDF could not be made");
    } else {
        buildReportDocument(content, doc, ReportLayout::Odt);
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
