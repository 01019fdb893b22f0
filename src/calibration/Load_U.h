// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm2: the progress window of the zero search and of the probe-length
// detection: a status text, the attempt label, a progress bar and Cancel.
// Closing it (Cancel, the attempt limit, the link loss) runs the abort
// handling through onClosed; hiding it (a completed search) does not.

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    QLabel *lbComent, *lbSprob;
    QProgressBar *ProgressBar;
    QPushButton *bbForm2Censel;

    /// The abort handling of the main window (FormClose).
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent *event) override;
};
