// Drives the real program as a user would: its own process in a scratch directory that holds
// the stand-in shutdown tool, real mouse and keyboard input, controls read back across
// processes, and the commands, output and exit status checked when it ends.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

enum : int { kConfirm = 1, kCancel = 2, kTotal = 11, kDays = 12, kHours, kMinutes, kSeconds };
enum : int { kDaysSpinner = 21, kHoursSpinner, kMinutesSpinner, kSecondsSpinner };
constexpr COLORREF kLabelBackground = RGB(255, 255, 255); // a paint context's default
constexpr DWORD kSettleMs = 3000;

using Boxes = std::vector<std::string>; // days, hours, minutes, seconds, total

std::string readFile(const std::string &path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

void sendKey(WORD key, DWORD flags = 0, WCHAR character = 0) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = character;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void press(WORD key) {
    sendKey(key);
    sendKey(key, KEYEVENTF_KEYUP);
}

// One run of the program, ended (killed if need be) when the test lets go of it.
class Program {
  public:
    explicit Program(const char *name) : dir_(std::string("runs\\") + name) {
        CreateDirectoryA("runs", nullptr);
        CreateDirectoryA(dir_.c_str(), nullptr);
        DeleteFileA((dir_ + "\\shutdown.log").c_str());
        CopyFileA(STAND_IN, (dir_ + "\\shutdown.exe").c_str(), FALSE);
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE out = CreateFileA((dir_ + "\\stdout.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                 &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = out;
        char commandLine[] = "timed-shutdown.exe";
        started_ = CreateProcessA(PROGRAM, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                  dir_.c_str(), &startup, &process_);
        CloseHandle(out);
        for (DWORD waited = 0; started_ && window_ == nullptr && waited < 10000; waited += 20) {
            Sleep(20);
            EnumWindows(findWindow, reinterpret_cast<LPARAM>(this));
        }
        // Input sent before the program waits in its loop can be lost on a cold start.
        WaitForInputIdle(process_.hProcess, 5000);
        Sleep(100);
    }
    ~Program() {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    DWORD threadId() const { return process_.dwThreadId; }

    std::string text(HWND control) const {
        char text[256] = {};
        DWORD_PTR length;
        SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, &length);
        return text;
    }
    std::string text(int id) const { return text(control(id)); }
    Boxes boxes() const {
        return {text(kDays), text(kHours), text(kMinutes), text(kSeconds), text(kTotal)};
    }

    // A step ends in a message the program posts to itself: wait until the boxes show what is
    // expected, then make sure they stay so.
    Boxes boxesOnceSettled(const Boxes &expected) const {
        for (DWORD waited = 0; boxes() != expected && waited < kSettleMs; waited += 10)
            Sleep(10);
        Sleep(50);
        return boxes();
    }

    POINT centreOf(int id) const {
        RECT r;
        GetWindowRect(control(id), &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    POINT arrowOf(int spinner, bool up) const {
        RECT r;
        GetWindowRect(control(spinner), &r);
        const int quarter = (r.bottom - r.top) / 4;
        return {(r.left + r.right) / 2, up ? r.top + quarter : r.bottom - quarter};
    }

    void click(POINT at, DWORD holdMs = 0) const {
        moveTo(at);
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &input, sizeof input);
        Sleep(holdMs);
        input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &input, sizeof input);
    }
    // The pointer's warp reaches the display asynchronously; a press must not overtake it.
    static void moveTo(POINT at) {
        SetCursorPos(at.x, at.y);
        Sleep(30);
    }
    void clickArrow(int spinner, bool up, DWORD holdMs = 0) const {
        click(arrowOf(spinner, up), holdMs);
    }

    // Clicks into the box, clears it and types the text key by key.
    void type(int box, const std::string &text) const {
        click(centreOf(box));
        Sleep(50);
        press(VK_END);
        sendKey(VK_SHIFT);
        press(VK_HOME);
        sendKey(VK_SHIFT, KEYEVENTF_KEYUP);
        press(VK_DELETE);
        for (char c : text) {
            sendKey(0, KEYEVENTF_UNICODE, WCHAR(c));
            sendKey(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, WCHAR(c));
        }
    }

    // Alt+F4, as a user closes the window.
    void close() const {
        sendKey(VK_MENU);
        press(VK_F4);
        sendKey(VK_MENU, KEYEVENTF_KEYUP);
    }

    bool running(DWORD forMs = 0) const {
        return WaitForSingleObject(process_.hProcess, forMs) == WAIT_TIMEOUT;
    }
    // The exit status, or -1 if the program is still running after five seconds.
    long exitStatus() const {
        DWORD status = DWORD(-1);
        if (WaitForSingleObject(process_.hProcess, 5000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &status);
        return long(status);
    }
    std::string commands() const { return readFile(dir_ + "\\shutdown.log"); }
    std::string output() const { return readFile(dir_ + "\\stdout.txt"); }

  private:
    static BOOL CALLBACK findWindow(HWND window, LPARAM self) {
        Program &program = *reinterpret_cast<Program *>(self);
        DWORD pid;
        GetWindowThreadProcessId(window, &pid);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (pid != program.process_.dwProcessId || !IsWindowVisible(window) ||
            std::string(className) != "My First Window")
            return TRUE;
        program.window_ = window;
        return FALSE;
    }

    std::string dir_;
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
    HWND window_ = nullptr;
};

// The white box of the label drawn at (x, y) on the window's client area, as [left, right).
std::pair<int, int> labelExtent(HWND window, int x, int y) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    auto white = [&](int at) {
        return GetPixel(screen, origin.x + at, origin.y + y) == kLabelBackground;
    };
    int left = x, right = x;
    while (left > 0 && white(left - 1))
        --left;
    while (right < 300 && white(right))
        ++right;
    ReleaseDC(nullptr, screen);
    return {left, right};
}

// The runtime's standard output is in text mode: puts ends its line with CR LF.
void expectEnd(const Program &program, const std::string &commands, const std::string &output) {
    EXPECT_EQ(program.exitStatus(), 0);
    EXPECT_EQ(program.commands(), commands);
    EXPECT_EQ(program.output(), output);
}

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
