#!/usr/bin/env bash
# Lists the statements of every Fortran file under a code base with
# `quillmark-text --list-statements` and opens every Nth entry listed at its
# line and column, to check that the index names what the locator opens.
#
#   tools/check_index.sh CHECKOUT [EVERY] [QUILLMARK_TEXT] [-- OPTION...]
#
# EVERY (default 10): open one entry in that many. OPTIONs go to both runs
# (--free-form for a code base whose .F files are free form). Prints the
# number of files, of statements listed (FORMAT statements and format
# strings), the seconds the listing took, and the entries that did not
# open; exits 1 when one did not. Nothing is written to the checkout.
set -uo pipefail
checkout=${1:?usage: check_index.sh CHECKOUT [EVERY] [QUILLMARK_TEXT] [-- OPTION...]}
every=${2:-10}
program=${3:-build/cli/quillmark-text}
shift $(($# < 3 ? $# : 3))
[ "${1:-}" = "--" ] && shift
options=("$@")

list=$(mktemp)
trap 'rm -f "$list"' EXIT
files=0
started=$(date +%s.%N)
while IFS= read -r -d '' file; do
    files=$((files + 1))
    "$program" "${options[@]}" --list-statements "$file" | sed "s|^|$file\t|" >> "$list"
done < <(find "$checkout" -type f \( -iname '*.f' -o -iname '*.for' -o -iname '*.f90' -o -iname '*.ftn' \) -print0)
ended=$(date +%s.%N)
echo "files: $files  statements: $(wc -l < "$list")  (labelled: $(awk -F'\t' '$4 != "-"' "$list" | wc -l))" \
    " listing: $(echo "$ended - $started" | bc) s"

failed=0
checked=0
while IFS=$'\t' read -r file line column _; do
    checked=$((checked + 1))
    if ! "$program" "${options[@]}" "$file" "$line" "$column" > /dev/null 2>&1; then
        echo "did not open: $file $line $column"
        failed=$((failed + 1))
    fi
done < <(awk -v every="$every" '(NR - 1) % every == 0' "$list")
echo "opened: $((checked - failed)) of $checked entries checked"
((failed == 0))
