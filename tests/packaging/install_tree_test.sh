#!/usr/bin/env bash
# The install tree: cmake --install into a scratch prefix, then what a user
# of the installed tree meets: every file in its place, the manual pages
# rendered by man without a warning, the desktop entry valid, the icon the
# size its theme folder says, the installed programs answering and doing
# the unattended road, bash completion offering options and file names.
#
#   install_tree_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
here=$(cd "$(dirname "$0")" && pwd)
for tool in man desktop-file-validate; do
    command -v "$tool" > /dev/null || { echo "$tool is not installed (tools/setup.sh installs it): skipped"; exit 77; }
done
[ -f /usr/share/bash-completion/bash_completion ] || { echo "bash-completion is not installed: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix with blank"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log" >&2; fail "cmake --install"; }
while read -r file; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done < "$here/installed_files.txt"
for program in quillmark quillmark-text quillmark-lsp quillmark-help; do
    [ -x "$prefix/bin/$program" ] || fail "$program is not executable"
done

# The manual pages: roff that man renders without a warning.
for page in quillmark quillmark-text quillmark-lsp; do
    MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" > "$work/$page.txt" 2> "$work/$page.err" ||
        fail "man -l $page.1 failed"
    [ ! -s "$work/$page.err" ] || fail "man warns about $page.1: $(cat "$work/$page.err")"
    grep -q "^NAME" "$work/$page.txt" || fail "$page(1) has no NAME section"
    grep -q "^ *$page - " "$work/$page.txt" || fail "$page(1) does not name the program"
    grep -q "^EXIT STATUS" "$work/$page.txt" || fail "$page(1) has no EXIT STATUS section"
done

# The desktop entry: valid, for Fortran sources, naming the installed icon.
desktop="$prefix/share/applications/quillmark.desktop"
desktop-file-validate "$desktop" > "$work/desktop.err" 2>&1 || fail "desktop-file-validate: $(cat "$work/desktop.err")"
grep -qx 'MimeType=text/x-fortran;' "$desktop" || fail "the desktop entry is not for text/x-fortran"
grep -qx 'Icon=quillmark' "$desktop" || fail "the desktop entry names no icon"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_program" ] || fail "the desktop entry runs $exec_program, which is not installed"

# The icon: a PNG as large as the theme folder it is in says.
icon="$prefix/share/icons/hicolor/64x64/apps/quillmark.png"
size=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
[ "$size" = 64x64 ] || fail "the icon is $size, in the 64x64 folder"

# The installed programs: their version from the project, their help, and
# the help document found from the installed quillmark's own place.
headless=(env DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM=)
[ "$("$prefix/bin/quillmark-text" --version | head -n 1)" = "quillmark-text $version" ] ||
    fail "quillmark-text --version: $("$prefix/bin/quillmark-text" --version)"
"$prefix/bin/quillmark-text" --help | grep -q "^Usage: quillmark-text" || fail "quillmark-text --help"
[ "$("$prefix/bin/quillmark-lsp" --version)" = "quillmark-lsp $version" ] ||
    fail "quillmark-lsp --version: $("$prefix/bin/quillmark-lsp" --version 2>&1)"
# the installed server answers an editor's first and last requests
lsp_message() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
{
    lsp_message '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
    lsp_message '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
    lsp_message '{"jsonrpc":"2.0","method":"exit"}'
} | "$prefix/bin/quillmark-lsp" > "$work/lsp.out" || fail "quillmark-lsp did not exit with 0 after shutdown and exit"
grep -q '"hoverProvider":true' "$work/lsp.out" || fail "quillmark-lsp answered: $(cat "$work/lsp.out")"
[ "$("${headless[@]}" "$prefix/bin/quillmark" --version | head -n 1)" = "quillmark $version" ] ||
    fail "quillmark --version: $("${headless[@]}" "$prefix/bin/quillmark" --version 2>&1)"
"${headless[@]}" "$prefix/bin/quillmark" --version | grep -q "^Qt 6\." || fail "quillmark --version names no Qt"

printf '  100 FORMAT(I5,F7.3)\n' > "$work/prog.for"
"${headless[@]}" "$prefix/bin/quillmark" "$work/prog.for" 1 7 "-d:1:$work/quillmark.log" ||
    fail "the installed quillmark did not rewrite the file: $(cat "$work/quillmark.log")"
[ "$(cat "$work/prog.for")" = '  100 FORMAT(I5, F7.3)' ] || fail "rewritten as: $(cat "$work/prog.for")"
"$prefix/bin/quillmark-text" "$work/prog.for" 1 7 --text 0:I6 --write > /dev/null || fail "quillmark-text --write"
[ "$(cat "$work/prog.for")" = '  100 FORMAT(I6, F7.3)' ] || fail "quillmark-text wrote: $(cat "$work/prog.for")"

# Bash completion, loaded as bash-completion loads it: by the program's name.
mkdir "$work/files" "$work/files/sub"
touch "$work/files/prog.for" "$work/files/other.f90"
cat > "$work/complete.sh" <<'BASH'
source /usr/share/bash-completion/bash_completion
completions=$1
cd "$2"
# Prints the completions of a command line, the word being completed last.
complete_line() {
    local program=$1
    source "$completions/$program"
    local fn
    fn=$(complete -p "$program" | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$fn" "$program" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2> /dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' '
}
complete_line quillmark ""
complete_line quillmark --f
complete_line quillmark prog.for 12 ""
complete_line quillmark prog.for 12 7 -d:1:ot
complete_line quillmark-text --w
complete_line quillmark-text --k
complete_line quillmark-text --list ""
complete_line quillmark-text --text 0:I6 pr
BASH
bash "$work/complete.sh" "$prefix/share/bash-completion/completions" "$work/files" > "$work/complete.out"
expected='other.f90 prog.for sub
--fixed-form --free-form

other.f90
--write
--keep-layout

prog.for'
[ "$(cat "$work/complete.out")" = "$expected" ] || {
    diff <(echo "$expected") "$work/complete.out" >&2
    fail "bash completion"
}
echo "install tree: complete"
