#!/usr/bin/env bash
# Runs one fuzz target for a while on its seed corpus.
#
#   fuzz/run.sh TARGET SECONDS [libFuzzer options...]
#
# TARGET is fuzz_list_edits, fuzz_statement_round_trip or
# fuzz_language_server. The targets are built with clang from the fuzz
# preset of CMakePresets.json, in build-fuzz (QUILLMARK_FUZZ_BUILD=DIR for
# another folder), when they are missing. The committed seeds in
# fuzz/corpus/TARGET are copied into the working corpus
# build-fuzz/fuzz/corpus/TARGET, which keeps what a run finds for the next
# run (QUILLMARK_FUZZ_CORPUS=DIR for another one); the committed corpus is
# never written. A crash, a sanitizer report or a failed check ends the run
# with a non-zero status and leaves the input that caused it in
# build-fuzz/fuzz/artifacts/TARGET/ (run the target on that file to see it
# again).
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: fuzz/run.sh TARGET SECONDS [libFuzzer options...]" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2

top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/${QUILLMARK_FUZZ_BUILD:-build-fuzz}
seeds=$top/fuzz/corpus/$target
if [ ! -d "$seeds" ]; then
    echo "fuzz/run.sh: no seed corpus $seeds (is $target a fuzz target?)" >&2
    exit 2
fi

if [ ! -x "$build/fuzz/$target" ]; then
    (cd "$top" && cmake --preset fuzz -B "$build" > /dev/null)
    cmake --build "$build" --target "$target"
fi

work=${QUILLMARK_FUZZ_CORPUS:-$build/fuzz/corpus/$target}
artifacts=$build/fuzz/artifacts/$target
mkdir -p "$work" "$artifacts"
cp -p "$seeds"/* "$work"/

# The Fortran dictionary, with the target's own words where it has them
# (fuzz/lsp/fuzz_language_server.dict).
dict=$top/fuzz/fortran.dict
own=$(find "$top/fuzz" -mindepth 2 -name "$target.dict" | head -n 1)
if [ -n "$own" ]; then
    dict=$build/fuzz/$target.dict
    cat "$top/fuzz/fortran.dict" "$own" > "$dict"
fi

# A single input that runs this long is reported as a hang; the limit is far
# above what any input needs.
status=0
"$build/fuzz/$target" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
    -dict="$dict" -artifact_prefix="$artifacts/" "$@" "$work" || status=$?
if [ $status -ne 0 ]; then
    echo "fuzz/run.sh: $target failed (status $status); the input is in $artifacts/" >&2
fi
exit $status
