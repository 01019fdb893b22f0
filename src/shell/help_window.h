// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The help window opened by N13 (F1): the installer's guide shipped with the
// program as a Qt resource, in Russian or English.

#include <QUrl>
#include <QWidget>

class QTextBrowser;

/// Registers the guide's resources of the static library. Safe to call more
/// than once; HelpWindow calls it itself, the program may call it at start.
void initHelpResources();

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    /// The guide for a language (Lang: 1 = Russian, 0 = English).
    static QUrl guideUrl(int Lang);

    /// Loads the guide in the language without showing the window.
    void loadGuide(int Lang);
    /// What N13Click does: loads the guide in the language and brings the window up.
    void showHelp(int Lang);

    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
