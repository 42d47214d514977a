#!/usr/bin/env bash
# Every test: the model on the host, then the Windows build under Wine in a real window on a
# private X display. Ends with one line "N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh || exit 1

passed=0
failed=0

# Configures, builds and tests one preset, adding its ctest counts to the totals.
run_preset() {
    local preset=$1 log="build/ctest-$1.log"
    echo "== $preset"
    if ! cmake --preset "$preset" >"build/configure-$preset.log" 2>&1 ||
        ! cmake --build --preset "$preset"; then
        cat "build/configure-$preset.log"
        echo "$preset: build failed"
        failed=$((failed + 1))
        return
    fi
    ctest --preset "$preset" "${@:2}" 2>&1 | tee "$log"
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        echo "$preset: ctest gave no summary"
        failed=$((failed + 1))
        return
    fi
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

mkdir -p build
run_preset native
start_private_display
start_wine
run_preset windows

if [ -x build/windows/timed-shutdown.exe ]; then
    screenshot build/screenshot.png && echo "screenshot: build/screenshot.png"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
