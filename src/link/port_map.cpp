// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/port_map.h"

#include "link/link_log.h"
#include "link/posix_serial.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString LinkPrefix = QStringLiteral("COM");

// "COM12" -> 12; 0 for anything that is not a port link name.
int linkNumber(const QString &name)
{
    if (!name.startsWith(LinkPrefix) || name.size() == LinkPrefix.size() || name.size() > 6)
        return 0;
    bool ok = false;
    const int n = name.mid(LinkPrefix.size()).toInt(&ok);
    if (!ok || n < 1 || n > MaxComNumber || name.at(LinkPrefix.size()) == QLatin1Char('0'))
        return 0;
    return n;
}

bool lexists(const QString &path)
{
    struct stat st;
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// ttyUSB2 before ttyUSB10.
bool naturalLess(const QString &a, const QString &b)
{
    auto split = [](const QString &s) {
        int i = int(s.size());
        while (i > 0 && s.at(i - 1).isDigit())
            --i;
        return std::make_pair(s.left(i), i < s.size() ? s.mid(i).toLongLong() : -1LL);
    };
    return split(a) < split(b);
}
} // namespace

QString PortMap::defaultFolder()
{
    const QByteArray override = qgetenv("KV_PORT_DIR");
    if (!override.isEmpty())
        return QFile::decodeName(override);
    QString config = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/kv-ruzevuv/ports");
}

QList<DevicePattern> PortMap::defaultPatterns()
{
    const QString root = DeviceRoots::rootPrefix();
    return {{root + QStringLiteral("/dev/serial/by-id/*"), false},
            {root + QStringLiteral("/dev/ttyUSB*"), false},
            {root + QStringLiteral("/dev/ttyACM*"), false},
            {root + QStringLiteral("/dev/ttyS*"), true}};
}

PortMap::PortMap(QString folder, QList<DevicePattern> patterns)
    : m_folder(std::move(folder)), m_patterns(std::move(patterns))
{
}

QString PortMap::devicePath(int n) const
{
    if (n < 1 || n > MaxComNumber)
        return {};
    const QString link = m_folder + QLatin1Char('/') + LinkPrefix + QString::number(n);
    return lexists(link) ? link : QString();
}

AdapterInfo PortMap::describe(int n) const
{
    const QString link = devicePath(n);
    return link.isEmpty() ? AdapterInfo{} : describeDevice(link, m_roots);
}

QString PortMap::linkTarget(int n) const
{
    const QString link = devicePath(n);
    return link.isEmpty() ? QString() : QFileInfo(link).symLinkTarget();
}

QList<int> PortMap::numbers() const
{
    QList<int> result;
    const QStringList names = QDir(m_folder).entryList(
        {LinkPrefix + QLatin1Char('*')}, QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        if (const int n = linkNumber(name))
            result.append(n);
    std::sort(result.begin(), result.end());
    return result;
}

QStringList PortMap::foundDevices() const
{
    QStringList devices;
    for (const DevicePattern &pattern : m_patterns) {
        const QFileInfo glob(pattern.glob);
        QStringList names =
            QDir(glob.path()).entryList({glob.fileName()}, QDir::Files | QDir::System);
        std::sort(names.begin(), names.end(), naturalLess);
        for (const QString &name : names) {
            const QString path = glob.path() + QLatin1Char('/') + name;
            if (!QFileInfo::exists(path)) // a by-id link whose adapter is gone
                continue;
            if (pattern.uartCheck && !isRealUart(path))
                continue;
            devices.append(path);
        }
    }
    return devices;
}

PortMap::ScanResult PortMap::assignNewDevices() const
{
    ScanResult result;
    if (!QDir().mkpath(m_folder)) {
        result.error = QStringLiteral("cannot create the port folder %1").arg(m_folder);
        return result;
    }

    QSet<int> taken;
    QSet<QString> linked; // canonical paths the links already reach
    for (int n : numbers()) {
        taken.insert(n);
        const QString target = QFileInfo(devicePath(n)).canonicalFilePath();
        if (!target.isEmpty())
            linked.insert(target);
    }

    int next = 1;
    for (const QString &device : foundDevices()) {
        const QString canonical = QFileInfo(device).canonicalFilePath();
        if (canonical.isEmpty() || linked.contains(canonical))
            continue;
        while (next <= MaxComNumber && taken.contains(next))
            ++next;
        if (next > MaxComNumber) {
            result.error = QStringLiteral("all %1 port numbers are in use").arg(MaxComNumber);
            break;
        }
        const QString link = m_folder + QLatin1Char('/') + LinkPrefix + QString::number(next);
        if (!QFile::link(device, link)) {
            result.error = QStringLiteral("cannot create the link %1 to %2").arg(link, device);
            taken.insert(next); // something is in the way; never overwrite it
            continue;
        }
        qCInfo(lcLink) << "assigned" << device << "to" << LinkPrefix + QString::number(next);
        taken.insert(next);
        linked.insert(canonical);
        result.added.append({next, device});
    }
    return result;
}

std::unique_ptr<SerialDevice> PosixDeviceProvider::deviceFor(int comNumber)
{
    const QString path = m_map.devicePath(comNumber);
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<PosixSerialDevice>(path);
}

bool isRealUart(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.startsWith(QLatin1String("/dev/"))) {
        QFile type(QStringLiteral("/sys/class/tty/%1/type").arg(QFileInfo(canonical).fileName()));
        if (type.open(QIODevice::ReadOnly)) {
            bool ok = false;
            const int t = type.readAll().trimmed().toInt(&ok);
            return ok && t != PORT_UNKNOWN;
        }
    }
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool real = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return real;
}
