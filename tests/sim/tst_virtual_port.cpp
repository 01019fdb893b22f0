// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// VirtualPort on the simulated clock: replies arrive after the delay, chunk by
// chunk, with faults as the sensor is told; notification can be held back; a
// pulled adapter hangs up and cannot be opened until plugged in again.

#include "common/scheduler.h"
#include "link/frame.h"
#include "sim/virtual_port.h"
#include "sim/virtual_sensor.h"

#include <QTest>

namespace {

/// A port client that reads everything on each notification, as the tool's
/// reader does, and remembers the chunks.
struct Client {
    explicit Client(SerialDevice &d) : device(d)
    {
        device.setCallbacks([this] { chunks.append(device.read(500)); }, [this] { ++hangUps; });
    }
    QByteArray all() const { return chunks.join(); }
    SerialDevice &device;
    QList<QByteArray> chunks;
    int hangUps = 0;
};

} // namespace

class TestVirtualPort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deliversAfterDelay();
    void deliversSplitChunks();
    void garbageAndSilence();
    void notifyDisableHoldsBytesBack();
    void closeDropsRepliesInFlight();
    void unplugHangsUpUntilPlugged();
    void providerServesOneComNumber();
};

void TestVirtualPort::deliversAfterDelay()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    sensor.faults().delayMs = 20;
    VirtualPort port(sensor, clock);
    Client client(port);
    QVERIFY(!port.write(buildRequest(1, 0x06))); // not open yet
    OpenError error;
    QVERIFY(port.open(LineSettings{}, &error));
    QCOMPARE(port.modemState(), std::optional<quint32>(0x30)); // CTS | DSR

    QVERIFY(port.write(buildRequest(1, 0x06)));
    clock.advance(19);
    QVERIFY(client.chunks.isEmpty());
    clock.advance(1);
    QCOMPARE(client.chunks.size(), 1);
    QCOMPARE(client.all().size(), 9);
    QCOMPARE(quint8(client.all().at(2)), quint8(0x06));
    QCOMPARE(port.bytesWaiting(), 0);
    QCOMPARE(sensor.requests(), QList<QByteArray>{buildRequest(1, 0x06)});
}

void TestVirtualPort::deliversSplitChunks()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    sensor.faults().split = {4, 5};
    VirtualPort port(sensor, clock);
    Client client(port);
    QVERIFY(port.open(LineSettings{}, nullptr));
    QVERIFY(port.write(buildRequest(1, 0x41))); // 22 bytes: 4, 5 and the rest
    clock.advance(100);
    QCOMPARE(client.chunks.size(), 3);
    QCOMPARE(client.chunks[0].size(), 4);
    QCOMPARE(client.chunks[1].size(), 5);
    QCOMPARE(client.chunks[2].size(), 13);
    QCOMPARE(CalcCRC(client.all().constData(), 21), quint8(client.all().back()));
}

void TestVirtualPort::garbageAndSilence()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    VirtualPort port(sensor, clock);
    Client client(port);
    QVERIFY(port.open(LineSettings{}, nullptr));

    sensor.faults().garbage = 2;
    QVERIFY(port.write(buildRequest(1, 0x06)));
    clock.advance(100);
    QCOMPARE(client.all().left(2), QByteArray(2, '\0'));
    QCOMPARE(quint8(client.all().at(2)), quint8(0x3E));

    client.chunks.clear();
    sensor.faults().garbage = 0;
    sensor.faults().silent = true;
    QVERIFY(port.write(buildRequest(1, 0x06))); // the write itself succeeds
    clock.advance(10000);
    QVERIFY(client.chunks.isEmpty());
    QCOMPARE(clock.pending(), 0);
}

void TestVirtualPort::notifyDisableHoldsBytesBack()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    sensor.faults().split = {4};
    VirtualPort port(sensor, clock);
    int notified = 0;
    port.setCallbacks([&] { ++notified; }, [] {});
    QVERIFY(port.open(LineSettings{}, nullptr));
    port.setNotifyEnabled(false);
    QVERIFY(port.write(buildRequest(1, 0x06)));
    clock.advance(100);
    QCOMPARE(notified, 0);
    QCOMPARE(port.bytesWaiting(), 9); // both chunks queued, nobody told

    port.setNotifyEnabled(true);
    QCOMPARE(notified, 0); // never from inside the call
    clock.runDue();
    QCOMPARE(notified, 1);
    QCOMPARE(port.read(100).size(), 9);

    port.setNotifyEnabled(false); // nothing waiting: re-enabling stays quiet
    port.setNotifyEnabled(true);
    clock.runDue();
    QCOMPARE(notified, 1);
}

void TestVirtualPort::closeDropsRepliesInFlight()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    VirtualPort port(sensor, clock);
    Client client(port);
    QVERIFY(port.open(LineSettings{}, nullptr));
    QVERIFY(port.write(buildRequest(1, 0x06)));
    port.close();
    QVERIFY(port.open(LineSettings{}, nullptr));
    clock.advance(100);
    QVERIFY(client.chunks.isEmpty());
    QCOMPARE(port.bytesWaiting(), 0);
}

void TestVirtualPort::unplugHangsUpUntilPlugged()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    VirtualPort port(sensor, clock, QStringLiteral("virtual:COM3"));
    Client client(port);
    QVERIFY(port.open(LineSettings{}, nullptr));
    QVERIFY(port.write(buildRequest(1, 0x06)));
    port.unplug();
    QCOMPARE(client.hangUps, 0); // reported from the event loop, not from inside unplug()
    clock.advance(100);
    QCOMPARE(client.hangUps, 1);
    QVERIFY(client.chunks.isEmpty()); // the reply in flight is lost
    QVERIFY(!port.write(buildRequest(1, 0x06)));
    QCOMPARE(port.modemState(), std::optional<quint32>(0));

    port.close();
    OpenError error;
    QVERIFY(!port.open(LineSettings{}, &error));
    QCOMPARE(error.kind, OpenError::Missing);
    QCOMPARE(error.device, QStringLiteral("virtual:COM3"));
    QVERIFY(!error.text.isEmpty());

    port.plug();
    QVERIFY(port.open(LineSettings{}, &error));
    QCOMPARE(error.kind, OpenError::None);
    QVERIFY(port.write(buildRequest(1, 0x06)));
    clock.advance(100);
    QCOMPARE(client.all().size(), 9);
}

void TestVirtualPort::providerServesOneComNumber()
{
    SimulatedScheduler clock;
    VirtualSensor sensor(&clock);
    VirtualDeviceProvider provider(sensor, clock, 4);
    QVERIFY(!provider.deviceFor(1));
    std::unique_ptr<SerialDevice> a = provider.deviceFor(4);
    std::unique_ptr<SerialDevice> b = provider.deviceFor(4);
    QVERIFY(a && b);
    QCOMPARE(a->path(), QStringLiteral("virtual:COM4"));

    LineSettings settings;
    settings.baud = 9600;
    QVERIFY(a->open(settings, nullptr));
    OpenError error;
    QVERIFY(!b->open(settings, &error)); // opened exclusively
    QCOMPARE(error.kind, OpenError::Busy);

    Client client(*a);
    provider.unplug();
    clock.runDue();
    QCOMPARE(client.hangUps, 1);
    a->close();
    QVERIFY(!b->open(settings, &error));
    QCOMPARE(error.kind, OpenError::Missing);
    provider.plug();
    QVERIFY(b->open(settings, nullptr));
    QCOMPARE(static_cast<VirtualPort &>(*b).settings().baud, 9600);

    // A client may drop the device from inside its hang-up handler.
    b->close();
    std::unique_ptr<SerialDevice> c = provider.deviceFor(4);
    QVERIFY(c->open(settings, nullptr));
    c->setCallbacks([] {}, [&c] { c.reset(); });
    provider.unplug();
    clock.runDue();
    QVERIFY(!c);
    QCOMPARE(clock.pending(), 0);
}

QTEST_GUILESS_MAIN(TestVirtualPort)
#include "tst_virtual_port.moc"
