// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The reply assembler fed arbitrary chunk sequences with arbitrary expected
// lengths. The input is a little program of operations:
//   0x00..0x7F  a chunk of (op % 48) bytes taken from the input
//   0x80..0x9F  expected length := a signed 16-bit value from the input
//   0xA0..0xBF  a request with the next byte as command (its table length)
//   0xC0..0xDF  the poller's reset (ClearReply)
//   0xE0..0xFF  an empty hand-over
// Every accepted reply must have the expected length, start with '>', pass its
// CRC and be readable back byte by byte; the buffer never outgrows a reply.

#include "link/frame_link.h"

#include <cstdint>
#include <cstdlib>

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FrameLink link;
    int sent = 0;
    link.setWriter([&sent](const QByteArray &frame) {
        check(frame.size() >= 4 && quint8(frame[0]) == RequestLead);
        ++sent;
        return true;
    });
    QByteArray last;
    link.onReplyAccepted = [&](const QByteArray &reply) {
        const int n = int(reply.size());
        check(n == link.ExpectedReplyLength && n >= 1);
        check(quint8(reply[0]) == ReplyLead);
        check(CalcCRC(reply.constData(), n - 1) == quint8(reply[n - 1]));
        last = reply;
    };

    size_t i = 0;
    while (i < size) {
        const uint8_t op = data[i++];
        if (op < 0x80) {
            const size_t want = op % 48;
            const size_t take = want < size - i ? want : size - i;
            link.FPortReadPacket(reinterpret_cast<const char *>(data + i), int(take), 0);
            i += take;
        } else if (op < 0xA0) {
            if (size - i < 2)
                break;
            link.ExpectedReplyLength = int(int16_t(uint16_t(data[i] | (data[i + 1] << 8))));
            i += 2;
        } else if (op < 0xC0) {
            if (i >= size)
                break;
            link.WriteComand(0x05, data[i++]);
        } else if (op < 0xE0) {
            link.ClearReply();
            last.clear();
        } else {
            link.FPortReadPacket(nullptr, 0, 0);
        }
        check(link.RxBuffer.size() <= MaxReplyAccumulation);
        check(link.RxBytes.size() <= 255);
        if (!last.isEmpty() && last.size() <= 50 && !link.CrcError && !link.FrameError)
            check(link.replyBytes() == last);
    }
    return 0;
}
