// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/Enter_Fuil_U.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm15::TForm15(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm15"));
    setFixedSize(341, 93);
    auto *layout = new QVBoxLayout(this);
    lblavelfuil = new QLabel(this);
    lblavelfuil->setObjectName(QStringLiteral("lblavelfuil"));
    layout->addWidget(lblavelfuil);
    auto *row = new QHBoxLayout;
    meEnterFuil = new QLineEdit(this);
    meEnterFuil->setObjectName(QStringLiteral("meEnterFuil"));
    meEnterFuil->setInputMask(QStringLiteral("9999,99;0"));
    meEnterFuil->clear();
    row->addWidget(meEnterFuil);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    layout->addLayout(row);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        if (onOk)
            onOk(meEnterFuil->displayText());
        close();
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
}

void TForm15::done(int r)
{
    QDialog::done(r);
    if (onClosed)
        onClosed();
}
