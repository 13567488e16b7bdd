#!/usr/bin/env bash
# Does what a newcomer does, on a Debian 12 machine that has never seen the
# project: in a minimal Debian 12 root (debootstrap --variant=minbase) it
# clones this checkout's HEAD and runs the README's two commands exactly as
# written, ./run.sh and then ./test.sh; in a second fresh root it installs
# libgtest-dev first (a machine that once built some GoogleTest project) and
# runs ./run.sh, then configures the test tree there, which lacks Qt's
# private headers. One line per command: its exit status and how long it took.
#
#   sudo tools/fresh_machine_check.sh [--only run|test|gtest-run]
#
# Needs root, debootstrap and the Debian package source this machine reaches
# (QUILLMARK_DEBIAN_MIRROR, default http://deb.debian.org/debian). The base
# root is kept as a tarball and the downloaded packages in a folder, both
# under QUILLMARK_FRESH_CACHE (default /var/cache/quillmark-fresh), so later
# runs do not fetch them again. Each command's whole output goes to a log
# beside them; a failing one shows its last lines.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${QUILLMARK_FRESH_CACHE:-/var/cache/quillmark-fresh}
mirror=${QUILLMARK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
only=${2:-}
[ "${1:-}" = --only ] || only=""

fail() {
    echo "fresh_machine_check: $*" >&2
    exit 2
}
[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, chroot and mounts)"
command -v debootstrap > /dev/null || fail "needs debootstrap (apt-get install debootstrap)"
mkdir -p "$cache/archives" "$cache/logs"

# The minimal base, made once; it is what a fresh Debian 12 installation
# holds before anything of the project is installed.
tarball=$cache/bookworm-minbase.tar
make_base() {
    [ -s "$tarball" ] && return
    local staging
    staging=$(mktemp -d /var/tmp/quillmark-base.XXXXXX)
    roots+=("$staging")
    debootstrap --variant=minbase bookworm "$staging" "$mirror" > "$cache/logs/debootstrap.log" 2>&1 ||
        fail "debootstrap failed; see $cache/logs/debootstrap.log"
    tar -C "$staging" -cf "$tarball.part" .
    mv "$tarball.part" "$tarball"
}

roots=()
mounted=()
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R -l "${mounted[i]}" 2> /dev/null || true; done
    for r in "${roots[@]}"; do rm -rf --one-file-system "$r"; done
}
trap cleanup EXIT

# Mounts a whole tree of this machine's into the root; what is mounted or
# unmounted inside it later does not reach back out.
rbind() {
    mount --rbind "$1" "$2"
    mount --make-rslave "$2"
    mounted+=("$2")
}

# A fresh root from the base, in $root: the kernel's file systems, name
# resolution, the package sources this machine uses, the shared package
# cache, and a clone of this checkout's HEAD in the newcomer's home.
new_root() {
    make_base
    root=$(mktemp -d /var/tmp/quillmark-fresh.XXXXXX)
    roots+=("$root")
    tar -C "$root" -xf "$tarball"
    # mktemp made the folder (and so the base's "/") readable by root
    # alone; a fresh machine's "/" is open to every user, as tests that run
    # the programs as another user need.
    chmod 0755 "$root"
    mount -t proc proc "$root/proc"
    mounted+=("$root/proc")
    rbind /sys "$root/sys"
    rbind /dev "$root/dev"
    mount --bind "$cache/archives" "$root/var/cache/apt/archives"
    mounted+=("$root/var/cache/apt/archives")
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
        rm -f "$root/etc/apt/sources.list"
    fi
    git clone -q --no-hardlinks "$repo" "$root/root/quillmark"
}

# Runs one command in a root as a login shell with a clean environment
# (no display: the newcomer's terminal, not this one) and prints its line.
run_in() {
    local root=$1 what=$2 command=$3
    local log=$cache/logs/$(echo "$what" | tr -c 'A-Za-z0-9\n' '-').log
    local start=$SECONDS status=0
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /root/quillmark && $command" > "$log" 2>&1 || status=$?
    local took=$((SECONDS - start))
    printf '%-46s exit %d  %dm%02ds  (%s)\n' "$what" "$status" $((took / 60)) $((took % 60)) "$log"
    if [ "$status" -ne 0 ]; then
        tail -n 15 "$log" | sed 's/^/    | /'
        overall=1
    fi
}

overall=0
echo "Checking $(git -C "$repo" rev-parse --short HEAD) on fresh Debian 12 roots ($mirror)"
if [ -z "$only" ] || [ "$only" = run ] || [ "$only" = test ]; then
    new_root
    [ "$only" = test ] || run_in "$root" "fresh root: ./run.sh" ./run.sh
    [ "$only" = run ] || run_in "$root" "same root: ./test.sh" ./test.sh
fi
if [ -z "$only" ] || [ "$only" = gtest-run ]; then
    new_root
    run_in "$root" "fresh root + libgtest-dev: apt-get install" \
        "apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q libgtest-dev"
    run_in "$root" "fresh root + libgtest-dev: ./run.sh" ./run.sh
    # The test tree there lacks Qt's private headers: CMake names them in
    # its one line and still generates.
    run_in "$root" "  then a test tree without Qt's private headers" \
        "set -o pipefail; cmake --preset dev -DQUILLMARK_TESTS=ON -DQUILLMARK_BENCHMARKS=OFF | grep -F qt6-base-private-dev"
fi
exit "$overall"
