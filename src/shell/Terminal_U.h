// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The terminal window: shows the raw frame trace (requests "<= ", replies "=> ",
// the "Err_CRC" and discard markers) as the link layer writes it. It is created
// once at start and only shown and hidden, so the trace accumulates across
// showings and keeps arriving while the window is hidden.

#include "link/trace.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class Dialogs;
class QAction;
class QPlainTextEdit;
class QTextCursor;

namespace Ui {
class TForm3;
}

class TForm3 : public QWidget, public TraceSink {
    Q_OBJECT

public:
    /// Interface text by its English LangTable index in the current language.
    using TextLookup = std::function<QString(int englishIndex)>;

    /// Lines kept in Memo1; the oldest are dropped beyond this. One poll a
    /// second traces two lines, so this holds close to three hours of polling
    /// in a few megabytes.
    static constexpr int kMaxTraceLines = 20000;

    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    // TraceSink: both always write at the end of the trace, wherever the user
    // has clicked or selected in the memo.
    void insertText(const QString &text) override;
    void addLine(const QString &line) override;

    /// The main window's menu item N5 that toggles this window. It is made
    /// checkable; its check state and caption follow the window from now on.
    void setMenuItem(QAction *N5);
    /// Where the N5 captions come from (LangTable 156 and 310 in the current
    /// language). Without one the Russian design captions are used.
    void setTextLookup(TextLookup lookup);
    /// The window whose right edge the terminal is placed at whenever shown.
    void setMainWindow(QWidget *mainWindow);

    /// Places the window's frame with its left at the main frame's right edge
    /// and its top at the main frame's top.
    void placeAtRightEdge(const QRect &mainFrame);

    /// N5Click: shows the window when N5 is unchecked, hides it when checked.
    void N5Click();
    /// "Clear": empties the trace.
    void Button2Click();
    /// Where "Save…" asks for the file and tells a failure.
    void setDialogs(Dialogs *dialogs) { m_dialogs = dialogs; }
    /// "Save…": writes the trace as the window shows it to a file the user
    /// chooses (UTF-8, one line per trace line). False when cancelled or not written.
    bool Button3Click();

    /// The trace as plain text, lines separated by "\n".
    QString traceText() const;
    QPlainTextEdit *memo() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void applyN5(bool shown);
    QString text(int englishIndex) const;
    void appendAtEnd(const std::function<void(QTextCursor &)> &edit);

    Ui::TForm3 *ui;
    QPointer<QAction> m_n5;
    QPointer<QWidget> m_mainWindow;
    TextLookup m_lookup;
    Dialogs *m_dialogs = nullptr;
};
