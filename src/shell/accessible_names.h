// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Names for assistive technology: what a screen reader says for a control
// whose caption does not say it (the transport buttons and arrows, which show
// a picture only; edits named by the label beside them). The names come in
// Russian-English pairs beside the interface strings and follow the language
// switch: the language pass puts them on after the captions.

#include <QList>

class QWidget;

namespace AccessibleNames {

struct Name {
    const char *window;  ///< objectName or class name of the window
    const char *control; ///< objectName inside that window
    const char *ru;
    const char *en;
};

/// An edit or list named by the label beside it: the label's caption, in
/// whichever language the pass wrote it, is what a screen reader says.
struct Buddy {
    const char *window;
    const char *label;
    const char *control;
};

/// Every named control, by window.
const QList<Name> &names();
/// Every control named by its label.
const QList<Buddy> &buddies();

/// Puts the names of language Lang (1 Russian, 0 English) on the window's
/// controls and on the arrows of its up-downs, and ties its labels to the
/// controls they name.
void apply(QWidget *window, int Lang);

} // namespace AccessibleNames
