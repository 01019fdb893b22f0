// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The wizard of the main window: the page sequence of each firmware family, the
// protocol question, the re-read and polling of a page change (also under rapid
// clicking while a chain runs), the return to the information page while the
// sensor is silent, the manual zero-setting controls, the two views, and the
// terminal, About and Help windows from the menu.

#include "common/dialogs.h"
#include "common/scheduler.h"
#include "link/frame.h"
#include "sensor/Var_and_function_U.h"
#include "sequencing/Veroze_vizi_zudu_U.h"
#include "shell/AvtoSave_U.h"
#include "shell/Help_Progral.h"
#include "shell/Terminal_U.h"
#include "shell/help_window.h"
#include "shell/lang_table.h"
#include "shell/language_ref.h"
#include "support/program_harness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <memory>

namespace {
constexpr quint8 kReadParam = 0x41;

struct Request {
    qint64 at;
    quint8 command;
    quint8 address;
};
} // namespace

class TstWizard : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramHarness> m_h;
    TForm1 *m_form = nullptr;
    QTabWidget *m_pages = nullptr;
    bool m_playing = false;

    template <class T = QWidget> T *child(const QString &name)
    {
        auto *w = m_form->findChild<T *>(name);
        if (!w)
            qFatal("control %s missing", qPrintable(name));
        return w;
    }
    QAction *action(const char *name) { return child<QAction>(QLatin1String(name)); }

    // A program connected to a sensor of this firmware and model, as the
    // identity decode leaves it: the records filled, the address chosen, only
    // the information page's tab visible.
    void connectSensor(int major, int minor, int model, bool protocolLoaded = false)
    {
        VirtualSensorOptions o;
        o.firmware = quint8(major << 4 | minor);
        o.model = quint8(model);
        o.address = 1;
        m_h = std::make_unique<ProgramHarness>(o);
        m_h->start();
        m_form = &m_h->form();
        m_playing = false;
        m_form->setMonitoringWindow({[] { return false; }, [this] { return m_playing; }});

        TParamKV &p = m_h->state().sensor.SensorParam;
        p.Version_H = major;
        p.Version_L = minor;
        p.IntModel = model;
        p.Version = QStringLiteral("v.%1.%2").arg(major).arg(minor);
        p.Model = ModelName(model);
        p.DigitData = QStringLiteral("12");
        m_h->state().sensor.SensorExt.Version_DA_Up = major;
        m_h->state().sensor.SensorExt.Version_DA_Down = minor;
        child<QLineEdit>("edVersionPo")->setText(p.Version);
        child<QLineEdit>("edType")->setText(p.Model);
        child<QComboBox>("cbSetingAdres")->setCurrentIndex(1);
        if (protocolLoaded)
            m_h->state().CurrentProtocolFile = m_h->dir.filePath("tank.kvi");

        m_pages = child<QTabWidget>("PageControl");
        for (int i = 1; i < m_pages->count(); ++i)
            m_pages->setTabVisible(i, false);
        m_pages->setCurrentIndex(0);
        m_pages->show();
        m_h->openPortDirectly();
        m_h->clock.advance(10);
        m_h->sensor.clearRequests();
    }

    QString page() const { return m_pages->currentWidget()->objectName(); }
    QStringList visibleTabs() const
    {
        QStringList out;
        for (int i = 0; i < m_pages->count(); ++i)
            if (m_pages->isTabVisible(i))
                out << m_pages->widget(i)->objectName();
        return out;
    }
    void click(const QString &button) { child<QPushButton>(button)->click(); }
    // A tab chosen with the mouse, as the user does.
    void clickTab(const QString &pageName)
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        const int i = m_pages->indexOf(child(pageName));
        QTabBar *bar = m_pages->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
    }
    Timer *timer(const char *name) { return m_form->timer(QLatin1String(name)); }
    QList<quint8> commands() const { return m_h->commandsHeard(); }

    void setProbeControlsEnabled(bool on)
    {
        for (const char *n : {"bbCalibration", "UpDownCAPDAC", "UpDownCAPOFF", "bbSetSOND"})
            child(QLatin1String(n))->setEnabled(on);
    }
    bool probeControlsEnabled()
    {
        bool all = true, any = false;
        for (const char *n : {"bbCalibration", "UpDownCAPDAC", "UpDownCAPOFF", "bbSetSOND"}) {
            const bool e = child(QLatin1String(n))->isEnabled();
            all = all && e;
            any = any || e;
        }
        if (all != any)
            qWarning("manual controls partly enabled");
        return all;
    }

private Q_SLOTS:
    void cleanup()
    {
        m_h.reset();
        m_form = nullptr;
    }

    // Each firmware family walks its pages in its own order; the protocol
    // question comes when the protocol-data page is reached without a protocol.
    void pageSequences_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("protocol");
        QTest::addColumn<int>("answer"); // MsgAnswer of the protocol question
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QStringList>("pages"); // current page after each button
        QTest::addColumn<int>("questions");
        QTest::addColumn<QStringList>("tabs"); // visible tabs at the end

        const int no = int(MsgAnswer::No), yes = int(MsgAnswer::Yes);
        QTest::newRow("firmware 4, model 3, no protocol, No")
            << 4 << 3 << false << no << QStringList{"BitBtn5", "BitBtn6"}
            << QStringList{"TabSheet1", "TabSheet3"} << 1 << QStringList{"TabSheet3", "TabSheet1"};
        QTest::newRow("firmware 4, model 3, no protocol, Yes")
            << 4 << 3 << false << yes << QStringList{"BitBtn5", "BitBtn6"}
            << QStringList{"TabSheet1", "TabSheet4"} << 1
            << QStringList{"TabSheet3", "TabSheet1", "TabSheet4"};
        QTest::newRow("firmware 5, model 1")
            << 5 << 1 << true << no << QStringList{"BitBtn5",  "BitBtn6",  "BitBtn8",  "BitBtn7",
                                                   "BitBtn11", "BitBtn12", "BitBtn10", "BitBtn9"}
            << QStringList{"TabSheet1", "TabSheet2", "TabSheet5", "TabSheet4",
                           "TabSheet5", "TabSheet2", "TabSheet1", "TabSheet3"}
            << 0 << QStringList{"TabSheet3", "TabSheet1", "TabSheet2", "TabSheet5", "TabSheet4"};
        QTest::newRow("firmware 5, model 3 skips the calibration page")
            << 5 << 3 << true << no << QStringList{"BitBtn5", "BitBtn6", "BitBtn12"}
            << QStringList{"TabSheet1", "TabSheet5", "TabSheet1"} << 0
            << QStringList{"TabSheet3", "TabSheet1", "TabSheet5"};
        QTest::newRow("firmware 8, Back from protocol data")
            << 8 << 3 << true << no << QStringList{"BitBtn5",  "BitBtn6",  "BitBtn20", "BitBtn21",
                                                   "BitBtn11", "BitBtn22", "BitBtn19"}
            << QStringList{"TabSheet1", "TabSheet6", "TabSheet7", "TabSheet4",
                           "TabSheet7", "TabSheet6", "TabSheet1"}
            << 0 << QStringList{"TabSheet3", "TabSheet1", "TabSheet6", "TabSheet7", "TabSheet4"};
        QTest::newRow("firmware 8, no protocol, No")
            << 8 << 3 << false << no << QStringList{"BitBtn5", "BitBtn6", "BitBtn20", "BitBtn21"}
            << QStringList{"TabSheet1", "TabSheet6", "TabSheet7", "TabSheet3"} << 1
            << QStringList{"TabSheet3", "TabSheet1", "TabSheet6", "TabSheet7"};
        // Firmware 6 and 7 have no page after or before the general parameters.
        QTest::newRow("firmware 6 stays on the general parameters")
            << 6 << 3 << true << no << QStringList{"BitBtn5", "BitBtn6"}
            << QStringList{"TabSheet1", "TabSheet1"} << 0 << QStringList{"TabSheet3", "TabSheet1"};
    }
    void pageSequences()
    {
        QFETCH(int, major);
        QFETCH(int, model);
        QFETCH(bool, protocol);
        QFETCH(int, answer);
        QFETCH(QStringList, buttons);
        QFETCH(QStringList, pages);
        QFETCH(int, questions);
        QFETCH(QStringList, tabs);

        connectSensor(major, 2, model, protocol);
        for (int i = 0; i < questions; ++i)
            m_h->dialogs.answer(MsgAnswer(answer));
        for (int i = 0; i < buttons.size(); ++i) {
            click(buttons[i]);
            QVERIFY2(page() == pages[i], qPrintable(buttons[i] + " gave " + page()));
            m_h->clock.advance(20);
        }
        QCOMPARE(visibleTabs(), tabs);
        const QStringList asked = m_h->dialogs.messages();
        QCOMPARE(asked.size(), questions);
        for (const QString &text : asked)
            QCOMPARE(text, QStringLiteral("Attention!!!\rNecessary attach protocol"));
        if (questions)
            QCOMPARE(m_h->dialogs.shown().last().buttons, MsgButtons::YesNo);
    }

    // The protocol question in Russian, and a tab click on the protocol-data
    // page asks it too.
    void protocolQuestionOnTabClick()
    {
        connectSensor(5, 3, 3);
        m_h->state().Lang = LangRussian;
        click("BitBtn5");
        click("BitBtn6");
        m_h->state().CurrentProtocolFile = m_h->dir.filePath("tank.kvi");
        click("BitBtn7"); // a protocol is open: no question
        QCOMPARE(page(), QStringLiteral("TabSheet4"));
        QVERIFY(m_h->dialogs.messages().isEmpty());
        click("BitBtn11");
        m_h->state().CurrentProtocolFile.clear(); // another sensor took it away
        m_h->dialogs.answer(MsgAnswer::No);
        clickTab("TabSheet4");
        QCOMPARE(m_h->dialogs.messages(),
                 QStringList{"Внимание!!!\rНеобходимо загрузить протокол тарирования"});
        QCOMPARE(page(), QStringLiteral("TabSheet3"));
        QVERIFY(!visibleTabs().contains("TabSheet4"));
    }

    // A tab click asks for a protocol on the tab index where the firmware's
    // page order puts the protocol data; firmware 1 and 4 are not asked there.
    void tabQuestionFollowsTheTabIndex_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("model");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<bool>("asked");
        QTest::newRow("fw1 model 1, index 3")
            << 1 << 5 << 1 << QStringList{"TabSheet1", "TabSheet2", "TabSheet4"} << false;
        QTest::newRow("fw4 model 3, index 2")
            << 4 << 8 << 3 << QStringList{"TabSheet1", "TabSheet4"} << false;
        QTest::newRow("fw5 model 1, index 4")
            << 5 << 3 << 1 << QStringList{"TabSheet1", "TabSheet2", "TabSheet5", "TabSheet4"}
            << true;
        QTest::newRow("fw5 model 3, index 3")
            << 5 << 3 << 3 << QStringList{"TabSheet1", "TabSheet5", "TabSheet4"} << true;
        QTest::newRow("fw8 model 178, index 4")
            << 8 << 3 << 178 << QStringList{"TabSheet1", "TabSheet6", "TabSheet7", "TabSheet4"}
            << true;
    }
    void tabQuestionFollowsTheTabIndex()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, model);
        QFETCH(QStringList, tabs);
        QFETCH(bool, asked);
        connectSensor(major, minor, model);
        for (const QString &t : tabs)
            m_pages->setTabVisible(m_pages->indexOf(child(t)), true);
        m_h->dialogs.answer(MsgAnswer::No);
        clickTab("TabSheet4");
        QCOMPARE(m_h->dialogs.messages().size(), asked ? 1 : 0);
        QCOMPARE(page(), asked ? QStringLiteral("TabSheet3") : QStringLiteral("TabSheet4"));
    }

    // Every way the user has of choosing a page runs the page-change handling
    // (re-read, polling, protocol question); a page change made by code does not.
    void everyUserPageChangeIsHandled_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("to");
        QTest::newRow("mouse on the tab") << "TabSheet1"
                                          << "click"
                                          << "TabSheet2";
        QTest::newRow("Ctrl+Tab on the page") << "TabSheet1"
                                              << "ctrl+tab"
                                              << "TabSheet2";
        QTest::newRow("Ctrl+Shift+Tab on the page") << "TabSheet2"
                                                    << "ctrl+backtab"
                                                    << "TabSheet1";
        QTest::newRow("Ctrl+PgDn on the page") << "TabSheet1"
                                               << "ctrl+pgdn"
                                               << "TabSheet2";
        QTest::newRow("Ctrl+PgUp on the page") << "TabSheet2"
                                               << "ctrl+pgup"
                                               << "TabSheet1";
        QTest::newRow("Right arrow on the tab bar") << "TabSheet1"
                                                    << "right"
                                                    << "TabSheet2";
        QTest::newRow("Left arrow on the tab bar") << "TabSheet2"
                                                   << "left"
                                                   << "TabSheet1";
        QTest::newRow("wheel down over the tab bar") << "TabSheet1"
                                                     << "wheel-down"
                                                     << "TabSheet2";
        QTest::newRow("wheel up over the tab bar") << "TabSheet2"
                                                   << "wheel-up"
                                                   << "TabSheet1";
        QTest::newRow("by code") << "TabSheet1"
                                 << "code"
                                 << "TabSheet2";
    }
    void everyUserPageChangeIsHandled()
    {
        QFETCH(QString, from);
        QFETCH(QString, how);
        QFETCH(QString, to);
        connectSensor(5, 3, 1, true);
        for (const char *name : {"TabSheet1", "TabSheet2"})
            m_pages->setTabVisible(m_pages->indexOf(child(QLatin1String(name))), true);
        m_pages->setCurrentWidget(child(from));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        timer("TimerReadData")->start();
        timer("TimerStartReadDate")->stop();
        m_h->clock.advance(200);
        m_h->sensor.clearRequests();

        QTabBar *bar = m_pages->tabBar();
        QWidget *pageWidget = m_pages->currentWidget();
        auto wheel = [&](int dy) {
            QWheelEvent e(QPointF(bar->tabRect(0).center()),
                          QPointF(bar->mapToGlobal(QPoint(0, 0))), QPoint(), QPoint(0, dy),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(bar, &e);
        };
        if (how == "click")
            clickTab(to);
        else if (how == "ctrl+tab")
            QTest::keyClick(pageWidget, Qt::Key_Tab, Qt::ControlModifier);
        else if (how == "ctrl+backtab")
            QTest::keyClick(pageWidget, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        else if (how == "ctrl+pgdn")
            QTest::keyClick(pageWidget, Qt::Key_PageDown, Qt::ControlModifier);
        else if (how == "ctrl+pgup")
            QTest::keyClick(pageWidget, Qt::Key_PageUp, Qt::ControlModifier);
        else if (how == "right")
            QTest::keyClick(bar, Qt::Key_Right);
        else if (how == "left")
            QTest::keyClick(bar, Qt::Key_Left);
        else if (how == "wheel-down")
            wheel(-120);
        else if (how == "wheel-up")
            wheel(120);
        else
            m_pages->setCurrentWidget(child(to));
        QCOMPARE(page(), to);

        const bool byUser = how != "code";
        // The handling restarts polling after its pause on every page ...
        QCOMPARE(timer("TimerStartReadDate")->enabled(), byUser);
        // ... and on the calibration page polls every 2 s and re-reads the sensor.
        const bool reread = byUser && to == "TabSheet2";
        QCOMPARE(timer("TimerReadData")->interval(), reread ? 2000 : 1000);
        m_h->clock.advance(150);
        QCOMPARE(commands().count(kReadParam), reread ? 1 : 0);
    }

    // A page change re-reads the sensor at its address and polls every 2 s;
    // the general-parameters page stops polling and sends nothing.
    void pageChangeReReadsAndPolls()
    {
        connectSensor(5, 3, 3, true);
        timer("TimerReadData")->start();
        click("BitBtn5");
        QVERIFY(!timer("TimerReadData")->enabled());
        QVERIFY(!timer("TimerStart")->enabled());
        QVERIFY(!timer("TimerStartReadDate")->enabled());
        m_h->clock.advance(150);
        QVERIFY(!commands().contains(kReadParam));

        click("BitBtn6");
        QCOMPARE(page(), QStringLiteral("TabSheet5"));
        QVERIFY(timer("TimerReadData")->enabled());
        QCOMPARE(timer("TimerReadData")->interval(), 2000);
        QVERIFY(timer("TimerStartReadDate")->enabled());
        m_h->clock.advance(150);
        QCOMPARE(commands().count(kReadParam), 1);
        const QByteArray frame = m_h->sensor.requests().last();
        QCOMPARE(quint8(frame.at(1)), quint8(1)); // the sensor's own address

        // The passport button asks the same address for its passport.
        m_h->sensor.clearRequests();
        click("bbReadSN");
        QCOMPARE(commands(), QList<quint8>{CommandTable.READ_SN});
        QCOMPARE(quint8(m_h->sensor.requests().last().at(1)), quint8(1));
    }

    // Clicking Next and Back as fast as a hand can while a read-back chain runs:
    // every page change's re-read goes out at once, behind at most the one
    // reply the line awaits, never beside another request; the chain goes on,
    // and polling ends up as the last page wants it.
    void rapidClickingReReadsAtOnce_data()
    {
        QTest::addColumn<bool>("endOnGeneral");
        QTest::newRow("ends on the information page") << false;
        QTest::newRow("ends on the general parameters") << true;
    }
    void rapidClickingReReadsAtOnce()
    {
        QFETCH(bool, endOnGeneral);
        connectSensor(5, 3, 3, true);

        // One link of a chain, as the dispatcher arms them: fires once after
        // 100 ms and sends its request.
        Timer *link = timer("TimerGETEXTPARAM");
        link->setHandler([this, link] {
            link->stop();
            m_form->WriteComand(1, CommandTable.GET_EXT_PARAM);
        });

        QList<Request> log;
        int seen = 0;
        auto step = [&](int ms) {
            for (int i = 0; i < ms; ++i) {
                m_h->clock.advance(1);
                const QList<QByteArray> &r = m_h->sensor.requests();
                for (; seen < r.size(); ++seen)
                    log << Request{m_h->clock.nowMs(), quint8(r[seen].at(2)),
                                   quint8(r[seen].at(1))};
            }
        };

        const QStringList clicks = {"BitBtn5", "BitBtn9", "BitBtn5", "BitBtn9", "BitBtn5",
                                    "BitBtn9", "BitBtn5", "BitBtn9", "BitBtn5", "BitBtn9"};
        QList<qint64> backToInformation;
        for (int i = 0; i < clicks.size(); ++i) {
            click(clicks[i]);
            if (clicks[i] == QLatin1String("BitBtn9"))
                backToInformation << m_h->clock.nowMs();
            if (i == 3 || i == 7)
                link->start(); // a chain link armed between the clicks
            step(35);
        }
        if (endOnGeneral)
            click("BitBtn5");
        const qint64 lastClick = m_h->clock.nowMs();
        step(2000);

        // Each return to the information page re-read the sensor within the
        // time of one exchange, chain link armed or not.
        for (const qint64 at : backToInformation)
            QVERIFY2(std::any_of(log.begin(), log.end(),
                                 [at](const Request &r) {
                                     return r.command == kReadParam && r.at >= at &&
                                            r.at <= at + 30;
                                 }),
                     qPrintable(QStringLiteral("no re-read within 30 ms of the click at %1 ms")
                                    .arg(at)));
        QCOMPARE(m_h->sensor.overlappingRequests(), 0);
        // The chain went on undisturbed.
        QVERIFY(std::count_if(log.begin(), log.end(), [](const Request &r) {
                    return r.command == CommandTable.GET_EXT_PARAM;
                }) >= 2);
        int readsAfterLast = 0;
        for (const Request &r : log)
            if (r.command == kReadParam && r.at > lastClick)
                ++readsAfterLast;
        QCOMPARE(readsAfterLast, 0);
        if (endOnGeneral) {
            QCOMPARE(page(), QStringLiteral("TabSheet1"));
            QVERIFY(!timer("TimerReadData")->enabled());
            QVERIFY(!timer("TimerStartReadDate")->enabled());
        } else {
            QCOMPARE(page(), QStringLiteral("TabSheet3"));
            QVERIFY(timer("TimerReadData")->enabled());
        }
    }

    // While the sensor has not answered, every page change lands on the
    // information page, by a button or by a tab.
    void silentSensorReturnsToInformation_data()
    {
        QTest::addColumn<bool>("byTab");
        QTest::newRow("button") << false;
        QTest::newRow("tab") << true;
    }
    void silentSensorReturnsToInformation()
    {
        QFETCH(bool, byTab);
        connectSensor(5, 3, 3, true);
        click("BitBtn5");
        click("BitBtn6");
        click("BitBtn7");
        QCOMPARE(page(), QStringLiteral("TabSheet4"));
        click("BitBtn11");
        QCOMPARE(page(), QStringLiteral("TabSheet5"));
        timer("TimerReset")->start(); // a request went out and nothing came back
        if (byTab)
            clickTab("TabSheet4");
        else
            click("BitBtn7");
        QCOMPARE(page(), QStringLiteral("TabSheet3"));
    }

    // A user probe class enables the manual zero setting on a page change,
    // unless a tank calibration is recording; a fixed class disables it.
    void manualControlsFollowProbeClass_data()
    {
        QTest::addColumn<int>("probeClass");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<bool>("byTab");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("user class H") << 6 << false << false << true;
        QTest::newRow("user class L") << 7 << false << false << true;
        QTest::newRow("user class L, tab") << 7 << false << true << true;
        QTest::newRow("user class, recording") << 6 << true << false << false;
        QTest::newRow("user class, recording, tab") << 7 << true << true << false;
        QTest::newRow("fixed class") << 2 << false << false << false;
    }
    void manualControlsFollowProbeClass()
    {
        QFETCH(int, probeClass);
        QFETCH(bool, playing);
        QFETCH(bool, byTab);
        QFETCH(bool, enabled);
        connectSensor(5, 3, 1, true);
        child<QComboBox>("cbFlesh")->setCurrentIndex(probeClass);
        setProbeControlsEnabled(probeClass < 6); // the opposite of a user class
        m_playing = playing;
        click("BitBtn5");
        if (byTab) {
            click("BitBtn6");
            setProbeControlsEnabled(probeClass < 6);
            clickTab("TabSheet1");
        }
        QCOMPARE(probeControlsEnabled(), enabled);
        if (!byTab && !playing)
            QCOMPARE(child("BitBtn1")->isEnabled(), enabled);
    }

    // Only the page change holds the manual zero setting back while a tank
    // calibration records: a user class chosen in the box enables it, and the
    // live view keeps it enabled.
    void userClassChosenWhileRecording()
    {
        connectSensor(5, 3, 1, true);
        click("BitBtn5");
        click("BitBtn6");
        QCOMPARE(page(), QStringLiteral("TabSheet2"));
        m_playing = true;
        auto *flesh = child<QComboBox>("cbFlesh");
        flesh->setCurrentIndex(6);
        QMetaObject::invokeMethod(flesh, "activated", Q_ARG(int, 6));
        QVERIFY(probeControlsEnabled());
        QVERIFY(child("BitBtn1")->isEnabled());
        timer("TimerWriteDataParam")->start();
        m_h->clock.advance(600); // a live-view refresh
        QVERIFY(probeControlsEnabled());
    }

    // Normal view: no line check boxes, no capacitance code, no terminal item.
    void views()
    {
        connectSensor(5, 3, 3);
        const QStringList engineeringOnly = {"cbRTS",      "cbDTR",   "Label39",
                                             "GroupBox10", "Label14", "edC"};
        action("N22")->trigger();
        QVERIFY(action("N22")->isChecked());
        QVERIFY(!action("N21")->isChecked());
        QVERIFY(action("N5")->isVisible());
        for (const QString &n : engineeringOnly)
            QVERIFY2(!child(n)->isHidden(), qPrintable(n));
        QVERIFY(m_h->program->form7().engineeringView());

        action("N21")->trigger();
        QVERIFY(action("N21")->isChecked());
        QVERIFY(!action("N22")->isChecked());
        QVERIFY(!action("N5")->isVisible());
        for (const QString &n : engineeringOnly)
            QVERIFY2(child(n)->isHidden(), qPrintable(n));
        QVERIFY(!m_h->program->form7().engineeringView());
    }

    // The terminal keeps its trace across hide and show; its close box leaves
    // N5 unchecked with the "show" caption.
    void terminalToggle()
    {
        connectSensor(5, 3, 3);
        m_form->move(40, 30);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        TForm3 &terminal = m_h->program->terminal();
        QAction *n5 = action("N5");
        action("N22")->trigger();

        n5->trigger();
        QVERIFY(terminal.isVisible());
        QVERIFY(n5->isChecked());
        QCOMPARE(n5->text(), QStringLiteral("Hide terminal windows"));
        QCOMPARE(terminal.frameGeometry().left(),
                 m_form->frameGeometry().left() + m_form->frameGeometry().width());
        QCOMPARE(terminal.frameGeometry().top(), m_form->frameGeometry().top());

        action("Rus1")->trigger(); // the language pass keeps the "hide" offer
        QCOMPARE(n5->text(), LangText(310, 1));
        action("English1")->trigger();
        QCOMPARE(n5->text(), QStringLiteral("Hide terminal windows"));

        click("bbReadSN"); // a request frame in the trace
        m_h->clock.advance(50);
        const QString trace = terminal.traceText();
        QVERIFY2(trace.contains("<= 31  01  42"), qPrintable(trace));

        n5->trigger();
        QVERIFY(!terminal.isVisible());
        QVERIFY(!n5->isChecked());
        QCOMPARE(n5->text(), QStringLiteral("&Show terminal window"));
        n5->trigger();
        QVERIFY(terminal.isVisible());
        QCOMPARE(terminal.traceText(), trace);

        m_h->state().Lang = LangRussian;
        terminal.close();
        QVERIFY(!terminal.isVisible());
        QVERIFY(!n5->isChecked());
        QCOMPARE(n5->text(), QStringLiteral("&Показать терминальное окно"));
        n5->trigger(); // the menu still shows it after the close box
        QVERIFY(terminal.isVisible());
        QVERIFY(n5->isChecked());
    }

    void aboutAndHelp()
    {
        connectSensor(5, 3, 3);
        TAboutBox &about = m_h->program->about();
        about.versionLabel()->setText(QString());
        action("N10")->trigger();
        QVERIFY(about.isVisible());
        QCOMPARE(about.versionLabel()->text(), QStringLiteral("v.1.0.1.43"));

        HelpWindow &help = m_h->program->help();
        m_h->state().Lang = LangRussian;
        action("N13")->trigger();
        QVERIFY(help.isVisible());
        QCOMPARE(help.browser()->source(), HelpWindow::guideUrl(LangRussian));
        m_h->state().Lang = LangEnglish;
        action("N13")->trigger();
        QCOMPARE(help.browser()->source(), HelpWindow::guideUrl(LangEnglish));
    }

    // Pictures of every page of a firmware-8 and a firmware-5 sensor in both
    // languages, for people to look at (not compared here).
    void renderPages()
    {
        const QString dir = QStringLiteral(KV_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(dir));
        for (const int major : {5, 8}) {
            for (const int lang : {LangRussian, LangEnglish}) {
                connectSensor(major, 3, major == 5 ? 1 : 3, true);
                m_h->state().Lang = lang;
                Language_Ref(QList<QWidget *>{m_form, &m_h->program->terminal()}, lang);
                TParamKV &p = m_h->state().sensor.SensorParam;
                p.Val_N = 1530;
                p.Val_C = 27410;
                p.NETADDR = 1;
                p.SondLen = QStringLiteral("440");
                p.Centre = true;
                m_h->state().ProtocolData.UserPoints = {{0, 400, 0}, {5, 2200, 60}, {9, 3900, 120}};
                m_h->state().ProtocolData.LengthProbe = QStringLiteral("412");
                m_pages->hide();
                m_form->resize(1000, 700);
                m_form->show();
                QVERIFY(QTest::qWaitForWindowExposed(m_form));
                for (const char *view : {"N21", "N22"}) {
                    action(view)->trigger();
                    QApplication::processEvents();
                    QVERIFY(m_form->grab().save(dir + QStringLiteral("/fw%1_%2_port_%3.png")
                                                          .arg(major)
                                                          .arg(lang == LangRussian ? "ru" : "en")
                                                          .arg(view)));
                }
                m_pages->show();
                child("GroupBox5")->hide();
                child("Image")->hide();
                m_form->resize(1000, 700);
                m_form->show();
                QVERIFY(QTest::qWaitForWindowExposed(m_form));
                timer("TimerWriteDataParam")->start();
                m_h->clock.advance(500);
                for (int i = 1; i < m_pages->count(); ++i)
                    m_pages->setTabVisible(i, major == 8 ? i != 2 && i != 3 : i < 4 || i == 6);
                for (int i = 0; i < m_pages->count(); ++i) {
                    if (!m_pages->isTabVisible(i))
                        continue;
                    m_pages->setCurrentIndex(i);
                    QApplication::processEvents();
                    const QString file = dir + QStringLiteral("/fw%1_%2_%3.png")
                                                   .arg(major)
                                                   .arg(lang == LangRussian ? "ru" : "en")
                                                   .arg(m_pages->widget(i)->objectName());
                    QVERIFY(m_form->grab().save(file));
                }
                cleanup();
            }
        }
        qInfo("page pictures in %s", qPrintable(dir));
    }
};

QTEST_MAIN(TstWizard)
#include "tst_wizard.moc"
