// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The settings window TForm7 offscreen, on a real store file.

#include "common/dialogs.h"
#include "shell/AvtoSave_U.h"
#include "shell/settings_store.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace SettingsKeys;

class TstAvtoSave : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_n = 0;
    QString freshPath() { return m_dir.filePath(QString("store%1.ini").arg(++m_n)); }

    template <class T> static T *child(QWidget &w, const char *name)
    {
        T *c = w.findChild<T *>(name);
        if (!c)
            qFatal("no control %s", name);
        return c;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void firstOpenShowsDesignValues()
    {
        SettingsStore store(freshPath());
        ScriptedDialogs dialogs;
        TForm7 w(store, &dialogs);
        QCOMPARE(w.windowTitle(), QString("Управление режимом автосохранения"));
        QCOMPARE(w.avtoSaveIndex(), 1);
        QVERIFY(child<QRadioButton>(w, "rgAvtoSaveItem1")->isChecked());
        QCOMPARE(child<QLineEdit>(w, "meAvtoSave")->text(), QString("5"));
        QVERIFY(!child<QLineEdit>(w, "meAvtoSave")->isEnabled()); // autosave forbidden
        QVERIFY(!child<QWidget>(w, "UpDown1")->isEnabled());
        QVERIFY(!w.refCTS());
        QCOMPARE(w.prefixText(), DefaultPrefix);
        QCOMPARE(w.sufixText(), DefaultSufix);
        QVERIFY(!w.forTarnet());
        QCOMPARE(child<QGroupBox>(w, "GroupBox2")->title(),
                 QString("  Конфигурация файла для \"ТАРНЕТ\"  "));
        w.show();
        QCOMPARE(w.height(), 358);
        QVERIFY(child<QGroupBox>(w, "GroupBox1")->isHidden()); // normal view
    }

    void openShowsStoredValuesAndCloseWritesThem()
    {
        SettingsStore store(freshPath());
        QVERIFY(store.set(Save, 0));
        QVERIFY(store.set(ConstSave, 8));
        QVERIFY(store.set(RefCTS, true));
        QVERIFY(store.set(PrefixStr, "Начало, \"файла\""));
        QVERIFY(store.set(SufixStr, "конец;"));
        QVERIFY(store.set(TARNETcb, true));
        QVERIFY(store.set(View, 1));
        ScriptedDialogs dialogs;
        QWidget main;
        TForm7 w(store, &dialogs, &main);
        QCOMPARE(w.avtoSaveIndex(), 0);
        QCOMPARE(child<QLineEdit>(w, "meAvtoSave")->text(), QString("8"));
        QVERIFY(child<QLineEdit>(w, "meAvtoSave")->isEnabled());
        QVERIFY(w.refCTS());
        QCOMPARE(w.prefixText(), QString("Начало, \"файла\""));
        QCOMPARE(w.sufixText(), QString("конец;"));
        QVERIFY(w.forTarnet());

        w.Open(&main);
        QVERIFY(!main.isEnabled());
        QVERIFY(w.isEnabled()); // owned by the main window, yet usable
        QVERIFY(!child<QGroupBox>(w, "GroupBox1")->isHidden()); // engineering view
        QVERIFY(w.refCTS());

        // Change every control, then OK.
        child<QRadioButton>(w, "rgAvtoSaveItem1")->click();
        QVERIFY(!child<QLineEdit>(w, "meAvtoSave")->isEnabled());
        child<QRadioButton>(w, "rgAvtoSaveItem0")->click();
        QVERIFY(child<QLineEdit>(w, "meAvtoSave")->isEnabled());
        QToolButton *up = child<QWidget>(w, "UpDown1")->findChildren<QToolButton *>().first();
        up->click();
        up->click();
        up->click(); // 8 -> 10, stops at the top
        QCOMPARE(child<QLineEdit>(w, "meAvtoSave")->text(), QString("10"));
        child<QCheckBox>(w, "cbRefCTS")->click();
        child<QCheckBox>(w, "cbforTarnet")->click();
        child<QLineEdit>(w, "edPrefixRezString")->setText("П");
        child<QLineEdit>(w, "edSufixRezString")->setText(QString());
        QTest::mouseClick(child<QWidget>(w, "BitBtn1"), Qt::LeftButton);

        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY(!w.isVisible());
        QVERIFY(main.isEnabled());
        QCOMPARE(store.get(Save), 0);
        QCOMPARE(store.get(ConstSave), 10);
        QCOMPARE(store.get(RefCTS), false);
        QCOMPARE(store.get(TARNETcb), false);
        QCOMPARE(store.get(PrefixStr), QString("П"));
        QCOMPARE(store.get(SufixStr), QString());
    }

    void okValidatesTheConstant_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("stored");
        QTest::newRow("letters") << "ab" << true << 5;
        QTest::newRow("empty") << "" << true << 5;
        QTest::newRow("fraction") << "3," << true << 5;
        QTest::newRow("seven") << "7" << false << 7;
        QTest::newRow("zero kept to 1") << "0" << false << 1;
        QTest::newRow("99 kept to 10") << "99" << false << 10;
        QTest::newRow("blank before") << " 4" << false << 4;
    }
    void okValidatesTheConstant()
    {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        QFETCH(int, stored);
        SettingsStore store(freshPath());
        QVERIFY(store.set(Save, 0));
        ScriptedDialogs dialogs;
        QWidget main;
        TForm7 w(store, &dialogs, &main);
        w.Open(&main);
        child<QLineEdit>(w, "meAvtoSave")->setText(typed);
        w.BitBtn1Click();
        if (refused) {
            QCOMPARE(dialogs.messages(), QStringList{"Неверно введена константа автосохранения."});
            QCOMPARE(child<QLineEdit>(w, "meAvtoSave")->text(), QString("0"));
            QVERIFY(w.isVisible());
            QVERIFY(!main.isEnabled());
            QVERIFY(!store.contains("AvtoSave", "ConstSave")); // nothing saved yet
        } else {
            QVERIFY(dialogs.shown().isEmpty());
            QVERIFY(!w.isVisible());
            QVERIFY(main.isEnabled());
        }
        QCOMPARE(store.get(ConstSave), stored);
    }

    void normalViewUnchecksThePortCheck()
    {
        SettingsStore store(freshPath());
        QVERIFY(store.set(RefCTS, true));
        ScriptedDialogs dialogs;
        QWidget main;
        TForm7 w(store, &dialogs, &main);
        QVERIFY(w.refCTS()); // loaded as stored until the window is shown
        w.Open(&main);
        QVERIFY(child<QGroupBox>(w, "GroupBox1")->isHidden());
        QVERIFY(!w.refCTS());
        w.BitBtn1Click();
        QCOMPARE(store.get(RefCTS), false);

        // Switched to engineering view: the group comes back and the check stays.
        w.setEngineeringView(true);
        QVERIFY(store.set(RefCTS, true));
        w.FormCreate();
        w.Open(&main);
        QVERIFY(!child<QGroupBox>(w, "GroupBox1")->isHidden());
        QVERIFY(w.refCTS());
        QCOMPARE(w.height(), 358);
    }

    void anyCloseSavesAndFreesTheMainWindow()
    {
        SettingsStore store(freshPath());
        ScriptedDialogs dialogs;
        QWidget main;
        TForm7 w(store, &dialogs, &main);
        w.Open(&main);
        child<QCheckBox>(w, "cbforTarnet")->setChecked(true);
        QTest::keyClick(&w, Qt::Key_Escape); // does nothing
        QVERIFY(w.isVisible());
        w.close();
        QVERIFY(main.isEnabled());
        QCOMPARE(store.get(TARNETcb), true);
    }
};

QTEST_MAIN(TstAvtoSave)
#include "tst_avtosave.moc"
