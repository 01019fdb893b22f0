// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool protocol FILE [--json]: what the program would load from a protocol.

#include "app/kvtool.h"
#include "common/numfmt.h"
#include "tank/protocol_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <memory>

namespace {

// Control characters in a decoded text would break the one-line-per-key output.
QString printable(const QString &s)
{
    QString out;
    for (QChar c : s) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char('\\'))
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace

int protocolExit(const ProtocolStatus &st, QTextStream &err)
{
    switch (st.fault) {
    case ProtocolFault::None:
        for (const QString &n : st.notes)
            err << "note: " << n << '\n';
        return kExitOk;
    case ProtocolFault::NotProtocol:
        err << QString(st.text).replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
        return kExitNotProtocol;
    case ProtocolFault::DamagedText:
        err << "damaged value at key " << st.key << ": " << st.text << '\n';
        return kExitDamaged;
    default:
        err << st.text << '\n';
        return kExitIo;
    }
}

int kvtoolProtocol(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString file;
    bool json = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--json"))
            json = true;
        else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << "usage: kvtool protocol FILE [--json]\n";
            return kExitOk;
        } else if (file.isEmpty() && !a.startsWith(QLatin1String("--")))
            file = a;
        else {
            err << "kvtool protocol: unexpected argument \"" << a << "\"\n";
            return kExitUsage;
        }
    }
    if (file.isEmpty()) {
        err << "usage: kvtool protocol FILE [--json]\n";
        return kExitUsage;
    }

    auto data = std::make_unique<TDateProtokol>();
    GeneralData general;
    PointsRead points;
    ProtocolFile pf(file, 0);
    const ProtocolStatus st = pf.open(*data, general, points);
    if (const int rc = protocolExit(st, err); rc != kExitOk)
        return rc;

    const NumberFormat nf(QLatin1Char(','));
    const auto &keys = Protocol::generalTextKeys();
    if (json) {
        QJsonObject o;
        o.insert(QStringLiteral("file"), file);
        o.insert(QStringLiteral("Version"), data->VersionKVI);
        for (const QByteArray &k : keys)
            o.insert(QString::fromLatin1(k), *general.text(k));
        o.insert(QStringLiteral("LengthProbe"), general.LengthProbe);
        o.insert(QStringLiteral("SN"), general.SN);
        o.insert(QStringLiteral("UpDown2"), general.UpDown2);
        o.insert(QStringLiteral("UpDown3"), general.UpDown3);
        o.insert(QStringLiteral("Stop_Point"), points.stopPoint);
        QJsonArray pts;
        for (const UserPoint &p : data->UserPoints)
            pts.append(QJsonObject{{QStringLiteral("index"), p.index},
                                   {QStringLiteral("N"), p.n},
                                   {QStringLiteral("litres"), p.litres},
                                   {QStringLiteral("litresText"), nf.general(p.litres)}});
        o.insert(QStringLiteral("userPoints"), pts);
        QJsonArray notes;
        for (const QString &n : st.notes)
            notes.append(n);
        o.insert(QStringLiteral("notes"), notes);
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        return kExitOk;
    }
    out << "file: " << file << '\n';
    out << "Version: " << data->VersionKVI << '\n';
    for (const QByteArray &k : keys)
        out << k << ": " << printable(*general.text(k)) << '\n';
    out << "LengthProbe: " << printable(general.LengthProbe) << '\n';
    out << "SN: " << general.SN << '\n';
    out << "UpDown2: " << general.UpDown2 << '\n';
    out << "UpDown3: " << general.UpDown3 << '\n';
    out << "Stop_Point: " << points.stopPoint << '\n';
    out << "User points: " << data->UserPoints.size() << '\n';
    // One line a point, put together here and written at once: the stream's
    // own number output costs more than the reading of the whole protocol.
    QString lines;
    lines.reserve(qsizetype(data->UserPoints.size()) * 24);
    for (const UserPoint &p : data->UserPoints) {
        char index[12], n[12];
        const char *indexEnd = std::to_chars(index, index + sizeof index, p.index).ptr;
        const char *nEnd = std::to_chars(n, n + sizeof n, p.n).ptr;
        lines += QLatin1String(index, indexEnd - index);
        lines += QLatin1Char('\t');
        lines += QLatin1String(n, nEnd - n);
        lines += QLatin1Char('\t');
        lines += nf.general(p.litres);
        lines += QLatin1Char('\n');
    }
    out << lines;
    return kExitOk;
}
