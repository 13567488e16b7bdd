#!/usr/bin/env bash
# The Debian package tools/build_deb.sh built: it holds the install tree
# under /usr, file for file, and depends on the package of every Qt library
# the window links (as dpkg-shlibdeps reads them from the programs).
#
#   deb_contents_test.sh PACKAGE.deb PROGRAM VERSION
#     PROGRAM: the built quillmark, whose libraries the dependencies must cover
set -euo pipefail
package=$1
program=$2
version=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

listing=$(dpkg-deb -c "$package") || fail "dpkg-deb -c cannot read $package"
while read -r file; do
    grep -q " \./usr/$file\$" <<< "$listing" || fail "the package lacks /usr/$file"
done < "$here/installed_files.txt"
for program_file in quillmark quillmark-text quillmark-lsp quillmark-help; do
    grep -q "^-rwxr-xr-x root/root .* \./usr/bin/$program_file\$" <<< "$listing" ||
        fail "/usr/bin/$program_file is not an executable owned by root"
done

[ "$(dpkg-deb -f "$package" Package)" = quillmark ] || fail "the package is not named quillmark"
[ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$package" Version), not $version"
depends=$(dpkg-deb -f "$package" Depends)
qt_libraries=$(objdump -p "$program" | awk '$1 == "NEEDED" && $2 ~ /^libQt6/ {print $2}')
[ -n "$qt_libraries" ] || fail "$program links no Qt library?"
for library in $qt_libraries; do
    path=$(ldconfig -p | awk -v lib="$library" '$1 == lib {print $NF; exit}')
    # /lib may be a link to /usr/lib: ask dpkg for the file's real name.
    owner=$( (dpkg -S "$(readlink -f "$path")" 2> /dev/null || true) | head -n 1 | cut -d: -f1)
    [ -n "$owner" ] || fail "no Debian package holds $library"
    grep -Eq "(^|, )$owner( |,|$)" <<< "$depends" || fail "Depends lacks $owner (for $library): $depends"
done
# The licence: the copyright file carries LICENSE's text and the same
# maintainer as the package's control file.
copyright=$(dpkg-deb --fsys-tarfile "$package" | tar -xOf - ./usr/share/doc/quillmark/copyright) ||
    fail "the package has no copyright file"
grep -qx 'License: MIT' <<< "$copyright" || fail "the copyright file names no MIT licence"
licence=$(grep '^ ' <<< "$copyright" | sed 's/^ //; s/^\.$//')
[ "$licence" = "$(sed '1,/^Copyright/d' "$here/../../LICENSE" | sed '1{/^$/d}')" ] ||
    fail "the copyright file's licence text differs from LICENSE"
grep -qx "Upstream-Contact: $(dpkg-deb -f "$package" Maintainer)" <<< "$copyright" ||
    fail "the copyright file and the control file name different maintainers"
echo "package: $(basename "$package") holds the install tree; depends on $depends"
