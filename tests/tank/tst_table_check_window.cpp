// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The calibration window checks its table as it grows: on the simulated clock
// the virtual sensor pours ten litres a step, one step is poured twice while
// the installer keeps the step at ten litres; the point saved after it gets
// its row and marker marked and one line under the chart, and no Rec is held up.

#include "sequencing/Veroze_vizi_zudu_U.h"
#include "shell/settings_store.h"
#include "support/program_harness.h"
#include "support/tool_process.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QChartView>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScatterSeries>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>

class TstTableCheckWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void doublePourIsMarkedAsItArises()
    {
        ProgramHarness h;
        (void)h.settings.set(SettingsKeys::Save, 0);
        (void)h.settings.set(SettingsKeys::ConstSave, 5);
        h.sensor.setFuelLitres(0);
        h.start();
        h.clock.advance(100);
        h.form().controls()->COM1->trigger();
        h.clock.advance(1550);
        QVERIFY(h.form().port().Connected());
        const QString path = h.dir.filePath(QStringLiteral("tank.kvi"));
        auto data = std::make_unique<TDateProtokol>();
        QVERIFY(ProtocolFile(path).create(*data).ok());
        h.state().CurrentProtocolFile = path;
        TForm5 *w = &h.program->form5();
        w->showForCalibration(path);
        QVERIFY(QTest::qWaitForWindowExposed(w));

        auto *incr = w->findChild<QLineEdit *>(QStringLiteral("meIncrem"));
        auto *rec = w->findChild<QToolButton *>(QStringLiteral("sbRec"));
        auto *line = w->findChild<QLabel *>(QStringLiteral("lbTableCheck"));
        auto *list = w->findChild<QTableWidget *>(QStringLiteral("ValueListEditor"));
        auto *chart = w->findChild<QChartView *>(QStringLiteral("Chart"));
        QVERIFY(incr && rec && line && list && chart);
        QScatterSeries *markers = nullptr;
        for (QAbstractSeries *series : chart->chart()->series())
            if (series->objectName() == QLatin1String("Series2"))
                markers = qobject_cast<QScatterSeries *>(series);
        QVERIFY(markers);
        incr->setFocus();
        incr->home(false);
        QTest::keyClicks(incr, QStringLiteral("01000")); // 010,00 litres a step
        w->findChild<QToolButton *>(QStringLiteral("sbPlay"))->click();
        QVERIFY(rec->isEnabled());
        h.dialogs.clear();

        // Pours of 10, 10, 10, 20 (twice by mistake) and 10 litres, a Rec after each.
        const int pourSeconds[] = {10, 10, 10, 20, 10};
        for (int i = 0; i < 5; ++i) {
            h.sensor.pour(1.0);
            h.clock.advance(qint64(pourSeconds[i]) * 1000);
            h.sensor.pour(0);
            h.clock.advance(3000);
            rec->click();
            // Steady steps leave the table unmarked.
            if (i < 3)
                QVERIFY2(line->isHidden(), qPrintable(line->text()));
        }
        // Every Rec was saved at once: no question, nothing refused.
        QCOMPARE(h.dialogs.messages(), QStringList());
        const auto &m = w->recording().markers();
        QCOMPARE(m.size(), 5);
        ProtocolReader file;
        QVERIFY(file.load(path).ok());
        QCOMPARE(file.pointKeys(m[3].index, QString()).Status_Save, Protocol::kUserSave);

        // The point after the double pour: its marker and row, and one line.
        const int marked = m[3].index;
        QVERIFY(line->isVisible());
        QVERIFY2(line->text().startsWith(
                     w->lang() == 1
                         ? QStringLiteral("Точка №%1: шаг от точки №%2").arg(marked).arg(m[2].index)
                         : QStringLiteral("Point # %1: the step from point # %2")
                               .arg(marked)
                               .arg(m[2].index)),
                 qPrintable(line->text()));
        for (int i = 0; i < m.size(); ++i) {
            const auto config = markers->pointConfiguration(i);
            QCOMPARE(config.value(QXYSeries::PointConfiguration::Color).value<QColor>(),
                     i == 3 ? QColor(255, 140, 0) : QColor());
        }
        for (int row = 0; row < list->rowCount(); ++row) {
            const bool isMarked = w->recording().rows()[row].index == marked;
            QCOMPARE(list->item(row, 0)->background().style() != Qt::NoBrush, isMarked);
            QCOMPARE(list->item(row, 1)->toolTip().isEmpty(), !isMarked);
        }

        // kvtool check on the protocol just recorded finds the same point,
        // as a finding that calls for a repeat (status 1).
        const ToolRun check = runTool(QStringLiteral(KV_KVTOOL), {QStringLiteral("check"), path});
        QCOMPARE(check.exitCode, 1);
        const QStringList lines = check.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(lines.value(0).startsWith(QStringLiteral("5 user points, filling, range 0..")) &&
                     lines.value(0).contains(QStringLiteral(": 1 finding")),
                 qPrintable(check.out));
        const QString finding =
            QStringLiteral("Point # %1: the step from point # %2 gives").arg(marked).arg(m[2].index);
        QVERIFY2(std::any_of(lines.begin(), lines.end(),
                             [&](const QString &l) { return l.startsWith(finding); }),
                 qPrintable(check.out));

        // The language pass follows: the line is told again in the other language.
        const QString before = line->text();
        w->setLang(1 - w->lang());
        QVERIFY(line->text() != before);
        QVERIFY(line->text().contains(QString::number(marked)));

        const QString shots = QStringLiteral(KV_SCREENSHOT_DIR);
        if (QDir().mkpath(shots))
            (void)w->grab().save(shots + QStringLiteral("/table-check.png"));
    }
};

QTEST_MAIN(TstTableCheckWindow)
#include "tst_table_check_window.moc"
