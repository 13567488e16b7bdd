#!/usr/bin/env bash
# quillmark-text built for Windows, run under Wine, against the native build
# on the same inputs: what it shows (line ends aside: the Windows console
# ends lines with CR LF) and, byte for byte, what a save writes. A save runs
# the Windows way of replacing the file, which the native build never takes.
#
#   tests/cli/windows_text_test.sh WINDOWS_EXE NATIVE_PROGRAM
#
# Needs Wine (wine64); says SKIP and passes without it.
set -uo pipefail
exe=${1:?usage: windows_text_test.sh WINDOWS_EXE NATIVE_PROGRAM}
native=${2:?usage: windows_text_test.sh WINDOWS_EXE NATIVE_PROGRAM}
here=$(cd "$(dirname "$0")" && pwd)
examples=$here/../../examples

wine=
for candidate in /usr/lib/wine/wine64 wine64 wine; do
    if command -v "$candidate" > /dev/null 2>&1; then
        wine=$candidate
        break
    fi
done
if [ -z "$wine" ]; then
    echo "SKIP: no Wine to run $exe"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-windows-XXXXXX")
trap 'rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
native=$(cd "$(dirname "$native")" && pwd)/$(basename "$native")

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# One case: NAME, the contents of the file (empty: no file), then the
# program's words, FILE standing for the file. Both builds run on a copy of
# their own (with the permissions file_mode gives, when it is set); their
# exit status, output and file must be the same.
file_mode=
cases=0
check() {
    local name=$1 contents=$2
    shift 2
    cases=$((cases + 1))
    local side status
    for side in windows native; do
        mkdir -p "$work/$side"
        rm -f "$work/$side"/* "$work/$side"/.[!.]* 2> /dev/null
        [ -n "$contents" ] && printf '%s' "$contents" > "$work/$side/f.for"
        [ -n "$contents" ] && [ -n "$file_mode" ] && chmod "$file_mode" "$work/$side/f.for"
        local words=("${@/#FILE/f.for}")
        if [ $side = windows ]; then
            (cd "$work/$side" && "$wine" "$exe" "${words[@]}" > ../out-$side 2> ../err-$side)
        else
            (cd "$work/$side" && "$native" "${words[@]}" > ../out-$side 2> ../err-$side)
        fi
        status=$?
        echo "$status" > "$work/status-$side"
        tr -d '\r' < "$work/out-$side" > "$work/shown-$side"
    done
    cmp -s "$work/status-windows" "$work/status-native" ||
        fail "$name: exit status $(cat "$work/status-windows") on Windows, $(cat "$work/status-native") natively ($(tr -d '\r' < "$work/err-windows"))"
    cmp -s "$work/shown-windows" "$work/shown-native" || {
        fail "$name: the output differs (< Windows, > native):"
        diff "$work/shown-windows" "$work/shown-native" | head -10 | sed 's/^/    /'
    }
    if [ -n "$contents" ]; then
        cmp -s "$work/windows/f.for" "$work/native/f.for" || {
            fail "$name: the files differ (< Windows, > native):"
            diff <(cat -A "$work/windows/f.for") <(cat -A "$work/native/f.for") | head -10 | sed 's/^/    /'
        }
        # Nothing but the file is left beside it: no temporary copy.
        [ "$(ls -A "$work/windows")" = f.for ] || fail "$name: left beside the file: $(ls -A "$work/windows" | tr '\n' ' ')"
    fi
}

report=$(cat "$examples/report.for")$'\n'
crlf=$(printf '      PROGRAM P\r\n      WRITE (6, 100) N\r\n  100 FORMAT (1X, I5,\r\n     +        F7.2)\r\n      END\r\n')

check "a list alone" "" --list "(1PE12.4/2(I3,:,'a,b'))"
check "a statement shown" "$report" FILE 16 7
check "a statement as JSON" "$report" --json FILE 16 7
check "the statement list" "$report" --list-statements FILE
check "a save that rebuilds the statement" "$report" --write --text 1:I8 --insert 2:A3 FILE 16 7
check "a save that keeps the layout" "$report" --write --keep-layout --text 1:I8 FILE 16 7
check "a save of a file with CR LF line ends" "$crlf" --write --text 1:I6 --value 2:3.5 FILE 3 7
check "a new statement on a blank line" $'      X = 1\n\n      END\n' --write --text 0:I4 FILE 2 1
check "an unbalanced list is not saved" "$report" --write --remove 0 --remove 0 --insert 0:'2(' FILE 16 7
check "a statement that is not there" "$report" --write --text 0:I4 FILE 3 7
file_mode=444
check "a read-only file is not saved" "$report" --write --text 1:I8 FILE 16 7
file_mode=

if ((failed)); then
    echo "quillmark-text for Windows differs from the native build"
    exit 1
fi
echo "quillmark-text for Windows: $cases cases as the native build, under $("$wine" --version 2> /dev/null)"
