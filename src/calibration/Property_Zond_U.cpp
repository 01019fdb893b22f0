// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "calibration/Property_Zond_U.h"

#include "common/numfmt.h"
#include "shell/settings_store.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr double kCF1 = 1.725, kCF2 = 1.0, kCL = 0.01633;
} // namespace

TForm9::TForm9(SettingsStore *settings, const NumberFormat &number, QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_settings(settings), m_number(number)
{
    setObjectName(QStringLiteral("TForm9"));
    auto *root = new QVBoxLayout(this);
    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *form = new QFormLayout(group);
    auto edit = [&](const char *name, const char *mask) {
        auto *e = new QLineEdit(group);
        e->setObjectName(QLatin1String(name));
        e->setInputMask(QLatin1String(mask));
        return e;
    };
    meCF1 = edit("meCF1", "9,999;0");
    meCL = edit("meCL", "9,99999;0");
    meCF2 = edit("meCF2", "9,999;0");
    meCF2->hide();
    auto *label8 = new QLabel(group);
    label8->setObjectName(QStringLiteral("Label8"));
    auto *label7 = new QLabel(group);
    label7->setObjectName(QStringLiteral("Label7"));
    auto *unit1 = new QLabel(QStringLiteral("pF"), group);
    unit1->setObjectName(QStringLiteral("Label1"));
    auto *unit2 = new QLabel(group);
    unit2->setObjectName(QStringLiteral("Label2"));
    auto *row1 = new QHBoxLayout;
    row1->addWidget(meCF1);
    row1->addWidget(unit1);
    auto *row2 = new QHBoxLayout;
    row2->addWidget(meCL);
    row2->addWidget(unit2);
    form->addRow(label8, row1);
    form->addRow(label7, row2);
    root->addWidget(group);
    auto *buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn3 = new QPushButton(this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    buttons->addWidget(BitBtn3);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    root->addLayout(buttons);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { close(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { loadStored(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { factorySettings(); });

    // Values of earlier versions under other names are dropped once.
    if (m_settings)
        (void)m_settings->removeLegacyProbeKeys();
    loadStored();
}

double TForm9::value(const QLineEdit *e) const
{
    return m_number.parse(e->displayText()).value_or(0);
}

double TForm9::cf1() const
{
    return value(meCF1);
}

double TForm9::cl() const
{
    return value(meCL);
}

void TForm9::loadStored()
{
    const double cf1 = m_settings ? m_settings->get(SettingsKeys::CFK11) : kCF1;
    const double cf2 = m_settings ? m_settings->get(SettingsKeys::CFR21) : kCF2;
    const double cl = m_settings ? m_settings->get(SettingsKeys::CLR1) : kCL;
    meCF1->setText(m_number.format("%5.3f", cf1));
    meCF2->setText(m_number.format("%5.3f", cf2));
    meCL->setText(m_number.format("%7.5f", cl));
}

void TForm9::factorySettings()
{
    meCF1->setText(m_number.format("%5.3f", kCF1));
    meCF2->setText(m_number.format("%5.3f", kCF2));
    meCL->setText(m_number.format("%7.5f", kCL));
}

void TForm9::closeEvent(QCloseEvent *event)
{
    if (m_settings) {
        (void)m_settings->set(SettingsKeys::CFK11, value(meCF1));
        (void)m_settings->set(SettingsKeys::CFR21, value(meCF2));
        (void)m_settings->set(SettingsKeys::CLR1, value(meCL));
    }
    event->accept();
    if (onClosed)
        onClosed();
}
