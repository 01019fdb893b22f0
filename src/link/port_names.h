// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What an installer knows a port by: the adapter's product and maker as its
// USB descriptor gives them, the kernel's device name and the stable
// /dev/serial/by-id name. Read from the by-id folder and from sysfs, both
// under a root that tests point at a fake tree.

#include <QString>

/// Where the by-id links and the tty class of sysfs are.
struct DeviceRoots {
    QString byIdDir = QStringLiteral("/dev/serial/by-id");
    QString sysClassTty = QStringLiteral("/sys/class/tty");

    /// The system's folders, under $KV_DEVICE_ROOT when that is set (a copy
    /// of /dev and /sys for diagnostics and tests).
    static DeviceRoots system();
    /// The same folders under root ("" or "/": the system's own).
    static DeviceRoots under(const QString &root);
    /// $KV_DEVICE_ROOT without a trailing slash; empty when not set.
    static QString rootPrefix();
};

/// One serial device as the system describes it.
struct AdapterInfo {
    QString device;     ///< canonical device path (/dev/ttyUSB0); empty when the path leads nowhere
    QString kernelName; ///< ttyUSB0, pts/3: the device path below /dev
    QString byId;       ///< name in /dev/serial/by-id, empty when it has none
    QString vendorId;   ///< USB idVendor, e.g. 0403
    QString productId;  ///< USB idProduct, e.g. 6001
    QString manufacturer;
    QString product;
    QString serial;

    /// "FT232R USB UART (FTDI)"; the product alone, the maker alone, or the
    /// USB ids when the descriptor names nothing; empty when nothing is known.
    QString description() const;
    /// "FT232R USB UART (FTDI), ttyUSB0"; the device alone without a
    /// description; empty when the path leads nowhere.
    QString summary() const;
};

/// Describes the device that path (a device, or a link to one) leads to.
AdapterInfo describeDevice(const QString &path, const DeviceRoots &roots = DeviceRoots::system());

/// "COM3 — FT232R USB UART (FTDI), ttyUSB0"; "COM3" when nothing is known.
QString portLabel(int comNumber, const QString &summary);
