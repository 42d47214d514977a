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

constexpr Field kAllFields[] = {Field::Days, Field::Hours, Field::Minutes, Field::Seconds};

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
        {{0, 0, 0, 0}, 0},          {{1, 0, 0, 0}, 86400},
        {{0, 1, 0, 0}, 3600},       {{0, 0, 1, 0}, 60},
        {{0, 0, 0, 1}, 1},          {{1, 1, 1, 1}, 90061},
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
        Field field;
        int32_t start, proposed, expected;
    } cases[] = {
        {Field::Days, 98, -1, 99},    {Field::Days, 99, -1, 0},    {Field::Hours, 23, -1, 0},
        {Field::Minutes, 59, -1, 0},  {Field::Seconds, 59, -1, 0}, {Field::Days, 0, 1, 99},
        {Field::Hours, 0, 1, 23},     {Field::Minutes, 0, 1, 59},  {Field::Seconds, 0, 1, 59},
        {Field::Hours, 5, 1, 4},      {Field::Minutes, 10, 0, 9},  {Field::Minutes, 10, -5, 11},
        {Field::Minutes, 10, 7, 9},   {Field::Days, 50, INT32_MIN, 51},
        {Field::Days, 50, INT32_MAX, 49},
    };
    for (const auto &c : cases) {
        countdown::time = Time{7, 7, 7, 7};
        int32_t &slot = c.field == Field::Days    ? countdown::time.days
                        : c.field == Field::Hours ? countdown::time.hours
                        : c.field == Field::Minutes ? countdown::time.minutes
                                                    : countdown::time.seconds;
        slot = c.start;
        EXPECT_EQ(stepField(c.field, c.proposed), c.expected)
            << "field " << int(c.field) << " from " << c.start << " by " << c.proposed;
        EXPECT_EQ(slot, c.expected);
        EXPECT_EQ(timeToSecond(countdown::time) - timeToSecond(Time{7, 7, 7, 7}),
                  (c.expected - 7) * (c.field == Field::Days      ? 86400
                                      : c.field == Field::Hours   ? 3600
                                      : c.field == Field::Minutes ? 60
                                                                  : 1))
            << "only the stepped field changes";
    }
}

TEST(EnterField, StoresTheLimitForAnythingAboveIt) {
    const struct {
        Field field;
        int32_t typed, stored;
        bool overLimit;
    } cases[] = {
        {Field::Days, 150, 99, true},   {Field::Days, 99, 99, false},
        {Field::Hours, 24, 23, true},   {Field::Minutes, 60, 59, true},
        {Field::Seconds, 60, 59, true}, {Field::Seconds, 0, 0, false},
        // Box text 4294967295, 2147483648 and 3000000000 arrive negative.
        {Field::Days, -1, 99, true},    {Field::Hours, INT32_MIN, 23, true},
        {Field::Minutes, int32_t(3000000000u - 4294967296u), 59, true},
    };
    for (const auto &c : cases) {
        setupTime();
        EXPECT_EQ(enterField(c.field, c.typed), c.overLimit) << "typed " << c.typed;
        EXPECT_EQ(fieldValue(c.field), c.stored) << "typed " << c.typed;
    }
}

TEST(Countdown, RandomStepsAndEntriesKeepEveryFieldInRange) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int32_t> anyValue(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int> smallValue(-3, 120);
    setupTime();
    for (int i = 0; i < 100000; ++i) {
        const Field field = kAllFields[random() % 4];
        if (random() % 2)
            stepField(field, anyValue(random));
        else
            enterField(field, random() % 2 ? anyValue(random) : smallValue(random));
        const Time &t = countdown::time;
        for (Field f : kAllFields)
            ASSERT_TRUE(fieldValue(f) >= 0 && fieldValue(f) <= fieldLimit(f)) << "step " << i;
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
