#!/usr/bin/env bash
# Saves of a file with two names (overwritten in place) cut short from
# outside: quillmark-text --write is sent SIGTERM, SIGHUP or SIGKILL
# at a random moment, and, where this machine lets a small file system be
# mounted, runs out of room. After each round the file holds its old or its
# new contents, once the next quillmark-text has opened it; and nothing is
# left beside it. Prints one line per kind of ending: rounds, how many ended
# with the file old, new, and how many a later run put right.
#
#   saves_cut_short.sh QUILLMARK_TEXT [ROUNDS]
set -euo pipefail
tool=$1
rounds=${2:-25}
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-cut-XXXXXX")
mounted=""
cleanup() {
    [ -z "$mounted" ] || umount "$mounted" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A fixed-form file of about 3 MB; the statement is near its start, so that
# most of a save is spent copying the rest.
make_file() {
    awk 'BEGIN {
        print "      PROGRAM P"
        print "  100 FORMAT (I5, F7.3, 2X, A10)"
        for (i = 0; i < 45000; i++) print "      X(I) = Y(I) * 2.5 + Z(I) / 3.0 - W(I)                   ! step"
        print "      END"
    }' > "$1"
}

make_file "$work/old.f"
cp "$work/old.f" "$work/new.f"
"$tool" "$work/new.f" 2 7 --text 0:I6 --write > /dev/null
cmp -s "$work/old.f" "$work/new.f" && { echo "the edit changed nothing"; exit 1; }

# One round in folder $1: a save of t.f (hard-linked to u.f) ended by signal
# $2 after $3 seconds (none: it runs to its end). Echoes old, new or
# restored-old / restored-new (a later run put the file right first).
round() {
    local dir=$1 signal=$2 delay=$3 before after status
    rm -f "$dir"/t.f "$dir"/u.f "$dir"/.t.f.*
    cp "$work/old.f" "$dir/t.f"
    ln "$dir/t.f" "$dir/u.f"
    "$tool" "$dir/t.f" 2 7 --text 0:I6 --write > /dev/null 2> "$work/err" &
    local pid=$!
    if [ "$signal" != none ]; then
        sleep "$delay"
        kill -s "$signal" "$pid" 2> /dev/null || true
    fi
    wait "$pid" && status=0 || status=$?
    before=$(state "$dir/t.f")
    # The next program to open the file puts right what a killed save left.
    "$tool" "$dir/t.f" 2 7 > /dev/null 2> "$work/err2" || true
    after=$(state "$dir/t.f")
    if [ "$after" = other ]; then
        echo "round ($signal after ${delay}s): the file is neither old nor new (status $status)" >&2
        echo x >> "$work/failures"
    fi
    if [ "$(cd "$dir" && ls -A | tr '\n' ' ')" != "t.f u.f " ]; then
        echo "round ($signal after ${delay}s): left beside the file: $(cd "$dir" && ls -A | tr '\n' ' ')" >&2
        echo x >> "$work/failures"
    fi
    # A signal the program can catch waits until the file is whole: once it
    # holds the new contents, the save has not failed.
    if [ "$signal" != KILL ] && [ "$before" = new ] && [ "$status" -ne 0 ]; then
        echo "round ($signal after ${delay}s): the file was saved, yet the status is $status" >&2
        echo x >> "$work/failures"
    fi
    if [ "$before" = "$after" ]; then echo "$after"; else echo "restored-$after"; fi
}

state() {
    if cmp -s "$1" "$work/old.f"; then
        echo old
    elif cmp -s "$1" "$work/new.f"; then
        echo new
    else
        echo other
    fi
}

summary() {
    local label=$1
    shift
    local old=0 new=0 restored=0 r
    for r in "$@"; do
        case $r in
        old) old=$((old + 1)) ;;
        new) new=$((new + 1)) ;;
        restored-*) restored=$((restored + 1)) ;;
        esac
    done
    printf '%-10s %3d rounds: %3d old, %3d new, %3d put right by the next run\n' "$label" "$#" "$old" "$new" "$restored"
}

mkdir -p "$work/d"
for signal in TERM HUP KILL; do
    results=()
    for ((i = 0; i < rounds; i++)); do
        delay=$(awk -v r="$RANDOM" 'BEGIN { printf "%.3f", (r % 60) / 1000 }')
        results+=("$(round "$work/d" "$signal" "$delay")")
    done
    summary "SIG$signal" "${results[@]}"
done

# A full disk: a file system with room for the file and, in the rounds
# below, less and less of what a save needs beside it (a copy and a journal).
if [ "$(id -u)" -eq 0 ] && mkdir -p "$work/small" && mount -t tmpfs -o size=12m tmpfs "$work/small" 2> /dev/null; then
    mounted=$work/small
    mkdir -p "$mounted/d" "$mounted/fill"
    results=()
    size=$(stat -c %s "$work/old.f")
    for ((left = 2 * size + 200000; left > 0; left -= size / 3)); do
        rm -f "$mounted/fill/filler"
        cp "$work/old.f" "$mounted/d/t.f"
        free=$(df -B1 --output=avail "$mounted" | tail -1)
        head -c $((free > left ? free - left : 0)) /dev/zero > "$mounted/fill/filler" 2> /dev/null || true
        results+=("$(round "$mounted/d" none 0)")
    done
    rm -f "$mounted/fill/filler"
    summary "full disk" "${results[@]}"
else
    echo "full disk: skipped (no small file system can be mounted here)"
fi

if [ -s "$work/failures" ]; then
    echo "$(wc -l < "$work/failures") rounds went wrong"
    exit 1
fi
