// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The port folder: COM numbers map to devices through symbolic links named
// COM1 … COM255. Each serial device found gets a link once, at the lowest free
// number, and keeps it: an installer's "COM3" stays COM3 across replugging and
// reboots. Existing links are never renumbered or removed.

#include "link/port_names.h"
#include "link/serial_device.h"

#include <QList>
#include <QString>
#include <QStringList>

inline constexpr int MaxComNumber = 255;

/// One place where serial devices are looked for, e.g. "/dev/ttyUSB*".
struct DevicePattern {
    QString glob;           ///< folder + "/" + file-name pattern
    bool uartCheck = false; ///< on-board UART names: skip entries that are no real UART
};

class PortMap {
public:
    /// The folder $KV_PORT_DIR, else $XDG_CONFIG_HOME (or ~/.config) + "/kv-ruzevuv/ports".
    static QString defaultFolder();
    /// /dev/serial/by-id/* first, then /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS*
    /// (under $KV_DEVICE_ROOT when that is set).
    static QList<DevicePattern> defaultPatterns();

    explicit PortMap(QString folder = defaultFolder(),
                     QList<DevicePattern> patterns = defaultPatterns());

    const QString &folder() const { return m_folder; }
    void setDevicePatterns(QList<DevicePattern> patterns) { m_patterns = std::move(patterns); }
    /// Where the by-id names and the USB descriptors of the devices are read.
    void setDeviceRoots(DeviceRoots roots) { m_roots = std::move(roots); }
    const DeviceRoots &deviceRoots() const { return m_roots; }
    /// The device COMn leads to, as the system describes it (device empty
    /// when there is no link or its adapter is gone).
    AdapterInfo describe(int n) const;
    /// Where the COMn link points as stored (a by-id name or a device path);
    /// empty when there is no link.
    QString linkTarget(int n) const;

    /// The path of the COMn link when there is one (its target may be gone); empty otherwise.
    QString devicePath(int n) const;
    /// Numbers of the existing links, ascending.
    QList<int> numbers() const;

    struct Assignment {
        int number = 0;
        QString device; ///< link target as found (a /dev/serial/by-id name where there is one)
    };
    struct ScanResult {
        QList<Assignment> added;
        QString error; ///< empty when every device found got its link
    };
    /// Links every serial device found that no link points to yet (compared by
    /// canonical path) at the lowest free number 1…255.
    ScanResult assignNewDevices() const;

    /// The devices the patterns find, in pattern order, numerically sorted within one.
    QStringList foundDevices() const;

private:
    QString m_folder;
    QList<DevicePattern> m_patterns;
    DeviceRoots m_roots = DeviceRoots::system();
};

/// Opens COMn's link as a PosixSerialDevice.
class PosixDeviceProvider final : public DeviceProvider {
public:
    explicit PosixDeviceProvider(PortMap map = PortMap()) : m_map(std::move(map)) {}
    std::unique_ptr<SerialDevice> deviceFor(int comNumber) override;
    QList<int> portNumbers() const override { return m_map.numbers(); }
    /// Links newly plugged serial devices (assignNewDevices).
    void refreshPorts() override { (void)m_map.assignNewDevices(); }
    QString portSummary(int comNumber) const override
    {
        return m_map.describe(comNumber).summary();
    }
    PortMap &map() { return m_map; }

private:
    PortMap m_map;
};

/// True when path is a real UART: a port type other than PORT_UNKNOWN, read from
/// sysfs for /dev entries, else through TIOCGSERIAL. Unknown counts as not real.
bool isRealUart(const QString &path);
