// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/Help_Progral.h"

#include "ui_Help_Progral.h"

#include <QGuiApplication>
#include <QScreen>

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent), ui(new Ui::TAboutBox)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TAboutBox"));
    // A dialog frame without the context-help button; closing it never ends the program.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(ui->OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
}

TAboutBox::~TAboutBox()
{
    delete ui;
}

QLabel *TAboutBox::versionLabel() const
{
    return ui->Version;
}

void TAboutBox::showAbout()
{
    // Font height 10 in pixels for the window's own texts; the product name and
    // the version keep the sizes of their labels.
    QFont f = font();
    f.setPixelSize(10);
    setFont(f);
    ui->Version->setText(QString::fromLatin1(kVersionText));

    adjustSize();
    centreOnScreen();
    show();
    // The frame's size is known only once the window is mapped.
    centreOnScreen();
    raise();
    activateWindow();
}

void TAboutBox::centreOnScreen()
{
    QScreen *scr = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!scr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(scr->availableGeometry().center());
    move(frame.topLeft());
}

void TAboutBox::OKButtonClick()
{
    close();
}
