// TForm1: Shell commands: terminal window, settings windows, language, About and Help.
// The handlers are connected in TForm1::connectHandlers(); their procedures come
// with the issue that builds this subsystem.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include "shell/AvtoSave_U.h"

#include <QAction>

void TForm1::N5Click() {}

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

void TForm1::N10Click() {}

void TForm1::N13Click() {}
