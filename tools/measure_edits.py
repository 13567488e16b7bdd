#!/usr/bin/env python3
"""Measures what a save does to the files of a Fortran code base.

    tools/measure_edits.py [--free SUFFIX] [--seed N] [--limit N] [--compile]
                           CHECKOUT QUILLMARK_TEXT [OPTION ...]

For every FORMAT statement and format string that QUILLMARK_TEXT opens (the
candidates of count_opened.py), one field with a width (I6, F11.3, A8, ...)
is chosen at random and retyped with its width one larger, in a copy of its
file; the program then writes the statement back (--write, plus each OPTION
given, such as a way of writing). Printed afterwards:

- how many lines of the file changed: the median and the 95th percentile;
- how many saves changed no line but the one that holds the retyped field
  (the same number of lines, every other one byte for byte);
- how many saves read back with exactly the intended fields;
- with --compile, how many of the files that compiled before
  (gfortran -fsyntax-only) still compile.

Nothing is written to the checkout: each save works on a copy in a
temporary folder.
"""
import difflib
import json
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import count_opened  # noqa: E402

WIDTH = re.compile(r"^(\d*)([A-Za-z]+)(\d+)(.*)$")


def run(program, args, cwd):
    return subprocess.run([program, *args], cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=60)


def fields(program, options, name, line, column, cwd, with_lines=False):
    """The field texts; with_lines: also the line on which each one begins."""
    result = run(program, [*options, name, str(line), str(column), "--json"], cwd)
    if result.returncode != 0:
        return (None, None) if with_lines else None
    out = json.loads(result.stdout.decode("latin-1"))
    texts = [f["text"] for f in out["fields"]]
    return (texts, out.get("statement", {}).get("field_lines")) if with_lines else texts


def file_lines(path):
    """The file's lines, each with its line end: split at line feeds only, as
    compilers and Quillmark count lines (str.splitlines would also split at
    form feeds and at the byte 0x85 read as Latin-1)."""
    lines = open(path, "rb").read().decode("latin-1").split("\n")
    return [line + "\n" for line in lines[:-1]] + ([lines[-1]] if lines[-1] else [])


def only_field_line(before, after, field_line):
    """Whether after differs from before in the field's line alone."""
    if len(before) != len(after) or field_line is None:
        return False
    return all(b == a for i, (b, a) in enumerate(zip(before, after)) if i != field_line - 1)


def wider(text):
    """The text with its width one larger, or None when it has none."""
    m = WIDTH.match(text)
    if not m or m.group(2).upper() in ("X", "P", "H", "T", "TL", "TR"):
        return None
    return f"{m.group(1)}{m.group(2)}{int(m.group(3)) + 1}{m.group(4)}"


def same_fields(got, intended):
    """Equal field for field; blanks outside constants mean nothing ("3( "
    is written back as "3(")."""
    def key(text):
        return text if ("'" in text or '"' in text or "H" in text.upper()) else text.replace(" ", "")
    return got is not None and [key(t) for t in got] == [key(t) for t in intended]


def compiles(path, free):
    form = ["-ffree-form"] if free else ["-ffixed-form"]
    result = subprocess.run(["gfortran", "-fsyntax-only", "-w", *form, os.path.basename(path)],
                            cwd=os.path.dirname(path), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            timeout=120)
    return result.returncode == 0


def main():
    args = sys.argv[1:]
    free_suffixes, seed, limit, check_compile = set(), 1, None, False
    while args and args[0].startswith("--"):
        if args[0] == "--compile":
            check_compile, args = True, args[1:]
            continue
        key, value, args = args[0], args[1], args[2:]
        if key == "--free":
            free_suffixes.add(value)
        elif key == "--seed":
            seed = int(value)
        elif key == "--limit":
            limit = int(value)
    if len(args) < 2:
        sys.exit(__doc__)
    root, program, options = args[0], os.path.abspath(args[1]), args[2:]
    rng = random.Random(seed)

    found = []
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            if os.path.splitext(name)[1].lower() in count_opened.SUFFIXES:
                path = os.path.join(folder, name)
                free = count_opened.free_form(path, free_suffixes)
                found.extend((path, line, column, free) for line, column in count_opened.candidates(path, free))
    rng.shuffle(found)
    if limit is not None:
        found = found[:limit]

    changed, read_back, saves, in_place = [], 0, 0, 0
    compiled_before = compiled_after = 0
    with tempfile.TemporaryDirectory() as scratch:
        for path, line, column, free in found:
            name = os.path.basename(path)
            copy = os.path.join(scratch, name)
            shutil.copyfile(path, copy)
            form = ["--free-form"] if free else []
            texts, field_lines = fields(program, form, name, line, column, scratch, with_lines=True)
            choices = [i for i, t in enumerate(texts or []) if wider(t)]
            if not choices:
                continue
            index = rng.choice(choices)
            intended = list(texts)
            intended[index] = wider(texts[index])
            before = file_lines(copy)
            was_compiling = check_compile and compiles(copy, free)
            result = run(program, [*form, *options, name, str(line), str(column), "--text",
                                   f"{index}:{intended[index]}", "--write"], scratch)
            if result.returncode != 0:
                continue
            saves += 1
            after = file_lines(copy)
            diff = [d for d in difflib.ndiff(before, after) if d[:1] in "+-"]
            changed.append(len([d for d in diff if d[0] == "-"]) or len(diff))
            field_line = field_lines[index] if field_lines and index < len(field_lines) else None
            in_place += only_field_line(before, after, field_line)
            read_back += same_fields(fields(program, form, name, line, column, scratch), intended)
            if was_compiling:
                compiled_before += 1
                compiled_after += compiles(copy, free)
            os.remove(copy)

    if not changed:
        sys.exit("no statement was saved")
    changed.sort()
    p95 = changed[min(len(changed) - 1, int(0.95 * len(changed)))]
    print(f"saves: {saves}; lines changed per save: median {statistics.median(changed)}, 95th percentile {p95}")
    print(f"only the retyped field's line changed: {in_place} of {saves} ({100.0 * in_place / saves:.2f} %)")
    print(f"read back with exactly the intended fields: {read_back} of {saves}")
    if check_compile:
        print(f"still compile: {compiled_after} of {compiled_before} that compiled before")


if __name__ == "__main__":
    main()
