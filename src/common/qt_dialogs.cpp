// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "common/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

std::optional<MsgAnswer> QtDialogs::ask(const QString &text, MsgIcon icon, MsgButtons buttons,
                                        const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    box.setText(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    // Closing the box (Esc, the close box) presses its escape button; a box
    // without Cancel would take No or Ok for it, so a hidden Cancel stands
    // for "closed without an answer".
    QAbstractButton *closed = box.button(QMessageBox::Cancel);
    if (!closed) {
        closed = box.addButton(QMessageBox::Cancel);
        closed->hide();
    }
    box.setEscapeButton(closed);
    box.exec();
    QAbstractButton *pressed = box.clickedButton();
    if (!pressed || pressed == closed)
        return std::nullopt;
    switch (box.standardButton(pressed)) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return std::nullopt;
    }
}

std::optional<QString> QtDialogs::inputText(const QString &title, const QString &prompt,
                                            const QString &initial)
{
    bool ok = false;
    const QString s = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return s;
}

QString QtDialogs::openFileName(const QString &title, const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, dir, filter);
}

QString QtDialogs::saveFileName(const QString &title, const QString &suggestedPath,
                                const QString &filter)
{
    return QFileDialog::getSaveFileName(m_parent, title, suggestedPath, filter);
}
