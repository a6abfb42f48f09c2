#!/usr/bin/env bash
# Test fixture: a drive of its own for the installer to be pointed at, so a
# chosen folder that is a drive root ("P:\", already ending in a backslash)
# can be tried. "setup <build>" maps a fresh, empty folder under
# <build>/tests as drive P: of the build's Wine prefix and marks it with the
# file patch-test-drive; "cleanup <build>" takes both away again.
set -u
action="${1:-}"
build="${2:-}"
if [ -z "$action" ] || [ -z "$build" ]; then
    echo "usage: $0 setup|cleanup <build folder>" >&2
    exit 2
fi
. "$(dirname "$0")/../../scripts/wine-drive.sh"
folder="$build/tests/patch-drive-p"
WINE_DRIVE_PREFIX="${WINEPREFIX:-$build/wineprefix}"

remove() {
    unmap_wine_drive p "$folder"
    rm -rf "$folder"
}

case "$action" in
setup)
    remove
    mkdir -p "$folder"
    printf 'drive P: of the patch tests\r\n' > "$folder/patch-test-drive"
    if ! map_wine_drive p "$folder"; then
        rm -rf "$folder"
        echo "(the drive-root test fails)"
        exit 0
    fi
    echo "drive P: is $folder"
    ;;
cleanup)
    remove
    ;;
*)
    echo "usage: $0 setup|cleanup <build folder>" >&2
    exit 2
    ;;
esac
