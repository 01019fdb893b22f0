// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The world's modal dialogs as a seam. The program wires QtDialogs (widgets
// library); tests wire ScriptedDialogs, which answers from a script in order and
// records every text shown.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    /// Modal message box; returns the button pressed (closing the box counts as
    /// Cancel, or No when there is no Cancel button, or Ok for a lone OK).
    MsgAnswer message(const QString &text, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok, const QString &title = QString());
    /// A question that may be left unanswered: the button pressed, or nullopt
    /// when the box was closed without one (the close box, Esc).
    virtual std::optional<MsgAnswer> ask(const QString &text, MsgIcon icon, MsgButtons buttons,
                                         const QString &title = QString()) = 0;
    /// Modal text input; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString &title, const QString &prompt,
                                             const QString &initial) = 0;
    /// File dialogs; an empty string when cancelled.
    virtual QString openFileName(const QString &title, const QString &dir,
                                 const QString &filter) = 0;
    virtual QString saveFileName(const QString &title, const QString &suggestedPath,
                                 const QString &filter) = 0;

    /// Shows a plain information message with OK.
    void show(const QString &text) { message(text, MsgIcon::None, MsgButtons::Ok); }
};

/// Test double. Every dialog is recorded; answers are taken from the script in
/// order; when the script is empty the default answer is given (Ok / Yes, the
/// initial input text, an empty file name).
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString kind; // "message", "input", "open", "save"
        QString text; // message text, prompt, or dialog title
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        QString title;
        QString path; // file dialogs: the folder or suggested file offered
    };

    std::optional<MsgAnswer> ask(const QString &text, MsgIcon icon, MsgButtons buttons,
                                 const QString &title) override;
    std::optional<QString> inputText(const QString &title, const QString &prompt,
                                     const QString &initial) override;
    QString openFileName(const QString &title, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &suggestedPath,
                         const QString &filter) override;

    /// Queue answers for the next message boxes.
    void answer(MsgAnswer a) { m_answers.append(a); }
    /// Queue closing the next message box without an answer (message() then
    /// gives what closing counts as; ask() gives nullopt).
    void answerClosed() { m_answers.append(std::nullopt); }
    /// Queue a text for the next input box (nullopt: cancel).
    void answerInput(std::optional<QString> text) { m_inputs.append(text); }
    /// Queue a file name for the next open/save dialog ("" cancels).
    void answerFile(const QString &path) { m_files.append(path); }
    /// Runs just before a message box returns (a test may look at the window
    /// while the box is "open").
    void onMessage(std::function<void(const Shown &)> hook) { m_hook = std::move(hook); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList messages() const;
    QString lastMessage() const;
    void clear() { m_shown.clear(); }

private:
    QList<Shown> m_shown;
    QList<std::optional<MsgAnswer>> m_answers;
    QList<std::optional<QString>> m_inputs;
    QStringList m_files;
    std::function<void(const Shown &)> m_hook;
};
