// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The terminal window: the trace texts as the link layer writes them, the N5
// toggle and the close box, Clear, placement beside the main window, the bound.

#include "shell/Terminal_U.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
// A two-language stand-in for LangTable holding the N5 captions.
TForm3::TextLookup lookupFor(int Lang)
{
    return [Lang](int k) -> QString {
        if (k == 156)
            return Lang ? QStringLiteral("&Показать терминальное окно")
                        : QStringLiteral("&Show terminal window");
        if (k == 310)
            return Lang ? QStringLiteral("&Скрыть терминальное окно")
                        : QStringLiteral("Hide terminal windows");
        return QString();
    };
}

// One trace operation: "i:" inserts the rest, "l:" adds it as a line.
void apply(TForm3 &t, const QStringList &ops)
{
    for (const QString &op : ops) {
        if (op.startsWith(QLatin1String("i:")))
            t.insertText(op.mid(2));
        else
            t.addLine(op.mid(2));
    }
}
} // namespace

class TstTerminal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void traceTextsArriveExactly_data()
    {
        QTest::addColumn<QStringList>("ops");
        QTest::addColumn<QString>("expected");

        const QString req = QStringLiteral("<= 31  05  42  A7\r\n");
        QStringList replyBytes{QStringLiteral("i:=> 3E   "), QStringLiteral("i:05   "),
                               QStringLiteral("i:42   "), QStringLiteral("i:00   "),
                               QStringLiteral("i:9C   \r\n")};
        const QString reply = QStringLiteral("=> 3E   05   42   00   9C   \n");
        const QString marker = QStringLiteral("<<<<<<<<<<<<<!>>>>>>>>>>>>>>");

        QTest::newRow("request") << QStringList{QStringLiteral("i:") + req}
                                 << QStringLiteral("<= 31  05  42  A7\n");
        QTest::newRow("request then reply byte by byte")
            << (QStringList{QStringLiteral("i:") + req} + replyBytes)
            << QStringLiteral("<= 31  05  42  A7\n") + reply;
        QTest::newRow("Err_CRC after a request")
            << QStringList{QStringLiteral("i:") + req, QStringLiteral("l:Err_CRC"),
                           QStringLiteral("i:") + req}
            << QStringLiteral("<= 31  05  42  A7\nErr_CRC\n<= 31  05  42  A7\n");
        QTest::newRow("marker on an empty memo")
            << QStringList{QStringLiteral("l:") + marker} << marker + QLatin1Char('\n');
        QTest::newRow("marker breaks off a partial reply line")
            << QStringList{QStringLiteral("i:=> 3E   "), QStringLiteral("l:") + marker,
                           QStringLiteral("i:") + req}
            << QStringLiteral("=> 3E   \n") + marker + QStringLiteral("\n<= 31  05  42  A7\n");
    }

    void traceTextsArriveExactly()
    {
        QFETCH(QStringList, ops);
        QFETCH(QString, expected);
        TForm3 t;
        apply(t, ops);
        QCOMPARE(t.traceText(), expected);

        // The link layer's in-memory sink gives the same text with "\r\n" breaks.
        StringTraceSink s;
        for (const QString &op : ops)
            op.startsWith(QLatin1String("i:")) ? s.insertText(op.mid(2)) : s.addLine(op.mid(2));
        QCOMPARE(QString(s.text()).replace(QLatin1String("\r\n"), QLatin1String("\n")), expected);
    }

    void traceGoesToTheEndWhereverTheUserClicked()
    {
        TForm3 t;
        t.show();
        t.insertText(QStringLiteral("<= 31  FF  41  10\r\n"));
        t.insertText(QStringLiteral("=> 3E   "));
        // The user clicks at the start of the memo and selects a few characters.
        QTextCursor c = t.memo()->textCursor();
        c.setPosition(0);
        c.setPosition(5, QTextCursor::KeepAnchor);
        t.memo()->setTextCursor(c);
        t.insertText(QStringLiteral("01   02\r\n"));
        t.addLine(QStringLiteral("Err_CRC"));
        QCOMPARE(t.traceText(), QStringLiteral("<= 31  FF  41  10\n=> 3E   01   02\nErr_CRC\n"));
    }

    void memoIsReadOnlyMonospace()
    {
        TForm3 t;
        t.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t));
        t.memo()->setFocus();
        QTest::keyClicks(t.memo(), QStringLiteral("typed"));
        QVERIFY(t.traceText().isEmpty());
        QVERIFY(QFontInfo(t.memo()->font()).fixedPitch());
    }

    void n5TogglesWithItsTwoCaptions_data()
    {
        QTest::addColumn<int>("Lang");
        QTest::addColumn<QString>("showCaption");
        QTest::addColumn<QString>("hideCaption");
        QTest::newRow("English") << 0 << QStringLiteral("&Show terminal window")
                                 << QStringLiteral("Hide terminal windows");
        QTest::newRow("Russian") << 1 << QStringLiteral("&Показать терминальное окно")
                                 << QStringLiteral("&Скрыть терминальное окно");
    }

    void n5TogglesWithItsTwoCaptions()
    {
        QFETCH(int, Lang);
        QFETCH(QString, showCaption);
        QFETCH(QString, hideCaption);
        QAction N5(showCaption);
        TForm3 t;
        t.setTextLookup(lookupFor(Lang));
        t.setMenuItem(&N5);
        QVERIFY(N5.isCheckable());
        QVERIFY(!N5.isChecked());

        N5.trigger(); // as a click in the menu
        QVERIFY(t.isVisible());
        QVERIFY(N5.isChecked());
        QCOMPARE(N5.text(), hideCaption);

        N5.trigger();
        QVERIFY(!t.isVisible());
        QVERIFY(!N5.isChecked());
        QCOMPARE(N5.text(), showCaption);

        t.N5Click(); // called by code, not through the action
        QVERIFY(t.isVisible());
        QVERIFY(N5.isChecked());
        QCOMPARE(N5.text(), hideCaption);

        // The close box hides the window and leaves N5 unchecked with its "show" caption.
        QVERIFY(t.close());
        QVERIFY(!t.isVisible());
        QVERIFY(!N5.isChecked());
        QCOMPARE(N5.text(), showCaption);

        // And the next click shows the window again.
        N5.trigger();
        QVERIFY(t.isVisible());
        QVERIFY(N5.isChecked());
    }

    void withoutLookupTheRussianDesignCaptionsAreUsed()
    {
        QAction N5;
        TForm3 t;
        t.setMenuItem(&N5);
        N5.trigger();
        QCOMPARE(N5.text(), QStringLiteral("&Скрыть терминальное окно"));
        t.close();
        QCOMPARE(N5.text(), QStringLiteral("&Показать терминальное окно"));
    }

    void keepsItsLinesAcrossHideAndShow()
    {
        QAction N5;
        TForm3 t;
        t.setTextLookup(lookupFor(0));
        t.setMenuItem(&N5);
        N5.trigger();
        t.insertText(QStringLiteral("<= 31  FF  41  10\r\n"));
        N5.trigger();                                           // hidden by the menu
        t.insertText(QStringLiteral("=> 3E   01   9C   \r\n")); // still traced while hidden
        N5.trigger();
        t.addLine(QStringLiteral("Err_CRC"));
        t.close(); // hidden by the close box
        t.insertText(QStringLiteral("<= 31  01  06  5A\r\n"));
        N5.trigger();
        QCOMPARE(t.traceText(), QStringLiteral("<= 31  FF  41  10\n=> 3E   01   9C   \n"
                                               "Err_CRC\n<= 31  01  06  5A\n"));
    }

    void clearEmptiesTheTrace()
    {
        TForm3 t;
        t.show();
        t.insertText(QStringLiteral("<= 31  FF  41  10\r\n=> 3E   "));
        auto *clear = t.findChild<QPushButton *>(QStringLiteral("Button2"));
        QVERIFY(clear);
        QCOMPARE(clear->text(), QStringLiteral("Clear"));
        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(t.traceText().isEmpty());
        t.insertText(QStringLiteral("<= 31  01  06  5A\r\n"));
        QCOMPARE(t.traceText(), QStringLiteral("<= 31  01  06  5A\n"));
    }

    void placedAtTheMainWindowsRightEdge()
    {
        QWidget main;
        main.setGeometry(120, 80, 640, 480);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        QAction N5;
        TForm3 t;
        t.setMainWindow(&main);
        t.setMenuItem(&N5);
        N5.trigger();
        QRect mf = main.frameGeometry();
        QCOMPARE(t.frameGeometry().topLeft(), QPoint(mf.x() + mf.width(), mf.y()));

        // The main window moved while the terminal was hidden: the next show follows it.
        N5.trigger();
        main.move(10, 30);
        mf = main.frameGeometry();
        N5.trigger();
        QCOMPARE(t.frameGeometry().topLeft(), QPoint(mf.x() + mf.width(), mf.y()));

        t.placeAtRightEdge(QRect(300, 200, 500, 400));
        QCOMPARE(t.frameGeometry().topLeft(), QPoint(800, 200));
    }

    void keepsOnlyTheNewestLines()
    {
        TForm3 t;
        const int total = TForm3::kMaxTraceLines + 500;
        for (int i = 0; i < total; ++i)
            t.insertText(QStringLiteral("<= %1\r\n").arg(i));
        const QStringList lines = t.traceText().split(QLatin1Char('\n'));
        QVERIFY(lines.size() <= TForm3::kMaxTraceLines);
        QVERIFY(lines.size() >= TForm3::kMaxTraceLines - 1);
        QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("<= %1").arg(total - 1));
        QVERIFY(!lines.contains(QStringLiteral("<= 0")));
    }
};

QTEST_MAIN(TstTerminal)
#include "tst_terminal.moc"
