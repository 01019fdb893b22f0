// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The language pass: writes the texts of the chosen language from LangTable
// into the captions, labels, titles, hints and list items of the windows.
//
// The pass is a table of (window, control, what to set, LangTable index). A
// window is matched by its objectName or class name ("TForm1" … "TAboutBox");
// controls are found by objectName inside that window only (not inside other
// windows parented to it). A control that a window does not have is skipped.

#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QObject;
class QWidget;

namespace LanguagePass {

enum class Prop {
    Text,            ///< caption by kind: label/button text, group title, menu title,
                     ///< action text, tab text of a page
    Hint,            ///< tool-tip
    WindowCaption,   ///< the window's own title (control empty)
    LeftAxisTitle,   ///< title of the left axis of the window's chart "Chart"
    BottomAxisTitle, ///< title of the bottom axis of that chart
};

struct Row {
    const char *window;
    const char *control; ///< empty for the window itself
    Prop prop;
    int index;               ///< English LangTable index
    const char *prefix = ""; ///< literal written before the table text
    const char *suffix = ""; ///< literal written after it
};

/// Every row of the pass, in the order it is applied.
const QList<Row> &rows();

/// The eight probe-length classes of `cbFlesh` in that language.
QStringList fleshItems(int Lang);
/// The twenty vehicle types of `cbTypeMashine` (LangTable 374, 376 … 412).
QStringList typeMashineItems(int Lang);

/// Refills `cbFlesh` and selects the index it had before.
void refillFlesh(QComboBox *box, int Lang);
/// Refills `cbTypeMashine` and leaves it without a selection (and, when it is
/// editable, without text).
void refillTypeMashine(QComboBox *box, int Lang);

/// Resource of the image of `bbControlRefZNull` in that language:
/// ":/bitmaps/BUTTONSBITMAP.png" (Russian) or ":/bitmaps/BUTTONSBITMAPEn.png".
QString zeroButtonBitmap(int Lang);

/// Sets one text on an object according to its kind (see Prop::Text).
void setCaption(QObject *target, const QString &text);

} // namespace LanguagePass

/// The language pass over one window: applies the rows of that window and its
/// special refills and images.
void Language_Ref(QWidget *window, int Lang);
/// The pass over several windows (the program passes all of its windows).
void Language_Ref(const QList<QWidget *> &windows, int Lang);
