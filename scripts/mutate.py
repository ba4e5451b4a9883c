#!/usr/bin/env python3
"""Apply each one-line fault of tests/mutants.txt to a scratch copy of the
tree, build it and run the suite; a mutant the suite does not notice lives.

    scripts/mutate.py [--build DIR] [--only 3,7-9] [--matrix] [--report FILE]

The working tree is never touched: the tracked files are copied to
DIR/tree once and each mutant is applied there and put back. --matrix runs
every test for every mutant (which tests catch what, to weigh a test's
worth); without it a mutant's run stops at its first failing test. With
--only, the other mutants keep their rows from the report already there, so
runs over parts of the list add up to one report.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class Mutant:
    def __init__(self, number, path, old, new, line):
        self.number, self.path, self.old, self.new, self.line = number, path, old, new, line
        self.reason = None
        self.outcome = None  # killed / lived / stale / broken build
        self.failed = []
        self.seconds = 0.0


def read_mutants(list_path):
    mutants, path, old = [], None, None
    with open(list_path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            tag, text = line[:2], line[2:]
            if tag == "@ ":
                path = text.strip()
            elif tag == "- ":
                old = text
            elif tag == "+ ":
                if path is None or old is None:
                    sys.exit(f"{list_path}:{number}: '+' without '@' and '-' before it")
                mutants.append(Mutant(len(mutants) + 1, path, old, text, number))
                old = None
            elif tag == "? ":
                if not mutants:
                    sys.exit(f"{list_path}:{number}: '?' before any mutant")
                mutants[-1].reason = text.strip()
            else:
                sys.exit(f"{list_path}:{number}: a line must start with '@ ', '- ', '+ ' or '? '")
    return mutants


mutants_by_number_source = []


def read_earlier(report, mutants, list_path=None):
    """Outcomes of an earlier report, for `mutants`. Its rows are numbered by
    the list it ran from (`list_path`, this run's list when None): a mutant
    is known by its file and its two texts, so lists grown since still match."""
    if not os.path.exists(report):
        return
    wanted = {(m.path, m.old, m.new): m for m in mutants}
    then = read_mutants(list_path) if list_path else mutants_by_number_source
    by_number = {m.number: m for m in then}
    row = re.compile(r"^\| (\d+) \| (\S+) \| ([a-z ]+) \| (.*) \| (\d+) \|$")
    with open(report, encoding="utf-8") as f:
        for line in f:
            found = row.match(line.strip())
            old = found and by_number.get(int(found.group(1)))
            m = old and old.path == found.group(2) and wanted.get((old.path, old.old, old.new))
            if m:
                m.outcome = found.group(3)
                m.failed = [t for t in found.group(4).split(", ") if t]
                m.seconds = float(found.group(5))


def parse_only(text, count):
    chosen = set()
    for part in text.split(","):
        low, _, high = part.partition("-")
        for n in range(int(low), int(high or low) + 1):
            if 1 <= n <= count:
                chosen.add(n)
    return chosen


def run(cmd, cwd, log, timeout=None):
    with open(log, "ab") as out:
        out.write(("\n$ " + " ".join(cmd) + "\n").encode())
        out.flush()
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return 124


def copy_tree(tree):
    files = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                           cwd=ROOT, check=True, capture_output=True).stdout.split(b"\0")
    for name in files:
        if not name:
            continue
        rel = name.decode()
        src, dst = os.path.join(ROOT, rel), os.path.join(tree, rel)
        if not os.path.isfile(src):
            continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        if not os.path.exists(dst) or open(src, "rb").read() != open(dst, "rb").read():
            shutil.copy(src, dst)  # a fresh time stamp, so a build sees the change


def failed_tests(build):
    log = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
    if not os.path.exists(log):
        return []
    with open(log, encoding="utf-8", errors="replace") as f:
        return [line.strip().split(":", 1)[-1] for line in f if line.strip()]


# The tests that drive a real X server take half a minute each; the rest of
# the suite runs first, and they only when it caught nothing.
SLOW = r"^Screen\."


def suite(build, log, matrix, jobs):
    failed = []
    for phase in (["-E", SLOW], ["-R", SLOW]):
        cmd = ["ctest", "-j", str(jobs), "--timeout", "300"] + phase
        if not matrix:
            cmd.append("--stop-on-failure")
        stale = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
        if os.path.exists(stale):
            os.remove(stale)
        if run(cmd, build, log):
            failed = failed_tests(build) or ["(ctest failed)"]
            return 1, failed
    return 0, failed


def write_report(path, mutants, test_lines, code_lines, started, merged=False, carried=0):
    counted = [m for m in mutants if m.outcome in ("killed", "lived")]
    killed = [m for m in counted if m.outcome == "killed"]
    lived = [m for m in counted if m.outcome == "lived"]
    stale = [m for m in mutants if m.outcome == "stale"]
    broken = [m for m in mutants if m.outcome == "broken build"]
    score = 100.0 * len(killed) / len(counted) if counted else 0.0
    lines = [
        "# Mutation score",
        "",
        "Written by `make mutate` (scripts/mutate.py) from tests/mutants.txt: each",
        "one-line fault is built and the whole suite run against it.",
        "",
        f"- run: {time.strftime('%Y-%m-%d %H:%M', time.localtime(started))}, " +
        ("outcomes merged from runs over parts of the list" if merged else
         f"{(time.time() - started) / 60:.0f} minutes" +
         (f"; {carried} rows kept from the report before" if carried else "")),
        f"- mutants: {len(mutants)}; killed {len(killed)}, lived {len(lived)}, "
        f"stale {len(stale)}, not building {len(broken)}",
        f"- **score: {score:.1f} %** of {len(counted)} (the aim is 95 % or more)",
        f"- tests against code (non-blank, non-comment lines): {test_lines} / {code_lines} = "
        f"{test_lines / max(code_lines, 1):.2f}",
        "",
        "## Survivors",
        "",
    ]
    if not lived:
        lines.append("None.")
    for m in lived:
        reason = m.reason or "**no reason given: a test is missing**"
        lines.append(f"- #{m.number} `{m.path}`: `{m.old.strip()}` -> `{m.new.strip()}`: {reason}")
    if stale or broken:
        lines += ["", "## Not counted", ""]
        for m in stale + broken:
            lines.append(f"- #{m.number} `{m.path}` ({m.outcome}): `{m.old.strip()}`")
    lines += ["", "## Every mutant", "", "| # | file | outcome | caught by | seconds |",
              "|---|---|---|---|---|"]
    for m in mutants:
        if m.outcome is None:
            continue
        caught = ", ".join(m.failed[:3]) + (f" (+{len(m.failed) - 3})" if len(m.failed) > 3 else "")
        lines.append(f"| {m.number} | {m.path} | {m.outcome} | {caught} | {m.seconds:.0f} |")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    return score


def count_lines(folders):
    total = 0
    comment = re.compile(r"^\s*(//|#(?!include|define|if|endif|else|elif|pragma|undef)|$)")
    for folder in folders:
        for base, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in names:
                if not name.endswith((".cpp", ".h", ".sh", ".py", "CMakeLists.txt")):
                    continue
                with open(os.path.join(base, name), encoding="utf-8", errors="replace") as f:
                    total += sum(1 for line in f if not comment.match(line))
    return total


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--list", default=os.path.join(ROOT, "tests", "mutants.txt"))
    parser.add_argument("--only", help="mutant numbers, e.g. 3,7-9")
    parser.add_argument("--matrix", action="store_true", help="run every test for every mutant")
    parser.add_argument("--report", default=os.path.join(ROOT, "tests", "mutation.md"))
    parser.add_argument("--merge", action="append", default=[], metavar="REPORT[:LIST]",
                        help="take outcomes from another report (numbered by LIST); "
                             "without --only nothing is run")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    args = parser.parse_args()

    mutants = read_mutants(args.list)
    global mutants_by_number_source
    mutants_by_number_source = mutants
    everything = set(range(1, len(mutants) + 1))
    chosen = parse_only(args.only, len(mutants)) if args.only else set() if args.merge else everything
    if chosen != everything:
        rest = [m for m in mutants if m.number not in chosen]
        read_earlier(args.report, rest)
        for merge in args.merge:
            report, _, list_path = merge.partition(":")
            read_earlier(report, rest, list_path or None)
    carried = sum(1 for m in mutants if m.outcome and m.number not in chosen)
    if not chosen:
        score = write_report(args.report, [m for m in mutants if m.outcome],
                             count_lines(["tests"]), count_lines(["src", "tools", "bench", "fuzz"]),
                             time.time(), merged=True)
        print(f"mutate: merged; score {score:.1f} %; report in {args.report}")
        return 0 if score >= 95.0 else 1
    build = os.path.abspath(args.build)
    tree, out = os.path.join(build, "tree"), os.path.join(build, "out")
    log = os.path.join(build, "mutate.log")
    os.makedirs(tree, exist_ok=True)
    copy_tree(tree)
    started = time.time()
    tests = count_lines(["tests"])
    code_lines = count_lines(["src", "tools", "bench", "fuzz"])

    print(f"mutate: baseline build in {out}", flush=True)
    # The usual optimised build without debug information: a mutant costs
    # a compile and the links, and debug information doubles the links.
    configure = ["cmake", "-S", tree, "-B", out, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG"]
    if run(configure, build, log) or \
            run(["cmake", "--build", out, "-j", str(args.jobs)], build, log):
        sys.exit(f"mutate: the unmutated tree does not build; see {log}")
    code, failed = suite(out, log, True, args.jobs)
    if code:
        sys.exit(f"mutate: the unmutated suite fails ({', '.join(failed)}); see {log}")

    for m in mutants:
        if m.number not in chosen:
            continue
        target = os.path.join(tree, m.path)
        original = open(target, encoding="utf-8").read() if os.path.exists(target) else ""
        if original.count(m.old) != 1:
            m.outcome = "stale"
            print(f"mutate #{m.number}: stale ({m.path}: text found {original.count(m.old)} times)")
            continue
        begin = time.time()
        try:
            with open(target, "w", encoding="utf-8") as f:
                f.write(original.replace(m.old, m.new))
            if run(["cmake", "--build", out, "-j", str(args.jobs)], build, log):
                m.outcome = "broken build"
            else:
                code, m.failed = suite(out, log, args.matrix, args.jobs)
                m.outcome = "killed" if code else "lived"
        finally:
            with open(target, "w", encoding="utf-8") as f:
                f.write(original)
            # A fresh time stamp: the next build must see the file changed back.
            now = time.time()
            os.utime(target, (now, now + 1))
        m.seconds = time.time() - begin
        print(f"mutate #{m.number}: {m.outcome} ({m.path}, {m.seconds:.0f} s)"
              f"{': ' + ', '.join(m.failed[:4]) if m.failed else ''}", flush=True)
        # Rewritten after every mutant: an interrupted run still leaves its
        # results so far.
        write_report(args.report, [m for m in mutants if m.outcome], tests, code_lines, started,
                     carried=carried)

    score = write_report(args.report, [m for m in mutants if m.outcome], tests, code_lines, started,
                         carried=carried)
    print(f"mutate: score {score:.1f} %; report in {args.report}")
    return 0 if score >= 95.0 else 1


if __name__ == "__main__":
    sys.exit(main())
