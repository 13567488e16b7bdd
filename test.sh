#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, then
# builds the Debian package from it and checks what it holds; once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz
# target briefly.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

tools/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build --output-on-failure -j "$jobs"

# The Debian package of the normal build: its files and its dependencies.
package=$(tools/build_deb.sh build)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
tests/packaging/deb_contents_test.sh "$package" build/app/quillmark "$version"

tools/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON -DQUILLMARK_BENCHMARKS=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

# The fuzz targets (fuzz/) need clang's libFuzzer: built in a tree of their
# own, each run on a scratch copy of its seed corpus for a fixed number of
# inputs from a fixed seed (a few seconds), so that a run here is repeatable.
if command -v clang++ > /dev/null 2>&1; then
    CC=clang CXX=clang++ tools/setup.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMARK_FUZZ=ON
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    QUILLMARK_FUZZ_CORPUS=$scratch/list fuzz/run.sh fuzz_list_edits 60 -seed=1 -runs=60000
    QUILLMARK_FUZZ_CORPUS=$scratch/round fuzz/run.sh fuzz_statement_round_trip 60 -seed=1 -runs=15000
    echo "All tests passed (normal and sanitized builds, fuzz targets)."
else
    echo "clang++ not found: the fuzz targets were not run."
    echo "All tests passed (normal and sanitized builds)."
fi
