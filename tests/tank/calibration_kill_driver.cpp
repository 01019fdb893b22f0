// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Child of the calibration kill test: a whole program (offscreen, simulated
// clock, virtual sensor) that opens the protocol given on its command line,
// shows the calibration window and works in it the way an installer does,
// chosen by the seed: Rec after pouring fuel (autosave on, so level steps store
// their pairs on the way), a correction of a point's litres (one point or all
// that follow), a deletion, and Stop with its end pair, after which it exits.
//
// It keeps the user points it expects in the protocol. Before each operation
// it prints "NEXT" with the user points the operation will leave, after it
// "ACK" with the points it left, each point as index:N:litres. The parent kills
// it at random moments and checks the file against the last two lines.

#include "support/program_harness.h"
#include "tank/Diagram_Tarirovca_U.h"
#include "tank/Enter_Fuil_U.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QToolButton>
#include <cstdio>

namespace {

struct Expected {
    qint32 n = 0;
    double litres = 0;
};
using Model = QMap<int, Expected>;

void print(const char *tag, const Model &m)
{
    QByteArray line(tag);
    for (auto it = m.cbegin(); it != m.cend(); ++it)
        line += ' ' + QByteArray::number(it.key()) + ':' + QByteArray::number(it->n) + ':' +
                QByteArray::number(it->litres, 'g', 15);
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "calibration_kill_driver: %s\n", qPrintable(why));
    std::exit(3);
}

double litresOf(const QString &text)
{
    const auto v = NumberFormat(QLatin1Char(',')).parse(text);
    if (!v)
        fail(QStringLiteral("litres text %1 does not convert").arg(text));
    return *v;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3)
        fail(QStringLiteral("usage: calibration_kill_driver FILE SEED"));
    const QString path = QString::fromLocal8Bit(argv[1]);
    QRandomGenerator rng(quint32(QByteArray(argv[2]).toUInt()));
    if (!QFileInfo::exists(path)) {
        auto data = std::make_unique<TDateProtokol>();
        if (!ProtocolFile(path).create(*data).ok())
            fail(QStringLiteral("cannot create %1").arg(path));
    }

    ProgramHarness h(VirtualSensorOptions{}, {path});
    (void)h.settings.set(SettingsKeys::Save, 0);
    (void)h.settings.set(SettingsKeys::ConstSave, 5);
    h.sensor.setFuelLitres(0);
    h.start();
    h.clock.advance(100);
    h.form().controls()->COM1->trigger();
    h.clock.advance(1550);
    if (h.state().CurrentProtocolFile != path)
        fail(QStringLiteral("the protocol did not open: %1").arg(h.dialogs.lastMessage()));
    h.form().controls()->BitBtn4->click(); // "Далее": the calibration window
    TForm5 &w = h.program->form5();
    if (!w.isVisible())
        fail(QStringLiteral("no calibration window: %1").arg(h.dialogs.lastMessage()));
    auto button = [&w](const char *name) {
        return w.findChild<QToolButton *>(QLatin1String(name));
    };
    auto action = [&w](const char *name) { return w.findChild<QAction *>(QLatin1String(name)); };
    const Recording &rec = w.recording();

    // What the protocol already holds (an earlier child's work), as the window loaded it.
    Model model;
    {
        auto data = std::make_unique<TDateProtokol>();
        GeneralData general;
        PointsRead points;
        if (!ProtocolFile(path).open(*data, general, points).ok())
            fail(QStringLiteral("the protocol does not open"));
        for (const UserPoint &p : data->UserPoints)
            model.insert(p.index, {p.n, p.litres});
    }
    print("ACK", model);

    auto selectMarker = [&](int index) {
        for (const Recording::Marker &m : rec.markers())
            if (m.index == index)
                w.Series2Click(QPointF(m.x, m.n));
        if (rec.selectedPoint() != index)
            fail(QStringLiteral("point %1 cannot be selected").arg(index));
    };
    auto check = [&](const char *what) {
        Model shown;
        for (const Recording::Marker &m : rec.markers())
            shown.insert(m.index, {m.n, 0});
        bool same = shown.size() == model.size();
        for (auto it = model.cbegin(); same && it != model.cend(); ++it)
            same = shown.contains(it.key()) && shown[it.key()].n == it->n;
        if (!same) {
            QStringList a, b;
            for (auto it = shown.cbegin(); it != shown.cend(); ++it)
                a << QStringLiteral("%1:%2").arg(it.key()).arg(it->n);
            for (auto it = model.cbegin(); it != model.cend(); ++it)
                b << QStringLiteral("%1:%2").arg(it.key()).arg(it->n);
            fail(QStringLiteral("after %1 the window shows %2, expected %3 (%4)")
                     .arg(QLatin1String(what), a.join(' '), b.join(' '),
                          h.dialogs.lastMessage()));
        }
    };

    QLineEdit *step = w.findChild<QLineEdit *>(QStringLiteral("meIncrem"));
    for (;;) {
        const quint32 pick = rng.bounded(100);
        if (pick < 60 || model.isEmpty()) {
            if (!w.playing()) {
                // An opening (and the re-opening after a correction or a
                // deletion) leaves the step at zero: set it again, as the
                // installer does before Start.
                step->setText(QStringLiteral("005,00"));
                w.meIncremChange();
                button("sbPlay")->click();
                if (!w.playing())
                    fail(QStringLiteral("Start refused: %1").arg(h.dialogs.lastMessage()));
            }
            h.sensor.pour(0.5 + rng.bounded(20) / 10.0);
            h.clock.advance(2000 + rng.bounded(6000));
            h.sensor.pour(0);
            h.clock.advance(2000);
            Model next = model;
            next.insert(rec.PointCounter(), {h.state().LevelCode, litresOf(rec.literText())});
            print("NEXT", next);
            button("sbRec")->click();
            model = next;
            check("Rec");
        } else if (pick < 75) {
            if (w.playing())
                button("sbPause")->click();
            const QList<int> keys = model.keys();
            const int index = keys[int(rng.bounded(quint32(keys.size())))];
            const double litres = 1 + rng.bounded(900) / 4.0;
            Model next = model;
            const double delta = litres - next[index].litres;
            // "All that follow" only where no point would fall below zero: the
            // next value after a re-opening follows the last point's litres.
            bool all = rng.bounded(2) == 1;
            for (auto it = next.cbegin(); all && it != next.cend(); ++it)
                all = it.key() <= index || it->litres + delta >= 0;
            for (auto it = next.begin(); it != next.end(); ++it)
                if (it.key() == index)
                    it->litres = litres;
                else if (all && it.key() > index)
                    it->litres += delta;
            print("NEXT", next);
            selectMarker(index);
            action("N5")->trigger();
            w.form15()->meEnterFuil->setText(
                NumberFormat(QLatin1Char(',')).fixed(litres, 2, 7).replace(' ', '0'));
            h.dialogs.answer(all ? MsgAnswer::Yes : MsgAnswer::No);
            w.form15()->OKBtn->click();
            model = next;
            check("a correction");
        } else if (pick < 90) {
            if (w.playing())
                button("sbPause")->click();
            const QList<int> keys = model.keys();
            const int index = keys[int(rng.bounded(quint32(keys.size())))];
            Model next;
            for (auto it = model.cbegin(); it != model.cend(); ++it)
                if (it.key() != index)
                    next.insert(it.key() > index ? it.key() - 1 : it.key(), *it);
            print("NEXT", next);
            selectMarker(index);
            h.dialogs.answer(MsgAnswer::Ok);
            action("N7")->trigger();
            model = next;
            check("a deletion");
        } else {
            print("NEXT", model);
            h.dialogs.answer(MsgAnswer::Yes); // end the calibration
            h.dialogs.answer(MsgAnswer::No);  // no workbook
            button("sbStop")->click();
            if (w.isVisible())
                fail(QStringLiteral("Stop left the calibration window open"));
            print("ACK", model);
            std::printf("DONE\n");
            std::fflush(stdout);
            return 0;
        }
        print("ACK", model);
    }
}
