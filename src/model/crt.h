// What the platform runtime has and the host's C library lacks.
#pragma once

#ifndef _WIN32
// Writes value in the given radix (2 to 36); negative values get a sign in radix 10 only.
char *_itoa(int value, char *buffer, int radix);
// Sets a variable of the environment from "NAME=value".
int _putenv(const char *entry);
#endif
