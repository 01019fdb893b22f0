// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/protocol_selection.h"

#include "common/lang_ids.h"
#include "shell/lang_table.h"
#include "tank/recording.h"

#include <QDir>
#include <QFileInfo>

void RecentProtocols::load(const QStringList &stored, int indexPName,
                           const std::function<bool(const QString &)> &exists)
{
    m_entries.fill(QString());
    m_slot = 0;
    int found = 0;
    for (int j = 0; j < Slots && j < stored.size(); ++j) {
        const QString &p = stored[j];
        if (p.isEmpty() || !exists(p))
            continue;
        m_entries[size_t(found++)] = p;
        m_slot = found < Slots ? found : std::clamp(indexPName, 0, Slots - 1);
    }
}

void RecentProtocols::setEntry(int i, const QString &path)
{
    if (i >= 0 && i < Slots)
        m_entries[size_t(i)] = path;
}

void RecentProtocols::addCreated(const QString &path)
{
    m_entries[size_t(m_slot)] = path;
    m_slot = m_slot >= Slots - 1 ? 0 : m_slot + 1;
}

QString suggestedProtocolName(const QDateTime &now, int lang)
{
    return LangText(Txt::NewProtocolName, lang) + now.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString protocolBaseName(const QString &chosen)
{
    if (chosen.endsWith(QLatin1String(".kvi"), Qt::CaseInsensitive))
        return chosen.chopped(4);
    return chosen;
}

bool protocolNameTaken(const QString &baseName)
{
    const QFileInfo fi(baseName);
    if (fi.exists())
        return true;
    // Without regard to case: on a FAT stick "job.kvi" is the file "JOB.KVI".
    const QDir dir = fi.absoluteDir();
    const QString name = fi.fileName();
    for (const QString &e : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return true;
        if (e.startsWith(name + QLatin1Char('.'), Qt::CaseInsensitive) &&
            !e.mid(name.size() + 1).contains('.'))
            return true;
    }
    return false;
}

QString protocolNameTakenMessage(int lang)
{
    return LangText(Txt::ProtocolNameTaken, lang);
}

OpenedCounters countersAfterOpening(const PointsRead &r)
{
    OpenedCounters c;
    for (const StoredPoint &p : r.points) {
        if (p.isUserSave())
            c.lastUserSavedN = p.FilterN;
        c.lastAutoSavedN = p.FilterN;
    }
    c.pointCounter = r.nextIndex();
    if (r.points.empty())
        return c;
    const StoredPoint &last = r.points.back();
    c.recordTime = last.Time;
    c.literText = RecordingText::litreFieldText(last.liter).value_or(QString());
    // The Stop pair: the last two stored points, identical, "Save Before Exit".
    if (r.points.size() >= 2 && last.index == r.stopPoint &&
        last.Status_Save == Protocol::kSaveBeforeExit) {
        const StoredPoint &before = r.points[r.points.size() - 2];
        if (before.index == last.index - 1 && before.Status_Save == Protocol::kSaveBeforeExit &&
            before.FilterN == last.FilterN && before.Time == last.Time &&
            before.liter == last.liter)
            c.pointCounter = last.index;
    }
    return c;
}
