// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The About window (version written when it opens) and the help guide shipped
// as a resource in both languages.

#include "shell/Help_Progral.h"
#include "shell/help_window.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

namespace {
int cyrillicLetters(const QString &s)
{
    int n = 0;
    for (QChar c : s)
        n += (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF) ? 1 : 0;
    return n;
}
} // namespace

class TstAboutHelp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { initHelpResources(); }

    void aboutShowsTheVersionWhenOpened()
    {
        TAboutBox about;
        QCOMPARE(about.objectName(), QStringLiteral("TAboutBox"));
        QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("ProductName"))->text(),
                 QStringLiteral("Kv Ruzevuv"));
        QVERIFY(about.versionLabel()->text() != QLatin1String("v.1.0.1.43"));

        about.versionLabel()->setText(QStringLiteral("stale"));
        about.showAbout();
        QVERIFY(about.isVisible());
        QCOMPARE(about.versionLabel()->text(), QStringLiteral("v.1.0.1.43"));
        QCOMPARE(about.font().pixelSize(), 10);
        const QPoint screenCentre = about.screen()->availableGeometry().center();
        QVERIFY((about.frameGeometry().center() - screenCentre).manhattanLength() <= 2);

        // OK closes it; opening again writes the version again.
        QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
        QVERIFY(!about.isVisible());
        about.versionLabel()->setText(QStringLiteral("stale"));
        about.showAbout();
        QCOMPARE(about.versionLabel()->text(), QStringLiteral("v.1.0.1.43"));
        QVERIFY(about.close());
        QVERIFY(!about.isVisible());
    }

    void helpShowsTheGuideInTheCurrentLanguage_data()
    {
        QTest::addColumn<int>("Lang");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("heading");
        QTest::newRow("Russian") << 1 << QStringLiteral("Kv Ruzevuv: руководство установщика")
                                 << QStringLiteral("Подключение адаптера");
        QTest::newRow("English") << 0 << QStringLiteral("Kv Ruzevuv: installer's guide")
                                 << QStringLiteral("Connecting the adapter");
    }

    void helpShowsTheGuideInTheCurrentLanguage()
    {
        QFETCH(int, Lang);
        QFETCH(QString, title);
        QFETCH(QString, heading);
        HelpWindow help;
        help.showHelp(1 - Lang); // the other language first: switching must reload
        help.showHelp(Lang);
        QVERIFY(help.isVisible());
        QCOMPARE(help.browser()->source(), HelpWindow::guideUrl(Lang));
        QCOMPARE(help.windowTitle(), title);

        const QString text = help.browser()->toPlainText();
        QVERIFY(text.contains(heading));
        // The topics an installer looks for, in either language.
        for (const char *topic : {"dialout", "KV_PORT_DIR", "~/.config/kv-ruzevuv/ports",
                                  "kv-ruzevuv --demo", "Ctrl+R", ".kvi", ".wlp"})
            QVERIFY2(text.contains(QLatin1String(topic)), topic);
        if (Lang == 1)
            QVERIFY(cyrillicLetters(text) > text.size() / 3);
        else
            QCOMPARE(cyrillicLetters(text), 0);
    }

    void guideLinksLeadToItsSections_data()
    {
        QTest::addColumn<int>("Lang");
        QTest::newRow("Russian") << 1;
        QTest::newRow("English") << 0;
    }

    void guideLinksLeadToItsSections()
    {
        QFETCH(int, Lang);
        QFile f(QLatin1Char(':') + HelpWindow::guideUrl(Lang).path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());

        QSet<QString> anchors;
        const QRegularExpression name(QStringLiteral(R"re(<a name="([^"]+)"></a>)re"));
        for (auto it = name.globalMatch(html); it.hasNext();)
            anchors.insert(it.next().captured(1));
        const QRegularExpression href(QStringLiteral(R"re(<a href="#([^"]+)">)re"));
        int links = 0;
        for (auto it = href.globalMatch(html); it.hasNext(); ++links) {
            const QString target = it.next().captured(1);
            QVERIFY2(anchors.contains(target), qPrintable(target));
        }
        QVERIFY(links >= 8);
        // Every tag opened in a heading is closed in it.
        const QRegularExpression heading(QStringLiteral("<h2>(.*?)</h2>"));
        for (auto it = heading.globalMatch(html); it.hasNext();) {
            const QString h = it.next().captured(1);
            QCOMPARE(h.count(QLatin1String("<a ")), h.count(QLatin1String("</a>")));
        }

        // Following a contents link moves the view to that section.
        HelpWindow help;
        help.resize(600, 300);
        help.showHelp(Lang);
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        help.browser()->setSource(HelpWindow::guideUrl(Lang).toString() + QStringLiteral("#keys"));
        QVERIFY(help.browser()->verticalScrollBar()->value() > 0);
    }
};

QTEST_MAIN(TstAboutHelp)
#include "tst_about_help.moc"
