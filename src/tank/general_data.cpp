// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tank/general_data.h"

#include "tank/protocol_codec.h"

namespace {
const QString kNotDefined = QStringLiteral("n.d.");
using V = UserOptionValue;
} // namespace

void fillNotDefined(JobData &j)
{
    for (QString *t : {&j.CompanyName, &j.Firma, &j.ProizvMashine, &j.NameMashine, &j.Year,
                       &j.NamberMashine, &j.NameUser})
        if (t->isEmpty())
            *t = kNotDefined;
    for (QString *t : {&j.edVDA, &j.edHBac})
        if (*t == QLatin1String("0"))
            *t = kNotDefined;
    if (j.NambePlomb == QLatin1String("000000"))
        j.NambePlomb = kNotDefined;
}

QString unencodableInJob(const JobData &j, const QStringList &more)
{
    QString all;
    for (const QString *t : {&j.CompanyName, &j.Firma, &j.ProizvMashine, &j.TypeMashine,
                             &j.NameMashine, &j.Year, &j.NamberMashine, &j.NameUser, &j.NambePlomb})
        all += *t;
    return unencodableCharacters(all + more.join(QString()));
}

std::vector<UserOptionValue> generalDataValues(const JobData &j, const ScaleData &s)
{
    std::vector<UserOptionValue> v{V::encoded("CompanyName", j.CompanyName),
            V::encoded("Firma", j.Firma),
            V::encoded("ProizvMashine", j.ProizvMashine),
            V::encoded("TypeMashine", j.TypeMashine),
            V::encoded("NameMashine", j.NameMashine),
            V::encoded("Year", j.Year),
            V::encoded("NamberMashine", j.NamberMashine),
            V::integer("DownCodeCapacyty", s.seUpVal),
            V::integer("UpCodeCapacyty", s.seDownVal),
            V::integer("DownCodeCapacyty20", s.seFSMOffset),
            V::integer("UpCodeCapacyty20", s.seFSMScale),
            V::encoded("TypeProbe", s.typeProbe),
            V::plain("ZeroProbeLength", s.zeroProbeLength),
            V::plain("PermixFuel", s.permixFuel),
            V::integer("Version_H", s.versionH),
            V::integer("Version_L", s.versionL),
            V::integer("UpDown2", j.UpDown5),
            V::integer("UpDown3", j.UpDown6),
            V::encoded("NameUser", j.NameUser),
            V::encoded("NambePlomb", j.NambePlomb)};
    if (s.resolutionBits == 10 || s.resolutionBits == 12 || s.resolutionBits == 14 ||
        s.resolutionBits == 16) {
        v.push_back(V::integer("DigitData", s.resolutionBits));
        v.push_back(V::integer("ModeFSM", s.fullScaleMode ? 1 : 0));
    }
    return v;
}

std::vector<UserOptionValue> calibrationStartValues(const JobData &j, const SensorData &s,
                                                    bool restricted)
{
    std::vector<UserOptionValue> v;
    if (!restricted)
        v = {V::encoded("Flesh", s.flesh),
             V::plain("CAPDAC", s.capdac),
             V::plain("CAPOFF", s.capoff),
             V::encoded("CompanyName", j.CompanyName),
             V::encoded("Firma", j.Firma),
             V::encoded("ProizvMashine", j.ProizvMashine),
             V::encoded("TypeMashine", j.TypeMashine),
             V::encoded("NameMashine", j.NameMashine),
             V::encoded("Year", j.Year),
             V::encoded("NamberMashine", j.NamberMashine),
             V::integer("UpDown2", j.UpDown5),
             V::integer("UpDown3", j.UpDown6),
             V::plain("LengthProbe", s.lengthProbe),
             V::encoded("NameUser", j.NameUser),
             V::encoded("NambePlomb", j.NambePlomb)};
    v.push_back(V::plain("SN", s.sn));
    return v;
}
