// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The job's general data as "Далее" and the calibration start store it: the
// "n.d." fill, refused characters, and the keys in their order.

#include "tank/general_data.h"

#include <QTest>

namespace {
QList<QByteArray> keys(const std::vector<UserOptionValue> &v)
{
    QList<QByteArray> out;
    for (const UserOptionValue &u : v)
        out << u.key;
    return out;
}
} // namespace

class TstGeneralData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void notDefinedFill()
    {
        JobData j;
        j.edVDA = QStringLiteral("0");
        j.edHBac = QStringLiteral("650");
        j.NambePlomb = QStringLiteral("000000");
        j.Firma = QStringLiteral("Ivanov");
        fillNotDefined(j);
        QCOMPARE(j.CompanyName, QStringLiteral("n.d."));
        QCOMPARE(j.Firma, QStringLiteral("Ivanov"));
        QCOMPARE(j.TypeMashine, QString()); // the vehicle type is never filled
        QCOMPARE(j.edVDA, QStringLiteral("n.d."));
        QCOMPARE(j.edHBac, QStringLiteral("650"));
        QCOMPARE(j.NambePlomb, QStringLiteral("n.d."));
        JobData seal;
        seal.NambePlomb = QStringLiteral("abc000");
        fillNotDefined(seal);
        QCOMPARE(seal.NambePlomb, QStringLiteral("abc000"));
    }

    void refusedCharacters()
    {
        JobData j;
        j.CompanyName = QStringLiteral("Бак ✓");
        j.NameUser = QStringLiteral("✓ Петров 😀");
        QCOMPARE(unencodableInJob(j), QStringLiteral("✓😀"));
        j = JobData();
        j.CompanyName = QStringLiteral("ООО Бак");
        QVERIFY(unencodableInJob(j).isEmpty());
    }

    void keyOrder()
    {
        const QList<QByteArray> next = {"CompanyName",      "Firma",
                                        "ProizvMashine",    "TypeMashine",
                                        "NameMashine",      "Year",
                                        "NamberMashine",    "DownCodeCapacyty",
                                        "UpCodeCapacyty",   "DownCodeCapacyty20",
                                        "UpCodeCapacyty20", "TypeProbe",
                                        "ZeroProbeLength",  "PermixFuel",
                                        "Version_H",        "Version_L",
                                        "UpDown2",          "UpDown3",
                                        "NameUser",         "NambePlomb"};
        QCOMPARE(keys(generalDataValues({}, {})), next);
        const QList<QByteArray> start = {
            "Flesh",       "CAPDAC",        "CAPOFF",      "CompanyName",
            "Firma",       "ProizvMashine", "TypeMashine", "NameMashine",
            "Year",        "NamberMashine", "UpDown2",     "UpDown3",
            "LengthProbe", "NameUser",      "NambePlomb",  "SN"};
        QCOMPARE(keys(calibrationStartValues({}, {}, false)), start);
        QCOMPARE(keys(calibrationStartValues({}, {}, true)), QList<QByteArray>{"SN"});
        // Tank volume and height are stored as the up-down positions.
        JobData j;
        j.UpDown5 = 400;
        j.edVDA = QStringLiteral("n.d.");
        const auto v = generalDataValues(j, {});
        QCOMPARE(v[16].number, 400);
        QCOMPARE(v[16].kind, UserOptionValue::Kind::Integer);
    }
};

QTEST_GUILESS_MAIN(TstGeneralData)
#include "tst_general_data.moc"
