// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/language_ref.h"

#include "shell/accessible_names.h"
#include "shell/lang_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>

namespace LanguagePass {

namespace {

using P = Prop;

// Texts of the main window are grouped as its pages and menus are.
const QList<Row> kRows = {
    // Protocol selection.
    {"TForm6", "", P::WindowCaption, 50},
    {"TForm6", "BitBtn1", P::Text, 52},
    {"TForm6", "BitBtn2", P::Text, 54},
    {"TForm6", "BitBtn3", P::Text, 452},
    {"TForm6", "SpeedButton1", P::Text, 58},
    // Main window: settings, calibration and information pages.
    {"TForm1", "TabSheet1", P::Text, 6},
    {"TForm1", "N1", P::Text, 2},
    {"TForm1", "N2", P::Text, 4},
    {"TForm1", "GroupBox1", P::Text, 8},
    {"TForm1", "Label20", P::Text, 10},
    {"TForm1", "Label9", P::Text, 12},
    {"TForm1", "Label7", P::Text, 14},
    {"TForm1", "Label8", P::Text, 16},
    {"TForm1", "GroupBox4", P::Text, 18},
    {"TForm1", "Label19", P::Text, 20},
    {"TForm1", "Label12", P::Text, 22},
    {"TForm1", "Label18", P::Text, 24},
    {"TForm1", "Label28", P::Text, 26},
    {"TForm1", "Label10", P::Text, 30},
    {"TForm1", "bbControlDC", P::Text, 28},
    {"TForm1", "GroupBox3", P::Text, 32},
    {"TForm1", "Label2", P::Text, 34},
    {"TForm1", "Label22", P::Text, 36},
    {"TForm1", "cbPeriod", P::Text, 38},
    {"TForm1", "RadioGroup", P::Text, 40},
    {"TForm1", "Label31", P::Text, 42},
    {"TForm1", "Label33", P::Text, 44},
    {"TForm1", "bbNewAdres", P::Text, 46},
    {"TForm1", "bbReadAvtomod", P::Text, 48},
    {"TForm1", "TabSheet2", P::Text, 60},
    {"TForm1", "GroupBox6", P::Text, 62},
    {"TForm1", "Label6", P::Text, 64},
    {"TForm1", "Label23", P::Text, 66},
    {"TForm1", "Label24", P::Text, 68},
    {"TForm1", "Label25", P::Text, 70},
    {"TForm1", "Label26", P::Text, 72},
    {"TForm1", "Label3", P::Text, 74},
    {"TForm1", "Label5", P::Text, 76},
    {"TForm1", "GroupBox7", P::Text, 78},
    {"TForm1", "Label14", P::Text, 80},
    {"TForm1", "Label32", P::Text, 82},
    {"TForm1", "bbOnChart", P::Text, 84},
    {"TForm1", "bbDublTarirovanie", P::Text, 84},
    {"TForm1", "bbSetSOND", P::Text, 46},
    {"TForm1", "BitBtn1", P::Text, 48},
    {"TForm1", "Label30", P::Text, 186, "10"},
    {"TForm1", "GroupBox9", P::Text, 426},
    {"TForm1", "TabSheet3", P::Text, 424},
    {"TForm1", "Label43", P::Text, 450},
    {"TForm1", "Label51", P::Text, 428},
    {"TForm1", "Label53", P::Text, 430},
    {"TForm1", "Label52", P::Text, 432},
    {"TForm1", "Label39", P::Text, 80},
    {"TForm1", "Label95", P::Text, 80},
    {"TForm1", "Label40", P::Text, 82},
    {"TForm1", "Label46", P::Text, 64},
    {"TForm1", "Label47", P::Text, 436},
    // The probe group of the information page has no text of its own in the
    // table; it shares the probe-constants window's group caption.
    {"TForm1", "GroupBox100", P::Text, 174},
    {"TForm1", "Label41", P::Text, 434},
    {"TForm1", "BitBtn3", P::Text, 438},
    {"TForm1", "N20", P::Text, 448},
    // Memo window.
    {"TForm4", "", P::WindowCaption, 86},
    // Main window: protocol data page.
    {"TForm1", "GroupBox21", P::Text, 88},
    {"TForm1", "Label55", P::Text, 90},
    {"TForm1", "Label56", P::Text, 92},
    {"TForm1", "GroupBox22", P::Text, 94},
    {"TForm1", "Label60", P::Text, 96},
    {"TForm1", "Label59", P::Text, 98},
    {"TForm1", "Label58", P::Text, 100},
    {"TForm1", "Label57", P::Text, 102},
    {"TForm1", "Label61", P::Text, 104},
    {"TForm1", "GroupBox23", P::Text, 106},
    {"TForm1", "Label63", P::Text, 108},
    {"TForm1", "Label64", P::Text, 110},
    {"TForm1", "GroupBox24", P::Text, 114},
    {"TForm1", "Label67", P::Text, 116},
    {"TForm1", "Label66", P::Text, 118},
    // Main window: port group and hints.
    {"TForm1", "GroupBox5", P::Text, 134},
    {"TForm1", "Label1", P::Text, 136},
    {"TForm1", "Button1", P::Text, 138},
    {"TForm1", "bbDublComOpen", P::Text, 140},
    {"TForm1", "bbDublComClose", P::Text, 142},
    {"TForm1", "bbOpenDiagram1", P::Text, 144},
    {"TForm1", "GroupBox16", P::Hint, 456},
    {"TForm1", "GroupBox17", P::Hint, 458},
    {"TForm1", "GroupBox13", P::Hint, 460},
    {"TForm1", "GroupBox18", P::Hint, 462},
    {"TForm1", "GroupBox11", P::Hint, 464},
    {"TForm1", "GroupBox14", P::Hint, 466},
    {"TForm1", "GroupBox15", P::Hint, 468},
    {"TForm1", "GroupBox25", P::Hint, 486},
    // Main window: navigation and scale page.
    {"TForm1", "BitBtn5", P::Text, 472},
    {"TForm1", "BitBtn6", P::Text, 472},
    {"TForm1", "BitBtn7", P::Text, 472},
    // "Next" on the calibration page and the scale page's current-C group
    // take the texts their neighbours use.
    {"TForm1", "BitBtn8", P::Text, 472},
    {"TForm1", "grpCurrentC", P::Text, 80},
    {"TForm1", "BitBtn4", P::Text, 472},
    {"TForm1", "BitBtn9", P::Text, 474},
    {"TForm1", "BitBtn10", P::Text, 474},
    {"TForm1", "BitBtn11", P::Text, 474},
    {"TForm1", "bbResetRef", P::Text, 182},
    {"TForm1", "N19", P::Text, 476},
    {"TForm1", "N21", P::Text, 478},
    {"TForm1", "N22", P::Text, 480},
    {"TForm1", "Label69", P::Text, 484},
    {"TForm1", "TabSheet5", P::Text, 488},
    {"TForm1", "Label75", P::Text, 490},
    {"TForm1", "Label76", P::Text, 490},
    {"TForm1", "Label77", P::Text, 492},
    {"TForm1", "Label78", P::Text, 492},
    {"TForm1", "Label79", P::Text, 494},
    {"TForm1", "Label80", P::Text, 494},
    {"TForm1", "Label81", P::Text, 496},
    {"TForm1", "Label82", P::Text, 496},
    {"TForm1", "BitBtn13", P::Text, 498},
    {"TForm1", "BitBtn14", P::Text, 498},
    {"TForm1", "TabSheet4", P::Text, 504},
    {"TForm1", "BitBtn12", P::Text, 474},
    {"TForm1", "Label73", P::Text, 506},
    {"TForm1", "Label74", P::Text, 508},
    {"TForm1", "GroupBox27", P::Text, 510},
    {"TForm1", "cbModeFreqOut", P::Text, 512},
    {"TForm1", "Label70", P::Text, 514},
    // Calibration monitoring window.
    {"TForm5", "", P::WindowCaption, 120},
    {"TForm5", "Chart", P::LeftAxisTitle, 122},
    {"TForm5", "Chart", P::BottomAxisTitle, 130},
    {"TForm5", "Label3", P::Text, 124},
    {"TForm5", "Label1", P::Text, 126},
    {"TForm5", "Label2", P::Text, 128},
    {"TForm5", "Label4", P::Text, 122},
    {"TForm5", "N5", P::Text, 284},
    {"TForm5", "N7", P::Text, 286},
    {"TForm5", "N4", P::Text, 288},
    {"TForm5", "N1", P::Text, 290},
    {"TForm5", "N3", P::Text, 292},
    // Main window: menus and buttons.
    {"TForm1", "N10", P::Text, 418},
    {"TForm1", "N14", P::Text, 146},
    {"TForm1", "N6", P::Text, 148},
    {"TForm1", "WORD1", P::Text, 150},
    {"TForm1", "N3", P::Text, 56},
    {"TForm1", "COM1", P::Text, 152},
    {"TForm1", "COM2", P::Text, 154},
    {"TForm1", "N5", P::Text, 156},
    {"TForm1", "N8", P::Text, 158},
    {"TForm1", "N12", P::Text, 160},
    {"TForm1", "N16", P::Text, 162},
    {"TForm1", "N9", P::Text, 164},
    {"TForm1", "N13", P::Text, 372},
    {"TForm1", "bbCalibration", P::Text, 314},
    {"TForm1", "BitBtn2", P::Text, 370},
    {"TForm1", "bbControlDC", P::Text, 28},
    {"TForm1", "Label34", P::Text, 326},
    {"TForm1", "cbtextbinformat", P::Text, 328},
    {"TForm1", "Label35", P::Text, 330},
    {"TForm1", "N15", P::Text, 332},
    {"TForm1", "cbCenter", P::Text, 482},
    {"TForm1", "Label94", P::Text, 516},
    {"TForm1", "Label72", P::Text, 518},
    {"TForm1", "Label83", P::Text, 520},
    {"TForm1", "TabSheet6", P::Text, 488},
    {"TForm1", "cbModeFSM", P::Text, 524},
    {"TForm1", "cbHUBonOff", P::Text, 528},
    {"TForm1", "Label84", P::Text, 532},
    {"TForm1", "BitBtn15", P::Text, 534},
    {"TForm1", "rbFRMRef", P::Text, 536},
    {"TForm1", "rbFRMAutoRef", P::Text, 538},
    {"TForm1", "Label88", P::Text, 540},
    {"TForm1", "BitBtn16", P::Text, 534},
    {"TForm1", "Label86", P::Text, 542},
    {"TForm1", "Label85", P::Text, 544},
    {"TForm1", "TabSheet7", P::Text, 526},
    {"TForm1", "GroupBox28", P::Text, 546},
    {"TForm1", "Label89", P::Text, 550},
    {"TForm1", "Label90", P::Text, 552},
    {"TForm1", "Label91", P::Text, 554},
    {"TForm1", "Button8", P::Text, 548},
    {"TForm1", "BitBtn17", P::Text, 46},
    {"TForm1", "BitBtn18", P::Text, 48},
    {"TForm1", "BitBtn19", P::Text, 474},
    {"TForm1", "BitBtn22", P::Text, 474},
    {"TForm1", "BitBtn20", P::Text, 472},
    {"TForm1", "BitBtn21", P::Text, 472},
    {"TForm1", "Label97", P::Text, 556},
    {"TForm1", "txt1", P::Text, 576},
    {"TForm1", "cbSetingProperty", P::Text, 580},
    {"TForm1", "Label98", P::Text, 582},
    {"TForm1", "cbModeIncl", P::Text, 586},
    {"TForm1", "Label99", P::Text, 588},
    {"TForm1", "Label100", P::Text, 590},
    {"TForm1", "Label101", P::Text, 592},
    // Settings window.
    {"TForm7", "", P::WindowCaption, 162},
    {"TForm7", "rgAvtoSave", P::Text, 166},
    {"TForm7", "Label1", P::Text, 168},
    {"TForm7", "Label2", P::Text, 170},
    {"TForm7", "Label3", P::Text, 172},
    {"TForm7", "GroupBox1", P::Text, 354},
    {"TForm7", "cbRefCTS", P::Text, 356},
    {"TForm7", "GroupBox2", P::Text, 560},
    {"TForm7", "Label4", P::Text, 562},
    {"TForm7", "Label5", P::Text, 564},
    {"TForm7", "cbforTarnet", P::Text, 566},
    // Probe-constants window.
    {"TForm9", "", P::WindowCaption, 164},
    {"TForm9", "GroupBox1", P::Text, 174},
    {"TForm9", "Label5", P::Text, 176},
    {"TForm9", "Label8", P::Text, 178},
    {"TForm9", "Label7", P::Text, 180},
    {"TForm9", "BitBtn3", P::Text, 182},
    {"TForm9", "Label2", P::Text, 186, "pF/"},
    // Zero-search progress window.
    {"TForm2", "lbSprob", P::Text, 214, "", " 1"},
    {"TForm2", "bbForm2Censel", P::Text, 220},
    // Fuel-level, terminal and About windows.
    {"TForm15", "", P::WindowCaption, 252},
    {"TForm3", "", P::WindowCaption, 312},
    {"TAboutBox", "", P::WindowCaption, 420},
};

const char *const kFleshRu[] = {"710 (635мм < L < 725мм)", "620 (545мм < L < 635мм)",
                                "530 (455мм < L < 545мм)", "440 (365мм < L < 455мм)",
                                "350 (275мм < L < 365мм)", "260 (185мм < L < 275мм)",
                                "Пользов H (L > 725 мм)",  "Пользов L (L < 185 мм)"};
const char *const kFleshEn[] = {"710 (635mm < L < 725mm)", "620 (545mm < L < 635mm)",
                                "530 (455mm < L < 545mm)", "440 (365mm < L < 455mm)",
                                "350 (275mm < L < 365mm)", "260 (185mm < L < 275mm)",
                                "User_H (L > 725 mm)",     "User_L (L < 185 mm)"};

bool matchesWindow(const QWidget *window, const char *name)
{
    const QLatin1String n(name);
    return window->objectName() == n || QLatin1String(window->metaObject()->className()) == n;
}

// The window an object belongs to: its nearest ancestor widget that is a
// window of its own (pop-up menus are part of the window that holds them).
const QWidget *owningWindow(const QObject *o)
{
    for (const QObject *p = o->parent(); p; p = p->parent()) {
        const auto *w = qobject_cast<const QWidget *>(p);
        if (w && w->isWindow() && !qobject_cast<const QMenu *>(w))
            return w;
    }
    return nullptr;
}

QList<QObject *> controlsOf(QWidget *window, const char *name)
{
    QList<QObject *> found;
    const QList<QObject *> all = window->findChildren<QObject *>(QLatin1String(name));
    for (QObject *o : all)
        if (owningWindow(o) == window)
            found.append(o);
    return found;
}

QChart *chartOf(QObject *o)
{
    if (auto *view = qobject_cast<QChartView *>(o))
        return view->chart();
    return qobject_cast<QChart *>(o);
}

void setAxisTitle(QChart *chart, Qt::Alignment side, Qt::Orientation orientation,
                  const QString &text)
{
    if (!chart)
        return;
    QList<QAbstractAxis *> axes;
    for (QAbstractAxis *a : chart->axes(orientation))
        if (a->alignment() & side)
            axes.append(a);
    if (axes.isEmpty())
        axes = chart->axes(orientation).mid(0, 1);
    for (QAbstractAxis *a : axes)
        a->setTitleText(text);
}

void applyRow(QWidget *window, const Row &row, int Lang)
{
    const QString text =
        QString::fromUtf8(row.prefix) + LangText(row.index, Lang) + QString::fromUtf8(row.suffix);
    if (row.prop == Prop::WindowCaption) {
        window->setWindowTitle(text);
        return;
    }
    QList<QObject *> targets = controlsOf(window, row.control);
    if (targets.isEmpty() && (row.prop == Prop::LeftAxisTitle || row.prop == Prop::BottomAxisTitle))
        if (auto *view = window->findChild<QChartView *>())
            targets.append(view);
    for (QObject *o : targets) {
        switch (row.prop) {
        case Prop::Text:
            setCaption(o, text);
            break;
        case Prop::Hint:
            if (auto *w = qobject_cast<QWidget *>(o))
                w->setToolTip(text);
            else if (auto *a = qobject_cast<QAction *>(o))
                a->setToolTip(text);
            break;
        case Prop::LeftAxisTitle:
            setAxisTitle(chartOf(o), Qt::AlignLeft, Qt::Vertical, text);
            break;
        case Prop::BottomAxisTitle:
            setAxisTitle(chartOf(o), Qt::AlignBottom, Qt::Horizontal, text);
            break;
        case Prop::WindowCaption:
            break;
        }
    }
}

} // namespace

const QList<Row> &rows()
{
    return kRows;
}

void setCaption(QObject *o, const QString &text)
{
    if (auto *a = qobject_cast<QAction *>(o)) {
        a->setText(text);
    } else if (auto *m = qobject_cast<QMenu *>(o)) {
        m->setTitle(text);
    } else if (auto *g = qobject_cast<QGroupBox *>(o)) {
        g->setTitle(text);
    } else if (auto *l = qobject_cast<QLabel *>(o)) {
        l->setText(text);
    } else if (auto *b = qobject_cast<QAbstractButton *>(o)) {
        b->setText(text);
    } else if (auto *e = qobject_cast<QLineEdit *>(o)) {
        e->setText(text);
    } else if (auto *w = qobject_cast<QWidget *>(o)) {
        // A page: its caption is the text of its tab.
        QWidget *stack = w->parentWidget();
        auto *tabs = stack && qobject_cast<QStackedWidget *>(stack)
                         ? qobject_cast<QTabWidget *>(stack->parentWidget())
                         : nullptr;
        if (tabs && tabs->indexOf(w) >= 0)
            tabs->setTabText(tabs->indexOf(w), text);
        w->setWindowTitle(text);
    }
}

QStringList fleshItems(int Lang)
{
    QStringList items;
    for (const char *t : (Lang >= LangRussian ? kFleshRu : kFleshEn))
        items.append(QString::fromUtf8(t));
    return items;
}

QStringList typeMashineItems(int Lang)
{
    QStringList items;
    for (int k = 374; k <= 412; k += 2)
        items.append(LangText(k, Lang));
    return items;
}

void refillFlesh(QComboBox *box, int Lang)
{
    const int selected = box->currentIndex();
    box->clear();
    box->addItems(fleshItems(Lang));
    box->setCurrentIndex(selected);
}

void refillTypeMashine(QComboBox *box, int Lang)
{
    box->clear();
    box->addItems(typeMashineItems(Lang));
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->setEditText(QString());
}

QString zeroButtonBitmap(int Lang)
{
    return Lang >= LangRussian ? QStringLiteral(":/bitmaps/BUTTONSBITMAP.png")
                               : QStringLiteral(":/bitmaps/BUTTONSBITMAPEn.png");
}

} // namespace LanguagePass

void Language_Ref(QWidget *window, int Lang)
{
    using namespace LanguagePass;
    if (!window)
        return;
    for (const Row &row : rows())
        if (matchesWindow(window, row.window))
            applyRow(window, row, Lang);
    AccessibleNames::apply(window, Lang);

    if (!matchesWindow(window, "TForm1"))
        return;
    for (QObject *o : controlsOf(window, "cbTypeMashine"))
        if (auto *box = qobject_cast<QComboBox *>(o))
            refillTypeMashine(box, Lang);
    for (QObject *o : controlsOf(window, "cbFlesh"))
        if (auto *box = qobject_cast<QComboBox *>(o))
            refillFlesh(box, Lang);
    for (QObject *o : controlsOf(window, "bbControlRefZNull"))
        if (auto *b = qobject_cast<QAbstractButton *>(o)) {
            const QString image = zeroButtonBitmap(Lang);
            // The name stays on the button even where the image is not built in.
            b->setProperty("bitmapResource", image);
            if (QFile::exists(image))
                b->setIcon(QIcon(image));
        }
}

void Language_Ref(const QList<QWidget *> &windows, int Lang)
{
    for (QWidget *w : windows)
        Language_Ref(w, Lang);
}
