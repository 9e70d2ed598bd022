#!/usr/bin/env python3
"""Runs seeded random cases against a build of tavik-host and classifies each one.

Classes: clean, crash, sanitizer (an AddressSanitizer, LeakSanitizer or UBSan report), hang (a
run past its bound), invariant (the saved file does not reopen, a field does not show the value
it had when it was saved, a typed value or a foreign property is lost), and invalid (the
generator made a configuration that tavik-check refuses: a fault of this test).

Each case: tavik-check must accept the configuration (its model gives the fields' tags); the
edit script runs. The script is written to fit what the editor shows, so most cases need one edit
run and one reopen run; when the editor still refuses one of its actions (a control not shown, a
question with no answer queued) the action is dropped or an answer queued and the script runs
again from fresh documents (a repair, counted in the summary so that a rise shows); the fields'
texts are printed before Done, then Done and save. The saved file must
be valid JSON and reopen in tavik-host, and every plain field of the frame saved must show the text
it had before Done, in every slot its location saves.

Cases run side by side (--jobs), each in its own folder with its own settings file and
configuration folder; results are printed in seed order. Every run of the host is bounded. A failing case keeps its folder (configuration, documents,
scripts, outputs) and is printed with the command line that replays it; adding the seed to
seeds.txt (or ring_seeds.txt) makes it a regression test.
"""

import argparse
import collections
import concurrent.futures
import glob
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import generate  # noqa: E402

TOP = os.path.dirname(os.path.dirname(HERE))
CLASSES = ["clean", "crash", "sanitizer", "hang", "invariant", "invalid"]
SANITIZER = re.compile(r"ERROR: (AddressSanitizer|LeakSanitizer)|runtime error: |SUMMARY: UndefinedBehaviorSanitizer")
LINE_FAILURE = re.compile(r"^tavik-host: [^:]*\.script:(\d+): (.*)$", re.M)
# Refusals that mean the action did not fit what the editor showed at that moment: the action is
# dropped and the script rendered again.
NO_ANSWER = "asks a question and no answer is queued"
WRONG_ANSWER = re.compile(r"the queued answer (\w+) is not a button of the message box .*\((.*)\)")
NO_FILE = "opened and no file answer is queued"
DIALOG_LEFT_OPEN = re.compile(r"in (setSerNum|configsSelect)$")
DIALOG_ACTIONS = {"setSerNum": "serial_menu", "configsSelect": "copy"}
MAX_REPAIRS = 40


class Outcome(Exception):
    def __init__(self, cls, cause):
        super().__init__(cause)
        self.cls = cls
        self.cause = cause


class Build:
    def __init__(self, args):
        d = args.build
        self.host = args.host or os.path.join(d, "tavik-host")
        self.check = args.check or os.path.join(d, "tavik-check")
        plugins = [args.plugin] if args.plugin else sorted(
            glob.glob(os.path.join(d, "addin", "*.so")))
        if not plugins or not os.path.exists(self.host):
            sys.exit("monkey: no tavik-host and plugin in %s (build it first)" % d)
        self.plugin = plugins[0]
        self.schema = os.path.join(TOP, "data", "Tavik.xsd")
        self.timeout = args.timeout
        self.env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        self.env.setdefault("ASAN_OPTIONS", "halt_on_error=1:abort_on_error=0:detect_leaks=1")
        self.env.setdefault("UBSAN_OPTIONS", "halt_on_error=1:print_stacktrace=1")
        self.env.setdefault("LSAN_OPTIONS", "suppressions=%s:print_suppressions=0"
                            % os.path.join(TOP, "scripts", "lsan.supp"))


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)


# What Qt says on every run of the offscreen platform: not a cause.
NOISE = re.compile(r"^(QStandardPaths: |This plugin does not support)")


def first_line(text):
    for line in text.splitlines():
        if line.strip() and not NOISE.match(line):
            return line.strip()[:200]
    return ""


def signal_name(code):
    try:
        return "signal %s" % __import__("signal").Signals(-code).name if code < 0 else "exit %d" % code
    except ValueError:
        return "exit %d" % code


def sanitizer_line(text):
    for line in text.splitlines():
        if SANITIZER.search(line):
            return line.strip()[:200]
    return None


def fields(stdout):
    """The FIELD records of a transcript: tag -> shown text."""
    out = {}
    for line in stdout.splitlines():
        parts = line.split("\t")
        if parts[0] == "FIELD" and len(parts) > 2:
            out[parts[1]] = parts[2]
    return out


class CaseRun:
    def __init__(self, build, seed, work, odd=None):
        self.build = build
        self.seed = seed
        self.dir = os.path.join(work, "seed-%d" % seed)
        self.case = generate.generate(seed, odd)
        self.runs = 0
        self.compared = 0
        self.repairs = 0
        # Cases run side by side: whatever the host keeps under the user's configuration folder
        # stays in the case's own.
        self.env = dict(build.env, XDG_CONFIG_HOME=os.path.join(self.dir, "config"))

    # Files -------------------------------------------------------------------------------------

    def prepare(self):
        shutil.rmtree(self.dir, ignore_errors=True)
        addin = os.path.join(self.dir, "addin")
        os.makedirs(addin)
        write(os.path.join(addin, "Tavik.xml"), self.case.gen.xml())
        shutil.copy(self.build.schema, addin)
        os.symlink(os.path.abspath(self.build.plugin), os.path.join(addin, os.path.basename(self.build.plugin)))
        write(os.path.join(self.dir, "main.json"), json.dumps(self.case.main_doc, ensure_ascii=False, indent=1))
        write(os.path.join(self.dir, "other.json"), json.dumps(self.case.other_doc, ensure_ascii=False, indent=1))

    def fresh_documents(self):
        """Puts the documents and an empty settings store in place for a run of the script."""
        for f in glob.glob(os.path.join(self.dir, "*.sld*")) + glob.glob(os.path.join(self.dir, "settings.sqlite*")):
            os.remove(f)
        shutil.copy(os.path.join(self.dir, "main.json"), os.path.join(self.dir, self.case.main_name))
        shutil.copy(os.path.join(self.dir, "other.json"), os.path.join(self.dir, self.case.other_name))

    def check_configuration(self):
        p = subprocess.run([self.build.check, "--json", os.path.join(self.dir, "addin")], capture_output=True,
                           text=True, timeout=60, env=self.build.env)
        if p.returncode == 0:
            self.case.apply_model(json.loads(p.stdout[p.stdout.index("{"):]))
            return True
        reason = first_line(p.stdout + p.stderr)
        if not self.case.gen.odd:
            raise Outcome("invalid", "tavik-check refuses the configuration: " + reason)
        # Lists and composites that feed each other may be refused when the configuration loads.
        # The editor must then say so and stay sound.
        self.fresh_documents()
        code, out, err = self.host("edit", ["command"], self.case.main_name)
        if code != 0:
            raise Outcome("invariant", "a configuration refused by tavik-check: the editor's run fails: "
                          + first_line(err))
        raise Outcome("clean", "refused at load: " + reason)

    def host(self, name, lines, doc):
        """Runs one script; returns (exit status, stdout, stderr) or raises the fault it shows."""
        script = os.path.join(self.dir, name + ".script")
        write(script, "".join(line + "\n" for line in lines))
        plugin = os.path.join(self.dir, "addin", os.path.basename(self.build.plugin))
        cmd = [self.build.host, "--addin", plugin, "--settings", os.path.join(self.dir, "settings.sqlite"),
               "--script", script, doc]
        self.runs += 1
        try:
            p = subprocess.run(cmd, cwd=self.dir, capture_output=True, timeout=self.build.timeout,
                               env=self.env)
        except subprocess.TimeoutExpired as e:
            # A flood of message boxes writes millions of lines: keep the end of it.
            tail = (e.stdout or b"")[-20000:].decode("utf-8", "replace").splitlines()[1:]
            write(os.path.join(self.dir, name + ".stdout"), "".join(t + "\n" for t in tail))
            last = tail[-1:] or [""]
            raise Outcome("hang", "%s ran past %d s; last output: %s" % (name, self.build.timeout,
                                                                        last[0].replace("\t", " ")[:150]))
        out = p.stdout.decode("utf-8", "replace")
        err = p.stderr.decode("utf-8", "replace")
        write(os.path.join(self.dir, name + ".stdout"), out)
        write(os.path.join(self.dir, name + ".stderr"), err)
        san = sanitizer_line(err)
        if san:
            raise Outcome("sanitizer", "%s: %s" % (name, san))
        if p.returncode < 0 or p.returncode >= 128:
            records = [l for l in out.splitlines() if not l.startswith("STATUS")]
            raise Outcome("crash", "%s: %s; %s" % (name, signal_name(p.returncode),
                                                   first_line(err) or "last output: " + (records[-1:] or [""])[0][:120].replace("\t", " ")))
        return p.returncode, out, err

    # The case ----------------------------------------------------------------------------------

    def run(self):
        self.prepare()
        self.check_configuration()
        self.case.plan()
        rng = random.Random(self.seed * 7919 + 1)
        case = self.case
        for attempt in range(MAX_REPAIRS + 1):
            self.fresh_documents()
            lines, owners = case.render()
            code, out, err = self.host("edit", lines, case.main_name)
            if code == 0:
                break
            m = LINE_FAILURE.search(err)
            if code != 1 or not m:
                raise Outcome("crash", "edit: exit %d; %s" % (code, first_line(err)))
            number, reason = int(m.group(1)), m.group(2)
            if "in tavikHost" in reason:
                # The editor is not open: its configuration did not load, or it closed early.
                boxes = [l for l in out.splitlines() if l.startswith("MSGBOX")]
                # tavik-check accepted this configuration: the editor must load it too.
                refused_at_load = any("Exiting" in b for b in boxes)
                raise Outcome("clean" if case.gen.odd and not refused_at_load else "invariant",
                              "the editor did not open or closed early: "
                              + (boxes[0].replace("\t", " ")[:150] if boxes else reason))
            self.repairs += 1
            self.repair(lines, owners, number, reason, rng, err)
        else:
            raise Outcome("clean", "script cut short: no run of it got through in %d repairs" % MAX_REPAIRS)
        self.check_saved(out)

    def repair(self, lines, owners, number, reason, rng, err):
        """Changes the plan after the editor refused line NUMBER, or raises a broken invariant."""
        line = lines[number - 1]
        owner = owners[number - 1]
        with open(os.path.join(self.dir, "repairs.log"), "a", encoding="utf-8") as log:
            log.write("%d: %s: %s\n" % (number, line[:80], reason))
        if line.startswith("expect ") or line.startswith("expect-prop "):
            raise Outcome("invariant", "line %d: %s" % (number, reason))
        case = self.case
        target = case.actions[owner] if owner is not None else None
        answers = target.answers if target else case.tail_answers
        if NO_ANSWER in reason:
            answers.append(rng.choice(["Yes", "No"]))
            return
        wrong = WRONG_ANSWER.search(reason)
        if wrong:
            offered = [a.strip() for a in wrong.group(2).split(",")]
            if answers:
                answers[-1] = rng.choice(offered)
            else:
                answers.append(rng.choice(offered))
            return
        if NO_FILE in reason and target:
            target.files.append("cancel")
            return
        dialog = DIALOG_LEFT_OPEN.search(reason)
        if dialog and (target is None or target.kind != DIALOG_ACTIONS[dialog.group(1)]):
            # A dialog that an earlier action opened is still open: that action is the one to drop.
            before = case.actions if owner is None else case.actions[:owner]
            opener = [a for a in before if not a.dropped and a.kind == DIALOG_ACTIONS[dialog.group(1)]]
            if opener:
                opener[-1].dropped = True
                return
        if target is not None:
            if target.kind == "command":
                raise Outcome("invariant", "line %d (command): %s" % (number, reason))
            target.dropped = True
            return
        if line.startswith("print "):
            case.tail_drops.add(line.split()[1])
            return
        raise Outcome("invariant", "line %d (%s): %s" % (number, line[:60], reason))

    def saved_document(self):
        """The main document as saved: its own file, or the file a rename on Done made."""
        docs = [f for f in glob.glob(os.path.join(self.dir, "*.sld*"))
                if os.path.basename(f) != self.case.other_name]
        if not docs:
            raise Outcome("invariant", "no document file after Done and save")
        return max(docs, key=os.path.getmtime)

    def check_saved(self, edit_out):
        path = self.saved_document()
        try:
            with open(path, encoding="utf-8") as f:
                saved = json.load(f)
        except (ValueError, OSError) as e:
            raise Outcome("invariant", "the saved file %s is not valid: %s" % (os.path.basename(path), e))
        if "Thank you for using" not in edit_out:
            # Done did not finish (an entry it refused): nothing more was promised.
            return
        code, out, err = self.host("reopen", self.case.reopen_script(), os.path.basename(path))
        if code != 0:
            raise Outcome("invariant", "the saved file does not reopen: " + first_line(err))
        params = {}
        for a in saved.get("attributes", []):
            if a.get("name") == "TavikAttribute":
                params = a.get("parameters", {})
        frame = int(params.get("USE_FRAME", 0))
        use_configs = bool(params.get("USE_CONFIGS", 0))
        before, after = fields(edit_out), fields(out)
        for item in self.case.plain_items():
            if item.frame != frame:
                continue
            for slot in range(self.case.slots):
                if slot == 0 and item.location == "onlyConfigurations":
                    continue
                if slot > 0 and (item.location == "onlyDocument" or not use_configs):
                    continue
                tag = item.field_tag(slot)
                if tag in before and tag in after:
                    self.compared += 1
                if tag in before and tag in after and before[tag] != after[tag]:
                    raise Outcome("invariant", "field %s (%s) was saved as \"%s\" and reopens as \"%s\""
                                  % (tag, item.tag, before[tag][:60], after[tag][:60]))


def run_seed(build, seed, work, keep, odd=None):
    started = time.monotonic()
    c = CaseRun(build, seed, work, odd)
    try:
        c.run()
        cls, cause = "clean", ""
    except Outcome as o:
        cls, cause = o.cls, o.cause
    except Exception as e:  # a fault of this test itself
        cls, cause = "invalid", "the monkey failed: %r" % e
    if cls == "clean" and not keep:
        shutil.rmtree(c.dir, ignore_errors=True)
    return cls, cause, c, time.monotonic() - started


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--build", default=os.path.join(TOP, "build"), help="the build folder (default build/)")
    p.add_argument("--host"), p.add_argument("--plugin"), p.add_argument("--check")
    p.add_argument("--work", default=None, help="where cases are kept (default BUILD/monkey)")
    p.add_argument("--seed", type=int, action="append", help="run this seed (again); may be repeated")
    p.add_argument("--seeds-file", help="run the seeds listed in this file (# starts a comment)")
    p.add_argument("--first", type=int, default=1, help="first seed of a campaign")
    p.add_argument("--seconds", type=float, default=0, help="run seeds from --first for this long")
    p.add_argument("--count", type=int, default=0, help="run this many seeds from --first")
    p.add_argument("--timeout", type=int, default=60, help="bound of each host run in seconds")
    p.add_argument("--keep", action="store_true", help="keep the folders of clean cases too")
    p.add_argument("--log", help="append one line per seed (seed, class, host runs, seconds, odd, cause)")
    p.add_argument("--jobs", type=int, default=2, help="cases run side by side (default 2)")
    p.add_argument("--odd", choices=["yes", "no"], help="force or forbid links and composites that feed each other")
    args = p.parse_args(argv)
    build = Build(args)
    work = args.work or os.path.join(args.build, "monkey")
    os.makedirs(work, exist_ok=True)
    odd = None if args.odd is None else args.odd == "yes"

    seeds = list(args.seed or [])
    if args.seeds_file:
        with open(args.seeds_file) as f:
            for line in f:
                line = line.split("#")[0].strip()
                if line:
                    seeds.append(int(line))
    counts = {c: 0 for c in CLASSES}
    failures = []
    totals = {"runs": 0, "compared": 0, "repairs": 0, "repaired": 0}
    log = open(args.log, "a", encoding="utf-8") if args.log else None
    started = time.monotonic()
    keep = args.keep or bool(args.seed)

    def report(seed, result):
        cls, cause, c, took = result
        counts[cls] += 1
        totals["runs"] += c.runs
        totals["compared"] += c.compared
        totals["repairs"] += c.repairs
        totals["repaired"] += bool(c.repairs)
        if log:
            log.write("%d\t%s\t%d\t%.1f\t%s\t%s\n" % (seed, cls, c.runs, took, "odd" if c.case.gen.odd else "-", cause))
            log.flush()
        if cls != "clean":
            failures.append((seed, cls, cause))
            print("seed %d: %s: %s\n  kept in %s\n  replay: scripts/monkey --build %s%s --seed %d"
                  % (seed, cls, cause, os.path.join(work, "seed-%d" % seed), args.build,
                     " --odd " + args.odd if args.odd else "", seed), flush=True)
        elif cause:
            print("seed %d: clean (%s)" % (seed, cause), flush=True)

    def wanted():
        if seeds:
            yield from seeds
            return
        s = args.first
        while (args.count and s < args.first + args.count) or \
                (args.seconds and time.monotonic() - started < args.seconds):
            yield s
            s += 1

    # Cases run side by side, each in its own folder with its own settings file; results are
    # reported in seed order, a few cases ahead at most.
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        pending = collections.deque()
        for seed in wanted():
            pending.append((seed, pool.submit(run_seed, build, seed, work, keep, odd)))
            while len(pending) > 2 * args.jobs or (pending and pending[0][1].done()):
                seed_done, future = pending.popleft()
                report(seed_done, future.result())
        for seed_done, future in pending:
            report(seed_done, future.result())
    total = sum(counts.values())
    took = time.monotonic() - started
    print("monkey: %d seeds, %d host runs (%.2f a seed), %d repairs in %d seeds, %d reopened values compared, "
          "in %.0f s (%.2f seeds/s): %s" % (
              total, totals["runs"], totals["runs"] / max(1, total), totals["repairs"], totals["repaired"],
              totals["compared"], took, total / max(took, 1e-9), ", ".join("%s %d" % (c, counts[c]) for c in CLASSES)))
    for seed, cls, cause in failures:
        print("  seed %d: %s: %s" % (seed, cls, cause))
    return 0 if not failures else 1


if __name__ == "__main__":
    sys.exit(main())
