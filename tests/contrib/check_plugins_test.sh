#!/usr/bin/env bash
# The editors' check commands end to end, each run by its editor headless
# over the same folder through the real quillmark-text: Vim's
# :QuillmarkCheck fills the quickfix list, Emacs's quillmark-check a
# compilation buffer that next-error walks, and the VS Code task's problem
# matcher reads the lines as VS Code does. Each must land on the WRITE that
# the run time refuses, at its line and column, as an error, and on the
# warning in the second file. An editor that is not installed is passed
# over; with neither, the test reports itself skipped.
#
#   check_plugins_test.sh QUILLMARK_TEXT CONTRIB_DIR
set -euo pipefail
checker=$1
contrib=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
mkdir "$work/code base" "$work/bin"
ln -s "$(cd "$(dirname "$checker")" && pwd)/$(basename "$checker")" "$work/bin/quillmark-text"
export PATH="$work/bin:$PATH"
cat > "$work/code base/refused.f" <<'FORTRAN'
      PROGRAM P
      INTEGER N
      N = 3
      WRITE (6, 100) N
  100 FORMAT (F8.3)
      END
FORTRAN
cat > "$work/code base/odd.f90" <<'FORTRAN'
program q
  integer :: k
  k = 1
  print '(A)', k
end program q
FORTRAN
# What each editor must find: file, line, column and kind, in the
# checker's order (the files by name).
expected="odd.f90:4:3:w
refused.f:4:7:e"
ran=0

if command -v vim > /dev/null; then
    ran=$((ran + 1))
    export QUILLMARK_TEST_PLUGIN=$contrib/vim/plugin/quillmark.vim QUILLMARK_TEST_DIR="$work/code base"
    export QUILLMARK_TEST_OUT=$work/vim.txt
    cat > "$work/run.vim" <<'VIM'
execute 'source ' . fnameescape($QUILLMARK_TEST_PLUGIN)
execute 'QuillmarkCheck ' . fnameescape($QUILLMARK_TEST_DIR)
call writefile(map(getqflist(), 'fnamemodify(bufname(v:val.bufnr), ":t") . ":" . v:val.lnum . ":" . v:val.col . ":" . v:val.type'),
      \ $QUILLMARK_TEST_OUT)
qall!
VIM
    timeout 120 vim -es -N -u NONE -i NONE -n -S "$work/run.vim" < /dev/null || fail "vim ended with status $?"
    [ "$(cat "$work/vim.txt")" = "$expected" ] || fail "Vim's quickfix list holds: $(cat "$work/vim.txt")"
fi

if command -v emacs > /dev/null; then
    ran=$((ran + 1))
    export QUILLMARK_TEST_PLUGIN=$contrib/emacs/quillmark.el QUILLMARK_TEST_DIR="$work/code base"
    export QUILLMARK_TEST_OUT=$work/emacs.txt
    cat > "$work/run.el" <<'ELISP'
(load (getenv "QUILLMARK_TEST_PLUGIN") nil t)
(let ((buffer (quillmark-check (getenv "QUILLMARK_TEST_DIR")))
      (found nil))
  (while (get-buffer-process buffer) (accept-process-output nil 0.1))
  (with-current-buffer buffer (goto-char (point-min)))
  ;; next-error visits each finding's file at its line and column.
  (dolist (_ '(1 2))
    (set-buffer buffer)
    (compilation-next-error 1)
    (let ((kind (if (looking-at ".*: error: ") "e" "w")))
      (compile-goto-error)
      (set-buffer (window-buffer (selected-window)))
      (push (format "%s:%d:%d:%s" (file-name-nondirectory buffer-file-name)
                    (line-number-at-pos) (1+ (current-column)) kind)
            found)))
  (with-temp-file (getenv "QUILLMARK_TEST_OUT")
    (insert (mapconcat #'identity (nreverse found) "\n"))))
(kill-emacs 0)
ELISP
    timeout 120 emacs --batch -Q -l "$work/run.el" < /dev/null 2> "$work/emacs.err" ||
        { cat "$work/emacs.err" >&2; fail "emacs ended with an error"; }
    [ "$(cat "$work/emacs.txt")" = "$expected" ] || fail "Emacs's next-error visited: $(cat "$work/emacs.txt")"
fi

# The VS Code task, run as VS Code runs it, its lines read with its
# problem matcher's pattern (a JavaScript regular expression that Python
# reads the same way).
ran=$((ran + 1))
python3 - "$contrib/vscode/tasks.json" "$work/code base" > "$work/vscode.txt" <<'PY'
import json, os, re, subprocess, sys
text = open(sys.argv[1], encoding="utf-8").read()
tasks = json.loads("\n".join(l for l in text.splitlines() if not l.lstrip().startswith("//")))["tasks"]
task = next(t for t in tasks if "--check" in t["args"])
args = [a.replace("${workspaceFolder}", sys.argv[2]) for a in task["args"]]
out = subprocess.run([task["command"]] + args, capture_output=True, text=True, timeout=120)
if out.returncode != 1:
    sys.exit(f"the task exited {out.returncode}: {out.stderr}")
pattern = task["problemMatcher"]["pattern"]
for line in out.stdout.splitlines():
    m = re.match(pattern["regexp"], line)
    if m:
        print(f"{os.path.basename(m.group(pattern['file']))}:{m.group(pattern['line'])}:"
              f"{m.group(pattern['column'])}:{m.group(pattern['severity'])[0]}")
PY
[ "$(cat "$work/vscode.txt")" = "$expected" ] || fail "the VS Code problem matcher read: $(cat "$work/vscode.txt")"
echo "check plug-ins: $ran editors land on the findings"
