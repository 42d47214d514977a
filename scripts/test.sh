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
is_at_most_22_KiB() { echo "$(stat -c %s $exe) bytes" && [ "$(stat -c %s $exe)" -le 22528 ]; }
waits_without_using_the_processor() {
    local used
    read -r used _ < <(measure_idle timed-shutdown.exe build) && echo "$used us in 2 s" &&
        [ "$used" -lt 20000 ]
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
makes_package_manifests_true_to_the_zip() { # for a placeholder repository
    rm -rf build/manifests && python3 scripts/make-manifests.py "$out/$zip" "$version" \
        example/timed-shutdown build/manifests >/dev/null &&
        python3 tests/manifests_test.py build/manifests "$out/$zip" "$version"
}
# Windows' cmd.exe hands the tool "shutdown  -a", with a blank of its own before the arguments'
# leading one, Wine's the line as typed: the stand-in shutdown tool logs both as one command.
stand_in_logs_a_command_as_its_words_however_spaced() {
    rm -rf build/stand-in && mkdir build/stand-in && cp $out/stand_in_shutdown.exe build/stand-in/shutdown.exe
    for line in 'shutdown  -a' 'shutdown -a'; do (cd build/stand-in && "$wine" cmd /c "$line"); done
    [ "$(uniq build/stand-in/shutdown.log)" = \
        "(current folder searched) (found in the current folder) shutdown -a" ]
}
# Last: the picture is taken in a virtual desktop, and taking it stops Wine.
looks_as_pictured_caption_and_frame_included() {
    screenshot build/look.png && looks_as_pictured build/look.png
}

for preset in native windows; do
    { cmake --preset $preset >/dev/null && cmake --build --preset $preset && ctest --preset $preset; } |
        tee build/$preset.log
    read -r bad all < <(sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+)/\1 \2/p' build/$preset.log)
    skip=$(grep -c '(Skipped)$' build/$preset.log)
    passed=$((passed + ${all:-1} - ${bad:-1} - skip)) failed=$((failed + ${bad:-1}))
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
