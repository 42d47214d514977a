#include <climits>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/countdown.h"
#include "model/shutdown.h"

namespace {

struct FieldRef {
    Field field;
    int32_t Time::*member;
    int weight;
};
constexpr FieldRef kDays{Field::Days, &Time::days, 86400}, kHours{Field::Hours, &Time::hours, 3600},
    kMinutes{Field::Minutes, &Time::minutes, 60}, kSeconds{Field::Seconds, &Time::seconds, 1};
constexpr FieldRef kFields[] = {kDays, kHours, kMinutes, kSeconds};
int32_t &valueOf(const FieldRef &f) {
    return countdown::time.*f.member;
}

std::vector<std::string> commandsRun;
int recordCommand(const char *line) {
    commandsRun.emplace_back(line);
    return 0;
}

std::string shutDownEcho(int32_t delay) {
    second = delay;
    testing::internal::CaptureStdout();
    shutDown();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(Countdown, ConvertsToSecondsAndWrapsBeyond32Bits) {
    EXPECT_EQ(timeToSecond({1, 1, 1, 1}), 90061);
    EXPECT_EQ(timeToSecond({99, 23, 59, 59}), 8639999);
    EXPECT_EQ(timeToSecond({24856, 0, 0, 0}), int(2147558400u - 4294967296u));
}

TEST(Countdown, StepsByOneAgainstTheSignOnlyAndWrapsAtBothEnds) {
    const struct {
        FieldRef f;
        int32_t start, proposed, expected;
    } cases[] = {
        {kDays, 98, -1, 99},        {kDays, 99, -1, 0},     {kHours, 23, -1, 0},
        {kMinutes, 59, -1, 0},      {kSeconds, 59, -1, 0},  {kDays, 0, 1, 99},
        {kHours, 0, 1, 23},         {kMinutes, 0, 1, 59},   {kSeconds, 0, 1, 59},
        {kMinutes, 10, 0, 9},       {kMinutes, 10, -5, 11}, {kDays, 50, INT32_MIN, 51},
        {kDays, 50, INT32_MAX, 49},
    };
    for (const auto &c : cases) {
        countdown::time = {7, 7, 7, 7};
        valueOf(c.f) = c.start;
        const int before = timeToSecond(countdown::time);
        EXPECT_EQ(stepField(c.f.field, c.proposed), c.expected) << c.start << " by " << c.proposed;
        EXPECT_EQ(timeToSecond(countdown::time) - before, (c.expected - c.start) * c.f.weight)
            << "only the stepped field changes";
    }
}

TEST(Countdown, EntriesAboveTheLimitStoreTheLimit) {
    const struct {
        FieldRef f;
        int32_t typed, stored;
        bool overLimit;
    } cases[] = {
        {kDays, 150, 99, true},
        {kDays, 99, 99, false},
        {kHours, 24, 23, true},
        {kMinutes, 60, 59, true},
        {kSeconds, 0, 0, false},
        // Box text 4294967295, 2147483648 and 3000000000 arrives negative.
        {kDays, -1, 99, true},
        {kHours, INT32_MIN, 23, true},
        {kMinutes, int32_t(3000000000u - 4294967296u), 59, true},
    };
    for (const auto &c : cases) {
        setupTime();
        EXPECT_EQ(enterField(c.f.field, c.typed), c.overLimit) << c.typed;
        EXPECT_EQ(valueOf(c.f), c.stored) << c.typed;
    }
}

TEST(Countdown, RandomStepsAndEntriesKeepEveryFieldInRange) {
    std::mt19937 random(20261206);
    setupTime();
    for (int i = 0; i < 100000; ++i) {
        const Field field = kFields[random() % 4].field;
        const int32_t value = int32_t(random()); // any 32-bit value, or a small one
        if (random() % 2)
            stepField(field, value);
        else
            enterField(field, random() % 2 ? value : value % 128);
        for (const FieldRef &f : kFields)
            ASSERT_TRUE(valueOf(f) >= 0 && valueOf(f) <= fieldLimit(f.field)) << "step " << i;
        const Time &t = countdown::time;
        ASSERT_EQ(timeToSecond(t), t.days * 86400 + t.hours * 3600 + t.minutes * 60 + t.seconds);
        ASSERT_LE(timeToSecond(t), 8639999);
    }
}

TEST(Commands, ShutDownCancelsSchedulesAndEchoesComposingFromThePrefixEachTime) {
    for (int32_t delay : {60, 1, kMaxDelay, INT32_MIN, 90061}) {
        commandsRun.clear();
        const std::string digits = std::to_string(delay);
        EXPECT_EQ(shutDownEcho(delay), digits + "\nShutdown -s -t " + digits);
        EXPECT_EQ(commandsRun,
                  (std::vector<std::string>{"shutdown -a", "Shutdown -s -t " + digits}));
    }
    commandsRun.clear();
    testing::internal::CaptureStdout();
    unShutDown();
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(commandsRun, std::vector<std::string>{"shutdown -a"});
}

#ifdef _WIN32
// Through the real command interpreter: the working directory holds the stand-in shutdown
// tool, which logs what it receives and fails the cancel.
TEST(Commands, AFailingCancelThroughTheInterpreterStillLetsTheScheduleRun) {
    ASSERT_TRUE(std::ifstream("shutdown.exe").good()) << "run in the directory of the stand-in";
    std::remove("shutdown.log");
    runCommand = system;
    const std::string echo = shutDownEcho(60);
    runCommand = recordCommand;
    std::stringstream log;
    log << std::ifstream("shutdown.log").rdbuf();
    EXPECT_EQ(log.str(), "shutdown -a\nShutdown -s -t 60\n");
    EXPECT_EQ(echo, "60\nShutdown -s -t 60");
}
#endif

} // namespace

int main(int argc, char **argv) {
    // No test may reach a real shutdown tool: every command goes to the recorder unless a test
    // deliberately runs the stand-in.
    runCommand = recordCommand;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
