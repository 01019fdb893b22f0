// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool's bash completion, run in bash against the built kvtool: the
// commands and options it offers come from kvtool's own --help, the ports from
// the port folder, the values from the usage line, the protocols from the files.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCompletion : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    /// What Tab offers after `line` (the last word is the one being completed).
    QStringList complete(const QString &line)
    {
        QProcess bash;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", QFileInfo(QStringLiteral(KVTOOL)).absolutePath() + ':' +
                               env.value("PATH"));
        env.insert("KV_PORT_DIR", m_dir.path() + "/ports");
        bash.setProcessEnvironment(env);
        bash.setWorkingDirectory(m_dir.path() + "/work");
        bash.start("bash", {"--norc", "--noprofile", "-c",
                            "source \"$1\" || exit 9\n"
                            "read -ra COMP_WORDS <<< \"$2\"\n"
                            "[[ $2 == *' ' ]] && COMP_WORDS+=('')\n"
                            "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                            "_kvtool\n"
                            "printf '%s\\n' \"${COMPREPLY[@]}\"",
                            "bash", QStringLiteral(KV_COMPLETION), line});
        if (!bash.waitForFinished(30000) || bash.exitCode() != 0)
            return {QStringLiteral("bash failed: ") + QString::fromUtf8(bash.readAllStandardError())};
        QStringList offered = QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        offered.sort();
        return offered;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath("ports"));
        QVERIFY(QDir(m_dir.path()).mkpath("work/old"));
        QVERIFY(QFile::link("/dev/null", m_dir.path() + "/ports/COM3"));
        QVERIFY(QFile::link("/dev/null", m_dir.path() + "/ports/COM12"));
        for (const char *name : {"tank.kvi", "notes.txt"}) {
            QFile f(m_dir.path() + "/work/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }

    void offers_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("command") << "kvtool sc" << QStringList{"scan"};
        QTest::newRow("command behind the frame log")
            << "kvtool --log-frames f.log wa" << QStringList{"watch"};
        QTest::newRow("option of the command") << "kvtool table --d" << QStringList{"--decimal-comma"};
        QTest::newRow("options of scan")
            << "kvtool scan --" << QStringList{"--addresses", "--log-frames", "--port", "--speeds",
                                               "--timeout-ms"};
        QTest::newRow("ports of the folder") << "kvtool identify --port CO"
                                             << QStringList{"COM12", "COM3"};
        QTest::newRow("values of the usage line")
            << "kvtool table tank.kvi --format " << QStringList{"csv", "json"};
        QTest::newRow("speed") << "kvtool watch --speed 96" << QStringList{"9600"};
        QTest::newRow("protocols and folders") << "kvtool check " << QStringList{"old", "tank.kvi"};
        QTest::newRow("output file or standard output")
            << "kvtool table tank.kvi -o " << QStringList{"-", "notes.txt", "old", "tank.kvi"};
    }
    void offers()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        QCOMPARE(complete(line), expected);
    }

    // The first word offers the commands of kvtool --help, all of them.
    void everyCommand()
    {
        QProcess kvtool;
        kvtool.start(QStringLiteral(KVTOOL), {"--help"});
        QVERIFY(kvtool.waitForFinished(30000));
        const QString help = QString::fromUtf8(kvtool.readAllStandardOutput());
        const qsizetype start = help.indexOf("\ncommands:\n");
        QVERIFY(start >= 0);
        QStringList commands;
        for (const QString &l : help.mid(start).section("\n\n", 0, 0).split('\n'))
            if (l.startsWith("  ") && l.size() > 2 && l.at(2).isLower())
                commands << l.mid(2).section(' ', 0, 0);
        commands.sort();
        QVERIFY(commands.contains("protocol"));
        QCOMPARE(complete("kvtool "), commands);
    }
};

QTEST_GUILESS_MAIN(TestCompletion)
#include "tst_completion.moc"
