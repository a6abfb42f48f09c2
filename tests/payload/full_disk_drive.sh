#!/usr/bin/env bash
# Test fixture: a real full disk for the copier. "setup <build>" mounts a
# 1 MiB tmpfs under <build> and maps it as drive Q: of the build's Wine
# prefix; "cleanup <build>" takes both away. Mounting needs root: without it
# setup only says so, and the test that uses the drive skips.
set -u
action="${1:-}"
build="${2:-}"
if [ -z "$action" ] || [ -z "$build" ]; then
    echo "usage: $0 setup|cleanup <build folder>" >&2
    exit 2
fi
mnt="$build/full-disk-drive"
prefix="${WINEPREFIX:-$build/wineprefix}"
link="$prefix/dosdevices/q:"

remove() {
    # Only our own mapping: a Q: that points elsewhere is not ours to remove.
    if [ -L "$link" ] && [ "$(readlink "$link")" = "$mnt" ]; then rm -f "$link"; fi
    if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt"; fi
    if [ -d "$mnt" ]; then rmdir "$mnt" 2>/dev/null; fi
    return 0
}

case "$action" in
setup)
    remove
    if [ "$(id -u)" != 0 ]; then
        echo "not root: no full-disk drive Q: (the full-disk test will skip)"
        exit 0
    fi
    if [ ! -d "$prefix/dosdevices" ]; then
        echo "no Wine prefix at $prefix: no full-disk drive"
        exit 0
    fi
    if [ -e "$link" ]; then
        echo "drive Q: is already mapped in $prefix; leaving it alone"
        exit 0
    fi
    mkdir -p "$mnt"
    if ! mount -t tmpfs -o size=1m tmpfs "$mnt"; then
        rmdir "$mnt" 2>/dev/null
        echo "cannot mount a tmpfs here: no full-disk drive Q:"
        exit 0
    fi
    ln -s "$mnt" "$link"
    echo "drive Q: is a 1 MiB tmpfs at $mnt"
    ;;
cleanup)
    remove
    ;;
*)
    echo "usage: $0 setup|cleanup <build folder>" >&2
    exit 2
    ;;
esac
