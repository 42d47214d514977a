#!/usr/bin/env bash
# Benchmarks the program under Wine on a private X display against the least programs that do
# the same visible work, and prints one table. PAIRS (default 21) sets the number of A/B pairs.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh
cmake --preset windows >build/configure-windows.log 2>&1 || { cat build/configure-windows.log; exit 1; }
cmake --build --preset windows --target timed-shutdown stand_in_shutdown bench floor_window \
    floor_commands >/dev/null

out=$root/build/windows
exe=$out/timed-shutdown.exe
floor=$out/bench/floor_window.exe
pairs=${PAIRS:-21}
size=$(stat -c %s "$exe")
floor_size=$(stat -c %s "$floor")
timers=$(x86_64-w64-mingw32-objdump -p "$exe" |
    grep -c -E '\b(SetTimer|SetCoalescableTimer|SetWaitableTimer|timeSetEvent|CreateTimerQueueTimer)\b' || true)

# CPU nanoseconds used so far by every thread of a process.
cpu_ns() { awk '{ sum += $1 } END { printf "%.0f\n", sum }' /proc/"$1"/task/*/schedstat; }

# Starts a program, lets it settle once its window shows, then prints the CPU milliseconds it
# uses in the next 2 s and its resident memory in KiB; closes it.
idle() {
    local name=$(basename "$1") pid before after
    (cd "$out/bench" && exec wine "$1" >/dev/null 2>&1) &
    timeout 20 xdotool search --sync --onlyvisible --classname "$name" >/dev/null
    sleep 0.5
    pid=$(pgrep -n -f "$name")
    before=$(cpu_ns "$pid")
    sleep 2
    after=$(cpu_ns "$pid")
    echo "$(awk "BEGIN { printf \"%.1f\", ($after - $before) / 1e6 }")" \
        "$(awk '/^VmRSS/ { print $2 }' /proc/"$pid"/status)"
    wine taskkill /im "$name" >/dev/null 2>&1
    wait
}

start_private_display
start_wine
timings=$(cd "$out/bench" && wine bench.exe "Z:$exe" "Z:$floor" "Z:$out/bench/floor_commands.exe" \
    "Z:$out/stand_in_shutdown.exe" "$pairs" | tr -d '\r')
read -r idle_cpu rss <<<"$(idle "$exe")"
read -r floor_idle_cpu floor_rss <<<"$(idle "$floor")"

verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo MISSED; fi; }
read -r _ launch launch_floor launch_ratio <<<"$(grep '^launch ' <<<"$timings")"
read -r _ confirm confirm_floor confirm_ratio <<<"$(grep '^confirm ' <<<"$timings")"

echo "timed-shutdown benchmark, $(date -u +%Y-%m-%d), $(nproc) cores," \
    "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(wine --version), Xvfb"
echo
echo "| measure | timed-shutdown | floor | ratio | goal | |"
echo "|---|---|---|---|---|---|"
echo "| launch to visible window, median of $pairs pairs | $launch ms | $launch_floor ms |" \
    "$launch_ratio | <= 1.25 | $(verdict "$launch_ratio <= 1.25") |"
echo "| Confirm to exit, median of $pairs pairs | $confirm ms | $confirm_floor ms |" \
    "$confirm_ratio | <= 1.1 | $(verdict "$confirm_ratio <= 1.1") |"
echo "| executable size with its icon | $size B | $floor_size B | | <= 32768 B |" \
    "$(verdict "$size <= 32768") |"
echo "| CPU used in 2 s idle after the window shows | $idle_cpu ms | $floor_idle_cpu ms | | 0 |" \
    "$(verdict "$idle_cpu == 0") |"
echo "| timer calls imported | $timers | | | none | $(verdict "$timers == 0") |"
echo "| resident memory when idle | $rss KiB | $floor_rss KiB |" \
    "$(awk "BEGIN { printf \"%.2f\", $rss / $floor_rss }") | | |"
