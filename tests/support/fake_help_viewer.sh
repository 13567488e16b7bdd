#!/bin/sh
# Stands in for quillmark-help in tests: records its arguments, one a line,
# in $QUILLMARK_FAKE_HELP_LOG and ends at once; with
# $QUILLMARK_FAKE_HELP_PID set it first writes its process ID there and
# then stays, as a viewer on screen does, for $QUILLMARK_FAKE_HELP_STAY
# seconds (default 60).
if [ -n "${QUILLMARK_FAKE_HELP_PID:-}" ]; then
    echo $$ > "$QUILLMARK_FAKE_HELP_PID.new" && mv "$QUILLMARK_FAKE_HELP_PID.new" "$QUILLMARK_FAKE_HELP_PID"
    printf '%s\n' "$@" > "$QUILLMARK_FAKE_HELP_LOG"
    exec sleep "${QUILLMARK_FAKE_HELP_STAY:-60}"
fi
printf '%s\n' "$@" > "$QUILLMARK_FAKE_HELP_LOG"
