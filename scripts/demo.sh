#!/usr/bin/env bash
# make demo: runs the built installer under Wine in its own demo prefix, with
# the target application's default installation folder made there first.
#   With $DISPLAY: the dialog opens on your screen; use it, then close it,
#   and the script shows what is in the installation folder.
#   Without: a private X server, where tests/demo_driver.exe opens the dialog,
#   presses the fix button, answers the completion message, compares the
#   files written with the payloads embedded in patch.exe, and presses the
#   exit button, saving a screenshot of each step under <build>/screenshots/.
set -u
cd "$(dirname "$0")/.."
: "${BUILD_DIR:=build}"
case "$BUILD_DIR" in /*) ;; *) BUILD_DIR="$PWD/$BUILD_DIR" ;; esac
export BUILD_DIR
export WINEPREFIX="$BUILD_DIR/demo-prefix"
. scripts/wine-env.sh
. scripts/xvfb.sh

PATCH_EXE="$BUILD_DIR/patch.exe"
DRIVER_EXE="$BUILD_DIR/tests/demo_driver.exe"
for f in "$PATCH_EXE" "$DRIVER_EXE"; do
    [ -f "$f" ] || { echo "demo: $f is missing; run make first" >&2; exit 1; }
done

cleanup() { wineserver -k 2>/dev/null; stop_xvfb; }
trap cleanup EXIT

interactive=0
if [ -n "${DISPLAY:-}" ]; then
    interactive=1
else
    echo "demo: no DISPLAY, running under a private X server"
    start_xvfb || exit 1
fi

echo "demo: Wine prefix $WINEPREFIX"
wine_prefix_init
# A bare X server has no window manager to draw title bars: there Wine
# draws the frame itself, so the screenshot shows the caption too. On a
# real desktop the window manager does it, as usual.
x11_key='HKCU\Software\Wine\X11 Driver'
if [ $interactive -eq 0 ]; then
    wine reg add "$x11_key" /v Decorated /d N /f >/dev/null 2>&1
else
    wine reg delete "$x11_key" /v Decorated /f >/dev/null 2>&1
fi

# The folder the installer looks for first, holding the target program.
# Made afresh each time, so every demo starts from the same installation.
install_root="$WINEPREFIX/drive_c/Program Files/ころもり"
install_dir="$install_root/ケルバノ/ころもり"
rm -rf "$install_root"
mkdir -p "$install_dir"
printf 'demo stand-in for the target program\r\n' > "$install_dir/vomel.exe"
echo "demo: installation folder C:\\Program Files\\ころもり\\ケルバノ\\ころもり\\ (vomel.exe only)"

if [ $interactive -eq 1 ]; then
    echo "demo: showing patch.exe on $DISPLAY; close it to end the demo"
    wine "$PATCH_EXE"
    code=$?
    echo "demo: patch.exe ended with exit code $code"
    # 1 is the installer's normal end; anything else is a failure.
    rc=0
    [ $code -eq 1 ] || rc=1
else
    mkdir -p "$BUILD_DIR/screenshots"
    # The driver prints the installer's texts as they are, in Shift-JIS;
    # through a pipe they come out unchanged, so they are turned into UTF-8 here.
    wine "$DRIVER_EXE" | iconv -f CP932 -t UTF-8
    rc=${PIPESTATUS[0]}
    if [ $rc -eq 0 ]; then
        echo "demo: screenshots: $BUILD_DIR/screenshots/demo-{idle,complete-message,done}.png"
    else
        echo "demo: the whole patch did not go through (see above)"
    fi
fi
echo "demo: installation folder now holds:"
ls -l "$install_dir" | sed 1d | sed 's/^/    /'
exit $rc
