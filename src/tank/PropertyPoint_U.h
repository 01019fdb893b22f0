// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm8: the properties of one stored point (number, level code, litres,
// time, wall-clock time, who saved it), with an OK button. Shown without
// being modal; while it is up the calibration window and the main window are
// disabled, and closing it enables them again.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    QLabel *lbPropertyNummberPoint, *lbPropertyN, *lbVolumeCistern, *lbPropertyTime,
        *lbPropertySystemTime, *lbPropertyWhoSave;
    QPushButton *BitBtn1;

    /// Runs when the window closes, however it is closed.
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent *event) override;
    void done(int r) override;
};
