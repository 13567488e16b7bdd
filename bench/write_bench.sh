#!/usr/bin/env bash
# Saving an edited statement near the end of a large fixed-form file, against
# sed -i making a one-line substitution and syncing the same file: the same
# durable job. Prints the median wall time and the peak memory of each.
#
#   bench/write_bench.sh [MEGABYTES] [RUNS]     (default 100 MB, 5 runs)
#
# Needs a built build/cli/quillmark-text and /usr/bin/time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tool="$top/build/cli/quillmark-text"
megabytes=${1:-100}
runs=${2:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

file="$work/big.for"
# Fixed-form lines of 72 characters, and the statement 100 lines before the end.
line="      X(I) = Y(I) * 2.5 + Z(I) / 3.0 - W(I)                   ! step"
lines=$(( megabytes * 1024 * 1024 / (${#line} + 1) ))
awk -v n="$lines" -v l="$line" 'BEGIN {
    for (i = 1; i <= n; i++) {
        if (i == n - 100) print "  100 FORMAT(I5, F7.3, 2X, A10)"
        else print l
    }
}' > "$file"
target=$(( lines - 100 ))
size=$(stat -c %s "$file")

measure() {  # command... -> "seconds kilobytes"
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null
    cat "$work/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: > "$work/quillmark"
: > "$work/sed"
for run in $(seq 1 "$runs"); do
    measure "$tool" "$file" "$target" 7 --text 0:I6 --write >> "$work/quillmark"
    measure sh -c "sed -i '${target}s/I6/I5/' '$file' && sync '$file'" >> "$work/sed"
done
grep -q "^  100 FORMAT(I5, F7.3, 2X, A10)$" "$file"

printf 'file: %d MB, %d lines, statement at line %d; %d runs each\n' $(( size / 1048576 )) "$lines" "$target" "$runs"
printf 'quillmark-text --write: median %s s, peak memory %s KB\n' \
    "$(awk '{print $1}' "$work/quillmark" | median)" "$(awk '{print $2}' "$work/quillmark" | median)"
printf 'sed -i + sync:          median %s s, peak memory %s KB\n' \
    "$(awk '{print $1}' "$work/sed" | median)" "$(awk '{print $2}' "$work/sed" | median)"
