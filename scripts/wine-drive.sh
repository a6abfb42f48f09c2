# Sourced by the test fixtures that give the build's Wine prefix a drive of
# their own (a drive root to choose, a full disk). A drive is a symlink in
# the prefix's dosdevices folder.
#   wine_drive_link LETTER       the link's path
#   unmap_wine_drive LETTER DIR  removes the link, only when it points at DIR
#                                (a drive mapped by someone else is left alone)
#   map_wine_drive LETTER DIR    links DIR as drive LETTER:; 1 when there is
#                                no prefix or the letter is taken
wine_drive_link() { echo "$WINE_DRIVE_PREFIX/dosdevices/$1:"; }

unmap_wine_drive() {
    local link
    link="$(wine_drive_link "$1")"
    if [ -L "$link" ] && [ "$(readlink "$link")" = "$2" ]; then rm -f "$link"; fi
    return 0
}

map_wine_drive() {
    local link
    link="$(wine_drive_link "$1")"
    if [ ! -d "$WINE_DRIVE_PREFIX/dosdevices" ]; then
        echo "no Wine prefix at $WINE_DRIVE_PREFIX: no drive $1:"
        return 1
    fi
    if [ -e "$link" ] || [ -L "$link" ]; then
        echo "drive $1: is already mapped in $WINE_DRIVE_PREFIX; leaving it alone"
        return 1
    fi
    ln -s "$2" "$link"
}
