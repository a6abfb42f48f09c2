# Sourced: start_xvfb starts a private X server on a free display and exports
# DISPLAY; stop_xvfb ends it. GUI tests always use their own server, so they
# never pop up on a developer's desktop and never meet each other's windows.
XVFB_PID=""
start_xvfb() {
    local n
    for n in $(seq 91 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null; XVFB_PID=""
    done
    echo "xvfb: could not start an X server" >&2
    return 1
}
stop_xvfb() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}
