// The real program in a real window, driven with real input.
#include <random>
#include <vector>

#include "driver.h"

namespace {

TEST(Window, StartsCentredWithItsControlsAndEndsWithoutACommandWhenClosed) {
    Program p("start");
    ASSERT_NE(p.window(), nullptr);
    char title[16] = {};
    GetWindowTextA(p.window(), title, sizeof title);
    EXPECT_STREQ(title, "\xB6\xA8\xCA\xB1\xB9\xD8\xBB\xFA");
    EXPECT_EQ(p.text(kConfirm) + p.text(kCancel), "\xC8\xB7\xC8\xCF\xC8\xA1\xCF\xFB");
    RECT r;
    GetWindowRect(p.window(), &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 300) >> 1);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 100) >> 1);
    EXPECT_EQ(r.right - r.left + 1000 * (r.bottom - r.top), 300 + 1000 * 100) << "300 x 100";
    EXPECT_EQ(p.boxes(), "1|0|0|0|0");
    EXPECT_FALSE(IsWindowEnabled(p.control(kTotal)));
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(p.window(), nullptr), &thread);
    for (int box : {kDays, kHours, kMinutes, kSeconds})
        EXPECT_NE(thread.hwndFocus, p.control(box)) << "a box has the focus";

    // Each label is painted on a white box of its own, centred on its x.
    HDC screen = GetDC(nullptr);
    POINT origin = {0, 0};
    ClientToScreen(p.window(), &origin);
    for (POINT label : {POINT{25, 12}, {100, 12}, {160, 12}, {220, 12}, {280, 12}, {50, 50}}) {
        auto white = [&](int x) {
            return GetPixel(screen, origin.x + x, origin.y + label.y) == RGB(255, 255, 255);
        };
        int left = label.x, right = label.x;
        while (white(left - 1))
            --left;
        while (white(right))
            ++right;
        EXPECT_GT(right - left, 4) << "no label at x " << label.x;
        EXPECT_NEAR((left + right) / 2.0, label.x, 1.0) << "label at x " << label.x;
    }
    ReleaseDC(nullptr, screen);
    p.close();
    p.expectEnd("", "");
}

// One use of the program: steps, each an arrow (+ or -), typing (t) or text set from outside
// (s), with the boxes after it; then a button (0: the window is closed) and how it ended.
struct Step {
    int box;
    char how;
    const char *text;
    const char *boxes;
};
struct Session {
    const char *name;
    std::vector<Step> steps;
    int button;
    const char *commands, *output;
    const char *variable = nullptr, *value = nullptr; // set for the program, without stand-in
};

const char *const kOneSecond = "1|0|0|1|1";
const char *const kEchoOneSecond = "1\r\nShutdown -s -t 1";
const Session kSessions[] = {
    // The first step starts from the record's 0 days, not from the box's "1".
    {"arrows",
     {{kDays, '-', "", "99|0|0|0|8553600"},
      {kDays, '+', "", "0|0|0|0|0"},
      {kDays, '+', "", "1|0|0|0|86400"},
      {kHours, '+', "", "1|1|0|0|90000"},
      {kMinutes, '+', "", "1|1|1|0|90060"},
      {kSeconds, '+', "", "1|1|1|1|90061"}},
     kConfirm,
     "shutdown -a\nShutdown -s -t 90061\n",
     "90061\r\nShutdown -s -t 90061"},
    {"limits",
     {{kDays, '-', "", "99|0|0|0|8553600"},
      {kHours, '-', "", "99|23|0|0|8636400"},
      {kMinutes, '-', "", "99|23|59|0|8639940"},
      {kSeconds, '-', "", "99|23|59|59|8639999"}},
     kConfirm,
     "shutdown -a\nShutdown -s -t 8639999\n",
     "8639999\r\nShutdown -s -t 8639999"},
    {"typing",
     {{kMinutes, 't', "75", "1|0|59|0|3540"},
      {kHours, 't', "50", "1|23|59|0|86340"},
      {kDays, 't', "", "|23|59|0|86340"},
      {kHours, 't', "ab", "|ab|59|0|3540"},
      {kSeconds, 't', "07", "|ab|59|07|3547"},
      {kDays, 't', "99", "99|ab|59|07|8557147"}},
     kCancel,
     "shutdown -a\n",
     ""},
    // Read as unsigned 32-bit numbers and kept as 32 bits, the first three arrive negative;
    // beyond 32 bits the platform reads nothing, which counts as 0.
    {"huge",
     {{kDays, 's', "3000000000", "99|0|0|0|8553600"},
      {kHours, 's', "4294967295", "99|23|0|0|8636400"},
      {kSeconds, 's', "-5", "99|23|0|59|8636459"},
      {kMinutes, 's', "4294967296", "99|23|4294967296|59|8636459"}},
     0,
     "",
     ""},
    {"no-tool", {{kSeconds, '+', "", kOneSecond}}, kConfirm, "", kEchoOneSecond, "PATH", "C:\\no"},
    {"no-tool-cancel", {{kSeconds, '+', "", kOneSecond}}, kCancel, "", "", "PATH", "C:\\no"},
    {"no-interpreter",
     {{kSeconds, '+', "", kOneSecond}},
     kConfirm,
     "",
     kEchoOneSecond,
     "COMSPEC",
     "C:\\no\\cmd.exe"},
    {"no-interpreter-cancel",
     {{kSeconds, '+', "", kOneSecond}},
     kCancel,
     "",
     "",
     "COMSPEC",
     "C:\\no\\cmd.exe"},
};

TEST(Window, SessionsOfArrowsTypingAndButtons) {
    for (const Session &s : kSessions) {
        SCOPED_TRACE(s.name);
        char saved[4096];
        const DWORD had = s.variable ? GetEnvironmentVariableA(s.variable, saved, sizeof saved) : 0;
        if (s.variable)
            SetEnvironmentVariableA(s.variable, s.value);
        Program p(s.name, s.variable == nullptr); // the program takes a copy of the environment
        if (s.variable)
            SetEnvironmentVariableA(s.variable, had ? saved : nullptr);
        ASSERT_NE(p.window(), nullptr);
        p.click(p.at(kConfirm));
        EXPECT_TRUE(p.running(300)) << "Confirm with a total of 0 ended the program";
        for (const Step &step : s.steps) {
            if (step.how == 't')
                p.type(step.box, step.text);
            else if (step.how == 's')
                p.setText(step.box, step.text);
            else
                p.arrow(step.box, step.how == '+');
            ASSERT_EQ(p.settleAt(step.boxes), step.boxes) << step.how << step.text;
        }
        if (s.button)
            p.click(p.at(s.button));
        else
            p.close();
        p.expectEnd(s.commands, s.output);
    }
}

TEST(Window, AHeldArrowMovesOneStepPerRepeatAndWraps) {
    Program p("held");
    ASSERT_NE(p.window(), nullptr);
    // Hours start at 0, so the first repeat of the down arrow wraps to 23. Between two steps
    // the box may briefly show the spinner's own change, one on the other side. Sampling goes
    // on after the release, since a repeat may still be on its way.
    Program::pointAt(p.at(kHours + kSpinnerOf, 0.75));
    send(INPUT_MOUSE, MOUSEEVENTF_LEFTDOWN);
    int hours = 0, steps = 0;
    for (DWORD start = GetTickCount(), held = 1; GetTickCount() - start < 1600;) {
        if (held && GetTickCount() - start >= 1200)
            send(INPUT_MOUSE, MOUSEEVENTF_LEFTUP), held = 0;
        const int shown = atoi(p.text(kHours).c_str());
        if (shown == (hours + 23) % 24)
            hours = shown, ++steps;
        else
            ASSERT_TRUE(shown == hours || shown == (hours + 1) % 24)
                << "the box jumped from " << hours << " to " << shown;
    }
    EXPECT_GE(steps, 4) << "the arrow did not repeat";
    const std::string released =
        "1|" + std::to_string(hours) + "|0|0|" + std::to_string(hours * 3600);
    EXPECT_EQ(p.settleAt(released), released);
    p.close();
    p.expectEnd("", "");
}

// Empty when every box holds a value within its field's range, read as the program reads it
// (leading digits, else 0), and the total is their sum.
std::string inconsistency(const std::string &boxes) {
    const long long limits[] = {99, 23, 59, 59}, weights[] = {86400, 3600, 60, 1};
    std::istringstream parts(boxes);
    std::string part;
    long long sum = 0;
    for (int i = 0; i < 4 && std::getline(parts, part, '|'); ++i) {
        const long long value = isdigit(part[0] & 0xFF) ? atoll(part.c_str()) : 0;
        if (value > limits[i])
            return "a box is beyond its limit";
        sum += value * weights[i];
    }
    return std::getline(parts, part) && part == std::to_string(sum) ? "" : "the total is wrong";
}

TEST(Window, ThreeHundredRandomStepsKeepEveryBoxInRangeAndTheTotalTheirSum) {
    Program p("soak");
    ASSERT_NE(p.window(), nullptr);
    std::mt19937 random(20261206);
    const char *const typed[] = {"", "x", "ab", "0", "007", "05", "7", "23", "59", "75", "99"};
    p.arrow(kDays, true); // the days box shows "1" before the record has read it
    for (int step = 0; step < 300; ++step) {
        const int box = kDays + int(random() % 4);
        if (random() % 10 < 6)
            p.arrow(box, random() % 2, random() % 7 ? 0 : 300 + random() % 400);
        else
            p.type(box, typed[random() % (sizeof typed / sizeof *typed)]);
        const std::string shown =
            p.settle([](const std::string &b) { return inconsistency(b) == ""; });
        ASSERT_EQ(inconsistency(shown), "")
            << "step " << step << " on box " << box << ": " << shown;
    }
    p.close();
    p.expectEnd("", "");
}

TEST(Window, TwoCopiesAtOnceEachActOnTheirOwn) {
    Program first("twin-first"), second("twin-second");
    ASSERT_TRUE(first.window() && second.window());
    // Both open in the middle of the screen: move the first aside so that both can be clicked.
    RECT r;
    GetWindowRect(first.window(), &r);
    SetWindowPos(first.window(), nullptr, r.left - 400, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Sleep(200);
    first.arrow(kSeconds, true);
    second.arrow(kMinutes, true);
    ASSERT_EQ(first.settleAt(kOneSecond), kOneSecond);
    ASSERT_EQ(second.settleAt("1|0|1|0|60"), "1|0|1|0|60");
    first.click(first.at(kConfirm));
    first.expectEnd("shutdown -a\nShutdown -s -t 1\n", kEchoOneSecond);
    EXPECT_EQ(second.boxes(), "1|0|1|0|60");
    second.click(second.at(kCancel));
    second.expectEnd("shutdown -a\n", "");
}

} // namespace
