// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The About window: product name and version. Created once at start and shown
// from the Help menu (N10); closing it only hides it.

#include <QDialog>

namespace Ui {
class TAboutBox;
}

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    /// Written into Version each time the window opens.
    static constexpr const char *kVersionText = "v.1.0.1.43";

    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    /// What the main window's N10Click does: font height 10, the version text
    /// into Version, centred on the screen, shown and brought to the front.
    void showAbout();
    /// "OK": closes (hides) the window.
    void OKButtonClick();

    QLabel *versionLabel() const;

private:
    void centreOnScreen();

    Ui::TAboutBox *ui;
};
