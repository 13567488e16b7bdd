#!/usr/bin/env python3
"""quillmark-lsp built for Windows, run under Wine, against the native build
on one editor's session (windows_session.json): the same answers and
notifications, once the file's URI and path are each read in its own
system's form.

The Windows build is given the document as a Windows editor names it
(file:///z%3A/..., Wine's drive Z: being /), in a folder whose name holds a
space; the native build the same file as file:///.... Every message goes in
pretty-printed with CR LF line ends, as JSON allows: a server that let the
system translate line ends would count the wrong bytes. Each side's output
must be framed exactly (Content-Length, CR LF, CR LF, that many bytes),
and the session must do what it is there for on the native side (a hover,
a definition, diagnostics, the module beside the file read from the disk,
the file compared with the disk before the window is started, a path in a
message, a device that is not read: the null device, empty as the document
that names it, must be refused as no file). Last the window is started for
real, each side's quillmark-text standing in for it: it prints the
statement, which must not reach the server's output, the editor's.

    windows_lsp_test.py WINDOWS_EXE NATIVE_PROGRAM WINDOWS_TEXT_EXE NATIVE_TEXT_PROGRAM

Needs Wine (wine64); says SKIP and passes without it.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

here = os.path.dirname(os.path.abspath(__file__))
exe, native, text_exe, native_text = (os.path.abspath(a) for a in sys.argv[1:5])
failures = []
HEADER = re.compile(rb"Content-Length: (\d+)\r\n\r\n")


def find_wine():
    for candidate in ("/usr/lib/wine/wine64", "wine64", "wine"):
        found = shutil.which(candidate)
        if found:
            return found
    return None


def each_string(value, change):
    """value with change applied to each string it holds."""
    if isinstance(value, dict):
        return {k: each_string(v, change) for k, v in value.items()}
    if isinstance(value, list):
        return [each_string(v, change) for v in value]
    return change(value) if isinstance(value, str) else value


def filled(value, names):
    """The session's value with its placeholders ("@URI@", "@prog.f90@") replaced."""
    return each_string(value, lambda s: names.get(s, s))


def framed(messages):
    out = b""
    for message in messages:
        body = json.dumps(message, indent=1, ensure_ascii=False).replace("\n", "\r\n").encode()
        out += b"Content-Length: %d\r\n\r\n" % len(body) + body
    return out


def read_messages(side, out):
    """The messages of a server's output, framed exactly as the protocol has it."""
    messages, i = [], 0
    while i < len(out):
        header = HEADER.match(out, i)
        if not header:
            failures.append(f"{side}: no Content-Length header at byte {i}: {out[i:i + 40]!r}")
            break
        body = out[header.end():header.end() + int(header.group(1))]
        try:
            messages.append(json.loads(body))
        except ValueError:
            failures.append(f"{side}: a body that is no JSON: {body[:60]!r}")
            break
        i = header.end() + len(body)
    return messages


def replaced(value, pairs):
    """value with each string's occurrences of one form put in the other's."""
    def change(s):
        for old, new in pairs:
            s = s.replace(old, new)
        return s
    return each_string(value, change)


def run(side, command, session, work, env):
    result = subprocess.run(command, input=framed(session), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            cwd=work, env=env, timeout=600)
    if result.returncode != 0:
        failures.append(f"{side}: exit status {result.returncode} ({result.stderr.decode(errors='replace')[-200:]})")
    return read_messages(side, result.stdout)


def answer(messages, id):
    return next((m for m in messages if m.get("id") == id), {})


def check_session(messages, uri, path):
    """What the session is there to show, on the native side."""
    published = [m["params"] for m in messages if m.get("method") == "textDocument/publishDiagnostics"]
    expectations = [
        ("every request answered", all(answer(messages, id) for id in range(1, 12))),
        ("a hover on the FORMAT's field", bool(answer(messages, 2).get("result"))),
        ("a definition at the FORMAT", bool(answer(messages, 3).get("result"))),
        ("references to the label", len(answer(messages, 4).get("result") or []) == 3),
        ("a code action", bool(answer(messages, 5).get("result"))),
        ("diagnostics for the file", any(p["uri"] == uri and p["diagnostics"] for p in published)),
        ("the module beside the file read", any(d["range"]["start"]["line"] == 9 for p in published
                                                for d in p["diagnostics"])),
        ("the window started on the file as saved",
         "cannot start" in answer(messages, 6).get("error", {}).get("message", "")),
        ("the path of a file not saved",
         path in answer(messages, 8).get("error", {}).get("message", "")),
        ("the device refused", "not saved" in answer(messages, 10).get("error", {}).get("message", "")),
        ("the window started", answer(messages, 11).get("result", 0) is None),
    ]
    for what, held in expectations:
        if not held:
            failures.append(f"the native session shows no {what}")


def main():
    wine = find_wine()
    if wine is None:
        print(f"SKIP: no Wine to run {exe}")
        return 0
    with open(os.path.join(here, "windows_session.json"), encoding="utf-8") as f:
        recorded = json.load(f)
    with tempfile.TemporaryDirectory(prefix="quillmark-windows-lsp-") as work:
        folder = os.path.join(os.path.realpath(work), "my sources")
        os.mkdir(folder)
        for name, text in recorded["files"].items():
            with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
                f.write(text)
        path = os.path.join(folder, "prog.f90")
        native_uri = "file://" + urllib.parse.quote(path)
        windows_uri = "file:///z%3A" + urllib.parse.quote(path)
        windows_path = "Z:" + path.replace("/", "\\")
        placeholders = {"@" + name + "@": text for name, text in recorded["files"].items()}
        env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), WINEDEBUG="-all")

        native_names = {**placeholders, "@URI@": native_uri, "@DEVICE@": "file:///dev/null", "@WINDOW@": native_text}
        windows_names = {**placeholders, "@URI@": windows_uri, "@DEVICE@": "file:///C:/windows/NUL",
                         "@WINDOW@": "Z:" + text_exe.replace("/", "\\")}
        native_messages = run("native", [native], filled(recorded["messages"], native_names), work, env)
        windows_messages = run("Windows", [wine, exe], filled(recorded["messages"], windows_names), work, env)
        check_session(native_messages, native_uri, path)
        windows_messages = replaced(windows_messages, [(windows_uri, native_uri), (windows_path, path),
                                                       ("file:///C:/windows/NUL", "file:///dev/null"),
                                                       ("C:\\windows\\NUL", "/dev/null")])
        if windows_messages != native_messages:
            failures.append("the messages differ once the URI and path are read alike:")
            for w, n in zip(windows_messages + [None] * len(native_messages),
                            native_messages + [None] * len(windows_messages)):
                if w != n:
                    failures.append(f"    Windows: {json.dumps(w)[:300]}\n    native:  {json.dumps(n)[:300]}")
                    break
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        print("quillmark-lsp for Windows differs from the native build")
        return 1
    version = subprocess.run([wine, "--version"], stdout=subprocess.PIPE, text=True).stdout.strip()
    print(f"quillmark-lsp for Windows: {len(recorded['messages'])} messages in, "
          f"{len(native_messages)} out as the native build, under {version}")
    return 0


sys.exit(main())
