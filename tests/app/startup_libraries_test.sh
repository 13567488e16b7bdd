#!/usr/bin/env bash
# What the program loads on its way to the window: no network library (the
# help channel is a plain local socket), nothing of Kerberos, GSSAPI or the
# proxy library that Qt's network library brings, and no image format
# plug-in (the icon is compiled in as pixels). Each of them costs every start.
# Its static thread-local storage stays small too: it is zeroed anew for
# every thread the toolkit starts.
# Runs the program unattended (-d:1:) on a copy of the example, off screen,
# with the dynamic loader reporting the files it opens (glibc's LD_DEBUG).
#
#   startup_libraries_test.sh PROGRAM EXAMPLE.for
#
# Exits 0 when none is loaded, 1 when one is, 77 (skipped) without ldd or a
# loader that reports.
set -uo pipefail

program=${1:?usage: startup_libraries_test.sh PROGRAM EXAMPLE.for}
example=${2:?usage: startup_libraries_test.sh PROGRAM EXAMPLE.for}
readonly unwanted='libQt6Network|libgssapi|libkrb5|libk5crypto|libproxy|/imageformats/'

command -v ldd > /dev/null || { echo "SKIP: no ldd"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-libraries-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

linked=$(ldd "$program") || { echo "FAIL: ldd $program"; exit 1; }
if grep -E "$unwanted" <<< "$linked"; then
    echo "FAIL: the program links the libraries above"
    failures=1
fi

# The program's TLS segment: its size in memory, in bytes.
if command -v readelf > /dev/null; then
    tls=$(readelf -lW "$program" | awk '$1 == "TLS" { print $6 }')
    if [ $((${tls:-0})) -gt 4096 ]; then
        echo "FAIL: the program has $((tls)) bytes of static thread-local storage (at most 4096)"
        failures=1
    fi
fi

cp "$example" "$work/report.for"
LD_DEBUG=files LD_DEBUG_OUTPUT="$work/loader" QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" \
    "$program" "$work/report.for" 16 7 "-d:1:$work/log" > /dev/null 2>&1
status=$?
if ! cat "$work"/loader.* 2> /dev/null | grep -q 'file=.*libQt6Core'; then
    echo "SKIP: the dynamic loader does not report the files it opens"
    exit 77
fi
if [ "$status" -ne 0 ] && [ "$status" -ne 1 ]; then
    echo "FAIL: the unattended run ended with status $status"
    cat "$work/log" 2> /dev/null
    failures=1
fi
if cat "$work"/loader.* | grep -E "file=.*($unwanted)"; then
    echo "FAIL: the program loads the files above on its way to the window"
    failures=1
fi
[ "$failures" -eq 0 ] && echo "PASS: no network library, no image format plug-in, little thread-local storage"
exit "$failures"
