// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/PropertyPoint_U.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TForm8::TForm8(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TForm8"));
    // A fixed box without title-bar buttons: it is left with OK.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(397, 196);
    auto *layout = new QVBoxLayout(this);
    auto label = [&](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setWordWrap(true);
        layout->addWidget(l);
        return l;
    };
    lbPropertyNummberPoint = label("lbPropertyNummberPoint");
    lbPropertyN = label("lbPropertyN");
    lbVolumeCistern = label("lbVolumeCistern");
    lbPropertyTime = label("lbPropertyTime");
    lbPropertySystemTime = label("lbPropertySystemTime");
    lbPropertyWhoSave = label("lbPropertyWhoSave");
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { close(); });
}

void TForm8::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (onClosed)
        onClosed();
}

void TForm8::done(int r)
{
    // Esc and OK end up here; both close the window the same way.
    QDialog::done(r);
    if (onClosed)
        onClosed();
}
