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
. "$(dirname "$0")/../../scripts/wine-drive.sh"
mnt="$build/full-disk-drive"
WINE_DRIVE_PREFIX="${WINEPREFIX:-$build/wineprefix}"

remove() {
    unmap_wine_drive q "$mnt"
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
    mkdir -p "$mnt"
    if ! mount -t tmpfs -o size=1m tmpfs "$mnt"; then
        rmdir "$mnt" 2>/dev/null
        echo "cannot mount a tmpfs here: no full-disk drive Q:"
        exit 0
    fi
    if ! map_wine_drive q "$mnt"; then
        umount "$mnt"; rmdir "$mnt" 2>/dev/null
        exit 0
    fi
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
