# Sourced by the scripts that show the window: a private X display and a warm Wine server,
# both stopped when the script exits, and a screenshot of the program's window.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mkdir -p "$root/build" # a fresh clone has none, and the logs go there
xvfb_pid=

stop_background() {
    wineserver -k >/dev/null 2>&1 || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap stop_background EXIT

# Starts Xvfb on the first free display number and exports DISPLAY.
start_private_display() {
    : >"$root/build/xvfb.display"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp \
        3>"$root/build/xvfb.display" >"$root/build/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$root/build/xvfb.display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$root/build/xvfb.display")"
}

# Makes the Wine prefix if needed and keeps one server running, so each program starts warm.
# The first program also starts Wine's background services, which inherit its output and
# live as long as the server: a throwaway one starts them, so no test's output pipe stays open.
# It tells Wine to leave its windows unmanaged: with no window manager on the display, Wine
# would otherwise wait about 2 s for one whenever a top-level window is destroyed.
start_wine() {
    . "$root/scripts/wine-env.sh"
    # A server left by the prefix's creation would keep a new persistent one from starting.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}

# Starts the program in a scratch directory inside a Wine virtual desktop of its own size, where
# Wine draws the frame and caption itself; saves the framed window as $1 and stops Wine.
screenshot() {
    local out=$1 dir="$root/build/screenshot" window status
    mkdir -p "$dir"
    rm -f "$out"
    (cd "$dir" && exec wine explorer /desktop=timed-shutdown,300x100 \
        "$root/build/windows/timed-shutdown.exe" >/dev/null 2>&1) &
    local pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --classname timed-shutdown.exe | head -n 1)
    # Given no window, import would wait for a click.
    [ -n "$window" ] && sleep 0.5 && # let the first paint finish
        import -window "$window" -strip "$out" # no time stamps: the same window, the same file
    status=$?
    wineserver -k
    wait "$pid" || true # ended by the server's stop
    return $status
}
