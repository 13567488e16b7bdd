#!/bin/sh
# Stands in for quillmark-help in tests: records its arguments, one a line,
# in $QUILLMARK_FAKE_HELP_LOG and ends at once.
printf '%s\n' "$@" > "$QUILLMARK_FAKE_HELP_LOG"
