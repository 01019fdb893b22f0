// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sequencing/program.h"

#include "calibration/Load_U.h"
#include "calibration/Property_Zond_U.h"
#include "common/accessibility.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "shell/AvtoSave_U.h"
#include "shell/Help_Progral.h"
#include "shell/Terminal_U.h"
#include "shell/help_window.h"
#include "shell/settings_store.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/Protocol_Options_U.h"

Program::Program(const ProgramWorld &world) : m_world(world)
{
    Q_ASSERT(world.scheduler && world.dialogs && world.ports && world.settings);
    // A button operated through the accessibility bus clicks, as the mouse does.
    Accessibility::installButtonActions();
    // Windows in their creation order: main window, terminal, settings, About;
    // each runs its own creation handler as it is made.
    m_form1 = std::make_unique<TForm1>(state, m_world);
    m_form1->FormCreate();
    m_form2 = std::make_unique<TForm2>();
    m_terminal = std::make_unique<TForm3>();
    m_form5 = std::make_unique<TForm5>(m_world.dialogs, m_world.settings);
    m_form7 = std::make_unique<TForm7>(*m_world.settings, m_world.dialogs);
    m_form9 = std::make_unique<TForm9>(m_world.settings, state.number);
    m_about = std::make_unique<TAboutBox>(m_form1.get());
    m_help = std::make_unique<HelpWindow>();
    m_form6 = std::make_unique<TForm6>(m_world.dialogs, m_world.settings);

    state.link.setTrace(m_terminal.get());
    m_terminal->setDialogs(m_world.dialogs);
    m_form1->setWindows({m_terminal.get(), m_form7.get(), m_about.get(), m_help.get(),
                         m_form5.get(), m_form6.get(), m_form2.get(), m_form9.get()});
    // The last window's creation puts the interface language on every window.
    m_form1->applyLanguage();
}

Program::~Program()
{
    state.link.setTrace(nullptr);
    // Nothing may go out to a window that is gone.
    state.link.ResetLine();
    state.link.setScheduler(nullptr);
    state.link.setWriter({});
    m_form1->setWindows({});
}
