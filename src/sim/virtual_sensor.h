// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A simulated capacitive fuel-level sensor head. It keeps a register for
// everything the tool reads or writes, understands the request frames of the
// sensor protocol (split, noisy or not), answers with reply frames of the exact
// length and layout the tool expects, has simple probe physics (offsets lower
// the capacitance code C, fuel raises it, the level code N follows C through
// the output scale) and injects line faults on demand.
//
// It serves the tests in-process, the program's demo mode through VirtualPort,
// and kv-sensor-sim on a pseudo-terminal.

#include "sim/line_responder.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QSet>
#include <QtGlobal>
#include <array>

class Scheduler;

/// The CAPDAC/CAPOFF pair a probe range class brings with it.
struct ClassOffsets {
    quint8 capdac = 0;
    quint16 capoff = 0;
};

/// Everything the head stores. Fields are plain so tests and the demo can set
/// any of them directly.
struct SensorRegisters {
    quint8 address = 1;
    quint8 model = 1;
    quint8 firmware = 0x53;  // high nibble major, low nibble minor
    quint32 serial = 123456; // 24 bits on the wire
    QDate manufactured{2023, 5, 17};
    quint8 capdac = 0;  // coarse offset 0..63
    quint16 capoff = 0; // fine offset
    quint8 periodCode = 0;
    quint8 outputMode = 0x90;  // SET_AUTO_MODE layout: 12 bit, 19200 bit/s, averaging on
    quint8 extMode = 0x00;     // SET_REP_MODE layout
    quint8 board = 0x05;       // RS-232 board, revision 2
    quint16 fsmOffset = 10000; // output scale start (C at 0 %)
    quint16 fsmScale = 46000;  // output scale end (C at 100 %)
    qint8 temperature = 22;    // probe temperature, °C
    qint8 cpuTemperature = 27; // processor temperature, °C
    quint8 averagingTime = 8;
    quint8 probeRange = 5; // probe range code 0..7 (7 − index in the class list)
    /// Offsets restored by selecting a probe range class, indexed by its code.
    std::array<ClassOffsets, 8> classOffsets{};

    // The stored low reference point.
    quint8 refCapdac = 20;
    quint16 refCapoff = 32768;
    quint16 refCode = 0;  // C of the reference capacitor on the reference offsets
    quint16 zeroCode = 0; // C of the empty probe on the reference offsets
    quint8 refTemperature = 20;

    // Output-scale calculation parameters.
    quint8 fsmCalcMode = 0;
    float permix = 2.1f;
    std::array<float, 8> fsmCoef{1.725f, 1.8f, 2.0f, 2.2f, 2.5f, 3.0f, 3.5f, 4.0f};

    // Inclinometer.
    std::array<float, 3> axisK{1.0f, 1.0f, 1.0f};
    float azimuth = 0.0f;
    qint16 tiltX = 0; // 1/256 degree
    qint16 tiltY = 0;
    quint8 repMode3 = 0x00; // bit 0 high bit of the resolution, bit 6 inclinometer output off
    quint8 inclAddress = 2;
};

/// The probe in its tank.
struct ProbePhysics {
    double emptyPf = 10.0;     // probe capacitance with the tank empty
    double fullRisePf = 9.0;   // capacitance a full tank adds
    double tankLitres = 100.0; // capacity; the level rises linearly with the litres
    int noiseCounts = 0;       // ± amplitude of the noise on C in live readings
    quint32 noiseSeed = 1;     // the noise is pseudo-random but repeatable
};

/// Line faults, switchable at any time.
struct SensorFaults {
    bool silent = false;  // hears nothing and answers nothing
    bool badCrc = false;  // every reply carries a wrong CRC byte
    QList<int> split;     // deliver each reply in chunks of these sizes, the rest in one
    int garbage = 0;      // this many junk bytes (0x00) before each reply
    int delayMs = 5;      // time from the request to the first reply byte
    QSet<quint8> refused; // commands answered with status 0x01 and not carried out
    bool echo = false;    // the adapter hands each request back before the reply (RS-485)
};

/// One live-data reply as the head put it on the line.
struct SentReading {
    qint64 atMs = 0;     ///< when its first byte went out (request time + reply delay)
    int n = 0;           ///< level code N
    int c = 0;           ///< capacitance code C
    int temperature = 0; ///< °C
    bool intact = true;  ///< its CRC was right (false under the CRC fault)
};

struct VirtualSensorOptions {
    quint8 model = 1;
    quint8 firmware = 0x53;
    quint32 serial = 123456;
    quint8 address = 1;
    ProbePhysics physics;
};

class VirtualSensor final : public LineResponder {
public:
    // Head constants: 0.00025 pF per count of C (the reference-point formula of
    // the probe detection relies on it); one CAPDAC step is 0.25 pF, one CAPOFF
    // step 0.0000375 pF around its middle value 32768.
    static constexpr double CountsPerPf = 4000.0;
    static constexpr double CountsPerCapdac = 1000.0;
    static constexpr double CountsPerCapoff = 0.15;
    static constexpr int CapoffMiddle = 32768;
    /// C that the factory zero of the standard classes gives for the empty probe.
    static constexpr int FactoryZeroCode = 10000;
    /// A partial request older than this is dropped when new bytes arrive.
    static constexpr int FrameGapMs = 100;

    /// clock may be null: time then stands still (no pouring, no frame gap).
    explicit VirtualSensor(Scheduler *clock = nullptr, const VirtualSensorOptions &options = {});

    SensorRegisters &registers() { return m_reg; }
    const SensorRegisters &registers() const { return m_reg; }
    SensorFaults &faults() { return m_faults; }
    ProbePhysics &physics() { return m_physics; }

    /// Feeds bytes from the line. Returns the bytes of every reply the completed
    /// frames call for, in order, as they go on the wire (junk prefix and CRC
    /// faults applied).
    QList<QByteArray> feed(const QByteArray &bytes);
    /// Splits one reply into the chunks the split fault asks for.
    QList<QByteArray> chunksOf(const QByteArray &wire) const override;
    /// A sensor alone on its line answers at whatever speed it is asked.
    QList<QByteArray> hear(const QByteArray &bytes, int) override { return feed(bytes); }
    int replyDelayMs() const override { return m_faults.delayMs; }
    bool echoes() const override { return m_faults.echo; }

    /// Every request frame with a valid CRC heard so far, whoever it was for.
    const QList<QByteArray> &requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    /// Requests heard while the head was still answering the one before (from
    /// the request until its reply is out). On a half-duplex line such a
    /// request and the reply garble each other.
    int overlappingRequests() const { return m_overlaps; }
    /// Every DATA_READ reply sent with its values, oldest first: what a test
    /// checks the tool's stored points against. Refusals and replies not sent
    /// (silence) are not in it; the oldest go once there are MaxSentReadings.
    const QList<SentReading> &readingsSent() const { return m_sent; }
    static constexpr int MaxSentReadings = 1 << 17;

    /// Request data length of a command byte, -1 for a command the head does not know.
    static int requestDataLength(quint8 command);

    // Physics.
    double fuelLitres() const;
    void setFuelLitres(double litres);
    /// Pours (or drains, when negative) this many litres per second from now on.
    void pour(double litresPerSecond);
    double pourRate() const { return m_rate; }
    void setTemperature(int celsius) { m_reg.temperature = qint8(qBound(-128, celsius, 127)); }
    /// Probe capacitance in pF at the current fuel level.
    double probePf() const;
    /// Fits a probe of this effective length in millimetres: its empty
    /// capacitance is the string holder's plus so much per millimetre (the
    /// probe constants' factory values), the 21.5 mm of its two ends adding
    /// nothing; the stored reference point is measured again for it.
    void setProbeLength(double mm);
    /// The effective length of the fitted probe, from its empty capacitance.
    double probeLength() const;
    static constexpr double HolderPf = 1.725;
    static constexpr double PfPerMm = 0.01633;
    static constexpr double InactiveEndsMm = 21.5;
    /// Measures the stored reference point again on the reference offsets
    /// (after a test changed them or the probe).
    void storeReferencePoint();
    /// C for the current offsets and fuel, without noise, 0..65535.
    int capacitanceCode() const;
    /// N for a given C through the resolution and the output scale.
    int levelCodeFor(int c) const;
    /// Largest N of the chosen resolution (1023, 4095, 16383 or 65535).
    int levelMax() const;
    /// CAPDAC/CAPOFF that put the empty probe at the given C (nearest reachable).
    ClassOffsets offsetsForEmptyCode(int code) const;

private:
    QByteArray handleFrame(const QByteArray &frame);
    int codeFor(double pf, int capdac, int capoff) const;
    int noisyCode();
    qint64 nowMs() const;

    Scheduler *m_clock;
    SensorRegisters m_reg;
    ProbePhysics m_physics;
    SensorFaults m_faults;
    QByteArray m_rx;
    qint64 m_lastRxMs = 0;
    QList<QByteArray> m_requests;
    qint64 m_answeringUntilMs = -1;
    int m_overlaps = 0;
    QList<SentReading> m_sent;
    double m_litres = 0.0;
    double m_rate = 0.0;
    qint64 m_rateSinceMs = 0;
    quint32 m_noiseState;
};
