#!/usr/bin/env python3
"""The VS Code recipe as VS Code would run it.

Reads contrib/vscode/tasks.json and keybindings.json (JSON with // comments),
substitutes the variables VS Code fills in (${file}, ${lineNumber} and
${columnNumber}, the cursor column in UTF-16 code units), and runs the
task's command with a stand-in `quillmark` first on PATH that prints the
words it gets. The column it gets must be the byte column of the same
character. Then it runs the task once more with the real program on the
unattended road, which must rewrite the file. The key binding's `when`
clause must match the language names Fortran extensions use.

    vscode_task_test.py CONTRIB_VSCODE_DIR QUILLMARK_PROGRAM
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

vscode_dir, program = sys.argv[1], os.path.abspath(sys.argv[2])
failures = []


def load(name):
    with open(os.path.join(vscode_dir, name), encoding="utf-8") as f:
        text = f.read()
    # Whole-line // comments only: the task's own strings hold no such line.
    return json.loads("\n".join(l for l in text.splitlines() if not l.lstrip().startswith("//")))


task = load("tasks.json")["tasks"][0]
binding = load("keybindings.json")[0]


def run_task(path, line, column, bin_dir, extra=()):
    values = {"${file}": path, "${lineNumber}": str(line), "${columnNumber}": column}
    words = [task["command"]] + [values.get(a, a) for a in task["args"]] + list(extra)
    env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])
    return subprocess.run(words, env=env, capture_output=True, timeout=120)


with tempfile.TemporaryDirectory() as work:
    fake_bin = os.path.join(work, "fake")
    os.mkdir(fake_bin)
    fake = os.path.join(fake_bin, "quillmark")
    with open(fake, "w") as f:
        f.write('#!/bin/sh\nprintf "%s\\n" "$@"\n')
    os.chmod(fake, 0o755)

    source = os.path.join(work, "prog.f90")
    lines = [
        "print *, 'plain'",                               # 1: ASCII
        "write (6, '(\u00e9 I5)') 1 ! \u00e9",            # 2: a two-byte character before the column
        "write (6, '(I5)') 1 ! \U0001F600 then '(F7.2)'",  # 3: one character of two UTF-16 units
    ]
    with open(source, "wb") as f:
        f.write(("\n".join(lines) + "\n").encode("utf-8"))
        f.write("x = 1 ! caf\u00e9 in Latin-1\n".encode("latin-1"))  # 4: not UTF-8
        f.write(b"\t100 format (I5)\n")                             # 5: a tab counts one

    def byte_column(line_text, utf16_column):
        units = line_text.encode("utf-16-le")[: (utf16_column - 1) * 2]
        return len(units.decode("utf-16-le", errors="ignore").encode("utf-8")) + 1

    cases = [
        (1, "7", "7"),
        (2, "15", str(byte_column(lines[1], 15))),
        (3, "26", str(byte_column(lines[2], 26))),
        (4, "9", "9"),
        (5, "3", "3"),
        (1, "${columnNumber}", "1"),  # an editor that leaves the variable unresolved
    ]
    for line, column, expected in cases:
        out = run_task(source, line, column, fake_bin, ["--exact"])
        got = out.stdout.decode().split("\n")
        want = [source, str(line), expected, "--exact", ""]
        if got != want:
            failures.append(f"line {line} column {column}: got {got}, want {want} ({out.stderr.decode()})")
    if cases[1][2] == "15" or cases[2][2] == "26":
        failures.append("the cases do not exercise the conversion")

    # The real program on the unattended road: column 34 (UTF-16) of line 2
    # stands inside the second format string only when it is converted to
    # bytes; as a byte column it would pick the character constant before.
    real_bin = os.path.join(work, "real")
    os.mkdir(real_bin)
    os.symlink(program, os.path.join(real_bin, "quillmark"))
    road = os.path.join(work, "road.f90")
    with open(road, "w", encoding="utf-8") as f:
        f.write("x = 1\nprint '(A)', '" + "\u00e9" * 8 + "'; print '(I6)', 2\nend\n")
    out = run_task(road, 2, "34", real_bin, ["-d:1:" + os.path.join(work, "log")])
    if out.returncode != 0:
        failures.append(f"the task on the real program exited {out.returncode}: {out.stderr.decode()}")

# VS Code's when clause `=~ /re/flags` is a JavaScript regular expression.
m = re.search(r"editorLangId =~ /(.*)/([a-z]*)", binding["when"])
if not m:
    failures.append(f"no language test in the when clause: {binding['when']}")
else:
    regex = re.compile(m.group(1), re.IGNORECASE if "i" in m.group(2) else 0)
    for name in ["fortran", "FortranFreeForm", "FortranFixedForm", "fortran90"]:
        if not regex.search(name):
            failures.append(f"the when clause does not match language {name}")
    if regex.search("python"):
        failures.append("the when clause matches python")

for failure in failures:
    print("FAIL:", failure)
print("vscode task:", "failed" if failures else "passed")
sys.exit(1 if failures else 0)
