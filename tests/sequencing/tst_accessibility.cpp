// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The program as assistive technology and automation use it: every button's
// accessibility action has the effect of a mouse click, once, on the sensor
// and on the recording, while a state the program sets itself runs nothing.

#include "common/lang_ids.h"
#include "common/qt_dialogs.h"
#include "shell/AvtoSave_U.h"
#include "shell/lang_table.h"
#include "support/program_harness.h"
#include "calibration/Load_U.h"
#include "calibration/Property_Zond_U.h"
#include "shell/Help_Progral.h"
#include "shell/Terminal_U.h"
#include "shell/help_window.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/Enter_Fuil_U.h"
#include "tank/PropertyPoint_U.h"
#include "tank/Protocol_Options_U.h"
#include "tank/protocol_file.h"
#include "tank/general_data.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QAction>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextEdit>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <functional>

namespace {

// A connected firmware-5 sensor (it has the full-scale switches), autosave
// off, a new protocol open and the calibration window shown for it.
struct Fixture {
    ProgramHarness h;
    Ui::TForm1 *ui = nullptr;
    TForm5 *w = nullptr;
    QString path;

    explicit Fixture(VirtualSensorOptions o) : h(o) {}

    QWidget *window(const QString &name) const
    {
        Program &p = *h.program;
        for (QWidget *win : QList<QWidget *>{&p.form1(), &p.form5(), &p.form6(), &p.form7()})
            if (win->objectName() == name)
                return win;
        return nullptr;
    }
    int heard(quint8 command) const
    {
        int n = 0;
        for (const QByteArray &f : h.sensor.requests())
            n += quint8(f.at(2)) == command;
        return n;
    }
    void seconds(int s) { h.clock.advance(qint64(s) * 1000); }
};

std::unique_ptr<Fixture> calibrationFixture()
{
    VirtualSensorOptions o;
    o.firmware = 0x53;
    o.model = 1;
    auto f = std::make_unique<Fixture>(o);
    (void)f->h.settings.set(SettingsKeys::Save, 1);
    f->h.start();
    f->ui = f->h.form().controls();
    f->h.clock.advance(100);
    f->ui->COM1->trigger();
    f->h.clock.advance(1550);
    f->path = f->h.dir.filePath(QStringLiteral("tank.kvi"));
    auto data = std::make_unique<TDateProtokol>();
    if (!ProtocolFile(f->path).create(*data).ok())
        qFatal("protocol not created");
    f->h.state().CurrentProtocolFile = f->path;
    f->w = &f->h.program->form5();
    f->w->showForCalibration(f->path);
    return f;
}

void typeStep(Fixture &f, const QString &digits)
{
    auto *e = f.w->findChild<QLineEdit *>(QStringLiteral("meIncrem"));
    e->setFocus();
    e->home(false);
    QTest::keyClicks(e, digits);
}

void startRecording(Fixture &f)
{
    typeStep(f, QStringLiteral("01000"));
    f.w->findChild<QToolButton *>(QStringLiteral("sbPlay"))->click();
}

using Step = std::function<void(Fixture &)>;
// What the action must have done; an empty text means it did.
using Check = std::function<QString(Fixture &)>;

// Every window of the program, the dialogs of the calibration window included.
QList<QWidget *> allWindows(Program &p)
{
    return {&p.form1(), &p.form2(),          &p.terminal(),          &p.form5(),
            p.form5().form8(), p.form5().form15(), &p.form6(), &p.form7(),
            &p.form9(),       &p.about(),         &p.help()};
}

// What a person operates: buttons, edits, lists, boxes and sliders. The edit
// inside a combo box or spin box, the headers of a list and the buttons of the
// menu bar belong to their control.
bool operable(QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<QComboBox *>(p) || qobject_cast<QAbstractSpinBox *>(p) ||
            qobject_cast<QAbstractItemView *>(p) || qobject_cast<QMenuBar *>(p))
            return false;
    if (qobject_cast<QScrollBar *>(w))
        return false;
    return qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
           qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w) ||
           qobject_cast<QAbstractSlider *>(w) || qobject_cast<QAbstractItemView *>(w) ||
           qobject_cast<QTextEdit *>(w);
}

QString accessibleName(QObject *o)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->text(QAccessible::Name).trimmed() : QString();
}

bool hasCyrillic(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return re.match(s).hasMatch();
}

// Presses Tab as a person would until the control has the keyboard focus;
// false when the focus chain never reaches it.
bool tabTo(QWidget *target)
{
    for (int i = 0; i < 150; ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (focus == target)
            return true;
        QTest::keyClick(focus ? focus : target->window(), Qt::Key_Tab);
    }
    return false;
}

// Tabs to a button and presses it with the space bar.
bool tabAndPress(QAbstractButton *target)
{
    if (!target || !tabTo(target))
        return false;
    QTest::keyClick(target, Qt::Key_Space);
    return true;
}

QString expect(bool ok, const char *what)
{
    return ok ? QString() : QString::fromLatin1(what);
}

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Check)

class TstAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void actionIsAClick_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("action");
        QTest::addColumn<Step>("before");
        QTest::addColumn<Check>("check");
        const QString toggle = QAccessibleActionInterface::toggleAction();
        const QString press = QAccessibleActionInterface::pressAction();
        const Step nothing = [](Fixture &) {};

        QTest::newRow("Start starts the recording")
            << "TForm5" << "sbPlay" << toggle
            << Step([](Fixture &f) { typeStep(f, QStringLiteral("01000")); })
            << Check([](Fixture &f) {
                   if (!f.w->playing() || !f.w->findChild<QToolButton *>("sbRec")->isEnabled())
                       return QStringLiteral("not recording, or Rec disabled");
                   // The level display follows the poll while recording.
                   f.h.sensor.pour(1.0);
                   f.seconds(10);
                   const int n = f.h.state().LevelCode;
                   const QString shown = f.w->findChild<QLabel *>("lbNN")->text();
                   return expect(n > 0 && shown == QString::number(n),
                                 "the level code does not follow the sensor");
               });
        QTest::newRow("Start with step 0 asks for the step")
            << "TForm5" << "sbPlay" << toggle << nothing << Check([](Fixture &f) {
                   return expect(!f.w->playing() && f.h.dialogs.messages().size() == 1 &&
                                     !f.w->findChild<QToolButton *>("sbPlay")->isChecked(),
                                 "step-0 refusal not run once");
               });
        QTest::newRow("Start released pauses") << "TForm5" << "sbPlay" << toggle
                                               << Step(startRecording) << Check([](Fixture &f) {
                                                      return expect(f.w->recording().pauseDown(),
                                                                    "not paused");
                                                  });
        QTest::newRow("Pause reloads") << "TForm5" << "sbPause" << toggle << Step(startRecording)
                                       << Check([](Fixture &f) {
                                              return expect(f.w->recording().pauseDown() &&
                                                                !f.w->playing(),
                                                            "not paused");
                                          });
        QTest::newRow("Rec writes one point")
            << "TForm5" << "sbRec" << press << Step([](Fixture &f) {
                   startRecording(f);
                   f.h.sensor.pour(1.0);
                   f.seconds(5);
               })
            << Check([](Fixture &f) {
                   PointsRead r;
                   (void)ProtocolFile(f.path).readPoints(r);
                   return expect(r.points.size() == 1 && f.w->recording().markers().size() == 1 &&
                                     f.w->findChild<QLineEdit *>("meliter")->displayText() ==
                                         QStringLiteral("0010,00"),
                                 "not exactly one point with the next value");
               });
        QTest::newRow("Stop asks once")
            << "TForm5" << "sbStop" << toggle << Step([](Fixture &f) {
                   startRecording(f);
                   f.h.dialogs.answer(MsgAnswer::No);
               })
            << Check([](Fixture &f) {
                   return expect(f.h.dialogs.messages().size() == 1 &&
                                     f.w->recording().pauseDown() && f.w->isVisible(),
                                 "the end question was not asked once");
               });
        QTest::newRow("direction switch") << "TForm5" << "sbProc" << toggle << nothing
                                          << Check([](Fixture &f) {
                                                 auto *b = f.w->findChild<QToolButton *>("sbProc");
                                                 return expect(b->text() == QStringLiteral("-") &&
                                                                   b->isChecked(),
                                                               "direction not draining");
                                             });
        QTest::newRow("navigation arrow") << "TForm5" << "sbUp" << press << nothing
                                          << Check([](Fixture &f) {
                                                 return expect(f.w->recording().CursorTime() == 2,
                                                               "cursor not moved by one step");
                                             });
        QTest::newRow("step up-down arrow")
            << "TForm5" << "UpDown1_Up" << press << nothing << Check([](Fixture &f) {
                   return expect(f.w->findChild<QLineEdit *>("meIncrem")->displayText() ==
                                     QStringLiteral("001,00"),
                                 "step not raised by one litre");
               });
        QTest::newRow("full-scale switch of the scale page")
            << "TForm1" << "SpeedButton1" << toggle << Step([](Fixture &f) {
                   f.ui->seUpVal->setValue(1000);
                   f.ui->seDownVal->setValue(30000);
               })
            << Check([](Fixture &f) {
                   return expect(f.heard(CommandTable.SET_REP_MODE) == 1 && f.ui->sbModeFSM->isChecked() &&
                                     f.h.state().sensor.SensorExt.ModeFSM,
                                 "full scale not written once");
               });
        QTest::newRow("full-scale switch refused")
            << "TForm1" << "sbModeFSM" << toggle << Step([](Fixture &f) {
                   f.ui->sbModeFSM->setEnabled(true); // as Next on the settings page leaves it
                   f.ui->seUpVal->setValue(30000);
                   f.ui->seDownVal->setValue(1000);
               })
            << Check([](Fixture &f) {
                   return expect(f.heard(CommandTable.SET_REP_MODE) == 0 && !f.ui->sbModeFSM->isChecked() &&
                                     f.h.dialogs.messages().size() == 1,
                                 "refusal not shown, or the switch stayed down");
               });
        QTest::newRow("mode switch of the firmware-8 page")
            << "TForm1" << "cbModeFSM" << toggle << nothing << Check([](Fixture &f) {
                   return expect(f.ui->cbModeFSM->text() ==
                                     f.h.state().text(Txt::ModeRunning),
                                 "mode caption not changed");
               });
        QTest::newRow("reference radio") << "TForm1" << "rbFRMAutoRef" << toggle << nothing
                                         << Check([](Fixture &f) {
                                                return expect(f.h.state().sensor.FsmAutoRef,
                                                              "automatic reference not taken");
                                            });
        QTest::newRow("periodic output box")
            << "TForm1" << "cbPeriod" << toggle << Step([](Fixture &f) {
                   f.ui->cbPeriod->setChecked(false);
                   f.ui->edPeriod->setEnabled(false);
               })
            << Check([](Fixture &f) {
                   return expect(f.ui->edPeriod->isEnabled(), "period edit not enabled");
               });
        QTest::newRow("resolution item") << "TForm1" << "RadioGroup_Item1" << toggle
                                         << Step([](Fixture &f) {
                                                f.ui->RadioGroup->setItemIndex(0);
                                                f.ui->cbNdate->setChecked(false);
                                            })
                                         << Check([](Fixture &f) {
                                                return expect(f.ui->cbNdate->isChecked(),
                                                              "resolution handler not run");
                                            });
        QTest::newRow("inclinometer output box")
            << "TForm1" << "cbModeIncl" << toggle << Step([](Fixture &f) {
                   f.ui->cbModeIncl->setChecked(false);
                   f.ui->Label99->setEnabled(false);
               })
            << Check([](Fixture &f) {
                   return expect(f.ui->Label99->isEnabled(), "inclinometer address not offered");
               });
        QTest::newRow("RTS line box") << "TForm1" << "cbRTS" << toggle << nothing
                                      << Check([](Fixture &f) {
                                             return expect(f.h.form().port().ComProp().EnableDTR,
                                                           "line option not set");
                                         });
        QTest::newRow("autosave switch")
            << "TForm7" << "rgAvtoSaveItem0" << toggle << nothing << Check([](Fixture &f) {
                   return expect(f.window("TForm7")->findChild<QLineEdit *>("meAvtoSave")->isEnabled(),
                                 "autosave constant not offered");
               });
        QTest::newRow("wizard Next") << "TForm1" << "BitBtn5" << press << nothing
                                     << Check([](Fixture &f) {
                                            f.h.clock.advance(1550);
                                            return expect(f.ui->PageControl->currentWidget() ==
                                                              f.ui->TabSheet1,
                                                          "page not changed");
                                        });
        QTest::newRow("protocol Review") << "TForm6" << "SpeedButton1" << press << nothing
                                         << Check([](Fixture &f) {
                                                return expect(f.h.dialogs.shown().size() == 1 &&
                                                                  f.h.dialogs.shown()[0].kind ==
                                                                      QStringLiteral("open"),
                                                              "no file dialog");
                                            });
    }

    void actionIsAClick()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, action);
        QFETCH(Step, before);
        QFETCH(Check, check);
        auto f = calibrationFixture();
        QWidget *win = f->window(window);
        QVERIFY(win);
        auto *b = win->findChild<QAbstractButton *>(control);
        QVERIFY2(b, qPrintable(control));
        before(*f);
        f->h.dialogs.clear();
        const int heardBefore = int(f->h.sensor.requests().size());
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(b);
        QVERIFY(iface && iface->actionInterface());
        QVERIFY2(iface->actionInterface()->actionNames().contains(action),
                 qPrintable(iface->actionInterface()->actionNames().join(u',')));
        iface->actionInterface()->doAction(action);
        // The click follows once the call has returned.
        QCOMPARE(int(f->h.sensor.requests().size()), heardBefore);
        QVERIFY(f->h.dialogs.shown().isEmpty());
        QCoreApplication::processEvents();
        const QString failed = check(*f);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    // A button whose click opens a modal window (here the real save dialog of
    // "Create new protocol") answers the action first; the click comes once,
    // after the call, and never for a button disabled before it comes.
    void actionAnswersBeforeItsClick_data()
    {
        QTest::addColumn<int>("disable"); // 0 never, 1 before the action, 2 after it
        QTest::addColumn<int>("dialogs");
        QTest::newRow("enabled") << 0 << 1;
        QTest::newRow("disabled before the action") << 1 << 0;
        QTest::newRow("disabled before the click") << 2 << 0;
    }
    void actionAnswersBeforeItsClick()
    {
        QFETCH(int, disable);
        ProgramHarness h;
        QtDialogs real;
        h.world.dialogs = &real;
        h.start();
        h.form().show();
        h.form().controls()->N14->trigger();
        TForm6 &selection = h.program->form6();
        QVERIFY(QTest::qWaitForWindowExposed(&selection));
        auto *create = selection.findChild<QPushButton *>(QStringLiteral("BitBtn1"));
        QVERIFY(create);
        const QString path = h.dir.filePath(QStringLiteral("by-action.kvi"));

        // Whatever modal window comes up is counted and answered with the path.
        int modalShown = 0;
        QWidget *lastModal = nullptr;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            QWidget *m = QApplication::activeModalWidget();
            if (!m || m == lastModal)
                return;
            lastModal = m;
            ++modalShown;
            if (auto *fd = qobject_cast<QFileDialog *>(m)) {
                // Typed into the name field: selectFile() leaves the field alone
                // once it has the keyboard, and the dialog would then save under
                // the suggested name.
                auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                name->setText(path);
                static_cast<QDialog *>(fd)->accept();
            } else {
                m->close();
            }
        });
        answer.start(10);

        if (disable == 1)
            create->setEnabled(false);
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(create);
        QVERIFY(iface && iface->actionInterface());
        QCOMPARE(iface->actionInterface()->actionNames().contains(
                     QAccessibleActionInterface::pressAction()),
                 disable != 1);
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        // Returned, and nothing modal was opened inside the call.
        QCOMPARE(modalShown, 0);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(h.state().CurrentProtocolFile.isEmpty());
        if (disable == 2)
            create->setEnabled(false);

        QFETCH(int, dialogs);
        if (dialogs > 0)
            QTRY_COMPARE(h.state().CurrentProtocolFile, path);
        QTest::qWait(100);
        QCOMPARE(modalShown, dialogs);
        QCOMPARE(QFile::exists(path), dialogs > 0);
        if (dialogs > 0)
            QVERIFY(!selection.isVisible());
    }

    // Every operable control of every window has a name a screen reader can
    // say, every window is named by its title, and the names given beside the
    // captions follow the language.
    void everyControlHasAName()
    {
        ProgramHarness h;
        h.start();
        for (const int lang : {LangEnglish, LangRussian}) {
            (lang == LangRussian ? h.form().controls()->Rus1 : h.form().controls()->English1)
                ->trigger();
            QStringList unnamed, wrongLanguage;
            for (QWidget *win : allWindows(*h.program)) {
                // Windows that get their title when shown (the help, the
                // zero-search progress) have none before.
                if (accessibleName(win) != win->windowTitle())
                    unnamed << win->objectName() + QStringLiteral(" (window)");
                for (QWidget *w : win->findChildren<QWidget *>()) {
                    if (w->window() != win || !operable(w))
                        continue;
                    const QString name = accessibleName(w);
                    const QString where = win->objectName() + QLatin1Char('.') + w->objectName();
                    if (name.isEmpty())
                        unnamed << where;
                    // Captions stay as they are (some exist in Russian only);
                    // the names given where a caption says nothing follow the
                    // language.
                    else if (lang == LangEnglish && !w->accessibleName().isEmpty() &&
                             hasCyrillic(name))
                        wrongLanguage << where + QLatin1Char('=') + name;
                }
            }
            QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u' ')));
            QVERIFY2(wrongLanguage.isEmpty(), qPrintable(wrongLanguage.join(u' ')));
        }
        for (QWidget *win : QList<QWidget *>{&h.form(), &h.program->form5(), &h.program->form6()})
            QVERIFY2(!accessibleName(win).isEmpty(), qPrintable(win->objectName()));
        for (const char *b : {"sbPlay", "sbPause", "sbRec", "sbStop", "sbUp", "UpDown1_Up"})
            QVERIFY2(hasCyrillic(accessibleName(h.program->form5().findChild<QWidget *>(b))), b);
    }

    // On every wizard page Tab visits the page's fields first and ends on its
    // Back and Next (the resolution items, built at run time, included).
    void wizardTabOrderEndsWithNavigation()
    {
        VirtualSensorOptions o;
        o.firmware = 0x83;
        o.model = 178;
        ProgramHarness h(o);
        h.start();
        h.form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form()));
        Ui::TForm1 *ui = h.form().controls();
        const QList<QPair<QWidget *, QStringList>> pages{
            {ui->TabSheet3, {"bbOpenDiagram1", "BitBtn5"}}, {ui->TabSheet1, {"BitBtn9", "BitBtn6"}},
            {ui->TabSheet2, {"BitBtn10", "BitBtn8"}},       {ui->TabSheet5, {"BitBtn12", "BitBtn7"}},
            {ui->TabSheet6, {"BitBtn19", "BitBtn20"}},      {ui->TabSheet7, {"BitBtn22", "BitBtn21"}},
            {ui->TabSheet4, {"BitBtn11", "BitBtn4"}}};
        for (const auto &[page, tail] : pages) {
            QStringList chain;
            for (QWidget *w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain())
                if (page->isAncestorOf(w) && w->focusPolicy() & Qt::TabFocus &&
                    w->isVisibleTo(page) && !w->objectName().isEmpty())
                    chain << w->objectName();
            QVERIFY2(chain.size() > 2 && chain.mid(chain.size() - 2) == tail,
                     qPrintable(page->objectName() + QLatin1Char(':') + chain.join(u' ')));
        }
    }

    // A whole job with the keyboard alone: connect, walk the wizard, create
    // the protocol, type the customer, start the calibration, record a point.
    void keyboardOnlyCalibration()
    {
        VirtualSensorOptions o;
        o.firmware = 0x48;
        o.model = 3;
        ProgramHarness h(o);
        (void)h.settings.set(SettingsKeys::Save, 1);
        h.start();
        Ui::TForm1 *ui = h.form().controls();
        h.form().show();
        QVERIFY(QTest::qWaitForWindowActive(&h.form()));
        h.clock.advance(100);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9); // open COM1
        h.clock.advance(1550);
        QVERIFY(h.form().port().Connected());

        QVERIFY(tabAndPress(ui->BitBtn5));
        h.clock.advance(1550);
        QCOMPARE(ui->PageControl->currentWidget(), ui->TabSheet1);
        // Next with no protocol open asks for one; Yes opens the selection.
        h.dialogs.answer(MsgAnswer::Yes);
        QVERIFY(tabAndPress(ui->BitBtn6));
        TForm6 &selection = h.program->form6();
        QVERIFY(QTest::qWaitForWindowActive(&selection));
        const QString path = h.dir.filePath(QStringLiteral("keys.kvi"));
        h.dialogs.answerFile(path);
        QVERIFY(tabAndPress(selection.findChild<QPushButton *>(QStringLiteral("BitBtn1"))));
        QCOMPARE(h.state().CurrentProtocolFile, path);
        QVERIFY(QTest::qWaitForWindowActive(&h.form()));
        QCOMPARE(ui->PageControl->currentWidget(), ui->TabSheet4);

        QVERIFY(tabTo(ui->edCompanyName));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Keys Ltd"));
        QVERIFY(tabAndPress(ui->BitBtn4));
        TForm5 &w = h.program->form5();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        QVERIFY(tabTo(w.findChild<QLineEdit *>(QStringLiteral("meIncrem"))));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("01250"));
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("meIncrem"))->displayText(),
                 QStringLiteral("012,50"));
        QVERIFY(tabAndPress(w.findChild<QToolButton *>(QStringLiteral("sbPlay"))));
        QVERIFY(w.playing());
        h.sensor.pour(1.0);
        h.clock.advance(10000);
        QVERIFY(tabAndPress(w.findChild<QToolButton *>(QStringLiteral("sbRec"))));
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("meliter"))->displayText(),
                 QStringLiteral("0012,50"));

        TDateProtokol data;
        GeneralData general;
        PointsRead points;
        QVERIFY(ProtocolFile(path).open(data, general, points).ok());
        QCOMPARE(general.CompanyName, QStringLiteral("Keys Ltd"));
        QCOMPARE(int(points.points.size()), 1);
        QCOMPARE(points.points[0].FilterN, h.state().LevelCode);
    }

    // Both columns of the point list in full at the window's narrowest, with
    // long times and 16-bit codes, in both languages.
    void pointListShowsBothColumns()
    {
        ProgramHarness h;
        h.start();
        const QString path = h.dir.filePath(QStringLiteral("long.kvi"));
        auto data = std::make_unique<TDateProtokol>();
        QVERIFY(ProtocolFile(path).create(*data).ok());
        std::vector<std::pair<int, PointKeys>> stored;
        for (int i = 0; i < 40; ++i)
            stored.push_back({i, PointKeys::make(123450 + i, 65535 - i, 0, QString(),
                                                 QStringLiteral("0000,00"), QString(),
                                                 QStringLiteral("User Save"))});
        QVERIFY(ProtocolFile(path).writePoints(stored).ok());
        GeneralData general;
        PointsRead points;
        QVERIFY(ProtocolFile(path).open(*data, general, points).ok());
        TForm5 &w = h.program->form5();
        h.state().CurrentProtocolFile = path;
        w.loadProtocol(path, points);
        w.showViewOnly(path);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(300, 420); // set back to the narrowest the window allows
        auto *list = w.findChild<QTableWidget *>(QStringLiteral("ValueListEditor"));
        for (QAction *lang : {h.form().controls()->English1, h.form().controls()->Rus1}) {
            lang->trigger();
            QApplication::processEvents();
            QVERIFY(list->rowCount() == 40);
            QVERIFY(!list->horizontalScrollBar()->isVisible());
            const QHeaderView *header = list->horizontalHeader();
            for (int c = 0; c < 2; ++c) {
                QVERIFY2(header->sectionSize(c) >= header->sectionSizeHint(c), qPrintable(QString::number(c)));
                QVERIFY(list->columnViewportPosition(c) + list->columnWidth(c) <=
                        list->viewport()->width());
                const QString widest = list->item(0, c)->text();
                QVERIFY(list->fontMetrics().horizontalAdvance(widest) < list->columnWidth(c));
            }
        }
    }

    // A state the program puts on a switch runs no handler.
    void programStateRunsNothing()
    {
        auto f = calibrationFixture();
        auto *play = f->w->findChild<QToolButton *>(QStringLiteral("sbPlay"));
        typeStep(*f, QStringLiteral("01000"));
        play->setChecked(true);
        play->setChecked(false);
        play->toggle();
        QVERIFY(!f->w->playing());
        QVERIFY(f->h.dialogs.messages().isEmpty());
        f->ui->seUpVal->setValue(1000);
        f->ui->seDownVal->setValue(30000);
        const int before = f->heard(CommandTable.SET_REP_MODE);
        const QString caption = f->ui->cbModeFSM->text();
        f->ui->SpeedButton1->setChecked(true);
        f->ui->cbModeFSM->setChecked(true);
        QCOMPARE(f->heard(CommandTable.SET_REP_MODE), before);
        QCOMPARE(f->ui->cbModeFSM->text(), caption);
    }
};

QTEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
