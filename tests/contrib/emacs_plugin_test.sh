#!/usr/bin/env bash
# The Emacs plug-in end to end: emacs --batch visits a Fortran file, edits a
# line without saving, runs M-x quillmark on it through Quillmark's
# unattended road (quillmark-options = -d:1:LOG), and writes its buffer
# out; then runs it on a line with no statement. The buffer must hold the
# rewritten statement after the first run and stay as it was after the
# second.
#
#   emacs_plugin_test.sh QUILLMARK PLUGIN
set -euo pipefail
quillmark=$1
plugin=$2
command -v emacs > /dev/null || { echo "emacs is not installed: skipped"; exit 77; }
. "$(dirname "$0")/editor_fixture.sh"

export QUILLMARK_TEST_PROGRAM=$quillmark QUILLMARK_TEST_SOURCE=$source_file QUILLMARK_TEST_LOG=$log
export QUILLMARK_TEST_WORK=$work QUILLMARK_TEST_EDITED=$edited_line QUILLMARK_TEST_RECORDER=$recorder
cat > "$work/run.el" <<'ELISP'
(load (getenv "QUILLMARK_TEST_PLUGIN") nil t)
(unless (and (equal quillmark-options "") (not quillmark-exact) (not quillmark-keep-layout)) (kill-emacs 3))
(setq quillmark-program (getenv "QUILLMARK_TEST_PROGRAM"))
;; A log name with a blank, in double quotes as the option's doc says.
(setq quillmark-options (format "\"-d:1:%s\"" (getenv "QUILLMARK_TEST_LOG")))
(defun test-out (name) (expand-file-name name (getenv "QUILLMARK_TEST_WORK")))
(find-file (getenv "QUILLMARK_TEST_SOURCE"))
(goto-char (point-min))
(forward-line 2)
(delete-region (point) (line-end-position))
(insert (getenv "QUILLMARK_TEST_EDITED"))
(beginning-of-line)
(forward-char 9)
(quillmark)
(write-region nil nil (test-out "after.txt"))
(let ((line (line-number-at-pos)))
  (with-temp-file (test-out "cursor.txt") (insert (number-to-string line))))
(goto-char (point-min))
(forward-char 6)
(let ((last-message ""))
  (advice-add 'message :filter-return (lambda (text) (setq last-message (or text last-message))))
  (quillmark)
  (with-temp-file (test-out "message.txt") (insert last-message "\n")))
(write-region nil nil (test-out "refused.txt"))
(setq quillmark-program (getenv "QUILLMARK_TEST_RECORDER")
      quillmark-exact t
      quillmark-keep-layout t)
(quillmark)
(kill-emacs 0)
ELISP
# The plug-in compiles without a warning (an unbound variable, a function
# this Emacs lacks).
cp "$plugin" "$work/quillmark.el"
emacs --batch -Q --eval '(setq byte-compile-error-on-warn t)' -f batch-byte-compile "$work/quillmark.el" \
    2> "$work/compile.err" || { cat "$work/compile.err" >&2; fail "the plug-in does not compile cleanly"; }

# A package as package.el reads one: its headers give the name, the
# version Quillmark has and what it needs; checkdoc finds nothing to say.
emacs --batch -Q --eval "(progn (require 'checkdoc) (require 'package)
  (checkdoc-file \"$work/quillmark.el\")
  (with-temp-buffer (insert-file-contents \"$work/quillmark.el\")
    (let ((info (package-buffer-info)))
      (princ (format \"%s %s\\n\" (package-desc-name info) (package-version-join (package-desc-version info)))))))" \
    > "$work/package.txt" 2> "$work/checkdoc.txt" || { cat "$work/checkdoc.txt" >&2; fail "package.el cannot read the headers"; }
[ ! -s "$work/checkdoc.txt" ] || fail "checkdoc: $(cat "$work/checkdoc.txt")"
[ "$(cat "$work/package.txt")" = "quillmark ${QUILLMARK_TEST_VERSION:?}" ] ||
    fail "the package headers read: $(cat "$work/package.txt")"

export QUILLMARK_TEST_PLUGIN=$plugin
timeout 120 emacs --batch -Q -l "$work/run.el" < /dev/null 2> "$work/emacs.err" ||
    { cat "$work/emacs.err" >&2; fail "emacs ended with status $?"; }
check_results "$work/after.txt" "$work/refused.txt" "$work/message.txt"
[ "$(cat "$work/cursor.txt")" = 3 ] || fail "point left the statement's line: $(cat "$work/cursor.txt")"
check_setting_options "$work/args.txt"
echo "emacs plug-in: rewritten and reloaded"
