#!/usr/bin/env bash
# The Neovim plug-in of contrib/neovim in a headless Neovim: it starts the
# language server for a Fortran buffer, and hover, definition and the
# diagnostics come back (neovim_lsp_test.lua says what is checked).
# Skipped (77) where Neovim is not installed.
#
#   tests/contrib/neovim_lsp_test.sh SERVER PLUGIN_FOLDER
set -euo pipefail
server=$(realpath "$1")
plugin=$(realpath "$2")
command -v nvim > /dev/null || { echo "nvim not installed: skipped"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache
source_file="$work/prog.f"
# a FORMAT two WRITEs use, the second with an item of the wrong type
cp "$here/lsp_fixture.f" "$source_file"
timeout 120 nvim --headless --clean \
    --cmd "set runtimepath^=$plugin" \
    --cmd "let g:quillmark_lsp_command = ['$server']" \
    --cmd "filetype plugin on" \
    -c "runtime! plugin/quillmark_lsp.lua" \
    -c "edit $source_file" \
    -c "luafile $here/neovim_lsp_test.lua" 2>&1
echo "neovim: hover, definition and diagnostics through the plug-in"
