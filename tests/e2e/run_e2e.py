#!/usr/bin/env python3
"""Runs the client on transcripts and compares its whole output.

A case is tests/e2e/cases/NAME.in (the lines typed) with NAME.out, the exact
standard output expected, and optionally NAME.err, the exact standard error;
or, in place of both, NAME.both: the exact output of the two streams written
into one pipe, as onto a console.
In an expected file the line "@startup" stands for the start-up text in
tests/e2e/startup.txt, and "@error(NAME)" for the platform's text of a socket
error (the one thing that differs between the platforms). Only what must vary
is masked: the query ID.

A case that needs a broken or hostile server has NAME.fake, a script for
tests/fake_server.py, which runs while the case runs; when NAME.sent exists,
the queries the fake server received must be exactly those it lists.

With --first-failure (or KESTREL_FIRST_FAILURE=1 in the environment, as the
slip stage sets it) the run stops at the first case that fails, and the cases
whose server stays silent or floods, which wait for seconds, run last.

Must run inside tests/netns.sh. Usage: run_e2e.py [--exe CMD] [--cases DIR] [--first-failure] [NAME...]
"""
import argparse
import os
import re
import signal
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CASES = os.path.join(HERE, "cases")
ID_LINE = re.compile(rb"^(\tID=)\d+", re.M)
FAKE_SERVER = os.path.join(HERE, "..", "fake_server.py")

# The text each platform gives for a socket error: strerror on POSIX, the
# system's message text on Windows as Wine gives it (Windows itself says
# "The operation completed successfully." for code 0).
# "none" is code 0: a read that found the connection closed by the peer;
# "reset": a read that found it reset, which Wine's recv reports as a close.
# "unreachable" and "denied": a connection to, and a datagram sent to, the
# loopback network's broadcast address, which the system refuses at once;
# Wine has no text for the first. "refused": a write on a TCP connection that
# nobody accepted, which Wine reports as reset.
ERROR_TEXTS = {
    "posix": {"none": b"Success", "reset": b"Connection reset by peer", "unreachable": b"Network is unreachable",
              "denied": b"Permission denied", "refused": b"Connection refused"},
    "windows": {"none": b"Success.", "reset": b"Success.", "unreachable": b"Windows Sockets error 10051",
                "denied": b"Access denied.", "refused": b"Connection reset by peer."},
}
ERROR_TOKEN = re.compile(rb"@error\((\w+)\)")
STDERR_LINES = 40
platform = "posix"


def expected(path, startup):
    with open(path, "rb") as f:
        text = f.read()
    text = ERROR_TOKEN.sub(lambda m: ERROR_TEXTS[platform][m.group(1).decode()], text)
    return text.replace(b"@startup\n", startup)


def start_fake(script, log):
    proc = subprocess.Popen([sys.executable, FAKE_SERVER, script, log],
                            stdout=subprocess.PIPE, text=True)
    if proc.stdout.readline().strip() != "ready":
        proc.kill()
        proc.wait()
        return None
    return proc


def stop_fake(proc):
    proc.terminate()
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def mask(out):
    return ID_LINE.sub(rb"\1#", out)


def show_diff(label, want, got):
    import difflib
    lines = difflib.unified_diff(want.decode("latin-1").splitlines(True),
                                 got.decode("latin-1").splitlines(True),
                                 "expected " + label, "actual " + label)
    sys.stdout.write("".join(lines)[:6000])


def show_stderr(name, err):
    """The last lines of a failed case's standard error: a sanitizer's or a
    crash's report is what says why it failed."""
    lines = (err or b"").decode("latin-1").splitlines()
    if not lines:
        print(f"  {name}: nothing on standard error")
        return
    print(f"  {name}: standard error, last {min(len(lines), STDERR_LINES)} of {len(lines)} lines:")
    for line in lines[-STDERR_LINES:]:
        print("  | " + line)


def run_case(name, command, startup, timeout):
    base = os.path.join(CASES, name)
    with open(base + ".in", "rb") as f:
        stdin = f.read()
    fake = sent = None
    if os.path.exists(base + ".fake"):
        log = tempfile.NamedTemporaryFile(prefix="kestrel-fake-", delete=False).name
        fake = start_fake(base + ".fake", log)
        if fake is None:
            print(f"FAIL {name}: the fake server did not start")
            os.unlink(log)
            return False
    try:
        both = os.path.exists(base + ".both")
        proc = subprocess.run(command, input=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT if both else subprocess.PIPE, timeout=timeout)
    except subprocess.TimeoutExpired as e:
        print(f"FAIL {name}: no end within {timeout} s")
        show_stderr(name, e.stderr)
        return False
    finally:
        if fake:
            stop_fake(fake)
            with open(log, "rb") as f:
                sent = f.read()
            os.unlink(log)
    ok = True
    if fake:
        if os.path.exists(base + ".sent"):
            with open(base + ".sent", "rb") as f:
                want = f.read()
            if want != sent:
                print(f"FAIL {name}: the fake server received other queries")
                show_diff(".sent", want, sent)
                ok = False
    if proc.returncode < 0:
        print(f"FAIL {name}: ended by {signal.Signals(-proc.returncode).name}")
        ok = False
    elif proc.returncode != 0:
        print(f"FAIL {name}: exit status {proc.returncode}")
        ok = False
    for stream, got in ((".both", proc.stdout),) if both else ((".out", proc.stdout), (".err", proc.stderr)):
        path = base + stream
        if stream == ".err" and not os.path.exists(path):
            continue
        want = mask(expected(path, startup))
        got = mask(got)
        if want != got:
            print(f"FAIL {name}: " + {".out": "standard output", ".err": "standard error",
                                       ".both": "the output of both streams"}[stream] + " differs")
            show_diff(stream, want, got)
            ok = False
    if not ok:
        show_stderr(name, proc.stderr)
    return ok


def slow(name):
    """Whether a case waits out time-outs: its fake server stays silent or floods."""
    path = os.path.join(CASES, name + ".fake")
    if not os.path.exists(path):
        return False
    with open(path) as f:
        return any(re.search(r"\b(silent|flood)\b", line.split("#")[0]) for line in f)


def main():
    global platform, CASES
    ap = argparse.ArgumentParser()
    ap.add_argument("--exe", default=os.path.join(HERE, "..", "..", "build", "kestrel"))
    ap.add_argument("--timeout", type=int, default=60)
    ap.add_argument("--cases", default=CASES, help="the folder of the cases")
    ap.add_argument("--first-failure", action="store_true",
                    default=os.environ.get("KESTREL_FIRST_FAILURE") == "1")
    ap.add_argument("names", nargs="*")
    args = ap.parse_args()
    CASES = args.cases
    if "wine" in args.exe or args.exe.endswith(".exe"):
        platform = "windows"
    with open(os.path.join(HERE, "startup.txt"), "rb") as f:
        startup = f.read()
    command = args.exe.split()
    names = args.names or sorted(n[:-3] for n in os.listdir(CASES) if n.endswith(".in"))
    if args.first_failure:
        names.sort(key=slow)
    failed = []
    passed = 0
    for n in names:
        if run_case(n, command, startup, args.timeout):
            passed += 1
        else:
            failed.append(n)
            if args.first_failure:
                break
    print(f"e2e: {passed} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
