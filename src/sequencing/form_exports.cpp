// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: Menu commands that turn the open protocol into documents: the
// workbook (N6), the report (WORD1, Ctrl+W), the telematics table (txt1) and
// the printout of the window (N20). The documents are written as files beside
// the protocol (an existing one is never overwritten), then opened in the
// desktop's application; the message says where they are.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "common/numfmt.h"
#include "export/protocol_export.h"
#include "export/report_writer.h"
#include "export/spreadsheet_writer.h"
#include "export/table_thinning.h"
#include "shell/AvtoSave_U.h"
#include "tank/ini_file.h"

#include <QFileInfo>
#include <QMenuBar>
#include <QPrinter>

QString TForm1::documentSavedText(const QStringList &paths, bool opened) const
{
    const bool ru = m_state.Lang == LangRussian;
    QString t = (ru ? QStringLiteral("Документ сохранён:") : QStringLiteral("Document saved:"));
    for (const QString &p : paths)
        t += QLatin1Char('\r') + p;
    if (!opened)
        t += QLatin1Char('\r') + (ru ? QStringLiteral("Откройте его в офисной программе.")
                                     : QStringLiteral("Open it in an office application."));
    return t;
}

bool TForm1::readOpenProtocol(ExportDocument document, ExportData &data)
{
    if (m_state.CurrentProtocolFile.isEmpty())
        return false;
    const ProtocolStatus st = readExportData(m_state.CurrentProtocolFile, document, data);
    if (!st.ok()) {
        m_dialogs->message(st.text, MsgIcon::Error);
        return false;
    }
    return true;
}

void TForm1::N6Click()
{
    bool autosavePoints = false;
    if (m_windows.settings && m_windows.settings->avtoSaveIndex() == 0) {
        const auto answer = m_dialogs->ask(m_state.text(Txt::ExportAutosave) + QLatin1Char('\r') +
                                               m_state.text(Txt::ExportAutosaveIf),
                                           MsgIcon::Information, MsgButtons::YesNo);
        if (!answer) // closed without an answer: no workbook
            return;
        autosavePoints = *answer == MsgAnswer::Yes;
    }
    ExportData data;
    if (!readOpenProtocol(ExportDocument::Workbook, data))
        return;
    // The scale rows follow the protocol's stored firmware; the connected
    // sensor's record is left as it is.
    SheetDefaults d;
    d.seUpVal = QString::number(ui->seUpVal->value());
    d.seDownVal = QString::number(ui->seDownVal->value());
    d.seFSMOffset = QString::number(ui->seFSMOffset->value());
    d.seFSMScale = QString::number(ui->seFSMScale->value());
    d.cbFMSCALCPARAM = ui->cbFMSCALCPARAM->currentText();
    d.meZeroLen = ui->meZeroLen->displayText();
    d.mePermix = ui->mePermix->displayText();
    d.connectedMajor = m_state.sensor.SensorParam.Version_H;
    const SheetContent content = spreadsheetContent(data, autosavePoints, d, m_state.Lang);
    const QString out = documentPathBeside(data.path, QStringLiteral(".xlsx"));
    if (const QString err = writeXlsx(content, out); !err.isEmpty()) {
        m_dialogs->message(err, MsgIcon::Error);
        return;
    }
    const bool opened = m_world.openDocument && m_world.openDocument(out);
    m_dialogs->message(documentSavedText({out}, opened), MsgIcon::Information);
}

void TForm1::WORD1Click()
{
    ExportData data;
    if (!readOpenProtocol(ExportDocument::Report, data))
        return;
    const ReportContent content = reportContent(data);
    // The .odt and the .pdf under one base name and number.
    const QStringList written =
        documentPathsBeside(data.path, {QStringLiteral(".odt"), QStringLiteral(".pdf")});
    for (const QString &out : written) {
        if (const QString err = writeReport(content, out); !err.isEmpty()) {
            m_dialogs->message(err, MsgIcon::Error);
            return;
        }
    }
    const bool opened = m_world.openDocument && m_world.openDocument(written.front());
    QString text = documentSavedText(written, opened);
    if (const QString note = leftOutNote(unconvertibleUserPoints(data), m_state.Lang);
        !note.isEmpty())
        text += QLatin1Char('\r') + note;
    m_dialogs->message(text, MsgIcon::Information);
}

void TForm1::txt1Click()
{
    if (m_state.CurrentProtocolFile.isEmpty())
        return;
    QString out = m_dialogs->saveFileName(
        QString(), documentPathBeside(m_state.CurrentProtocolFile, QStringLiteral(".wlp")),
        QStringLiteral("*.wlp"));
    if (out.isEmpty())
        return;
    const bool ru = m_state.Lang == LangRussian;
    if (!out.endsWith(QLatin1String(".wlp"))) {
        out += QStringLiteral(".wlp");
        // The dialog asked about the name typed, not about this one.
        if (QFileInfo::exists(out) &&
            m_dialogs->message((ru ? QStringLiteral("Файл %1 уже существует.\rЗаменить его?")
                                   : QStringLiteral("The file %1 already exists.\rReplace it?"))
                                   .arg(out),
                               MsgIcon::Warning, MsgButtons::YesNo) != MsgAnswer::Yes)
            return;
    }
    ExportData data;
    if (!readOpenProtocol(ExportDocument::Telematics, data))
        return;
    // Many trackers take only 10 to 50 table points: the table may be thinned
    // to what the tracker takes, the largest litre difference that costs told.
    std::optional<TableThinning::Summary> thinned;
    if (telematicsPoints(data).size() > 2) {
        const std::optional<QString> answer = m_dialogs->inputText(
            QStringLiteral("TARNET"),
            ru ? QStringLiteral("Сколько точек таблицы принимает трекер?\rПусто: все точки; "
                                "число: не больше стольких точек; число и «л» (1,5 л): "
                                "наименьшее число точек в пределах стольких литров.")
               : QStringLiteral("How many table points does the tracker take?\rEmpty: every "
                                "point; a number: at most that many; a number and \"l\" (1,5 "
                                "l): the fewest points within that many litres."),
            QString());
        if (!answer)
            return;
        const std::optional<TableThinning::Request> request = TableThinning::parseRequest(*answer);
        if (!request) {
            m_dialogs->message(ru ? QStringLiteral("Не понятно, сколько точек: %1").arg(*answer)
                                  : QStringLiteral("Not a number of points: %1").arg(*answer),
                               MsgIcon::Error);
            return;
        }
        if (request->maxPoints || request->maxLitres)
            thinned = TableThinning::thinTelematics(data, request->maxPoints, request->maxLitres);
    }
    TForm7 *s = m_windows.settings;
    const QString text = wlpContent(data, s ? s->prefixText() : QString(),
                                    s ? s->sufixText() : QString(), s && s->forTarnet());
    // The whole file or none of it: written beside, then renamed over.
    if (const QString err = writeFileDurably(out, wlpBytes(text)); !err.isEmpty()) {
        m_dialogs->message(IniFile::writeErrorText(out) + QStringLiteral(": ") + err,
                           MsgIcon::Error);
        return;
    }
    if (const QString note = leftOutNote(unconvertibleUserPoints(data), m_state.Lang);
        !note.isEmpty())
        m_dialogs->message(note, MsgIcon::Warning);
    if (thinned && !thinned->tooMany) {
        const NumberFormat nf(QLatin1Char(','));
        const QString share =
            thinned->top > 0 ? nf.fixed(thinned->largest / thinned->top * 100, 2) : QStringLiteral("0");
        m_dialogs->show(
            (ru ? QStringLiteral("Записано точек: %1 из %2; наибольшее расхождение %3 л (%4 % "
                                 "от верха таблицы).")
                : QStringLiteral("%1 of %2 points written; largest difference %3 l (%4 % of the "
                                 "table's top)."))
                .arg(thinned->kept)
                .arg(thinned->of)
                .arg(nf.fixed(thinned->largest, 2), share));
    }
}

void TForm1::N20Click()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!m_world.choosePrinter || !m_world.choosePrinter(printer))
        return;
    // The client area as shown: the window without its menu bar.
    const int top = menuBar() ? menuBar()->height() : 0;
    const QImage image = grab(QRect(0, top, width(), height() - top)).toImage();
    if (!printImage(printer, image))
        m_dialogs->message(m_state.Lang == LangRussian ? QStringLiteral("Печать не удалась.")
                                                       : QStringLiteral("Printing failed."),
                           MsgIcon::Error);
}
