// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's document commands on an open protocol: the workbook (N6),
// the report (WORD1, Ctrl+W), the telematics table (txt1) and the printout
// (N20), the files they leave and what they say; the window and kvtool give
// the same workbook.

#include "shell/settings_store.h"
#include "support/program_harness.h"
#include "ui_Veroze_vizi_zudu_U.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray unzip(const QString &archive, const QString &member)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    p.waitForFinished(-1);
    return p.readAllStandardOutput();
}

const QByteArray
    kProtocol("[Protocol]\r\nMarking=OK\r\nVersion=100\r\n[User_Option]\r\n"
              "CompanyName=#1041#1072#1082\r\nUpDown2=400\r\n[Point]\r\n"
              "Stop_Point=2\r\n[Protocol_Date]\r\n"
              "Time0=1\r\nFilterN0=1500\r\nliter0=0012,50\r\nStatus_Save0=User Save\r\n"
              "Time1=2\r\nFilterN1=1900\r\nliter1=0018,00\r\nStatus_Save1=Auto Save\r\n"
              "Time2=3\r\nFilterN2=2300\r\nliter2=0024,00\r\nStatus_Save2=User Save\r\n");

} // namespace

class TstExportMenu : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramHarness> m_h;
    QString m_path;
    QTemporaryDir m_config;

    void begin(bool autosaveAllowed = false)
    {
        m_h = std::make_unique<ProgramHarness>();
        (void)m_h->settings.set(SettingsKeys::Save, autosaveAllowed ? 0 : 1);
        m_h->start();
        m_path = m_h->dir.filePath(QStringLiteral("tank.kvi"));
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kProtocol) == kProtocol.size());
        f.close();
        m_h->state().CurrentProtocolFile = m_path;
        m_h->clock.advance(20); // the menu state follows the open protocol
    }
    Ui::TForm1 *ui() { return m_h->form().controls(); }

private Q_SLOTS:
    void initTestCase()
    {
        // kvtool reads its settings from here, not from the user's.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }
    void cleanup() { m_h.reset(); }

    void workbookBesideTheProtocol()
    {
        begin();
        QVERIFY(ui()->N6->isEnabled());
        ui()->N6->trigger();
        const QString out = m_h->dir.filePath(QStringLiteral("tank.xlsx"));
        QCOMPARE(m_h->opened, QStringList{out});
        QCOMPARE(m_h->dialogs.lastMessage(), QStringLiteral("Document saved:\r") + out);
        // No overwriting: the second export gets a number.
        ui()->N6->trigger();
        QVERIFY(QFile::exists(m_h->dir.filePath(QStringLiteral("tank (2).xlsx"))));

        // kvtool makes the same workbook.
        QProcess kvtool;
        const QString other = m_h->dir.filePath(QStringLiteral("kvtool.xlsx"));
        kvtool.start(QStringLiteral(KV_KVTOOL),
                     {QStringLiteral("xlsx"), m_path, QStringLiteral("-o"), other});
        QVERIFY(kvtool.waitForFinished(-1));
        QCOMPARE(kvtool.exitCode(), 0);
        for (const char *member : {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml"})
            QCOMPARE(unzip(other, QLatin1String(member)), unzip(out, QLatin1String(member)));
        QVERIFY(unzip(out, QStringLiteral("xl/worksheets/sheet1.xml"))
                    .contains("<c r=\"D3\"><f>B3</f><v>2300</v></c>"));
    }

    // With autosave allowed the question comes first; Yes puts every point
    // at the row of its index.
    void workbookWithAutosavePoints()
    {
        begin(true);
        m_h->dialogs.answer(MsgAnswer::Yes);
        ui()->N6->trigger();
        QCOMPARE(m_h->dialogs.messages().front(), QStringLiteral("Export autosave points?\r"));
        const QByteArray sheet =
            unzip(m_h->dir.filePath(QStringLiteral("tank.xlsx")), "xl/worksheets/sheet1.xml");
        static const QRegularExpression b3(QStringLiteral("<c r=\"B3\" s=\"[0-9]+\"><v>1900</v></c>"));
        QVERIFY(b3.match(QString::fromUtf8(sheet)).hasMatch());

        // Closing the question without an answer ends the export: no
        // workbook, nothing more said.
        m_h->dialogs.clear();
        m_h->dialogs.answerClosed();
        ui()->N6->trigger();
        QCOMPARE(m_h->dialogs.messages(), QStringList{QStringLiteral("Export autosave points?\r")});
        QVERIFY(!QFile::exists(m_h->dir.filePath(QStringLiteral("tank (2).xlsx"))));
    }

    void reportAndTable()
    {
        begin();
        // A PDF of an earlier report is there: both new files get " (2)".
        QFile(m_h->dir.filePath(QStringLiteral("tank.pdf"))).open(QIODevice::WriteOnly);
        ui()->WORD1->trigger();
        const QString odt = m_h->dir.filePath(QStringLiteral("tank (2).odt"));
        const QString pdf = m_h->dir.filePath(QStringLiteral("tank (2).pdf"));
        QVERIFY(QFile::exists(odt) && QFile::exists(pdf));
        QCOMPARE(m_h->opened, QStringList{odt});
        QCOMPARE(m_h->dialogs.lastMessage(),
                 QStringLiteral("Document saved:\r") + odt + QLatin1Char('\r') + pdf);

        m_h->dialogs.answerFile(m_h->dir.filePath(QStringLiteral("for-tarnet")));
        ui()->txt1->trigger();
        QFile f(m_h->dir.filePath(QStringLiteral("for-tarnet.wlp")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray wlp = f.readAll();
        QVERIFY(wlp.contains("\"d\":\"|1.500:12:2.300:24\""));
        QVERIFY(wlp.endsWith("\"version\":\"b4\"}"));
        // Cancelled: nothing written.
        m_h->dialogs.answerFile(QString());
        ui()->txt1->trigger();
        QCOMPARE(QDir(m_h->dir.path()).entryList({QStringLiteral("*.wlp")}).size(), 1);

        // The name typed without ".wlp" again: the existing for-tarnet.wlp is
        // replaced only when the installer says so.
        f.close();
        QVERIFY(QFile::resize(f.fileName(), 0));
        m_h->dialogs.clear();
        m_h->dialogs.answerFile(m_h->dir.filePath(QStringLiteral("for-tarnet")));
        m_h->dialogs.answer(MsgAnswer::No);
        ui()->txt1->trigger();
        QCOMPARE(m_h->dialogs.lastMessage(),
                 QStringLiteral("The file %1 already exists.\rReplace it?").arg(f.fileName()));
        QCOMPARE(f.size(), 0);
        m_h->dialogs.answerFile(m_h->dir.filePath(QStringLiteral("for-tarnet")));
        m_h->dialogs.answer(MsgAnswer::Yes);
        ui()->txt1->trigger();
        QVERIFY(f.size() > 0);
    }

    // A table longer than the tracker takes: thinned to the points asked for,
    // the first and last kept, with the largest difference told; an answer
    // that is no number of points writes nothing.
    void telematicsTableThinned()
    {
        begin();
        QByteArray protocol = QByteArray(kProtocol).replace("Stop_Point=2", "Stop_Point=6");
        // 2300 .. 3900 at 24, 36, 42, 45, 46 litres: the top of a lying tank.
        const int n[] = {2700, 3100, 3500, 3900};
        const char *l[] = {"0036,00", "0042,00", "0045,00", "0046,00"};
        for (int i = 0; i < 4; ++i)
            protocol += QStringLiteral("Time%1=%2\r\nFilterN%1=%3\r\nliter%1=%4\r\n"
                                       "Status_Save%1=User Save\r\n")
                            .arg(i + 3)
                            .arg(i + 4)
                            .arg(n[i])
                            .arg(QLatin1String(l[i]))
                            .toLatin1();
        QFile p(m_path);
        QVERIFY(p.open(QIODevice::WriteOnly) && p.write(protocol) == protocol.size());
        p.close();
        const QString out = m_h->dir.filePath(QStringLiteral("three.wlp"));
        m_h->dialogs.answerFile(out);
        m_h->dialogs.answerInput(QStringLiteral("3"));
        ui()->txt1->trigger();
        QFile w(out);
        QVERIFY(w.open(QIODevice::ReadOnly));
        // The best three: the middle one where the curve bends most.
        QVERIFY2(w.readAll().contains("\"d\":\"|1.500:12:3.100:42:3.900:46\""), qPrintable(out));
        QCOMPARE(m_h->dialogs.lastMessage(),
                 QStringLiteral("3 of 6 points written; largest difference 3,25 l (7,07 % of "
                                "the table's top)."));

        m_h->dialogs.answerFile(m_h->dir.filePath(QStringLiteral("none.wlp")));
        m_h->dialogs.answerInput(QStringLiteral("one"));
        ui()->txt1->trigger();
        QCOMPARE(m_h->dialogs.lastMessage(), QStringLiteral("Not a number of points: one"));
        QVERIFY(!QFile::exists(m_h->dir.filePath(QStringLiteral("none.wlp"))));
    }

    // A user point whose litres do not convert stays out of the report and
    // the table, and the window says so.
    void pointsLeftOut()
    {
        begin();
        QFile p(m_path);
        QVERIFY(p.open(QIODevice::WriteOnly));
        p.write(QByteArray(kProtocol).replace("Stop_Point=2", "Stop_Point=3") +
                "Time3=4\r\nFilterN3=2500\r\nliter3=abc\r\nStatus_Save3=User Save\r\n");
        p.close();
        const QString note = QStringLiteral("1 user point(s) left out of the document (indices "
                                            "3): their level code or litres are not numbers.");
        ui()->WORD1->trigger();
        QVERIFY2(m_h->dialogs.lastMessage().endsWith(QLatin1Char('\r') + note),
                 qPrintable(m_h->dialogs.lastMessage()));
        m_h->dialogs.answerFile(m_h->dir.filePath(QStringLiteral("t.wlp")));
        ui()->txt1->trigger();
        QCOMPARE(m_h->dialogs.lastMessage(), note);
        QFile w(m_h->dir.filePath(QStringLiteral("t.wlp")));
        QVERIFY(w.open(QIODevice::ReadOnly));
        QVERIFY(w.readAll().contains("|1.500:12:2.300:24\""));
    }

    void printout()
    {
        begin();
        const QString pdf = m_h->dir.filePath(QStringLiteral("print.pdf"));
        bool accept = false;
        m_h->world.choosePrinter = [&](QPrinter &p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            return accept;
        };
        m_h->program = std::make_unique<Program>(m_h->world); // with the printer seam
        m_h->form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_h->form()));
        m_h->form().controls()->N20->trigger();
        QVERIFY(!QFile::exists(pdf)); // cancelled: nothing printed
        accept = true;
        m_h->form().controls()->N20->trigger();
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().count("/Type /Page\n"), 1);
    }
};

QTEST_MAIN(TstExportMenu)
#include "tst_export_menu.moc"
