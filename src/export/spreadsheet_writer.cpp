#include "export/spreadsheet_writer.h"

#include "export/replace_file.h"

#include <QFile>

#include <xlsxwriter.h>

QString writeXlsx(const SheetContent &content, const QString &path)
{
    const QString tmp = temporaryBeside(path);
    const QByteArray tmpName = QFile::encodeName(tmp);
    lxw_workbook *wb = workbook_new(tmpName.constData());
    if (!wb)
        return QStringLiteral("Unable to write to %1: cannot create the workbook").arg(path);
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    for (size_t c = 0; c < content.widths.size(); ++c)
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), content.widths[c], nullptr);
    for (const SheetCell &cell : content.cells) {
        const lxw_row_t row = lxw_row_t(cell.row - 1);
        const lxw_col_t col = lxw_col_t(cell.col - 1);
        const QByteArray utf8 = cell.text.toUtf8();
        switch (cell.kind) {
        case SheetCell::Kind::Text:
            if (!cell.text.isEmpty())
                worksheet_write_string(ws, row, col, utf8.constData(), nullptr);
            break;
        case SheetCell::Kind::Number:
            worksheet_write_number(ws, row, col, cell.number, nullptr);
            break;
        case SheetCell::Kind::Formula:
            worksheet_write_formula_num(ws, row, col, utf8.constData(), nullptr, cell.number);
            break;
        }
    }
    const lxw_error err = workbook_close(wb);
    if (err != LXW_NO_ERROR) {
        QFile::remove(tmp);
        return QStringLiteral("Unable to write to %1: %2")
            .arg(path, QString::fromLatin1(lxw_strerror(err)));
    }
    return moveOver(tmp, path);
}
