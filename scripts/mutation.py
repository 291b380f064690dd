# SPDX-License-Identifier: GPL-3.0-or-later
"""A sampled mutation run: how many small faults in src/ the test suite notices.

Run through scripts/mutation.sh, which configures the build. For a seeded random sample of
source lines this puts one small fault in the line (a comparison or logic operator flipped, an
integer constant raised by one, a string literal changed, a condition negated), rebuilds
incrementally, runs ctest and records whether a test failed. The source file is restored
byte for byte after every mutant, whatever happens. A mutant that does not compile is not
counted.
"""

import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

# The hardware backends cannot be exercised here, and the two programs' main() only parse and
# hand over.
EXCLUDED = ("src/platform/", "src/app/main.cpp", "src/cli/main.cpp")

# Checks of the tree rather than of behaviour: a reformatted line would "kill" a mutant.
NOT_BEHAVIOUR = "^(format|layering|layering_check)$"

RELATIONAL = {"==": "!=", "!=": "==", "<": "<=", "<=": "<", ">": ">=", ">=": ">"}
LOGICAL = {"&&": "||", "||": "&&"}

STRING_RE = re.compile(r'(?<![\w\)])"((?:[^"\\\n]|\\.)*)"')
CHAR_RE = re.compile(r"'(?:[^'\\\n]|\\.)'")
# A binary operator with a space on each side: what the formatter writes for comparisons, and
# never what it writes for a template's angle brackets.
OPERATOR_RE = re.compile(r"(?<= )(==|!=|<=|>=|<|>|&&|\|\|)(?= )")
INTEGER_RE = re.compile(r"(?<![\w.'])(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.'])")
CONDITION_RE = re.compile(r"\b(if|while)\s*\(")


def code_spans(line):
    """Spans of string and character literals, and where a // comment starts."""
    literals = [m.span() for m in STRING_RE.finditer(line)]
    literals += [m.span() for m in CHAR_RE.finditer(line)]
    comment = len(line)
    pos = 0
    while True:
        i = line.find("//", pos)
        if i < 0:
            break
        if not any(a <= i < b for a, b in literals):
            comment = i
            break
        pos = i + 2
    return literals, comment


def matching_paren(line, open_at):
    depth = 0
    literals, _ = code_spans(line)
    for i in range(open_at, len(line)):
        if any(a <= i < b for a, b in literals):
            continue
        if line[i] == "(":
            depth += 1
        elif line[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def mutations(line):
    """Every mutant of one line, as (kind, new line, description)."""
    stripped = line.strip()
    if (not stripped or stripped.startswith(("#", "//", "/*", "*", "static_assert"))
            or "extern \"C\"" in line or 'R"' in line):
        return []
    literals, comment = code_spans(line)

    def in_code(a, b):
        return b <= comment and not any(x < b and a < y for x, y in literals)

    out = []
    for m in OPERATOR_RE.finditer(line):
        if not in_code(*m.span()):
            continue
        op = m.group(1)
        new = RELATIONAL.get(op) or LOGICAL[op]
        kind = "logic" if op in LOGICAL else "comparison"
        out.append((kind, line[:m.start()] + new + line[m.end():], f"{op} -> {new}"))
    for m in INTEGER_RE.finditer(line):
        if not in_code(*m.span()):
            continue
        text = m.group(1)
        if text.lower().startswith("0x"):
            new = "0x%0*X" % (len(text) - 2, int(text, 16) + 1)
        else:
            new = str(int(text) + 1)
        out.append(("integer", line[:m.start(1)] + new + line[m.end(1):], f"{text} -> {new}"))
    for m in STRING_RE.finditer(line):
        if m.end() > comment:
            continue
        body = m.group(1)
        new = '"~' + body + '"'
        out.append(("string", line[:m.start()] + new + line[m.end():],
                    f'"{body}" -> "~{body}"'))
    for m in CONDITION_RE.finditer(line):
        open_at = m.end() - 1
        if not in_code(m.start(), open_at + 1) or line[m.start():].startswith("if constexpr"):
            continue
        close = matching_paren(line, open_at)
        if close < 0:
            continue
        cond = line[open_at + 1:close]
        if ";" in cond:  # an init-statement: negating it would not compile
            continue
        new = line[:open_at + 1] + "!(" + cond + ")" + line[close:]
        out.append(("negation", new, f"{m.group(1)} ({cond}) -> {m.group(1)} (!({cond}))"))
    return out


def candidate_lines(root):
    lines = []
    for path in sorted((root / "src").rglob("*")):
        rel = path.relative_to(root).as_posix()
        if path.suffix not in (".cpp", ".h") or rel.startswith(EXCLUDED) or rel in EXCLUDED:
            continue
        in_block_comment = False
        for number, text in enumerate(path.read_text().splitlines(), start=1):
            if in_block_comment:
                if "*/" in text:
                    in_block_comment = False
                continue
            if text.strip().startswith("/*") and "*/" not in text:
                in_block_comment = True
                continue
            if mutations(text):
                lines.append((rel, number))
    return lines


def run(cmd, timeout, env=None, log=None):
    try:
        p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                           timeout=timeout, env=env)
        if log:
            Path(log).write_text(p.stdout)
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired as e:
        out = e.stdout.decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        return None, out


def ctest(build, timeout, jobs):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", GTEST_FAIL_FAST="1")
    cmd = ["ctest", "--test-dir", str(build), "--stop-on-failure", "--parallel", str(jobs),
           "--timeout", str(timeout), "-E", NOT_BEHAVIOUR]
    code, out = run(cmd, timeout=None, env=env)
    failed = re.findall(r"^\s*\d+ - (\S+) \(", out, re.M)
    return code == 0, failed, out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build", required=True)
    ap.add_argument("--sample", type=int, default=60)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    ap.add_argument("--report", help="also write the results to this file")
    args = ap.parse_args()
    root = Path(__file__).resolve().parent.parent
    build = Path(args.build).resolve()

    rng = random.Random(args.seed)
    lines = candidate_lines(root)
    sample = sorted(rng.sample(lines, min(args.sample, len(lines))))
    chosen = []
    for rel, number in sample:
        text = (root / rel).read_text().splitlines()[number - 1]
        chosen.append((rel, number, rng.choice(mutations(text))))

    report = open(args.report, "w") if args.report else None

    def say(text):
        print(text, flush=True)
        if report:
            report.write(text + "\n")
            report.flush()

    say(f"mutation run: seed {args.seed}, {len(chosen)} mutants from {len(lines)} lines "
        f"that can take one")

    # The unmutated tree must build and pass, and its slowest test sets the time limit.
    code, out = run(["ninja", "-C", str(build)], timeout=3600)
    if code != 0:
        sys.exit("mutation.sh: the unmutated tree does not build:\n" + out[-4000:])
    start = time.monotonic()
    ok, failed, out = ctest(build, 1200, args.jobs)
    if not ok:
        sys.exit("mutation.sh: the unmutated tree fails " + ", ".join(failed or ["ctest"]) +
                 "; fix that first:\n" + out[-4000:])
    times = [float(t) for t in re.findall(r"Passed\s+([\d.]+) sec", out)]
    limit = max(60, int(3 * max(times, default=20)))
    say(f"unmutated suite: passed in {time.monotonic() - start:.0f} s; "
        f"a test taking over {limit} s counts as failing")

    original = {}
    current = None

    def restore(*_):
        for rel, data in original.items():
            (root / rel).write_bytes(data)
        original.clear()

    def interrupted(signum, _frame):
        restore()
        sys.exit(128 + signum)

    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)

    killed = survived = broken = 0
    survivors = []
    try:
        for i, (rel, number, (kind, new_line, what)) in enumerate(chosen, start=1):
            path = root / rel
            data = path.read_bytes()
            original[rel] = data
            text = data.decode().split("\n")
            text[number - 1] = new_line
            path.write_text("\n".join(text))
            current = f"{rel}:{number}: {kind}: {what}"
            code, out = run(["ninja", "-C", str(build)], timeout=1800)
            if code != 0:
                broken += 1
                say(f"[{i}/{len(chosen)}] does not compile  {current}")
            else:
                ok, failed, _ = ctest(build, limit, args.jobs)
                if ok:
                    survived += 1
                    survivors.append(current)
                    say(f"[{i}/{len(chosen)}] SURVIVED         {current}")
                else:
                    killed += 1
                    say(f"[{i}/{len(chosen)}] killed           {current}  "
                        f"(by {', '.join(failed) or 'ctest'})")
            restore()
    finally:
        restore()
        run(["ninja", "-C", str(build)], timeout=3600)

    valid = killed + survived
    say("")
    say("survivors:")
    for s in survivors:
        say("  " + s)
    say(f"{broken} mutants did not compile and are not counted")
    say(f"killed {killed} of {valid}" +
        (f" ({100.0 * killed / valid:.0f} %)" if valid else ""))


if __name__ == "__main__":
    main()
