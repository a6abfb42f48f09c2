# Sourced: start_xvfb starts a private X server on a display it picks itself
# (-displayfd) and exports DISPLAY; stop_xvfb ends it. GUI tests always use
# their own server, so they never pop up on a developer's desktop and two
# builds' tests never meet each other's windows.
XVFB_PID=""
start_xvfb() {
    local fdfile
    fdfile="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        if [ -s "$fdfile" ]; then
            export DISPLAY=":$(head -n1 "$fdfile" | tr -d '[:space:]')"
            rm -f "$fdfile"
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$fdfile"
    echo "xvfb: could not start an X server" >&2
    XVFB_PID=""
    return 1
}
stop_xvfb() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    XVFB_PID=""
}
