// <stdio.h> comes first and alone: once a C++ header is seen, MinGW swaps in its own
// printf (about 20 KiB), and the echo is meant to use the platform runtime's.
#define __USE_MINGW_ANSI_STDIO 0
#include <stdio.h>

#include <stdlib.h>
#include <string.h>

#include "model/crt.h"
#include "model/shutdown.h"

namespace {
const char kCancel[] = "shutdown -a";
const char kSchedulePrefix[] = "Shutdown -s -t ";
// cmd.exe looks for a bare command name in the current folder before PATH unless this variable
// exists: a program started from a Downloads folder would otherwise run any shutdown.exe, .bat
// or .cmd that landed there. The commands inherit it; the runtime's copy of the environment and
// the process's both get it.
const char kSearchPathOnly[] = "NoDefaultCurrentDirectoryInExePath=1";

void run(const char *commandLine) {
    _putenv(kSearchPathOnly);
    runCommand(commandLine);
}
} // namespace

int32_t second = 0;
char secondList[12];
char cmd[80] = "Shutdown -s -t ";

static_assert(sizeof kSchedulePrefix + sizeof secondList - 1 <= sizeof cmd,
              "the prefix and any delay text fit the command line");

CommandRunner runCommand = system;

void shutDown() {
    _itoa(second, secondList, 10);
    // Compose from the prefix on every call, so a second call never appends a second number.
    memcpy(cmd, kSchedulePrefix, sizeof kSchedulePrefix);
    strcat(cmd, secondList);
    // A failing cancel (nothing pending) must not stop the schedule: results are not examined.
    run(kCancel);
    run(cmd);
    puts(secondList);
    printf("%s", cmd);
}

void unShutDown() {
    run(kCancel);
}
