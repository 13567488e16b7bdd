#!/usr/bin/env python3
"""The documents' examples, run as a reader would run them.

Every fenced block (```) of README.md and of the manual pages whose first
line starts with "$ " is an example: each "$ " line is a command, and the
lines after it, up to the next command, are what it prints (standard error
and standard output, as a terminal shows them when only one of the two
speaks). The commands of one document run in order, in a scratch copy of
examples/, with the build's programs first on PATH; their output must be
exactly what the document shows.

Then every message of the string table must be explained in the manual
pages' DIAGNOSTICS (packaging/diagnostics.scd) and in the help's Messages
section, so that a reader who meets one finds its cause and what to do.

    doc_examples_test.py SOURCE_DIR BUILD_DIR
"""
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile

source_dir, build_dir = (os.path.abspath(p) for p in sys.argv[1:3])
documents = ["README.md", "packaging/quillmark.1.scd", "packaging/quillmark-text.1.scd"]
failures = []
examples_run = 0


def examples(text):
    """(command, expected output) pairs of the document's example blocks."""
    for block in re.findall(r"^```[a-z]*\n(.*?)^```", text, re.S | re.M):
        lines = block.split("\n")[:-1]
        if not lines or not lines[0].startswith("$ "):
            continue
        command, output = None, []
        for line in lines:
            if line.startswith("$ "):
                if command is not None:
                    yield command, output
                command, output = line[2:], []
            else:
                output.append(line)
        yield command, output


env = dict(os.environ)
env["PATH"] = os.pathsep.join([os.path.join(build_dir, "cli"), os.path.join(build_dir, "app"), env["PATH"]])
env.pop("DISPLAY", None)
env.pop("WAYLAND_DISPLAY", None)
for document in documents:
    with open(os.path.join(source_dir, document), encoding="utf-8") as f:
        text = f.read()
    with tempfile.TemporaryDirectory() as work:
        shutil.copytree(os.path.join(source_dir, "examples"), work, dirs_exist_ok=True)
        for command, expected in examples(text):
            examples_run += 1
            run = subprocess.run(["bash", "-c", command], cwd=work, env=env, stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT, text=True, timeout=120)
            got = run.stdout.rstrip("\n").split("\n") if run.stdout.strip("\n") else []
            want = expected
            while want and want[-1] == "":
                want = want[:-1]
            if got != want:
                failures.append(f"{document}: $ {command}\n--- shown\n" + "\n".join(want) + "\n--- printed\n" +
                                "\n".join(got))

if examples_run < 8:
    failures.append(f"only {examples_run} examples found: the documents lost their examples")

# Messages: every string of the table that the program shows or writes as a
# message, known by its name in the header. The others are captions, menu
# items, tooltips and the words of the status line, which explain
# themselves, and the strings loaded only by number (the dialogs' options).
not_message_names = re.compile(r"IDS_(CAPTION|NEW_|HELP_BASE_NAME|OPTION_|TITLE|STRIP_CAPTION|BUTTON_|SAVE_FILTER|"
                               r"MENU_|WHAT_|WHY_|COLUMNS_|TIP_|STATUS_|PICKER_|LSP_(PRINTS|FORMAT_USED|USED_BY|USAGE|EDIT_FORMAT))")
with open(os.path.join(source_dir, "res/string_table.h"), encoding="utf-8") as f:
    names = dict((int(n), name) for name, n in re.findall(r"^\s*(IDS_[A-Z0-9_]+)\s*=\s*(\d+)", f.read(), re.M))
with open(os.path.join(source_dir, "res/string_table.cpp"), encoding="utf-8") as f:
    table = f.read()
strings = {}
for number, body in re.findall(r'\{\s*(\d+),\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\}', table):
    strings[int(number)] = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', body)).replace('\\"', '"')


def plain(text):
    text = html.unescape(re.sub(r"<[^>]+>", "", text))
    return re.sub(r"\s+", " ", re.sub(r"[*_]", "", text))


with open(os.path.join(source_dir, "packaging/diagnostics.scd"), encoding="utf-8") as f:
    diagnostics = plain(f.read())
with open(os.path.join(source_dir, "res/help/quillmark-help.html"), encoding="utf-8") as f:
    help_text = f.read()
# The language server's answers to a message it cannot take go to the
# editor, not to the user of the window: its own page explains them.
with open(os.path.join(source_dir, "packaging/quillmark-lsp.1.scd"), encoding="utf-8") as f:
    server_errors = plain(f.read())
help_messages = plain(help_text[help_text.find('<a name="messages">'):])
messages = {n: t for n, t in strings.items() if n in names and not not_message_names.match(names[n])}
if len(messages) < 30:
    failures.append(f"only {len(messages)} messages found in the string table")
for number, text in sorted(messages.items()):
    first_line = text.split("\\n")[0]
    words = max(re.split(r"%[sd]", first_line), key=len).strip().strip('"').strip()
    places = (("the manual pages' DIAGNOSTICS", diagnostics), ("the help's Messages", help_messages))
    if names[number].startswith("IDS_LSP_"):
        places = (("quillmark-lsp(1)'s ERRORS", server_errors),)
    for name, where in places:
        if words.lower() not in where.lower():
            failures.append(f'message {number} ("{first_line}") is not explained in {name}')

for failure in failures:
    print("FAIL:", failure)
print(f"{examples_run} examples, {len(messages)} messages:", "failed" if failures else "passed")
sys.exit(1 if failures else 0)
