// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real message box behind the dialogs seam: a question closed without an
// answer (the close box, Esc) is told apart from a button pressed.

#include "common/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Runs `act` on the message box once it is up.
void onBox(std::function<void(QMessageBox *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start();
}

} // namespace

class TstQtDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closedOrAnswered_data()
    {
        QTest::addColumn<int>("how"); // 0 close box, 1 Esc, 2 Yes, 3 No
        QTest::addColumn<int>("asked"); // -1 nullopt, else MsgAnswer
        QTest::addColumn<int>("message");
        QTest::newRow("close box") << 0 << -1 << int(MsgAnswer::No);
        QTest::newRow("Esc") << 1 << -1 << int(MsgAnswer::No);
        QTest::newRow("Yes") << 2 << int(MsgAnswer::Yes) << int(MsgAnswer::Yes);
        QTest::newRow("No") << 3 << int(MsgAnswer::No) << int(MsgAnswer::No);
    }
    void closedOrAnswered()
    {
        QFETCH(int, how);
        QtDialogs real;
        Dialogs &dialogs = real;
        auto act = [how](QMessageBox *box) {
            if (how == 0)
                box->close();
            else if (how == 1)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(how == 2 ? QMessageBox::Yes : QMessageBox::No)->click();
        };
        onBox(act);
        const auto a = dialogs.ask(QStringLiteral("Export autosave points?"), MsgIcon::Information,
                                   MsgButtons::YesNo);
        QTEST(a ? int(*a) : -1, "asked");
        onBox(act);
        QTEST(int(dialogs.message(QStringLiteral("?"), MsgIcon::Information, MsgButtons::YesNo)),
              "message");
    }
};

QTEST_MAIN(TstQtDialogs)
#include "tst_qt_dialogs.moc"
