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
folder="$build/tests/patch-drive-p"
prefix="${WINEPREFIX:-$build/wineprefix}"
link="$prefix/dosdevices/p:"

remove() {
    # Only our own mapping: a P: that points elsewhere is not ours to remove.
    if [ -L "$link" ] && [ "$(readlink "$link")" = "$folder" ]; then rm -f "$link"; fi
    rm -rf "$folder"
}

case "$action" in
setup)
    remove
    if [ ! -d "$prefix/dosdevices" ]; then
        echo "no Wine prefix at $prefix: no drive P: (the drive-root test fails)"
        exit 0
    fi
    if [ -e "$link" ] || [ -L "$link" ]; then
        echo "drive P: is already mapped in $prefix; leaving it alone (the drive-root test fails)"
        exit 0
    fi
    mkdir -p "$folder"
    printf 'drive P: of the patch tests\r\n' > "$folder/patch-test-drive"
    ln -s "$folder" "$link"
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
