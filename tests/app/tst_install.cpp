// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The installed tree: `cmake --install` into a staging folder (DESTDIR) gives the
// programs, the help, the manual pages, the menu entry, the icons, the protocol
// file type, the software-centre metadata, the shell completion and the
// package's documentation in their usual places; the documentation's links
// lead to installed files; the installed programs answer --version / --help without
// a display; the menu entry passes desktop-file-validate; and a desktop that
// reads the installed file types (update-mime-database, then Qt's MIME lookup,
// the same cache the file managers read) takes a protocol for ours by its name
// and by its first line.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString ProtocolType = QStringLiteral("application/x-kv-ruzevuv-protocol");

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &args,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT
    QTemporaryDir m_stage;
    QString m_usr;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_stage.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), m_stage.path());
        const Run r = run(QStringLiteral(KV_CMAKE),
                          {"--install", QStringLiteral(KV_BUILD_DIR), "--prefix", "/usr"}, env);
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        m_usr = m_stage.path() + QStringLiteral("/usr");
    }

    void installedFiles()
    {
        QStringList files;
        QDirIterator it(m_stage.path(), QDir::Files | QDir::System | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(m_stage.path()).relativeFilePath(it.next());
        files.sort();
        QStringList expected{
            "usr/bin/kv-ruzevuv",
            "usr/bin/kv-sensor-sim",
            "usr/bin/kvtool",
            "usr/share/applications/kv-ruzevuv.desktop",
            "usr/share/doc/kv-ruzevuv/README.md",
            "usr/share/doc/kv-ruzevuv/help/guide_en.html",
            "usr/share/doc/kv-ruzevuv/help/guide_ru.html",
            "usr/share/icons/hicolor/scalable/apps/kv-ruzevuv.svg",
            "usr/share/mime/packages/kv-ruzevuv.xml",
            "usr/share/man/man1/kv-ruzevuv.1.gz",
            "usr/share/man/man1/kv-sensor-sim.1.gz",
            "usr/share/man/man1/kvtool.1.gz",
            "usr/share/doc/kv-ruzevuv/changelog.gz",
            "usr/share/doc/kv-ruzevuv/copyright",
            "usr/share/doc-base/kv-ruzevuv-guide-en",
            "usr/share/doc-base/kv-ruzevuv-guide-ru",
            "usr/share/metainfo/org.kvruzevuv.kv_ruzevuv.metainfo.xml",
            "usr/share/bash-completion/completions/kvtool",
        };
        for (const char *picture : {"calibration", "page-1-TabSheet3", "page-2-TabSheet1",
                                    "page-3-TabSheet2", "page-4-TabSheet5", "page-5-TabSheet4"})
            expected << QStringLiteral("usr/share/doc/kv-ruzevuv/docs/screenshots/%1.png").arg(picture);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            expected << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/kv-ruzevuv.png").arg(size);
        expected.sort();
        QCOMPARE(files, expected);
    }

    // Each PNG is the size its folder promises: a desktop scales nothing.
    void iconSizes()
    {
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(m_usr + QStringLiteral("/share/icons/hicolor/%1x%1/apps/kv-ruzevuv.png")
                                          .arg(size));
            QCOMPARE(icon.size(), QSize(size, size));
        }
    }

    // Started by a package check or over ssh there is no display: the version and
    // the usage must still print, and succeed.
    void programsAnswerWithoutDisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kv-ruzevuv --version")
            << "kv-ruzevuv" << QStringList{"--version"} << QStringLiteral("1.0.1.43");
        QTest::newRow("kvtool --help") << "kvtool" << QStringList{"--help"} << QStringLiteral("kvtool");
        QTest::newRow("kv-sensor-sim --help")
            << "kv-sensor-sim" << QStringList{"--help"} << QStringLiteral("pseudo-terminal");
    }
    void programsAnswerWithoutDisplay()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        const Run r = run(m_usr + "/bin/" + program, args, env);
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QVERIFY2(r.out.contains(expected), qPrintable(r.out));
    }

    // The installed documentation points only at what is installed: the
    // README's pictures and links, and the help pages the doc-base entries name.
    void noDeadLinks()
    {
        const QString doc = m_usr + QStringLiteral("/share/doc/kv-ruzevuv");
        QFile readme(doc + QStringLiteral("/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        static const QRegularExpression link(QStringLiteral("\\]\\(([^)#]+)[^)]*\\)"));
        int local = 0;
        for (auto it = link.globalMatch(QString::fromUtf8(readme.readAll())); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:")))
                continue;
            ++local;
            QVERIFY2(QFileInfo::exists(doc + '/' + target), qPrintable(target));
        }
        QVERIFY(local > 0);

        for (const char *entry : {"kv-ruzevuv-guide-en", "kv-ruzevuv-guide-ru"}) {
            QFile f(m_usr + QStringLiteral("/share/doc-base/") + entry);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
            int named = 0;
            for (const QString &l : lines)
                if (l.startsWith(QLatin1String("Index: ")) || l.startsWith(QLatin1String("Files: "))) {
                    ++named;
                    QVERIFY2(QFileInfo::exists(m_stage.path() + l.section(' ', 1)), qPrintable(l));
                }
            QCOMPARE(named, 2);
        }
    }

    void desktopEntry()
    {
        const QString file = m_usr + QStringLiteral("/share/applications/kv-ruzevuv.desktop");
        const Run r = run(QStringLiteral("desktop-file-validate"), {file});
        QVERIFY2(r.exitCode == 0, "desktop-file-validate did not run");
        QCOMPARE(r.out + r.err, QString());

        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
        // A double-clicked protocol reaches the program as a local path.
        QVERIFY(lines.contains(QStringLiteral("Exec=kv-ruzevuv %f")));
        QVERIFY(lines.contains(QStringLiteral("MimeType=%1;").arg(ProtocolType)));
        QVERIFY(lines.contains(QStringLiteral("Icon=kv-ruzevuv")));
        for (const char *key : {"Name[ru]=", "Comment[ru]=", "Comment="})
            QVERIFY2(std::any_of(lines.begin(), lines.end(),
                                 [key](const QString &l) { return l.startsWith(key); }),
                     key);
    }

    // The file managers' view of a protocol: by the ".kvi" ending, and by the
    // "[Protocol]" first line when the name says nothing.
    void protocolFileType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ours");
        const QByteArray protocol("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n");
        QTest::newRow("kvi protocol") << "tank.kvi" << protocol << true;
        QTest::newRow("kvi by name only") << "new.kvi" << QByteArray() << true;
        QTest::newRow("no ending, protocol inside") << "tank" << protocol << true;
        QTest::newRow("other INI without ending")
            << "settings" << QByteArray("[General]\nKey=1\n") << false;
        QTest::newRow("section further down") << "notes" << QByteArray("x\n[Protocol]\n") << false;
    }
    void protocolFileType()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, ours);
        static const bool cacheBuilt = [this] {
            // What the package's trigger does on a real system; the copy keeps the
            // staged tree as installed.
            const QString share = m_stage.path() + QStringLiteral("/mime-share");
            if (!QDir().mkpath(share + "/mime/packages") ||
                !QFile::copy(m_usr + "/share/mime/packages/kv-ruzevuv.xml",
                             share + "/mime/packages/kv-ruzevuv.xml"))
                return false;
            if (run(QStringLiteral("update-mime-database"), {share + "/mime"}).exitCode != 0)
                return false;
            // Read before the first lookup: ours first, then the system's types.
            qputenv("XDG_DATA_HOME", QFile::encodeName(m_stage.path() + "/no-home"));
            qputenv("XDG_DATA_DIRS", QFile::encodeName(share + ":/usr/share"));
            return true;
        }();
        QVERIFY(cacheBuilt);

        const QString path = m_stage.path() + "/files/" + name;
        QVERIFY(QDir().mkpath(m_stage.path() + "/files"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
        QCOMPARE(type.name() == ProtocolType, ours);
        if (ours)
            QVERIFY(type.inherits(QStringLiteral("text/plain")));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
