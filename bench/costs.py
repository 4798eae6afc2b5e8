#!/usr/bin/env python3
"""What one more lookup costs, and what a start and an exit cost.

Run by bench/run.sh inside the private network namespace, with NSD serving
bench/bench.test.zone on 127.0.0.1:53.
  Instructions per additional lookup: valgrind's callgrind counts the user-space
    instructions (shared libraries included) of kestrel fed N names and of
    kestrel fed none; the difference over N is the cost of one more lookup. The
    count is exact: the same binary and input give the same figure.
  Start-up and exit: kestrel fed "exit", against bench/prompt.c (a C program
    that prints a line and reads one): the instructions of each, and the
    median wall time of one run of each over many runs, taken in turns.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

TARGET_PER_LOOKUP = 4000


def instructions(argv, stdin_text):
    """The instructions callgrind counts for argv fed stdin_text."""
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] + argv,
                       input=stdin_text.encode(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       check=True, timeout=600)
        with open(out) as f:
            return int(re.search(r"^summary: (\d+)", f.read(), re.M).group(1))


def wall_us(argv, stdin_text):
    start = time.perf_counter()
    subprocess.run(argv, input=stdin_text.encode(), stdout=subprocess.DEVNULL, check=True)
    return (time.perf_counter() - start) * 1e6


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--kestrel", required=True)
    p.add_argument("--prompt", required=True)
    p.add_argument("--names", type=int, default=200)
    p.add_argument("--runs", type=int, default=300)
    args = p.parse_args()

    names = ["host%04d.bench.test" % i for i in range(1, args.names + 1)]
    batch = "server 127.0.0.1\n" + "".join(n + "\n" for n in names) + "exit\n"
    none = "server 127.0.0.1\nexit\n"
    many_count = instructions([args.kestrel], batch)
    none_count = instructions([args.kestrel], none)
    per_lookup = (many_count - none_count) / args.names
    print("instructions per additional lookup (callgrind, %d lookups minus none): %.0f (target at most %d): %s"
          % (args.names, per_lookup, TARGET_PER_LOOKUP, "met" if per_lookup <= TARGET_PER_LOOKUP else "MISSED"))

    start_k = instructions([args.kestrel], "exit\n")
    start_c = instructions([args.prompt], "exit\n")
    walls_k, walls_c = [], []
    for _ in range(args.runs):
        walls_k.append(wall_us([args.kestrel], "exit\n"))
        walls_c.append(wall_us([args.prompt], "exit\n"))
    wk, wc = statistics.median(walls_k), statistics.median(walls_c)
    print("start-up and exit: kestrel %d instructions, %.0f µs; the C program %d instructions, %.0f µs;"
          % (start_k, wk, start_c, wc))
    print("  ratios: instructions %.2f, wall %.2f (median of %d runs of each)" % (start_k / start_c, wk / wc, args.runs))
    return 0


if __name__ == "__main__":
    sys.exit(main())
