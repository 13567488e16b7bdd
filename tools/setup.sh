#!/usr/bin/env bash
# Installs what Quillmark needs to build and test (Debian packages), then
# configures and builds one build tree from a preset of CMakePresets.json:
# dev (build/), asan (build-asan/), fuzz (build-fuzz/) or release
# (build-release/).
#
#   tools/setup.sh PRESET [cmake options...]
set -euo pipefail

# qt6-base-dev brings Qt 6 Widgets, Network, Test and the offscreen platform
# the window's tests run on; CMake's Qt packages look for OpenGL and EGL, and
# text is measured with a real font even off screen. The road tests that type
# into the real window run it on a virtual X display (xvfb, xauth) with a
# session bus of its own (dbus-daemon), as on a desktop, and send the keys
# with xdotool; xprop (x11-utils) shows when Qt has taken a key. What a
# screen reader hears comes over the desktop's accessibility bus
# (at-spi2-core), read with python3-pyatspi; the events the strip sends are
# switched on in its Qt Test through Qt's platform interface
# (qt6-base-private-dev). Without a window manager the help viewer hands the
# keyboard back through libxcb (libxcb1-dev); the start-up timing
# (bench/first_paint.sh) watches the window's first drawing through the X
# server's Damage extension (libxcb-damage0-dev).
# The manual pages are written for scdoc and checked with man (man-db,
# groff-base); the desktop entry with desktop-file-validate
# (desktop-file-utils); completion with bash-completion; the Debian package
# takes its dependencies from dpkg-shlibdeps (dpkg-dev). The editor plug-ins
# are tested in the editors themselves, run headless (vim, emacs-nox).
packages=(cmake ninja-build g++ gfortran pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-base-private-dev libxcb1-dev libxcb-damage0-dev libgl-dev libglx-dev libegl-dev fonts-dejavu-core
          xvfb xauth xdotool x11-utils dbus-daemon at-spi2-core python3-pyatspi acl clang clang-format libclang-rt-14-dev
          scdoc man-db groff-base desktop-file-utils bash-completion dpkg-dev vim emacs-nox)

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
cmake --preset "$preset" "$@" > /dev/null
cmake --build --preset "$preset"
