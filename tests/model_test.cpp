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
constexpr FieldRef kDays{Field::Days, &Time::days, 86400};
constexpr FieldRef kHours{Field::Hours, &Time::hours, 3600};
constexpr FieldRef kMinutes{Field::Minutes, &Time::minutes, 60};
constexpr FieldRef kSeconds{Field::Seconds, &Time::seconds, 1};
constexpr FieldRef kAllFields[] = {kDays, kHours, kMinutes, kSeconds};

int32_t &valueOf(const FieldRef &f) {
    return countdown::time.*f.member;
}

std::vector<std::string> commandsRun;
int recordCommand(const char *line) {
    commandsRun.emplace_back(line);
    return 0;
}

std::string recordShutDownEcho(int32_t delay) {
    second = delay;
    testing::internal::CaptureStdout();
    shutDown();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(TimeToSecond, WeighsEachFieldAndWrapsBeyond32Bits) {
    const struct {
        Time record;
        int total;
    } cases[] = {
        {{0, 0, 0, 0}, 0},           {{1, 0, 0, 0}, 86400},
        {{0, 1, 0, 0}, 3600},        {{0, 0, 1, 0}, 60},
        {{0, 0, 0, 1}, 1},           {{1, 1, 1, 1}, 90061},
        {{99, 23, 59, 59}, 8639999}, {{24856, 0, 0, 0}, int(2147558400u - 4294967296u)},
    };
    for (const auto &c : cases) {
        Time copy = c.record;
        EXPECT_EQ(timeToSecond(copy), c.total) << c.record.days << "d " << c.record.seconds << "s";
    }
    setupTime();
    EXPECT_EQ(timeToSecond(countdown::time), 0);
}

TEST(StepField, MovesByOneAgainstTheSignAndWrapsAtBothEnds) {
    const struct {
        FieldRef f;
        int32_t start, proposed, expected;
    } cases[] = {
        {kDays, 98, -1, 99},   {kDays, 99, -1, 0},         {kHours, 23, -1, 0},
        {kMinutes, 59, -1, 0}, {kSeconds, 59, -1, 0},      {kDays, 0, 1, 99},
        {kHours, 0, 1, 23},    {kMinutes, 0, 1, 59},       {kSeconds, 0, 1, 59},
        {kHours, 5, 1, 4},     {kMinutes, 10, 0, 9},       {kMinutes, 10, -5, 11},
        {kMinutes, 10, 7, 9},  {kDays, 50, INT32_MIN, 51}, {kDays, 50, INT32_MAX, 49},
    };
    for (const auto &c : cases) {
        const Time before{7, 7, 7, 7};
        countdown::time = before;
        valueOf(c.f) = c.start;
        const int startTotal = timeToSecond(countdown::time);
        EXPECT_EQ(stepField(c.f.field, c.proposed), c.expected)
            << "field " << int(c.f.field) << " from " << c.start << " by " << c.proposed;
        EXPECT_EQ(timeToSecond(countdown::time) - startTotal, (c.expected - c.start) * c.f.weight)
            << "only the stepped field changes";
    }
}

TEST(EnterField, StoresTheLimitForAnythingAboveIt) {
    const struct {
        FieldRef f;
        int32_t typed, stored;
        bool overLimit;
    } cases[] = {
        {kDays, 150, 99, true},
        {kDays, 99, 99, false},
        {kHours, 24, 23, true},
        {kMinutes, 60, 59, true},
        {kSeconds, 60, 59, true},
        {kSeconds, 0, 0, false},
        // Box text 4294967295, 2147483648 and 3000000000 arrive negative.
        {kDays, -1, 99, true},
        {kHours, INT32_MIN, 23, true},
        {kMinutes, int32_t(3000000000u - 4294967296u), 59, true},
    };
    for (const auto &c : cases) {
        setupTime();
        EXPECT_EQ(enterField(c.f.field, c.typed), c.overLimit) << "typed " << c.typed;
        EXPECT_EQ(valueOf(c.f), c.stored) << "typed " << c.typed;
    }
}

TEST(Countdown, RandomStepsAndEntriesKeepEveryFieldInRange) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int32_t> anyValue(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int> smallValue(-3, 120);
    setupTime();
    for (int i = 0; i < 100000; ++i) {
        const Field field = kAllFields[random() % 4].field;
        if (random() % 2)
            stepField(field, anyValue(random));
        else
            enterField(field, random() % 2 ? anyValue(random) : smallValue(random));
        const Time &t = countdown::time;
        for (const FieldRef &f : kAllFields)
            ASSERT_TRUE(valueOf(f) >= 0 && valueOf(f) <= fieldLimit(f.field)) << "step " << i;
        ASSERT_EQ(timeToSecond(t), t.days * 86400 + t.hours * 3600 + t.minutes * 60 + t.seconds);
        ASSERT_LE(timeToSecond(t), 8639999);
    }
}

class Commands : public testing::Test {
  protected:
    void SetUp() override { commandsRun.clear(); }
};

TEST_F(Commands, ShutDownCancelsThenSchedulesThenEchoes) {
    for (int32_t delay : {60, 1, 90061, kMaxDelay}) {
        commandsRun.clear();
        const std::string digits = std::to_string(delay);
        EXPECT_EQ(recordShutDownEcho(delay), digits + "\nShutdown -s -t " + digits);
        EXPECT_EQ(commandsRun,
                  (std::vector<std::string>{"shutdown -a", "Shutdown -s -t " + digits}));
    }
}

TEST_F(Commands, EveryShutDownComposesItsLineFromThePrefix) {
    recordShutDownEcho(kMaxDelay);
    recordShutDownEcho(INT32_MIN); // the longest text a delay can have
    recordShutDownEcho(60);
    EXPECT_STREQ(cmd, "Shutdown -s -t 60");
    EXPECT_EQ(commandsRun.back(), "Shutdown -s -t 60");
    EXPECT_EQ(commandsRun[3], "Shutdown -s -t -2147483648");
}

TEST_F(Commands, UnShutDownOnlyCancels) {
    testing::internal::CaptureStdout();
    unShutDown();
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(commandsRun, std::vector<std::string>{"shutdown -a"});
}

#ifdef _WIN32
// Through the real command interpreter: the working directory holds the stand-in shutdown
// tool, which logs what it receives and fails the cancel.
TEST(CommandsThroughTheInterpreter, AFailingCancelStillLetsTheScheduleRun) {
    ASSERT_TRUE(std::ifstream("shutdown.exe").good()) << "run in the directory of the stand-in";
    std::remove("shutdown.log");
    runCommand = system;
    const std::string echo = recordShutDownEcho(60);
    runCommand = recordCommand;
    std::stringstream log;
    log << std::ifstream("shutdown.log").rdbuf();
    EXPECT_EQ(log.str(), "shutdown -a\nShutdown -s -t 60\n");
    EXPECT_EQ(echo, "60\nShutdown -s -t 60");
}
#endif

} // namespace

int main(int argc, char **argv) {
    // No test may reach a real shutdown tool: every command goes to the recorder unless a
    // test deliberately runs the stand-in.
    runCommand = recordCommand;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
