// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/accessible_names.h"

#include "common/widgets.h"
#include "shell/lang_table.h"

#include <QLabel>
#include <QToolButton>
#include <QWidget>

namespace AccessibleNames {

namespace {

const QList<Name> kNames = {
    // Calibration window: the transport and navigation buttons show pictures.
    {"TForm5", "sbPlay", "Старт", "Start"},
    {"TForm5", "sbPause", "Пауза", "Pause"},
    {"TForm5", "sbRec", "Запись", "Rec"},
    {"TForm5", "sbStop", "Стоп", "Stop"},
    {"TForm5", "sbSpeedDown", "Быстро назад", "Fast back"},
    {"TForm5", "sbDown", "Назад", "Back"},
    {"TForm5", "sbUp", "Вперёд", "Forward"},
    {"TForm5", "sbSpeedUp", "Быстро вперёд", "Fast forward"},
    // Its caption is only "+" or "-"; the state says which (down: draining).
    {"TForm5", "sbProc", "Слив (-) или налив (+)", "Draining (-) or filling (+)"},
    {"TForm5", "ValueListEditor", "Записанные точки", "Stored points"},
    // Lists and fields with no label of their own.
    {"TForm6", "tvAdres", "Последние протоколы", "Recent protocols"},
    {"HelpWindow", "HelpBrowser", "Руководство", "Guide"},
    // Its label is the question, filled in when the window opens.
    {"TForm15", "meEnterFuil", "Новое значение, л", "New value, L"},
    // The reference-check fields of the calibration page (never shown).
    {"TForm1", "edRefZL", "Результат контроля", "Check result"},
    {"TForm1", "edTermo", "Температура контроля", "Check temperature"},
};

const QList<Buddy> kBuddies = {
    {"TForm1", "Label34", "cbSpeedCom"},
    {"TForm1", "Label84", "seFSMOffset"},
    {"TForm1", "Label88", "seFSMScale"},
    {"TForm1", "Label86", "cbFMSCALCPARAM"},
    {"TForm1", "Label85", "meZeroLen"},
    {"TForm1", "Label87", "mePermix"},
    {"TForm1", "Label19", "edMetrNull"},
    {"TForm1", "Label12", "edTetmo1"},
    {"TForm1", "Label18", "edRefNull"},
    {"TForm1", "Label28", "edRefT"},
    {"TForm5", "Label3", "meStartLiter"},
    {"TForm5", "Label1", "meIncrem"},
    {"TForm5", "Label2", "meliter"},
};

bool matches(const QWidget *window, const char *name)
{
    const QLatin1String n(name);
    return window->objectName() == n || QLatin1String(window->metaObject()->className()) == n;
}

// The control of that name in the window itself (not in a window it holds).
template <class T> T *inWindow(QWidget *window, const char *name)
{
    for (T *w : window->findChildren<T *>(QLatin1String(name)))
        if (w->window() == window)
            return w;
    return nullptr;
}

} // namespace

const QList<Name> &names()
{
    return kNames;
}

const QList<Buddy> &buddies()
{
    return kBuddies;
}

void apply(QWidget *window, int Lang)
{
    if (!window)
        return;
    const bool russian = Lang >= LangRussian;
    for (const Name &n : kNames) {
        if (!matches(window, n.window))
            continue;
        if (QWidget *w = inWindow<QWidget>(window, n.control))
            w->setAccessibleName(QString::fromUtf8(russian ? n.ru : n.en));
    }
    for (const Buddy &b : kBuddies) {
        if (!matches(window, b.window))
            continue;
        auto *label = inWindow<QLabel>(window, b.label);
        QWidget *control = inWindow<QWidget>(window, b.control);
        if (label && control)
            label->setBuddy(control);
    }
    // The arrows of an up-down are named after it ("UpDown1_Up", "UpDown1_Down").
    for (UpDown *u : window->findChildren<UpDown *>()) {
        if (auto *up = u->findChild<QToolButton *>(u->objectName() + QStringLiteral("_Up")))
            up->setAccessibleName(russian ? QStringLiteral("Больше") : QStringLiteral("Up"));
        if (auto *down = u->findChild<QToolButton *>(u->objectName() + QStringLiteral("_Down")))
            down->setAccessibleName(russian ? QStringLiteral("Меньше") : QStringLiteral("Down"));
    }
}

} // namespace AccessibleNames
