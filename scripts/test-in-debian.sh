#!/usr/bin/env bash
# Builds Ondrel and runs its unit tests and the tray, typing, instance, accessibility
# and Wayland suites inside a Debian chroot, for a release other than this machine's:
#
#   scripts/test-in-debian.sh 13
#
# The chroot is made with debootstrap from the Debian archive this machine's apt
# uses, into /var/cache/ondrel/debian-RELEASE (ONDREL_CHROOT_CACHE changes the folder
# above it), and kept there for the next run; remove that folder to start from
# nothing. Each run copies the files git tracks in this source folder into the
# chroot (with their times, so that the build folder kept there, /srv/ondrel/build,
# rebuilds only what changed; a clean clone has new times, and builds afresh), installs what scripts/install-deps.sh asks for,
# builds and tests.
#
# Everything runs in mount and PID namespaces of its own: what the run mounts and
# every program it starts go away with it, even when it is killed. Needs root (asks
# sudo otherwise), debootstrap and unshare. ONDREL_CHROOT_TESTS replaces the CTest
# name pattern; ONDREL_CHROOT_CTEST_FLAGS adds to CTest's flags (-V shows what every
# test printed).
set -euo pipefail

release=${1:-}
case "$release" in
12) suite=bookworm ;;
13) suite=trixie ;;
*)
    echo "usage: $0 12|13" >&2
    exit 2
    ;;
esac
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=ONDREL_CHROOT_CACHE,ONDREL_CHROOT_TESTS,ONDREL_CHROOT_CTEST_FLAGS "$0" "$@"
fi
for tool in debootstrap unshare git; do
    if ! command -v "$tool" >/dev/null; then
        echo "$0: $tool is missing (apt-get install debootstrap util-linux git)" >&2
        exit 1
    fi
done

source_dir=$(cd "$(dirname "$0")/.." && pwd)
cache=${ONDREL_CHROOT_CACHE:-/var/cache/ondrel}
root=$cache/debian-$release
tests=${ONDREL_CHROOT_TESTS:-'^(tst_.*|translations_complete|wayland_option_.*|e2e_test_(tray|typing|instance|accessibility|wayland|gnome))$'}
stage_started=$SECONDS
stage() {
    echo "== [debian $release] $1 took $((SECONDS - stage_started)) s"
    stage_started=$SECONDS
}

# The archive this machine installs from, so that the chroot needs no other host.
mirror=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\/debian\)\/*$/\1/p' \
    /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
if [ -z "$mirror" ]; then
    mirror=$(sed -n 's/^deb[[:space:]]\+\([^[:space:]]*\/debian\)\/*[[:space:]].*/\1/p' \
        /etc/apt/sources.list 2>/dev/null | head -n 1)
fi

# A chroot is complete once it holds the mark written as debootstrap's last step; one
# left half made by an interrupted run is made again.
if [ ! -e "$root/.ondrel-complete" ]; then
    echo "== [debian $release] making the chroot in $root"
    mkdir -p "$cache"
    # Never remove through a mount that is not ours (a /dev bound in by hand).
    if awk -v root="$root/" 'index($2, root) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
        echo "$0: something is mounted inside $root; unmount it first" >&2
        exit 1
    fi
    rm -rf "$root"
    # debootstrap mounts /proc and /sys in the chroot as it goes: in a mount
    # namespace of its own, those mounts end with it however it ends.
    unshare --mount --propagation private \
        nice -n 10 debootstrap --variant=minbase --include=ca-certificates,git,sudo \
        "$suite" "$root" ${mirror:+"$mirror"}
    touch "$root/.ondrel-complete"
    stage "debootstrap"
fi

# Nothing installed in the chroot may start a service of its own.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# A fresh copy of the tracked files, with the changes not yet committed.
mkdir -p "$root/srv/ondrel"
find "$root/srv/ondrel" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
git -C "$source_dir" ls-files -z --cached --others --exclude-standard \
    | (cd "$source_dir" && tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null) \
    | tar -C "$root/srv/ondrel" -xf -

# What runs inside: PID 1 of a new PID namespace, in a new mount namespace.
inner=$(
    cat <<'EOF'
set -euo pipefail
root=$1 release=$2 tests=$3
mount -t proc proc "$root/proc"
mount --rbind /sys "$root/sys"
mount --rbind /dev "$root/dev"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
# What systemd-tmpfiles makes at boot: XWayland started by a compositor running as
# a user cannot make the X11 socket folder itself.
mkdir -m 1777 "$root/tmp/.X11-unix" "$root/tmp/.ICE-unix"
mount -t tmpfs -o mode=755 tmpfs "$root/run"
mkdir -p "$root/run/lock" "$root/run/user"
chmod 1777 "$root/run/lock"
started=$SECONDS
in_chroot() {
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
        ONDREL_WARNINGS_AS_ERRORS=ON "$@"
}
took() { echo "== [debian $release] $1 took $((SECONDS - started)) s"; started=$SECONDS; }
in_chroot /srv/ondrel/scripts/install-deps.sh test
in_chroot apt-get clean # the downloaded packages, installed now
took "install-deps"
in_chroot nice -n 10 cmake -S /srv/ondrel -B /srv/ondrel/build -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDREL_WARNINGS_AS_ERRORS=ON -DONDREL_WAYLAND=ON
in_chroot nice -n 10 cmake --build /srv/ondrel/build -j 2
took "build"
status=0
in_chroot ctest --test-dir /srv/ondrel/build ${ONDREL_CHROOT_CTEST_FLAGS:-} --output-on-failure -R "$tests" || status=$?
took "tests"
exit "$status"
EOF
)
status=0
unshare --mount --pid --fork --kill-child --propagation private \
    bash -c "$inner" inner "$root" "$release" "$tests" || status=$?
stage "install-deps, build and tests"
exit "$status"
