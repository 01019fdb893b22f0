// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm15: the fuel level for a litre correction: the current value in
// lblavelfuil and the new one typed into meEnterFuil ("9999,99"). OK hands the
// text to onOk; Cancel (or Esc) closes. Shown without being modal; what it
// typed stays for the next time.

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

class TForm15 : public QDialog {
    Q_OBJECT
public:
    explicit TForm15(QWidget *parent = nullptr);

    QLabel *lblavelfuil;
    QLineEdit *meEnterFuil;
    QPushButton *OKBtn, *CancelBtn;

    /// OK pressed, with the edit text of meEnterFuil.
    std::function<void(const QString &text)> onOk;
    /// Runs whenever the window closes.
    std::function<void()> onClosed;

protected:
    void done(int r) override;
};
