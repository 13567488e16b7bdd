#!/usr/bin/env bash
# Installs the Debian packages Quillmark needs, then configures and builds one
# build tree from a preset of CMakePresets.json: dev (build/), asan
# (build-asan/), fuzz (build-fuzz/), release (build-release/) or
# windows-text (build-windows/).
#
#   tools/setup.sh [--to-run] PRESET [cmake options...]
#
# With --to-run (what ./run.sh uses) only what building and running the
# programs needs is installed, and the tree is configured without the tests
# and benchmarks. Without it (./test.sh) what the tests need is installed too,
# and the tests are built.
set -euo pipefail

# To build and run: the compiler and build tools; Qt 6 Widgets and Network
# (qt6-base-dev; CMake's Qt packages look for OpenGL and EGL); libxcb, through
# which the help viewer hands the keyboard back without a window manager;
# a real font, by which text is measured even off screen; scdoc for the
# manual pages; nlohmann-json (header-only), with which quillmark-text
# writes its JSON.
run_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libxcb1-dev libgl-dev libglx-dev libegl-dev
              fonts-dejavu-core scdoc nlohmann-json3-dev)

# To test, on top of those: GoogleTest and Google Benchmark; gfortran, the
# authority the samples and saved statements are compared with; the road
# tests that type into the real window run it on a virtual X display (xvfb,
# xauth) with a session bus of its own (dbus-daemon), as on a desktop, and
# send the keys with xdotool; xprop (x11-utils) shows when Qt has taken a
# key. What a screen reader hears comes over the desktop's accessibility bus
# (at-spi2-core), read with python3-pyatspi; the events the strip sends are
# switched on in its Qt Test through Qt's platform interface
# (qt6-base-private-dev). acl for the saved file's extended attributes;
# clang for the fuzz targets (libclang-rt) and clang-format for the layout
# check. The manual pages are checked with man (man-db, groff-base), the
# desktop entry with desktop-file-validate (desktop-file-utils), completion
# with bash-completion; the Debian package takes its dependencies from
# dpkg-shlibdeps (dpkg-dev), which CPack reaches through file. The layout
# check lists the files git tracks (git). The editor plug-ins are tested in the editors
# themselves, run headless (vim, emacs-nox), and the language server's in
# Neovim and in Emacs with Eglot (neovim, elpa-eglot). The start-up timing
# (bench/first_paint.sh) watches the window's first drawing through the X
# server's Damage extension (libxcb-damage0-dev). quillmark-text and
# quillmark-lsp are cross-compiled for Windows with MinGW-w64 and run there
# under Wine, so that the Windows way of saving, of reading a path from a
# URI and of framing the server's messages runs too.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev gfortran qt6-base-private-dev
               xvfb xauth xdotool x11-utils dbus-daemon at-spi2-core python3-pyatspi acl
               clang clang-format libclang-rt-14-dev libxcb-damage0-dev
               man-db groff-base desktop-file-utils bash-completion dpkg-dev file git vim emacs-nox
               neovim elpa-eglot
               g++-mingw-w64-x86-64-posix wine64)

to_run=false
if [ "${1:-}" = --to-run ]; then
    to_run=true
    shift
fi
packages=("${run_packages[@]}")
$to_run || packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${missing[*]} ..."
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cd "$(dirname "$0")/.."
preset=$1
shift
options=()
if $to_run; then
    # A tree set up for running builds the programs only, whatever test
    # libraries happen to be installed: what the tests need besides them
    # (Qt's private headers, ...) comes with the setup for testing alone.
    options=(-DQUILLMARK_TESTS=OFF -DQUILLMARK_BENCHMARKS=OFF)
else
    options=(-DQUILLMARK_TESTS=ON)
    case $preset in dev | release) options+=(-DQUILLMARK_BENCHMARKS=ON) ;; esac
fi
cmake --preset "$preset" "${options[@]}" "$@" > /dev/null
cmake --build --preset "$preset"
