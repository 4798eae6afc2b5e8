#!/usr/bin/env python3
"""Runs the client on transcripts and compares its whole output.

A case is tests/e2e/cases/NAME.in (the lines typed) with NAME.out, the exact
standard output expected, and optionally NAME.err, the exact standard error.
In an expected file the line "@startup" stands for the start-up text in
tests/e2e/startup.txt. Only what must vary is masked: the query ID.

Must run inside tests/netns.sh. Usage: run_e2e.py [--exe CMD] [--wine] [NAME...]
"""
import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, "cases")
ID_LINE = re.compile(rb"^(\tID=)\d+", re.M)


def expected(path, startup):
    with open(path, "rb") as f:
        text = f.read()
    return text.replace(b"@startup\n", startup)


def mask(out):
    return ID_LINE.sub(rb"\1#", out)


def show_diff(label, want, got):
    import difflib
    lines = difflib.unified_diff(want.decode("latin-1").splitlines(True),
                                 got.decode("latin-1").splitlines(True),
                                 "expected " + label, "actual " + label)
    sys.stdout.write("".join(lines)[:6000])


def run_case(name, command, startup, timeout):
    base = os.path.join(CASES, name)
    with open(base + ".in", "rb") as f:
        stdin = f.read()
    try:
        proc = subprocess.run(command, input=stdin, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        print(f"FAIL {name}: no end within {timeout} s")
        return False
    ok = True
    if proc.returncode != 0:
        print(f"FAIL {name}: exit status {proc.returncode}")
        ok = False
    for stream, got in ((".out", proc.stdout), (".err", proc.stderr)):
        path = base + stream
        if stream == ".err" and not os.path.exists(path):
            continue
        want = mask(expected(path, startup))
        got = mask(got)
        if want != got:
            print(f"FAIL {name}: standard {'output' if stream == '.out' else 'error'} differs")
            show_diff(stream, want, got)
            ok = False
    return ok


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--exe", default=os.path.join(HERE, "..", "..", "build", "kestrel"))
    ap.add_argument("--timeout", type=int, default=60)
    ap.add_argument("names", nargs="*")
    args = ap.parse_args()
    with open(os.path.join(HERE, "startup.txt"), "rb") as f:
        startup = f.read()
    command = args.exe.split()
    names = args.names or sorted(n[:-3] for n in os.listdir(CASES) if n.endswith(".in"))
    failed = [n for n in names if not run_case(n, command, startup, args.timeout)]
    passed = len(names) - len(failed)
    print(f"e2e: {passed} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
