// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// kvtool identify / kvtool watch: talk to one sensor over a serial line with
// the same port, frame layer and decoders as the main window, without a window.

#include "app/kvtool.h"
#include "common/numfmt.h"
#include "common/stop_signals.h"
#include "link/comport.h"
#include "link/frame_link.h"
#include "link/frame_log.h"
#include "link/port_map.h"
#include "link/posix_serial.h"
#include "link/trace.h"
#include "sensor/decode.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

namespace {

/// How long a request waits for its reply.
constexpr int ReplyWindowMs = 1000;
/// The main window reads chunks of up to this many bytes.
constexpr quint32 ChunkSize = 500;

const char *const IdentifyUsage =
    "--port COMn|DEVICE [--speed BAUD] [--address A] [--json] [--trace]";
const char *const WatchUsage = "--port COMn|DEVICE [--speed BAUD] [--address A] [--count N] "
                               "[--interval-ms MS] [--trace]";

// ---- Options ----------------------------------------------------------------

struct LinkOptions {
    QString port;
    int baud = 19200;
    quint8 address = BroadcastAddress;
    bool json = false;
    bool trace = false;
    int count = 0; ///< 0: until interrupted
    int intervalMs = 1000;
};

std::optional<int> parseInt(const QString &text, int min, int max)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

bool isSupportedBaud(int baud)
{
    for (int i = 0; i < BaudRateCount; ++i)
        if (baudRateValue(TBaudRate(i)) == baud)
            return true;
    return false;
}

TBaudRate baudRateFor(int baud)
{
    for (int i = 0; i < BaudRateCount; ++i)
        if (baudRateValue(TBaudRate(i)) == baud)
            return TBaudRate(i);
    return br19200;
}

/// Parses "--name value" and "--name=value". Returns an error text, empty on success.
QString parseLinkOptions(const QStringList &args, bool watch, LinkOptions &o)
{
    for (int i = 0; i < args.size(); ++i) {
        QString name = args[i];
        std::optional<QString> inlineValue;
        if (const int eq = int(name.indexOf(QLatin1Char('=')));
            name.startsWith(QLatin1String("--")) && eq > 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
        }
        auto value = [&](QString &out) -> bool {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        QString v;
        if (name == QLatin1String("--port")) {
            if (!value(v) || v.isEmpty())
                return QStringLiteral("--port wants COMn or a device path");
            o.port = v;
        } else if (name == QLatin1String("--speed")) {
            const auto b = value(v) ? parseInt(v, 1, 10000000) : std::nullopt;
            if (!b || !isSupportedBaud(*b))
                return QStringLiteral("--speed wants one of 110 300 600 1200 2400 4800 9600 "
                                      "14400 19200 38400 56000 57600 115200");
            o.baud = *b;
        } else if (name == QLatin1String("--address")) {
            const auto a = value(v) ? parseInt(v, 0, 255) : std::nullopt;
            if (!a)
                return QStringLiteral("--address wants a number 0..255");
            o.address = quint8(*a);
        } else if (name == QLatin1String("--trace") && !inlineValue) {
            o.trace = true;
        } else if (!watch && name == QLatin1String("--json") && !inlineValue) {
            o.json = true;
        } else if (watch && name == QLatin1String("--count")) {
            const auto c = value(v) ? parseInt(v, 1, 1000000000) : std::nullopt;
            if (!c)
                return QStringLiteral("--count wants a number of replies, 1 or more");
            o.count = *c;
        } else if (watch && name == QLatin1String("--interval-ms")) {
            const auto ms = value(v) ? parseInt(v, 1, 86400000) : std::nullopt;
            if (!ms)
                return QStringLiteral("--interval-ms wants milliseconds, 1 or more");
            o.intervalMs = *ms;
        } else {
            return QStringLiteral("unexpected argument \"%1\"").arg(args[i]);
        }
    }
    if (o.port.isEmpty())
        return QStringLiteral("--port is required");
    return {};
}

// ---- Port ---------------------------------------------------------------------

/// A device path given directly: every port number is that device.
class PathProvider final : public DeviceProvider {
public:
    explicit PathProvider(QString path) : m_path(std::move(path)) {}
    std::unique_ptr<SerialDevice> deviceFor(int) override
    {
        return std::make_unique<PosixSerialDevice>(m_path);
    }

private:
    QString m_path;
};

/// "COM3" → 3; anything else is a device path.
std::optional<int> comNumberOf(const QString &port)
{
    static const QRegularExpression re(QStringLiteral("^COM([0-9]{1,3})$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(port);
    if (!m.hasMatch())
        return std::nullopt;
    const int n = m.captured(1).toInt();
    if (n < 1 || n > MaxComNumber)
        return std::nullopt;
    return n;
}

QString openFailureText(const QString &port, const OpenError &e)
{
    const QString device = e.device.isEmpty() || e.device == port
                               ? port
                               : QStringLiteral("%1 (%2)").arg(port, e.device);
    switch (e.kind) {
    case OpenError::Missing:
        return QStringLiteral("cannot open %1: the device is missing: %2").arg(device, e.text);
    case OpenError::Busy:
        return QStringLiteral("cannot open %1: the port is busy: %2").arg(device, e.text);
    case OpenError::Permission:
        return QStringLiteral("cannot open %1: permission denied (%2); the user needs to be in "
                              "the dialout group: sudo usermod -aG dialout $USER, then log in "
                              "again")
            .arg(e.device.isEmpty() ? port : e.device, e.text);
    case OpenError::NotSerial:
        return QStringLiteral("cannot open %1: %2").arg(device, e.text);
    default:
        return QStringLiteral("cannot open %1: %2")
            .arg(device, e.text.isEmpty() ? QStringLiteral("unknown error") : e.text);
    }
}

/// Keeps the frame trace for --trace and counts what the frame layer rejected,
/// so a missing reply can be told apart from a noisy one.
class CountingTrace final : public TraceSink {
public:
    explicit CountingTrace(QTextStream *echo) : m_echo(echo) {}
    void insertText(const QString &text) override
    {
        if (m_echo)
            *m_echo << QString(text).remove(QLatin1Char('\r')) << Qt::flush;
    }
    void addLine(const QString &line) override
    {
        if (line == CrcErrorMarker)
            ++crcErrors;
        else if (line == DiscardMarker)
            ++discards;
        if (m_echo)
            *m_echo << line << '\n' << Qt::flush;
    }
    int crcErrors = 0;
    int discards = 0;

private:
    QTextStream *m_echo = nullptr;
};

/// One open line to one sensor: a request goes out, the reply is awaited on
/// an event loop for at most the reply window.
class SensorLine {
public:
    SensorLine(const LinkOptions &options, QTextStream *traceEcho)
        : m_options(options), m_trace(traceEcho)
    {
        m_link.setTrace(&m_trace);
        m_link.setFrameLog(kvtoolFrameLog());
        m_link.setWriter([this](const QByteArray &frame) {
            if (!m_port.WriteString(frame))
                m_writeFailed = true;
            return !m_writeFailed;
        });
        m_link.onReplyAccepted = [this](const QByteArray &reply) { onReply(reply); };
        m_port.OnReadPacket = [this](const char *p, int n, quint32 e) {
            // Our own request handed back by an RS-485 adapter is not received data.
            const qint64 echoed = m_link.echoBytesSkipped();
            m_link.FPortReadPacket(p, n, e);
            m_received += n - (m_link.echoBytesSkipped() - echoed);
        };
        m_port.onLinkLost = [this] {
            m_lost = true;
            if (m_loop)
                m_loop->quit();
        };
    }

    ~SensorLine() { m_port.Close(); }

    /// Opens the port; the reason as text when it cannot be opened.
    std::optional<QString> open()
    {
        const auto com = comNumberOf(m_options.port);
        if (com) {
            auto provider = std::make_unique<PosixDeviceProvider>();
            m_folder = provider->map().folder();
            m_provider = std::move(provider);
        } else {
            m_provider = std::make_unique<PathProvider>(m_options.port);
        }
        m_port.setProvider(m_provider.get());
        m_port.setComNumber(com.value_or(1));
        m_port.setInBufSize(ChunkSize);
        m_port.ComProp().BaudRate = baudRateFor(m_options.baud);
        if (!m_port.Connect()) {
            OpenError e = m_port.lastOpenError();
            if (com && e.kind == OpenError::Missing && e.device == m_port.GetComName(false))
                e.text = QStringLiteral("no link %1 in the port folder %2")
                             .arg(m_port.GetComName(false), m_folder);
            return openFailureText(com ? m_port.GetComName(false) : m_options.port, e);
        }
        m_port.setReadActive(true);
        if (FrameLog *log = kvtoolFrameLog()) {
            const AdapterInfo info = describeDevice(m_port.device()->path());
            log->portOpened(com ? portLabel(*com, info.summary())
                                : m_options.port + (info.description().isEmpty()
                                                        ? QString()
                                                        : QStringLiteral(" — ") +
                                                              info.description()),
                            m_options.baud);
        }
        return std::nullopt;
    }

    /// Closes the port and opens it again at another speed.
    std::optional<QString> reopenAt(int baud)
    {
        m_port.Close();
        m_options.baud = baud;
        m_link.RxBuffer.clear();
        return open();
    }

    /// SIGINT or SIGTERM ends the current and every later wait.
    void interruptOnStopSignals()
    {
        m_signal = std::make_unique<StopSignals>([this] {
            m_interrupted = true;
            if (m_loop)
                m_loop->quit();
        });
    }
    bool interrupted() const { return m_interrupted; }

    struct Exchange {
        QByteArray reply; ///< the accepted reply, lead to CRC; empty when none came
        QString failure;  ///< why there is no reply
        int damaged = 0;  ///< replies with a bad CRC and bytes discarded as noise
    };

    /// Sends command to the sensor and waits for its reply. `address`, when
    /// given, replaces the address of the options, and only a reply from that
    /// address counts; `windowMs` is the time the reply may take.
    Exchange request(quint8 command, const char *name, std::optional<quint8> address = {},
                     int windowMs = ReplyWindowMs)
    {
        m_wanted = command;
        m_wantedAddress = address ? int(*address) : -1;
        m_reply.clear();
        m_received = 0;
        m_otherReplies = 0;
        m_trace.crcErrors = 0;
        m_trace.discards = 0;
        m_writeFailed = false;
        m_link.WriteComand(address.value_or(m_options.address), command);

        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        if (!m_writeFailed && !m_lost && !m_interrupted) {
            m_loop = &loop;
            deadline.start(windowMs);
            loop.exec();
            m_loop = nullptr;
        }

        Exchange x;
        x.reply = m_reply;
        x.damaged = m_trace.crcErrors + m_trace.discards;
        if (!x.reply.isEmpty() || m_interrupted)
            return x;
        const QString what = QStringLiteral("%1 (0x%2)")
                                 .arg(QLatin1String(name), QString::number(command, 16).toUpper());
        if (m_writeFailed) {
            x.failure =
                QStringLiteral("could not write the request %1 to %2").arg(what, m_options.port);
        } else if (m_lost) {
            x.failure = QStringLiteral("the port %1 went away").arg(m_options.port);
        } else {
            x.failure = QStringLiteral("no valid reply to the request %1 from address %2 on %3 "
                                       "within %4 s")
                            .arg(what)
                            .arg(address.value_or(m_options.address))
                            .arg(m_options.port)
                            .arg(windowMs / 1000.0);
            if (m_received == 0)
                x.failure += QStringLiteral(": nothing was received (no sensor on the line, "
                                            "wrong address or wrong speed?)");
            else
                x.failure += QStringLiteral(": %1 bytes received, none a valid reply (%2 with a "
                                            "bad CRC, %3 discarded as noise, %4 for another "
                                            "command; wrong speed or noise on the line?)")
                                 .arg(m_received)
                                 .arg(m_trace.crcErrors)
                                 .arg(m_trace.discards)
                                 .arg(m_otherReplies);
        }
        return x;
    }

    /// Waits ms milliseconds unless a signal or a hang-up comes first.
    void pause(int ms)
    {
        if (ms <= 0 || m_interrupted || m_lost)
            return;
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }

private:
    void onReply(const QByteArray &reply)
    {
        // A frame of the right length and CRC made of noise (nine zero bytes
        // pass the CRC) or a late reply to another request is not the answer.
        if (reply.size() < 4 || quint8(reply[0]) != ReplyLead || quint8(reply[2]) != m_wanted ||
            (m_wantedAddress >= 0 && quint8(reply[1]) != m_wantedAddress)) {
            ++m_otherReplies;
            return;
        }
        m_reply = reply;
        if (m_loop)
            m_loop->quit();
    }

    LinkOptions m_options;
    CountingTrace m_trace;
    std::unique_ptr<DeviceProvider> m_provider;
    QString m_folder;
    TComPort m_port;
    FrameLink m_link;
    std::unique_ptr<StopSignals> m_signal;
    QEventLoop *m_loop = nullptr;
    quint8 m_wanted = 0;
    int m_wantedAddress = -1;
    QByteArray m_reply;
    qint64 m_received = 0;
    int m_otherReplies = 0;
    bool m_writeFailed = false;
    bool m_lost = false;
    bool m_interrupted = false;
};

/// The link layer's own log lines stay quiet unless QT_LOGGING_RULES asks for them.
void quietLinkLog()
{
    QLoggingCategory::setFilterRules(QStringLiteral("kv.link.debug=false\nkv.link.info=false"));
}

int usage(QTextStream &err, const char *command, const char *synopsis, const QString &problem)
{
    err << "kvtool " << command << ": " << problem << "\nusage: kvtool " << command << ' '
        << synopsis << '\n';
    return kExitUsage;
}

bool wantsHelp(const QStringList &args)
{
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

// ---- Identity -----------------------------------------------------------------

/// What identify reports, decoded from READ_PARAM (and, for firmware 8.3 and
/// later, the third mode byte that carries the high resolution bit).
struct Identity {
    QString model;
    int modelCode = 0;
    QString firmware;
    QString serial;
    QString manufactured;
    int address = 0;
    int periodSeconds = 1;
    bool modeReported = false;
    bool periodic = false;
    bool textFormat = false;
    bool averaging = false;
    int resolutionBits = 0;
    int uartSpeed = 0;
};

const int UartSpeeds[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};

QString onOff(bool reported, bool on)
{
    if (!reported)
        return QStringLiteral("n/a");
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

void printIdentity(const Identity &id, bool json, QTextStream &out)
{
    if (json) {
        auto flag = [&](bool on) { return id.modeReported ? QJsonValue(on) : QJsonValue(); };
        QJsonObject o;
        o.insert(QStringLiteral("model"), id.model);
        o.insert(QStringLiteral("model_code"), id.modelCode);
        o.insert(QStringLiteral("firmware"), id.firmware);
        o.insert(QStringLiteral("serial"), id.serial);
        o.insert(QStringLiteral("manufactured"), id.manufactured);
        o.insert(QStringLiteral("address"), id.address);
        o.insert(QStringLiteral("output_period_s"), id.periodSeconds);
        o.insert(QStringLiteral("periodic_output"), flag(id.periodic));
        o.insert(QStringLiteral("text_format"), flag(id.textFormat));
        o.insert(QStringLiteral("averaging"), flag(id.averaging));
        o.insert(QStringLiteral("resolution_bits"),
                 id.modeReported ? QJsonValue(id.resolutionBits) : QJsonValue());
        o.insert(QStringLiteral("uart_speed"),
                 id.modeReported ? QJsonValue(id.uartSpeed) : QJsonValue());
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        return;
    }
    const QString na = QStringLiteral("n/a");
    out << "model: " << id.model << '\n'
        << "model_code: " << id.modelCode << '\n'
        << "firmware: " << id.firmware << '\n'
        << "serial: " << id.serial << '\n'
        << "manufactured: " << id.manufactured << '\n'
        << "address: " << id.address << '\n'
        << "output_period_s: " << id.periodSeconds << '\n'
        << "periodic_output: " << onOff(id.modeReported, id.periodic) << '\n'
        << "text_format: " << onOff(id.modeReported, id.textFormat) << '\n'
        << "averaging: " << onOff(id.modeReported, id.averaging) << '\n'
        << "resolution_bits: " << (id.modeReported ? QString::number(id.resolutionBits) : na)
        << '\n'
        << "uart_speed: " << (id.modeReported ? QString::number(id.uartSpeed) : na) << '\n';
}

} // namespace

int kvtoolIdentify(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        out << "usage: kvtool identify " << IdentifyUsage << '\n';
        return kExitOk;
    }
    LinkOptions o;
    if (const QString problem = parseLinkOptions(args, false, o); !problem.isEmpty())
        return usage(err, "identify", IdentifyUsage, problem);
    quietLinkLog();

    SensorLine line(o, o.trace ? &err : nullptr);
    if (const auto failure = line.open()) {
        err << "kvtool identify: " << *failure << '\n';
        return kExitNoPort;
    }
    const auto param = line.request(CommandTable.READ_PARAM, "READ_PARAM");
    if (param.reply.isEmpty()) {
        err << "kvtool identify: " << param.failure << '\n';
        return kExitNoReply;
    }

    SensorState state;
    const decode::ReadSNResult sn = decode::ReadSN(param.reply, state);
    sn.applyTo(state);
    const decode::ConnectResult conn = decode::Connect(param.reply, state);
    conn.applyTo(state);

    Identity id;
    id.model = sn.edType;
    id.modelCode = sn.modelCode;
    id.firmware = sn.edVersionPo;
    id.serial = sn.meSN;
    id.manufactured = sn.manufactureDate.toString(QStringLiteral("yyyy-MM-dd"));
    id.address = conn.address;
    id.periodSeconds = conn.periodPosition;
    id.modeReported = conn.modeReported;
    id.periodic = conn.periodic;
    id.textFormat = conn.textFormat;
    id.averaging = conn.centre;
    id.resolutionBits = conn.digitData.toInt();
    id.uartSpeed = UartSpeeds[qBound(0, conn.speedIndex, 6)];

    // From firmware 8.3 the output mode byte holds only the low bit of the
    // resolution; 14 and 16 bits need the third mode byte as well.
    if (sn.wideResolution && conn.modeReported) {
        const auto mode3 = line.request(CommandTable.GET_REP_MODE_3, "GET_REP_MODE_3");
        if (mode3.reply.isEmpty()) {
            err << "kvtool identify: " << mode3.failure << '\n';
            return kExitNoReply;
        }
        id.resolutionBits = decode::ReadREPMODE3(mode3.reply, state).digitData.toInt();
    }

    printIdentity(id, o.json, out);
    out.flush();
    return kExitOk;
}

int kvtoolWatch(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        out << "usage: kvtool watch " << WatchUsage << '\n';
        return kExitOk;
    }
    LinkOptions o;
    if (const QString problem = parseLinkOptions(args, true, o); !problem.isEmpty())
        return usage(err, "watch", WatchUsage, problem);
    quietLinkLog();

    SensorLine line(o, o.trace ? &err : nullptr);
    if (const auto failure = line.open()) {
        err << "kvtool watch: " << *failure << '\n';
        return kExitNoPort;
    }
    line.interruptOnStopSignals();

    const NumberFormat fmt(QLatin1Char(','));
    for (int replies = 0; o.count == 0 || replies < o.count;) {
        QElapsedTimer sent;
        sent.start();
        const auto x = line.request(CommandTable.DATA_READ, "DATA_READ");
        if (line.interrupted())
            break;
        if (x.reply.isEmpty()) {
            err << "kvtool watch: " << x.failure << '\n';
            return kExitNoReply;
        }
        const decode::ReadDataResult d = decode::ReadData(x.reply, false, 0, fmt);
        out << "temperature=" << d.temperature << " N=" << d.levelCode << " C=" << d.capacitance
            << '\n';
        out.flush();
        if (++replies == o.count)
            break;
        line.pause(int(o.intervalMs - sent.elapsed()));
        if (line.interrupted())
            break;
    }
    return kExitOk;
}

// ---- Bus scan -------------------------------------------------------------------

namespace {

const char *const ScanUsage = "--port COMn|DEVICE [--speeds BAUD,…|all] [--addresses FROM-TO] "
                              "[--timeout-ms MS] [--trace]";

/// How long a scan waits at one address: the 4-byte request and the 22-byte
/// identity reply on the line (10 bits a character), and 50 ms for the head to
/// turn round. A sensor that answers ends the wait at once.
int scanWindowMs(int baud)
{
    return (26 * 10 * 1000 + baud - 1) / baud + 50;
}

} // namespace

int kvtoolScan(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        out << "usage: kvtool scan " << ScanUsage << '\n';
        return kExitOk;
    }
    LinkOptions o;
    QList<int> speeds{19200};
    int first = 1, last = 254;
    int timeoutMs = 0; // 0: by speed
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (a == QLatin1String("--port")) {
            const auto v = value();
            if (!v || v->isEmpty())
                return usage(err, "scan", ScanUsage, QStringLiteral("--port wants COMn or a device path"));
            o.port = *v;
        } else if (a == QLatin1String("--speeds")) {
            const auto v = value();
            speeds.clear();
            if (v && *v == QLatin1String("all"))
                speeds = QList<int>(std::begin(UartSpeeds), std::end(UartSpeeds));
            else if (v)
                for (const QString &part : v->split(QLatin1Char(','))) {
                    const auto b = parseInt(part.trimmed(), 1, 115200);
                    if (!b || std::find(std::begin(UartSpeeds), std::end(UartSpeeds), *b) ==
                                  std::end(UartSpeeds)) {
                        speeds.clear();
                        break;
                    }
                    if (!speeds.contains(*b))
                        speeds << *b;
                }
            if (speeds.isEmpty())
                return usage(err, "scan", ScanUsage,
                             QStringLiteral("--speeds wants \"all\" or speeds from 2400 4800 "
                                            "9600 19200 38400 57600 115200, e.g. 9600,19200"));
        } else if (a == QLatin1String("--addresses")) {
            const auto v = value();
            const QStringList range = v ? v->split(QLatin1Char('-')) : QStringList();
            const auto from = range.size() == 2 ? parseInt(range[0], 1, 254) : std::nullopt;
            const auto to = range.size() == 2 ? parseInt(range[1], 1, 254) : std::nullopt;
            if (!from || !to || *from > *to)
                return usage(err, "scan", ScanUsage,
                             QStringLiteral("--addresses wants FROM-TO within 1-254"));
            first = *from;
            last = *to;
        } else if (a == QLatin1String("--timeout-ms")) {
            const auto v = value();
            const auto ms = v ? parseInt(*v, 1, 10000) : std::nullopt;
            if (!ms)
                return usage(err, "scan", ScanUsage,
                             QStringLiteral("--timeout-ms wants milliseconds 1..10000"));
            timeoutMs = *ms;
        } else if (a == QLatin1String("--trace")) {
            o.trace = true;
        } else {
            return usage(err, "scan", ScanUsage, QStringLiteral("unexpected argument \"%1\"").arg(a));
        }
    }
    if (o.port.isEmpty())
        return usage(err, "scan", ScanUsage, QStringLiteral("--port is required"));
    quietLinkLog();

    o.baud = speeds.first();
    SensorLine line(o, o.trace ? &err : nullptr);
    if (const auto failure = line.open()) {
        err << "kvtool scan: " << *failure << '\n';
        return kExitNoPort;
    }
    line.interruptOnStopSignals();

    QElapsedTimer took;
    took.start();
    out << QStringLiteral("%1  %2  %3  %4  %5\n")
               .arg(QStringLiteral("address"), QStringLiteral(" serial"),
                    QStringLiteral("firmware"), QStringLiteral(" speed"), QStringLiteral("model"));
    out.flush();
    int found = 0;
    for (int speed : speeds) {
        if (speed != speeds.first()) {
            if (const auto failure = line.reopenAt(speed)) {
                err << "kvtool scan: " << *failure << '\n';
                return kExitNoPort;
            }
        }
        const int window = timeoutMs ? timeoutMs : scanWindowMs(speed);
        // Never the all-devices address: every sensor on the line would answer
        // it at once and the replies would collide.
        for (int address = first; address <= last; ++address) {
            const auto x =
                line.request(CommandTable.READ_PARAM, "READ_PARAM", quint8(address), window);
            if (line.interrupted())
                return kExitFailure;
            if (x.reply.isEmpty()) {
                if (x.damaged > 0)
                    err << "kvtool scan: address " << address << " at " << speed
                        << " bit/s: damaged reply (two sensors with one address, or noise?)\n";
                continue;
            }
            SensorState state;
            const decode::ReadSNResult sn = decode::ReadSN(x.reply, state);
            out << QStringLiteral("%1  %2  %3  %4  %5\n")
                       .arg(address, 7)
                       .arg(sn.meSN, 7)
                       .arg(sn.edVersionPo, 8)
                       .arg(speed, 6)
                       .arg(sn.edType);
            out.flush();
            ++found;
        }
    }
    const double seconds = took.elapsed() / 1000.0;
    if (found == 0) {
        err << "kvtool scan: no sensor answered at addresses " << first << ".." << last
            << " (" << QString::number(seconds, 'f', 1) << " s)\n";
        return kExitNoReply;
    }
    out << found << (found == 1 ? " sensor" : " sensors") << " found in "
        << QString::number(seconds, 'f', 1) << " s\n";
    return kExitOk;
}
