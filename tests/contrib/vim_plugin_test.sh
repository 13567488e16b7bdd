#!/usr/bin/env bash
# The Vim plug-in end to end: vim -es opens a Fortran file, edits a line
# without saving, runs :Quillmark on it through Quillmark's unattended road
# (g:quillmark_options = -d:1:LOG), and writes its buffer out; then runs it
# on a line with no statement. The buffer must hold the rewritten statement
# after the first run and stay as it was after the second.
#
#   vim_plugin_test.sh QUILLMARK PLUGIN
set -euo pipefail
quillmark=$1
plugin=$2
command -v vim > /dev/null || { echo "vim is not installed: skipped"; exit 77; }
. "$(dirname "$0")/editor_fixture.sh"

# The names come through the environment, so that no quoting stands between
# the test and the plug-in.
export QUILLMARK_TEST_PROGRAM=$quillmark QUILLMARK_TEST_PLUGIN=$plugin QUILLMARK_TEST_SOURCE=$source_file
export QUILLMARK_TEST_LOG=$log QUILLMARK_TEST_WORK=$work QUILLMARK_TEST_EDITED=$edited_line
export QUILLMARK_TEST_RECORDER=$recorder
cat > "$work/run.vim" <<'VIM'
let g:quillmark_program = $QUILLMARK_TEST_PROGRAM
execute 'source ' . fnameescape($QUILLMARK_TEST_PLUGIN)
if g:quillmark_options !=# '' || g:quillmark_exact || g:quillmark_keep_layout
  cquit
endif
let g:quillmark_options = '-d:1:' . shellescape($QUILLMARK_TEST_LOG)
execute 'edit ' . fnameescape($QUILLMARK_TEST_SOURCE)
call setline(3, $QUILLMARK_TEST_EDITED)
call cursor(3, 10)
Quillmark
call writefile(getline(1, '$'), $QUILLMARK_TEST_WORK . '/after.txt')
call writefile([line('.')], $QUILLMARK_TEST_WORK . '/cursor.txt')
call cursor(1, 7)
let g:message = execute('Quillmark')
call writefile(getline(1, '$'), $QUILLMARK_TEST_WORK . '/refused.txt')
call writefile(split(g:message, "\n"), $QUILLMARK_TEST_WORK . '/message.txt')
call writefile(map(getloclist(0), 'bufname(v:val.bufnr) . ":" . v:val.lnum . ": " . v:val.text'),
      \ $QUILLMARK_TEST_WORK . '/loclist.txt')
let g:quillmark_program = $QUILLMARK_TEST_RECORDER
let g:quillmark_exact = 1
let g:quillmark_keep_layout = 1
silent! Quillmark
qall!
VIM
timeout 120 vim -es -N -u NONE -i NONE -n -S "$work/run.vim" < /dev/null || fail "vim ended with status $?"
check_results "$work/after.txt" "$work/refused.txt" "$work/message.txt"
[ "$(cat "$work/cursor.txt")" = 3 ] || fail "the cursor left the statement's line: $(cat "$work/cursor.txt")"
# The message that names its line is in the location list, at that line.
[ "$(cat "$work/loclist.txt")" = "$source_file:1: $not_found" ] ||
    fail "the location list holds: $(cat "$work/loclist.txt")"
check_setting_options "$work/args.txt"
echo "vim plug-in: rewritten and reloaded"
