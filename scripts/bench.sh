#!/usr/bin/env bash
# Benchmarks the program under Wine on a private X display against the least programs that do
# the same visible work, and prints one table: bench.exe's, and what Wine's programs show only
# through /proc. ROUNDS (default 21) sets the number of rounds.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh
cmake --preset windows >build/configure-windows.log 2>&1 || { cat build/configure-windows.log; exit 1; }
cmake --build --preset windows --target timed-shutdown stand_in_shutdown bench floor_window \
    floor_bare floor_commands >build/bench-build.log 2>&1 || { cat build/bench-build.log; exit 1; }

out=$root/build/windows
rounds=${ROUNDS:-21}
timers=$(x86_64-w64-mingw32-objdump -p "$out/timed-shutdown.exe" |
    grep -c -E '\b(SetTimer|SetCoalescableTimer|SetWaitableTimer|timeSetEvent|CreateTimerQueueTimer)\b' || true)
verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo MISSED; fi; }
ms() { awk "BEGIN { printf \"%.1f\", $1 / 1000 }"; }

start_private_display
start_wine
table=$(cd "$out/bench" && "$wine" bench.exe "Z:$out/timed-shutdown.exe" "Z:$out/bench/floor_window.exe" \
    "Z:$out/bench/floor_bare.exe" "Z:$out/bench/floor_commands.exe" "Z:$out/stand_in_shutdown.exe" \
    "$rounds" | tr -d '\r')
# Idle in the folder the benchmark made for them, which holds no shutdown tool.
read -r cpu rss < <(measure_idle timed-shutdown.exe "$out/bench/bench-run")
read -r floor_cpu floor_rss < <(measure_idle bench/floor_window.exe "$out/bench/bench-run")

echo "$table"
echo "| CPU used in 2 s idle after the window shows | $(ms "$cpu") ms | $(ms "$floor_cpu") ms |" \
    "| 0 | $(verdict "$cpu < 50") |"
echo "| timer calls imported | $timers | | | none | $(verdict "$timers == 0") |"
echo "| resident memory when idle | $rss KiB | $floor_rss KiB |" \
    "$(awk "BEGIN { printf \"%.2f\", $rss / $floor_rss }") | | |"
