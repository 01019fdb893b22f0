// SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// kvtool: the headless client. Each subcommand lives in a file of its own
// (kvtool_protocol.cpp, kvtool_link.cpp) and is listed in the dispatch
// table of kvtool.cpp.

#include <QStringList>
#include <QTextStream>

#include <optional>

/// Exit statuses shared by the subcommands.
enum KvtoolExit {
    kExitOk = 0,
    kExitFailure = 1,
    kExitUsage = 2,
    kExitIo = 3,
    kExitNotProtocol = 4,
    kExitDamaged = 5,
    kExitNoReply = 2, ///< no valid reply from the sensor within 1 s
    kExitNoPort = 3,  ///< the serial port cannot be opened
};

struct ProtocolStatus;
struct ExportData;
class FrameLog;

/// The frame log asked for with --log-frames FILE; nullptr without one. The
/// commands that talk to a sensor log every frame into it.
FrameLog *kvtoolFrameLog();

/// The exit status of a protocol that was read: kExitOk (its notes printed),
/// or the refusal, damage or I/O failure told on `err` with its status.
int protocolExit(const ProtocolStatus &st, QTextStream &err);

/// --max-points K / --max-error LITRES of table and wlp.
struct ThinningOptions {
    std::optional<int> maxPoints;
    std::optional<double> maxError;
};
/// Takes the thinning options out of `args`; the problem with them, or empty.
QString takeThinningOptions(QStringList &args, ThinningOptions &o);
/// Thins the telematics table of `data` as asked and tells on `err` how many
/// points it kept and the largest litre difference (litres and per cent of
/// the table's top); nothing without an option.
void thinAndTell(ExportData &data, const ThinningOptions &o, QTextStream &err);

struct KvtoolCommand {
    const char *name;
    const char *usage;   ///< arguments after the name, for --help
    const char *summary; ///< one line for --help
    int (*run)(const QStringList &args, QTextStream &out, QTextStream &err);
};

/// kvtool protocol FILE [--json]
int kvtoolProtocol(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool xlsx PROTOCOL [--autosave-points] [-o FILE]
int kvtoolXlsx(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool report PROTOCOL [-o FILE.odt|FILE.pdf]
int kvtoolReport(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool wlp PROTOCOL [--integer-levels] [--prefix TEXT] [--suffix TEXT] [--max-points K|--max-error L] [-o FILE]
int kvtoolWlp(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool table PROTOCOL [--format csv|json] [--decimal-comma] [--max-points K|--max-error L] [-o FILE|-]
int kvtoolTable(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool check PROTOCOL [--filling|--draining] [--range-top N]
int kvtoolCheck(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool tank SHAPE [dimensions] [--step MM] [--levels N0:N1] [--format csv|json] [-o FILE|-]
int kvtoolTank(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool compare PROTOCOL OTHER
int kvtoolCompare(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool identify --port COMn|DEVICE [--speed BAUD] [--address A] [--json] [--trace]
int kvtoolIdentify(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool watch --port COMn|DEVICE [--speed BAUD] [--address A] [--count N] [--interval-ms MS]
int kvtoolWatch(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool ports [--json]
int kvtoolPorts(const QStringList &args, QTextStream &out, QTextStream &err);
/// kvtool scan --port COMn|DEVICE [--speeds BAUD,…|all] [--addresses FROM-TO] [--timeout-ms MS]
int kvtoolScan(const QStringList &args, QTextStream &out, QTextStream &err);
