#!/bin/sh
# Runs a Windows program under the project's own Wine prefix, in Chinese. CMake uses it as the
# emulator of the windows preset, so that ctest runs the test executables; the scripts start
# every Windows program through it.
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
. "$root/scripts/wine-env.sh"
LC_ALL=$wine_locale exec wine "$@"
