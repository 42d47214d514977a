#!/usr/bin/env bash
# Every test: the model on the host; the Windows build under Wine, in a real window on a
# private X display, as Windows 10 and again as Windows 7; a clang build, two builds compared
# byte for byte, and the release archive. Ends with one line "N passed, N failed" and exits
# non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh || exit 1

passed=0
failed=0

# Runs ctest for a preset and adds its counts to the totals.
run_ctest() {
    local preset=$1 log="build/ctest-$1-$2.log"
    ctest --preset "$preset" "${@:3}" 2>&1 | tee "$log"
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$line" ]; then
        echo "$preset ($2): ctest gave no summary"
        failed=$((failed + 1))
        return
    fi
    local total bad
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

build_preset() {
    echo "== build $1"
    cmake --preset "$1" >"build/configure-$1.log" 2>&1 && cmake --build --preset "$1" && return
    cat "build/configure-$1.log"
    echo "$1: build failed"
    return 1
}

# A step that is not a ctest run counts as one test.
check() {
    local name=$1
    shift
    echo "== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAILED: $name"
        failed=$((failed + 1))
    fi
}

set_wine_version() {
    echo "== Wine reports $1"
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$1" /f >/dev/null 2>&1
}

# Two clean builds of the program, in different folders, must be byte for byte the same.
builds_are_reproducible() {
    local n
    for n in 1 2; do
        rm -rf "build/repro-$n"
        cmake --preset windows -B "build/repro-$n" -DBUILD_TESTING=OFF >/dev/null &&
            cmake --build "build/repro-$n" --target timed-shutdown >/dev/null || return 1
    done
    cmp build/repro-1/timed-shutdown.exe build/repro-2/timed-shutdown.exe &&
        echo "identical: $(sha256sum <build/repro-1/timed-shutdown.exe | cut -c1-16)…"
}

# The program must run on a bare Windows: no MinGW runtime DLLs, only the system's.
imports_only_system_dlls() {
    local dlls
    dlls=$(x86_64-w64-mingw32-objdump -p build/windows/timed-shutdown.exe |
        sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
    echo "imports: $dlls"
    [ "$dlls" = "COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL " ]
}

release_archive_is_complete() {
    local zip=build/windows/timed-shutdown-1.0.0-win64.zip listing
    rm -f "$zip"
    cpack --preset windows >/dev/null || return 1
    listing=$(cmake -E tar tf "$zip") || return 1
    echo "$zip:" $listing
    grep -qx timed-shutdown.exe <<<"$listing" && grep -qx README.md <<<"$listing" &&
        grep -qx LICENSE <<<"$listing"
}

mkdir -p build
if build_preset native; then run_ctest native host; else failed=$((failed + 1)); fi

start_private_display
start_wine
if build_preset windows; then
    set_wine_version win10
    run_ctest windows win10
    # The soak has shown what it can once; the rest of the real-window scenarios run again.
    set_wine_version win7
    run_ctest windows win7 -R '^Window\.' -E ThreeHundredRandomSteps
    set_wine_version win10
    screenshot build/screenshot.png && echo "screenshot: build/screenshot.png"
    check "imports only system DLLs" imports_only_system_dlls
    check "clang build, warnings as errors" build_preset windows-clang
    check "reproducible build" builds_are_reproducible
    check "release archive" release_archive_is_complete
else
    failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
