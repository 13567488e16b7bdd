#!/usr/bin/env bash
# Compares two builds of one Google Benchmark program in one interleaved run:
# each round runs the first program, then the second, on the same benchmark,
# so that both see the same machine. Prints each run's real time and the
# median of each program over the rounds.
#
#   bench/interleave.sh BEFORE AFTER FILTER [ROUNDS [AFTER_FILTER]]
#
# BEFORE and AFTER are the two programs (for instance a build of an earlier
# commit and build/bench/quillmark_strip_bench), FILTER a
# --benchmark_filter, ROUNDS (default 7) how many times each runs. With
# AFTER_FILTER the second program runs that benchmark instead: one program
# given twice compares two of its benchmarks, such as one keystroke with
# the simplified and with the compiler's samples.
#
# CLOCK=cpu compares the CPU time of each run instead of its real time: on a
# machine that other work shares, the real time counts the waits for a core.
set -euo pipefail
before=$1
after=$2
filter=$3
rounds=${4:-7}
after_filter=${5:-$filter}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
column=3
[ "${CLOCK:-real}" = cpu ] && column=4

# The real (or CPU) time of the one benchmark the filter selects, in ms.
time_of() {
    "$1" --benchmark_filter="$2" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
        --benchmark_format=csv 2> /dev/null |
        awk -F, -v c="$column" '/_median/ { t = $c; u = $5; gsub(/"/, "", u); if (u == "us") t /= 1000; if (u == "ns") t /= 1e6; print t }'
}

declare -a times_before times_after
for ((r = 1; r <= rounds; ++r)); do
    tb=$(time_of "$before" "$filter")
    ta=$(time_of "$after" "$after_filter")
    times_before+=("$tb")
    times_after+=("$ta")
    printf 'round %d: before %s ms, after %s ms\n' "$r" "$tb" "$ta"
done
median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
mb=$(median "${times_before[@]}")
ma=$(median "${times_after[@]}")
awk -v b="$mb" -v a="$ma" 'BEGIN { printf "median: before %s ms, after %s ms, %.2f times as fast\n", b, a, b / a }'
