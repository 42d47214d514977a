#!/bin/sh
# Runs a Windows program under the project's private Wine prefix. CMake uses it as the
# emulator of the windows preset, so that ctest runs the test executables.
. "$(dirname "$0")/wine-env.sh"
exec wine "$@"
