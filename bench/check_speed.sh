#!/usr/bin/env bash
# quillmark-text --check over a code base against gfortran -fsyntax-only
# over the same files, one file at a time, both on one core (taskset), in
# interleaved rounds so that both see the same machine. Prints each round's
# times, the medians and their ratio (the checker's time over gfortran's),
# and the checker's peak memory over the first tenth, half and all of the
# files, which must stay flat as the number of files grows.
#
#   bench/check_speed.sh FOLDER [ROUNDS]        (default 3 rounds)
#
# The files are those --check reads (.f .for .f90 .F .F90 ... below
# FOLDER); gfortran is given each with -fsyntax-only and its own folder and
# the folders of the code base's .h and .mod-free includes on the include
# path. Needs a built build/cli/quillmark-text, gfortran, taskset and
# /usr/bin/time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tool="$top/build/cli/quillmark-text"
folder=$(cd "$1" && pwd)
rounds=${2:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-check-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

find "$folder" -type f \( -name '*.f' -o -name '*.for' -o -name '*.f90' -o -name '*.F' -o -name '*.F90' \
    -o -name '*.f95' -o -name '*.f03' -o -name '*.f08' -o -name '*.ftn' -o -name '*.fpp' \) | sort > "$work/files"
count=$(wc -l < "$work/files")
includes=$(find "$folder" -name '*.h' -printf '-I%h\n' | sort -u | tr '\n' ' ')

checker_run() {
    taskset -c 0 "$tool" --check "$@" > /dev/null || [ $? -eq 1 ]
}
gfortran_run() {
    # One process per file, as a build runs it; modules go to the work
    # folder. A file gfortran refuses (a module it has not seen yet) still
    # costs its time, which is what is measured.
    (cd "$work" && while read -r f; do
        taskset -c 0 gfortran -fsyntax-only -w -I"$(dirname "$f")" $includes "$f" > /dev/null 2>&1 || true
    done < "$work/files")
}
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

: > "$work/checker.txt"
: > "$work/gfortran.txt"
for round in $(seq 1 "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then
        c=$(seconds checker_run "$folder"); g=$(seconds gfortran_run)
    else
        g=$(seconds gfortran_run); c=$(seconds checker_run "$folder")
    fi
    echo "$c" >> "$work/checker.txt"
    echo "$g" >> "$work/gfortran.txt"
    printf 'round %d: quillmark-text --check %6.2f s   gfortran -fsyntax-only %6.2f s\n' "$round" "$c" "$g"
done
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
mc=$(median "$work/checker.txt")
mg=$(median "$work/gfortran.txt")
printf '%d files; median: --check %.2f s, gfortran -fsyntax-only %.2f s, ratio %.3f\n' "$count" "$mc" "$mg" \
    "$(echo "$mc / $mg" | bc -l)"

# Peak memory against the number of files.
for share in 10 2 1; do
    n=$((count / share))
    head -n "$n" "$work/files" > "$work/part"
    /usr/bin/time -f '%M' -o "$work/rss" "$tool" --check $(cat "$work/part") > /dev/null 2>&1 || true
    printf '%5d files: peak memory %6d kB\n' "$n" "$(tail -n 1 "$work/rss")"
done
