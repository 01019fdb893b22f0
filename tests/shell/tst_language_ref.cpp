// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The language pass on a small widget tree named like the real windows.

#include "shell/lang_table.h"
#include "shell/language_ref.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

template <class W> W *make(QWidget *parent, const char *name, const QString &text = QString())
{
    auto *w = new W(parent);
    w->setObjectName(name);
    if constexpr (std::is_base_of_v<QLabel, W> || std::is_base_of_v<QPushButton, W>)
        w->setText(text);
    return w;
}

// Main window: a menu, a page, a group with a hint, labels, the two lists; a
// settings dialog parented to it whose Label1 must not take the main window's text.
struct Tree {
    QMainWindow main;
    QMenu *n1 = nullptr;
    QAction *n14 = nullptr;
    QTabWidget *pages = nullptr;
    QWidget *tabSheet3 = nullptr;
    QGroupBox *groupBox5 = nullptr, *groupBox16 = nullptr;
    QLabel *label1 = nullptr, *label30 = nullptr;
    QComboBox *cbFlesh = nullptr, *cbTypeMashine = nullptr;
    QDialog *form7 = nullptr;
    QLabel *form7Label1 = nullptr;

    Tree()
    {
        main.setObjectName("TForm1");
        n1 = main.menuBar()->addMenu("&Файл");
        n1->setObjectName("N1");
        n14 = n1->addAction("П&ерейти к новому протоколу");
        n14->setObjectName("N14");
        auto *central = new QWidget(&main);
        auto *layout = new QVBoxLayout(central);
        main.setCentralWidget(central);
        pages = make<QTabWidget>(central, "PageControl");
        tabSheet3 = new QWidget;
        tabSheet3->setObjectName("TabSheet3");
        pages->addTab(new QWidget, "Общие параметры датчика");
        pages->addTab(tabSheet3, "Информация");
        groupBox5 = make<QGroupBox>(tabSheet3, "GroupBox5");
        groupBox16 = make<QGroupBox>(groupBox5, "GroupBox16");
        label1 = make<QLabel>(groupBox5, "Label1", "Выберите COM порт");
        label30 = make<QLabel>(tabSheet3, "Label30", "10 мм ");
        cbFlesh = make<QComboBox>(central, "cbFlesh");
        cbFlesh->addItems(LanguagePass::fleshItems(LangRussian));
        cbFlesh->setCurrentIndex(6);
        cbTypeMashine = make<QComboBox>(central, "cbTypeMashine");
        cbTypeMashine->setEditable(true);
        cbTypeMashine->addItems({"a", "b", "c"});
        cbTypeMashine->setCurrentIndex(2);
        for (QWidget *w : {static_cast<QWidget *>(pages), static_cast<QWidget *>(cbFlesh),
                           static_cast<QWidget *>(cbTypeMashine)})
            layout->addWidget(w);

        form7 = new QDialog(&main);
        form7->setObjectName("TForm7");
        form7Label1 = make<QLabel>(form7, "Label1", "Константа автосохранения");
    }
};

} // namespace

class TstLanguageRef : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mainWindowBothWays()
    {
        Tree t;
        for (int lang : {LangEnglish, LangRussian, LangEnglish}) {
            Language_Ref(&t.main, lang);
            const bool en = lang == LangEnglish;
            QCOMPARE(t.n1->title(), QString(en ? "&File" : "&Файл"));
            QCOMPARE(t.n14->text(),
                     QString(en ? "&Attach new protocol" : "П&одключить новый протокол"));
            QCOMPARE(t.pages->tabText(1), QString(en ? "Information" : "Информация"));
            QCOMPARE(t.pages->tabText(0), QString("Общие параметры датчика")); // not in this tree
            QCOMPARE(t.groupBox5->title(), QString(en ? "  Port tuning  " : "  Настройки порта  "));
            QCOMPARE(t.groupBox16->toolTip(), QString(en ? "The network address of the device"
                                                         : "Сетевой адрес устройства"));
            QCOMPARE(t.label1->text(), QString(en ? "COM port selection" : "Выберите COM порт"));
            QCOMPARE(t.label30->text(), QString(en ? "10 mm " : "10 мм "));
            // The dialog is a window of its own: the main window's pass leaves it alone.
            QCOMPARE(t.form7Label1->text(), QString("Константа автосохранения"));
        }
    }

    void windowsMatchedByNameOnly()
    {
        Tree t;
        Language_Ref(QList<QWidget *>{&t.main, t.form7}, LangEnglish);
        QCOMPARE(t.form7->windowTitle(), QString("Work mode control"));
        QCOMPARE(t.form7Label1->text(), QString("Autosave constant"));
        QCOMPARE(t.label1->text(), QString("COM port selection"));
        Language_Ref(t.form7, LangRussian);
        QCOMPARE(t.form7Label1->text(), QString("Константа автосохранения"));
        QCOMPARE(t.label1->text(), QString("COM port selection")); // main window untouched
        Language_Ref(nullptr, LangRussian);                        // nothing to do, no crash
    }

    void probeClassKeepsItsSelection()
    {
        Tree t;
        Language_Ref(&t.main, LangEnglish);
        QCOMPARE(t.cbFlesh->count(), 8);
        QCOMPARE(t.cbFlesh->currentIndex(), 6);
        QCOMPARE(t.cbFlesh->currentText(), QString("User_H (L > 725 mm)"));
        QCOMPARE(t.cbFlesh->itemText(0), QString("710 (635mm < L < 725mm)"));
        Language_Ref(&t.main, LangRussian);
        QCOMPARE(t.cbFlesh->currentIndex(), 6);
        QCOMPARE(t.cbFlesh->currentText(), QString("Пользов H (L > 725 мм)"));
        QCOMPARE(t.cbFlesh->itemText(7), QString("Пользов L (L < 185 мм)"));
    }

    void vehicleTypesLeaveNoSelection()
    {
        Tree t;
        for (int lang : {LangEnglish, LangRussian}) {
            t.cbTypeMashine->setCurrentIndex(5);
            Language_Ref(&t.main, lang);
            QCOMPARE(t.cbTypeMashine->count(), 20);
            QCOMPARE(t.cbTypeMashine->currentIndex(), -1);
            QCOMPARE(t.cbTypeMashine->currentText(), QString());
        }
        // Russian 393 is "самосвал" while English 394 is "refrigerator": used unchanged.
        QCOMPARE(t.cbTypeMashine->itemText(10), QString("самосвал"));
        QCOMPARE(LanguagePass::typeMashineItems(LangEnglish).at(10), QString("refrigerator"));
        QCOMPARE(LanguagePass::typeMashineItems(LangEnglish).first(),
                 QString("automobile transporter"));
        QCOMPARE(LanguagePass::typeMashineItems(LangRussian).last(),
                 QString("микроавтобус грузовой"));
    }

    void monitoringWindowChartAndPopup()
    {
        QWidget form5;
        form5.setObjectName("TForm5");
        auto *view = new QChartView(&form5);
        view->setObjectName("Chart");
        auto *x = new QValueAxis, *y = new QValueAxis;
        view->chart()->addAxis(x, Qt::AlignBottom);
        view->chart()->addAxis(y, Qt::AlignLeft);
        auto *popup = new QMenu(&form5);
        QAction *n5 = popup->addAction("Изменить");
        n5->setObjectName("N5");
        Language_Ref(&form5, LangEnglish);
        QCOMPARE(form5.windowTitle(), QString("Fuel tank calibration monitoring"));
        QCOMPARE(y->titleText(), QString("Level code, N"));
        QCOMPARE(x->titleText(), QString("Time, s"));
        QCOMPARE(n5->text(), QString("Change the fuel level of chosen point"));
        Language_Ref(&form5, LangRussian);
        QCOMPARE(y->titleText(), QString("Код уровня, N"));
        QCOMPARE(x->titleText(), QString("Время, с"));
        QCOMPARE(n5->text(), QString("Изменить уровень топлива выбранной точки"));
    }

    void literalsAroundTableTexts()
    {
        QDialog form2, form9;
        form2.setObjectName("TForm2");
        form9.setObjectName("TForm9");
        auto *lbSprob = make<QLabel>(&form2, "lbSprob");
        auto *label2 = make<QLabel>(&form9, "Label2");
        Language_Ref(QList<QWidget *>{&form2, &form9}, LangEnglish);
        QCOMPARE(lbSprob->text(), QString("Attempt 1"));
        QCOMPARE(label2->text(), QString("pF/ mm "));
        Language_Ref(QList<QWidget *>{&form2, &form9}, LangRussian);
        QCOMPARE(lbSprob->text(), QString("Попытка 1"));
        QCOMPARE(label2->text(), QString("pF/ мм "));
    }

    void everyRowPointsIntoTheTable()
    {
        // A wrong index would show an empty caption; English 250 is the only empty pair half.
        for (const LanguagePass::Row &r : LanguagePass::rows()) {
            QVERIFY2(r.index % 2 == 0 && !LangText(r.index, LangEnglish).isEmpty(),
                     qPrintable(QString("%1.%2").arg(r.window, r.control)));
            QVERIFY(!LangText(r.index, LangRussian).isEmpty());
        }
    }
};

QTEST_MAIN(TstLanguageRef)
#include "tst_language_ref.moc"
