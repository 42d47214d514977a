// The countdown record: four fields set one at a time by spinner steps and typed entries.
// Portable: knows nothing of the window system.
#pragma once

#include <cstdint>

struct Time {
    int32_t days;
    int32_t hours;
    int32_t minutes;
    int32_t seconds;
};

// The record has a scope of its own so that it never meets the C library's clock function.
namespace countdown {
extern Time time;
}

enum class Field { Days, Hours, Minutes, Seconds };

// The largest value a field may hold: 99, 23, 59, 59.
int32_t fieldLimit(Field field);

void setupTime();
// Weighted sum in seconds, wrapping like 32-bit two's-complement arithmetic.
int timeToSecond(const Time &record);
// A spinner step: moves the field by exactly one, wrapping at both ends. Only the sign of
// the proposed change counts; a negative one steps up, zero or positive steps down.
int stepField(Field field, int32_t proposedChange);
// A typed entry: stores the value, or the limit when the value lies beyond it. Returns true
// when the limit was stored instead, so that the caller can show it.
bool enterField(Field field, int32_t value);
