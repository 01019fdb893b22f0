// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "link/frame.h"

#include <array>

namespace {
constexpr std::array<quint8, 256> makeCrcTable()
{
    std::array<quint8, 256> t{};
    for (int i = 0; i < 256; ++i) {
        quint8 c = quint8(i);
        for (int b = 0; b < 8; ++b)
            c = (c & 1) ? quint8((c >> 1) ^ 0x8C) : quint8(c >> 1);
        t[size_t(i)] = c;
    }
    return t;
}
constexpr std::array<quint8, 256> CrcTable = makeCrcTable();
} // namespace

quint8 commandAt(int index)
{
    Q_ASSERT(index >= 0 && index < CommandCount);
    return reinterpret_cast<const quint8 *>(&CommandTable)[index];
}

int replyLengthFor(quint8 c)
{
    switch (c) {
    case 0x07: case 0x40: case 0x43: case 0x44: case 0x45: case 0x49: case 0x4D: case 0x4E:
    case 0x4F: case 0x52: case 0x53: case 0x54: case 0x55: case 0x56: case 0x5F: case 0x61:
    case 0x62: case 0x63: case 0x64: case 0x66: case 0x68: case 0x71: case 0x73: case 0x7B:
    case 0x7C: case 0x85: case 0x86:
        return 5;
    case 0x48: case 0x50:
        return 6;
    case 0x72: case 0x74:
        return 8;
    case 0x06:
        return 9;
    case 0x42: case 0x51: case 0x60:
        return 12;
    case 0x67: case 0x69:
        return 16;
    case 0x41:
        return 22;
    case 0x70:
        return 41;
    default:
        return 0;
    }
}

quint8 Do_CRC(quint8 crc, quint8 byte) { return CrcTable[crc ^ byte]; }

quint8 CalcCRC(const char *buffer, int count)
{
    quint8 crc = 0;
    for (int i = 0; i < count; ++i)
        crc = Do_CRC(crc, quint8(buffer[i]));
    return crc;
}

static QByteArray buildFrame(quint8 lead, quint8 address, quint8 command, const QByteArray &data)
{
    QByteArray f;
    f.reserve(4 + data.size());
    f.append(char(lead));
    f.append(char(address));
    f.append(char(command));
    f.append(data);
    f.append(char(CalcCRC(f)));
    return f;
}

QByteArray buildRequest(quint8 address, quint8 command, const QByteArray &data)
{
    return buildFrame(RequestLead, address, command, data);
}

QByteArray buildReply(quint8 address, quint8 command, const QByteArray &data)
{
    return buildFrame(ReplyLead, address, command, data);
}

const char *commandName(quint8 command)
{
    // The names of the command table's fields, in the table's order.
    static const char *const names[] = {
        "SET_ID", "ID_READ", "SET_ADDR", "SET_NET_MODE", "CONFIG_READ", "DATA_READ",
        "DATA_CONTIN", "FCURR_FMIN", "FCURR_FMAX", "TSLOPE_T0", "SET_FMIN", "SET_FMAX",
        "SET_PWM_MAX", "SET_PWM_MOD", "SET_TRL", "SET_FILT_LENG", "SET_PASSW", "SET_PERIOD",
        "FILT_LENG_READ", "PASSW_READ", "SET_AUTO_MODE", "SET_CAPDAC_A", "READ_CAPDAC_A",
        "READ_CAPOFF", "SET_CAPOFF", "READ_PARAM", "SET_SN", "READ_SN", "READ_SOND_LEN",
        "SET_SOND_LEN", "SET_SOND_PAR", "READ_VCC", "SET_TEMP_OFFSET", "READ_CAL_DATA",
        "SET_CAL_DATA", "SET_EMPTY_DATA", "RESET_SN", "GET_EXT_PARAM", "SET_ERR_MODE",
        "SET_REP_MODE", "SET_FSM_OFFSET", "SET_FSM_SCALE", "SET_AVRG_TIME", "GET_FSM_CALC_PARAM",
        "SET_FSM_CALC_PARAM", "GET_ACLR_DATA", "SET_AXIS_K", "GET_AXIS_K", "GET_AZIMUTH",
        "SET_AZIMUTH", "GET_INCLINOMETER_DATA", "GET_REP_MODE_3", "SET_REP_MODE_3",
        "GET_INCL_LAN_ADR", "SET_INCL_LAN_ADR"};
    static_assert(sizeof names / sizeof names[0] == CommandCount, "one name per command");
    for (int i = 0; i < CommandCount; ++i)
        if (commandAt(i) == command)
            return names[i];
    return "";
}
