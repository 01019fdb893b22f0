// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The terminal window's "Save…": the trace as shown goes to the chosen file;
// cancelling writes nothing; a file that cannot be written is said.

#include "common/dialogs.h"
#include "shell/Terminal_U.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TstTerminalSave : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void savesWhatItShows()
    {
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        TForm3 t;
        t.setDialogs(&dialogs);
        t.insertText(QStringLiteral("<= 31  05  42  A7\r\n"));
        t.insertText(QStringLiteral("=> 3E   05   42   00   9C   \r\n"));
        t.addLine(QStringLiteral("Err_CRC"));
        t.insertText(QStringLiteral("<= 31  05  06  11\r\n"));

        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        dialogs.answerFile(path);
        auto *save = t.findChild<QPushButton *>(QStringLiteral("Button3"));
        QVERIFY(save);
        QCOMPARE(save->text(), QStringLiteral("Save…"));
        QTest::mouseClick(save, Qt::LeftButton);

        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.shown()[0].kind, QStringLiteral("save"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), t.traceText());
        QCOMPARE(t.traceText(), QStringLiteral("<= 31  05  42  A7\n=> 3E   05   42   00   9C   \n"
                                               "Err_CRC\n<= 31  05  06  11\n"));
    }

    void cancelWritesNothingAndFailureIsSaid()
    {
        QTemporaryDir dir;
        ScriptedDialogs dialogs;
        TForm3 t;
        t.setDialogs(&dialogs);
        t.insertText(QStringLiteral("<= 31  05  42  A7\r\n"));

        dialogs.answerFile(QString());
        QVERIFY(!t.Button3Click());
        QCOMPARE(dialogs.messages(), QStringList());

        const QString bad = dir.filePath(QStringLiteral("no-such-folder/trace.txt"));
        dialogs.answerFile(bad);
        QVERIFY(!t.Button3Click());
        QVERIFY(dialogs.lastMessage().contains(bad));
        QVERIFY(!QFile::exists(bad));
    }
};

QTEST_MAIN(TstTerminalSave)
#include "tst_terminal_save.moc"
