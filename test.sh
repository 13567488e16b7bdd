#!/usr/bin/env bash
# Sets everything up and runs every test: once in a normal build, then
# builds the Debian package from it and checks what it holds; the text
# front end and the language server cross-built for Windows, under Wine;
# once under AddressSanitizer and UndefinedBehaviorSanitizer; then runs
# each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

# The builds and test runs are the presets of CMakePresets.json.
tools/setup.sh dev
ctest --preset dev -j "$jobs"

# Every C++ file keeps the layout of .clang-format.
tools/format_check.sh

# The Debian package of the normal build: its files and its dependencies.
package=$(tools/build_deb.sh build)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
tests/packaging/deb_contents_test.sh "$package" build/app/quillmark "$version"

# quillmark-text and quillmark-lsp for Windows, cross-compiled and run under
# Wine on the same inputs as the native build: the text front end's output
# and its saves byte for byte, the server's answers to an editor's session.
tools/setup.sh windows-text
tests/cli/windows_text_test.sh build-windows/cli/quillmark-text.exe build/cli/quillmark-text
tests/lsp/windows_lsp_test.py build-windows/lsp/quillmark-lsp.exe build/lsp/quillmark-lsp \
    build-windows/cli/quillmark-text.exe build/cli/quillmark-text

# The asan test preset sets ASAN_OPTIONS and UBSAN_OPTIONS (leaks reported,
# the first error ends the test).
tools/setup.sh asan
ctest --preset asan -j "$jobs"

# The fuzz targets (fuzz/) need clang's libFuzzer: built in a tree of their
# own, each run on a scratch copy of its seed corpus for a fixed number of
# inputs from a fixed seed (a few seconds), so that a run here is repeatable.
if command -v clang++ > /dev/null 2>&1; then
    tools/setup.sh fuzz
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    QUILLMARK_FUZZ_CORPUS=$scratch/list fuzz/run.sh fuzz_list_edits 60 -seed=1 -runs=60000
    QUILLMARK_FUZZ_CORPUS=$scratch/round fuzz/run.sh fuzz_statement_round_trip 60 -seed=1 -runs=15000
    QUILLMARK_FUZZ_CORPUS=$scratch/lsp fuzz/run.sh fuzz_language_server 60 -seed=1 -runs=500
    echo "All tests passed (normal and sanitized builds, fuzz targets)."
else
    echo "clang++ not found: the fuzz targets were not run."
    echo "All tests passed (normal and sanitized builds)."
fi
