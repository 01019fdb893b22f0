// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A serial device with a virtual sensor (or a bus) at the other end of the cable. Writes
// go to the sensor at once; its replies come back through the Scheduler after
// the sensor's reply delay, one scheduled task per chunk, so the port client
// sees the same trickle of chunks as from a real adapter, in simulated or real
// time.

#include "common/scheduler.h"
#include "link/serial_device.h"

#include <QList>
#include <memory>

class LineResponder;
struct VirtualLine;

class VirtualPort final : public SerialDevice {
public:
    /// The sensor and the scheduler must outlive the port.
    VirtualPort(LineResponder &sensor, Scheduler &scheduler, QString path = "virtual:COM1");
    ~VirtualPort() override;

    bool open(const LineSettings &settings, OpenError *error) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString path() const override { return m_path; }

    qint64 bytesWaiting() override { return m_input.size(); }
    QByteArray read(qint64 maxBytes) override;
    bool write(const QByteArray &bytes) override;

    /// CTS|DSR while open and plugged in with the lines up, 0 otherwise.
    std::optional<quint32> modemState() override;

    void setCallbacks(std::function<void()> readyRead, std::function<void()> hangUp) override;
    void setNotifyEnabled(bool on) override;

    /// Pulls the adapter: replies in flight are lost, hangUp is called (from a
    /// scheduled task), writes fail and open fails until plug().
    void unplug();
    void plug();
    bool isPlugged() const;

    /// Settings of the last successful open.
    LineSettings settings() const { return m_settings; }
    /// Gap between the chunks of one reply (a chunk per scheduled task).
    void setChunkGapMs(int ms) { m_chunkGapMs = ms; }

private:
    friend class VirtualDeviceProvider;
    VirtualPort(LineResponder &sensor, Scheduler &scheduler, QString path,
                std::shared_ptr<VirtualLine> line);
    /// Schedules fn as a task of this port (cancelled on close and destruction).
    void later(qint64 delayMs, std::function<void()> fn);
    void deliver(const QByteArray &chunk);
    void notifyLater();
    void hangUpLater();
    void cancelAll();
    static void unplugLine(VirtualLine &line);

    LineResponder &m_sensor;
    Scheduler &m_scheduler;
    QString m_path;
    std::shared_ptr<VirtualLine> m_line;
    bool m_open = false;
    bool m_notify = true;
    LineSettings m_settings;
    QByteArray m_input;
    std::function<void()> m_readyRead;
    std::function<void()> m_hangUp;
    QList<Scheduler::TaskId> m_pending;
    int m_chunkGapMs = 1;
};

/// Serves one VirtualSensor under one COM number (the demo lists it first).
/// Every device it hands out shares one cable: pulling it hangs up the open one.
class VirtualDeviceProvider final : public DeviceProvider {
public:
    /// The sensor and the scheduler must outlive the provider and its devices.
    VirtualDeviceProvider(LineResponder &sensor, Scheduler &scheduler, int comNumber = 1);
    std::unique_ptr<SerialDevice> deviceFor(int comNumber) override;
    QList<int> portNumbers() const override { return {m_comNumber}; }
    int comNumber() const { return m_comNumber; }
    void unplug();
    void plug();
    /// The far end drops (true) or raises its modem lines; the port stays open.
    void setModemLinesDropped(bool dropped);

private:
    LineResponder &m_sensor;
    Scheduler &m_scheduler;
    int m_comNumber;
    std::shared_ptr<VirtualLine> m_line;
};
