// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The running program: its shared records and its windows, created in their
// fixed order and wired to each other. The executable builds one over the real
// world; tests build one over a simulated clock and a virtual sensor.

#include "sequencing/program_state.h"

#include <memory>

class TForm1;
class TForm3;
class TForm2;
class TForm5;
class TForm9;
class TForm6;
class TForm7;
class TAboutBox;
class HelpWindow;

class Program {
public:
    /// world's pointers must outlive the program.
    explicit Program(const ProgramWorld &world);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    ProgramState state;

    const ProgramWorld &world() const { return m_world; }
    TForm1 &form1() const { return *m_form1; }
    TForm3 &terminal() const { return *m_terminal; }
    TForm2 &form2() const { return *m_form2; }
    TForm5 &form5() const { return *m_form5; }
    TForm9 &form9() const { return *m_form9; }
    TForm6 &form6() const { return *m_form6; }
    TForm7 &form7() const { return *m_form7; }
    TAboutBox &about() const { return *m_about; }
    HelpWindow &help() const { return *m_help; }

private:
    ProgramWorld m_world;
    // Destroyed in reverse: the satellites go before the main window.
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm2> m_form2;
    std::unique_ptr<TForm3> m_terminal;
    std::unique_ptr<TForm5> m_form5;
    std::unique_ptr<TForm7> m_form7;
    std::unique_ptr<TForm9> m_form9;
    std::unique_ptr<TAboutBox> m_about;
    std::unique_ptr<HelpWindow> m_help;
    std::unique_ptr<TForm6> m_form6;
};
