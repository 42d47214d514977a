// Drives the real program as a user would: its own process in a scratch directory that holds
// the stand-in shutdown tool, real mouse and keyboard input, controls read back across
// processes, and the commands, output and exit status checked when it ends.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace driver {

enum : int { kConfirm = 1, kCancel = 2, kTotal = 11, kDays = 12, kHours, kMinutes, kSeconds };
enum : int { kDaysSpinner = 21, kHoursSpinner, kMinutesSpinner, kSecondsSpinner };
constexpr COLORREF kLabelBackground = RGB(255, 255, 255); // a paint context's default
constexpr DWORD kSettleMs = 3000;

using Boxes = std::vector<std::string>; // days, hours, minutes, seconds, total

inline std::string readFile(const std::string &path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline void sendKey(WORD key, DWORD flags = 0, WCHAR character = 0) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = character;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

inline void press(WORD key) {
    sendKey(key);
    sendKey(key, KEYEVENTF_KEYUP);
}

// One run of the program, ended (killed if need be) when the test lets go of it.
class Program {
  public:
    // Starts the program in runs\<name>, which holds the stand-in shutdown tool unless told
    // otherwise. The program inherits the test's environment.
    explicit Program(const char *name, bool withStandIn = true)
        : dir_(std::string("runs\\") + name) {
        CreateDirectoryA("runs", nullptr);
        CreateDirectoryA(dir_.c_str(), nullptr);
        DeleteFileA((dir_ + "\\shutdown.log").c_str());
        DeleteFileA((dir_ + "\\shutdown.exe").c_str());
        if (withStandIn)
            CopyFileA(STAND_IN, (dir_ + "\\shutdown.exe").c_str(), FALSE);
        HANDLE out = createInheritable("stdout.txt"), errors = createInheritable("stderr.txt");
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = errors;
        char commandLine[] = "timed-shutdown.exe";
        started_ = CreateProcessA(PROGRAM, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                  dir_.c_str(), &startup, &process_);
        CloseHandle(out);
        CloseHandle(errors);
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
    void setText(int id, const char *text) const {
        DWORD_PTR result;
        SendMessageTimeoutA(control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 2000, &result);
    }
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
    HANDLE createInheritable(const char *file) const {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        return CreateFileA((dir_ + "\\" + file).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                           &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

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
inline std::pair<int, int> labelExtent(HWND window, int x, int y) {
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
inline void expectEnd(const Program &program, const std::string &commands,
                      const std::string &output) {
    EXPECT_EQ(program.exitStatus(), 0);
    EXPECT_EQ(program.commands(), commands);
    EXPECT_EQ(program.output(), output);
}

} // namespace driver
