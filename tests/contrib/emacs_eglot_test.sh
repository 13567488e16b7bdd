#!/usr/bin/env bash
# quillmark-eglot.el of contrib/emacs in a batch Emacs with Debian's Eglot:
# the server starts for a Fortran buffer, and hover, definition and the
# diagnostics come back (emacs_eglot_test.el says what is checked).
# Skipped (77) where Emacs or Eglot is not installed.
#
#   tests/contrib/emacs_eglot_test.sh SERVER PLUGIN_FOLDER
set -euo pipefail
server=$(realpath "$1")
plugin=$(realpath "$2")
command -v emacs > /dev/null || { echo "emacs not installed: skipped"; exit 77; }
emacs --batch --eval "(require 'eglot)" 2> /dev/null || { echo "eglot not installed: skipped"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source_file="$work/prog.f"
# a FORMAT two WRITEs use, the second with an item of the wrong type
cp "$here/lsp_fixture.f" "$source_file"
HOME=$work QUILLMARK_LSP=$server QUILLMARK_SOURCE=$source_file \
    timeout 120 emacs --batch -q -L "$plugin" -l "$here/emacs_eglot_test.el"
echo "emacs: hover, definition and diagnostics through eglot"
