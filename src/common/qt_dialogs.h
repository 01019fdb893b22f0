// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The real dialogs: QMessageBox, QInputDialog, QFileDialog (widgets library).

#include "common/dialogs.h"

class QWidget;

class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    std::optional<MsgAnswer> ask(const QString &text, MsgIcon icon, MsgButtons buttons,
                                 const QString &title) override;
    std::optional<QString> inputText(const QString &title, const QString &prompt,
                                     const QString &initial) override;
    QString openFileName(const QString &title, const QString &dir, const QString &filter) override;
    QString saveFileName(const QString &title, const QString &suggestedPath,
                         const QString &filter) override;

private:
    QWidget *m_parent;
};
