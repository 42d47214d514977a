// Scenarios in the real window: start state, spinners, typing, Confirm and Cancel.
#include "driver.h"

namespace {
using namespace driver;

TEST(Window, StartsCentredWithItsControlsAndClosesWithoutACommand) {
    Program program("start");
    HWND window = program.window();
    ASSERT_NE(window, nullptr);

    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "\xB6\xA8\xCA\xB1\xB9\xD8\xBB\xFA");
    EXPECT_EQ(program.text(kConfirm), "\xC8\xB7\xC8\xCF");
    EXPECT_EQ(program.text(kCancel), "\xC8\xA1\xCF\xFB");
    RECT r;
    GetWindowRect(window, &r);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(r.left, (width - 300) >> 1);
    EXPECT_EQ(r.top, (height - 100) >> 1);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 100);

    EXPECT_EQ(program.boxes(), (Boxes{"1", "0", "0", "0", "0"}));
    EXPECT_FALSE(IsWindowEnabled(program.control(kTotal)));
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(program.threadId(), &thread);
    for (int box : {kDays, kHours, kMinutes, kSeconds})
        EXPECT_NE(thread.hwndFocus, program.control(box)) << "box " << box << " has the focus";

    // Each label is painted on its own white box, centred on its x.
    const struct {
        int x, y;
    } labels[] = {{25, 12}, {100, 12}, {160, 12}, {220, 12}, {280, 12}, {50, 50}};
    for (const auto &label : labels) {
        const auto [left, right] = labelExtent(window, label.x, label.y);
        EXPECT_GT(right - left, 4) << "no label at x " << label.x;
        EXPECT_NEAR((left + right) / 2.0, label.x, 1.0) << "label at x " << label.x;
    }

    program.close();
    expectEnd(program, "", "");
}

TEST(Window, SpinnersStepFromTheRecordWrapAndConfirmSchedulesTheTotal) {
    Program program("spinners");
    ASSERT_NE(program.window(), nullptr);
    const struct {
        int spinner;
        bool up;
        Boxes expected;
    } steps[] = {
        // The step starts from the record (0 days), not from the box's "1".
        {kDaysSpinner, false, {"99", "0", "0", "0", "8553600"}},
        {kDaysSpinner, true, {"0", "0", "0", "0", "0"}},
        {kDaysSpinner, true, {"1", "0", "0", "0", "86400"}},
        {kHoursSpinner, false, {"1", "23", "0", "0", "169200"}},
        {kHoursSpinner, true, {"1", "0", "0", "0", "86400"}},
        {kHoursSpinner, true, {"1", "1", "0", "0", "90000"}},
        {kMinutesSpinner, false, {"1", "1", "59", "0", "93540"}},
        {kMinutesSpinner, true, {"1", "1", "0", "0", "90000"}},
        {kMinutesSpinner, true, {"1", "1", "1", "0", "90060"}},
        {kSecondsSpinner, false, {"1", "1", "1", "59", "90119"}},
        {kSecondsSpinner, true, {"1", "1", "1", "0", "90060"}},
        {kSecondsSpinner, true, {"1", "1", "1", "1", "90061"}},
    };
    for (const auto &step : steps) {
        program.clickArrow(step.spinner, step.up);
        ASSERT_EQ(program.boxesOnceSettled(step.expected), step.expected)
            << "spinner " << step.spinner << (step.up ? " up" : " down");
    }
    program.click(program.centreOf(kConfirm));
    expectEnd(program, "shutdown -a\nShutdown -s -t 90061\n", "90061\r\nShutdown -s -t 90061");
}

TEST(Window, TypedEntriesAreLimitedAndTextWithoutDigitsCountsAsZero) {
    Program program("typing");
    ASSERT_NE(program.window(), nullptr);
    const struct {
        int box;
        const char *typed;
        Boxes expected;
    } entries[] = {
        // The days box still shows its initial "1", which the record has never seen.
        {kMinutes, "75", {"1", "0", "59", "0", "3540"}},
        {kHours, "50", {"1", "23", "59", "0", "86340"}},
        {kDays, "", {"", "23", "59", "0", "86340"}},
        {kHours, "ab", {"", "ab", "59", "0", "3540"}},
        {kSeconds, "07", {"", "ab", "59", "07", "3547"}},
        {kDays, "99", {"99", "ab", "59", "07", "8557147"}},
    };
    for (const auto &entry : entries) {
        program.type(entry.box, entry.typed);
        ASSERT_EQ(program.boxesOnceSettled(entry.expected), entry.expected)
            << "typed \"" << entry.typed << "\" into box " << entry.box;
    }
    program.click(program.centreOf(kCancel));
    expectEnd(program, "shutdown -a\n", "");
}

TEST(Window, ConfirmIgnoresAZeroTotalAndAcceptsEveryFieldAtItsLimit) {
    Program program("limits");
    ASSERT_NE(program.window(), nullptr);
    program.click(program.centreOf(kConfirm));
    EXPECT_TRUE(program.running(500)) << "Confirm with a total of 0 ended the program";
    EXPECT_EQ(program.commands(), "");

    for (int spinner : {kDaysSpinner, kHoursSpinner, kMinutesSpinner, kSecondsSpinner})
        program.clickArrow(spinner, false);
    const Boxes limits = {"99", "23", "59", "59", "8639999"};
    ASSERT_EQ(program.boxesOnceSettled(limits), limits);
    program.click(program.centreOf(kConfirm));
    expectEnd(program, "shutdown -a\nShutdown -s -t 8639999\n",
              "8639999\r\nShutdown -s -t 8639999");
}

TEST(Window, AHeldArrowMovesOneStepPerRepeatAndWraps) {
    Program program("held");
    ASSERT_NE(program.window(), nullptr);
    // Hours start at 0, so the first repeat of the down arrow wraps to 23. Between two steps
    // the box may briefly show the spinner's own change, one on the other side.
    program.moveTo(program.arrowOf(kHoursSpinner, false));
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &input, sizeof input);
    // Sampling goes on after the release, since a repeat may still be on its way.
    int hours = 0, steps = 0;
    bool held = true;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 1600;) {
        if (held && GetTickCount() - start >= 1200) {
            input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
            SendInput(1, &input, sizeof input);
            held = false;
        }
        const int shown = atoi(program.text(kHours).c_str());
        if (shown == (hours + 23) % 24) {
            hours = shown;
            ++steps;
        } else {
            ASSERT_TRUE(shown == hours || shown == (hours + 1) % 24)
                << "the box jumped from " << hours << " to " << shown;
        }
    }
    EXPECT_GE(steps, 4) << "the arrow did not repeat";
    const std::string h = std::to_string(hours);
    const Boxes released = {"1", h, "0", "0", std::to_string(hours * 3600)};
    EXPECT_EQ(program.boxesOnceSettled(released), released);
    program.close();
    expectEnd(program, "", "");
}

} // namespace
