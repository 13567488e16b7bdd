# Shared by the editor plug-in tests: a fixed-form program in a file whose
# name holds a blank and a quote (the plug-ins must pass it to the program
# whole), and the checks on what the editor's buffer held afterwards.
#
# Line 3 is edited in the buffer without being saved (the plug-in saves it),
# and Quillmark's unattended run rewrites it in its own layout
# ("I6,F7.3" becomes "I6, F7.3").

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The offscreen platform wants a runtime folder of the user's own.
mkdir -m 700 "$work/runtime"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
source_file="$work/it's my prog.for"
log="$work/quillmark log.txt"
cat > "$source_file" <<'FORTRAN'
      PROGRAM P
      WRITE (6, 100) 1, 2.0
  100 FORMAT(I5,F7.3)
      END
FORTRAN
original=$(cat "$source_file")
edited_line='  100 FORMAT(I6,F7.3)'
# What Quillmark says on line 1, which holds no statement, on one line.
not_found='Cannot find descriptor list The cursor must be positioned on the first line of a FORMAT statement or an I/O edit descriptor'
rewritten_line='  100 FORMAT(I6, F7.3)'

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# $1: the buffer as the editor wrote it out after the rewrite; $2: the
# buffer after a run on line 1, which holds no statement; $3: the message
# the editor reported then.
check_results() {
    local after=$1 refused=$2 message=$3
    [ -f "$after" ] || fail "the editor did not write its buffer out"
    [ "$(sed -n 3p "$source_file")" = "$rewritten_line" ] ||
        fail "the file was not rewritten: $(sed -n 3p "$source_file")"
    # The buffer was reloaded: it holds the rewritten file, line for line.
    cmp -s "$after" "$source_file" || {
        diff "$after" "$source_file" >&2
        fail "the buffer does not hold the rewritten file"
    }
    # Exit status 1: buffer and file unchanged, the outcome reported with
    # Quillmark's message, the line it names on standard error.
    cmp -s "$refused" "$source_file" || fail "the buffer changed after a run that wrote nothing"
    [ "$(cat "$message")" = "Quillmark left the file unchanged (exit status 1): quillmark: $source_file:1: $not_found" ] ||
        fail "the message after a run that wrote nothing: $(cat "$message")"
    # The options reached the program: its unattended log holds the refusal
    # (after a clean run it holds a single line end).
    [ "$(wc -c < "$log")" -gt 1 ] || fail "the unattended log holds no message: did the options reach the program?"
}

# A stand-in program that writes the words it was started with, one per
# line, into $work/args.txt and writes nothing else (exit status 1): the
# plug-ins' settings must reach the command line as options.
recorder="$work/recorder.sh"
cat > "$recorder" <<'SH'
#!/bin/sh
printf '%s\n' "$@" > "$(dirname "$0")/args.txt"
exit 1
SH
chmod +x "$recorder"

# $1: the words the recorder received.
check_setting_options() {
    local args=$1
    [ -f "$args" ] || fail "the plug-in did not start the program with its settings on"
    grep -qx -- '--exact' "$args" || fail "--exact did not reach the program: $(tr '\n' ' ' < "$args")"
    grep -qx -- '--keep-layout' "$args" || fail "--keep-layout did not reach the program: $(tr '\n' ' ' < "$args")"
    [ "$(sed -n 1p "$args")" = "$source_file" ] || fail "the file is no longer the first word: $(sed -n 1p "$args")"
}
