// The real window under a long run of random input, without a shutdown tool or interpreter,
// beside a second copy, and with numbers no box can hold.
#include <random>

#include "driver.h"

namespace {
using namespace driver;

constexpr int kLimits[] = {99, 23, 59, 59};
constexpr long long kWeights[] = {86400, 3600, 60, 1};
constexpr int kBoxIds[] = {kDays, kHours, kMinutes, kSeconds};

// What the program reads from a box: its leading digits, or 0 when there are none.
long long readAsProgram(const std::string &text) {
    long long value = 0;
    for (size_t i = 0; i < text.size() && isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// Empty when every box holds a value within its field's range and the total is their sum.
std::string inconsistency(const Boxes &boxes) {
    long long sum = 0;
    for (int i = 0; i < 4; ++i) {
        const long long value = readAsProgram(boxes[i]);
        if (value > kLimits[i])
            return "box " + std::to_string(i) + " shows " + boxes[i];
        sum += value * kWeights[i];
    }
    if (boxes[4] != std::to_string(sum))
        return "the total shows " + boxes[4] + ", the boxes add up to " + std::to_string(sum);
    return "";
}

std::string inconsistencyOnceSettled(const Program &program) {
    for (DWORD waited = 0; !inconsistency(program.boxes()).empty() && waited < kSettleMs;
         waited += 10)
        Sleep(10);
    Sleep(30);
    return inconsistency(program.boxes());
}

TEST(Robustness, RandomClicksHoldsAndTypingKeepEveryBoxInRangeAndTheTotalTheirSum) {
    Program program("soak");
    ASSERT_NE(program.window(), nullptr);
    const unsigned seed = 20261206;
    std::mt19937 random(seed);
    const char *const typed[] = {"", "x", "ab", "0", "007", "05", "7", "23", "59", "75", "99"};
    // The days box starts at "1" before the record has read it; the first step settles that.
    program.clickArrow(kDaysSpinner, true);
    for (int step = 0; step < 300; ++step) {
        std::string did;
        const int field = int(random() % 4);
        if (random() % 10 < 6) {
            const bool up = random() % 2, hold = random() % 7 == 0;
            const DWORD holdMs = hold ? 300 + random() % 400 : 0;
            program.clickArrow(kDaysSpinner + field, up, holdMs);
            did = std::string(up ? "up" : "down") + (hold ? " held" : "") + " on spinner ";
        } else {
            const char *text = typed[random() % (sizeof typed / sizeof *typed)];
            program.type(kBoxIds[field], text);
            did = std::string("typed \"") + text + "\" into box ";
        }
        ASSERT_EQ(inconsistencyOnceSettled(program), "")
            << "seed " << seed << ", step " << step << ": " << did << field;
    }
    ASSERT_TRUE(program.running());
    program.close();
    expectEnd(program, "", "");
}

// Sets an environment variable for the programs started while it lives.
class ScopedVariable {
  public:
    ScopedVariable(const char *name, const char *value) : name_(name) {
        char old[4096];
        const DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
        if (length > 0 && length < sizeof old)
            old_ = old, hadOld_ = true;
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedVariable() { SetEnvironmentVariableA(name_, hadOld_ ? old_.c_str() : nullptr); }

  private:
    const char *name_;
    std::string old_;
    bool hadOld_ = false;
};

TEST(Robustness, ConfirmAndCancelEndCleanlyWithoutAShutdownToolOrAnInterpreter) {
    const struct {
        const char *name, *variable, *value;
        int button;
        const char *output;
    } cases[] = {
        {"no-tool-confirm", "PATH", "C:\\nowhere", kConfirm, "1\r\nShutdown -s -t 1"},
        {"no-tool-cancel", "PATH", "C:\\nowhere", kCancel, ""},
        {"no-interpreter-confirm", "COMSPEC", "C:\\nowhere\\cmd.exe", kConfirm,
         "1\r\nShutdown -s -t 1"},
        {"no-interpreter-cancel", "COMSPEC", "C:\\nowhere\\cmd.exe", kCancel, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedVariable broken(c.variable, c.value);
        Program program(c.name, false);
        ASSERT_NE(program.window(), nullptr);
        program.clickArrow(kSecondsSpinner, true);
        const Boxes oneSecond = {"1", "0", "0", "1", "1"};
        ASSERT_EQ(program.boxesOnceSettled(oneSecond), oneSecond);
        program.click(program.centreOf(c.button));
        expectEnd(program, "", c.output);
    }
}

TEST(Robustness, TwoCopiesAtOnceEachActOnTheirOwn) {
    Program first("twin-first"), second("twin-second");
    ASSERT_NE(first.window(), nullptr);
    ASSERT_NE(second.window(), nullptr);
    // Both open in the middle of the screen; move the first aside so that both can be clicked.
    RECT r;
    GetWindowRect(first.window(), &r);
    SetWindowPos(first.window(), nullptr, r.left - 400, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Sleep(200);

    first.clickArrow(kSecondsSpinner, true);
    second.clickArrow(kMinutesSpinner, true);
    const Boxes oneSecond = {"1", "0", "0", "1", "1"}, oneMinute = {"1", "0", "1", "0", "60"};
    ASSERT_EQ(first.boxesOnceSettled(oneSecond), oneSecond);
    ASSERT_EQ(second.boxesOnceSettled(oneMinute), oneMinute);

    first.click(first.centreOf(kConfirm));
    expectEnd(first, "shutdown -a\nShutdown -s -t 1\n", "1\r\nShutdown -s -t 1");
    EXPECT_TRUE(second.running());
    EXPECT_EQ(second.boxes(), oneMinute);
    second.click(second.centreOf(kCancel));
    expectEnd(second, "shutdown -a\n", "");
}

TEST(Robustness, NumbersNoBoxCanHoldNeverMakeTheTotalWrong) {
    Program program("huge");
    ASSERT_NE(program.window(), nullptr);
    const struct {
        int box;
        const char *text;
        Boxes expected;
    } cases[] = {
        // Read as unsigned 32-bit numbers, these arrive negative: they count as over the limit.
        {kDays, "3000000000", {"99", "0", "0", "0", "8553600"}},
        {kHours, "4294967295", {"99", "23", "0", "0", "8636400"}},
        {kSeconds, "-5", {"99", "23", "0", "59", "8636459"}},
        // Beyond 32 bits the platform reads nothing, which counts as 0.
        {kMinutes, "4294967296", {"99", "23", "4294967296", "59", "8636459"}},
    };
    for (const auto &c : cases) {
        program.setText(c.box, c.text);
        EXPECT_EQ(program.boxesOnceSettled(c.expected), c.expected) << "set " << c.text;
    }
    program.close();
    expectEnd(program, "", "");
}

} // namespace
