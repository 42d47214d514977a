#!/usr/bin/env bash
# Every test: the model on the host, the Windows build under Wine with the real-window tests on a
# private X display, and the checks of what ships, one function each; fails on any failure.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
. scripts/lib.sh
scripts/setup.sh || exit 1
passed=0 failed=0 skipped=0
start_private_display || failed=1 # a setup step that fails counts as a failed check
start_wine || failed=$((failed + 1))
export TIMED_SHUTDOWN_WINDOW_TESTS=1 # the private display is theirs to drive
out=build/windows exe=build/windows/timed-shutdown.exe
version=$(sed -nE 's/^project\(.* VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
zip=timed-shutdown-$version-win64.zip
objdump() { x86_64-w64-mingw32-objdump -p $exe; }

scripts_pass_shellcheck() { shellcheck scripts/*.sh .ci/run; }
imports_only_system_DLLs() {
    [ "$(objdump | sed -n 's/^\tDLL Name: //p' | tr '[:lower:]' '[:upper:]' | sort | xargs)" = \
        "COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL" ]
}
# ASLR (with the relocations it needs), anywhere in 64 bits, and DEP. Each grep reads all that
# objdump prints: grep -q may stop early, and the broken pipe then fails the check at random.
is_hardened() {
    local flags
    flags=$(objdump | sed -n 's/^DllCharacteristics[[:space:]]*//p') && echo "flags $flags" &&
        [ $((0x$flags & 0x160)) -eq $((0x160)) ] &&
        ! objdump | grep 'relocations stripped' >/dev/null
}
# No manifest, no version record: the icon group ID with one image, 128 x 128 in 32 bits.
is_a_GUI_program_whose_one_resource_is_the_icon_ID() {
    objdump | grep '^Subsystem.*(Windows GUI)' >/dev/null &&
        wrestool -x -t 14 -o build/icon.ico $exe &&
        [ "$(wrestool -l $exe | sed 's/ --language.*//' | xargs)" = \
            "--type=3 --name=1 --type=14 --name=ID" ] && [ "$(icotool -l build/icon.ico)" = \
            "--icon --index=1 --width=128 --height=128 --bit-depth=32 --palette-size=0" ]
}
# A white power symbol (a broken circle, open at the top, a bar through its gap) on a black disc
# edged by a white ring, transparent outside: points read 0 transparent, 1 black, 2 white.
its_icon_is_a_white_power_symbol_on_a_black_disc() {
    [ "$(for p in 0,0 127,0 0,127 127,127 64,3 2,64 64,110 94,64 64,94 34,64 74,36 54,36 64,40 64,80; do
        convert build/icon.ico -format "%[fx:p{$p}.a<0.5?0:p{$p}.r>0.5?2:1]" info:; done)" = 00002212221121 ]
}
is_at_most_22_KiB() { echo "$(stat -c %s $exe) bytes" && [ "$(stat -c %s $exe)" -le 22528 ]; }
waits_without_using_the_processor() {
    local used
    read -r used _ < <(measure_idle timed-shutdown.exe build) && echo "$used us in 2 s" &&
        [ "$used" -lt 20000 ]
}
# Wine can make no window with no display: the program ends at once, with status 0.
ends_with_status_0_when_its_window_cannot_be_made() {
    mkdir -p build/no-window && (cd build/no-window && env -u DISPLAY timeout 20 "$wine" ../../$exe)
}
builds_with_clang() { cmake --preset windows-clang >/dev/null && cmake --build --preset windows-clang; }
builds_the_same_elsewhere() {
    rm -rf build/again && cmake --preset windows -DBUILD_TESTING=OFF -B build/again >/dev/null &&
        cmake --build build/again && cmp build/again/timed-shutdown.exe $exe
}
packs_the_release_archive() {
    rm -f $out/*.zip* && cpack --preset windows >/dev/null && (cd $out && sha256sum -c "$zip.sha256") &&
        [ "$(cmake -E tar tf "$out/$zip" | grep -v /$ | sort | xargs)" = \
            "LICENSE README.md README.zh-CN.md docs/screenshot.png timed-shutdown.exe" ]
}
makes_package_manifests_true_to_the_zip() { python3 tests/manifests_test.py "$out/$zip" "$version"; }
# Last: the picture is taken in a virtual desktop, and taking it stops Wine.
looks_as_pictured_caption_and_frame_included() {
    screenshot build/look.png && looks_as_pictured build/look.png
}

for preset in native windows; do
    { cmake --preset $preset >/dev/null && cmake --build --preset $preset && ctest --preset $preset; } |
        tee build/$preset.log
    status=${PIPESTATUS[0]}
    read -r bad all < <(sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+)/\1 \2/p' build/$preset.log)
    # No count (a failed build, no tests), or ctest failing with none failed (a test program
    # missing or dying): one failure more.
    [ -n "${all:-}" ] || bad=0 all=0 status=1
    [ "$status" -eq 0 ] || [ "$bad" -gt 0 ] || bad=1 all=$((all + 1))
    skip=$(grep -c '(Skipped)$' build/$preset.log)
    passed=$((passed + all - bad - skip)) failed=$((failed + bad))
    skipped=$((skipped + skip))
done
sed -n '/: Skipped$/{n;s/^/skipped: /p}' build/*/Testing/Temporary/LastTest.log # each one's reason
mapfile -t checks < <(sed -nE 's/^([a-z][a-zA-Z0-9_]+)\(\) \{.*/\1/p' "$0" | grep -vx objdump)
for check in "${checks[@]}"; do # each function above, in its order
    echo "== ${check//_/ }"
    if $check 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo FAILED; fi
done
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
