# shellcheck shell=bash
# Sourced by the scripts that show the window: a private X display and a warm Wine server in the
# project's own prefix, both stopped when the script exits, and what the checks and the
# benchmark measure of a running program.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
wine=$root/scripts/wine-run.sh
mkdir -p "$root/build" # a fresh clone has none, and the logs go there
# The checks read the tools' own words and numbers, untranslated; Wine alone runs in Chinese.
export LC_ALL=C
xvfb_pid='' wine_started=''

# Stops only what this script started: its display, and the server of the project's prefix.
stop_background() {
    [ -z "$wine_started" ] || wineserver -k >/dev/null 2>&1 || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap stop_background EXIT

# Starts Xvfb on the first free display number, its screen 1920 x 1080 or as $1 says, and exports
# DISPLAY; fails, saying so, when it does not start.
# shellcheck disable=SC2120 # most callers take the default screen
start_private_display() {
    : >"$root/build/xvfb.display"
    Xvfb -displayfd 3 -screen 0 "${1:-1920x1080}x24" -nolisten tcp \
        3>"$root/build/xvfb.display" >"$root/build/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$root/build/xvfb.display" ] && break
        sleep 0.1
    done
    [ -s "$root/build/xvfb.display" ] ||
        { echo "Xvfb did not start; see build/xvfb.log" >&2 && return 1; }
    DISPLAY=":$(head -n 1 "$root/build/xvfb.display")"
    export DISPLAY
}

# Makes the Wine prefix if needed and keeps one server running, so each program starts warm.
# The first program also starts Wine's background services, which inherit its output and
# live as long as the server: a throwaway one starts them, so no test's output pipe stays open.
# It tells Wine to leave its windows unmanaged: with no window manager on the display, Wine
# would otherwise wait about 2 s for one whenever a top-level window is destroyed. Fails, saying
# which, when a step does.
start_wine() {
    . "$root/scripts/wine-env.sh"
    wine_started=1
    # The prefix's own server may still linger from a run just ended; a persistent one could
    # not start beside it.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 || { echo "Wine's server did not start" >&2 && return 1; }
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 ||
        { echo "Wine's windows could not be left unmanaged" >&2 && return 1; }
}

# Starts a program of build/windows in the folder $2, lets it settle once its window shows (within
# 20 s), then measures it for 2 s: prints the processor time it used in microseconds and its
# resident memory in KiB. Ends it through Wine, not with a signal.
measure_idle() {
    local job window pid before
    (cd "$2" && exec "$wine" "$root/build/windows/$1" >/dev/null 2>&1) &
    job=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --classname "${1##*/}" | head -n 1)
    [ -n "$window" ] || { echo "${1##*/} showed no window" >&2 && return 1; }
    pid=$(xdotool getwindowpid "$window")
    sleep 0.5
    before=$(cpu_ns "$pid")
    sleep 2
    echo "$((($(cpu_ns "$pid") - before) / 1000)) $(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")"
    "$wine" taskkill /f /im "${1##*/}" >/dev/null 2>&1
    wait "$job"
}
# Nanoseconds of processor time used so far by every thread of a process.
cpu_ns() { awk '{ ns += $1 } END { printf "%.0f\n", ns }' /proc/"$1"/task/*/schedstat; }

# Compares the picture $1 with docs/screenshot.png, or with the part of it that $2 crops, and
# says how many pixels differ.
looks_as_pictured() {
    local differ
    [ -s "$1" ] || { echo "$1: no picture" && return 1; }
    convert "$root/docs/screenshot.png" -crop "${2:-100%}" +repage "$root/build/reference.png"
    differ=$(compare -metric AE "$1" "$root/build/reference.png" "${1%.png}-diff.png" 2>&1) || true
    echo "$1: $differ pixels differ from docs/screenshot.png ${2:-}"
    [ "$differ" = 0 ]
}

# Starts the program in a scratch directory inside a Wine virtual desktop of its own size, where
# Wine draws the frame and caption itself; saves the framed window as $1 and stops Wine.
screenshot() {
    local out=$1 dir="$root/build/screenshot" window status
    mkdir -p "$dir"
    rm -f "$out"
    (cd "$dir" && exec "$wine" explorer /desktop=timed-shutdown,300x100 \
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
