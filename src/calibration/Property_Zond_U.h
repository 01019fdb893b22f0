// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm9: the probe constants of the length detection: the mounting
// capacitance CF1 (meCF1, pF), the linear capacitance CL (meCL, pF/mm) and a
// hidden third value (meCF2). Stored under "Property_bore" when the window
// closes; Cancel reloads the stored values, "Заводские установки" puts the
// factory values in the fields without storing them.

#include <QWidget>
#include <functional>

class NumberFormat;
class QLineEdit;
class QPushButton;
class SettingsStore;

class TForm9 : public QWidget {
    Q_OBJECT
public:
    TForm9(SettingsStore *settings, const NumberFormat &number, QWidget *parent = nullptr);

    QLineEdit *meCF1, *meCL, *meCF2;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3;

    double cf1() const;
    double cl() const;
    /// Runs when the window has closed and stored its values.
    std::function<void()> onClosed;

    void loadStored();
    void factorySettings();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    double value(const QLineEdit *e) const;
    SettingsStore *m_settings;
    const NumberFormat &m_number;
};
