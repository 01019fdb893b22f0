// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/Protocol_Options_U.h"

#include "common/dialogs.h"
#include "shell/settings_store.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kFilter = QStringLiteral("Файл протокола Kv Ruzevuv (*.kvi)");
} // namespace

TForm6::TForm6(Dialogs *dialogs, SettingsStore *settings, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_dialogs(dialogs), m_settings(settings)
{
    setObjectName(QStringLiteral("TForm6"));
    auto *root = new QVBoxLayout(this);
    tvAdres = new QTreeWidget(this);
    tvAdres->setObjectName(QStringLiteral("tvAdres"));
    tvAdres->setHeaderHidden(true);
    tvAdres->setRootIsDecorated(false);
    root->addWidget(tvAdres, 1);
    auto *buttons = new QHBoxLayout;
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn3 = new QPushButton(this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    buttons->addWidget(SpeedButton1);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn3);
    root->addLayout(buttons);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->addWidget(new QLabel(QStringLiteral("Load"), StatusBar1));
    pbLoadfile = new QProgressBar(StatusBar1);
    pbLoadfile->setObjectName(QStringLiteral("pbLoadfile"));
    pbLoadfile->setRange(0, 10);
    pbLoadfile->setValue(0);
    StatusBar1->addWidget(pbLoadfile, 1);
    root->addWidget(StatusBar1);
    resize(476, 249);
    setMinimumWidth(476);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(tvAdres, &QTreeWidget::itemDoubleClicked, this, [this] { BitBtn2Click(); });
    FormCreate();
}

void TForm6::FormCreate()
{
    QStringList stored;
    for (int j = 0; j < RecentProtocols::Slots; ++j)
        stored << (m_settings ? m_settings->get(SettingsKeys::PName(j)) : QString());
    m_recent.load(stored, m_settings ? m_settings->get(SettingsKeys::IndexPName) : 0,
                  [](const QString &p) { return QFileInfo::exists(p); });
    showEntries();
}

void TForm6::showEntries()
{
    const QList<QTreeWidgetItem *> selected = tvAdres->selectedItems();
    const int keep = selected.isEmpty() ? -1 : tvAdres->indexOfTopLevelItem(selected.front());
    tvAdres->clear();
    for (const QString &e : m_recent.entries())
        tvAdres->addTopLevelItem(new QTreeWidgetItem(QStringList{e}));
    if (keep >= 0)
        tvAdres->setCurrentItem(tvAdres->topLevelItem(keep));
}

void TForm6::Open(QWidget *mainWindow)
{
    if (mainWindow) {
        move(mainWindow->pos() + QPoint(-3, 60));
        mainWindow->setEnabled(false);
    }
    pbLoadfile->setValue(0);
    show();
    raise();
    activateWindow();
}

void TForm6::BitBtn1Click()
{
    const QDateTime now = m_host.now ? m_host.now() : QDateTime::currentDateTime();
    const QString chosen = m_dialogs->saveFileName(
        QString(), suggestedProtocolName(now, m_lang) + QStringLiteral(".kvi"), kFilter);
    if (chosen.isEmpty())
        return;
    const QString base = protocolBaseName(chosen);
    if (protocolNameTaken(base)) {
        m_dialogs->message(protocolNameTakenMessage(m_lang), MsgIcon::Warning);
        return;
    }
    const QString path = base + QStringLiteral(".kvi");
    pbLoadfile->setValue(1);
    if (!m_host.create || !m_host.create(path)) {
        pbLoadfile->setValue(0);
        return; // the recent list stays as it was
    }
    m_recent.addCreated(path);
    if (m_settings)
        (void)m_settings->set(SettingsKeys::SPName, path);
    showEntries();
    pbLoadfile->setValue(0);
    closeWindow();
}

bool TForm6::openPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    pbLoadfile->setValue(5);
    const bool ok = m_host.open && m_host.open(path);
    pbLoadfile->setValue(0);
    if (ok)
        closeWindow();
    return ok;
}

void TForm6::BitBtn2Click()
{
    // The selected entry only: the tree has a current item as soon as it had
    // the focus, without the installer choosing anything.
    const QList<QTreeWidgetItem *> chosen = tvAdres->selectedItems();
    if (!chosen.isEmpty())
        openPath(chosen.front()->text(0));
}

void TForm6::SpeedButton1Click()
{
    const QString path = m_dialogs->openFileName(QString(), QString(), kFilter);
    if (!path.isEmpty())
        openPath(path);
}

void TForm6::openAsFirstEntry(const QString &path)
{
    m_recent.setEntry(0, path);
    showEntries();
    tvAdres->setCurrentItem(tvAdres->topLevelItem(0));
    tvAdres->topLevelItem(0)->setSelected(true);
    BitBtn2Click();
}

void TForm6::BitBtn3Click()
{
    hide();
    if (m_host.cancelled)
        m_host.cancelled();
}

void TForm6::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (isVisible())
        BitBtn3Click();
}

void TForm6::closeWindow()
{
    if (m_settings) {
        (void)m_settings->set(SettingsKeys::IndexPName, m_recent.slot());
        for (int j = 0; j < RecentProtocols::Slots; ++j)
            (void)m_settings->set(SettingsKeys::PName(j), m_recent.entry(j));
    }
    hide();
    if (m_host.closed)
        m_host.closed();
}
