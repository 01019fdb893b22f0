// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/dialogs.h"

MsgAnswer Dialogs::message(const QString &text, MsgIcon icon, MsgButtons buttons,
                           const QString &title)
{
    if (const auto a = ask(text, icon, buttons, title))
        return *a;
    // Closed: what closing the box counts as.
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
}

std::optional<MsgAnswer> ScriptedDialogs::ask(const QString &text, MsgIcon icon,
                                              MsgButtons buttons, const QString &title)
{
    Shown s{QStringLiteral("message"), text, icon, buttons, title, QString()};
    m_shown.append(s);
    if (m_hook)
        m_hook(s);
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgAnswer::Yes
                                                                                : MsgAnswer::Ok;
}



std::optional<QString> ScriptedDialogs::inputText(const QString &title, const QString &prompt,
                                                  const QString &initial)
{
    m_shown.append(Shown{QStringLiteral("input"), prompt, MsgIcon::None, MsgButtons::OkCancel,
                         title, QString()});
    if (!m_inputs.isEmpty())
        return m_inputs.takeFirst();
    return initial;
}

QString ScriptedDialogs::openFileName(const QString &title, const QString &dir, const QString &)
{
    m_shown.append(
        Shown{QStringLiteral("open"), title, MsgIcon::None, MsgButtons::OkCancel, title, dir});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QString ScriptedDialogs::saveFileName(const QString &title, const QString &suggestedPath,
                                      const QString &)
{
    m_shown.append(Shown{QStringLiteral("save"), title, MsgIcon::None, MsgButtons::OkCancel, title,
                         suggestedPath});
    return m_files.isEmpty() ? QString() : m_files.takeFirst();
}

QStringList ScriptedDialogs::messages() const
{
    QStringList out;
    for (const auto &s : m_shown)
        if (s.kind == QLatin1String("message"))
            out << s.text;
    return out;
}

QString ScriptedDialogs::lastMessage() const
{
    const QStringList m = messages();
    return m.isEmpty() ? QString() : m.last();
}
