#include "model/crt.h"

#include <stdlib.h>

#ifndef _WIN32
char *_itoa(int value, char *buffer, int radix) {
    const bool negative = radix == 10 && value < 0;
    // Work unsigned so that the most negative value has a magnitude too.
    unsigned magnitude = negative ? 0u - unsigned(value) : unsigned(value);
    char digits[33];
    int count = 0;
    do {
        digits[count++] = "0123456789abcdefghijklmnopqrstuvwxyz"[magnitude % unsigned(radix)];
        magnitude /= unsigned(radix);
    } while (magnitude != 0);
    char *out = buffer;
    if (negative)
        *out++ = '-';
    while (count > 0)
        *out++ = digits[--count];
    *out = '\0';
    return buffer;
}

int _putenv(const char *entry) {
    return putenv(const_cast<char *>(entry)); // kept, not copied: entries are constants
}
#endif
