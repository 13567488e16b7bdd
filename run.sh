#!/usr/bin/env bash
# Sets everything up and opens the bundled example's FORMAT statement in the
# Quillmark window; without a display, shows it with the text front end.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh --to-run dev

# Work on a copy, so that OK rewrites the copy and not the bundled example.
example=build/examples/report.for
line=16
column=7
mkdir -p build/examples
cp examples/report.for "$example"
echo

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Opening the FORMAT statement on line $line of $example."
    echo "OK rewrites the copy; Cancel leaves it as it was."
    status=0
    build/app/quillmark "$example" "$line" "$column" || status=$?
    case $status in
        0) echo "Rewritten. The statement now reads:"; sed -n "${line},\$p" "$example" | sed '/^      END/,$d' ;;
        1) echo "Closed without writing the file." ;;
        *) exit "$status" ;;
    esac
else
    echo "There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so"
    echo "the window cannot open. The same statement, shown by the text front end"
    echo "(build/cli/quillmark-text $example $line $column):"
    echo
    exec build/cli/quillmark-text "$example" "$line" "$column"
fi
