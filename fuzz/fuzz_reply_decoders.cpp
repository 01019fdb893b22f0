// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The reply decoders fed arbitrary replies that pass the frame layer: the
// input gives the command byte (one of those with a reply length), the data
// bytes, the decoders' inputs from the window (probe class, selected items,
// decimal separator) and a few record fields of the sensor state. Every decoder
// runs on the reply, as a stray reply of the wrong command may reach any of
// them; each result is applied to the state as the window applies it.

#include "link/frame.h"
#include "sensor/decode.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {
const std::vector<quint8> &replyCommands()
{
    static const std::vector<quint8> commands = [] {
        std::vector<quint8> v;
        for (int c = 0; c < 256; ++c)
            if (replyLengthFor(quint8(c)) != 0)
                v.push_back(quint8(c));
        return v;
    }();
    return commands;
}

struct Input {
    const uint8_t *p;
    size_t n;
    uint8_t next()
    {
        if (n == 0)
            return 0;
        --n;
        return *p++;
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in{data, size};
    const auto &commands = replyCommands();
    const quint8 command = commands[in.next() % commands.size()];
    const int length = replyLengthFor(command);
    QByteArray payload(length - 4, '\0');
    for (auto &b : payload)
        b = char(in.next());
    const QByteArray reply = buildReply(in.next(), command, payload);
    if (reply.size() != length ||
        CalcCRC(reply.constData(), length - 1) != quint8(reply[length - 1]))
        std::abort();

    SensorState state;
    state.SensorParam.Version_H = in.next() % 12;
    state.SensorParam.Version_L = in.next() % 12;
    state.SensorParam.Version =
        QStringLiteral("v.%1.%2").arg(state.SensorParam.Version_H).arg(state.SensorParam.Version_L);
    state.SensorParam.IntModel = in.next();
    state.SensorParam.DigitData = (in.next() & 1) ? QStringLiteral("12") : QStringLiteral("10");
    state.SensorExt.RepMode3 = in.next();
    state.SensorExt.RadioGrupIndex2 = in.next() % 4;
    state.LastSerial = int(in.next()) << 8;
    const int probeClass = int(in.next() % 9) - 1;
    const int item = int(in.next() % 10) - 1;
    const NumberFormat fmt((in.next() & 1) ? QLatin1Char(',') : QLatin1Char('.'));
    const TextLookup text = [](int K) { return QStringLiteral("text %1").arg(K); };

    decode::ReadSN(reply, state).applyTo(state);
    decode::Connect(reply, state).applyTo(state);
    decode::ReadData(reply, false, probeClass, fmt).applyTo(state);
    (void)decode::ReadCAPSET(reply);
    decode::READCALDATA(reply, fmt).applyTo(state);
    decode::ReadSounLen(reply, text).applyTo(state);
    decode::ReadExtParam(reply).applyTo(state);
    (void)decode::outputScaleEditors(state);
    decode::ReadFSMCalcParam(reply, item, fmt).applyTo(state);
    decode::ReadAxisK(reply).applyTo(state);
    (void)decode::WriteFullTanck(state.SensorExt);
    decode::ReadAzimuth(reply, fmt).applyTo(state);
    decode::ReadInclinometerData(reply, fmt).applyTo(state);
    decode::ReadREPMODE3(reply, state).applyTo(state);
    (void)decode::ReadINCLLANADR(reply);
    (void)decode::gaugeLayout(probeClass, state.SensorParam.Val_C);
    // The same decoders after a reply cut short (a poll left unanswered reads zeros).
    (void)decode::ReadData(reply.left(in.next() % length), false, probeClass, fmt);
    (void)decode::ReadSN(reply.left(in.next() % length), state);
    return 0;
}
