// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/virtual_sensor.h"

#include "common/scheduler.h"
#include "link/frame.h"

#include <cmath>
#include <cstring>

namespace {

void put8(QByteArray &b, int v)
{
    b.append(char(quint8(v)));
}

void put16(QByteArray &b, int v)
{
    b.append(char(quint8(v & 0xFF)));
    b.append(char(quint8((v >> 8) & 0xFF)));
}

void putFloat(QByteArray &b, float f)
{
    quint32 u;
    std::memcpy(&u, &f, sizeof u);
    for (int i = 0; i < 4; ++i)
        b.append(char(quint8(u >> (8 * i))));
}

quint8 byteAt(const QByteArray &b, int i)
{
    return quint8(b.at(i));
}

quint16 word(const QByteArray &b, int i)
{
    return quint16(byteAt(b, i) | (byteAt(b, i + 1) << 8));
}

float floatAt(const QByteArray &b, int i)
{
    quint32 u = 0;
    for (int k = 0; k < 4; ++k)
        u |= quint32(byteAt(b, i + k)) << (8 * k);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

constexpr quint8 StatusOk = 0x00;
constexpr quint8 StatusRefused = 0x01;

} // namespace

VirtualSensor::VirtualSensor(Scheduler *clock, const VirtualSensorOptions &options)
    : m_clock(clock), m_physics(options.physics), m_noiseState(options.physics.noiseSeed)
{
    m_reg.model = options.model;
    m_reg.firmware = options.firmware;
    m_reg.serial = options.serial & 0xFFFFFF;
    m_reg.address = options.address;

    // Every class starts on the factory zero for this probe; the live offsets
    // are those of the selected class.
    const ClassOffsets factory = offsetsForEmptyCode(FactoryZeroCode);
    m_reg.classOffsets.fill(factory);
    m_reg.capdac = factory.capdac;
    m_reg.capoff = factory.capoff;

    storeReferencePoint();
    m_rateSinceMs = nowMs();
}

void VirtualSensor::storeReferencePoint()
{
    // The reference point is measured on the reference offsets: the reference
    // capacitor (8.192 pF) gives refCode, the empty probe zeroCode, so that the
    // probe detection's Cx = 8.192 − (refCode − C) × 0.00025 holds.
    m_reg.refCode = quint16(codeFor(8.192, m_reg.refCapdac, m_reg.refCapoff));
    m_reg.zeroCode = quint16(codeFor(m_physics.emptyPf, m_reg.refCapdac, m_reg.refCapoff));
}

void VirtualSensor::setProbeLength(double mm)
{
    m_physics.emptyPf = HolderPf + (mm - InactiveEndsMm) * PfPerMm;
    storeReferencePoint();
}

double VirtualSensor::probeLength() const
{
    return (m_physics.emptyPf - HolderPf) / PfPerMm + InactiveEndsMm;
}

qint64 VirtualSensor::nowMs() const
{
    return m_clock ? m_clock->nowMs() : 0;
}

int VirtualSensor::requestDataLength(quint8 command)
{
    switch (command) {
    case 0x06: // DATA_READ
    case 0x41: // READ_PARAM
    case 0x42: // READ_SN
    case 0x4D: // READ_SOND_LEN
    case 0x51: // READ_CAL_DATA
    case 0x60: // GET_EXT_PARAM
    case 0x67: // GET_AXIS_K
    case 0x70: // GET_FSM_CALC_PARAM
    case 0x72: // GET_AZIMUTH
    case 0x74: // GET_INCLINOMETER_DATA
    case 0x7B: // GET_REP_MODE_3
    case 0x85: // GET_INCL_LAN_ADR
        return 0;
    case 0x45: // SET_CAPDAC_A
    case 0x4E: // SET_SOND_LEN
    case 0x4F: // SET_SOND_PAR
    case 0x54: // SET_PERIOD
    case 0x55: // SET_AUTO_MODE
    case 0x56: // SET_ADDR
    case 0x62: // SET_REP_MODE
    case 0x66: // SET_AVRG_TIME
    case 0x7C: // SET_REP_MODE_3
    case 0x86: // SET_INCL_LAN_ADR
        return 1;
    case 0x49: // SET_CAPOFF
    case 0x63: // SET_FSM_OFFSET
    case 0x64: // SET_FSM_SCALE
        return 2;
    case 0x73: // SET_AZIMUTH
        return 4;
    case 0x71: // SET_FSM_CALC_PARAM
        return 37;
    default:
        return -1;
    }
}

QList<QByteArray> VirtualSensor::feed(const QByteArray &bytes)
{
    QList<QByteArray> replies;
    // A real head forgets a half-received frame after a pause on the line.
    const qint64 now = nowMs();
    if (!m_rx.isEmpty() && now - m_lastRxMs > FrameGapMs)
        m_rx.clear();
    m_lastRxMs = now;
    m_rx.append(bytes);

    for (;;) {
        // Resynchronise on the request lead byte.
        const int lead = int(m_rx.indexOf(char(RequestLead)));
        if (lead < 0) {
            m_rx.clear();
            break;
        }
        m_rx.remove(0, lead);
        if (m_rx.size() < 3)
            break;
        const int dataLength = qMax(0, requestDataLength(byteAt(m_rx, 2)));
        const int frameLength = 4 + dataLength;
        if (m_rx.size() < frameLength)
            break;
        const QByteArray frame = m_rx.left(frameLength);
        if (CalcCRC(frame.constData(), frameLength - 1) != byteAt(frame, frameLength - 1)) {
            // Not a frame after all (or a damaged one): look for the next lead byte.
            m_rx.remove(0, 1);
            continue;
        }
        m_rx.remove(0, frameLength);
        m_requests.append(frame);
        if (m_clock && now < m_answeringUntilMs)
            ++m_overlaps;
        // Silent: the frame is on record for the tests, but the head neither
        // acts on it nor answers.
        if (m_faults.silent)
            continue;
        QByteArray reply = handleFrame(frame);
        if (reply.isEmpty())
            continue;
        if (m_faults.badCrc)
            reply[reply.size() - 1] = char(quint8(reply.back()) ^ 0xFF);
        if (byteAt(frame, 2) == 0x06 && reply.size() == 9) {
            if (m_sent.size() >= MaxSentReadings)
                m_sent.removeFirst();
            m_sent.append({now + qMax(0, m_faults.delayMs), word(reply, 4), word(reply, 6),
                           int(qint8(byteAt(reply, 3))), !m_faults.badCrc});
        }
        if (m_faults.garbage > 0)
            reply.prepend(QByteArray(m_faults.garbage, '\0'));
        // The head is busy until its reply is out (the port hands it over then).
        m_answeringUntilMs = now + qMax(0, m_faults.delayMs);
        replies.append(reply);
    }
    return replies;
}

QList<QByteArray> VirtualSensor::chunksOf(const QByteArray &wire) const
{
    QList<QByteArray> chunks;
    qsizetype pos = 0;
    for (int size : m_faults.split) {
        if (pos >= wire.size())
            break;
        if (size <= 0)
            continue;
        chunks.append(wire.mid(pos, size));
        pos += size;
    }
    if (pos < wire.size())
        chunks.append(wire.mid(pos));
    return chunks;
}

QByteArray VirtualSensor::handleFrame(const QByteArray &frame)
{
    const quint8 address = byteAt(frame, 1);
    if (address != m_reg.address && address != BroadcastAddress)
        return {};
    const quint8 command = byteAt(frame, 2);
    if (requestDataLength(command) < 0)
        return {}; // the head ignores commands it does not know
    const QByteArray data = frame.mid(3, frame.size() - 4);
    const quint8 replyAddress = m_reg.address; // a new address applies from the next frame

    auto status = [&](quint8 s) {
        return buildReply(replyAddress, command, QByteArray(1, char(s)));
    };
    if (m_faults.refused.contains(command))
        return status(StatusRefused);

    QByteArray out;
    switch (command) {
    case 0x06: { // DATA_READ
        const int c = noisyCode();
        put8(out, m_reg.temperature);
        put16(out, levelCodeFor(c));
        put16(out, c);
        break;
    }
    case 0x41:   // READ_PARAM
    case 0x42: { // READ_SN
        const QDate d = m_reg.manufactured;
        put8(out, qBound(0, d.year() - 2000, 255));
        put8(out, d.month() - 1);
        put8(out, d.day() - 1);
        put8(out, int(m_reg.serial & 0xFF));
        put8(out, int((m_reg.serial >> 8) & 0xFF));
        put8(out, int((m_reg.serial >> 16) & 0xFF));
        put8(out, m_reg.model);
        put8(out, m_reg.firmware);
        if (command == 0x41) {
            put8(out, m_reg.capdac);
            put8(out, 0);
            put16(out, m_reg.capoff);
            put16(out, 0);
            put8(out, m_reg.address);
            put8(out, 0);
            put8(out, m_reg.periodCode);
            put8(out, m_reg.outputMode);
        }
        break;
    }
    case 0x45: // SET_CAPDAC_A: a 6-bit register
        if (byteAt(data, 0) > 63)
            return status(StatusRefused);
        m_reg.capdac = byteAt(data, 0);
        return status(StatusOk);
    case 0x49: // SET_CAPOFF
        m_reg.capoff = word(data, 0);
        return status(StatusOk);
    case 0x4D: // READ_SOND_LEN
        put8(out, m_reg.probeRange);
        break;
    case 0x4E:   // SET_SOND_LEN: select a class and go back to its offsets
    case 0x4F: { // SET_SOND_PAR: store the class; a user class keeps the current zero
        const quint8 code = byteAt(data, 0);
        if (code > 7)
            return status(StatusRefused);
        m_reg.probeRange = code;
        if (command == 0x4F && code <= 1) {
            m_reg.classOffsets[code] = ClassOffsets{m_reg.capdac, m_reg.capoff};
        } else {
            m_reg.capdac = m_reg.classOffsets[code].capdac;
            m_reg.capoff = m_reg.classOffsets[code].capoff;
        }
        return status(StatusOk);
    }
    case 0x51: // READ_CAL_DATA
        put8(out, m_reg.refCapdac);
        put16(out, m_reg.refCapoff);
        put16(out, m_reg.refCode);
        put16(out, m_reg.zeroCode);
        put8(out, m_reg.refTemperature);
        break;
    case 0x54: // SET_PERIOD
        m_reg.periodCode = byteAt(data, 0);
        return status(StatusOk);
    case 0x55: // SET_AUTO_MODE
        m_reg.outputMode = byteAt(data, 0);
        return status(StatusOk);
    case 0x56: { // SET_ADDR
        const QByteArray reply = status(StatusOk);
        m_reg.address = byteAt(data, 0);
        return reply;
    }
    case 0x60: // GET_EXT_PARAM
        put8(out, m_reg.board);
        put8(out, m_reg.extMode);
        put16(out, m_reg.fsmOffset);
        put16(out, m_reg.fsmScale);
        put8(out, m_reg.cpuTemperature);
        put8(out, m_reg.averagingTime);
        break;
    case 0x62: // SET_REP_MODE
        m_reg.extMode = byteAt(data, 0);
        return status(StatusOk);
    case 0x63: // SET_FSM_OFFSET
        m_reg.fsmOffset = word(data, 0);
        return status(StatusOk);
    case 0x64: // SET_FSM_SCALE
        m_reg.fsmScale = word(data, 0);
        return status(StatusOk);
    case 0x66: // SET_AVRG_TIME
        m_reg.averagingTime = byteAt(data, 0);
        return status(StatusOk);
    case 0x67: // GET_AXIS_K
        for (float k : m_reg.axisK)
            putFloat(out, k);
        break;
    case 0x70: // GET_FSM_CALC_PARAM
        put8(out, m_reg.fsmCalcMode);
        putFloat(out, m_reg.permix);
        for (float k : m_reg.fsmCoef)
            putFloat(out, k);
        break;
    case 0x71: { // SET_FSM_CALC_PARAM
        const quint8 mode = byteAt(data, 0);
        if (mode > 7 || !std::isfinite(floatAt(data, 1)))
            return status(StatusRefused);
        m_reg.fsmCalcMode = mode;
        m_reg.permix = floatAt(data, 1);
        for (int i = 0; i < 8; ++i)
            m_reg.fsmCoef[size_t(i)] = floatAt(data, 5 + 4 * i);
        return status(StatusOk);
    }
    case 0x72: // GET_AZIMUTH
        putFloat(out, m_reg.azimuth);
        break;
    case 0x73: { // SET_AZIMUTH
        const float a = floatAt(data, 0);
        if (!std::isfinite(a))
            return status(StatusRefused);
        m_reg.azimuth = a;
        return status(StatusOk);
    }
    case 0x74: // GET_INCLINOMETER_DATA
        put16(out, quint16(m_reg.tiltX));
        put16(out, quint16(m_reg.tiltY));
        break;
    case 0x7B: // GET_REP_MODE_3
        put8(out, m_reg.repMode3);
        break;
    case 0x7C: // SET_REP_MODE_3
        m_reg.repMode3 = byteAt(data, 0);
        return status(StatusOk);
    case 0x85: // GET_INCL_LAN_ADR
        put8(out, m_reg.inclAddress);
        break;
    case 0x86: // SET_INCL_LAN_ADR
        m_reg.inclAddress = byteAt(data, 0);
        return status(StatusOk);
    default:
        return {};
    }
    return buildReply(replyAddress, command, out);
}

double VirtualSensor::fuelLitres() const
{
    const double poured = m_litres + m_rate * double(nowMs() - m_rateSinceMs) / 1000.0;
    return qBound(0.0, poured, m_physics.tankLitres);
}

void VirtualSensor::setFuelLitres(double litres)
{
    m_litres = qBound(0.0, litres, m_physics.tankLitres);
    m_rateSinceMs = nowMs();
}

void VirtualSensor::pour(double litresPerSecond)
{
    m_litres = fuelLitres();
    m_rateSinceMs = nowMs();
    m_rate = litresPerSecond;
}

double VirtualSensor::probePf() const
{
    const double fill = m_physics.tankLitres > 0 ? fuelLitres() / m_physics.tankLitres : 0.0;
    return m_physics.emptyPf + fill * m_physics.fullRisePf;
}

int VirtualSensor::codeFor(double pf, int capdac, int capoff) const
{
    const double c =
        pf * CountsPerPf - capdac * CountsPerCapdac - (capoff - CapoffMiddle) * CountsPerCapoff;
    // The epsilon keeps exact products (8.192 pF × 4000) from flooring one count low.
    return int(qBound(0.0, std::floor(c + 1e-7), 65535.0));
}

int VirtualSensor::capacitanceCode() const
{
    return codeFor(probePf(), m_reg.capdac, m_reg.capoff);
}

int VirtualSensor::noisyCode()
{
    const int c = capacitanceCode();
    const int a = m_physics.noiseCounts;
    if (a <= 0)
        return c;
    m_noiseState = m_noiseState * 1664525u + 1013904223u; // LCG: repeatable for a seed
    const int noise = int((m_noiseState >> 8) % quint32(2 * a + 1)) - a;
    return qBound(0, c + noise, 65535);
}

int VirtualSensor::levelMax() const
{
    const int index = ((m_reg.outputMode >> 7) & 1) + 2 * (m_reg.repMode3 & 1);
    static constexpr int Max[4] = {1023, 4095, 16383, 65535};
    return Max[index];
}

int VirtualSensor::levelCodeFor(int c) const
{
    const double nmax = levelMax();
    const bool fullScale = (m_reg.extMode & 0x02) != 0 && m_reg.fsmScale > m_reg.fsmOffset;
    double n;
    if (fullScale)
        n = double(c - m_reg.fsmOffset) / double(m_reg.fsmScale - m_reg.fsmOffset) * nmax;
    else
        n = double(c) / 65535.0 * nmax;
    return int(qBound(0.0, std::floor(n), nmax));
}

ClassOffsets VirtualSensor::offsetsForEmptyCode(int code) const
{
    // Coarse step first (as close above the target as the fine range reaches),
    // then the fine offset for what remains.
    const double atZero = m_physics.emptyPf * CountsPerPf;
    const int capdac = qBound(0, int(std::floor((atZero - code) / CountsPerCapdac)), 63);
    const double rest = atZero - capdac * CountsPerCapdac - code;
    const int capoff = qBound(0, int(std::lround(CapoffMiddle + rest / CountsPerCapoff)), 65535);
    return ClassOffsets{quint8(capdac), quint16(capoff)};
}
