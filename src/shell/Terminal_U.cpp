// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Terminal_U.h"

#include "ui_Terminal_U.h"

#include "common/dialogs.h"
#include "common/lang_ids.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QFontDatabase>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>

TForm3::TForm3(QWidget *parent) : QWidget(parent, Qt::Window), ui(new Ui::TForm3)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm3"));
    // Only a close box; closing it must not end the program, only the main window does.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);

    ui->Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A read-only trace needs no undo history; with it every inserted frame
    // would be kept a second time for the whole run.
    ui->Memo1->document()->setUndoRedoEnabled(false);
    ui->Memo1->setMaximumBlockCount(kMaxTraceLines);

    connect(ui->Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, [this] { (void)Button3Click(); });
}

TForm3::~TForm3()
{
    delete ui;
}

QPlainTextEdit *TForm3::memo() const
{
    return ui->Memo1;
}

QString TForm3::traceText() const
{
    return ui->Memo1->toPlainText();
}

void TForm3::appendAtEnd(const std::function<void(QTextCursor &)> &edit)
{
    // Follow the newest line only when the user is already looking at the end,
    // so scrolling back to read an older frame is not torn away by polling.
    QScrollBar *bar = ui->Memo1->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();

    QTextCursor cursor(ui->Memo1->document());
    cursor.movePosition(QTextCursor::End);
    edit(cursor);

    if (atEnd)
        bar->setValue(bar->maximum());
}

void TForm3::insertText(const QString &text)
{
    // "\r\n" in a trace line becomes one line break of the document.
    appendAtEnd([&text](QTextCursor &cursor) { cursor.insertText(text); });
}

void TForm3::addLine(const QString &line)
{
    appendAtEnd([&line](QTextCursor &cursor) {
        // A line of its own: break off a partly written frame line first.
        if (!cursor.block().text().isEmpty())
            cursor.insertBlock();
        cursor.insertText(line);
        cursor.insertBlock();
    });
}

void TForm3::Button2Click()
{
    ui->Memo1->clear();
}

bool TForm3::Button3Click()
{
    if (!m_dialogs)
        return false;
    const QString suggested = QDir::home().filePath(
        QStringLiteral("terminal-%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    const QString path = m_dialogs->saveFileName(QStringLiteral("Save…"), suggested,
                                                 QStringLiteral("Text (*.txt);;All files (*)"));
    if (path.isEmpty())
        return false;
    QString text = traceText();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    // Written beside and renamed over, so a failure leaves no half file.
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_dialogs->message(QStringLiteral("Не удалось записать файл / Cannot write the file\r%1\r%2")
                               .arg(path, file.errorString()),
                           MsgIcon::Error);
        return false;
    }
    return true;
}

void TForm3::setMenuItem(QAction *N5)
{
    if (m_n5)
        disconnect(m_n5, nullptr, this, nullptr);
    m_n5 = N5;
    if (!m_n5)
        return;
    m_n5->setCheckable(true);
    m_n5->setChecked(isVisible());
    // A checkable action has already flipped its check when triggered arrives,
    // so the new state says what to do.
    connect(m_n5, &QAction::triggered, this, [this](bool checked) { applyN5(checked); });
}

void TForm3::setTextLookup(TextLookup lookup)
{
    m_lookup = std::move(lookup);
}

void TForm3::setMainWindow(QWidget *mainWindow)
{
    m_mainWindow = mainWindow;
}

QString TForm3::text(int englishIndex) const
{
    if (m_lookup)
        return m_lookup(englishIndex);
    return englishIndex == Txt::HideTerminal ? QStringLiteral("&Скрыть терминальное окно")
                                             : QStringLiteral("&Показать терминальное окно");
}

void TForm3::N5Click()
{
    const bool shown = m_n5 ? m_n5->isChecked() : isVisible();
    if (m_n5)
        m_n5->setChecked(!shown);
    applyN5(!shown);
}

void TForm3::applyN5(bool shown)
{
    if (shown) {
        show();
        raise();
    } else {
        hide();
    }
    if (m_n5) {
        m_n5->setChecked(shown);
        m_n5->setText(text(shown ? Txt::HideTerminal : Txt::ShowTerminal));
    }
}

void TForm3::placeAtRightEdge(const QRect &mainFrame)
{
    // move() positions the frame of a top-level window, as the main frame is measured.
    move(mainFrame.x() + mainFrame.width(), mainFrame.y());
}

void TForm3::showEvent(QShowEvent *event)
{
    // Placed on every show by the program, not when the window system merely
    // restores it from an icon.
    if (!event->spontaneous() && m_mainWindow)
        placeAtRightEdge(m_mainWindow->frameGeometry());
    QWidget::showEvent(event);
}

void TForm3::closeEvent(QCloseEvent *event)
{
    // The close box only hides: the trace goes on filling while hidden.
    event->accept();
    applyN5(false);
}
