// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window used as an installer uses it: connect through the Options menu,
// walk the wizard with its Next and Back buttons for each firmware family in
// both languages, and check that every page shows what the sensor holds, that
// no caption is left in the other language, and that the live view and the
// litres keep refreshing twice a second. Each page is grabbed to a picture.

#include "shell/lang_table.h"
#include "support/program_harness.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

namespace {

struct Step {
    QString button;
    QString page; // the page shown afterwards
};
using Walk = QList<Step>;

// The table's own English temperature unit is written with a Cyrillic "С".
bool hasCyrillic(QString s)
{
    s.remove(QStringLiteral("°С"));
    static const QRegularExpression re(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return re.match(s).hasMatch();
}

} // namespace

class TstUserWalk : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramHarness> m_h;
    Ui::TForm1 *ui = nullptr;

    // A sensor whose values differ from every default, so a control that
    // shows its initial value instead of the decoded one is caught.
    void connect(int firmware, int model, int lang)
    {
        VirtualSensorOptions o;
        o.firmware = quint8(firmware);
        o.model = quint8(model);
        o.address = 7;
        o.serial = 42;
        m_h = std::make_unique<ProgramHarness>(o);
        SensorRegisters &r = m_h->sensor.registers();
        r.fsmOffset = 12000;
        r.fsmScale = 50000;
        r.azimuth = 180.0f;
        r.tiltX = 3 * 256;
        r.tiltY = -2 * 256;
        (void)m_h->settings.set(SettingsKeys::vallatguage, lang);
        m_h->start();
        ui = m_h->form().controls();
        m_h->form().resize(1000, 700);
        m_h->form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_h->form()));
        m_h->clock.advance(100); // the start-up check
        ui->COM1->trigger();
        m_h->clock.advance(1550);
    }
    QString page() const { return ui->PageControl->currentWidget()->objectName(); }
    void grab(const QString &name)
    {
        QApplication::processEvents();
        const QString dir = QStringLiteral(KV_SCREENSHOT_DIR);
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(m_h->form().grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
    }
    // Texts on the shown page (and the window's menus) still in Russian.
    QStringList russianLeft() const
    {
        QStringList out;
        QWidget *p = ui->PageControl->currentWidget();
        auto note = [&](QWidget *w, const QString &t) {
            if (w->isVisibleTo(&const_cast<ProgramHarness &>(*m_h).form()) && hasCyrillic(t))
                out << w->objectName() + QLatin1Char('=') + t;
        };
        for (QLabel *w : p->findChildren<QLabel *>())
            note(w, w->text());
        for (QAbstractButton *w : p->findChildren<QAbstractButton *>())
            note(w, w->text());
        for (QGroupBox *w : p->findChildren<QGroupBox *>())
            note(w, w->title());
        for (QComboBox *w : p->findChildren<QComboBox *>())
            note(w, w->currentText());
        for (int i = 0; i < ui->PageControl->count(); ++i)
            if (ui->PageControl->isTabVisible(i) && hasCyrillic(ui->PageControl->tabText(i)))
                out << QStringLiteral("tab ") + ui->PageControl->tabText(i);
        return out;
    }
    // What each page must show of the sensor above.
    void checkPage(int firmware, int model)
    {
        const QString p = page();
        if (p == QLatin1String("TabSheet3")) {
            QCOMPARE(ui->edType->text(), ModelName(model));
            QCOMPARE(ui->edVersionPo->text(),
                     QStringLiteral("v.%1.%2").arg(firmware >> 4).arg(firmware & 0xF));
            QCOMPARE(ui->meSN->displayText(), QStringLiteral("000042"));
            QCOMPARE(ui->Label48->text(), QStringLiteral("7"));
            QCOMPARE(ui->Label49->text(), QStringLiteral("12"));
        } else if (p == QLatin1String("TabSheet1")) {
            QCOMPARE(ui->cbDublSetingAdres->currentText(), QStringLiteral("7"));
            QCOMPARE(ui->cbSpeedUart->currentText(), QStringLiteral("19200"));
            // The resolution captions appear once, on the radio items.
            const QList<QAbstractButton *> items =
                ui->RadioGroup->findChildren<QAbstractButton *>();
            QCOMPARE(items.size(), firmware == 0x83 ? 4 : 2);
            for (QAbstractButton *item : items)
                for (QLabel *l : ui->TabSheet1->findChildren<QLabel *>())
                    QVERIFY2(!l->isVisibleTo(ui->TabSheet1) || l->text() != item->text(),
                             qPrintable(l->objectName()));
        } else if (p == QLatin1String("TabSheet5")) {
            QCOMPARE(ui->seUpVal->value(), 12000);
            QCOMPARE(ui->seDownVal->value(), 50000);
        } else if (p == QLatin1String("TabSheet6")) {
            QCOMPARE(ui->seFSMOffset->value(), 12000);
            QCOMPARE(ui->seFSMScale->value(), 50000);
        } else if (p == QLatin1String("TabSheet7")) {
            QCOMPARE(ui->meAzz->displayText(), QStringLiteral("180,0"));
        }
    }

private Q_SLOTS:
    void cleanup() { m_h.reset(); }

    void walkPages_data()
    {
        QTest::addColumn<int>("firmware");
        QTest::addColumn<int>("model");
        QTest::addColumn<Walk>("walk");
        QTest::newRow("1.5 model 1") << 0x15 << 1
                                     << Walk{{"BitBtn5", "TabSheet1"},
                                             {"BitBtn6", "TabSheet2"},
                                             {"BitBtn10", "TabSheet1"},
                                             {"BitBtn9", "TabSheet3"}};
        QTest::newRow("4.8 model 3")
            << 0x48 << 3 << Walk{{"BitBtn5", "TabSheet1"}, {"BitBtn9", "TabSheet3"}};
        QTest::newRow("5.3 model 1") << 0x53 << 1
                                     << Walk{{"BitBtn5", "TabSheet1"},
                                             {"BitBtn6", "TabSheet2"},
                                             {"BitBtn8", "TabSheet5"},
                                             {"BitBtn12", "TabSheet2"},
                                             {"BitBtn10", "TabSheet1"}};
        QTest::newRow("5.3 model 49")
            << 0x53 << 49
            << Walk{{"BitBtn5", "TabSheet1"}, {"BitBtn6", "TabSheet5"}, {"BitBtn12", "TabSheet1"}};
        QTest::newRow("8.3 model 178") << 0x83 << 178
                                       << Walk{{"BitBtn5", "TabSheet1"},
                                               {"BitBtn6", "TabSheet6"},
                                               {"BitBtn20", "TabSheet7"},
                                               {"BitBtn22", "TabSheet6"},
                                               {"BitBtn19", "TabSheet1"}};
    }
    void walkPages()
    {
        QFETCH(int, firmware);
        QFETCH(int, model);
        QFETCH(Walk, walk);
        for (const int lang : {LangRussian, LangEnglish}) {
            connect(firmware, model, lang);
            const QString tag = QStringLiteral("%1_%2_")
                                    .arg(QString::fromLatin1(QTest::currentDataTag())
                                             .replace(QLatin1Char(' '), QLatin1Char('_')))
                                    .arg(lang == LangRussian ? "ru" : "en");
            QCOMPARE(page(), QStringLiteral("TabSheet3"));
            checkPage(firmware, model);
            if (lang == LangEnglish)
                QVERIFY2(russianLeft().isEmpty(), qPrintable(russianLeft().join(u'|')));
            grab(tag + page());
            for (const Step &s : walk) {
                m_h->form().findChild<QPushButton *>(s.button)->click();
                m_h->clock.advance(1550);
                QCOMPARE(page(), s.page);
                checkPage(firmware, model);
                if (lang == LangEnglish)
                    QVERIFY2(russianLeft().isEmpty(), qPrintable(russianLeft().join(u'|')));
                grab(tag + page());
            }
            QVERIFY(m_h->dialogs.messages().isEmpty());
            cleanup();
        }
    }

    // While fuel is poured, the information page shows each poll's level code
    // and its litres within half a second, on the 500 ms refresh.
    void liveValuesFollowThePour()
    {
        connect(0x53, 49, LangEnglish);
        m_h->state().CurrentProtocolFile = m_h->dir.filePath(QStringLiteral("tank.kvi"));
        m_h->state().ProtocolData.UserPoints = {{0, 0, 0.0}, {1, 4095, 100.0}};
        m_h->sensor.pour(10.0);
        QStringList shownN;
        for (int t = 0; t < 12; ++t) {
            m_h->clock.advance(500);
            const int n = m_h->state().sensor.SensorParam.Val_N;
            QCOMPARE(ui->Label37->text(), QString::number(n));
            QCOMPARE(ui->Label38->text(),
                     QString::number(n * 100.0 / 4095, 'f', 1).replace(u'.', u','));
            if (!shownN.contains(ui->Label37->text()))
                shownN << ui->Label37->text();
        }
        QVERIFY2(shownN.size() >= 5, qPrintable(shownN.join(u' ')));
    }

    // Polling runs on every page but the general parameters.
    void pollingRunsOnThePages()
    {
        connect(0x83, 178, LangRussian);
        for (const char *button : {"BitBtn5", "BitBtn6", "BitBtn20", "BitBtn22", "BitBtn19"}) {
            m_h->form().findChild<QPushButton *>(QLatin1String(button))->click();
            m_h->clock.advance(600);
            m_h->sensor.clearRequests();
            m_h->clock.advance(3000);
            const int polls = int(m_h->commandsHeard().count(CommandTable.DATA_READ));
            if (page() == QLatin1String("TabSheet1"))
                QCOMPARE(polls, 0);
            else
                QVERIFY2(polls >= 2, qPrintable(page()));
        }
    }
};

QTEST_MAIN(TstUserWalk)
#include "tst_user_walk.moc"
