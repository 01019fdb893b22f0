// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/port_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

/// The first line of a sysfs attribute, trimmed; empty when it cannot be read.
QString attribute(const QString &dir, const char *name)
{
    QFile f(dir + QLatin1Char('/') + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.read(256)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

/// The USB device folder above a tty's sysfs device: the first ancestor that
/// carries idVendor (a USB serial port sits one or two levels below it).
QString usbDeviceFolder(const QString &ttyDevice)
{
    QString dir = QFileInfo(ttyDevice).canonicalFilePath();
    for (int level = 0; level < 6 && !dir.isEmpty() && dir != QLatin1String("/"); ++level) {
        if (QFileInfo::exists(dir + QStringLiteral("/idVendor")))
            return dir;
        dir = QFileInfo(dir).path();
    }
    return {};
}

} // namespace

QString DeviceRoots::rootPrefix()
{
    QString root = QFile::decodeName(qgetenv("KV_DEVICE_ROOT"));
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root;
}

DeviceRoots DeviceRoots::under(const QString &root)
{
    QString r = root;
    while (r.endsWith(QLatin1Char('/')))
        r.chop(1);
    DeviceRoots roots;
    roots.byIdDir = r + QStringLiteral("/dev/serial/by-id");
    roots.sysClassTty = r + QStringLiteral("/sys/class/tty");
    return roots;
}

DeviceRoots DeviceRoots::system()
{
    return under(rootPrefix());
}

QString AdapterInfo::description() const
{
    if (!product.isEmpty() && !manufacturer.isEmpty())
        return QStringLiteral("%1 (%2)").arg(product, manufacturer);
    if (!product.isEmpty())
        return product;
    if (!manufacturer.isEmpty())
        return manufacturer;
    if (!vendorId.isEmpty())
        return QStringLiteral("USB %1:%2").arg(vendorId, productId);
    return {};
}

QString AdapterInfo::summary() const
{
    if (device.isEmpty())
        return {};
    const QString text = description();
    return text.isEmpty() ? kernelName : text + QStringLiteral(", ") + kernelName;
}

AdapterInfo describeDevice(const QString &path, const DeviceRoots &roots)
{
    AdapterInfo info;
    info.device = QFileInfo(path).canonicalFilePath();
    if (info.device.isEmpty())
        return info;
    const QString name = QFileInfo(info.device).fileName();
    const int dev = int(info.device.lastIndexOf(QLatin1String("/dev/")));
    info.kernelName = dev >= 0 ? info.device.mid(dev + 5) : name;

    // The by-id name: the path itself when it is one, else the link that leads
    // to the same device.
    const QString byIdCanonical = QFileInfo(roots.byIdDir).canonicalFilePath();
    if (!byIdCanonical.isEmpty() && QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath() ==
                                        byIdCanonical) {
        info.byId = QFileInfo(path).fileName();
    } else {
        const QStringList links =
            QDir(roots.byIdDir).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot,
                                          QDir::Name);
        for (const QString &link : links)
            if (QFileInfo(roots.byIdDir + QLatin1Char('/') + link).canonicalFilePath() ==
                info.device) {
                info.byId = link;
                break;
            }
    }

    // The USB descriptor, when the tty belongs to a USB device.
    const QString usb = usbDeviceFolder(roots.sysClassTty + QLatin1Char('/') + name +
                                        QStringLiteral("/device"));
    if (!usb.isEmpty()) {
        info.vendorId = attribute(usb, "idVendor");
        info.productId = attribute(usb, "idProduct");
        info.manufacturer = attribute(usb, "manufacturer");
        info.product = attribute(usb, "product");
        info.serial = attribute(usb, "serial");
    }
    return info;
}

QString portLabel(int comNumber, const QString &summary)
{
    const QString com = QStringLiteral("COM%1").arg(comNumber);
    return summary.isEmpty() ? com : com + QStringLiteral(" — ") + summary;
}
