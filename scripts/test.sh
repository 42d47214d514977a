#!/usr/bin/env bash
# Every test: the model on the host, the Windows build under Wine with the real-window tests on
# a private X display, and the checks of what ships. Ends with "N passed, N failed"; fails on any.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh || exit 1
start_private_display
start_wine
passed=0 failed=0
check() {
    echo "== $1"
    if (eval "$2"); then passed=$((passed + 1)); else failed=$((failed + 1)) && echo FAILED; fi
}

for preset in native windows; do
    { cmake --preset $preset >/dev/null && cmake --build --preset $preset && ctest --preset $preset; } |
        tee build/$preset.log
    read -r bad all < <(sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+)/\1 \2/p' build/$preset.log)
    passed=$((passed + ${all:-1} - ${bad:-1})) failed=$((failed + ${bad:-1}))
done
exe=build/windows/timed-shutdown.exe
zip=timed-shutdown-$(sed -nE 's/^project\(.* VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)-win64.zip
check "imports only system DLLs" "x86_64-w64-mingw32-objdump -p $exe | sed -n 's/.*DLL Name: //p' |
    tr a-z A-Z | LC_ALL=C sort | xargs | grep -qx 'COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL'"
check "a GUI program whose one resource is the icon ID: one image, 128 x 128, 32 bits" '
    x86_64-w64-mingw32-objdump -p $exe | grep "^Subsystem.*(Windows GUI)" &&
    [ "$(x86_64-w64-mingw32-windres -i $exe -J coff -O rc | sed -nE "s/^\/\* Type: (.*)/\1/p
        s/^\"ID\" 14 .*/ID/p; s/^ +\"(.*)\", ([0-9]+), ([0-9]+), .*Element.*/\1 \2 \3/p" |
        paste -sd,)" = "icon,group icon,ID,\200\200\000\000 1 32" ]'
check "at most 22 KiB" 'size=$(stat -c %s $exe) && echo "$size bytes" && [ $size -le 22528 ]'
check "waits without using the processor (under 20 ms in 2 s)" '
    (cd build && exec wine windows/timed-shutdown.exe >/dev/null 2>&1) &
    pid=$(timeout 20 xdotool search --sync --onlyvisible --classname timed-shutdown.exe getwindowpid)
    cpu() { awk "{ ns += \$1 } END { print ns }" /proc/$pid/task/*/schedstat; }
    sleep 0.5 && before=$(cpu) && sleep 2 && used=$(($(cpu) - before))
    wine taskkill /f /im timed-shutdown.exe >/dev/null 2>&1; wait # through Wine, not a signal
    echo "$((used / 1000)) us" && [ $used -lt 20000000 ]'
check "clang build" "cmake --preset windows-clang >/dev/null && cmake --build --preset windows-clang"
check "a clean build elsewhere is the same" "rm -rf build/again &&
    cmake --preset windows -DBUILD_TESTING=OFF -B build/again >/dev/null &&
    cmake --build build/again && cmp build/again/timed-shutdown.exe $exe"
check "release archive" "rm -f build/windows/*.zip* && cpack --preset windows >/dev/null &&
    cd build/windows && sha256sum -c $zip.sha256 && cmake -E tar tf $zip | grep -v /$ | LC_ALL=C sort |
    xargs | grep -qx 'LICENSE README.md README.zh-CN.md docs/screenshot.png timed-shutdown.exe'"
# Last: the picture is taken in a virtual desktop, and taking it stops Wine.
check "looks as pictured, caption and frame included" "screenshot build/look.png &&
    compare -metric AE build/look.png docs/screenshot.png build/look-diff.png 2>&1
    status=\$?; echo ' pixels differ'; exit \$status"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
