#!/usr/bin/env bash
# The VS Code extension of contrib/vscode/extension, built as its README
# says in a copy of its folder: npm ci, its tests under node without VS Code
# (npm test), and the .vsix (npm run package), which must hold the compiled
# extension, its manifest, the language client it runs and the licence.
# Skipped (77) where npm is not installed or its registry cannot be reached.
#
#   tests/contrib/vscode_extension_test.sh EXTENSION_FOLDER LICENSE
set -euo pipefail
extension=$(realpath "$1")
license=$(realpath "$2")
command -v npm > /dev/null || { echo "npm not installed: skipped"; exit 77; }
timeout 30 npm ping > /dev/null 2>&1 || { echo "the npm registry cannot be reached: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
mkdir "$work/extension"
(cd "$extension" && tar -c --exclude=node_modules --exclude=out --exclude='*.vsix' --exclude=LICENSE .) | tar -x -C "$work/extension"
cp "$license" "$work/extension/LICENSE"
cd "$work/extension"
export npm_config_cache=$work/npm-cache
npm ci --no-audit --no-fund > "$work/ci.log" 2>&1 || { cat "$work/ci.log" >&2; fail "npm ci"; }
npm test > "$work/test.log" 2>&1 || { cat "$work/test.log" >&2; fail "npm test"; }
grep -q "^# fail 0" "$work/test.log" || fail "the extension's tests: $(cat "$work/test.log")"
npm run package > "$work/package.log" 2>&1 || { cat "$work/package.log" >&2; fail "npm run package"; }
listing=$(unzip -l quillmark.vsix) || fail "quillmark.vsix is no zip"
for file in extension/package.json extension/out/extension.js extension/out/column.js extension/out/settings.js \
    extension/node_modules/vscode-languageclient/package.json extension/LICENSE.txt extension.vsixmanifest; do
    grep -q " $file\$" <<< "$listing" || fail "quillmark.vsix lacks $file"
done
! grep -q " extension/src/" <<< "$listing" || fail "quillmark.vsix carries the TypeScript sources"
echo "vscode: npm test passed and quillmark.vsix holds the extension"
