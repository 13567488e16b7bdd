#!/usr/bin/env python3
"""Counts how many FORMAT statements and format strings of a Fortran code
base Quillmark opens.

    tools/count_opened.py [--free SUFFIX] CHECKOUT [QUILLMARK_TEXT ...]

Every source file under CHECKOUT (by suffix) is read line by line. A line
that starts a labelled FORMAT statement, and the first format string of a
line that starts a WRITE, READ or PRINT statement, is a candidate; each
QUILLMARK_TEXT program given (default: build/cli/quillmark-text) is run on
it, without --write, and the candidate counts as opened when it exits 0.
Prints one line per program: opened, candidates, and the share. Nothing is
written to the checkout. --free SUFFIX (case as written, e.g. --free .F for
a code base whose preprocessed files are free form) reads the files with
that suffix in free form and passes --free-form for them.
"""
import os
import re
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

SUFFIXES = {".f", ".for", ".ftn", ".f77", ".f90", ".f95", ".f03", ".f08"}
FREE = {".f90", ".f95", ".f03", ".f08"}

FORMAT_LINE = re.compile(r"^\s*\d+\s*format\s*(\(|&|$)", re.IGNORECASE)
IO_LINE = re.compile(r"^\s*(\d+\s+)?(write|read|print)\b", re.IGNORECASE)
FORMAT_STRING = re.compile(r"""(['"])\s*\(""")


def is_comment(line, free):
    if free:
        return line.lstrip().startswith("!")
    return line[:1] not in ("", " ", "\t") and not line[:1].isdigit() or line.lstrip().startswith("!")


def free_form(path, free_suffixes):
    suffix = os.path.splitext(path)[1]
    return suffix.lower() in FREE or suffix in free_suffixes


def fixed_image(line):
    """The line as fixed form reads it: a tab among the first six columns
    moves on to column 7 (column 6 before a digit, a continuation mark)."""
    out = ""
    for i, ch in enumerate(line):
        if len(out) >= 6:
            return out + line[i:]
        if ch == "\t":
            after = line[i + 1:i + 2]
            target = 5 if after and not (after.isalpha() or after in "$ \t!") else 6
            out += " " * max(0, target - len(out))
        else:
            out += ch
    return out


def candidates(path, free):
    with open(path, "rb") as f:
        for number, raw in enumerate(f, 1):
            line = raw.decode("latin-1").rstrip("\r\n")
            if not free:
                line = fixed_image(line)  # the cursor column counts in it
            if is_comment(line, free):
                continue
            if FORMAT_LINE.match(line):
                yield number, 1
            elif IO_LINE.match(line):
                m = FORMAT_STRING.search(line)
                if m:
                    yield number, m.start() + 1


def opens(program, free_suffixes, path, line, column):
    options = ["--free-form"] if free_form(path, free_suffixes) else []
    result = subprocess.run([program, *options, path, str(line), str(column)], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, timeout=60)
    return result.returncode == 0


def main():
    args = sys.argv[1:]
    free_suffixes = set()
    while len(args) >= 2 and args[0] == "--free":
        free_suffixes.add(args[1])
        args = args[2:]
    if not args:
        sys.exit(__doc__)
    root = args[0]
    programs = args[1:] or ["build/cli/quillmark-text"]
    found = []
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            if os.path.splitext(name)[1].lower() in SUFFIXES:
                path = os.path.join(folder, name)
                found.extend((path, line, column) for line, column in candidates(path, free_form(path, free_suffixes)))
    for program in programs:
        with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            results = list(pool.map(lambda c: opens(program, free_suffixes, *c), found))
        opened = sum(results)
        share = 100.0 * opened / len(found) if found else 0.0
        print(f"{program}: {opened} of {len(found)} opened ({share:.1f} %)")


if __name__ == "__main__":
    main()
