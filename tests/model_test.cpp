// The countdown rules and the two shutdown requests, checked through examples.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "model/countdown.h"
#include "model/shutdown.h"

namespace {

// A field takes a spinner step ('s', by the proposed change) or a typed entry ('e', which tells
// whether it stored the limit instead), then holds `stored`; no other field moves. The window's
// sessions step every field through both its ends by one; here, the changes a held arrow may
// propose, and entries at the limits. Box texts from 2147483648 up arrive as negative entries.
TEST(Countdown, ConvertsAndStepsByOneWrappingWhileEntriesStopAtTheLimit) {
    EXPECT_EQ(timeToSecond({1, 1, 1, 1}), 90061);
    EXPECT_EQ(timeToSecond({99, 23, 59, 59}), 8639999);
    constexpr Field D = Field::Days, H = Field::Hours, M = Field::Minutes, S = Field::Seconds;
    const struct {
        Field field;
        char rule;
        int32_t start, input, stored;
    } cases[] = {{M, 's', 10, 0, 9},          {M, 's', 10, -5, 11}, {D, 's', 50, INT32_MIN, 51},
                 {D, 's', 50, INT32_MAX, 49}, {S, 's', 59, -20, 0}, {D, 'e', 0, 99, 99},
                 {H, 'e', 0, 24, 23},         {M, 'e', 0, 60, 59},  {D, 'e', 0, -1, 99}};
    int32_t Time::*const member[] = {&Time::days, &Time::hours, &Time::minutes, &Time::seconds};
    for (const auto &c : cases) {
        Time before = {7, 7, 7, 7}, after = before;
        before.*member[int(c.field)] = c.start;
        after.*member[int(c.field)] = c.stored;
        countdown::time = before;
        if (c.rule == 's')
            EXPECT_EQ(stepField(c.field, c.input), c.stored) << c.start << " by " << c.input;
        else
            EXPECT_EQ(enterField(c.field, c.input), c.input != c.stored) << c.input;
        EXPECT_EQ(memcmp(&countdown::time, &after, sizeof after), 0)
            << c.start << c.rule << c.input;
    }
}

// The commands a request runs (recorded, never run; the cancel fails, as it does when nothing
// is pending), each with its line end, then a bar and what the request printed.
std::string commands;
std::string request(void (*call)()) {
    commands.clear();
    runCommand = [](const char *line) -> int {
        commands += line + std::string("\n");
        return strcmp(line, "shutdown -a") == 0;
    };
    testing::internal::CaptureStdout();
    call();
    fflush(stdout);
    return commands + "|" + testing::internal::GetCapturedStdout();
}

TEST(Commands, CancelThenScheduleAndEchoComposingTheCommandAfreshOnEveryCall) {
    for (int32_t delay : {60, 1, kMaxDelay, INT32_MIN, 90061}) {
        second = delay;
        const std::string digits = std::to_string(delay), command = "Shutdown -s -t " + digits;
        EXPECT_EQ(request(shutDown), "shutdown -a\n" + command + "\n|" + digits + "\n" + command);
    }
    EXPECT_EQ(request(unShutDown), "shutdown -a\n|");
}

} // namespace
