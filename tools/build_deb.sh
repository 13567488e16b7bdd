#!/usr/bin/env bash
# Builds Quillmark's Debian package with CPack from a build tree (configured
# and built first when it is not there yet) and prints the package's path.
#
#   tools/build_deb.sh [BUILD_DIR [OUT_DIR]]     (default: build, BUILD_DIR/package)
#
# Install it with: sudo apt-get install ./quillmark_VERSION_ARCH.deb
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$top/$build ;; esac
out=${2:-$build/package}

if [ -f "$build/CPackConfig.cmake" ]; then
    # (the build's own messages only when it fails: stdout is the package's path)
    log=$(mktemp)
    cmake --build "$build" > "$log" 2>&1 || {
        cat "$log" >&2
        rm -f "$log"
        echo "build_deb.sh: building $build failed" >&2
        exit 1
    }
    rm -f "$log"
else
    # The trees of the dev and release presets (CMakePresets.json) are set up
    # here; any other has to be configured and built first.
    case $build in
        "$top/build") "$top/tools/setup.sh" dev ;;
        "$top/build-release") "$top/tools/setup.sh" release ;;
        *) echo "build_deb.sh: $build is not configured; configure and build it first" >&2; exit 2 ;;
    esac
fi
mkdir -p "$out"
rm -f "$out"/quillmark_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$out" > "$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log" >&2
    exit 1
}
package=$(ls "$out"/quillmark_*.deb)
echo "$package"
