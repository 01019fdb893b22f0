// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The manual pages against the programs: every option a program's --help
// lists appears in its page, and every kvtool command has a section of its own
// (a .SS heading that starts with its name) that mentions each option of the
// command's usage line. A command or option added to --help without its
// documentation fails here.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString helpOf(const QString &program)
{
    QProcess p;
    p.start(program, {QStringLiteral("--help")});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

/// The page's text as a reader sees its words: comments dropped, font changes
/// removed, roff's escaped hyphens and tildes as plain characters.
QString manText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QStringList lines;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String(".\\\"")))
            continue;
        QString l = line;
        l.remove(QRegularExpression(QStringLiteral("\\\\f(\\[[^\\]]*\\]|\\(..|.)")));
        l.replace(QLatin1String("\\-"), QLatin1String("-"));
        l.replace(QLatin1String("\\(ti"), QLatin1String("~"));
        l.remove(QLatin1String("\\&"));
        lines << l;
    }
    return lines.join(QLatin1Char('\n'));
}

/// The options written in a text: "-o", "--format", "--filling|--draining".
QStringList optionsIn(const QString &text)
{
    static const QRegularExpression option(
        QStringLiteral("(?:^|[\\s\\[(|,])(--?[A-Za-z][A-Za-z0-9-]*)"));
    QStringList found;
    for (auto it = option.globalMatch(text); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (!found.contains(name))
            found << name;
    }
    return found;
}

bool mentions(const QString &text, const QString &word)
{
    return text.contains(QRegularExpression(
        QStringLiteral("(?<![\\w-])%1(?![\\w-])").arg(QRegularExpression::escape(word))));
}

QStringList missingFrom(const QString &text, const QStringList &words)
{
    QStringList missing;
    for (const QString &w : words)
        if (!mentions(text, w))
            missing << w;
    return missing;
}

} // namespace

class TestManPages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyOptionIsDocumented_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("page");
        QTest::newRow("kv-ruzevuv") << QStringLiteral(KV_RUZEVUV) << QStringLiteral("kv-ruzevuv.1");
        QTest::newRow("kvtool") << QStringLiteral(KVTOOL) << QStringLiteral("kvtool.1");
        QTest::newRow("kv-sensor-sim")
            << QStringLiteral(KV_SENSOR_SIM) << QStringLiteral("kv-sensor-sim.1");
    }
    void everyOptionIsDocumented()
    {
        QFETCH(QString, program);
        QFETCH(QString, page);
        const QString help = helpOf(program);
        QVERIFY2(!help.isEmpty(), qPrintable(program + " --help failed"));
        const QString text = manText(QStringLiteral(KV_MAN_DIR "/") + page);
        QVERIFY2(!text.isEmpty(), qPrintable(page + " not readable"));
        const QStringList options = optionsIn(help);
        QVERIFY2(!options.isEmpty(), qPrintable("no option found in:\n" + help));
        const QStringList missing = missingFrom(text, options);
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("%1 lacks %2").arg(page, missing.join(", "))));
    }

    // Each command of "kvtool --help" (the lines "  NAME USAGE" under
    // "commands:") has its own section, and its usage line's options are
    // explained there.
    void everyKvtoolCommandHasItsSection()
    {
        const QString help = helpOf(QStringLiteral(KVTOOL));
        const QString text = manText(QStringLiteral(KV_MAN_DIR "/kvtool.1"));
        QVERIFY(!help.isEmpty());
        QVERIFY(!text.isEmpty());

        // The page's command sections: the first word of each .SS heading.
        QHash<QString, QString> sections;
        static const QRegularExpression heading(
            QStringLiteral("^\\.SS\\s+\"?([\\w-]+)[^\\n]*\\n((?:(?!\\.S[HS]\\s)[^\\n]*\\n?)*)"),
            QRegularExpression::MultilineOption);
        for (auto it = heading.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            sections.insert(m.captured(1), m.captured(0));
        }

        const qsizetype start = help.indexOf(QLatin1String("\ncommands:\n"));
        QVERIFY2(start >= 0, qPrintable(help));
        const qsizetype end = help.indexOf(QLatin1String("\n\n"), start + 1);
        static const QRegularExpression commandLine(QStringLiteral("^  ([a-z][\\w-]*) ?(.*)$"),
                                                    QRegularExpression::MultilineOption);
        QStringList commands;
        for (auto it = commandLine.globalMatch(help.mid(start, end - start)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString name = m.captured(1);
            commands << name;
            QVERIFY2(sections.contains(name),
                     qPrintable(QStringLiteral("kvtool.1 has no .SS section for \"%1\"").arg(name)));
            const QStringList missing = missingFrom(sections.value(name), optionsIn(m.captured(2)));
            QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("kvtool.1, section \"%1\", lacks %2")
                                                       .arg(name, missing.join(", "))));
        }
        QVERIFY2(!commands.isEmpty(), qPrintable(help));
    }
};

QTEST_GUILESS_MAIN(TestManPages)
#include "tst_manpages.moc"
