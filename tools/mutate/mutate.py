#!/usr/bin/env python3
"""Mutation runs: how many small faults in the decisions the unit tests let through.

Applies the single-line mutants of a list (tools/mutate/mutants.txt) one at a time to the source
tree, rebuilds the unit tests that depend on the file (as ninja sees it), runs them and puts
the file back. A mutant is
killed when a test fails or runs out of time, survives when every test passes, and is "not
built" when it does not compile (the list then needs mending). The file is restored after
every mutant, also on Ctrl-C; a run killed outright leaves a note in the build folder that the
next run restores from before anything else.

    tools/mutate/mutate.py                       # every mutant, every unit test
    tools/mutate/mutate.py --only CallDispatcher # the mutants of matching files
    tools/mutate/mutate.py --tests 'waiting|smb' # a quicker, narrower run (a ctest -R regex)
    tools/mutate/mutate.py --check               # only check that every mutant applies
"""

import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BACKUP_NAME = "mutate-restore.json"


@dataclass
class Mutant:
    file: str
    original: str  # the line's text, leading and trailing blanks aside
    replacement: str
    meaning: str
    occurrence: int  # which of equal lines, from 1; 0: the line must be the only one
    where: str  # the list's file and line, for messages


def parse_list(path):
    """The list: "[file]" opens a file's mutants; each mutant is "- original", "+ replacement"
    and "? what a user would meet", in that order. "-2 original" picks the second of equal
    lines. Blank lines and lines starting with "#" are ignored."""
    mutants, errors = [], []
    current, pending = None, {}
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.strip()
        where = f"{path.name}:{number}"
        if not line or line.startswith("#"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current, pending = line[1:-1].strip(), {}
            continue
        match = re.match(r"^([-+?])(\d*) (.*)$", line)
        if not match or current is None:
            errors.append(f"{where}: not a mutant line: {raw}")
            continue
        kind, count, text = match.groups()
        if kind == "-":
            pending = {"original": text.strip(), "occurrence": int(count or 0), "where": where}
        elif kind == "+" and "original" in pending and "replacement" not in pending:
            pending["replacement"] = text.strip()
        elif kind == "?" and pending.get("replacement", pending) == pending.get("original"):
            errors.append(f"{pending['where']}: the replacement changes nothing")
            pending = {}
        elif kind == "?" and "replacement" in pending:
            mutants.append(Mutant(current, pending["original"], pending["replacement"],
                                  text.strip(), pending["occurrence"], pending["where"]))
            pending = {}
        else:
            errors.append(f"{where}: expected '-', '+' then '?' lines: {raw}")
    if pending:
        errors.append(f"{pending['where']}: mutant without its '+' or '?' line")
    return mutants, errors


def locate(mutant):
    """The index of the mutated line in its file, or an error text."""
    path = ROOT / mutant.file
    if not path.is_file():
        return None, f"{mutant.where}: no file {mutant.file}"
    lines = path.read_text(encoding="utf-8").split("\n")
    hits = [i for i, line in enumerate(lines) if line.strip() == mutant.original]
    if not hits:
        return None, f"{mutant.where}: {mutant.file} has no line '{mutant.original}'"
    if mutant.occurrence == 0 and len(hits) > 1:
        numbers = ", ".join(str(i + 1) for i in hits)
        return None, (f"{mutant.where}: '{mutant.original}' is on lines {numbers} of "
                      f"{mutant.file}: say which with -N")
    if mutant.occurrence > len(hits):
        return None, f"{mutant.where}: fewer than {mutant.occurrence} such lines"
    return hits[max(mutant.occurrence, 1) - 1], None


def mutated_text(mutant, index):
    lines = (ROOT / mutant.file).read_text(encoding="utf-8").split("\n")
    indent = lines[index][: len(lines[index]) - len(lines[index].lstrip())]
    lines[index] = indent + mutant.replacement
    return "\n".join(lines)


class Interrupted(Exception):
    pass


def on_signal(signum, _frame):
    raise Interrupted(signal.Signals(signum).name)


def run(command, cwd, timeout):
    """Runs a command in a session of its own, so that a timeout or an interruption ends all
    its children too. Returns (exit code or None on timeout, output)."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        return None, process.communicate()[0]
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise


class Restorer:
    """Puts a mutated file back; the original also waits in the build folder until then."""

    def __init__(self, build):
        self.note = build / BACKUP_NAME

    def recover(self):
        if not self.note.exists():
            return
        saved = json.loads(self.note.read_text(encoding="utf-8"))
        (ROOT / saved["file"]).write_text(saved["text"], encoding="utf-8")
        self.note.unlink()
        print(f"restored {saved['file']}, left mutated by an interrupted run")

    def mutate(self, file, original, text):
        self.note.write_text(json.dumps({"file": file, "text": original}), encoding="utf-8")
        (ROOT / file).write_text(text, encoding="utf-8")

    def restore(self, file, original):
        (ROOT / file).write_text(original, encoding="utf-8")
        self.note.unlink(missing_ok=True)


def unit_tests(build, pattern):
    """The unit tests (ctest's, integration tests aside) as {name: executable as a ninja
    target}; a test whose executable is not built yet, or not by ninja, has none."""
    selection = ["-LE", "integration"] + (["-R", pattern] if pattern else [])
    code, output = run(["ctest", "--show-only=json-v1"] + selection, build, 120)
    if code != 0:
        sys.exit(f"ctest cannot list the tests in {build}:\n{output}")
    tests = {}
    for test in json.loads(output)["tests"]:
        executable = Path(test.get("command", [""])[0])
        built = executable.is_relative_to(build)
        tests[test["name"]] = str(executable.relative_to(build)) if built else None
    if not tests:
        sys.exit("no unit test matches")
    return tests


def affected(build, tests, jobs, timeout):
    """The tests whose executables ninja would rebuild now; tests it does not build always."""
    targets = sorted({t for t in tests.values() if t})
    code, output = run(["ninja", "-C", str(build), "-n", f"-j{jobs}"] + targets, ROOT, timeout)
    if code != 0:
        sys.exit(f"ninja cannot plan the build:\n{output[-3000:]}")
    stale = {line.rsplit(" ", 1)[-1] for line in output.splitlines()}
    return sorted(name for name, target in tests.items() if not target or target in stale)


def test_command(names, timeout, jobs):
    pattern = "^(" + "|".join(re.escape(n) for n in names) + ")$"
    return ["ctest", "--stop-on-failure", "--timeout", str(timeout), f"-j{jobs}", "-LE",
            "integration", "-R", pattern]


def failed_tests(output):
    names = re.findall(r"^\s*\d+ - (\S+) \(", output, re.MULTILINE)
    return ", ".join(names) or "tests"


def judge(build_command, names, build, args):
    """Builds the mutated tree and runs the tests `names`: the verdict and a detail."""
    code, output = run(build_command, ROOT, args.run_timeout)
    if code != 0:
        return "not built", output.strip().splitlines()[-1:]
    code, output = run(test_command(names, args.timeout, args.jobs), build, args.run_timeout)
    if code is None:
        return "killed", ["run timed out"]
    if code != 0:
        return "killed", [failed_tests(output)]
    return "survived", []


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=str(ROOT / "build"), help="configured build folder")
    parser.add_argument("--list", default=str(Path(__file__).with_name("mutants.txt")))
    parser.add_argument("--only", help="only mutants of files matching this regex")
    parser.add_argument("--tests", help="only unit tests matching this ctest -R regex")
    parser.add_argument("--timeout", type=int, default=120, help="seconds for one test")
    parser.add_argument("--run-timeout", type=int, default=900,
                        help="seconds for one build or one run of the tests")
    parser.add_argument("--jobs", type=int, default=2, help="parallel builds and tests")
    parser.add_argument("--check", action="store_true", help="only check that the mutants apply")
    args = parser.parse_args()

    build = Path(args.build).resolve()
    restorer = Restorer(build)
    restorer.recover()
    mutants, errors = parse_list(Path(args.list))
    if args.only:
        mutants = [m for m in mutants if re.search(args.only, m.file)]
    located = []
    for mutant in mutants:
        index, error = locate(mutant)
        if error:
            errors.append(error)
        else:
            located.append((mutant, index))
    if errors:
        sys.exit("\n".join(errors))
    if args.check:
        print(f"{len(located)} mutants apply")
        return

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    tests = unit_tests(build, args.tests)
    if None in tests.values():
        # ctest names the executable of a test only once it exists: build everything first.
        code, output = run(["ninja", "-C", str(build), f"-j{args.jobs}"], ROOT, args.run_timeout)
        if code != 0:
            sys.exit(f"the unmutated tree does not build:\n{output[-3000:]}")
        tests = unit_tests(build, args.tests)
    targets = sorted({t for t in tests.values() if t})
    build_command = ["ninja", "-C", str(build), f"-j{args.jobs}"] + targets
    print(f"{len(located)} mutants, {len(tests)} unit tests")

    code, output = run(build_command, ROOT, args.run_timeout)
    if code != 0:
        sys.exit(f"the unmutated tree does not build:\n{output[-3000:]}")
    code, output = run(test_command(sorted(tests), args.timeout, args.jobs), build,
                       args.run_timeout)
    if code != 0:
        sys.exit(f"the unit tests fail without a mutant:\n{output[-3000:]}")

    results = {"killed": 0, "survived": 0, "not built": 0}
    survivors, unbuilt = [], []
    started = time.monotonic()
    try:
        for number, (mutant, index) in enumerate(located, 1):
            label = f"{mutant.file}:{index + 1}"
            original = (ROOT / mutant.file).read_text(encoding="utf-8")
            try:
                restorer.mutate(mutant.file, original, mutated_text(mutant, index))
                names = affected(build, tests, args.jobs, args.run_timeout)
                stale = sorted({tests[n] for n in names if tests[n]})
                verdict, detail = "survived", ["no unit test depends on the file"]
                if names:
                    verdict, detail = judge(build_command[:4] + stale, names, build, args)
            finally:
                restorer.restore(mutant.file, original)
            results[verdict] += 1
            if verdict == "survived":
                survivors.append((label, mutant))
            elif verdict == "not built":
                unbuilt.append((label, mutant))
            note = f" ({detail[0]})" if detail else ""
            print(f"[{number}/{len(located)}] {verdict:9} {label}{note}\n"
                  f"      {mutant.original}  ->  {mutant.replacement}", flush=True)
    except (KeyboardInterrupt, Interrupted):
        print("\ninterrupted: the mutated file is restored", file=sys.stderr)
        return 130
    finally:
        # Leave the build as the tree is; ccache makes this cheap.
        run(build_command, ROOT, args.run_timeout)

    tried = results["killed"] + results["survived"]
    minutes = (time.monotonic() - started) / 60
    print(f"\n{tried} mutants run in {minutes:.0f} min: {results['killed']} killed, "
          f"{results['survived']} survived, {results['not built']} not built")
    for label, mutant in survivors:
        print(f"survived  {label}: {mutant.original}  ->  {mutant.replacement}\n"
              f"          {mutant.meaning}")
    for label, mutant in unbuilt:
        print(f"not built {label} ({mutant.where}): mend the list")
    return 1 if unbuilt else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (KeyboardInterrupt, Interrupted):
        sys.exit(130)
