#!/usr/bin/env python3

# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Puts small faults into the computing core one at a time and runs the tests
against each: a fault that no test notices shows where an oracle is weak.

Run it through scripts/mutate.sh; README.md ("Faults put in on purpose") says
what the modes do. It works on a copy of the tree (build-mutate/tree), so the
developer's own files are never changed, and restores the mutated file in that
copy after each fault, on an interrupt too.
"""

import argparse
import concurrent.futures
import fnmatch
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

DEFAULT_FILES = [
    "src/link/frame*.cpp",
    "src/sensor/decode*.cpp",
    "src/tank/ini_file*.cpp",
    "src/tank/protocol_file*.cpp",
    "src/tank/protocol_codec*.cpp",
    "src/tank/recording*.cpp",
    "src/tank/litres*.cpp",
    "src/tank/table_check*.cpp",
    "src/export/protocol_export*.cpp",
    "src/calibration/*.cpp",
]

# The tests that exercise each file, run first for a fault in it. In the
# "room" mode they are the only tests run. The kill test (tst_protocol_kill,
# a minute of SIGKILLs) is left to the rest of the suite: the container, file
# and recording tests see the same faults in seconds.
ROOM_TESTS = {
    "src/link/frame.cpp": "tst_frame_link tst_frame_log tst_virtual_sensor tst_virtual_port "
                          "tst_dispatcher tst_comport",
    "src/link/frame_link.cpp": "tst_frame_link tst_comport tst_frame_log tst_serial_e2e "
                               "tst_dispatcher tst_kvtool_link",
    "src/link/frame_log.cpp": "tst_frame_log tst_frame_link tst_kvtool_link",
    "src/sensor/decode.cpp": "tst_identity_decode tst_live_decode tst_extended_decode "
                             "tst_dispatcher tst_port_search tst_live_view tst_wizard",
    "src/tank/ini_file.cpp": "tst_ini_file tst_protocol_file tst_bad_files "
                             "tst_kvtool_protocol tst_exports",
    "src/tank/protocol_file.cpp": "tst_protocol_file tst_ini_file tst_bad_files "
                                  "tst_kvtool_protocol tst_exports "
                                  "tst_calibration_window",
    "src/tank/protocol_codec.cpp": "tst_protocol_codec tst_protocol_file tst_protocol_window "
                                   "tst_general_data",
    "src/tank/recording.cpp": "tst_recording tst_calibration_window tst_soak",
    "src/tank/litres.cpp": "tst_litres tst_live_view tst_exports",
    "src/tank/table_check.cpp": "tst_table_check tst_table_check_window",
    "src/export/protocol_export.cpp": "tst_exports tst_export_menu tst_kvtool_table",
    "src/calibration/inclinometer.cpp": "tst_inclinometer tst_scale_pages",
    "src/calibration/zero_search.cpp": "tst_zero_search tst_zero_setting_window",
    "src/calibration/probe_length.cpp": "tst_zero_search tst_zero_setting_window",
    "src/calibration/output_scale.cpp": "tst_output_scale tst_scale_pages "
                                        "tst_zero_setting_window",
    "src/calibration/Load_U.cpp": "tst_zero_setting_window tst_accessibility",
    "src/calibration/Property_Zond_U.cpp": "tst_zero_setting_window tst_accessibility",
}

# Statements whose faults change nothing the tests can see: logging, and
# checks that a release build compiles out.
SKIPPED_CALLS = {
    "qCDebug", "qCInfo", "qCWarning", "qCCritical", "qDebug", "qInfo", "qWarning",
    "qCritical", "Q_ASSERT", "Q_ASSERT_X", "static_assert", "Q_UNUSED",
    "Q_LOGGING_CATEGORY", "Q_DECLARE_LOGGING_CATEGORY",
}

OPERATORS = [
    "<<=", ">>=", "->*", "...", "->", "++", "--", "<<", ">>", "<=", ">=", "==", "!=",
    "&&", "||", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "::",
]

# Binary operators with white space on both sides (the formatter's layout, which
# tells them from template brackets, pointers and references).
BINARY = {
    "==": ["!="], "!=": ["=="],
    "<": ["<=", ">="], "<=": ["<", ">"], ">": [">=", "<="], ">=": [">", "<"],
    "&&": ["||"], "||": ["&&"],
    "+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"],
    "+=": ["-="], "-=": ["+="],
    "&": ["|"], "|": ["&"], "^": ["|"],
    "<<": [">>"], ">>": ["<<"],
}

NUMBER = re.compile(
    r"(0[xX][0-9a-fA-F']+|[0-9][0-9']*(\.[0-9']*)?([eE][+-]?[0-9]+)?|\.[0-9]+([eE][+-]?[0-9]+)?)"
    r"[uUlLfF]*")
IDENT = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
RAW_STRING = re.compile(r'(?:u8|u|U|L)?R"([^()\\ ]{0,16})\(')


def tokens(text):
    """The code tokens of a C++ source as (kind, text, start, end): comments,
    string and character literals and preprocessor lines are left out."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if line_start and c == "#":
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    i += 1
                i += 1
            continue
        line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
            continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
            continue
        m = RAW_STRING.match(text, i)
        if m and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            end = text.find(")" + m.group(1) + '"', m.end())
            i = n if end < 0 else end + len(m.group(1)) + 2
            continue
        if c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            i = j + 1
            continue
        m = NUMBER.match(text, i)
        if c.isdigit() or (c == "." and m and m.end() > i + 1):
            out.append(("number", m.group(0), i, m.end()))
            i = m.end()
            continue
        m = IDENT.match(text, i)
        if m:
            out.append(("ident", m.group(0), i, m.end()))
            i = m.end()
            continue
        for op in OPERATORS:
            if text.startswith(op, i):
                break
        else:
            op = c
        out.append(("op", op, i, i + len(op)))
        i += len(op)
    return out


def skipped_spans(toks):
    """Token index ranges of statements made by SKIPPED_CALLS, to their ';'."""
    spans = []
    k = 0
    while k < len(toks):
        if toks[k][0] == "ident" and toks[k][1] in SKIPPED_CALLS:
            depth = 0
            j = k
            while j < len(toks):
                t = toks[j][1]
                if t in "([{":
                    depth += 1
                elif t in ")]}":
                    depth -= 1
                    if depth < 0:
                        break
                elif t == ";" and depth <= 0:
                    break
                j += 1
            spans.append((k, j))
            k = j
        k += 1
    return spans


def bumped(literal):
    """The literal one larger, or None where that is not a plain number."""
    m = re.fullmatch(r"(0[xX])([0-9a-fA-F]+)([uUlL]*)", literal)
    if m:
        width = len(m.group(2))
        return m.group(1) + format(int(m.group(2), 16) + 1, "0%dX" % width) + m.group(3)
    m = re.fullmatch(r"([0-9]+)([uUlL]*)", literal)
    if m:
        return str(int(m.group(1)) + 1) + m.group(2)
    m = re.fullmatch(r"([0-9]+)\.([0-9]*)([fF]?)", literal)
    if m:
        return str(int(m.group(1)) + 1) + "." + m.group(2) + m.group(3)
    return None


def candidates(path, text):
    """Every fault this script can put into one file, in the order of the text:
    dicts with the file, the span replaced, the replacement and its line."""
    toks = tokens(text)
    skipped = skipped_spans(toks)
    out = []

    def add(start, end, new):
        line = text.count("\n", 0, start) + 1
        col = start - (text.rfind("\n", 0, start) + 1) + 1
        out.append({"file": path, "start": start, "end": end, "old": text[start:end],
                    "new": new, "line": line, "col": col})

    def spaced(start, end):
        return (start > 0 and text[start - 1].isspace() and end < len(text)
                and text[end].isspace())

    for k, (kind, tok, start, end) in enumerate(toks):
        if any(a <= k <= b for a, b in skipped):
            continue
        prev = toks[k - 1][1] if k > 0 else ""
        nxt = toks[k + 1][1] if k + 1 < len(toks) else ""
        if kind == "op" and tok in BINARY and spaced(start, end):
            # "a < b" but not "template <typename T>" or "operator<<".
            if tok in ("<", ">") and prev in ("template", "operator"):
                continue
            for new in BINARY[tok]:
                add(start, end, new)
        elif kind == "op" and tok == "!" and nxt not in ("=",):
            add(start, end, "")
        elif kind == "ident" and tok in ("true", "false"):
            add(start, end, "false" if tok == "true" else "true")
        elif kind == "number":
            # Not the numbers of array sizes, template arguments and case
            # labels, which mostly stop the build.
            if (prev in ("[", "<") and nxt in ("]", ">", ",")) or prev == "case":
                continue
            new = bumped(tok)
            if new is not None:
                add(start, end, new)
    return out


def describe(m, text):
    """The mutated line as the reader sees it: before → after."""
    a = text.rfind("\n", 0, m["start"]) + 1
    b = text.find("\n", m["end"])
    b = len(text) if b < 0 else b
    before = text[a:b].strip()
    after = (text[a:m["start"]] + m["new"] + text[m["end"]:b]).strip()
    return "%s  %s  =>  %s" % (spec_of(m), before, after)


def spec_of(m):
    return "%s:%d:%d:%s" % (m["file"], m["line"], m["col"], m["new"])


# ---- The copy of the tree -------------------------------------------------------

def sync_tree(tree):
    """Copies the working tree's files that git knows (as they are on disk, edits
    included) into tree, writing only those whose content differs so that the
    build stays incremental; removes files that are no longer there."""
    listed = subprocess.run(
        ["git", "-C", ROOT, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        check=True, capture_output=True).stdout.decode().split("\0")
    wanted = set()
    for rel in listed:
        if not rel or not os.path.isfile(os.path.join(ROOT, rel)):
            continue
        wanted.add(rel)
        src = os.path.join(ROOT, rel)
        dst = os.path.join(tree, rel)
        with open(src, "rb") as f:
            data = f.read()
        try:
            with open(dst, "rb") as f:
                same = f.read() == data
        except OSError:
            same = False
        if not same:
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            with open(dst, "wb") as f:
                f.write(data)
            shutil.copymode(src, dst)
    for base, _dirs, files in os.walk(tree):
        for name in files:
            rel = os.path.relpath(os.path.join(base, name), tree)
            if rel not in wanted:
                os.remove(os.path.join(base, name))


# ---- Building and testing ---------------------------------------------------------

class Runner:
    def __init__(self, build, jobs, log):
        self.build = build
        self.jobs = jobs
        self.log = log
        self.live = set()
        self.lock = threading.Lock()

    def cmake_build(self):
        r = subprocess.run(["cmake", "--build", self.build, "-j", str(self.jobs)],
                           capture_output=True, text=True)
        return r.returncode == 0, r.stdout + r.stderr

    def list_tests(self):
        r = subprocess.run(["ctest", "--show-only=json-v1"], cwd=self.build, check=True,
                           capture_output=True, text=True)
        tests = {}
        for t in json.loads(r.stdout)["tests"]:
            props = {p["name"]: p["value"] for p in t.get("properties", [])}
            env = dict(os.environ)
            for kv in props.get("ENVIRONMENT", []):
                k, _, v = kv.partition("=")
                env[k] = v
            tests[t["name"]] = {"command": t["command"], "env": env,
                                "cwd": props.get("WORKING_DIRECTORY", self.build)}
        return tests

    def run_one(self, name, test, timeout):
        began = time.monotonic()
        p = subprocess.Popen(test["command"], cwd=test["cwd"], env=test["env"],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             stdin=subprocess.DEVNULL, start_new_session=True)
        with self.lock:
            self.live.add(p)
        try:
            out, _ = p.communicate(timeout=timeout)
            verdict = "passed" if p.returncode == 0 else (
                "failed" if p.returncode > 0 else "crashed (signal %d)" % -p.returncode)
        except subprocess.TimeoutExpired:
            self.kill(p)
            out, _ = p.communicate()
            verdict = "timed out after %d s" % timeout
        finally:
            with self.lock:
                self.live.discard(p)
        text = out.decode(errors="replace")
        fails = [ln[9:].strip() for ln in text.splitlines() if ln.startswith("FAIL!  : ")]
        return name, verdict, fails, text, time.monotonic() - began

    @staticmethod
    def kill(p):
        try:
            os.killpg(p.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass

    def kill_all(self):
        with self.lock:
            for p in list(self.live):
                self.kill(p)

    def run_tests(self, names, tests, timeouts):
        """Runs the tests in parallel; returns {name: (verdict, fails, output, s)}."""
        results = {}
        with concurrent.futures.ThreadPoolExecutor(self.jobs) as pool:
            futures = [pool.submit(self.run_one, n, tests[n], timeouts.get(n, 300))
                       for n in names]
            for f in concurrent.futures.as_completed(futures):
                name, verdict, fails, text, secs = f.result()
                results[name] = (verdict, fails, text, secs)
        return results


def object_of(build, rel):
    for base, _dirs, files in os.walk(os.path.join(build, "CMakeFiles")):
        if os.path.basename(rel) + ".o" in files and base.endswith(os.path.dirname(rel)):
            return os.path.join(base, os.path.basename(rel) + ".o")
    return None


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def room_tests(rel, all_tests):
    listed = ROOM_TESTS.get(rel, "").split()
    return [t for t in listed if t in all_tests]


def main():
    ap = argparse.ArgumentParser(prog="scripts/mutate.sh", description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("count", nargs="?", type=int, default=20,
                    help="how many faults that build (default 20)")
    ap.add_argument("files", nargs="*", help="source files (default: the core's)")
    ap.add_argument("--seed", type=int, default=int(os.environ.get("KV_MUTATE_SEED", "1")))
    ap.add_argument("--tests", choices=["suite", "room"],
                    default=os.environ.get("KV_MUTATE_TESTS", "suite"))
    ap.add_argument("--jobs", type=int, default=int(os.environ.get("KV_MUTATE_JOBS", "2")))
    ap.add_argument("--only", action="append", default=[], metavar="FILE:LINE:COL:NEW",
                    help="run just this fault (as the run prints it); may be repeated")
    ap.add_argument("--list", action="store_true", help="print the faults, run nothing")
    ap.add_argument("--resume", action="store_true",
                    help="go on with a stopped run (the same N, seed and files): the faults "
                         "with a verdict in results.tsv are not run again")
    ap.add_argument("--recheck", action="store_true",
                    help="run again the faults the last run did not notice; the summary "
                         "covers the whole last run")
    args = ap.parse_args()

    work = os.path.abspath(os.environ.get("KV_MUTATE_DIR", os.path.join(ROOT, "build-mutate")))
    tree = os.path.join(work, "tree")
    build = os.path.join(work, "build")
    logs = os.path.join(work, "logs")
    patterns = args.files or DEFAULT_FILES

    kept = []  # the last run's verdicts that are kept: (verdict, spec, label, tests)
    rows = []
    if args.recheck or args.resume:
        try:
            with open(os.path.join(work, "results.tsv"), encoding="utf-8") as f:
                rows = [ln.rstrip("\n").split("\t") for ln in f if ln.strip()]
        except OSError:
            sys.exit("mutate: no earlier run in %s to go on with" % work)
    if args.resume:
        kept = rows
    if args.recheck:
        args.only += [r[1] for r in rows if r[0] == "unnoticed"]
        kept = [r for r in rows if r[0] != "unnoticed"]
        if not args.only:
            print("mutate: the last run noticed every fault; nothing to recheck")
            return 0
    if args.only and not args.files:
        patterns = sorted({spec.split(":")[0] for spec in args.only})

    files = sorted({os.path.relpath(os.path.join(base, f), ROOT)
                    for base, _d, fs in os.walk(os.path.join(ROOT, "src")) for f in fs
                    if any(fnmatch.fnmatch(os.path.relpath(os.path.join(base, f), ROOT), p)
                           for p in patterns)})
    if not files:
        sys.exit("mutate: no source file matches %s" % " ".join(patterns))

    texts = {}
    pool = []
    for rel in files:
        with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
            texts[rel] = f.read()
        pool.extend(candidates(rel, texts[rel]))

    # The seeded order picks the faults; a fault that does not build gives its
    # place to the next one of the same file, so the file's share stays.
    order = list(range(len(pool)))
    random.Random(args.seed).shuffle(order)
    if args.only:
        by_spec = {spec_of(m): m for m in pool}
        missing = [s for s in args.only if s not in by_spec]
        if missing:
            sys.exit("mutate: no such fault in the current sources: %s" % ", ".join(missing))
        chosen = [by_spec[s] for s in args.only]
        reserve = {}
    else:
        chosen = [pool[i] for i in order[:args.count]]
        reserve = {}
        for i in order[args.count:]:
            reserve.setdefault(pool[i]["file"], []).append(pool[i])
    chosen.sort(key=lambda m: (m["file"], m["start"], m["new"]))

    if args.list:
        for m in chosen:
            print(describe(m, texts[m["file"]]))
        print("%d faults of %d possible in %d files (seed %d)"
              % (len(chosen), len(pool), len(files), args.seed))
        return 0

    os.makedirs(tree, exist_ok=True)
    os.makedirs(logs, exist_ok=True)
    print("mutate: copying the tree to %s" % tree, flush=True)
    sync_tree(tree)
    if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
        gen = ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", tree, "-B", build] + gen + [
            "-DCMAKE_BUILD_TYPE=Release", "-DKV_BENCHMARKS=OFF", "-DKV_SHARED_LIBS=ON",
            "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON"], check=True, stdout=subprocess.DEVNULL)

    runner = Runner(build, args.jobs, logs)
    print("mutate: building the unchanged tree", flush=True)
    ok, out = runner.cmake_build()
    if not ok:
        print(out[-4000:])
        sys.exit("mutate: the unchanged tree does not build")
    tests = runner.list_tests()
    originals = {}
    for rel in {m["file"] for m in chosen}:
        obj = object_of(build, rel)
        originals[rel] = digest(obj) if obj else None

    if args.tests == "room":
        wanted = sorted({t for m in chosen for t in room_tests(m["file"], tests)})
    else:
        wanted = sorted(tests)
    print("mutate: running %d tests on the unchanged tree" % len(wanted), flush=True)
    began = time.monotonic()
    base = runner.run_tests(wanted, tests, {})
    slowest = sorted(base.items(), key=lambda kv: -kv[1][3])[:5]
    print("mutate: %.0f s; slowest: %s" % (time.monotonic() - began, ", ".join(
        "%s %.0f s" % (n, r[3]) for n, r in slowest)), flush=True)
    broken = sorted(n for n, r in base.items() if r[0] != "passed")
    for n in broken:
        print("mutate: %s fails without a fault (%s); left out of the run" % (n, base[n][0]))
    timeouts = {n: int(max(30, 4 * r[3] + 15)) for n, r in base.items()}
    usable = [n for n in wanted if n not in broken]

    current = {"file": None}

    def restore():
        rel = current["file"]
        if rel:
            with open(os.path.join(tree, rel), "w", encoding="utf-8") as f:
                f.write(texts[rel])
            current["file"] = None

    def on_signal(signum, _frame):
        raise KeyboardInterrupt("signal %d" % signum)

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)

    results = []
    counts = {"noticed": 0, "unnoticed": 0, "same": 0, "nobuild": 0}
    # The verdicts go to results.tsv as they come, so a stopped run keeps them.
    record = open(os.path.join(work, "results.tsv"), "w", encoding="utf-8")
    for row in kept:
        record.write("\t".join(row) + "\n")
        counts[row[0]] += 1
    done = sum(1 for row in kept if row[0] != "nobuild")
    record.flush()

    def note(m, verdict, failed):
        results.append((m, verdict, failed))
        counts[verdict] += 1
        record.write("%s\t%s\t%s\t%s\n" % (verdict, spec_of(m), describe(m, texts[m["file"]]),
                                           " ".join(failed)))
        record.flush()
    began = time.monotonic()
    decided = {row[1] for row in kept}
    queue = [m for m in chosen if spec_of(m) not in decided]
    total = done + len(queue)
    try:
        while queue:
            m = queue.pop(0)
            rel = m["file"]
            text = texts[rel]
            label = describe(m, text)
            current["file"] = rel
            with open(os.path.join(tree, rel), "w", encoding="utf-8") as f:
                f.write(text[:m["start"]] + m["new"] + text[m["end"]:])
            ok, out = runner.cmake_build()
            if not ok:
                counts["nobuild"] += 1
                restore()
                record.write("nobuild\t%s\t%s\t\n" % (spec_of(m), label))
                record.flush()
                spare = [c for c in reserve.get(rel, []) if spec_of(c) not in decided]
                if spare:
                    reserve[rel].remove(spare[0])
                    queue.insert(0, spare[0])
                print("[ ---- ] does not build, replaced: %s" % label, flush=True)
                continue
            done += 1
            head = "[%3d/%d]" % (done, total)
            obj = object_of(build, rel)
            if obj and originals.get(rel) and digest(obj) == originals[rel]:
                print("%s %s\n         same object code (changes nothing)" % (head, label),
                      flush=True)
                note(m, "same", [])
                restore()
                continue
            first = [t for t in room_tests(rel, tests) if t in usable]
            res = runner.run_tests(first, tests, timeouts)
            failed = sorted(n for n, r in res.items() if r[0] != "passed")
            if not failed and args.tests == "suite":
                rest = [t for t in usable if t not in first]
                res.update(runner.run_tests(rest, tests, timeouts))
                failed = sorted(n for n, r in res.items() if r[0] != "passed")
            if failed:
                why = []
                for n in failed:
                    verdict, fails, output, _s = res[n]
                    why.append(n + (" (%s)" % fails[0] if fails else
                                    (" (%s)" % verdict if verdict != "failed" else "")))
                    with open(os.path.join(logs, "%03d-%s.log" % (done, n)), "w") as f:
                        f.write(label + "\n\n" + output[-20000:])
                print("%s %s\n         noticed by %s" % (head, label, "; ".join(why)),
                      flush=True)
                note(m, "noticed", failed)
            else:
                print("%s %s\n         NOT NOTICED (%d tests ran)" % (head, label, len(res)),
                      flush=True)
                note(m, "unnoticed", [])
            restore()
    except KeyboardInterrupt:
        runner.kill_all()
        restore()
        print("\nmutate: interrupted; %s restored in the copy" % "the mutated file",
              flush=True)
        raise SystemExit(130)
    finally:
        restore()

    record.close()
    run = counts["noticed"] + counts["unnoticed"]
    unnoticed = [row[2] for row in kept if row[0] == "unnoticed"]
    unnoticed += [describe(m, texts[m["file"]]) for m, v, _ in results if v == "unnoticed"]
    if unnoticed:
        print("\nnot noticed:")
        for label in unnoticed:
            print("  " + label)
    minutes = (time.monotonic() - began) / 60
    print("\nmutate: %d faults (seed %d, tests: %s, %.0f min%s): %d noticed, %d not noticed "
          "(%.1f %% of those run noticed); %d same object code, %d did not build (replaced)"
          % (run + counts["same"], args.seed, args.tests, minutes,
             ", %d rechecked" % len(chosen) if args.recheck else "", counts["noticed"],
             counts["unnoticed"], 100.0 * counts["noticed"] / run if run else 0.0,
             counts["same"], counts["nobuild"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
