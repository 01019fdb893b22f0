// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The sensor frame protocol's constants: the command table, CRC-8/MAXIM and the
// expected reply length of each command byte.
//
// Request:  0x31 '1', address, command, data…, CRC-8 over all bytes before it.
// Reply:    0x3E '>', address, command, data…, CRC-8 over all bytes before it.

#include <QByteArray>
#include <QtGlobal>

/// The 55 commands, fields in table order, each holding its byte on the wire.
struct Comander {
    quint8 SET_ID, ID_READ, SET_ADDR, SET_NET_MODE, CONFIG_READ, DATA_READ, DATA_CONTIN,
        FCURR_FMIN, FCURR_FMAX, TSLOPE_T0, SET_FMIN, SET_FMAX, SET_PWM_MAX, SET_PWM_MOD, SET_TRL,
        SET_FILT_LENG, SET_PASSW, SET_PERIOD, FILT_LENG_READ, PASSW_READ, SET_AUTO_MODE,
        SET_CAPDAC_A, READ_CAPDAC_A, READ_CAPOFF, SET_CAPOFF, READ_PARAM, SET_SN, READ_SN,
        READ_SOND_LEN, SET_SOND_LEN, SET_SOND_PAR, READ_VCC, SET_TEMP_OFFSET, READ_CAL_DATA,
        SET_CAL_DATA, SET_EMPTY_DATA, RESET_SN, GET_EXT_PARAM, SET_ERR_MODE, SET_REP_MODE,
        SET_FSM_OFFSET, SET_FSM_SCALE, SET_AVRG_TIME, GET_FSM_CALC_PARAM, SET_FSM_CALC_PARAM,
        GET_ACLR_DATA, SET_AXIS_K, GET_AXIS_K, GET_AZIMUTH, SET_AZIMUTH, GET_INCLINOMETER_DATA,
        GET_REP_MODE_3, SET_REP_MODE_3, GET_INCL_LAN_ADR, SET_INCL_LAN_ADR;
};

inline constexpr Comander CommandTable{
    0x01, 0x02, 0x56, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
    0x0F, 0x11, 0x12, 0x54, 0x14, 0x15, 0x55, 0x45, 0x44, 0x48, 0x49, 0x41, 0x43, 0x42,
    0x4D, 0x4E, 0x4F, 0x50, 0x40, 0x51, 0x52, 0x53, 0x5F, 0x60, 0x61, 0x62, 0x63, 0x64,
    0x66, 0x70, 0x71, 0x69, 0x68, 0x67, 0x72, 0x73, 0x74, 0x7B, 0x7C, 0x85, 0x86,
};

inline constexpr int CommandCount = 55;
static_assert(sizeof(Comander) == CommandCount, "one byte per command");

/// Command byte at table index 0…54.
quint8 commandAt(int index);

inline constexpr quint8 RequestLead = 0x31;
inline constexpr quint8 ReplyLead = 0x3E;
inline constexpr quint8 BroadcastAddress = 0xFF;
/// A reply buffer that grows past this is noise and is discarded.
inline constexpr int MaxReplyAccumulation = 43;

/// Total reply length L for a command byte; 0 when the byte is not in the
/// length table (such a request leaves the expectation unchanged).
int replyLengthFor(quint8 command);

/// One CRC-8/MAXIM table step (reflected 0x8C, table-driven).
quint8 Do_CRC(quint8 crc, quint8 byte);
/// CRC-8/MAXIM of the first count bytes, starting from 0. Check value of
/// "123456789" is 0xA1.
quint8 CalcCRC(const char *buffer, int count);
inline quint8 CalcCRC(const QByteArray &bytes) { return CalcCRC(bytes.constData(), int(bytes.size())); }

/// A complete request frame: lead, address, command, data, CRC.
QByteArray buildRequest(quint8 address, quint8 command, const QByteArray &data = {});
/// A complete reply frame: lead, address, command, data, CRC (the sensor side).
QByteArray buildReply(quint8 address, quint8 command, const QByteArray &data = {});

/// The command table's name of a command byte ("READ_PARAM"); empty for a
/// byte that is not in the table.
const char *commandName(quint8 command);
