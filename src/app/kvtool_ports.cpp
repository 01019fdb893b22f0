// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool ports: the port folder as the window lists it, each COM number with
// its device, the adapter's name and its /dev/serial/by-id name, and whether
// it opens. Newly plugged adapters get their number first, as in the window.

#include "app/kvtool.h"
#include "link/port_map.h"
#include "link/posix_serial.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char *const PortsUsage = "[--json]";

/// Whether the device opens, in a word: ok, busy, no-permission, missing, not-serial, error.
QString openState(const QString &link)
{
    PosixSerialDevice device(link);
    OpenError error;
    if (device.open(LineSettings{}, &error)) {
        device.close();
        return QStringLiteral("ok");
    }
    switch (error.kind) {
    case OpenError::Busy: return QStringLiteral("busy");
    case OpenError::Permission: return QStringLiteral("no-permission");
    case OpenError::Missing: return QStringLiteral("missing");
    case OpenError::NotSerial: return QStringLiteral("not-serial");
    case OpenError::None:
    case OpenError::Other: break;
    }
    return QStringLiteral("error");
}

QString orDash(const QString &s)
{
    return s.isEmpty() ? QStringLiteral("-") : s;
}

} // namespace

int kvtoolPorts(const QStringList &args, QTextStream &out, QTextStream &err)
{
    bool json = false;
    for (const QString &a : args) {
        if (a == QLatin1String("--json")) {
            json = true;
        } else {
            err << "kvtool ports: unexpected argument \"" << a << "\"\nusage: kvtool ports "
                << PortsUsage << '\n';
            return kExitUsage;
        }
    }

    PortMap map;
    const PortMap::ScanResult scan = map.assignNewDevices();
    if (!scan.error.isEmpty())
        err << "kvtool ports: " << scan.error << '\n';

    QJsonArray list;
    bool denied = false;
    for (int n : map.numbers()) {
        const AdapterInfo info = map.describe(n);
        const QString state =
            info.device.isEmpty() ? QStringLiteral("missing") : openState(map.devicePath(n));
        denied = denied || state == QLatin1String("no-permission");
        const QString com = QStringLiteral("COM%1").arg(n);
        if (json) {
            QJsonObject o;
            o.insert(QStringLiteral("port"), com);
            o.insert(QStringLiteral("device"), info.device);
            o.insert(QStringLiteral("link_target"), map.linkTarget(n));
            o.insert(QStringLiteral("description"), info.description());
            o.insert(QStringLiteral("by_id"), info.byId);
            o.insert(QStringLiteral("vendor_id"), info.vendorId);
            o.insert(QStringLiteral("product_id"), info.productId);
            o.insert(QStringLiteral("serial"), info.serial);
            o.insert(QStringLiteral("state"), state);
            list.append(o);
        } else {
            // A link whose adapter is gone still shows where it leads.
            out << com << '\t' << orDash(info.device.isEmpty() ? map.linkTarget(n) : info.device)
                << '\t' << orDash(info.description()) << '\t' << orDash(info.byId) << '\t'
                << state << '\n';
        }
    }
    if (json)
        out << QJsonDocument(list).toJson(QJsonDocument::Indented);
    if (denied)
        err << "kvtool ports: some ports may not be opened by this user; add the user to the "
               "dialout group: sudo usermod -aG dialout $USER, then log in again\n";
    return kExitOk;
}
