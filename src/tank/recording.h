// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The tank-calibration recording: the state machine behind the calibration
// window's transport buttons. It takes the level readings of the sensor poll
// and the installer's commands, writes every point to the protocol file
// through its crash-safe operations, and keeps what the window shows (the
// level curve, the user-point markers, the point list, the axes, the fields
// and the buttons' states) as plain values. A point reaches the file before
// anything of it is shown; a write that fails shows its message and leaves the
// state as it was.
//
// Questions and messages go through the Dialogs seam, so the whole recording
// runs in a test without a window.

#include "common/numfmt.h"
#include "tank/protocol_file.h"

#include <QPointF>
#include <QString>
#include <QVector>
#include <optional>

class Dialogs;
struct OpenedCounters;

namespace RecordingText {

/// Litres of a 7-character litre field ("0012,50" -> 12.5): characters 1-4
/// and 6-7 as one integer, divided by 100; nullopt when they are not digits.
std::optional<double> litresOfField(const QString &text);
/// The step of the 6-character step field ("012,50" -> 12.5), the same way.
std::optional<double> stepOfField(const QString &text);
/// A litre value as the litre field shows it: "%4.2f" with the comma, padded
/// with zeros on the left to 7 characters (12.5 -> "0012,50"); nullopt when
/// it needs more than 7 (10000 litres or more).
std::optional<QString> litreFieldText(double litres);

/// The next value after a Rec: L + S filling, L - S draining; below zero it
/// becomes 0 and `lowLevel` says so.
struct NextValue {
    double litres = 0;
    bool lowLevel = false;
};
NextValue nextValue(double litres, double step, bool draining);

/// The marker label of a user point: "N=1500\r12,5 л." ("L." in English).
QString markerLabel(qint32 n, double litres, int lang);

/// Beside the level while no reading comes: "Нет связи с датчиком" / "No link to the sensor".
QString linkLostLabel(int lang);

} // namespace RecordingText

class Recording {
public:
    enum class Mode { Idle, Recording, Paused };
    enum class View { Whole, Point };

    /// What the window's environment gives with a reading or a saved point.
    struct Sample {
        qint32 n = 0; ///< level code N
        /// The capacitance code the sensor record holds: with a reading, that
        /// of the reading before (the record takes the new C after the
        /// recording has seen the reading); at Rec and Stop the latest one.
        qint32 c = 0;
        QString clock; ///< the main window's clock text (9:05:07)
        QString tetmo; ///< the temperature text (+23)
    };
    struct Marker {
        double x = 0;
        qint32 n = 0;
        QString label;
        int index = 0;     ///< stored point index
        double litres = 0; ///< the litres saved with the point
    };
    struct Row {
        qint64 time = 0;
        qint32 n = 0;
        int index = 0; ///< stored point index
    };

    Recording(Dialogs *dialogs, int lang);

    // ---- set-up from the protocol opening and the settings
    void setProtocol(const QString &path) { m_path = path; }
    const QString &protocol() const { return m_path; }
    void setLang(int lang) { m_lang = lang; }
    void setAutosave(bool enabled, int constant);
    /// Top of the level axis by the sensor's resolution (1024, 4095, 16383, 65535).
    void setResolutionTop(int top) { m_levelTop = top; }
    /// The counters as the protocol opening leaves them.
    void setCounters(qint32 pointCounter, qint64 recordTime, qint32 lastUserSavedN,
                     qint32 lastAutoSavedN);

    // ---- inputs
    /// One accepted level reading: autosave, plot while recording. It ends a
    /// lost link: the recording goes on from this reading.
    void levelReading(const Sample &s);
    /// The sensor stopped answering (or the port went): until the next reading
    /// Rec refuses with a message and nothing is stored; the time stands.
    void linkLost() { m_linkLost = true; }
    /// The port was closed by the user: the recording stops (Start up, Pause
    /// up, Stop down, Rec disabled) and does not resume by itself; the
    /// counters stay, so a new Start goes on where it stopped.
    void portClosed();
    /// sbPlay clicked: `down` is its state after the click.
    void playClicked(bool down);
    /// sbPause clicked.
    void pauseClicked(bool down);
    /// sbRec clicked; false when nothing was stored (refused, declined, failed).
    bool rec(const Sample &latest);
    /// sbStop clicked. true when the calibration ended (the window closes).
    bool stopClicked(bool down, const Sample &latest);
    /// A protocol just opened: the curve, the markers and the list from its
    /// points, and the counters where the calibration goes on; idle.
    void loadOpened(const PointsRead &points, const OpenedCounters &counters);
    /// A new protocol: nothing plotted or listed, the counters at their start,
    /// the litre fields at zero.
    void startNew();
    /// The pause reload: the chart, the list and the counters from the file.
    /// false (with the message shown) when the file cannot be read.
    bool reload();
    /// After the protocol was opened again (a point corrected or deleted): the
    /// window stays paused, in the whole-diagram view.
    void reopened();

    // ---- fields
    void setStartLiterText(const QString &text);
    void startLiterUpDown(int position);
    void setIncremText(const QString &text);
    void incremUpDown(int position);
    void setDraining(bool draining);
    /// Both litre fields back to zero (end of a calibration).
    void resetFields();

    // ---- navigation and views
    void navigate(int step); ///< sbUp +2, sbDown -2, sbSpeedUp +5, sbSpeedDown -5
    void showWhole();
    void showPoint();
    /// A point chosen in the list or on the chart: its stored index.
    void select(int index);
    /// The stored point whose time is nearest to x (a click on the level
    /// curve lands between whole seconds); nullopt when none is listed.
    std::optional<int> pointNearestTime(double x) const;
    /// Back to the idle state of a closed window: counters and curve cleared.
    void closeReset();

    // ---- what the window shows
    Mode mode() const { return m_mode; }
    View view() const { return m_view; }
    /// While the Stop question is open only Stop shows down.
    bool playDown() const { return m_mode == Mode::Recording && !m_stopAsked; }
    bool pauseDown() const { return m_mode == Mode::Paused && !m_stopAsked; }
    bool stopDown() const { return m_stopDown || m_stopAsked; }
    bool recEnabled() const { return m_mode == Mode::Recording && !m_stopAsked; }
    /// No reading has come since the link was lost or the port closed (or
    /// since the start): the level shown is the last one the sensor sent.
    bool isLinkLost() const { return m_linkLost; }
    bool navigationEnabled() const { return m_mode != Mode::Recording; }
    bool startValueEnabled() const { return m_startEnabled; }

    const QVector<QPointF> &curve() const { return m_curve; }
    /// Bumped whenever the curve is rebuilt rather than appended to.
    int curveGeneration() const { return m_curveGeneration; }
    const QVector<Marker> &markers() const { return m_markers; }
    const QVector<Row> &rows() const { return m_rows; }
    /// The list row to show as current (-1 none).
    int currentRow() const { return m_currentRow; }
    /// The selected stored point (-1 none).
    int selectedPoint() const { return m_selected; }
    double xMin() const { return m_xMin; }
    double xMax() const { return m_xMax; }
    int levelTop() const { return m_levelTop; }
    /// X of the cursor line; nullopt while none is drawn.
    std::optional<double> cursorLine() const { return m_cursor; }

    QString startLiterText() const { return m_startLiter; }
    int startLiterPosition() const { return m_startPos; }
    QString incremText() const { return m_increm; }
    int incremPosition() const { return m_incremPos; }
    QString literText() const { return m_liter; }
    int literPosition() const { return m_literPos; }
    bool draining() const { return m_draining; }
    /// lbNN: the latest N while recording.
    QString levelText() const { return m_levelText; }

    qint32 PointCounter() const { return m_pointCounter; }
    qint64 RecordTime() const { return m_recordTime; }
    qint64 CursorTime() const { return m_cursorTime; }
    qint32 LevelCode() const { return m_levelCode; }
    qint32 LastAutoSavedN() const { return m_lastAutoN; }
    qint32 LastUserSavedN() const { return m_lastUserN; }

private:
    QString text(const char *ru, const char *en) const;
    /// Writes points through the protocol file; on failure shows the message.
    bool write(const std::vector<std::pair<int, PointKeys>> &points);
    void setLiterText(const QString &text);
    /// After a refused next value: a step or direction change gives a new one
    /// from the litres last stored, taken only when it fits and differs.
    void retryNextValue();
    void setAxis(double min, double max);
    void addRow(qint64 time, qint32 n, int index);
    /// Curve, markers and list from the usable points; the last row selected.
    void showPoints(const PointsRead &read);
    QString overflowText() const;

    Dialogs *m_dialogs;
    int m_lang;
    QString m_path;
    bool m_autosave = false;
    int m_autosaveConstant = 5;
    int m_levelTop = 4095;

    Mode m_mode = Mode::Idle;
    View m_view = View::Whole;
    bool m_stopDown = false;
    bool m_startEnabled = true;
    bool m_asking = false;          // a question of ours is open
    bool m_autosaveFailing = false; // the last autosave write failed (told once)

    qint32 m_pointCounter = 0;
    qint64 m_recordTime = 0;
    qint64 m_cursorTime = 0;
    qint32 m_levelCode = 0;
    qint32 m_lastAutoN = 0;
    qint32 m_lastUserN = -1;

    QVector<QPointF> m_curve;
    int m_curveGeneration = 0;
    QVector<Marker> m_markers;
    QVector<Row> m_rows;
    int m_currentRow = -1;
    int m_selected = -1;
    double m_xMin = 0;
    double m_xMax = 50;
    std::optional<double> m_cursor;

    QString m_startLiter = QStringLiteral("0000,00");
    int m_startPos = 0;
    QString m_increm = QStringLiteral("000,00");
    int m_incremPos = 0;
    QString m_liter = QStringLiteral("0000,00");
    int m_literPos = 0;
    bool m_draining = false;
    bool m_literOverflow = false; // the next value did not fit the litre field
    double m_overflowLitres = 0;  // that next value
    double m_overflowBase = 0;    // the litres stored by the Rec before it
    bool m_stopAsked = false;     // the Stop question is open: the recording holds
    bool m_recAsked = false;      // the duplicate-level question is open: the same
    bool m_linkLost = true;       // no reading since the link went (or ever)
    QString m_levelText = QStringLiteral("0");
};
