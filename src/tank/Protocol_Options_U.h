// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm6: choosing the protocol. It keeps the nine recent protocols (in the
// settings store under "Protocol_Name"), creates a new protocol under a
// suggested name, opens one from the list, from the file dialog or from the
// command line, and hands the chosen file to the main window, which loads it.
// The window holds the list and the dialogs; what a created or opened
// protocol sets in motion is the host's.

#include "tank/protocol_selection.h"

#include <QWidget>
#include <functional>

class Dialogs;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QToolButton;
class QTreeWidget;
class SettingsStore;

class TForm6 : public QWidget {
    Q_OBJECT
public:
    struct Host {
        /// A new protocol at `path`: create it; false when that failed.
        std::function<bool(const QString &path)> create;
        /// Open the protocol at `path`; false when it was refused.
        std::function<bool(const QString &path)> open;
        /// Cancel: the main window back on its first page.
        std::function<void()> cancelled;
        /// The window closed after a create or an open.
        std::function<void()> closed;
        /// The local time for the suggested name.
        std::function<QDateTime()> now;
    };

    TForm6(Dialogs *dialogs, SettingsStore *settings, QWidget *parent = nullptr);

    void setHost(Host host) { m_host = std::move(host); }
    void setLang(int lang) { m_lang = lang; }
    /// Shows the window below the main window's top-left corner.
    void Open(QWidget *mainWindow);

    const RecentProtocols &recent() const { return m_recent; }
    QTreeWidget *tree() const { return tvAdres; }

    void BitBtn1Click();      ///< create
    void BitBtn2Click();      ///< open the selected entry
    void BitBtn3Click();      ///< cancel
    void SpeedButton1Click(); ///< open through the file dialog
    /// The protocol named on the command line: entry 0, selected, opened.
    void openFromCommandLine(const QString &path) { openAsFirstEntry(path); }
    /// Entry 0 takes `path`, is selected and opened (the command line, and the
    /// re-opening of the open protocol after a point was corrected or deleted).
    void openAsFirstEntry(const QString &path);

protected:
    /// Closed by the window system (Alt+F4): the same as Cancel.
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void showEntries();
    bool openPath(const QString &path);
    void closeWindow();

    Dialogs *m_dialogs;
    SettingsStore *m_settings;
    Host m_host;
    int m_lang = 0;
    RecentProtocols m_recent;
    QTreeWidget *tvAdres;
    QToolButton *SpeedButton1;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3;
    QStatusBar *StatusBar1;
    QProgressBar *pbLoadfile;
};
