// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm7: the settings window for autosave, port detection (modem-line check)
// and the monitoring-export prefix and suffix. It loads its six keys when it
// is created and writes them whenever it closes.

#include <QDialog>
#include <QString>
#include <memory>

class Dialogs;
class SettingsStore;
namespace Ui {
class TForm7;
}

class TForm7 : public QDialog {
    Q_OBJECT
public:
    /// Creates the window and loads its settings (FormCreate). The view in
    /// force at creation is the stored one; the main window reports later
    /// changes with setEngineeringView().
    TForm7(SettingsStore &store, Dialogs *dialogs, QWidget *parent = nullptr);
    ~TForm7() override;

    /// Opening from the menu: disables the main window and shows this one.
    void Open(QWidget *mainWindow);

    void FormCreate();
    /// Normal view hides the port-detection group and unchecks its check box;
    /// engineering view shows it. Height 358 in both.
    void FormPaint();
    /// Index 0 (autosave allowed) enables the constant, index 1 disables it.
    void rgAvtoSaveClick();
    /// OK: a constant that is not a whole number is refused (set to "0",
    /// message, window stays); otherwise the window closes and saves.
    void BitBtn1Click();
    /// Writes the six keys from the controls.
    void FormClose();

    void setEngineeringView(bool engineering);
    bool engineeringView() const { return m_engineering; }

    /// What other windows read: index of rgAvtoSave (0 allowed, 1 forbidden),
    /// the constant (the arrows' position), the modem-line check and the
    /// monitoring-export texts and option.
    int avtoSaveIndex() const;
    int avtoSaveConstant() const;
    bool refCTS() const;
    QString prefixText() const;
    QString sufixText() const;
    bool forTarnet() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Esc does nothing: the window is left with OK only.
    void reject() override {}

private:
    void setAvtoSaveIndex(int index);
    void returnToMainWindow();

    std::unique_ptr<Ui::TForm7> m_ui;
    SettingsStore &m_store;
    Dialogs *m_dialogs;
    QWidget *m_mainWindow = nullptr;
    bool m_engineering = false;
};
