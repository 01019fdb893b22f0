// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/spreadsheet_writer.h"

#include "export/replace_file.h"

#include <QFile>

#include <map>

#include <xlsxwriter.h>

QString writeXlsx(const SheetContent &content, const QString &path)
{
    const QString tmp = temporaryPathBeside(path);
    const QByteArray tmpName = QFile::encodeName(tmp);
    lxw_workbook *wb = workbook_new(tmpName.constData());
    if (!wb)
        return QStringLiteral("Unable to write to %1: cannot create the workbook").arg(path);
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    // The first cell the library refuses (a row beyond the sheet's 1,048,576,
    // a text too long) fails the whole workbook: a document with rows missing
    // is never reported as written.
    lxw_error failed = ws ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
    QString where;
    auto check = [&](lxw_error e, const QString &at) {
        if (e != LXW_NO_ERROR && failed == LXW_NO_ERROR) {
            failed = e;
            where = at;
        }
    };
    std::map<QString, lxw_format *> formats;
    auto numberFormat = [&](const QString &f) -> lxw_format * {
        if (f.isEmpty())
            return nullptr;
        auto it = formats.find(f);
        if (it == formats.end()) {
            lxw_format *fmt = workbook_add_format(wb);
            if (fmt)
                format_set_num_format(fmt, f.toUtf8().constData());
            it = formats.emplace(f, fmt).first;
        }
        return it->second;
    };
    for (size_t c = 0; ws && c < content.widths.size() && failed == LXW_NO_ERROR; ++c)
        check(worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), content.widths[c], nullptr),
              QStringLiteral("column %1").arg(c + 1));
    for (const SheetCell &cell : content.cells) {
        if (!ws || failed != LXW_NO_ERROR)
            break;
        const lxw_row_t row = lxw_row_t(cell.row - 1);
        const lxw_col_t col = lxw_col_t(cell.col - 1);
        const QByteArray utf8 = cell.text.toUtf8();
        lxw_error e = LXW_NO_ERROR;
        switch (cell.kind) {
        case SheetCell::Kind::Text:
            if (!cell.text.isEmpty())
                e = worksheet_write_string(ws, row, col, utf8.constData(), nullptr);
            break;
        case SheetCell::Kind::Number:
            e = worksheet_write_number(ws, row, col, cell.number, numberFormat(cell.format));
            break;
        case SheetCell::Kind::Formula:
            e = worksheet_write_formula_num(ws, row, col, utf8.constData(), nullptr, cell.number);
            break;
        }
        check(e, QStringLiteral("row %1, column %2").arg(cell.row).arg(cell.col));
    }
    // The chart sheet: a scatter with lines of the points' litres over their
    // level codes, read from the first sheet, so it follows any edit there.
    const SheetChart &c = content.chart;
    if (ws && failed == LXW_NO_ERROR && c.lastRow > c.firstRow) {
        lxw_chartsheet *sheet = workbook_add_chartsheet(wb, c.sheetName.toUtf8().constData());
        lxw_chart *chart = workbook_add_chart(wb, LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
        if (!sheet || !chart) {
            check(LXW_ERROR_MEMORY_MALLOC_FAILED, QStringLiteral("the chart"));
        } else {
            const QByteArray levels =
                QStringLiteral("=Sheet1!$B$%1:$B$%2").arg(c.firstRow).arg(c.lastRow).toUtf8();
            const QByteArray litres =
                QStringLiteral("=Sheet1!$A$%1:$A$%2").arg(c.firstRow).arg(c.lastRow).toUtf8();
            lxw_chart_series *series =
                chart_add_series(chart, levels.constData(), litres.constData());
            if (series)
                chart_series_set_name(series, c.litresTitle.toUtf8().constData());
            chart_title_set_name(chart, c.title.toUtf8().constData());
            chart_axis_set_name(chart->x_axis, c.levelTitle.toUtf8().constData());
            chart_axis_set_name(chart->y_axis, c.litresTitle.toUtf8().constData());
            chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
            // Rows of auto-saved points left out leave gaps; the line runs on.
            chart_show_blanks_as(chart, LXW_CHART_BLANKS_AS_CONNECTED);
            check(chartsheet_set_chart(sheet, chart), QStringLiteral("the chart"));
        }
    }
    const lxw_error closed = workbook_close(wb);
    if (failed == LXW_NO_ERROR && closed != LXW_NO_ERROR)
        failed = closed;
    if (failed != LXW_NO_ERROR) {
        QFile::remove(tmp);
        const QString why = QString::fromLatin1(lxw_strerror(failed));
        return QStringLiteral("Unable to write to %1: %2")
            .arg(path, where.isEmpty() ? why : where + QStringLiteral(": ") + why);
    }
    return moveOver(tmp, path);
}
