// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's form: the parts later procedures rely on and that are easy
// to get wrong — page order and captions, masks and ranges, list items, menu
// shortcuts, timer intervals. Also renders each page to a PNG for inspection.

#include "common/dialogs.h"
#include "common/scheduler.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "common/widgets.h"
#include "support/program_harness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <memory>

class TstMainWindowForm : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramHarness> m_harness;
    // The form as designed: the window alone, before its creation handler and
    // the language pass that the program runs.
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<TForm1> m_designForm;
    TForm1 *m_form = nullptr;
    SimulatedScheduler *m_clock = nullptr;

    template <class T> T *child(const char *name)
    {
        auto *w = m_form->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("control %s missing or of another kind", name);
        return w;
    }

private Q_SLOTS:
    void init()
    {
        m_harness = std::make_unique<ProgramHarness>();
        m_state = std::make_unique<ProgramState>();
        m_designForm = std::make_unique<TForm1>(*m_state, m_harness->world);
        m_form = m_designForm.get();
        m_clock = &m_harness->clock;
    }
    void cleanup()
    {
        m_designForm.reset();
        m_state.reset();
        m_harness.reset();
        m_form = nullptr;
    }

    void windowIdentity()
    {
        QCOMPARE(m_form->objectName(), QStringLiteral("TForm1"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Kv Ruzevuv"));
    }

    void pagesInDesignOrder()
    {
        auto *pc = child<QTabWidget>("PageControl");
        const QList<QPair<QString, QString>> expected = {
            {"TabSheet3", "Информация"},      {"TabSheet1", "Общие параметры датчика"},
            {"TabSheet2", "Тарирование"},     {"TabSheet5", "Установка шкалы"},
            {"TabSheet6", "Установка шкалы"}, {"TabSheet7", "Инклинометр"},
            {"TabSheet4", "Данные протокола"}};
        QCOMPARE(pc->count(), expected.size());
        for (int i = 0; i < pc->count(); ++i) {
            QCOMPARE(pc->widget(i)->objectName(), expected[i].first);
            QCOMPARE(pc->tabText(i), expected[i].second);
        }
        QCOMPARE(pc->currentIndex(), 0);
    }

    void masks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("meCAPDAC") << "meCAPDAC"
                                  << "99;_"
                                  << "00" << true;
        QTest::newRow("meCAPOFF") << "meCAPOFF"
                                  << "99999;_"
                                  << "00000" << true;
        QTest::newRow("meSN") << "meSN"
                              << "999999"
                              << "000000" << true;
        QTest::newRow("meZeroLen") << "meZeroLen"
                                   << "99,9999;0"
                                   << "," << false;
        QTest::newRow("mePermix") << "mePermix"
                                  << "99,99;0"
                                  << "," << false;
        QTest::newRow("meAzz") << "meAzz"
                               << "999,9;0"
                               << "," << false;
        QTest::newRow("meNambePlomb") << "meNambePlomb"
                                      << "xxxxxx;0"
                                      << "" << false;
    }
    void masks()
    {
        QFETCH(QString, name);
        QFETCH(QString, mask);
        QFETCH(QString, text);
        QFETCH(bool, readOnly);
        auto *e = m_form->findChild<QLineEdit *>(name);
        QVERIFY(e);
        QCOMPARE(e->inputMask(), mask);
        QCOMPARE(e->text(), text);
        QCOMPARE(e->isReadOnly(), readOnly);
    }

    // The masked offset fields must take what the decoders write: two and five
    // zero-padded digits, and refuse letters.
    void maskedFieldsKeepDigits()
    {
        auto *dac = child<QLineEdit>("meCAPDAC");
        dac->setText("07");
        QCOMPARE(dac->text(), QStringLiteral("07"));
        auto *off = child<QLineEdit>("meCAPOFF");
        off->setText("12345");
        QCOMPARE(off->text(), QStringLiteral("12345"));
        off->setText("12a45");
        QVERIFY(!off->hasAcceptableInput());
    }

    void ranges_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("value");
        QTest::newRow("UpDown3") << "UpDown3" << 1 << 256 << 1;
        QTest::newRow("UpDownCAPDAC") << "UpDownCAPDAC" << 0 << 63 << 0;
        QTest::newRow("UpDownCAPOFF") << "UpDownCAPOFF" << -32768 << 32767 << 0;
        QTest::newRow("udZeroLen") << "udZeroLen" << 0 << 9999 << 0;
        QTest::newRow("udPermix") << "udPermix" << 0 << 9999 << 0;
        QTest::newRow("udAzz") << "udAzz" << 0 << 3600 << 0;
        QTest::newRow("UpDown5") << "UpDown5" << 0 << 2000 << 0;
        QTest::newRow("UpDown6") << "UpDown6" << 0 << 2000 << 0;
        QTest::newRow("UpDown2") << "UpDown2" << -128 << 127 << 0;
        QTest::newRow("SpinEdit1") << "SpinEdit1" << 0 << 128 << 0;
        QTest::newRow("seUpVal") << "seUpVal" << 0 << 65535 << 0;
        QTest::newRow("seDownVal") << "seDownVal" << 0 << 65535 << 0;
        QTest::newRow("seUpNCode") << "seUpNCode" << 0 << 4095 << 0;
        QTest::newRow("seDownNCode") << "seDownNCode" << 0 << 4095 << 0;
        QTest::newRow("seUpInterRest") << "seUpInterRest" << 0 << 100 << 0;
        QTest::newRow("seDownInterRest") << "seDownInterRest" << 0 << 100 << 0;
        QTest::newRow("seUpFreq") << "seUpFreq" << 500 << 1500 << 1500;
        QTest::newRow("seDownFreq") << "seDownFreq" << 500 << 1500 << 1500;
        QTest::newRow("seFSMOffset") << "seFSMOffset" << 0 << 65535 << 0;
        QTest::newRow("seFSMScale") << "seFSMScale" << 0 << 65535 << 0;
    }
    void ranges()
    {
        QFETCH(QString, name);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, value);
        if (auto *u = m_form->findChild<UpDown *>(name)) {
            QCOMPARE(u->minimum(), min);
            QCOMPARE(u->maximum(), max);
            QCOMPARE(u->position(), value);
        } else {
            auto *s = m_form->findChild<QSpinBox *>(name);
            QVERIFY2(s, qPrintable(name));
            QCOMPARE(s->minimum(), min);
            QCOMPARE(s->maximum(), max);
            QCOMPARE(s->value(), value);
        }
    }

    // The CAPOFF up-down moves in steps of 50 and stops at its bounds; a click
    // reports the arrow after the position has moved.
    void upDownStepsAndBounds()
    {
        auto *u = child<UpDown>("UpDownCAPOFF");
        QCOMPARE(u->increment(), 50);
        u->setEnabled(true);
        QSignalSpy clicks(u, &UpDown::clicked);
        u->setPosition(32740);
        QCOMPARE(clicks.count(), 0);
        u->click(UpDown::Next);
        QCOMPARE(u->position(), 32767);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).value<UpDown::Button>(), UpDown::Next);
        u->setPosition(-40000);
        QCOMPARE(u->position(), -32768);
    }

    void lists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("index");
        QStringList addr;
        for (int i = 0; i < 256; ++i)
            addr << QString::number(i);
        const QStringList speeds = {"2400", "4800", "9600", "19200", "38400", "57600", "115200"};
        QTest::newRow("cbSetingAdres") << "cbSetingAdres" << addr << 255;
        QTest::newRow("cbDublSetingAdres") << "cbDublSetingAdres" << addr << 255;
        QTest::newRow("cbVisableIncAdr") << "cbVisableIncAdr" << addr.mid(0, 255) << 0;
        QTest::newRow("cbSpeedUart") << "cbSpeedUart" << speeds << 6;
        QTest::newRow("cbSpeedCom") << "cbSpeedCom" << speeds << -1;
        QTest::newRow("cbConfigPort")
            << "cbConfigPort" << QStringList{"RS232-FLS, RS485-HUB", "RS232-HUB, RS485-FLS"} << 0;
        QTest::newRow("cbFlesh")
            << "cbFlesh" << QStringList{"710 (635мм < L < 725мм)", "620 (545мм < L < 635мм)",
                                        "530 (455мм < L < 545мм)", "440 (365мм < L < 455мм)",
                                        "350 (275мм < L < 365мм)", "260 (185мм < L < 275мм)",
                                        "Пользов H (L > 725 мм)",  "Пользов L (L < 185 мм)"}
            << 0;
    }
    void lists()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, items);
        QFETCH(int, index);
        auto *cb = m_form->findChild<QComboBox *>(name);
        QVERIFY2(cb, qPrintable(name));
        QStringList got;
        for (int i = 0; i < cb->count(); ++i)
            got << cb->itemText(i);
        QCOMPARE(got, items);
        QCOMPARE(cb->currentIndex(), index);
    }

    void speedListShowsDefaultWithoutSelection()
    {
        auto *cb = child<QComboBox>("cbSpeedCom");
        QCOMPARE(cb->currentIndex(), -1);
        QCOMPARE(cb->placeholderText(), QStringLiteral("19200"));
    }

    void protocolPageLists()
    {
        auto *makers = child<QComboBox>("cbProizvMashine");
        QCOMPARE(makers->count(), 45);
        QCOMPARE(makers->currentText(), QStringLiteral("Bova"));
        QCOMPARE(makers->itemText(35), QStringLiteral("-----------"));
        auto *types = child<QComboBox>("cbTypeMashine");
        QCOMPARE(types->count(), 20);
        QCOMPARE(types->itemText(10), QStringLiteral("самосвал"));
        QCOMPARE(types->currentIndex(), -1);
    }

    void resolutionGroup()
    {
        auto *rg = child<RadioGroupBox>("RadioGroup");
        QCOMPARE(rg->items(), (QStringList{"10 бит", "12 бит", "14 бит", "16 бит"}));
        QCOMPARE(rg->itemIndex(), 1);
        // The identity decode shrinks the group to two items and back; the
        // selection survives when it still exists and is cleared when not.
        rg->setItemIndex(3);
        rg->setItems({"10 бит", "12 бит"});
        QCOMPARE(rg->itemIndex(), -1);
        rg->setItemIndex(1);
        rg->setItems({"10 бит", "12 бит", "14 бит", "16 бит"});
        QCOMPARE(rg->itemIndex(), 1);
        QSignalSpy clicked(rg, &RadioGroupBox::clicked);
        rg->setItemIndex(0);
        QCOMPARE(clicked.count(), 0); // code does not click
        rg->clickItem(2);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(rg->itemIndex(), 2);
    }

    void gaugeClamps()
    {
        auto *g = child<Gauge>("Gauge2");
        QCOMPARE(g->maximum(), 5000);
        g->setProgress(-700); // C below the zero code in the standard regime
        QCOMPARE(g->progress(), 0);
        g->setProgress(99999);
        QCOMPARE(g->progress(), 5000);
    }

    void menuShortcuts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::newRow("N14") << "N14"
                             << "П&ерейти к новому протоколу" << QKeySequence("Ctrl+N");
        QTest::newRow("N6") << "N6"
                            << "&Экспортировать протокол в Excel" << QKeySequence("Ctrl+E");
        QTest::newRow("txt1") << "txt1"
                              << "Экспортировать протокол для \"ТАРНЕТ\"" << QKeySequence();
        QTest::newRow("N20") << "N20"
                             << "Печатать текущие данные" << QKeySequence();
        QTest::newRow("WORD1") << "WORD1"
                               << "Создать отчет по результатам тарирования"
                               << QKeySequence("Ctrl+W");
        QTest::newRow("N3") << "N3"
                            << "Выход" << QKeySequence("Ctrl+X");
        QTest::newRow("COM1") << "COM1"
                              << "Открыть COM порт" << QKeySequence("F9");
        QTest::newRow("COM2") << "COM2"
                              << "Закрыть COM порт" << QKeySequence("F8");
        QTest::newRow("N5") << "N5"
                            << "&Показать терминальное окно" << QKeySequence();
        QTest::newRow("N16") << "N16"
                             << "Управление режимом автосохранения" << QKeySequence();
        QTest::newRow("N9") << "N9"
                            << "&Настройки расчета длины зонда" << QKeySequence();
        QTest::newRow("English1") << "English1"
                                  << "English" << QKeySequence();
        QTest::newRow("Rus1") << "Rus1"
                              << "Русский" << QKeySequence();
        QTest::newRow("N21") << "N21"
                             << "Обычный" << QKeySequence();
        QTest::newRow("N22") << "N22"
                             << "Инженерный" << QKeySequence();
        QTest::newRow("N10") << "N10"
                             << "О программе" << QKeySequence();
        QTest::newRow("N13") << "N13"
                             << "Помощь" << QKeySequence("F1");
    }
    void menuShortcuts()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        auto *a = m_form->findChild<QAction *>(name);
        QVERIFY2(a, qPrintable(name));
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut(), shortcut);
        // Every item is reachable: in a menu, or (the report item) on the window itself.
        const bool inMenu = !a->associatedObjects().isEmpty();
        QVERIFY(inMenu);
    }

    void menuStructure()
    {
        QStringList top;
        for (QAction *a : m_form->menuBar()->actions())
            top << a->text();
        QCOMPARE(top, (QStringList{"&Файл", "&Опции", "Вид", "Help"}));
        auto *n15 = child<QMenu>("N15");
        QCOMPARE(n15->title(), QStringLiteral("Язык интерфейса"));
        QCOMPARE(n15->actions(),
                 (QList<QAction *>{child<QAction>("English1"), child<QAction>("Rus1")}));
        auto *file = child<QMenu>("N1");
        QVERIFY(!file->actions().contains(child<QAction>("WORD1")));
        QVERIFY(m_form->actions().contains(child<QAction>("WORD1")));
        QVERIFY(!child<QAction>("COM2")->isEnabled());
    }

    void viewItemsExclusive()
    {
        auto *n21 = child<QAction>("N21");
        auto *n22 = child<QAction>("N22");
        QVERIFY(n21->isChecked());
        n22->trigger();
        QVERIFY(n22->isChecked());
        QVERIFY(!n21->isChecked());
        n21->trigger();
        QVERIFY(n21->isChecked());
        QVERIFY(!n22->isChecked());
    }

    void timers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("enabled");
        const QList<QPair<const char *, int>> off = {{"TimerStartWindows", 100},
                                                     {"TimerSetProtocol", 1000},
                                                     {"TimerWriteDataParam", 500},
                                                     {"TimerStart", 1000},
                                                     {"TimerReset", 3000},
                                                     {"TimerErrorWrite", 800},
                                                     {"TimerReadData", 1000},
                                                     {"TimerStartReadDate", 500},
                                                     {"TimerRepeat", 900},
                                                     {"TimerGETEXTPARAM", 100},
                                                     {"TimerGET_REP_MODE_3", 100},
                                                     {"TimerGET_INCL_LAN_ADR", 100},
                                                     {"TimerSET_INCL_LAN_ADR", 100},
                                                     {"TimerSET_REP_MODE_3", 100},
                                                     {"TimerNewAddres", 100},
                                                     {"TimerSetRepMode", 100},
                                                     {"TimerSetPeriod", 100},
                                                     {"TimerSETAVRGTimer", 100},
                                                     {"TimerReadDateLenthZond", 100},
                                                     {"TimerContZL", 500},
                                                     {"TimerReadCalData", 100},
                                                     {"TimerReadFSM_CALC_PARAM", 100},
                                                     {"TimerReadAxsK", 100},
                                                     {"TimerSETFSMOffset", 100},
                                                     {"TimerSETFSMScale", 100},
                                                     {"TimerWriteSetFSMCalcParam", 100},
                                                     {"TimerReadAzimuth", 100},
                                                     {"TimerReadInclinometerData", 250},
                                                     {"TimerDACOFF", 500},
                                                     {"TimerSETCAPSET", 1000},
                                                     {"TimerStopedDAC", 150},
                                                     {"TimerlbRuhProc", 500},
                                                     {"TimerControlZond", 1000}};
        for (const auto &t : off)
            QTest::newRow(t.first) << t.first << t.second << false;
        QTest::newRow("Timer1") << "Timer1" << 10 << true;
        QTest::newRow("TimerSystemTime") << "TimerSystemTime" << 1000 << true;
    }
    void timers()
    {
        QFETCH(QString, name);
        QFETCH(int, interval);
        QFETCH(bool, enabled);
        Timer *t = m_form->timer(name);
        QVERIFY2(t, qPrintable(name));
        QCOMPARE(t->interval(), interval);
        QCOMPARE(t->enabled(), enabled);
    }

    // Every timer has a handler wired and runs on the window's scheduler: after
    // the simulated clock has passed a timer's interval, it has fired.
    void timersRunOnTheScheduler()
    {
        // One at a time: some handlers stop other timers (the watchdog stops polling).
        for (Timer *t : m_form->timers()) {
            t->start();
            m_clock->advance(t->interval());
            QVERIFY2(t->fireCount() >= 1, qPrintable(t->name()));
            t->stop();
        }
        Timer *timer1 = m_form->timer("Timer1");
        const int before = timer1->fireCount();
        timer1->start();
        m_clock->advance(3000);
        QVERIFY(timer1->fireCount() - before >= 300);
    }

    void initialStates()
    {
        QVERIFY(!child<Lamp>("sInd")->isVisibleTo(m_form));
        QCOMPARE(child<Lamp>("sInd")->color(), QColor(0, 128, 0));
        QVERIFY(!child<BusyIndicator>("Animate")->isActive());
        QVERIFY(!child<BusyIndicator>("Animate")->isVisibleTo(m_form));
        QVERIFY(!child<QPushButton>("bbReadSN")->isVisibleTo(m_form));
        QVERIFY(!child<QPushButton>("bbOnChart")->isVisibleTo(m_form));
        QVERIFY(!child<QPushButton>("bbDublTarirovanie")->isVisibleTo(m_form));
        QVERIFY(!child<QComboBox>("cbSetingAdres")->isVisibleTo(m_form));
        // Port closed: the port group and the logo, no wizard pages.
        QVERIFY(!child<QTabWidget>("PageControl")->isVisibleTo(m_form));
        QVERIFY(child<QWidget>("GroupBox5")->isVisibleTo(m_form));
        QVERIFY(!child<QPushButton>("Button10")->isEnabled());
        QVERIFY(child<QPushButton>("Button9")->isEnabled());
        QVERIFY(!child<QPushButton>("bbDublComClose")->isEnabled());
        QVERIFY(!child<QPushButton>("bbNewAdres")->isEnabled());
        QVERIFY(!child<QPushButton>("bbOpenDiagram1")->isEnabled());
        QVERIFY(!child<QComboBox>("cbVisableIncAdr")->isEnabled());
        QVERIFY(!child<QLabel>("Label99")->isEnabled());
        QVERIFY(!child<QDateEdit>("DateTimePicker")->isEnabled());
        QCOMPARE(child<QLineEdit>("edVersionPo")->text(), QStringLiteral("v.0.0"));
        QCOMPARE(child<QLineEdit>("edLongDA")->maxLength(), 4);
        QCOMPARE(child<QLineEdit>("meAzz")->maxLength(), 5);
        QCOMPARE(m_form->statusBar()->objectName(), QStringLiteral("StatusBar1"));
        for (int i = 0; i < TForm1::StatusPanelCount; ++i)
            QCOMPARE(m_form->statusPanel(i)->objectName(),
                     QStringLiteral("StatusBar1_Panel%1").arg(i));
        QVERIFY(!child<QLabel>("Image")->pixmap().isNull());
    }

    // Pictures of every page for people to look at (not compared here).
    void renderPages()
    {
        const QString dir = QStringLiteral(KV_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(dir));
        m_form->resize(1000, 700);
        m_form->statusPanel(0)->setText("COM Порт №1 успешно открыт");
        m_form->statusPanel(3)->setText("10:00:00");
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QVERIFY(m_form->grab().save(dir + "/port_closed.png"));

        auto *pc = child<QTabWidget>("PageControl");
        child<QWidget>("GroupBox5")->hide();
        child<QWidget>("Image")->hide();
        pc->show();
        m_form->sInd()->show();
        m_form->resize(1000, 700);
        for (int i = 0; i < pc->count(); ++i) {
            pc->setCurrentIndex(i);
            QApplication::processEvents();
            const QString file =
                dir + QStringLiteral("/page%1_%2.png").arg(i).arg(pc->widget(i)->objectName());
            QVERIFY(m_form->grab().save(file));
        }
        qInfo("page pictures in %s", qPrintable(dir));
    }
};

QTEST_MAIN(TstMainWindowForm)
#include "tst_mainwindow_form.moc"
