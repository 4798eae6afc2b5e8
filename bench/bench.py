#!/usr/bin/env python3
"""Lookups per second against NSD on 127.0.0.1:53, side by side.

Run by bench/run.sh inside the private network namespace, with NSD serving
bench/bench.test.zone. Every round asks for the same names (type A, class
ANY, no EDNS) with:
  floor    bench/floor: a fresh UDP socket per query, no decoding, no printing
  kestrel  fed "server 127.0.0.1", the names and "exit"; output to a file
  kdig     all the names on one command line, +noedns
  drill    one process per name from a shell loop, over a sample of the names
and prints the medians of wall and CPU time per lookup, the ratios to the
floor and to kestrel, and each tool's peak resident set (GNU time -v). A run
in which any tool missed an answer is void: the script says so and fails.
With --cpu every tool runs on that one CPU, where run.sh has put NSD.
"""
import argparse
import atexit
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

SERVER = "127.0.0.1"
SETTLE_S = 0.2  # pause before each timed run
RUN_LIMIT_S = 120  # no single run may take longer; it is killed and the benchmark is void


class Void(Exception):
    pass


CPU = None  # the CPU every tool runs on (as NSD does), or None


def pin():
    if CPU is not None:
        os.sched_setaffinity(0, {CPU})


def timed_run(argv, stdin_path, stdout_path):
    """Runs argv, standard input and output redirected to files. Returns
    (wall seconds, CPU seconds of the process and its waited-for children,
    exit status)."""
    with open(stdin_path, "rb") as fin, open(stdout_path, "wb") as fout:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdin=fin, stdout=fout, stderr=subprocess.DEVNULL, preexec_fn=pin)
        timer = threading.Timer(RUN_LIMIT_S, proc.kill)
        timer.start()
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        timer.cancel()
        proc.returncode = os.waitstatus_to_exitcode(status)
    return wall, usage.ru_utime + usage.ru_stime, proc.returncode


def verdict(met, void):
    return "void" if void else "met" if met else "MISSED"


def read(path):
    with open(path, encoding="latin-1") as f:
        return f.read()


# ---- the tools: command, input, and the check that every name was answered ----

def floor_run(args, names, work):
    return [args.floor, SERVER], names["all_file"]


def floor_check(out, names):
    expected = "answered %d of %d" % (len(names["all"]), len(names["all"]))
    if out.strip() != expected:
        raise Void("floor: %r, expected %r" % (out.strip(), expected))


def kestrel_run(args, names, work):
    return [args.kestrel], names["kestrel_file"]


def kestrel_check(out, names):
    asked = re.findall(r"^\tNAME=(\S+), TYPE=A, CLASS=ANY$", out, re.M)
    addresses = out.count("\tinternet address = ")
    failed = out.count("No answer or error occur")
    if sorted(asked) != sorted(names["all"]) or addresses != len(names["all"]) or failed:
        raise Void("kestrel: %d questions, %d addresses, %d failures for %d names"
                   % (len(asked), addresses, failed, len(names["all"])))


def kdig_run(args, names, work):
    return ["kdig", "@" + SERVER, "+noedns", "-t", "A", "-c", "ANY"] + names["all"], "/dev/null"


def kdig_check(out, names):
    check_dig_like("kdig", out, names["all"], r"^;; ->>HEADER<<- opcode: QUERY; status: NOERROR",
                   r"^;; Flags: qr[^;]*; QUERY: 1; ANSWER: 1;")


def drill_run(args, names, work):
    loop = 'while read -r n; do drill "$n" @%s A ANY || exit 1; done' % SERVER
    return ["sh", "-c", loop], names["sample_file"]


def drill_check(out, names):
    check_dig_like("drill", out, names["sample"], r"^;; ->>HEADER<<- opcode: QUERY, rcode: NOERROR",
                   r"^;; flags: qr[^;]*; QUERY: 1, ANSWER: 1,")


def check_dig_like(tool, out, expected, status_re, counts_re):
    ok = len(re.findall(status_re, out, re.M))
    counted = len(re.findall(counts_re, out, re.M))
    owners = re.findall(r"^(host\d+\.bench\.test)\.\s+\d+\s+IN\s+A\s+10\.", out, re.M)
    if ok != len(expected) or counted != len(expected) or sorted(owners) != sorted(expected):
        raise Void("%s: %d NOERROR, %d with one answer, %d addresses for %d names"
                   % (tool, ok, counted, len(owners), len(expected)))


TOOLS = [
    ("floor", floor_run, floor_check, "all"),
    ("kestrel", kestrel_run, kestrel_check, "all"),
    ("kdig", kdig_run, kdig_check, "all"),
    ("drill", drill_run, drill_check, "sample"),
]


def peak_rss_kb(argv, stdin_path, work):
    """Maximum resident set size in kB that GNU time -v reports for argv (for
    a shell loop, the largest of the processes it waited for)."""
    report = os.path.join(work, "time.txt")
    with open(stdin_path, "rb") as fin:
        subprocess.run(["/usr/bin/time", "-v", "-o", report] + argv, stdin=fin,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=RUN_LIMIT_S)
    m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", read(report))
    return int(m.group(1)) if m else None


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--kestrel", required=True)
    p.add_argument("--floor", required=True)
    p.add_argument("--names", type=int, default=2000)
    p.add_argument("--sample", type=int, default=200, help="names asked by drill")
    p.add_argument("--rounds", type=int, default=11)
    p.add_argument("--tools", default="floor,kestrel,kdig,drill",
                   help="comma-separated; the floor and kestrel always run")
    p.add_argument("--cpu", default="none",
                   help="run every tool on this CPU (NSD should run there too), or none")
    p.add_argument("--verbose", action="store_true", help="print the wall time of every round")
    args = p.parse_args()
    global CPU
    CPU = None if args.cpu == "none" else int(args.cpu)
    chosen = set(args.tools.split(",")) | {"floor", "kestrel"}
    tools = [t for t in TOOLS if t[0] in chosen]
    if not 1 <= args.rounds <= 100 or not 1 <= args.sample <= args.names <= 2000:
        sys.exit("bench.py: rounds 1-100, 1 <= sample <= names <= 2000")

    # Outputs go to memory (tmpfs) where there is one: rewriting files of
    # some 700 kB on a disk every round brings in the disk's own delays.
    work = tempfile.mkdtemp(prefix="kestrel-bench.", dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
    atexit.register(shutil.rmtree, work, True)
    names = {"all": ["host%04d.bench.test" % i for i in range(1, args.names + 1)]}
    step = args.names // args.sample
    names["sample"] = names["all"][::step][:args.sample]
    for key, lines in (("all_file", names["all"]),
                       ("sample_file", names["sample"]),
                       ("kestrel_file", ["server " + SERVER] + names["all"] + ["exit"])):
        names[key] = os.path.join(work, key)
        with open(names[key], "w") as f:
            f.write("\n".join(lines) + "\n")

    walls = {t[0]: [] for t in tools}
    cpus = {t[0]: [] for t in tools}
    void = []
    # Round 0 warms caches and is not counted. The tools take turns within a
    # round in an order shuffled anew each round (the same in every run of the
    # benchmark), so that none always follows the same one, after a short
    # pause. drill's rounds come last, in a phase of their own: its hundreds of
    # short processes leave the machine slower for a while, and whatever ran
    # right after them would pay for it.
    order = random.Random(7)
    phases = [[t for t in tools if t[0] != "drill"], [t for t in tools if t[0] == "drill"]]
    for phase in phases:
        for rnd in range(args.rounds + 1 if phase else 0):
            turn = list(phase)
            order.shuffle(turn)
            for tool, run, check, which in turn:
                time.sleep(SETTLE_S)
                argv, stdin_path = run(args, names, work)
                out_path = os.path.join(work, tool + ".out")
                wall, cpu, status = timed_run(argv, stdin_path, out_path)
                try:
                    check(read(out_path), names)
                    if status != 0:
                        raise Void("%s: exit status %d" % (tool, status))
                except Void as e:
                    void.append("round %d: %s" % (rnd, e))
                if rnd > 0:
                    count = len(names[which])
                    walls[tool].append(wall / count * 1e6)
                    cpus[tool].append(cpu / count * 1e6)

    rss = {}
    for tool, run, _, _ in tools:
        argv, stdin_path = run(args, names, work)
        rss[tool] = peak_rss_kb(argv, stdin_path, work)

    wall = {t: statistics.median(v) for t, v in walls.items()}
    cpu = {t: statistics.median(v) for t, v in cpus.items()}
    print("%d names (drill: %d, scaled per lookup), type A, class ANY, no EDNS, NSD on %s;"
          % (args.names, len(names["sample"]), SERVER))
    print("medians of %d rounds after one warm-up round; times in microseconds per lookup;" % args.rounds)
    print("NSD and the tools on %s." % ("CPU %d" % CPU if CPU is not None else "any CPU"))
    print()
    print("| tool    | wall µs | CPU µs | wall ÷ floor | wall ÷ kestrel | CPU ÷ floor | CPU ÷ kestrel | peak RSS kB |")
    print("|---------|--------:|-------:|-------------:|---------------:|------------:|--------------:|------------:|")
    for tool, _, _, _ in tools:
        print("| %-7s | %7.1f | %6.1f | %12.2f | %14.2f | %11.2f | %13.2f | %11s |" % (
            tool, wall[tool], cpu[tool], wall[tool] / wall["floor"], wall[tool] / wall["kestrel"],
            cpu[tool] / cpu["floor"], cpu[tool] / cpu["kestrel"], rss[tool] if rss[tool] else "?"))
    print()
    spread = {t: (min(v), max(v)) for t, v in walls.items()}
    if args.verbose:
        for t, v in walls.items():
            print("%-7s wall per round: %s" % (t, " ".join("%.1f" % x for x in v)))
    print("wall range over the rounds: " + ", ".join(
        "%s %.1f-%.1f" % (t, lo, hi) for t, (lo, hi) in spread.items()))
    # The tools of one round ran within a second of each other: the median of
    # the per-round ratios is less exposed to other load on the machine.
    paired = statistics.median(k / f for k, f in zip(walls["kestrel"], walls["floor"]))
    print("kestrel wall ÷ floor, median of the per-round ratios: %.2f (target at most 1.08): %s"
          % (paired, verdict(paired <= 1.08, void)))
    print("kestrel wall ÷ floor, ratio of the medians: %.2f" % (wall["kestrel"] / wall["floor"]))
    if rss["kestrel"]:
        print("kestrel peak RSS %d kB (target at most 2048): %s" % (rss["kestrel"], verdict(rss["kestrel"] <= 2048, void)))
    if "kdig" in wall:
        to_kdig = wall["kestrel"] / wall["kdig"]
        print("kestrel wall ÷ kdig  %.2f (target at most 0.80): %s" % (to_kdig, verdict(to_kdig <= 0.80, void)))
    if void:
        print()
        print("VOID: answers were missing")
        for line in void:
            print("  " + line)
        return 1
    print("every tool got every answer in every round")
    return 0


if __name__ == "__main__":
    sys.exit(main())
