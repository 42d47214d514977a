// Drives the real program as a user would: its own process in a scratch directory that holds
// the stand-in shutdown tool, real mouse and keyboard input, controls read back across
// processes, and the commands, output and exit status checked when it ends.
#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

enum : int { kConfirm = 1, kCancel = 2, kTotal = 11, kDays = 12, kHours, kMinutes, kSeconds };
constexpr int kSpinnerOf = 21 - kDays; // a field box's spinner: the box's id plus this

inline std::string slurp(const std::string &path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// One real input event: a mouse button, a virtual key, or a typed character.
inline void send(DWORD type, DWORD flags, WORD key = 0, WCHAR character = 0) {
    INPUT input = {};
    input.type = type;
    if (type == INPUT_MOUSE)
        input.mi.dwFlags = flags;
    else
        input.ki = {key, character, flags, 0, 0};
    SendInput(1, &input, sizeof input);
}
inline void key(WORD key, bool down) {
    send(INPUT_KEYBOARD, down ? 0 : KEYEVENTF_KEYUP, key);
}
inline void press(WORD k) {
    key(k, true), key(k, false);
}

class Program {
  public:
    // Starts the program in runs\<name>, with the stand-in shutdown tool unless told otherwise.
    explicit Program(const char *name, bool withStandIn = true)
        : dir_(std::string("runs\\") + name) {
        CreateDirectoryA("runs", nullptr);
        CreateDirectoryA(dir_.c_str(), nullptr);
        DeleteFileA(path("shutdown.log").c_str());
        DeleteFileA(path("shutdown.exe").c_str());
        if (withStandIn)
            CopyFileA(STAND_IN, path("shutdown.exe").c_str(), FALSE);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = create("stdout.txt");
        startup.hStdError = create("stderr.txt");
        char commandLine[] = "timed-shutdown.exe";
        started_ = CreateProcessA(PROGRAM, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                  dir_.c_str(), &startup, &process_);
        CloseHandle(startup.hStdOutput);
        CloseHandle(startup.hStdError);
        for (int i = 0; started_ && window_ == nullptr && i < 500; ++i, Sleep(20))
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "My First Window", nullptr));)
                if (IsWindowVisible(w) &&
                    GetWindowThreadProcessId(w, nullptr) == process_.dwThreadId)
                    window_ = w;
        // Input sent before the program waits in its loop can be lost on a cold start.
        WaitForInputIdle(process_.hProcess, 5000);
        Sleep(100);
    }
    ~Program() {
        if (started_ && running())
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }

    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }
    std::string text(int id) const {
        char text[64] = {};
        DWORD_PTR length;
        SendMessageTimeoutA(control(id), WM_GETTEXT, sizeof text, LPARAM(text), SMTO_ABORTIFHUNG,
                            2000, &length);
        return text;
    }
    void setText(int id, const char *text) const {
        DWORD_PTR result;
        SendMessageTimeoutA(control(id), WM_SETTEXT, 0, LPARAM(text), SMTO_ABORTIFHUNG, 2000,
                            &result);
    }
    // The boxes as "days|hours|minutes|seconds|total".
    std::string boxes() const {
        return text(kDays) + "|" + text(kHours) + "|" + text(kMinutes) + "|" + text(kSeconds) +
               "|" + text(kTotal);
    }
    // A step ends in a message the program posts to itself: waits until the boxes satisfy
    // done, or three seconds pass, and reads them once more a moment later.
    template <typename Done> std::string settle(Done done) const {
        for (int i = 0; i < 300 && !done(boxes()); ++i)
            Sleep(10);
        Sleep(50);
        return boxes();
    }
    std::string settleAt(const std::string &expected) const {
        return settle([&](const std::string &shown) { return shown == expected; });
    }

    // A point of a control on the screen, at the given fraction of its height.
    POINT at(int id, double height = 0.5) const {
        RECT r;
        GetWindowRect(control(id), &r);
        return {(r.left + r.right) / 2, LONG(r.top + (r.bottom - r.top) * height)};
    }
    static void pointAt(POINT p) {
        SetCursorPos(p.x, p.y);
        Sleep(30); // the warp reaches the display asynchronously; a press must not overtake it
    }
    void click(POINT p, DWORD holdMs = 0) const {
        pointAt(p);
        send(INPUT_MOUSE, MOUSEEVENTF_LEFTDOWN);
        Sleep(holdMs);
        send(INPUT_MOUSE, MOUSEEVENTF_LEFTUP);
    }
    void arrow(int box, bool up, DWORD holdMs = 0) const {
        click(at(box + kSpinnerOf, up ? 0.25 : 0.75), holdMs);
    }
    // Clicks into the box, clears it and types the text key by key.
    void type(int box, const std::string &text) const {
        click(at(box));
        Sleep(50);
        press(VK_END);
        key(VK_SHIFT, true);
        press(VK_HOME);
        key(VK_SHIFT, false);
        press(VK_DELETE);
        for (char c : text) {
            send(INPUT_KEYBOARD, KEYEVENTF_UNICODE, 0, WCHAR(c));
            send(INPUT_KEYBOARD, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, 0, WCHAR(c));
        }
    }
    void close() const { // Alt+F4, as a user closes the window
        key(VK_MENU, true);
        press(VK_F4);
        key(VK_MENU, false);
    }

    bool running(DWORD forMs = 0) const {
        return WaitForSingleObject(process_.hProcess, forMs) == WAIT_TIMEOUT;
    }
    // The program ended with status 0, having run these commands and printed this output
    // (standard output is in text mode: puts ends its line with CR LF).
    void expectEnd(const std::string &commands, const std::string &output) const {
        DWORD status = DWORD(-1);
        EXPECT_FALSE(running(5000)) << "still running";
        GetExitCodeProcess(process_.hProcess, &status);
        EXPECT_EQ(status, 0u);
        EXPECT_EQ(slurp(path("shutdown.log")), commands);
        EXPECT_EQ(slurp(path("stdout.txt")), output);
    }

  private:
    std::string path(const char *file) const { return dir_ + "\\" + file; }
    HANDLE create(const char *file) const {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        return CreateFileA(path(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    std::string dir_;
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
    HWND window_ = nullptr;
};
