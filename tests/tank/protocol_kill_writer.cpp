// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Child of the kill test: a tank calibration that never ends. It continues the
// protocol behind its last stored point (the pause reload), then records with
// autosave on: every reading steps the level, so each one stores an autosave
// pair and a Rec stores a user point. After each Rec has returned it prints
// "index N litres" of that point, until it is killed.

#include "common/dialogs.h"
#include "tank/recording.h"

#include <QFileInfo>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: protocol_kill_writer FILE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (!QFileInfo::exists(path)) {
        auto data = std::make_unique<TDateProtokol>();
        const ProtocolStatus st = ProtocolFile(path).create(*data);
        if (!st.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(st.text));
            return 1;
        }
    }
    ScriptedDialogs dialogs; // answers Yes to every question
    Recording rec(&dialogs, 0);
    rec.setProtocol(path);
    rec.setAutosave(true, 5);
    if (!rec.reload())
        return 1;
    rec.setIncremText(QStringLiteral("000,50"));
    rec.playClicked(true);
    for (qint64 i = rec.PointCounter();; ++i) {
        const qint32 n = qint32(10 + (i * 7) % 4000);
        const Recording::Sample s{n, 30000, QStringLiteral("0:00:00"), QStringLiteral("+1")};
        rec.levelReading(s);
        const QString litres = rec.literText();
        if (!rec.rec(s)) {
            std::fprintf(stderr, "Rec refused: %s\n", qPrintable(dialogs.lastMessage()));
            return 1;
        }
        std::printf("%d %d %s\n", rec.PointCounter() - 1, n, qPrintable(litres));
        std::fflush(stdout);
        if (litres == QLatin1String("9999,50"))
            rec.setStartLiterText(QStringLiteral("0000,00"));
    }
}
