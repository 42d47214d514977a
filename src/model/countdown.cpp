#include "model/countdown.h"

namespace countdown {
Time time;
}

namespace {

struct FieldInfo {
    int32_t Time::*member;
    int32_t limit;
};

constexpr FieldInfo kFields[] = {
    {&Time::days, 99},
    {&Time::hours, 23},
    {&Time::minutes, 59},
    {&Time::seconds, 59},
};

const FieldInfo &info(Field field) {
    return kFields[static_cast<int>(field)];
}
int32_t &slot(Field field) {
    return countdown::time.*info(field).member;
}

} // namespace

int32_t fieldLimit(Field field) {
    return info(field).limit;
}

void setupTime() {
    countdown::time = Time{0, 0, 0, 0};
}

int timeToSecond(const Time &record) {
    // Unsigned arithmetic wraps instead of overflowing.
    uint32_t total = uint32_t(record.days) * 86400u + uint32_t(record.hours) * 3600u +
                     uint32_t(record.minutes) * 60u + uint32_t(record.seconds);
    return static_cast<int32_t>(total);
}

int stepField(Field field, int32_t proposedChange) {
    int32_t &value = slot(field);
    const int32_t limit = fieldLimit(field);
    const int64_t candidate = int64_t(value) + (proposedChange < 0 ? 1 : -1);
    if (candidate < 0)
        value = limit;
    else if (candidate > limit)
        value = 0;
    else
        value = static_cast<int32_t>(candidate);
    return value;
}

bool enterField(Field field, int32_t value) {
    int32_t &stored = slot(field);
    const int32_t limit = fieldLimit(field);
    // A box is read as an unsigned number and kept as 32 bits: a negative value was text from
    // 2147483648 to 4294967295 (and under Wine also a minus sign, which Windows reads as 0), never
    // a small number. It is not a valid entry, and the limit keeps the total right.
    if (value < 0 || value > limit) {
        stored = limit;
        return true;
    }
    stored = value;
    return false;
}
