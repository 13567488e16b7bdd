#!/usr/bin/env bash
# Saving an edited statement near the end of a large fixed-form file, against
# the same durable job done by standard tools on the same file: a copy beside
# it, synced and renamed over it (cp + sync + mv), the file written out and
# synced (cat + sync), and sed -i changing the one line, then sync. The runs
# are interleaved, one of each per round in a shuffled order, so that all
# see the same machine;
# prints the median wall time of each, its ratio to cp + sync + mv, and the
# peak memory.
#
#   bench/write_bench.sh [MEGABYTES] [ROUNDS] [BEFORE]
#                                        (default 100 MB, 7 rounds)
#
# BEFORE: another build of quillmark-text (say, of an earlier commit), run in
# each round too. Needs a built build/cli/quillmark-text and /usr/bin/time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tool="$top/build/cli/quillmark-text"
megabytes=${1:-100}
rounds=${2:-7}
before=${3:-}
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

# Runs a command; appends "seconds kilobytes" to the file named first.
measure() {
    local out=$1
    shift
    local start=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/memory" "$@" > /dev/null
    local end=$EPOCHREALTIME
    echo "$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }') $(cat "$work/memory")" >> "$work/$out"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Each save must change the statement: the field goes from I5 to I6 and back.
width=5
save() {
    width=$(( 11 - width ))
    measure "$1" "$2" "$file" "$target" 7 --text "0:I$width" --write
}

names=(quillmark)
[ -n "$before" ] && names+=(before)
names+=(cp cat sed)
for name in "${names[@]}"; do : > "$work/$name"; done
run() {
    case $1 in
    quillmark) save quillmark "$tool" ;;
    before) save before "$before" ;;
    cp) measure cp sh -c "cp '$file' '$work/.big.for.copy' && sync '$work/.big.for.copy' && mv '$work/.big.for.copy' '$file'" ;;
    cat) measure cat sh -c "cat '$file' > '$work/copy.for' && sync '$work/copy.for'" && rm "$work/copy.for" ;;
    sed) measure sed sh -c "sed -i '${target}s/I$width/I$width/' '$file' && sync '$file'" ;;
    esac
}
# Each round runs them in an order of its own, so that none always follows
# the same one (a run pays for what the one before it left to the disk).
for round in $(seq 1 "$rounds"); do
    for name in $(shuf -e "${names[@]}"); do
        run "$name"
        sleep 0.5  # the file system settles (the old file freed)
    done
done
grep -q "^  100 FORMAT(I$width, F7.3, 2X, A10)$" "$file"

printf 'file: %d MB, %d lines, statement at line %d; %d interleaved rounds\n' \
    $(( size / 1048576 )) "$lines" "$target" "$rounds"
cp_median=$(awk '{print $1}' "$work/cp" | median)
declare -A label=([quillmark]="quillmark-text --write" [before]="before: --write" [cp]="cp + sync + mv"
    [cat]="cat + sync" [sed]="sed -i + sync")
for name in "${names[@]}"; do
    m=$(awk '{print $1}' "$work/$name" | median)
    printf '%-24s median %s s (%s times cp + sync + mv), peak memory %s KB; rounds: %s\n' \
        "${label[$name]}:" "$m" "$(awk -v a="$m" -v b="$cp_median" 'BEGIN { printf "%.2f", a / b }')" \
        "$(awk '{print $2}' "$work/$name" | median)" "$(awk '{printf "%s ", $1}' "$work/$name")"
done
