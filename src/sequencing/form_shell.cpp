// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// TForm1: Shell commands: terminal window, settings windows, language, About and Help.
// The handlers are connected in TForm1::connectHandlers().

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "common/lang_ids.h"
#include "shell/AvtoSave_U.h"
#include "shell/Help_Progral.h"
#include "shell/Terminal_U.h"
#include "shell/help_window.h"

#include <QAction>

void TForm1::wireTerminal()
{
    TForm3 *terminal = m_windows.terminal;
    if (!terminal || terminal == m_wiredTerminal)
        return;
    m_wiredTerminal = terminal;
    // The terminal keeps N5's check and caption in step when its close box
    // hides it; the toggle itself stays with N5Click, so the window's own
    // reaction to the menu item is taken off again.
    terminal->setTextLookup([this](int k) { return m_state.text(k); });
    terminal->setMainWindow(this);
    terminal->setMenuItem(ui->N5);
    disconnect(ui->N5, &QAction::triggered, terminal, nullptr);
}

void TForm1::N5Click()
{
    TForm3 *terminal = m_windows.terminal;
    if (!terminal)
        return;
    wireTerminal();
    // The window's state decides: N5's check has already flipped when the
    // menu triggers it, and the close box may have hidden the window meanwhile.
    const bool show = !terminal->isVisible();
    if (show) {
        terminal->show(); // placed at the main window's right edge as it shows
        terminal->raise();
    } else {
        terminal->hide();
    }
    ui->N5->setChecked(show);
    ui->N5->setText(m_state.text(show ? Txt::HideTerminal : Txt::ShowTerminal));
}

void TForm1::N12Click() {}

void TForm1::N16Click()
{
    if (m_windows.settings)
        m_windows.settings->Open(this);
}

void TForm1::English1Click()
{
    m_state.Lang = LangEnglish;
    applyLanguage();
    ui->English1->setChecked(true);
    ui->Rus1->setChecked(false);
}

void TForm1::Rus1Click()
{
    m_state.Lang = LangRussian;
    applyLanguage();
    ui->English1->setChecked(false);
    ui->Rus1->setChecked(true);
}

void TForm1::N10Click()
{
    if (m_windows.about)
        m_windows.about->showAbout();
}

void TForm1::N13Click()
{
    if (m_windows.help)
        m_windows.help->showHelp(m_state.Lang);
}
