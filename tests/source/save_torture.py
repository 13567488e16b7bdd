#!/usr/bin/env python3
"""Saves of a file of a few megabytes, cut short at random moments.

    save_torture.py QUILLMARK_TEXT [--rounds N] [--seed S] [--appends N]

Three parts, each with its own figures:

1. Kills. The file has a second name (a hard link), so that every save
   overwrites it in place. Each round starts the save of an edit and sends
   it SIGTERM, SIGHUP or SIGKILL after a random delay within the time a
   save takes. After each round the file must hold its old or its new
   contents byte for byte, once a run has opened it (which puts back what
   a killed save left); SIGTERM and SIGHUP must leave nothing beside the
   file at once, SIGKILL nothing that the next run does not remove. A run
   ended by the signal must have left the old contents; a run that
   finished must report the save and have left the new ones.

2. Full disk. A 409,600-byte file with a second name on a small tmpfs
   (mounted here when this user may mount one; else the part is skipped,
   the fault-injection tests covering it) grows by one byte, with the free
   room swept page by page from none to more than the save needs. The file must hold
   its old or new contents; a refused save must say the disk is full.

3. Appends. Another program opens the file (one name only: it is replaced
   by an exchange), appends a line and closes it, over and over, while
   saves of it loop. Every line must be in the file at the end.

Exit status 0 when every check held, 1 otherwise.
"""

import argparse
import os
import random
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

FORMAT_LINE = 5
OLD_LIST = " 100  FORMAT (I5, F7.2, A10)"


def fortran_file(lines):
    text = ["      PROGRAM P", "      INTEGER I", "      I = 1", "      WRITE (6, 100) I", OLD_LIST]
    for i in range(lines):
        text.append("C     comment line %08d, padding the file out to megabytes" % i)
    text.append("      END")
    return ("\n".join(text) + "\n").encode()


class Torture:
    def __init__(self, program, seed):
        self.program = program
        self.random = random.Random(seed)
        self.failures = []
        self.append_pause = 0.02
        self.append_hold = 0.005

    def fail(self, text):
        self.failures.append(text)
        print("FAIL:", text, flush=True)

    def run(self, args, **kw):
        return subprocess.run([self.program] + args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                              **kw)

    # The contents a save of the edit makes, found by a save nobody stops.
    def new_contents(self, old, edit, work):
        path = os.path.join(work, "probe.f")
        with open(path, "wb") as f:
            f.write(old)
        os.link(path, os.path.join(work, "probe2.f"))
        start = time.monotonic()
        saved = self.run([path, str(FORMAT_LINE), "7"] + edit + ["--write"])
        took = time.monotonic() - start
        if saved.returncode != 0:
            sys.exit("the probe save failed: " + saved.stderr)
        with open(path, "rb") as f:
            new = f.read()
        for name in ("probe.f", "probe2.f"):
            os.unlink(os.path.join(work, name))
        return new, took

    @staticmethod
    def reset(path, contents):
        # Rewritten in place: the second name stays a name of the same file.
        with open(path, "r+b") as f:
            f.write(contents)
            f.truncate()

    def leftovers(self, folder, names):
        return sorted(set(os.listdir(folder)) - set(names))

    def kills(self, rounds):
        work = tempfile.mkdtemp(prefix="quillmark-torture-")
        old = fortran_file(60000)
        edit = ["--remove", "2"]
        new, _ = self.new_contents(old, edit, work)
        times = [self.new_contents(old, edit, work)[1] for _ in range(3)]
        took = statistics.median(times)
        target = os.path.join(work, "t.f")
        with open(target, "wb") as f:
            f.write(old)
        os.link(target, os.path.join(work, "t2.f"))
        names = ["t.f", "t2.f"]
        outcomes = {}
        for n in range(rounds):
            sig = self.random.choice([signal.SIGTERM, signal.SIGHUP, signal.SIGKILL])
            # A round in three aims anywhere in the save; the others at the
            # overwrite itself, from the moment the journal appears.
            aimed = n % 3 != 0
            delay = self.random.uniform(0, 0.03) if aimed else self.random.uniform(0, took * 1.2)
            self.reset(target, old)
            process = subprocess.Popen([self.program, target, str(FORMAT_LINE), "7"] + edit + ["--write"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            while aimed and process.poll() is None and not any(".qm-old-" in e for e in os.listdir(work)):
                pass
            time.sleep(delay)
            try:
                process.send_signal(sig)
            except ProcessLookupError:
                pass
            _, err = process.communicate()
            status = process.returncode
            with open(target, "rb") as f:
                now = f.read()
            state = "old" if now == old else "new" if now == new else "part"
            where = "round %d (%s %.3f s after %s)" % (n, sig.name, delay, "the journal" if aimed else "the start")
            if sig != signal.SIGKILL:
                if state == "part":
                    self.fail(where + ": the file is neither old nor new")
                if self.leftovers(work, names):
                    self.fail(where + ": left " + " ".join(self.leftovers(work, names)))
                if status == -sig and state != "old":
                    self.fail(where + ": ended by the signal, the file not as it was")
                if status == 0 and state != "new":
                    self.fail(where + ": reported saved, the file not saved")
                if status not in (0, -sig):
                    self.fail(where + ": status %d: %s" % (status, err.strip()))
            # A later run on the file (opening it only) finds what is left.
            opened = self.run([target, str(FORMAT_LINE), "7"])
            with open(target, "rb") as f:
                after = f.read()
            after_state = "old" if after == old else "new" if after == new else "part"
            put_back = "put back" in opened.stderr
            if after_state == "part":
                self.fail(where + ": after the next run the file is neither old nor new")
            if self.leftovers(work, names):
                self.fail(where + ": the next run left " + " ".join(self.leftovers(work, names)))
            if state != after_state and not put_back:
                self.fail(where + ": the file changed under the next run, which said nothing")
            if status == 0:
                kind = "saved" + (", then told of the signal" if "came while" in err else "")
            elif status == -sig:
                kind = "ended by the signal"
            else:
                kind = "status %d" % status
            key = "%s: %s, file %s%s" % (sig.name, kind, state, ", put back by the next run" if put_back else "")
            outcomes[key] = outcomes.get(key, 0) + 1
        print("Kills: %d rounds on a %d-byte file with two names (a save takes %.3f s):" % (rounds, len(old), took))
        for key in sorted(outcomes):
            print("  %4d  %s" % (outcomes[key], key))

    def full_disk(self, steps):
        if os.geteuid() != 0:
            print("Full disk: skipped (mounting a tmpfs needs root)")
            return
        mount = tempfile.mkdtemp(prefix="quillmark-tmpfs-")
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m", "tmpfs", mount]).returncode != 0:
            print("Full disk: skipped (no tmpfs could be mounted)")
            return
        try:
            self.full_disk_on(mount, steps)
        finally:
            subprocess.run(["umount", mount])
            os.rmdir(mount)

    def full_disk_on(self, mount, steps):
        work = tempfile.mkdtemp(prefix="quillmark-probe-")
        head = fortran_file(0)
        old = head + b"C" * (409600 - len(head) - 1) + b"\n"
        edit = ["--text", "0:I10"]
        new, _ = self.new_contents(old, edit, work)
        os.rmdir(work)
        assert len(old) == 409600 and len(new) == 409601
        target = os.path.join(mount, "t.f")
        filler = os.path.join(mount, "filler")
        names = ["t.f", "t2.f", "filler"]
        counts = {}
        page = os.statvfs(mount).f_frsize
        # Page by page up to a little more than a save with its journal
        # needs (the copy, the journal and one more page for the growth),
        # or in as many even steps as asked.
        top = 2 * len(old) + 12 * page
        rooms = range(0, top, page) if steps <= 0 else range(0, top, max(page, top // steps))
        for room in rooms:
            for name in names:
                if os.path.exists(os.path.join(mount, name)):
                    os.unlink(os.path.join(mount, name))
            with open(target, "wb") as f:
                f.write(old)
            os.link(target, os.path.join(mount, "t2.f"))
            free = os.statvfs(mount).f_bavail * os.statvfs(mount).f_frsize
            with open(filler, "wb") as f:
                if free > room:
                    os.posix_fallocate(f.fileno(), 0, free - room)
            saved = self.run([target, str(FORMAT_LINE), "7"] + edit + ["--write"])
            with open(target, "rb") as f:
                now = f.read()
            where = "full disk, %d bytes free" % room
            if now not in (old, new):
                self.fail(where + ": the file is neither old nor new (%d bytes)" % len(now))
            if saved.returncode == 0 and now != new:
                self.fail(where + ": reported saved, the file not saved")
            if saved.returncode != 0 and "No space left on device" not in saved.stderr:
                self.fail(where + ": refused without saying the disk is full: " + saved.stderr.strip())
            if self.leftovers(mount, names):
                self.fail(where + ": left " + " ".join(self.leftovers(mount, names)))
            key = "saved" if saved.returncode == 0 else "refused, disk full, file untouched" if now == old else "?"
            counts[key] = counts.get(key, 0) + 1
        print("Full disk: %d saves of a 409,600-byte file with two names growing by 1 byte, free room swept "
              "from 0 to %d bytes:" % (len(rooms), top))
        for key in sorted(counts):
            print("  %4d  %s" % (counts[key], key))

    def appends(self, count):
        work = tempfile.mkdtemp(prefix="quillmark-appends-")
        target = os.path.join(work, "t.f")
        with open(target, "wb") as f:
            f.write(fortran_file(2000))
        done = threading.Event()

        def append():
            for i in range(count):
                with open(target, "ab") as f:
                    # Open a while before it writes, as a program that
                    # opens its log and then makes up the line.
                    time.sleep(self.random.uniform(0, self.append_hold))
                    f.write(b"C     appended line %06d\n" % i)
                time.sleep(self.random.uniform(0, self.append_pause))
            done.set()

        thread = threading.Thread(target=append)
        thread.start()
        results = {}
        edits = [["--remove", "2"], ["--insert", "2:A10"]]
        n = 0
        while not done.is_set():
            saved = self.run([target, str(FORMAT_LINE), "7"] + edits[n % 2] + ["--write"])
            key = "saved" if saved.returncode == 0 else "refused (changed since read)" \
                if "has changed" in saved.stderr else "refused: " + saved.stderr.strip()
            results[key] = results.get(key, 0) + 1
            n += saved.returncode == 0
        thread.join()
        with open(target, "rb") as f:
            text = f.read()
        missing = [i for i in range(count) if (b"C     appended line %06d\n" % i) not in text]
        if missing:
            self.fail("appends: %d of %d lines lost" % (len(missing), count))
        print("Appends: %d lines appended while %d saves ran (%s); lines lost: %d" % (
            count, sum(results.values()), ", ".join("%d %s" % (v, k) for k, v in sorted(results.items())),
            len(missing)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("--rounds", type=int, default=60)
    parser.add_argument("--disk-steps", type=int, default=0, help="0: every page of free room")
    parser.add_argument("--appends", type=int, default=600)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--append-pause", type=float, default=0.02, help="longest pause between two appends (s)")
    parser.add_argument("--append-hold", type=float, default=0.005,
                        help="longest time the other program holds the file open before it appends (s)")
    parser.add_argument("--only", choices=["kills", "disk", "appends"], default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    print("seed", seed, flush=True)
    torture = Torture(os.path.abspath(args.program), seed)
    torture.append_pause = args.append_pause
    torture.append_hold = args.append_hold
    if args.only in (None, "kills"):
        torture.kills(args.rounds)
    if args.only in (None, "disk"):
        torture.full_disk(args.disk_steps)
    if args.only in (None, "appends"):
        torture.appends(args.appends)
    print("failed" if torture.failures else "passed")
    return 1 if torture.failures else 0


if __name__ == "__main__":
    sys.exit(main())
