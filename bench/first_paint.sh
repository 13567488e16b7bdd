#!/usr/bin/env bash
# Times the start of the window: from exec to the first drawing on its
# top-level window, as the X server's Damage extension reports it
# (build/bench/quillmark_first_paint), on a virtual X display of the script's
# own with no window manager. The reference is a window with one labelled
# push button (build/bench/quillmark_one_button), built with the same Qt and
# flags, timed twice: at its own small size, and filling a window as large as
# the first program's (measured once before the rounds), so that what the
# size of the window costs can be told from what the program does. The small
# button in a window of that size is timed too: the window's area and one
# label, without the large button's gradient over the whole of it. The
# programs run in turn, round after round, so that all of them see the same
# machine; the script prints each round, then each program's median and its
# ratio to the reference's, and the median of the rounds' ratios.
#
#   bench/first_paint.sh [-n ROUNDS] [-b BUILD_DIR] [-d DISPLAY_NUMBER] [PROGRAM...]
#
# PROGRAMs are builds of quillmark to time (default BUILD_DIR/app/quillmark,
# BUILD_DIR default build); give an earlier build and the current one to
# compare them in the same run. Each opens the FORMAT statement of
# examples/report.for, copied to a temporary folder, with the stored
# settings of a fresh user (an empty configuration folder). ROUNDS defaults
# to 30. Without -d, Xvfb picks a free display number itself. Needs Xvfb and
# xauth; the helpers are built when libxcb-damage is installed.
set -euo pipefail

rounds=30
build=build
display_number=
while getopts 'n:b:d:' option; do
    case $option in
    n) rounds=$OPTARG ;;
    b) build=$OPTARG ;;
    d) display_number=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))

here=$(cd "$(dirname "$0")" && pwd)
timer=$build/bench/quillmark_first_paint
reference=$build/bench/quillmark_one_button
programs=("$@")
[ ${#programs[@]} -gt 0 ] || programs=("$build/app/quillmark")
for program in "$timer" "$reference" "${programs[@]}"; do
    if [ ! -x "$program" ]; then
        echo "first_paint.sh: $program is not built (ninja -C $build quillmark quillmark_first_paint quillmark_one_button)" >&2
        exit 2
    fi
done
for tool in Xvfb xauth; do
    command -v "$tool" > /dev/null || { echo "first_paint.sh: $tool is not installed" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-first-paint-XXXXXX")
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill -TERM "$server_pid" 2> /dev/null && wait "$server_pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# A display of our own, admitting only this script's clients.
touch "$work/server.auth"
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
if [ -n "$display_number" ]; then
    xauth -f "$work/server.auth" add ":$display_number" . "$cookie"
    Xvfb ":$display_number" -auth "$work/server.auth" -nolisten tcp -screen 0 1280x800x24 2> "$work/server.log" &
    server_pid=$!
else
    exec 3> "$work/display"
    Xvfb -displayfd 3 -auth "$work/server.auth" -nolisten tcp -screen 0 1280x800x24 2> "$work/server.log" &
    server_pid=$!
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    display_number=$(tr -d '\n' < "$work/display")
    xauth -f "$work/server.auth" add ":$display_number" . "$cookie"
fi
export DISPLAY=:$display_number XAUTHORITY=$work/server.auth
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display_number" ] && break
    sleep 0.1
done

mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
cp "$here/../examples/report.for" "$work/report.for"
export XDG_CONFIG_HOME=$work/config
unset QT_QPA_PLATFORM

# One start, in ms. The reference may carry its window size.
time_of() {
    local program=$1
    case $program in
    "$reference" | "$reference "*) "$timer" $program ;;
    *) "$timer" "$program" "$work/report.for" 16 7 ;;
    esac
}

# The first program's window size: started once, its top-level window
# looked up by its title, then ended.
window_size() {
    "${programs[0]}" "$work/report.for" 16 7 > /dev/null 2>&1 &
    local pid=$! size=
    for _ in $(seq 100); do
        size=$(xwininfo -root -tree 2> /dev/null | sed -n 's/.*"Quillmark - [^"]*": ([^)]*)  \([0-9]*x[0-9]*\)+.*/\1/p' | head -1)
        [ -n "$size" ] && break
        sleep 0.1
    done
    kill "$pid" 2> /dev/null
    wait "$pid" 2> /dev/null
    echo "$size"
}
size=
command -v xwininfo > /dev/null && size=$(window_size)

# Each program's label: its name and number, then its path ("quillmark#1 (build/app/quillmark)").
labels=()
for i in "${!programs[@]}"; do labels+=("${programs[$i]##*/}#$((i + 1))"); done
all=("${programs[@]}")
if [ -n "$size" ]; then
    labels+=("one_button_$size" "framed_$size")
    all+=("$reference $size" "$reference --framed $size")
fi
labels+=(one_button)
all+=("$reference")
declare -A times
for ((r = 1; r <= rounds; ++r)); do
    line="round $r:"
    for i in "${!all[@]}"; do
        t=$(time_of "${all[$i]}")
        times[$i]+="$t "
        line+=" ${labels[$i]} $t"
    done
    echo "$line ms"
done

median() { printf '%s\n' $1 | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
last=$((${#all[@]} - 1))
# Besides the ratio of the medians, the median of the ratios taken round by
# round: each round's programs ran side by side, so a load that changes
# during the run moves both figures of a round alike.
ratio_line() { # INDEX REFERENCE_INDEX WORDS
    local m r ref ratios
    m=$(median "${times[$1]}")
    ref=$(median "${times[$2]}")
    ratios=$(paste -d' ' <(printf '%s\n' ${times[$1]}) <(printf '%s\n' ${times[$2]}) | awk '{ print $1 / $2 }')
    r=$(median "$ratios")
    awk -v label="${labels[$1]} (${all[$1]})" -v m="$m" -v ref="$ref" -v r="$r" -v words="$3" \
        'BEGIN { printf "median %s: %.1f ms, %.3f times %s (median of the rounds: %.3f)\n", label, m, m / ref, words, r }'
}
for i in "${!all[@]}"; do
    ratio_line "$i" "$last" "the one-button window"
done
if [ -n "$size" ]; then
    for i in "${!programs[@]}"; do
        ratio_line "$i" "${#programs[@]}" "the one-button window of its size, $size"
        ratio_line "$i" "$((${#programs[@]} + 1))" "the small button in a window of its size"
    done
fi
