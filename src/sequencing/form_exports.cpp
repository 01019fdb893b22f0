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
#include "export/protocol_export.h"
#include "export/report_writer.h"
#include "export/spreadsheet_writer.h"
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
