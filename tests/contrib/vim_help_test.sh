#!/usr/bin/env bash
# The Vim plug-in's help: helptags builds its tags without a complaint,
# ":help quillmark" opens it, and every setting the plug-in reads
# (g:quillmark_...) and each of its commands have a tag that :help finds.
#
#   vim_help_test.sh CONTRIB_VIM
set -euo pipefail
contrib=$1
command -v vim > /dev/null || { echo "vim is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
cp -r "$contrib" "$work/vim"
commands=$(grep -oE '^command!.* Quillmark[A-Za-z]*' "$contrib/plugin/quillmark.vim" | grep -oE 'Quillmark[A-Za-z]*$' | sed 's/^/:/')
topics=(quillmark $commands $(grep -o 'g:quillmark_[a-z_]*' "$contrib/plugin/quillmark.vim" | sort -u))
[ "${#topics[@]}" -gt 4 ] || fail "found too few settings in the plug-in: ${topics[*]}"
{
    echo "set runtimepath+=$work/vim"
    echo "redir! > $work/helptags.txt"
    echo "silent! helptags $work/vim/doc"
    echo "redir END"
    for topic in "${topics[@]}"; do
        echo "try | help $topic | call writefile([getline('.')], '$work/found.txt', 'a') | close"
        echo "catch | call writefile(['missing $topic: ' . v:exception], '$work/found.txt', 'a') | endtry"
    done
    echo "qall!"
} > "$work/run.vim"
timeout 60 vim -es -N -u NONE -i NONE -n -S "$work/run.vim" < /dev/null || fail "vim ended with status $?"
[ ! -s "$work/helptags.txt" ] || fail "helptags complained: $(cat "$work/helptags.txt")"
! grep -q '^missing' "$work/found.txt" || fail "$(grep '^missing' "$work/found.txt")"
[ "$(wc -l < "$work/found.txt")" -eq "${#topics[@]}" ] || fail "not every topic was looked up: $(cat "$work/found.txt")"
for topic in "${topics[@]}"; do
    grep -qF -- "*$topic*" "$work/found.txt" || [ "$topic" = quillmark ] ||
        fail ":help $topic did not land on its tag: $(cat "$work/found.txt")"
done
echo "vim help: ${#topics[@]} topics found"
