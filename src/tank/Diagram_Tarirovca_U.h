// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// TForm5: the calibration window. It plots the level code over time while fuel
// is poured, records points with the transport buttons, and lets the installer
// inspect, correct and delete them. The window holds the controls and thin
// handlers; the recording itself is the Recording state machine, and every
// handler ends by showing what the machine holds (refresh()).
//
// Control kinds: the transport and navigation buttons are checkable
// QToolButtons (down = checked), the masked edits QLineEdits with an input
// mask whose blank character is "0", the point list a two-column QTableWidget
// ("ValueListEditor"), the chart a QChartView ("Chart") with Series1 (area),
// Series2 (markers) and Series3 (cursor line).

#include "common/dialogs.h"
#include "tank/recording.h"
#include "tank/table_check.h"

#include <QPixmap>
#include <QSet>
#include <QWidget>
#include <functional>

class QAction;
class QAreaSeries;
class QChart;
class QChartView;
class QGraphicsSimpleTextItem;
class QLabel;
class QLineEdit;
class QLineSeries;
class QMenu;
class QProgressBar;
class QScatterSeries;
class QTableWidget;
class QToolButton;
class QFrame;
class QValueAxis;
class SettingsStore;
class TForm8;
class TForm15;
class UpDown;

/// The images of the transport buttons by resource name ("SBPLAY", "SBPLAYR",
/// "SBPAUSE", "SBPAUSER", "SBSTOP", "SBSTOPR", "SBREC", "SBUP", "SBDOWN",
/// "SBSPEEDUP", "SBSPEEDDOWN"); the names ending in R mark the active button.
QPixmap tankButtonImage(const QString &name);

class TForm5 : public QWidget {
    Q_OBJECT
public:
    /// What the calibration window takes from the rest of the program.
    struct Host {
        /// The latest reading's C, the main window's clock text, the temperature text.
        std::function<Recording::Sample(qint32 n)> sample;
        /// Top of the level axis by the chosen resolution.
        std::function<int()> resolutionTop;
        /// Autosave allowed, and its constant (the settings window).
        std::function<std::pair<bool, int>()> autosave;
        /// sbPlay clicked: the poll interval becomes 1000 ms.
        std::function<void()> pollEverySecond;
        /// Enables or disables the main window (point properties, view-only mode).
        std::function<void(bool)> setMainEnabled;
        /// The main window's part of closing after a calibration: pages enabled,
        /// port closed, job texts cleared, the main window shown.
        std::function<void()> calibrationClosed;
        /// The spreadsheet export (Yes to the export question).
        std::function<void()> exportSpreadsheet;
        /// The protocol is closed (no protocol open any more).
        std::function<void()> protocolClosed;
        /// The re-opening of the protocol after a correction or deletion.
        std::function<void()> reopen;
        /// The tank volume of the job in litres (0: not entered): a next value
        /// beyond it is marked.
        std::function<int()> tankVolume;
    };

    TForm5(Dialogs *dialogs, SettingsStore *settings, QWidget *parent = nullptr);
    ~TForm5() override;

    void setHost(Host host) { m_host = std::move(host); }
    void setLang(int lang);
    int lang() const { return m_lang; }

    Recording &recording() { return m_rec; }
    const Recording &recording() const { return m_rec; }

    /// Shown for a calibration on the open protocol: Rec disabled, the
    /// shortcut items enabled.
    void showForCalibration(const QString &protocolPath);
    /// Shown to look at a protocol: the recording panel hidden, the shortcut
    /// items disabled.
    void showViewOnly(const QString &protocolPath);
    bool viewOnly() const;
    /// sbPlay is down.
    bool playing() const { return m_rec.playDown(); }

    /// A protocol just opened (or created: `points` empty and `fresh`): the
    /// window shows its points and goes on where it left off.
    void loadProtocol(const QString &path, const PointsRead &points);
    void startNewProtocol(const QString &path);
    /// One accepted level reading from the sensor poll. The autosave switch
    /// and constant are taken as the settings window holds them now.
    void LevelReading(qint32 n);
    /// The sensor no longer answers (watchdog) or its adapter went: the window
    /// says so beside the level and Rec stores nothing until the next reading.
    /// The recording itself goes on.
    void LinkLost();
    /// The installer closed the port: the recording stops (Start up, Stop
    /// down, Rec disabled) and a reopened port does not restart it.
    void PortClosed();
    /// Everything shown, from the recording's state.
    void refresh();

    // ---- handlers (connected in the constructor)
    void sbPlayClick();
    void sbPauseClick();
    void sbRecClick();
    void sbStopClick();
    void sbUpClick() { navigate(+2); }
    void sbDownClick() { navigate(-2); }
    void sbSpeedUpClick() { navigate(+5); }
    void sbSpeedDownClick() { navigate(-5); }
    void sbProcClick();
    void meStartLiterChange();
    void UpDown3Click();
    void meIncremChange();
    void UpDown1Click();
    void ValueListEditorSelectCell(int row);
    /// A marker clicked: its point, by the marker's stored index.
    void Series2Click(const QPointF &point);
    /// The curve clicked: the stored point nearest to where the mouse landed.
    void Series1Click(const QPointF &point);
    void N1Click();
    void N3Click();
    void N4Click();
    void N5Click();
    void N7Click();
    void Play1Click();
    void Pause1Click();
    void Rec1Click();
    /// TForm15's OK with its text: the correction question and the writes.
    void correctLitres(const QString &text);

    TForm8 *form8() const { return m_form8; }
    TForm15 *form15() const { return m_form15; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void build();
    void navigate(int step);
    void refreshChart();
    /// The calibration table's check on the user points shown: the rows and
    /// markers of points with a finding marked, the latest finding in one line
    /// under the chart. Advice only: nothing is asked and nothing refused.
    void showTableCheck();
    void placeLabels();
    void pauseReload();
    /// The point-properties and fuel-level windows closed: they belong to the
    /// protocol and the window they were opened on.
    void closePointWindows();
    /// The open protocol opened again after a change; the window stays paused.
    void reopen();
    void FormClose();
    Recording::Sample sample() const;
    /// The autosave switch and constant as the settings hold them now.
    void followAutosave();
    QString t(int id) const;

    Recording m_rec;
    Dialogs *m_dialogs;
    SettingsStore *m_settings;
    Host m_host;
    int m_lang = 0;
    bool m_viewOnly = false;
    bool m_calibration = false; // shown for a calibration (not view-only) since the last close
    double m_editedPointLitres = 0;
    int m_editedPoint = -1;
    QString m_editedProtocol; // the protocol the correction was opened on

    // controls
    QToolButton *sbSpeedDown, *sbDown, *sbUp, *sbSpeedUp;
    QChartView *Chart;
    QTableWidget *ValueListEditor;
    QProgressBar *ProgressBar1;
    QFrame *Panel1;
    QLineEdit *meStartLiter, *meIncrem, *meliter;
    UpDown *UpDown1, *UpDown2, *UpDown3;
    QToolButton *sbProc, *sbPlay, *sbPause, *sbRec, *sbStop;
    QLabel *Label3, *Label1, *Label2, *Label4, *lbNN; // start value, step, next value, N
    QLabel *lbLinkLost; // beside the level while no reading comes
    QMenu *PopupMenu1;
    QAction *N1, *N3, *N4, *N5, *N7, *Play1, *Pause1, *Rec1;
    QChart *m_chart;
    QLineSeries *m_upper;
    QAreaSeries *Series1;
    QScatterSeries *Series2;
    QLineSeries *Series3;
    QValueAxis *m_axisX, *m_axisY;
    // The chart holds only what can show in the time axis' range: the curve
    // points [m_drawnFrom, m_drawnTo) and the markers m_labelMarkers (indices
    // into the recording's markers, one label each).
    QList<QGraphicsSimpleTextItem *> m_labels;
    QList<int> m_labelMarkers;
    int m_drawnGeneration = -1;
    int m_drawnCurve = 0;
    int m_drawnFrom = 0;
    int m_drawnTo = 0;
    bool m_markersStale = true; // the labels must be made again (a new language)
    int m_drawnRows = 0;
    QLabel *lbTableCheck;
    std::vector<TableCheck::Finding> m_findings;
    QSet<int> m_markedPoints;  // stored indices whose row and marker are marked
    bool m_marksStale = true;  // markers or rows were drawn anew since marking
    int m_checkedLang = -1;
    TForm8 *m_form8;
    TForm15 *m_form15;
};
