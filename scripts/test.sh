#!/usr/bin/env bash
# Every test: the model on the host, the Windows build under Wine with the real-window tests on
# a private X display, and the build checks. Ends with "N passed, N failed"; fails on any.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh || exit 1
start_private_display
start_wine
passed=0 failed=0
check() {
    echo "== $1"
    if bash -c "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo FAILED; fi
}

for preset in native windows; do
    { cmake --preset $preset >/dev/null && cmake --build --preset $preset && ctest --preset $preset; } |
        tee build/$preset.log
    read -r bad all < <(sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+)/\1 \2/p' build/$preset.log)
    passed=$((passed + ${all:-1} - ${bad:-1})) failed=$((failed + ${bad:-1}))
done
exe=build/windows/timed-shutdown.exe
check "imports only system DLLs" "x86_64-w64-mingw32-objdump -p $exe | sed -n 's/.*DLL Name: //p' |
    tr a-z A-Z | LC_ALL=C sort | xargs | grep -qx 'COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL'"
check "clang build" "cmake --preset windows-clang >/dev/null && cmake --build --preset windows-clang"
check "a clean build elsewhere is the same" "rm -rf build/again &&
    cmake --preset windows -DBUILD_TESTING=OFF -B build/again >/dev/null &&
    cmake --build build/again && cmp build/again/timed-shutdown.exe $exe"
check "release archive" "cpack --preset windows >/dev/null && cd build/windows && sha256sum -c *.sha256 &&
    cmake -E tar tf *.zip | grep -v /$ | LC_ALL=C sort | xargs |
    grep -qx 'LICENSE README.md README.zh-CN.md docs/screenshot.png timed-shutdown.exe'"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
