// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "calibration/Load_U.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TForm2"));
    auto *layout = new QVBoxLayout(this);
    lbComent = new QLabel(this);
    lbComent->setObjectName(QStringLiteral("lbComent"));
    lbSprob = new QLabel(this);
    lbSprob->setObjectName(QStringLiteral("lbSprob"));
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 20);
    bbForm2Censel = new QPushButton(this);
    bbForm2Censel->setObjectName(QStringLiteral("bbForm2Censel"));
    layout->addWidget(lbComent);
    layout->addWidget(lbSprob);
    layout->addWidget(ProgressBar);
    layout->addWidget(bbForm2Censel, 0, Qt::AlignHCenter);
    setFixedSize(360, 140);
    connect(bbForm2Censel, &QPushButton::clicked, this, [this] { close(); });
}

void TForm2::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (onClosed)
        onClosed();
}
