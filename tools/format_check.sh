#!/usr/bin/env bash
# Reports the C++ files whose layout differs from .clang-format; changes
# nothing. Exit status 0 when every file matches, 1 when some differ, 2 when
# clang-format is missing (Debian: clang-format).
#
#   tools/format_check.sh [--diff] [FILE...]
#
# Without FILEs it checks every .cpp and .h file git tracks. --diff shows
# what clang-format would change in each file. CLANG_FORMAT=PROGRAM picks
# another clang-format. To reformat instead:
#   git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."

show_diff=0
if [ "${1:-}" = "--diff" ]; then
    show_diff=1
    shift
fi

format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" > /dev/null 2>&1; then
    echo "format_check.sh: $format not found (Debian: clang-format)" >&2
    exit 2
fi

if [ $# -gt 0 ]; then
    files=("$@")
elif git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
    # Not a git checkout (or no git): the sources in the tree, build trees left out.
    mapfile -t files < <(find . \( -name 'build*' -o -name '.git' \) -prune -o \
        -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi
if [ ${#files[@]} -eq 0 ]; then
    echo "format_check.sh: no C++ files found to check" >&2
    exit 2
fi

differ=0
lines=0
for f in "${files[@]}"; do
    # Lines of the file that formatting would replace.
    n=$("$format" --style=file "$f" | diff "$f" - | grep -c '^<' || true)
    if [ "$n" -gt 0 ]; then
        if [ "$n" -eq 1 ]; then echo "$f: 1 line differs"; else echo "$f: $n lines differ"; fi
        [ $show_diff -eq 0 ] || "$format" --style=file "$f" | diff -u --label "$f" --label "$f (formatted)" "$f" - || true
        differ=$((differ + 1))
        lines=$((lines + n))
    fi
done

if [ $differ -gt 0 ]; then
    echo "$differ of ${#files[@]} files differ from .clang-format ($lines lines)."
    exit 1
fi
echo "All ${#files[@]} files match .clang-format."
