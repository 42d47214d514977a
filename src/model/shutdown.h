// The two shutdown requests, handed as command lines to the platform's command interpreter.
#pragma once

#include <cstdint>

// The accepted delays; the caller checks the range before calling shutDown.
constexpr int32_t kMinDelay = 1;
constexpr int32_t kMaxDelay = 315359999;

extern int32_t second;      // the delay to schedule, in seconds
extern char secondList[12]; // its decimal text: any 32-bit value, sign and terminator
extern char cmd[80];        // the scheduling command line

// Runs one command line; system() unless a test puts a recorder in its place.
using CommandRunner = int (*)(const char *commandLine);
extern CommandRunner runCommand;

// Cancels any pending shutdown, schedules one after `second` seconds, and echoes the delay
// and the command line on standard output.
void shutDown();
// Cancels any pending shutdown.
void unShutDown();
