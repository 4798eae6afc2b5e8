#!/usr/bin/env python3
"""The slip stage: plants one-line slips in src/, one at a time, and reports
every slip that no test catches.

    make slips [BASE=COMMIT] [FILES="PATH..."] [LIMIT=N] [SEED=N] [JOBS=N] [AGAIN=OUTPUT]

Slips are written by rule over the lines of src/ that changed since BASE (the
working tree against that commit), or over the files and folders FILES names,
or over all of src/. The rules: a comparison swapped (< <= > >= == !=), && and
|| swapped, one operand of && or || dropped, a ! dropped, an integer constant
one more, one less or 0, true and false swapped, a "+ 1" or "- 1" dropped, the
two arms of ?: swapped, an element of an initialiser list dropped, and a
statement line (a call or an assignment) dropped.

Each slip is planted alone in a scratch copy of the tree (build-slips/wN/), built
incrementally in the sanitizer build (a Windows-only file in the mingw-w64
build), and judged by the suites that reach its code, the fastest first, until
one fails: the unit tests, the transcripts, the terminal stage for console code,
the Windows stage for Windows-only files. A slip that does not build is not
counted; one whose suite runs past its time limit is caught, and named a hang.

tests/slips/equivalent.txt lists the slips that change nothing observable, with
the reason; they are passed over. Every other survivor is printed as

    FILE:LINE: THE LINE AS IT STANDS => THE LINE AS PLANTED

which, without ":LINE" and with "  # REASON" after it, is the form of an entry
of that list. The stage ends with the totals per folder and exits non-zero when
a survivor is neither caught nor listed.

LIMIT takes a sample of that many slips, spread over the folders in
proportion to their slips, with a fixed seed (SEED changes it). AGAIN takes
the survivors that the saved output of an earlier run printed, to see them
caught once their rows are written. JOBS (default 2) slips run side by side,
each in its own scratch tree and network namespace. One run at a time: the
scratch trees are shared. Run as root, from the root of the tree (make slips
does both).
"""
import os
import queue
import random
import re
import shutil
import signal
import subprocess
import sys
import threading
import time
from collections import OrderedDict, defaultdict

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCRATCH = os.path.join(ROOT, "build-slips")
EQUIVALENT = os.path.join(ROOT, "tests", "slips", "equivalent.txt")
SLIP_SECONDS = int(os.environ.get("SLIP_SECONDS") or "900")   # all suites of one slip

# ---- where each slip is judged ------------------------------------------------

SUITE_ORDER = ["unit", "e2e", "terminal", "windows"]


def suites_for(path):
    """The suites that reach the code of a file, the fastest first. Discovery
    runs the IP configuration tool on Windows alone; a lookup ends at Ctrl+C,
    which only a terminal gives. The shared files of the platform layer serve
    both backends, the console code among them."""
    if path.startswith("src/platform/win32/"):
        return ["windows"]
    if path.startswith("src/platform/") and path.count("/") == 2:
        return SUITE_ORDER
    if path == "src/servers/discovery.cpp":
        return ["unit", "e2e", "windows"]
    if path == "src/resolver/transport.cpp" or (
            path.startswith(("src/shell/", "src/platform/posix/")) and not path.endswith(("sockets.cpp", "system.cpp"))):
        return ["unit", "e2e", "terminal"]
    return ["unit", "e2e"]


def build_for(path):
    return "win" if path.startswith("src/platform/win32/") else "asan"


# ---- reading the code -----------------------------------------------------------


def mask_code(lines):
    """Each line with its string and character literals and its comments blanked
    out (literals as '"' runs of the same length), so that the rules see code only."""
    out = []
    in_block = False
    for line in lines:
        m = []
        i = 0
        n = len(line)
        while i < n:
            c = line[i]
            if in_block:
                if line.startswith("*/", i):
                    in_block = False
                    m.append("  ")
                    i += 2
                else:
                    m.append(" ")
                    i += 1
                continue
            if line.startswith("//", i):
                m.append(" " * (n - i))
                break
            if line.startswith("/*", i):
                in_block = True
                m.append("  ")
                i += 2
                continue
            if c in "\"'":
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                j = min(j + 1, n)
                m.append('"' * (j - i))
                i = j
                continue
            m.append(c)
            i += 1
        out.append("".join(m))
    return out


def close_of(text, start, openers="([{", closers=")]}"):
    """The index of the bracket that closes the one at start, or -1."""
    depth = 0
    for i in range(start, len(text)):
        if text[i] in openers:
            depth += 1
        elif text[i] in closers:
            depth -= 1
            if depth == 0:
                return i
    return -1


def stops_left(code, i):
    """Whether the character at i ends an operand that lies to its right."""
    c = code[i]
    if c in ",;?{":
        return True
    if c == ":":
        return code[i - 1 : i + 1] != "::" and code[i : i + 2] != "::"
    if c == "=":   # an assignment, not a comparison
        return code[i - 1 : i] not in ("=", "!", "<", ">") and code[i + 1 : i + 2] != "="
    if code[i - 1 : i + 1] in ("&&", "||"):
        return True
    return code[: i + 1].endswith("return") and (i < 6 or not (code[i - 6].isalnum() or code[i - 6] == "_"))


def operand_left(code, at):
    """Where the operand that ends just before index at begins."""
    depth = 0
    i = at - 1
    while i >= 0:
        c = code[i]
        if c in ")]":
            depth += 1
        elif c in "([":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0 and stops_left(code, i):
            break
        i -= 1
    j = i + 1
    while j < at and code[j] == " ":
        j += 1
    return j


def operand_right(code, at):
    """Where the operand that begins at index at ends (exclusive)."""
    depth = 0
    i = at
    while i < len(code):
        c = code[i]
        if c in "([":
            depth += 1
        elif c in ")]":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0 and (c in ",;?{" or (c == ":" and code[i - 1 : i + 1] != "::" and code[i : i + 2] != "::")
                             or code.startswith("&&", i) or code.startswith("||", i)):
            break
        i += 1
    while i > at and code[i - 1] == " ":
        i -= 1
    return i


COMPARE = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
COMPARE_TO = {"<": ["<=", ">="], "<=": ["<", ">"], ">": [">=", "<="], ">=": [">", "<"], "==": ["!="], "!=": ["=="]}
LOGIC = re.compile(r"(?<=\s)(&&|\|\|)(?=\s)")
NOT = re.compile(r"!(?!=)")
# A constant, with its minus sign when the minus is unary: glued to it (a binary
# minus has blanks on both sides) and not to an operand before it.
NUMBER = re.compile(r"(?<![\w.\")\]])((?<![\w)\]])-)?(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.\"])")
BOOL = re.compile(r"\b(true|false)\b")
PLUS_MINUS_ONE = re.compile(r" [+-] 1(?![\w.])")
ASSIGN = re.compile(r"^[\w.\[\]*>()-]+ *(=|\+=|-=|\|=|&=|\^=|<<=|>>=|\*=|/=|%=) ")
INCREMENT = re.compile(r"^(\+\+|--)?[\w.\[\]*>-]+(\+\+|--)?;$")
CALL = re.compile(r"^[\w:.\[\]*>-]+\(")
NOT_STATEMENTS = re.compile(r"^(return|if|for|while|switch|case|default|do|else|break|continue|goto|delete|throw|"
                            r"using|typedef|static|const|constexpr|extern|struct|enum|template|auto|inline)\b")


def number_variants(sign, text, suffix):
    value = int(text, 16) if text[:2].lower() == "0x" else int(text)
    if sign:
        value = -value
    out = []
    for v in (value + 1, value - 1, 0):
        if (v < 0 and not sign) or v == value:
            continue
        if v < 0 or sign:
            t = str(v)
        elif text[:2].lower() == "0x":
            digits = format(v, "X" if any(c in "ABCDEF" for c in text[2:]) else "x")
            t = text[:2] + digits.zfill(len(text) - 2)
        else:
            t = str(v)
        if t + suffix not in out:
            out.append(t + suffix)
    return out


def brace_kinds(code_lines):
    """For each line, whether it lies inside an initialiser list at its start,
    and for each '{' whether it opens one ("init") or a block."""
    inside = []
    stack = []
    previous = ""   # the last code character before the current position
    for code in code_lines:
        inside.append(bool(stack) and stack[-1] == "init")
        for i, c in enumerate(code):
            if c == "{":
                before = code[:i].rstrip()
                glued = i > 0 and (code[i - 1].isalnum() or code[i - 1] in "_>")
                last = before[-1:] if before else previous
                if glued or last in ("=", ",", "(", "{") or before.endswith("return") or \
                        (stack and stack[-1] == "init"):
                    stack.append("init")
                else:
                    stack.append("block")
            elif c == "}" and stack:
                stack.pop()
            if not c.isspace():
                previous = c
    return inside


def top_level_elements(code, start, end):
    """The spans of the comma-separated elements of code[start:end], at its own depth."""
    spans = []
    depth = 0
    begin = start
    for i in range(start, end):
        c = code[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif c == "," and depth == 0:
            spans.append((begin, i))
            begin = i + 1
    spans.append((begin, end))
    return [(a, b) for a, b in spans if code[a:b].strip()]


def drop_element(line, spans, k):
    """The line without its k-th element, and the comma that went with it."""
    a, b = spans[k]
    if len(spans) == 1:   # a line that is one element: all of it goes
        rest = line[b:].lstrip()
        return line[: len(line) - len(line.lstrip())] + (rest[1:].lstrip() if rest.startswith(",") else rest)
    if k + 1 < len(spans):   # the element, the comma after it and the blanks before the next
        b2 = spans[k + 1][0]
        while b2 < len(line) and line[b2] == " ":
            b2 += 1
        return line[:a] + line[b2:]
    a2 = a   # the last: the comma before it goes too
    while a2 > 0 and line[a2 - 1] == " ":
        a2 -= 1
    if a2 > 0 and line[a2 - 1] == ",":
        a2 -= 1
    return line[:a2] + line[b:]


def slips_of_line(line, code, in_init, previous_code):
    """(rule, planted line) for every slip the rules write on one line."""
    out = []

    def add(rule, new):
        if new != line and (rule, new) not in out:
            out.append((rule, new))

    for m in COMPARE.finditer(code):
        for to in COMPARE_TO[m.group(1)]:
            add("comparison", line[: m.start()] + to + line[m.end():])
    for m in LOGIC.finditer(code):
        add("logic swapped", line[: m.start()] + ("||" if m.group(1) == "&&" else "&&") + line[m.end():])
        left = operand_left(code, m.start() - 1)
        add("operand dropped", line[:left] + line[m.end() + 1:])
        right = operand_right(code, m.end() + 1)
        add("operand dropped", line[: m.start() - 1] + line[right:])
    for m in NOT.finditer(code):
        add("negation dropped", line[: m.start()] + line[m.end():])
    for m in NUMBER.finditer(code):
        for v in number_variants(m.group(1), m.group(2), m.group(3)):
            add("constant", line[: m.start()] + v + line[m.end():])
    for m in BOOL.finditer(code):
        add("boolean", line[: m.start()] + ("false" if m.group(1) == "true" else "true") + line[m.end():])
    for m in PLUS_MINUS_ONE.finditer(code):
        add("one dropped", line[: m.start()] + line[m.end():])
    for q in re.finditer(r" \? ", code):
        a_start = q.end()
        depth = 0
        colon = -1
        for i in range(a_start, len(code)):
            c = code[i]
            if c in "([{":
                depth += 1
            elif c in ")]}":
                depth -= 1
                if depth < 0:
                    break
            elif c == "?" and depth == 0:
                depth += 100   # a nested ?: in the first arm: skip to its own ':'
            elif c == ":" and code[i - 1 : i + 1] != "::" and code[i : i + 2] != "::":
                if depth == 0:
                    colon = i
                    break
                if depth >= 100:
                    depth -= 100
        if colon < 0 or code[colon - 1] != " ":
            continue
        b_start = colon + 2
        b_end = operand_right(code, b_start)
        while True:   # the second arm runs through the ?: that may follow it
            if code.startswith(" ? ", b_end) or code.startswith("?", b_end):
                b_end = operand_right(code, b_end + 2)
                if code.startswith(" : ", b_end) or code.startswith(":", b_end):
                    b_end = operand_right(code, b_end + 2)
                continue
            break
        a = line[a_start : colon - 1]
        b = line[b_start:b_end]
        if a.strip() and b.strip():
            add("arms swapped", line[:a_start] + b + " : " + a + line[b_end:])
    # Initialiser lists: in a list that runs over several lines, each element
    # of this line (a row of a table, say); elsewhere, each element of a braced
    # list written whole on the line (not of the lists inside it).
    if in_init:
        spans = top_level_elements(code, 0, len(code))
        if len(spans) > 1 or code.rstrip().endswith(","):
            for k in range(len(spans)):
                add("element dropped", drop_element(line, spans, k))
    else:
        i = 0
        while i < len(code):
            j = close_of(code, i, "{", "}") if code[i] == "{" else -1
            if j < 0:
                i += 1
                continue
            spans = top_level_elements(code, i + 1, j)
            if len(spans) > 1:
                for k in range(len(spans)):
                    add("element dropped", drop_element(line, spans, k))
            i = j + 1
    # A statement line: a call or an assignment that begins and ends on it.
    stripped = code.strip()
    starts_statement = previous_code.endswith((";", "{", "}", ")", ":")) or previous_code.endswith("else")
    if (stripped.endswith(";") and starts_statement and not in_init and not NOT_STATEMENTS.match(stripped)
            and stripped.count(";") == 1):
        head = stripped.split("(", 1)[0]
        if ASSIGN.match(stripped) or INCREMENT.match(stripped) or (CALL.match(stripped) and " " not in head):
            indent = line[: len(line) - len(line.lstrip())]
            add("statement dropped", indent + "{}")
    return out


def source_files(paths):
    files = []
    for p in paths:
        full = os.path.join(ROOT, p)
        if os.path.isdir(full):
            for d, _, names in os.walk(full):
                files += [os.path.relpath(os.path.join(d, n), ROOT) for n in names if n.endswith((".cpp", ".h"))]
        elif os.path.isfile(full):
            files.append(os.path.relpath(full, ROOT))
        else:
            sys.exit(f"slips: no such file or folder: {p}")
    return sorted(set(f for f in files if f.startswith("src/")))


def changed_lines(base):
    """{file: set of line numbers} of the lines of src/ added or changed since base."""
    diff = subprocess.run(["git", "diff", "-U0", "--no-color", base, "--", "src"], cwd=ROOT,
                          capture_output=True, text=True, check=True).stdout
    lines = defaultdict(set)
    current = None
    for row in diff.splitlines():
        if row.startswith("+++ "):
            current = row[6:] if row.startswith("+++ b/") else None
        elif row.startswith("@@") and current:
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", row)
            start, count = int(m.group(1)), int(m.group(2) if m.group(2) is not None else 1)
            lines[current].update(range(start, start + count))
    return lines


class Slip:
    def __init__(self, path, number, rule, original, planted):
        self.path, self.number, self.rule = path, number, rule
        self.original, self.planted = original, planted
        self.folder = os.path.dirname(path)
        self.outcome = None   # caught, survived, equivalent, hang, not built
        self.by = None

    def key(self):
        return (self.path, self.original.strip(), self.planted.strip())

    def show(self):
        return f"{self.path}:{self.number}: {self.original.strip()} => {self.planted.strip()}"


def all_slips(files, only_lines):
    slips = []
    for path in files:
        with open(os.path.join(ROOT, path), encoding="utf-8") as f:
            lines = f.read().split("\n")
        code_lines = mask_code(lines)
        in_init = brace_kinds(code_lines)
        previous = ""
        for i, (line, code) in enumerate(zip(lines, code_lines)):
            number = i + 1
            stripped = code.strip()
            wanted = only_lines is None or number in only_lines.get(path, ())
            if stripped and not stripped.startswith("#") and wanted:
                for rule, planted in slips_of_line(line, code, in_init[i], previous):
                    slips.append(Slip(path, number, rule, line, planted))
            if stripped and not stripped.startswith("#"):
                previous = stripped
    return slips


def read_equivalent():
    """{(file, line as it stands, line as planted): reason} of the listed slips."""
    listed = {}
    if not os.path.exists(EQUIVALENT):
        return listed
    with open(EQUIVALENT, encoding="utf-8") as f:
        for n, row in enumerate(f, 1):
            row = row.rstrip("\n")
            if not row.strip() or row.startswith("#"):
                continue
            m = re.match(r"^(\S+?): (.*) => (.*?)  # (.+)$", row)
            if not m:
                sys.exit(f"slips: {EQUIVALENT}:{n}: not FILE: LINE => PLANTED  # REASON")
            listed[(m.group(1), m.group(2).strip(), m.group(3).strip())] = m.group(4)
    return listed


def sample(slips, limit, seed):
    """limit slips, each folder's share in proportion to its slips (at least one)."""
    if limit is None or limit >= len(slips):
        return slips
    rng = random.Random(seed)
    by_folder = OrderedDict()
    for s in slips:
        by_folder.setdefault(s.folder, []).append(s)
    for group in by_folder.values():
        rng.shuffle(group)
    total = len(slips)
    share = {f: max(1, round(limit * len(g) / total)) for f, g in by_folder.items()}
    while sum(share.values()) > limit:   # rounding up: take back from the largest shares
        biggest = max(share, key=lambda f: share[f])
        share[biggest] -= 1
    while sum(share.values()) < limit:
        roomy = max((f for f in share if share[f] < len(by_folder[f])),
                    key=lambda f: len(by_folder[f]) - share[f])
        share[roomy] += 1
    chosen = [s for f, g in by_folder.items() for s in g[: share[f]]]
    return sorted(chosen, key=lambda s: (s.path, s.number, s.rule, s.planted))


# ---- the scratch trees -----------------------------------------------------------


def tree_files():
    out = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                         capture_output=True, check=True).stdout
    return [p for p in out.decode().split("\0") if p and os.path.isfile(os.path.join(ROOT, p))]


def sync_tree(dest):
    """Makes dest a copy of the working tree. Files already the same keep their
    times, so that the builds in it stay incremental; those copied get the time
    of the copy, later than anything built from what they replace."""
    files = set(tree_files())
    for path in files:
        src, dst = os.path.join(ROOT, path), os.path.join(dest, path)
        if os.path.exists(dst):
            with open(src, "rb") as a, open(dst, "rb") as b:
                if a.read() == b.read():
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copy(src, dst)
    for d, subdirs, names in os.walk(dest):
        rel = os.path.relpath(d, dest)
        subdirs[:] = [s for s in subdirs if not (rel == "." and s.startswith("build"))]
        for n in names:
            p = os.path.normpath(os.path.join(rel, n))
            if p not in files:
                os.unlink(os.path.join(d, n))


def run(command, cwd, log, seconds, env=None):
    """Runs command in a session of its own: (status, output, timed out)."""
    with open(log, "ab") as out:
        out.write(("$ " + " ".join(command) + "\n").encode())
        out.flush()
        p = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             start_new_session=True, env=env)
        timer_fired = threading.Event()

        def stop():
            timer_fired.set()
            try:
                os.killpg(p.pid, signal.SIGTERM)
                time.sleep(5)
                os.killpg(p.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

        timer = threading.Timer(seconds, stop)
        timer.start()
        data = p.communicate()[0]
        timer.cancel()
        out.write(data)
    return p.returncode, data.decode("latin-1"), timer_fired.is_set()


HANG_MARKS = ("***Timeout", "no end within", "within 60s", "hang")


def end_strays(tree):
    """Ends what a slip left running of the programs built in a scratch tree:
    one that a fault keeps going after its suite gave up (a client whose
    terminal went away, say) would spin on and slow every slip after it."""
    for pid in os.listdir("/proc"):
        try:
            if pid.isdigit() and os.readlink(f"/proc/{pid}/exe").startswith(tree + "/"):
                os.kill(int(pid), signal.SIGKILL)
        except OSError:
            pass


class Worker:
    def __init__(self, n):
        self.n = n
        self.tree = os.path.join(SCRATCH, f"w{n}")
        self.log_dir = os.path.join(SCRATCH, "logs")
        self.env = dict(os.environ, ASAN_OPTIONS="detect_leaks=1:abort_on_error=1",
                        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1", KESTREL_FIRST_FAILURE="1",
                        TERMINAL_WAIT_SECONDS="20")

    def build(self, kind, log):
        if kind == "asan":
            configure = ["cmake", "-S", ".", "-B", "build-asan", "-DCMAKE_BUILD_TYPE=Debug", "-DKESTREL_SANITIZE=ON",
                         "-DKESTREL_WERROR=ON"]
            target = ["cmake", "--build", "build-asan", "-j2"]
        else:
            configure = ["cmake", "--no-warn-unused-cli", "-S", ".", "-B", "build-win",
                         "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake", "-DKESTREL_WERROR=ON", "-DKESTREL_TESTS=OFF"]
            target = ["cmake", "--build", "build-win", "-j2"]
        status = 0
        if not os.path.exists(os.path.join(self.tree, "build-" + kind, "CMakeCache.txt")):
            status = run(configure, self.tree, log, 600, self.env)[0]
        if status == 0:
            status = run(target, self.tree, log, 900, self.env)[0]
        return status == 0

    def suite(self, name, log, seconds):
        commands = {
            "unit": ["tests/netns.sh", "bash", "-c", "cd build-asan && ctest --stop-on-failure -j2 --output-on-failure"],
            "e2e": ["tests/netns.sh", "tests/e2e/stage.sh", "build-asan/kestrel"],
            "terminal": ["bash", "tests/stages/terminal.sh", "build-asan/kestrel"],
            "windows": ["bash", "tests/stages/windows.sh"],
        }
        status, output, timed_out = run(commands[name], self.tree, log, seconds, self.env)
        hang = timed_out or any(mark in output for mark in HANG_MARKS[:2])
        return status == 0, hang

    def judge(self, slip, index):
        log = os.path.join(self.log_dir, f"{index:04d}.log")
        with open(log, "w") as f:
            f.write(slip.show() + f"\n(rule: {slip.rule})\n")
        path = os.path.join(self.tree, slip.path)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        lines = text.split("\n")
        if lines[slip.number - 1] != slip.original:
            slip.outcome = "not built"
            return
        lines[slip.number - 1] = slip.planted
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        try:
            if not self.build(build_for(slip.path), log) or (
                    "windows" in suites_for(slip.path) and build_for(slip.path) != "win" and not self.build("win", log)):
                slip.outcome = "not built"
                return
            deadline = time.time() + SLIP_SECONDS
            for name in suites_for(slip.path):
                passed, hang = self.suite(name, log, max(1, deadline - time.time()))
                if not passed:
                    slip.outcome = "hang" if hang else "caught"
                    slip.by = name
                    return
            slip.outcome = "survived"
        finally:
            end_strays(self.tree)
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            with open(log, "a") as f:
                f.write(f"\noutcome: {slip.outcome}" + (f" by {slip.by}" if slip.by else "") + "\n")


def main():
    def setting(name, default=None):
        return os.environ.get(name) or default

    base = setting("BASE")
    files_arg = setting("FILES", "").split()
    limit = int(setting("LIMIT")) if setting("LIMIT") else None
    seed = int(setting("SEED", "1"))
    jobs = max(1, int(setting("JOBS", "2")))

    again = setting("AGAIN")
    if again:
        # The survivors that an earlier run printed, wherever their lines stand now.
        with open(again, encoding="utf-8") as f:
            wanted = {(m.group(1), m.group(2).strip(), m.group(3).strip())
                      for m in re.finditer(r"^\[\d+/\d+\] survived: (\S+?):\d+: (.*) => (.*)$", f.read(), re.M)}
        files = source_files(sorted({path for path, _, _ in wanted}))
        candidates = [s for s in all_slips(files, None) if s.key() in wanted]
    else:
        # BASE and FILES together: the changed lines within those files or folders.
        only = changed_lines(base) if base else None
        files = source_files(files_arg or ["src"])
        if base:
            files = [f for f in files if f in only]
        candidates = all_slips(files, only)
    chosen = sample(candidates, limit, seed)
    listed = read_equivalent()
    where = " ".join(files_arg) if files_arg else "all of src/"
    what = (f"the survivors of {again}" if again
            else f"the lines changed since {base} in {where}" if base else where)
    print(f"slips: {len(candidates)} written over {what}; {len(chosen)} taken"
          + (f" (LIMIT={limit}, SEED={seed})" if limit is not None else ""), flush=True)

    to_plant = []
    for s in chosen:
        if s.key() in listed:
            s.outcome = "equivalent"
        else:
            to_plant.append(s)
    if to_plant:
        os.makedirs(SCRATCH, exist_ok=True)
        shutil.rmtree(os.path.join(SCRATCH, "logs"), ignore_errors=True)
        os.makedirs(os.path.join(SCRATCH, "logs"))
        workers = [Worker(n) for n in range(min(jobs, len(to_plant)))]
        for w in workers:
            sync_tree(w.tree)
        # The unchanged tree must pass every suite the slips need, or no verdict means anything.
        first = workers[0]
        base_log = os.path.join(SCRATCH, "logs", "unchanged.log")
        open(base_log, "w").close()
        needed = {name for s in to_plant for name in suites_for(s.path)}
        kinds = {build_for(s.path) for s in to_plant} | ({"win"} if "windows" in needed else set())
        for kind in sorted(kinds):
            if not first.build(kind, base_log):
                sys.exit(f"slips: the unchanged tree does not build ({base_log})")
        for name in SUITE_ORDER:
            if name in needed and not first.suite(name, base_log, SLIP_SECONDS)[0]:
                sys.exit(f"slips: the unchanged tree fails the {name} suite ({base_log})")
        work = queue.Queue()
        for i, s in enumerate(to_plant):
            work.put((i, s))
        done = [0]
        lock = threading.Lock()

        def serve(worker):
            while True:
                try:
                    i, s = work.get_nowait()
                except queue.Empty:
                    return
                worker.judge(s, i)
                with lock:
                    done[0] += 1
                    mark = f" by {s.by}" if s.by else ""
                    print(f"[{done[0]}/{len(to_plant)}] {s.outcome}{mark}: {s.show()}", flush=True)

        threads = [threading.Thread(target=serve, args=(w,)) for w in workers]
        for t in threads:
            t.start()
        for t in threads:
            t.join()

    survivors = [s for s in chosen if s.outcome == "survived"]
    print()
    if survivors:
        print("Survivors (a row that fails with each, or an entry of tests/slips/equivalent.txt):")
        for s in survivors:
            print("  " + s.show())
        print()
    kinds = ["planted", "caught", "survived", "equivalent", "hangs", "not built"]
    totals = OrderedDict()
    for s in chosen:
        t = totals.setdefault(s.folder, dict.fromkeys(kinds, 0))
        # Planted: built and judged. A hang is caught; its own column says how many were.
        if s.outcome in ("caught", "survived", "hang"):
            t["planted"] += 1
        if s.outcome == "hang":
            t["caught"] += 1
        t[{"hang": "hangs"}.get(s.outcome, s.outcome)] += 1
    all_row = dict.fromkeys(kinds, 0)
    print(f"{'folder':<22}" + "".join(f"{k:>11}" for k in kinds))
    for folder in sorted(totals):
        print(f"{folder:<22}" + "".join(f"{totals[folder][k]:>11}" for k in kinds))
        for k in kinds:
            all_row[k] += totals[folder][k]
    print(f"{'all':<22}" + "".join(f"{all_row[k]:>11}" for k in kinds))
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
