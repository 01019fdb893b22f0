// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/recording.h"

#include "common/dialogs.h"
#include "common/lang_ids.h"
#include "shell/lang_table.h"
#include "tank/protocol_selection.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kDuplicateWindow = 5;  // a Rec within 4 codes of the last user point asks
constexpr int kNavStep = 2;          // sbUp / sbDown, seconds
constexpr int kNavFastStep = 5;      // sbSpeedUp / sbSpeedDown
constexpr int kPointHalfWidth = 10;  // point view: cursor ± 10 s
constexpr int kWholeMargin = 50;     // whole view: -50 .. RecordTime + 50
constexpr int kTimeWindowFrom = 85;  // the time axis scrolls once the time passes 85 s
constexpr int kTimeWindowBack = 84;  // ... showing time - 84 ..
constexpr int kTimeWindowAhead = 14; // ... time + 14
const QString kZeroLitres = QStringLiteral("0000,00");
const QString kZeroStep = QStringLiteral("000,00");

// Characters `from`..`from + count - 1` (1-based) as a non-negative integer.
std::optional<int> digitsAt(const QString &text, int from, int count)
{
    const QString part = text.mid(from - 1, count);
    if (part.size() != count)
        return std::nullopt;
    int v = 0;
    for (QChar c : part) {
        if (!c.isDigit())
            return std::nullopt;
        v = v * 10 + c.digitValue();
    }
    return v;
}

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

} // namespace

namespace RecordingText {

std::optional<double> litresOfField(const QString &text)
{
    const auto whole = digitsAt(text, 1, 4);
    const auto cents = digitsAt(text, 6, 2);
    if (!whole || !cents || text.size() != 7)
        return std::nullopt;
    return (*whole * 100 + *cents) / 100.0;
}

std::optional<double> stepOfField(const QString &text)
{
    const auto whole = digitsAt(text, 1, 3);
    const auto cents = digitsAt(text, 5, 2);
    if (!whole || !cents || text.size() != 6)
        return std::nullopt;
    return (*whole * 100 + *cents) / 100.0;
}

std::optional<QString> litreFieldText(double litres)
{
    const QString t = NumberFormat(QLatin1Char(',')).format("%4.2f", litres).trimmed();
    if (t.size() > 7)
        return std::nullopt;
    return QString(7 - t.size(), QLatin1Char('0')) + t;
}

NextValue nextValue(double litres, double step, bool draining)
{
    NextValue v;
    v.litres = draining ? litres - step : litres + step;
    // Cents stay exact: both inputs are whole hundredths.
    v.litres = std::round(v.litres * 100) / 100;
    if (v.litres < 0) {
        v.litres = 0;
        v.lowLevel = true;
    }
    return v;
}

QString markerLabel(qint32 n, double litres, int lang)
{
    return QStringLiteral("N=%1\r%2%3")
        .arg(n)
        .arg(NumberFormat(QLatin1Char(',')).general(litres))
        .arg(LangText(Txt::LitreUnit, lang));
}

QString linkLostLabel(int lang)
{
    return lang == 1 ? QStringLiteral("Нет связи с датчиком") : QStringLiteral("No link to the sensor");
}

} // namespace RecordingText

using namespace RecordingText;

Recording::Recording(Dialogs *dialogs, int lang) : m_dialogs(dialogs), m_lang(lang) {}

void Recording::setAutosave(bool enabled, int constant)
{
    m_autosave = enabled;
    m_autosaveConstant = constant;
}

void Recording::setCounters(qint32 pointCounter, qint64 recordTime, qint32 lastUserSavedN,
                            qint32 lastAutoSavedN)
{
    m_pointCounter = pointCounter;
    m_recordTime = recordTime;
    m_cursorTime = recordTime;
    m_lastUserN = lastUserSavedN;
    m_lastAutoN = lastAutoSavedN;
}

bool Recording::write(const std::vector<std::pair<int, PointKeys>> &points)
{
    const ProtocolStatus st = ProtocolFile(m_path, m_lang).writePoints(points);
    if (st.ok())
        return true;
    if (m_dialogs)
        m_dialogs->message(st.text, MsgIcon::Error);
    return false;
}

void Recording::setAxis(double min, double max)
{
    m_xMin = min;
    m_xMax = max;
}

void Recording::addRow(qint64 time, qint32 n, int index)
{
    m_rows.append({time, n, index});
    m_currentRow = int(m_rows.size()) - 1;
    m_selected = index;
}

// ---- level readings

void Recording::levelReading(const Sample &s)
{
    const qint32 n = s.n;
    m_linkLost = false;
    // Autosave: a level step of more than the constant since the last saved
    // step is stored as a pair, the old level and the new one a second later.
    // Not while a question of ours is open: the answer may store a point.
    if (m_mode == Mode::Recording && m_autosave && !m_asking && !m_stopAsked &&
        (n < m_lastAutoN - m_autosaveConstant || n > m_lastAutoN + m_autosaveConstant)) {
        const int k = m_pointCounter;
        const PointKeys from = PointKeys::make(qint32(m_recordTime), m_lastAutoN, s.c, s.clock,
                                               m_liter, s.tetmo, Protocol::kAutoSave);
        const PointKeys to = PointKeys::make(qint32(m_recordTime + 1), n, s.c, s.clock, m_liter,
                                             s.tetmo, Protocol::kAutoSave);
        const ProtocolStatus st =
            ProtocolFile(m_path, m_lang).writePoints({{k, from}, {k + 1, to}});
        if (st.ok()) {
            m_autosaveFailing = false;
            addRow(m_recordTime, m_lastAutoN, k);
            addRow(m_recordTime + 1, n, k + 1);
            m_pointCounter += 2;
            m_lastAutoN = n;
        } else if (!m_autosaveFailing) {
            // Told once; the next step tries again.
            m_autosaveFailing = true;
            if (m_dialogs) {
                m_asking = true;
                m_dialogs->message(st.text, MsgIcon::Error);
                m_asking = false;
            }
        }
    }
    m_levelCode = n;
    // While the Stop or the duplicate-level question is open nothing is
    // plotted and the time stands, so the point stored carries the moment and
    // the level of the click.
    if (m_mode == Mode::Recording && !m_stopAsked && !m_recAsked) {
        m_curve.append(QPointF(double(m_recordTime), double(n)));
        m_levelText = QString::number(n);
        ++m_recordTime;
        if (m_recordTime <= kTimeWindowFrom)
            setAxis(0, 100);
        else
            setAxis(double(m_recordTime - kTimeWindowBack),
                    double(m_recordTime + kTimeWindowAhead));
    }
}

// ---- transport buttons

QString Recording::text(const char *ru, const char *en) const
{
    return QString::fromUtf8(m_lang == 1 ? ru : en);
}

void Recording::playClicked(bool down)
{
    if (down) {
        const std::optional<double> step = stepOfField(m_increm);
        if (!step || *step == 0) {
            // The group released the other buttons; sbPlay goes up again.
            m_mode = Mode::Idle;
            m_stopDown = false;
            if (m_dialogs)
                m_dialogs->show(LangText(Txt::Attention, m_lang) + QLatin1Char('\r') +
                                LangText(Txt::StepZero, m_lang));
            return;
        }
        setAxis(0, double(m_recordTime));
        m_mode = Mode::Recording;
        m_stopDown = false;
        m_startEnabled = false;
        return;
    }
    // Released while recording: the pause and its reload.
    pauseClicked(true);
    m_startEnabled = true;
}

void Recording::pauseClicked(bool down)
{
    if (!down) {
        m_mode = Mode::Idle;
        return;
    }
    // The start value takes the next value as it is; a refused next value
    // stays refused.
    m_startLiter = m_liter;
    if (const auto whole = digitsAt(m_liter, 1, 4))
        m_startPos = *whole;
    m_mode = Mode::Paused;
    m_stopDown = false;
    m_cursorTime = m_recordTime;
    m_startEnabled = true;
    reload();
}

void Recording::showPoints(const PointsRead &read)
{
    m_curve.clear();
    m_curve.reserve(int(read.points.size()));
    ++m_curveGeneration;
    m_markers.clear();
    m_rows.clear();
    m_rows.reserve(int(read.points.size()));
    m_cursor.reset();
    for (const StoredPoint &p : read.points) {
        if (p.isUserSave())
            m_markers.append(
                {double(p.Time), p.FilterN, markerLabel(p.FilterN, p.liter, m_lang), p.index,
                 p.liter});
        m_curve.append(QPointF(double(p.Time), double(p.FilterN)));
        m_rows.append({p.Time, p.FilterN, p.index});
    }
    // The last row is the selected one.
    m_currentRow = int(m_rows.size()) - 1;
    m_selected = m_rows.isEmpty() ? -1 : m_rows.back().index;
}

bool Recording::reload()
{
    PointsRead read;
    const ProtocolStatus st = ProtocolFile(m_path, m_lang).readPoints(read);
    if (!st.ok()) {
        if (m_dialogs)
            m_dialogs->message(st.text, MsgIcon::Error);
        return false;
    }
    showPoints(read);
    if (!read.points.empty() && read.points.back().index == read.stopPoint)
        m_recordTime = read.points.back().Time;
    m_cursorTime = m_recordTime;
    showWhole();
    if (!m_rows.isEmpty())
        m_cursor = double(m_rows.back().time); // the cursor line at the last row
    // The next point follows the last stored one; an empty protocol starts at 0.
    m_pointCounter = read.nextIndex();
    return true;
}

void Recording::reopened()
{
    m_mode = Mode::Paused;
    m_stopDown = false;
    m_startEnabled = true;
    showWhole();
}

void Recording::loadOpened(const PointsRead &read, const OpenedCounters &c)
{
    showPoints(read);
    m_mode = Mode::Idle;
    m_pointCounter = c.pointCounter;
    m_recordTime = c.recordTime;
    m_cursorTime = c.recordTime;
    m_lastUserN = c.lastUserSavedN;
    m_lastAutoN = c.lastAutoSavedN;
    m_literOverflow = false;
    m_autosaveFailing = false; // a failed autosave is told once per protocol
    setIncremText(kZeroStep);
    if (!c.literText.isEmpty()) {
        setLiterText(c.literText);
        m_startLiter = c.literText;
        m_startPos = m_literPos;
    } else {
        setLiterText(kZeroLitres);
    }
    setAxis(0, double(m_recordTime));
}

void Recording::startNew()
{
    m_curve.clear();
    ++m_curveGeneration;
    m_markers.clear();
    m_rows.clear();
    m_cursor.reset();
    m_mode = Mode::Idle;
    m_stopDown = false;
    setCounters(0, 0, -1, 0);
    m_autosaveFailing = false;
    resetFields();
    setStartLiterText(kZeroLitres);
    m_currentRow = -1;
    m_selected = -1;
    setAxis(0, 50);
}

bool Recording::rec(const Sample &latest)
{
    if (m_mode != Mode::Recording || !m_dialogs)
        return false;
    if (m_linkLost) {
        // The level shown is the last the sensor sent before it fell silent:
        // a point now would carry a level nobody has measured at this moment.
        m_dialogs->message(text("Нет связи с датчиком: точка не записана.\rДождитесь, пока "
                                "датчик снова ответит, и нажмите Rec ещё раз.",
                                "No link to the sensor: the point is not stored.\rWait until "
                                "the sensor answers again, then press Rec once more."),
                           MsgIcon::Warning);
        return false;
    }
    if (m_literOverflow) {
        m_dialogs->message(overflowText(), MsgIcon::Warning);
        return false;
    }
    // The point is the reading the installer saw at the click; readings that
    // come while the question is open are neither plotted nor stored.
    const qint64 time = m_recordTime;
    const qint32 n = m_levelCode;
    if (n > m_lastUserN - kDuplicateWindow && n < m_lastUserN + kDuplicateWindow) {
        m_asking = true;
        m_recAsked = true;
        const MsgAnswer a =
            m_dialogs->message(LangText(Txt::DuplicateLevel, m_lang) + QLatin1Char('\r') +
                                   LangText(Txt::SaveAgain, m_lang),
                               MsgIcon::Information, MsgButtons::YesNo);
        m_asking = false;
        m_recAsked = false;
        if (a != MsgAnswer::Yes)
            return false;
        if (m_mode != Mode::Recording)
            return false; // the recording was stopped while the question was open
    }
    const std::optional<double> litres = litresOfField(m_liter);
    const std::optional<double> step = stepOfField(m_increm);
    if (!litres || !step) {
        m_dialogs->message(text("Значение литров или шага не является числом: ",
                                "The litres or the step is not a number: ") +
                               m_liter + QStringLiteral(" / ") + m_increm,
                           MsgIcon::Error);
        return false;
    }
    const int k = m_pointCounter;
    if (!write({{k, PointKeys::make(qint32(time), n, latest.c, latest.clock, m_liter,
                                    latest.tetmo, Protocol::kUserSave)}}))
        return false;

    // Stored: now it is shown, the marker at the point's own stored time.
    m_markers.append({double(time), n, markerLabel(n, *litres, m_lang), k, *litres});
    m_lastUserN = n;
    addRow(time, n, k);
    m_pointCounter += 1;

    const NextValue next = nextValue(*litres, *step, m_draining);
    if (next.lowLevel)
        m_dialogs->show(LangText(Txt::LowFuelLevel, m_lang));
    if (const std::optional<QString> t = litreFieldText(next.litres)) {
        setLiterText(*t);
    } else {
        // 10000 litres and more do not fit the field: rather than storing the
        // same litres again at every Rec, Rec refuses until a new next value
        // fits (another start value, step or direction).
        m_literOverflow = true;
        m_overflowLitres = next.litres;
        m_overflowBase = *litres;
        m_dialogs->message(overflowText(), MsgIcon::Warning);
    }
    return true;
}

QString Recording::overflowText() const
{
    return text("Следующее значение %1 л не помещается в поле \"9999,99\". Точка не будет "
                "записана, пока не изменены стартовое значение, шаг или направление.",
                "The next value of %1 L does not fit the field \"9999,99\". No point is "
                "stored until the starting value, the step or the direction is changed.")
        .arg(NumberFormat(QLatin1Char(',')).general(m_overflowLitres));
}

bool Recording::stopClicked(bool down, const Sample &latest)
{
    if (!down) {
        m_stopDown = false;
        return false;
    }
    if (!m_dialogs)
        return false;
    const Mode before = m_mode;
    const qint64 time = m_recordTime;
    const qint32 level = m_levelCode;
    m_asking = true;
    m_stopAsked = true;
    const MsgAnswer a = m_dialogs->message(LangText(Txt::Attention, m_lang) + QLatin1Char('\r') +
                                               LangText(Txt::EndCalibration, m_lang),
                                           MsgIcon::Information, MsgButtons::YesNo);
    m_asking = false;
    m_stopAsked = false;
    if (a != MsgAnswer::Yes) {
        m_mode = Mode::Paused;
        m_stopDown = false;
        m_cursorTime = m_recordTime;
        return false;
    }
    const int k = m_pointCounter;
    const PointKeys end = PointKeys::make(qint32(time), level, latest.c, latest.clock, m_liter,
                                          latest.tetmo, Protocol::kSaveBeforeExit);
    if (!write({{k, end}, {k + 1, end}})) {
        m_mode = before;
        m_stopDown = false;
        return false;
    }
    m_pointCounter += 2;
    closeReset();
    return true;
}

void Recording::portClosed()
{
    m_mode = Mode::Idle;
    m_stopDown = true;
    m_startEnabled = true;
    m_linkLost = true;
}

void Recording::closeReset()
{
    m_mode = Mode::Idle;
    m_stopDown = true;
    m_recordTime = 0;
    m_curve.clear();
    ++m_curveGeneration;
    setAxis(0, 50);
    resetFields();
    m_startEnabled = true;
    m_levelText = QStringLiteral("0");
}

// ---- fields

void Recording::resetFields()
{
    m_literOverflow = false;
    setLiterText(kZeroLitres);
    setIncremText(kZeroStep);
}

void Recording::setLiterText(const QString &text)
{
    m_liter = text;
    if (const auto whole = digitsAt(text, 1, 4))
        m_literPos = *whole;
}

void Recording::retryNextValue()
{
    if (!m_literOverflow)
        return;
    const std::optional<double> step = stepOfField(m_increm);
    if (!step)
        return;
    const NextValue next = nextValue(m_overflowBase, *step, m_draining);
    const std::optional<QString> t = litreFieldText(next.litres);
    if (!t) {
        m_overflowLitres = next.litres;
        return;
    }
    if (next.litres == m_overflowBase)
        return; // the same litres again (a step of 0) are no new value
    setLiterText(*t);
    m_literOverflow = false;
}

void Recording::setStartLiterText(const QString &text)
{
    m_startLiter = text;
    if (const auto whole = digitsAt(text, 1, 4)) {
        m_startPos = *whole;
        // The next value starts again at the starting value.
        setLiterText(text);
        m_literOverflow = false;
    }
}

void Recording::startLiterUpDown(int position)
{
    setStartLiterText(padded(position, 4) + m_startLiter.mid(4, 3));
}

void Recording::setIncremText(const QString &text)
{
    m_increm = text;
    if (const auto whole = digitsAt(text, 1, 3))
        m_incremPos = *whole;
    retryNextValue();
}

void Recording::incremUpDown(int position)
{
    setIncremText(padded(position, 3) + m_increm.mid(3, 3));
}

void Recording::setDraining(bool draining)
{
    m_draining = draining;
    retryNextValue();
}

// ---- navigation and views

void Recording::navigate(int step)
{
    if (m_mode == Mode::Recording)
        return;
    if (step < 0 && m_cursorTime <= 0)
        return;
    m_cursorTime += step;
    const bool fast = std::abs(step) == kNavFastStep;
    if (!fast || m_view == View::Point) {
        m_view = View::Point;
        setAxis(double(m_cursorTime - kPointHalfWidth), double(m_cursorTime + kPointHalfWidth));
    } else {
        m_cursor = double(m_cursorTime);
    }
}

void Recording::showWhole()
{
    m_view = View::Whole;
    setAxis(-kWholeMargin, double(m_recordTime + kWholeMargin));
}

void Recording::showPoint()
{
    m_view = View::Point;
    setAxis(double(m_cursorTime - kPointHalfWidth), double(m_cursorTime + kPointHalfWidth));
}

void Recording::select(int index)
{
    const auto it = std::find_if(m_rows.cbegin(), m_rows.cend(),
                                 [index](const Row &r) { return r.index == index; });
    if (it == m_rows.cend())
        return;
    m_selected = index;
    m_currentRow = int(it - m_rows.cbegin());
    if (m_mode == Mode::Recording)
        return;
    m_cursorTime = it->time;
    m_cursor = double(m_cursorTime);
    if (m_view == View::Whole)
        setAxis(-kWholeMargin, double(m_recordTime + kWholeMargin));
    else
        setAxis(double(m_cursorTime - kPointHalfWidth), double(m_cursorTime + kPointHalfWidth));
}

std::optional<int> Recording::pointNearestTime(double x) const
{
    std::optional<int> best;
    double bestDistance = 0;
    for (const Row &r : m_rows) {
        const double d = std::abs(double(r.time) - x);
        if (!best || d < bestDistance) {
            best = r.index;
            bestDistance = d;
        }
    }
    return best;
}
