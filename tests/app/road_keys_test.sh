#!/usr/bin/env bash
# The window as a user drives it: runs the real program on a file in a
# temporary folder, on a virtual X display of its own (no window manager),
# types into it with xdotool, and checks the exit status and the bytes of the
# file afterwards. Every wait is bounded, so a window that never shows, never
# takes the keys or never closes fails its road instead of hanging the suite.
#
#   road_keys_test.sh PROGRAM
#
# Exits 0 when every road passed, 1 when one failed, 77 (skipped) when the X
# tools are missing (tools/setup.sh installs them).
set -uo pipefail

program=${1:?usage: road_keys_test.sh PROGRAM}
case $program in /*) ;; *) program=$PWD/$program ;; esac

# Limits in seconds. A sanitized build starts several times slower, so they
# are generous; none of them is reached on a working program.
readonly kServerWait=20    # the X server tells its display number
readonly kWindowWait=60    # the window is mapped
readonly kFocusWait=20     # the window has the keyboard and Qt sees the keys
readonly kExitWait=30      # the process ends after Enter or Escape
readonly kStepPause=0.3    # between steps, as a user looks at the screen
readonly kKeyDelay=60      # milliseconds between the keys of one step

for tool in Xvfb xauth xdotool xprop dbus-daemon gfortran; do
    if ! command -v "$tool" > /dev/null; then
        echo "SKIP: $tool is not installed (tools/setup.sh installs it)"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmark-keys-XXXXXX")
work=$(cd "$work" && pwd -P)  # the program names the file by its physical path
server_pid=
bus_pid=
program_pid=
failures=0

cleanup() {
    [ -n "$program_pid" ] && kill -KILL "$program_pid" 2> /dev/null
    [ -n "${a11y_listener_pid:-}" ] && kill -TERM "$a11y_listener_pid" 2> /dev/null
    [ -n "$bus_pid" ] && kill -TERM "$bus_pid" 2> /dev/null && wait "$bus_pid" 2> /dev/null
    [ -n "$server_pid" ] && kill -TERM "$server_pid" 2> /dev/null && wait "$server_pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP PIPE

note() { printf '%s\n' "$*"; }

# Waits until "$@" succeeds, polling every tenth of a second, at most
# $1 seconds. Returns 1 on time-out.
wait_for() {
    local limit=$1
    shift
    local tenths=$((limit * 10))
    until "$@"; do
        ((tenths-- > 0)) || return 1
        sleep 0.1
    done
}

# --- The X server -----------------------------------------------------------

# Xvfb picks a free display number itself (-displayfd) and admits only
# clients with the cookie, so that parallel runs and a developer's own
# display never meet.
start_server() {
    local cookie
    cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
    : > "$work/server.auth"
    : > "$work/client.auth"
    xauth -q -f "$work/server.auth" add :0 MIT-MAGIC-COOKIE-1 "$cookie"
    Xvfb -displayfd 3 -auth "$work/server.auth" -nolisten tcp -screen 0 1280x800x24 \
        3> "$work/display" > "$work/xvfb.log" 2>&1 &
    server_pid=$!
    if ! wait_for "$kServerWait" grep -sq '^[0-9][0-9]*$' "$work/display"; then
        note "FAIL: Xvfb did not start:"
        cat "$work/xvfb.log"
        exit 1
    fi
    export DISPLAY=":$(head -n 1 "$work/display")"
    export XAUTHORITY="$work/client.auth"
    xauth -q -f "$XAUTHORITY" add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$cookie"
    # The program picks the platform from these; it must take this display.
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# A desktop session has a session bus, which Qt asks about accessibility.
# Without one, libdbus's failed attempt to start one leaves a buffer behind
# that LeakSanitizer reports at exit; a private bus keeps the sanitized runs
# about the program's own memory.
start_session_bus() {
    local address="unix:path=$work/bus"
    dbus-daemon --session --nofork --nopidfile --address="$address" > "$work/bus.log" 2>&1 &
    bus_pid=$!
    if ! wait_for "$kServerWait" test -S "$work/bus"; then
        note "FAIL: dbus-daemon did not start:"
        cat "$work/bus.log"
        exit 1
    fi
    export DBUS_SESSION_BUS_ADDRESS=$address
}

# --- One road -----------------------------------------------------------------

road_name=
road_options=()  # options after FILE LINE COLUMN
road_failed=0
road_timed_out=0

fail() {
    note "FAIL [$road_name]: $*"
    road_failed=1
}

# The value of the window's _NET_WM_USER_TIME, which Qt sets each time it
# handles a key press for the window (empty until the first one).
user_time() {
    xprop -id "$1" _NET_WM_USER_TIME 2> /dev/null | sed -n 's/^_NET_WM_USER_TIME(CARDINAL) = //p'
}

# Sets the keyboard focus on the window and makes sure Qt receives the keys:
# the X focus is on the window, and a Shift pressed alone (which edits
# nothing) has reached Qt's handling of the window's keys.
focus_window() {
    local window=$1 before
    before=$(user_time "$window")
    local tenths=$((kFocusWait * 10))
    while ((tenths-- > 0)); do
        timeout 5 xdotool windowfocus --sync "$window" 2> /dev/null
        if [ "$(xdotool getwindowfocus 2> /dev/null)" = "$window" ]; then
            xdotool key shift
            local now
            for _ in 1 2 3 4 5 6 7 8 9 10; do
                now=$(user_time "$window")
                [ -n "$now" ] && [ "$now" != "$before" ] && return 0
                sleep 0.1
            done
        fi
        sleep 0.1
    done
    return 1
}

# The title of the window that holds the X keyboard focus (empty for none,
# or the root window).
focused_title() {
    local window
    window=$(xdotool getwindowfocus 2> /dev/null) || return 0
    [ -n "$window" ] && [ "$window" -gt 1 ] 2> /dev/null && xdotool getwindowname "$window" 2> /dev/null
}
focus_matches() { [[ $(focused_title) =~ $1 ]]; }

# Waits, without giving it, until a window whose title matches the pattern
# holds the keyboard focus (the program or the help viewer took it itself),
# then until Qt sees the keys there (as focus_window).
await_focus() {
    local pattern=$1 window before now
    if ! wait_for "$kFocusWait" focus_matches "$pattern"; then
        fail "the keyboard did not come to '$pattern' within ${kFocusWait}s (it is on '$(focused_title)')"
        return 1
    fi
    window=$(xdotool getwindowfocus)
    before=$(user_time "$window")
    xdotool key shift
    for _ in $(seq 1 $((kFocusWait * 10))); do
        now=$(user_time "$window")
        [ -n "$now" ] && [ "$now" != "$before" ] && return 0
        sleep 0.1
    done
    fail "'$pattern' holds the X focus, but its keys do not reach it"
    return 1
}

# Waits for a visible window of the program whose title matches the
# pattern (a dialog, a message box) and gives it the keyboard.
focus_dialog() {
    local pattern=$1 window
    window=$(timeout "$kWindowWait" xdotool search --sync --all --onlyvisible --pid "$program_pid" \
        --name "$pattern" 2> /dev/null | tail -n 1)
    if [ -z "$window" ]; then
        fail "no window '$pattern' within ${kWindowWait}s"
        return 1
    fi
    focus_window "$window" || { fail "the window '$pattern' did not get the keyboard"; return 1; }
}

# Sends one step: "key:K1 K2 ..." presses keys (xdotool names, such as
# ctrl+Right), "type:TEXT" types text, "burst:K1 K2 ..." presses keys with
# no delay at all, as a macro would, "window:PATTERN" waits for a dialog or
# message box of that title and gives it the keyboard, "focused:PATTERN"
# waits until a window of that title has taken the keyboard by itself (the
# main window after a command, the help viewer). Each step ends with a
# pause.
send_step() {
    local step=$1 keys
    case $step in
        window:*) focus_dialog "${step#window:}" || return 1 ;;
        focused:*) await_focus "${step#focused:}" || return 1 ;;
        a11y-tree:*) a11y_tree "${step#a11y-tree:}" || return 1 ;;
        a11y-now:*) a11y_now "${step#a11y-now:}" || return 1 ;;
        key:*) read -r -a keys <<< "${step#key:}"; xdotool key --delay "$kKeyDelay" "${keys[@]}" ;;
        burst:*) read -r -a keys <<< "${step#burst:}"; xdotool key --delay 0 "${keys[@]}" ;;
        type:*) xdotool type --delay "$kKeyDelay" -- "${step#type:}" ;;
        *) fail "unknown step '$step'"; return 1 ;;
    esac
    sleep "$kStepPause"
}

program_ended() { ! kill -0 "$program_pid" 2> /dev/null; }

# Waits for the program to end; sets status to its exit status, or fails
# the road and kills it when it is still running after kExitWait.
wait_for_exit() {
    if ! wait_for "$kExitWait" program_ended; then
        fail "the program was still running ${kExitWait}s after the last key; killed"
        road_timed_out=1
        kill -KILL "$program_pid" 2> /dev/null
    fi
    wait "$program_pid"
    status=$?
    program_pid=
}

# road NAME FILE LINE COLUMN STEP...
# Starts the program in the work folder on FILE (a name relative to it, as an
# editor in that folder would pass it), gives its window the focus (with
# road_own_focus=1 it waits for the window to take it itself), sends the
# steps, and waits for it to end. Leaves the exit status in $status and the
# program's standard error in $work/stderr.
road() {
    road_name=$1
    local file=$2 line=$3 column=$4
    shift 4
    road_failed=0
    road_timed_out=0
    status=
    local started=$SECONDS step
    (cd "$work" && exec "$program" "$file" "$line" "$column" "${road_options[@]}") > "$work/stdout" 2> "$work/stderr" &
    program_pid=$!

    # The window of this process, by its exact title.
    local title="Quillmark - $work/$file - line ${road_title_line:-$line} - ${road_table:-default} table" window
    window=$(timeout "$kWindowWait" xdotool search --sync --all --onlyvisible --pid "$program_pid" \
        --name '^Quillmark - ' 2> /dev/null | head -n 1)
    if [ -z "$window" ]; then
        fail "no window within ${kWindowWait}s"
        road_timed_out=1
    elif [ "$(xdotool getwindowname "$window")" != "$title" ]; then
        fail "window title '$(xdotool getwindowname "$window")', expected '$title'"
    elif ((${road_own_focus:-0})) && ! await_focus "^Quillmark - "; then
        road_timed_out=1
    elif ! ((${road_own_focus:-0})) && ! focus_window "$window"; then
        fail "the window did not get the keyboard within ${kFocusWait}s"
        road_timed_out=1
    else
        for step in "$@"; do
            send_step "$step" || break
        done
    fi
    if ((road_failed)); then
        kill -KILL "$program_pid" 2> /dev/null
    fi
    wait_for_exit
    if grep -Eq 'Sanitizer|runtime error:' "$work/stderr"; then
        fail "the sanitizers reported:"
    fi
    note "road '$road_name': exit $status, $((SECONDS - started))s"
}

# picker_road NAME FILE STEP...
# Starts the program on FILE alone, as a file manager or the desktop entry
# does: the list of the file's statements comes first. Gives it the
# keyboard, sends the steps (the main window, once a statement is chosen, is
# reached with "window:^Quillmark - "), and waits for the program to end.
picker_road() {
    road_name=$1
    local file=$2
    shift 2
    road_failed=0
    road_timed_out=0
    status=
    local started=$SECONDS step
    (cd "$work" && exec "$program" "$file") > "$work/stdout" 2> "$work/stderr" &
    program_pid=$!
    for step in "$@"; do
        send_step "$step" || break
    done
    if ((road_failed)); then
        road_timed_out=1
        kill -KILL "$program_pid" 2> /dev/null
    fi
    wait_for_exit
    if grep -Eq 'Sanitizer|runtime error:' "$work/stderr"; then
        fail "the sanitizers reported:"
    fi
    note "road '$road_name': exit $status, $((SECONDS - started))s"
}

# Ends a road: on failure shows what the program printed and the file.
# After a time-out the remaining roads would most likely wait in vain too,
# so the run stops there.
finish_road() {
    local file=$1
    if ((road_failed)); then
        failures=$((failures + 1))
        note "--- standard error:"
        cat "$work/stderr"
        note "--- $file now:"
        cat -A "$work/$file"
        echo
    fi
    if ((road_timed_out)); then
        note "a road timed out: the remaining roads are not run"
        exit 1
    fi
}

expect_status() {
    [ "$status" = "$1" ] || fail "exit status $status, expected $1"
}

# The file's bytes must be exactly the expected text.
expect_file() {
    local file=$1 expected=$2 actual
    actual=$(cat "$work/$file"; printf x)  # the x keeps trailing line ends
    actual=${actual%x}
    if [ "$actual" != "$expected" ]; then
        fail "$file differs from what was expected (< expected, > actual):"
        diff <(printf '%s' "$expected" | cat -A) <(printf '%s' "$actual" | cat -A) | sed 's/^/    /'
    fi
}

# The last field of the FORMAT statement on line 2 of FILE, as written.
last_field() {
    sed -n '2s/.*[(,] *\([^,()]*\))$/\1/p' "$work/$1"
}

# A sample typed into the window must come out of a real Fortran program
# printing VALUE with the descriptor derived from it.
expect_fortran_prints() {
    local descriptor=$1 value=$2 printed
    printf "      PRINT '(%s)', %s\n      END\n" "$descriptor" "$value" > "$work/check.f"
    if ! gfortran -o "$work/check" "$work/check.f" 2> "$work/check.log"; then
        fail "gfortran does not take the derived descriptor '$descriptor':"
        cat "$work/check.log"
        return
    fi
    printed=$("$work/check")
    [ "$printed" = "$value" ] || fail "'$descriptor' prints '$printed', not '$value'"
}

# --- What a screen reader hears -----------------------------------------------

# A Python with the desktop accessibility bindings (python3-pyatspi), which
# the accessibility road needs; empty without one.
a11y_python=
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import pyatspi' 2> /dev/null; then
        a11y_python=$candidate
        break
    fi
done
a11y_probe=$(dirname "$0")/a11y_probe.py
a11y_listener_pid=

# Starts recording every focus change on the accessibility bus into
# $work/a11y-focus.
start_a11y_listener() {
    "$a11y_python" "$a11y_probe" listen > "$work/a11y-focus" 2> "$work/a11y-listen.log" &
    a11y_listener_pid=$!
    wait_for "$kServerWait" grep -sq '^READY' "$work/a11y-focus" || { fail "the accessibility listener did not start"; return 1; }
}
stop_a11y_listener() {
    [ -n "$a11y_listener_pid" ] && kill -TERM "$a11y_listener_pid" 2> /dev/null && wait "$a11y_listener_pid" 2> /dev/null
    a11y_listener_pid=
}

# "a11y-tree:KEY" presses KEY (a move to another cell) and records the
# program's accessible tree as it is then into $work/a11y-tree.
a11y_tree() {
    local probe
    "$a11y_python" "$a11y_probe" tree > "$work/a11y-tree" 2> "$work/a11y-tree.log" &
    probe=$!
    wait_for "$kServerWait" grep -sq '^READY' "$work/a11y-tree" || { fail "the accessibility probe did not start"; return 1; }
    sleep 2  # its listener is registered a moment after it says so
    xdotool key "$1"
    if ! wait_for "$kFocusWait" program_ended_pid "$probe"; then
        kill -KILL "$probe" 2> /dev/null
        fail "no focus change reached the accessibility bus after $1"
        return 1
    fi
}
program_ended_pid() { ! kill -0 "$1" 2> /dev/null; }

# "a11y-now:NAME" records the program's accessible tree as it is now into
# $work/a11y-NAME, without a move: what a screen reader reads of a label
# the user did not go to.
a11y_now() {
    timeout "$kFocusWait" "$a11y_python" "$a11y_probe" now "Quillmark - " > "$work/a11y-$1" 2> "$work/a11y-now.log" ||
        { fail "the accessibility probe did not read the tree:"; cat "$work/a11y-now.log"; return 1; }
}

# The status line, as the accessible tree NAME recorded it, must read TEXT.
expect_status_line() {
    local name=$1 text=$2
    awk -F '\t' -v text="$text" '$2 == "label" && $3 == "Field status" && $4 == text { found = 1 } END { exit !found }' \
        "$work/a11y-$name" && return
    fail "the status line in '$name' does not read '$text':"
    grep '	label	' "$work/a11y-$name" | sed 's/^/    /'
}

# --- The roads ------------------------------------------------------------------

start_server
start_session_bus

# A fixed-form program whose line 2 is the FORMAT statement; the lines around
# it carry trailing blanks, a comment and no final line end, which a rewrite
# must keep byte for byte.
fixed_with() {
    printf '      PROGRAM P  \n  100 FORMAT(%s)\n      WRITE (6, 100) N, X\n      END\nC     no line end after this' "$1"
}
fixed_before=$(fixed_with '1X, I5, F7.2')
write_fixed() { printf '%s' "$fixed_before" > "$work/prog.for"; }

# An edited field is written back: Ctrl+Right to I5, BackSpace, 8, Enter.
write_fixed
road "edit a field, then OK" prog.for 2 7 'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I8, F7.2')"
finish_road prog.for

# The cursor on the WRITE of line 3, whose format is the label 100: the
# window opens the FORMAT statement of line 2 (its title says so) and OK
# writes there.
write_fixed
road_title_line=2 road "a WRITE's label opens its FORMAT statement" prog.for 3 7 \
    'key:ctrl+Right' 'key:BackSpace' 'type:7' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I7, F7.2')"
finish_road prog.for

# The file alone: the list of its statements, filtered by typing the label
# of the second FORMAT statement, Enter opens it in the window (the title
# names its line), an edit there and OK write that statement only.
picked_with() {
    printf '      PROGRAM P\n      WRITE (6, 100) N\n  100 FORMAT (I5)\n      WRITE (6, %s) X\n  200 FORMAT (%s)\n      END' \
        "'(F7.2)'" "$1"
}
picked_with 'F9.4, 2X' > "$work/picked.for"
picker_road "FILE alone: filter, Enter, edit, OK" picked.for 'window:Open a Statement' 'type:200' 'key:Return' \
    'window:^Quillmark - .* - line 5 - default table$' 'key:BackSpace' 'type:3' 'key:Return'
expect_status 0
expect_file picked.for "$(picked_with 'F9.3, 2X')"
finish_road picked.for

# Escape in the list: nothing opens, the file stays, exit 1 as Cancel.
picker_road "FILE alone: Escape" picked.for 'window:Open a Statement' 'type:F' 'key:Escape'
expect_status 1
expect_file picked.for "$(picked_with 'F9.3, 2X')"
finish_road picked.for

# A file without a statement to open says so and exits as a failed open.
printf '      PROGRAM P\n      PRINT *, 1\n      END\n' > "$work/none.for"
picker_road "FILE alone: no statement" none.for 'window:^Quillmark$' 'key:Return'
expect_status 1
grep -q 'No FORMAT statement or format string in file' "$work/stderr" || fail "no message on standard error"
finish_road none.for

# Keys sent in one burst, each field key with the keys after it already
# waiting, still go to the field moved to.
write_fixed
road "edit in one burst of keys" prog.for 2 7 'burst:ctrl+Right BackSpace BackSpace I 8 Down ctrl+Right ctrl+a 1 period 5 Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I8, F3.1')"
finish_road prog.for

# Leaving a field whose text does not evaluate takes it back: I5 becomes
# I5x0 (had the x been lost, I50 would be valid and written), Ctrl+Right
# leaves it, and OK writes the statement as it was.
write_fixed
road "leave an invalid field, then OK" prog.for 2 7 'key:ctrl+Right' 'type:x0' 'key:ctrl+Right' 'key:Return'
expect_status 0
expect_file prog.for "$fixed_before"
finish_road prog.for

# It goes back to the field's last good text, not to the one it started
# with: I5 -> I8 (good) -> I8x (not) -> leave; then Ctrl+Left returns to it
# and a 0 typed after the restored text makes I80.
write_fixed
road "an invalid field goes back to its last good text" prog.for 2 7 \
    'key:ctrl+Right' 'key:BackSpace' 'type:8x' 'key:ctrl+Right' 'key:ctrl+Left' 'key:End' 'type:0' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I80, F7.2')"
finish_road prog.for

# A typed sample derives the descriptor that prints it: Ctrl+End to F7.2,
# Down to its sample, replace it by 12.5, Up, OK. F4.1 is the narrowest
# such descriptor, and gfortran confirms that it prints 12.5.
write_fixed
road "type a sample, then OK" prog.for 2 7 'key:ctrl+End' 'key:Down' 'key:ctrl+a' 'type:12.5' 'key:Up' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I5, F4.1')"
expect_fortran_prints "$(last_field prog.for)" 12.5
finish_road prog.for

# Field moves keep the row: Ctrl+End, Down (sample row), Ctrl+Home goes to
# the first field's sample row and Ctrl+Right to I5's sample, where typing
# -42 derives I3; Ctrl+End and Up then edit F7.2's text.
write_fixed
road "move along the sample row" prog.for 2 7 \
    'key:ctrl+End' 'key:Down' 'key:ctrl+Home' 'key:ctrl+Right' 'key:ctrl+a' 'type:-42' \
    'key:ctrl+End' 'key:Up' 'key:BackSpace' 'type:3' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I3, F7.3')"
finish_road prog.for

# Cancel after edits in both rows asks first; Discard leaves the file
# untouched: exit 1.
write_fixed
road "edit, then Cancel" prog.for 2 7 'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Down' 'key:ctrl+a' 'type:1' \
    'key:Escape' 'window:^Quillmark$' 'key:alt+d'
expect_status 1
expect_file prog.for "$fixed_before"
finish_road prog.for

# A free-form WRITE statement's format string, the column on the string:
# Ctrl+Right to i5, BackSpace, 8, Enter. The string holds the new list.
free_with() { printf "program p\n  write (*, '(%s)') n, x\nend program p\n" "$1"; }
free_with '1x, i5, f7.2' > "$work/prog.f90"
road "edit a format string in a free-form file, then OK" prog.f90 2 16 \
    'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Return'
expect_status 0
free_after=$(free_with '1x, i8, f7.2'; printf x)  # the x keeps the last line end
expect_file prog.f90 "${free_after%x}"
finish_road prog.f90

# The empty format opens as one empty field: typing a descriptor into it and
# OK writes the list; and a double-quoted constant inside a format string
# with later forms is edited like any other field.
printf 'program p\n100 format()\n  write (*, 100)\nend program p\n' > "$work/empty.f90"
road "type into the empty format, then OK" empty.f90 2 1 'type:i5' 'key:Return'
expect_status 0
empty_after=$(printf 'program p\n100 format(i5)\n  write (*, 100)\nend program p\nx')
expect_file empty.f90 "${empty_after%x}"
finish_road empty.f90
free_with '"n =", i6, dc, *(1x, f8.3)' > "$work/later.f90"
road "edit a list with later forms, then OK" later.f90 2 16 \
    'key:ctrl+Right' 'key:BackSpace' 'type:9' 'key:Return'
expect_status 0
free_after=$(free_with '"n =", i9, dc, *(1x, f8.3)'; printf x)
expect_file later.f90 "${free_after%x}"
finish_road later.f90

# The window's commands, through their dialogs and keys. Without a window
# manager nobody hands the keyboard back to the main window when a dialog
# or message box closes, so the roads do it ("window:^Quillmark - ").
main='window:^Quillmark - '

# Undo and Redo. Ctrl+Z takes back the whole visit to I5 (not only its last
# key), and a Remove Field undone brings the same descriptor back: OK with
# the layout kept then finds every descriptor as it was read, and the file
# is not written at all (the same inode and time, the same bytes).
inode_of() { stat -c '%i %Y' "$work/$1"; }
write_fixed
inode_before=$(inode_of prog.for)
road_options=(--keep-layout)
road "type into a field, Ctrl+Z, Remove Field, Ctrl+Z, then OK" prog.for 2 7 \
    'key:ctrl+Right' 'key:BackSpace' 'type:89' 'key:ctrl+z' 'key:alt+r' "$main" 'key:ctrl+z' 'key:Return'
road_options=()
expect_status 0
expect_file prog.for "$fixed_before"
[ "$(inode_of prog.for)" = "$inode_before" ] || fail "the file was written again"
finish_road prog.for

# A field removed, the removal undone and redone (Ctrl+Y): it is removed.
write_fixed
road "Remove Field, Ctrl+Z, Ctrl+Y, then OK" prog.for 2 7 \
    'key:ctrl+Right' 'key:alt+r' "$main" 'key:ctrl+z' 'key:ctrl+y' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, F7.2')"
finish_road prog.for

# Undone, redone with Ctrl+Shift+Z, undone again: nothing is left to
# discard, so Escape closes at once (no question stands in the way).
write_fixed
road "Remove Field, undo, redo, undo, then Escape" prog.for 2 7 \
    'key:alt+r' "$main" 'key:ctrl+z' 'key:ctrl+shift+z' 'key:ctrl+z' 'key:Escape'
expect_status 1
expect_file prog.for "$fixed_before"
finish_road prog.for

# After a change Escape asks; Enter keeps editing, and the window takes
# the keyboard back by itself with the edit going on; Escape again and
# Discard end as Cancel does.
write_fixed
road "a change, then Escape: keep editing, then discard" prog.for 2 7 \
    'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Escape' 'window:^Quillmark$' 'key:Return' \
    'focused:^Quillmark - ' 'type:0' 'key:Escape' 'window:^Quillmark$' 'key:alt+d'
expect_status 1
expect_file prog.for "$fixed_before"
finish_road prog.for

# Save in the same question does what OK does.
write_fixed
road "a change, then Escape: Save writes as OK" prog.for 2 7 \
    'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Escape' 'window:^Quillmark$' 'key:alt+s'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I8, F7.2')"
finish_road prog.for

write_fixed
road "New Field: a custom descriptor after the first field" prog.for 2 7 \
    'key:alt+n' 'window:^New Field$' 'key:alt+c' 'type:3X' 'key:alt+a' "$main" 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, 3X, I5, F7.2')"
finish_road prog.for

# A custom text that is no descriptor: the dialog stays open and says why,
# with the text selected, so that typing replaces it.
write_fixed
road "New Field: a refused custom text keeps the dialog" prog.for 2 7 \
    'key:alt+n' 'window:^New Field$' 'key:alt+c' 'type:3(I5' 'key:alt+a' 'type:3X' 'key:alt+a' "$main" \
    'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, 3X, I5, F7.2')"
finish_road prog.for

write_fixed
road "New Field: an integer before the last field" prog.for 2 7 \
    'key:ctrl+End' 'key:alt+n' 'window:^New Field$' 'key:alt+i' 'key:alt+b' "$main" 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I5, I5, F7.2')"
finish_road prog.for

write_fixed
road "Remove Field" prog.for 2 7 'key:ctrl+Right' 'key:alt+r' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, F7.2')"
finish_road prog.for

# An opening parenthesis alone: OK says the statement does not balance and
# the window stays; Escape closes the message, Escape again cancels.
write_fixed
road "New Field: an unbalanced statement is not written" prog.for 2 7 \
    'key:alt+n' 'window:^New Field$' 'key:alt+c' 'type:2(' 'key:alt+a' "$main" 'key:Return' \
    'window:^Quillmark$' 'key:Escape' "$main" 'key:Escape' 'window:^Quillmark$' 'key:alt+d'
expect_status 1
expect_file prog.for "$fixed_before"
finish_road prog.for

# A value of one's own only changes the sample: the file keeps I5.
write_fixed
road "Change Value" prog.for 2 7 \
    'key:ctrl+Right' 'key:alt+c' 'window:^Change Value for I5$' 'type:42' 'key:Return' "$main" 'key:Return'
expect_status 0
expect_file prog.for "$fixed_before"
finish_road prog.for

# Without a window manager the window takes the keyboard itself: when it is
# shown, after a command whose dialog had it, and when the help viewer it
# opened closes. Help (Alt+H) leaves the statement current, so that after
# Escape in the viewer the keys edit the field and Enter is OK, not Help
# again.
road_own_focus=1
write_fixed
road "the window takes the keyboard when shown and after New Field" prog.for 2 7 \
    'key:alt+n' 'window:^New Field$' 'key:alt+c' 'type:3X' 'key:alt+a' 'focused:^Quillmark - ' \
    'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, 3X, I8, F7.2')"
finish_road prog.for

write_fixed
road "after Help and Escape the statement takes the keys" prog.for 2 7 \
    'key:alt+h' 'focused:^Quillmark Help$' 'key:Escape' 'focused:^Quillmark - ' \
    'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Return'
expect_status 0
expect_file prog.for "$(fixed_with '1X, I8, F7.2')"
finish_road prog.for
road_own_focus=0

# A screen reader follows the keys in the editor: the accessible focus goes
# to the editor once per move to another cell and stays there while keys
# are typed (never out to the Format Statement group and back); the window
# is a frame, the scroll bar has a name, and the current field's
# description tells its sample, blanks counted, and its output columns.
if [ -z "$a11y_python" ]; then
    note "SKIP the accessibility road: no python3-pyatspi (tools/setup.sh installs it)"
else
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    road_name="accessibility"
    if start_a11y_listener; then
        printf '%s' "$(fixed_with '1X, I6, 4X, F11.3, F7.2')" > "$work/prog.for"
        road "a screen reader hears the editor, not the group, while keys are typed" prog.for 2 7 \
            'key:ctrl+Right ctrl+Right' 'a11y-tree:Down' 'key:Up ctrl+Right' \
            'key:BackSpace' 'type:x' 'key:BackSpace' 'type:4' 'key:Return'
        stop_a11y_listener
        expect_status 0
        expect_file prog.for "$(fixed_with '1X, I6, 4X, F11.4, F7.2')"
        focus_gained=$(grep -c '^focus	1	' "$work/a11y-focus")
        if grep -q '^focus	1	panel' "$work/a11y-focus"; then
            fail "the accessible focus went out to the group:"
            grep '^focus	1	' "$work/a11y-focus" | sed 's/^/    /'
        elif ((focus_gained > 6)); then  # the first field, then Ctrl+Right twice, Down, Up, Ctrl+Right
            fail "$focus_gained focus changes for 5 moves and 4 typed keys:"
            grep '^focus	1	' "$work/a11y-focus" | sed 's/^/    /'
        fi
        grep -q '^1	frame	Quillmark - ' "$work/a11y-tree" || fail "the window is not a frame to assistive technology"
        grep -q '^2	frame	' "$work/a11y-tree" && fail "the border around the statement is an object of its own"
        grep -q '	scroll bar	Fields	' "$work/a11y-tree" || fail "the scroll bar has no name"
        grep -q '^2	push button[^	]*	Settings	' "$work/a11y-tree" || fail "the Settings button is not listed"
        # the list of the statements that use the FORMAT, read by the one in view
        grep -q '^2	combo box	WRITE (6, 100) at line 3: 2 items, 1 record	Statements that use this format' \
            "$work/a11y-tree" || fail "the list of the statements that use the FORMAT is not listed"
        grep -q '	text	Field 3 of 5, sample row	descriptor 4X, sample 4 blanks, columns 8 to 11$' "$work/a11y-tree" ||
            fail "the editor on 4X's sample is not described as expected:"
        ((road_failed)) && sed 's/^/    /' "$work/a11y-tree"
        finish_road prog.for

        # The status line under the strip follows the keys: a move with
        # Ctrl+Right, a text typed that is no descriptor (and why), the
        # field left, which takes the text back and says so. OK then writes
        # the statement as it was.
        printf '%s' "$(fixed_with '1X, I6, 4X, F11.3')" > "$work/prog.for"
        road "the status line says what the field is, why a text is refused, and that it was taken back" \
            prog.for 2 7 'a11y-now:first' 'key:ctrl+Right' 'a11y-now:moved' 'type:x' 'a11y-now:typed' \
            'key:ctrl+Right' 'a11y-now:left' 'key:Return'
        expect_status 0
        expect_file prog.for "$(fixed_with '1X, I6, 4X, F11.3')"
        # Each ends with the WRITE that uses the FORMAT, matched again at
        # each key: with I6x no data edit, N and X take F11.3 in two records.
        use='WRITE (6, 100) at line 3: 2 items'
        expect_status_line first "1X: skip 1 column, column 1 — $use, 1 record"
        expect_status_line moved "I6: integer, 6 wide, columns 2 to 7; edits N — $use, 1 record"
        expect_status_line typed "I6x: I is written I, Iw or Iw.m — $use, 2 records"
        expect_status_line left "I6: \"I6x\" was taken back; 4X: skip 4 columns, columns 8 to 11 — $use, 1 record"
        finish_road prog.for

        # A FORMAT two WRITEs use: Ctrl+PageDown brings the second into view,
        # whose L the run time refuses under F11.3, said on the status line
        # and in the field's description; Ctrl+PageUp goes back, and I6
        # retyped as F6.1 is refused for N before the field is left. The
        # text typed back, OK writes the statement as it was.
        two_uses='      PROGRAM P\n      LOGICAL L\n  100 FORMAT(1X, I6, F11.3)\n      WRITE (6, 100) N, X\n'
        two_uses+='      WRITE (6, 100) N, L\n      END'
        printf "$two_uses" > "$work/two.for"
        road "the WRITEs that use the FORMAT, one after the other, and a mismatch typed" two.for 3 7 \
            'a11y-now:first' 'key:ctrl+Next' 'a11y-now:second' 'key:ctrl+Right ctrl+Right' 'a11y-now:refused' \
            'key:ctrl+Prior ctrl+Left' 'key:BackSpace BackSpace' 'type:F6.1' 'a11y-now:typed' \
            'key:BackSpace BackSpace BackSpace BackSpace' 'type:I6' 'key:Return'
        expect_status 0
        expect_file two.for "$(printf "$two_uses")"
        first='WRITE (6, 100) at line 4: 2 items, 1 record'
        second='WRITE (6, 100) at line 5: 2 items, 1 record'
        expect_status_line first "1X: skip 1 column, column 1 — $first"
        expect_status_line second "1X: skip 1 column, column 1 — $second"
        grep -q "^2	combo box	$second	" "$work/a11y-second" || fail "the list does not show the second WRITE"
        refused='Expected REAL for item 2 in formatted transfer, got LOGICAL'
        expect_status_line refused "F11.3: real, 11 wide, 3 decimals, columns 8 to 18; edits L; $refused — $second"
        grep -q "	text	Field 3 of 3, text row	.*$refused" "$work/a11y-refused" ||
            fail "the field's description does not say the finding"
        expect_status_line typed \
            "F6.1: real, 6 wide, 1 decimal, columns 2 to 7; edits N; Expected REAL for item 1 in formatted transfer, got INTEGER — $first"
        ((road_failed)) && grep '	label	\|	text	' "$work"/a11y-{first,second,refused,typed} | sed 's/^/    /'
        finish_road two.for
    fi
    stop_a11y_listener
    unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON
fi

# The two settings from the context menu, by keys: the Menu key opens it
# over the field being edited, K checks "Keep Layout on OK", and OK then
# changes only the line of the field retyped. The setting is stored: the
# next start keeps the layout too, and S there (in the menu Shift+F10 opens,
# as the Menu key does) switches the samples to the compiler's, which is
# stored as well.
export XDG_CONFIG_HOME="$work/config"
# (The x keeps the last line end from the command substitution.)
layout_with() {
    printf '      PROGRAM P\n  100 FORMAT(1X,%s,4X,F11.3,4X,\n     +       E13.5)\n      END\nx' "$1"
}
expect_layout() { local text; text=$(layout_with "$1"); expect_file layout.for "${text%x}"; }
# The setting KEY=VALUE stands in the stored settings.
expect_stored() {
    grep -qx "$1" "$work/config/quillmark/quillmark.ini" 2> /dev/null || fail "the setting $1 was not stored"
}
layout_before=$(layout_with I6)
printf '%s' "${layout_before%x}" > "$work/layout.for"
road "Keep Layout on OK from the context menu, by keys" layout.for 2 7 \
    'key:Menu' 'key:k' "$main" 'key:ctrl+Right' 'key:BackSpace' 'type:8' 'key:Return'
expect_status 0
expect_layout I8
expect_stored keepLayout=true
finish_road layout.for
road "the stored setting holds at the next start" layout.for 2 7 \
    'key:shift+F10' 'key:s' "$main" 'key:ctrl+Right' 'key:BackSpace' 'type:5' 'key:Return'
expect_status 0
expect_layout I5
expect_stored exact=true
finish_road layout.for
unset XDG_CONFIG_HOME

if ((failures)); then
    note "$failures road(s) failed"
    exit 1
fi
note "all roads passed"
