# Sourced by the scripts that run Wine: one prefix per build folder, Japanese
# locale (so GetACP() is 932), no Mono/Gecko prompts, no debug noise.
: "${BUILD_DIR:=build}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/$BUILD_DIR" ;; esac
export BUILD_DIR
export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8

wine_prefix_ready() { [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows" ]; }

wine_prefix_init() {
    if ! wine_prefix_ready; then
        mkdir -p "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1 || true
        wineserver -w
    fi
}
