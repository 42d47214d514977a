// The real program in a real window, driven with real mouse and keyboard input; the commands,
// output and exit status are checked when it ends. The program and the stand-in shutdown tool are
// found beside this test, which runs only when TIMED_SHUTDOWN_WINDOW_TESTS=1 asks.
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

enum : int { kConfirm = 1, kCancel = 2, kTotal = 11, kDays = 12, kHours, kMinutes, kSeconds };
constexpr int kSpinnerOf = 21 - kDays; // a field box's spinner: the box's id plus this
constexpr POINT kBareSpot = {150, 40}; // no control or label: a click there focuses no box

// A file or folder beside this test.
std::string beside(const char *name) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    *strrchr(path, '\\') = '\0';
    return path + std::string("\\") + name;
}
const std::string kComspec = getenv("COMSPEC");

std::string describe(HWND window) {
    char title[128] = "", kind[128] = "";
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, kind, sizeof kind);
    return window ? '"' + std::string(title) + "\" (" + kind + ")" : "no window";
}

struct Program {
    // Starts the program in run-<name>, with a PATH of only `tool`, where the stand-in waits (not
    // in "no-tool"), comspec for COMSPEC and, with plant, tools that only log in its own folder.
    Program(const std::string &name, const char *tool = "tool", const char *comspec = nullptr,
            bool plant = false)
        : dir("run-" + name) {
        CreateDirectoryA(dir.c_str(), nullptr);
        DeleteFileA((dir + "\\shutdown.log").c_str());
        if (plant) // what this session planted on its last run
            for (const char *file : {"\\shutdown.exe", "\\shutdown.bat"})
                DeleteFileA((dir + file).c_str());
        CreateDirectoryA(beside(tool).c_str(), nullptr);
        CopyFileA(beside("stand_in_shutdown.exe").c_str(), beside("tool\\shutdown.exe").c_str(),
                  FALSE);
        // cmd.exe may look in the program's folder first: only the stand-in may ever answer.
        WIN32_FIND_DATAA found;
        if (FindFirstFileA((dir + "\\shutdown.*").c_str(), &found) != INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "not started: " << found.cFileName << " lies in " << dir;
            return;
        }
        if (plant) {
            CopyFileA(beside("stand_in_shutdown.exe").c_str(), (dir + "\\shutdown.exe").c_str(),
                      FALSE);
            std::ofstream(dir + "\\shutdown.bat")
                << "@echo (planted batch file) %*>>shutdown.log\n";
        }
        SetEnvironmentVariableA("PATH", beside(tool).c_str()); // the program takes a copy
        SetEnvironmentVariableA("COMSPEC", comspec ? comspec : kComspec.c_str());
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = CreateFileA((dir + "\\stdout.txt").c_str(), GENERIC_WRITE, 0,
                                         &inheritable, CREATE_ALWAYS, 0, nullptr);
        CreateProcessA(beside("timed-shutdown.exe").c_str(), nullptr, nullptr, nullptr, TRUE, 0,
                       nullptr, dir.c_str(), &startup, &process);
        CloseHandle(startup.hStdOutput);
        for (int i = 0; i < 500 && !window; ++i, Sleep(20))
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "My First Window", nullptr));)
                if (GetWindowThreadProcessId(w, nullptr) == process.dwThreadId)
                    window = w;
        // Input sent before the program waits in its loop can be lost on a cold start.
        WaitForInputIdle(process.hProcess, 10000);
        Sleep(100);
    }
    ~Program() { TerminateProcess(process.hProcess, 1); } // its handles go with the test's

    HWND control(int id) const { return GetDlgItem(window, id); }
    // The boxes as "days|hours|minutes|seconds|total".
    std::string boxes() const {
        std::string shown;
        for (int id : {kDays, kHours, kMinutes, kSeconds, kTotal}) {
            char text[64] = {};
            SendMessageA(control(id), WM_GETTEXT, sizeof text, LPARAM(text));
            shown += (id == kDays ? "" : "|") + std::string(text);
        }
        return shown;
    }
    // A step ends in a message the program posts itself: waits up to 3 s for the boxes, reads
    // again.
    std::string settle(const std::string &expected) const {
        for (int i = 0; i < 300; ++i, Sleep(10))
            if (boxes() == expected)
                break;
        Sleep(50);
        return boxes();
    }

    // Raises the window and clicks at a screen point once sure that the point shows it: else the
    // click, and the keys after it, would go to another program (a Windows runner's console).
    void clickAt(POINT at) const {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetForegroundWindow(window); // Windows may refuse; the click then activates it
        const HWND hit = GetAncestor(WindowFromPoint(at), GA_ROOT);
        if (hit != window)
            return ADD_FAILURE() << "not clicked: " << at.x << "," << at.y << " shows "
                                 << describe(hit);
        SetCursorPos(at.x, at.y);
        Sleep(30); // the warp reaches the display asynchronously; a press must not overtake it
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
    void click(int id, double height = 0.5) const {
        RECT r;
        GetWindowRect(control(id), &r);
        clickAt({(r.left + r.right) / 2, r.top + LONG((r.bottom - r.top) * height)});
    }
    // Presses keys together, down in order and up in reverse, once the window has the keyboard
    // (after a click, or else a click on a bare spot): never to another program, Alt+F4 included.
    void keys(std::initializer_list<BYTE> chord) const {
        POINT bare = kBareSpot;
        ClientToScreen(window, &bare);
        for (int i = 0; i < 200 && GetForegroundWindow() != window; ++i, Sleep(10))
            if (i == 100)
                clickAt(bare);
        if (GetForegroundWindow() != window)
            return ADD_FAILURE() << "not pressed: keys go to " << describe(GetForegroundWindow());
        for (BYTE key : chord)
            keybd_event(key, 0, extended(key), 0);
        for (auto key = std::rbegin(chord); key != std::rend(chord); ++key)
            keybd_event(*key, 0, extended(*key) | KEYEVENTF_KEYUP, 0);
    }
    // Home, End, the arrows and Delete: as keypad keys, Num Lock would make them digits.
    static DWORD extended(BYTE key) {
        return key >= VK_PRIOR && key <= VK_DELETE ? KEYEVENTF_EXTENDEDKEY : 0;
    }

    // The program ended with status 0, having run these commands and printed this output
    // (its standard output is in text mode: puts ends the line with CR LF).
    void expectEnd(const std::string &commands, const std::string &output) const {
        DWORD status = DWORD(-1);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0) << "still running";
        GetExitCodeProcess(process.hProcess, &status);
        EXPECT_EQ(status, 0u);
        EXPECT_EQ(slurp("shutdown.log"), commands);
        EXPECT_EQ(slurp("stdout.txt"), output);
    }
    std::string slurp(const char *file) const {
        std::ifstream in(dir + "\\" + file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::string dir;
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

// One use of the program: steps, a button, the commands run and the output. A step is a box (D,
// H, M, S), what is done to it (+ or - clicks its arrow; ^ or v presses Up or Down in it; t types
// the text that follows; s sets it from outside), a space and the boxes once it has settled.
struct Session {
    const char *name;
    std::vector<std::string> steps;
    int button;
    const char *commands, *output, *tool = "tool", *comspec = nullptr;
};

void drive(const Program &p, const std::vector<std::string> &steps) {
    for (const std::string &step : steps) {
        const size_t space = step.find(' ');
        const int box = kDays + int(std::string("DHMS").find(step[0]));
        const std::string text = step.substr(2, space - 2), expected = step.substr(space + 1);
        if (step[1] == 't') {
            p.click(box); // then selects what the box holds and types over it
            p.keys({VK_END});
            p.keys({VK_SHIFT, VK_HOME});
            p.keys({VK_DELETE});
            for (char c : text)
                p.keys({BYTE(toupper(c))});
        } else if (step[1] == 's') {
            SendMessageA(p.control(box), WM_SETTEXT, 0, LPARAM(text.c_str()));
        } else if (step[1] == '^' || step[1] == 'v') {
            p.click(box);
            p.keys({BYTE(step[1] == '^' ? VK_UP : VK_DOWN)});
        } else {
            p.click(box + kSpinnerOf, step[1] == '+' ? 0.25 : 0.75);
        }
        ASSERT_EQ(p.settle(expected), expected) << step;
    }
}

void run(const Session &s) {
    SCOPED_TRACE(s.name);
    Program p(s.name, s.tool, s.comspec);
    ASSERT_NE(p.window, nullptr);
    ASSERT_NO_FATAL_FAILURE(drive(p, s.steps));
    p.click(s.button);
    p.expectEnd(s.commands, s.output);
}

const Session kSessions[] = {
    // The first step starts from the record's 0 days, not from the box's 1.
    {"arrows",
     {"D- 99|0|0|0|8553600", "D+ 0|0|0|0|0", "D- 99|0|0|0|8553600", "Dv 98|0|0|0|8467200",
      "D^ 99|0|0|0|8553600", "H- 99|23|0|0|8636400", "H+ 99|0|0|0|8553600", "H- 99|23|0|0|8636400",
      "M- 99|23|59|0|8639940", "M+ 99|23|0|0|8636400", "M- 99|23|59|0|8639940",
      "S- 99|23|59|59|8639999", "S+ 99|23|59|0|8639940", "S- 99|23|59|59|8639999"},
     kConfirm,
     "shutdown -a\nShutdown -s -t 8639999\n",
     "8639999\r\nShutdown -s -t 8639999"},
    // Set from outside: texts from 2147483648 up read as negative, beyond 32 bits as 0.
    {"typing",
     {"Mt75 1|0|59|0|3540", "Ht50 1|23|59|0|86340", "Dt |23|59|0|86340", "Htab |ab|59|0|3540",
      "St07 |ab|59|07|3547", "Dt99 99|ab|59|07|8557147", "H+ 99|1|59|07|8560747",
      "Ds3000000000 99|1|59|07|8560747", "Hs4294967295 99|23|59|07|8639947",
      "Ms4294967296 99|23|4294967296|07|8636407"},
     kCancel,
     "shutdown -a\n",
     ""},
    {"no-tool", {"S+ 1|0|0|1|1"}, kConfirm, "", "1\r\nShutdown -s -t 1", "no-tool"},
    {"no-cmd", {"S+ 1|0|0|1|1"}, kConfirm, "", "1\r\nShutdown -s -t 1", "tool", "C:\\no"},
};

class Window : public testing::Test {
    void SetUp() override {
        if (!getenv("TIMED_SHUTDOWN_WINDOW_TESTS"))
            GTEST_SKIP() << "moves the mouse and types; TIMED_SHUTDOWN_WINDOW_TESTS=1 runs it";
    }
};

// How it looks is compared as a picture; where it stands is not in the picture.
TEST_F(Window, StartsCentredAndKeepsItsFirstStateBesideSessionsOfOtherCopies) {
    Program first("first");
    ASSERT_NE(first.window, nullptr);
    RECT r;
    GetWindowRect(first.window, &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 300) >> 1);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 100) >> 1);
    first.keys({'5'}); // with no box given the focus, typing goes nowhere
    // Moved aside, it stays as it started while other copies run their sessions.
    SetWindowPos(first.window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (const Session &s : kSessions)
        run(s);
    first.click(kConfirm);
    EXPECT_EQ(first.settle("1|0|0|0|0"), "1|0|0|0|0")
        << "a key typed at start, or Confirm with a total of 0, acted";
    first.keys({VK_MENU, VK_F4});
    first.expectEnd("", "");
}

// What only Windows shows. A shutdown.exe or .bat beside the program, as in a Downloads folder,
// never runs: only the tool on PATH answers (either would mark the log). No paint or step keeps a
// GDI or USER object: a leak shows in a few hundred repaints, long before the window goes blank.
TEST_F(Window, RunsNoToolFromItsOwnFolderAndKeepsNoObjectsFromPaintsOrSteps) {
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
        GTEST_SKIP() << "only Windows shows this: Wine's cmd.exe searches the current folder "
                        "whatever the program sets, and its GetGuiResources counts nothing";
    Program p("planted", "tool", nullptr, true);
    const auto objectsAfterRepaints = [&] {
        for (int i = 0; i < 300; ++i)
            RedrawWindow(p.window, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return GetGuiResources(p.process.hProcess, GR_GDIOBJECTS) +
               GetGuiResources(p.process.hProcess, GR_USEROBJECTS);
    };
    ASSERT_NO_FATAL_FAILURE(drive(p, {"Mt5 1|0|5|0|300"})); // a box has had the focus
    const DWORD before = objectsAfterRepaints();
    ASSERT_NO_FATAL_FAILURE(drive(p, {"D- 99|0|5|0|8553900", "H^ 99|1|5|0|8557500",
                                      "St75 99|1|5|59|8557559", "M+ 99|1|6|59|8557619"}));
    EXPECT_LE(objectsAfterRepaints(), before + 2) << before << " before; a leak adds hundreds";
    p.click(kConfirm);
    p.expectEnd("shutdown -a\nShutdown -s -t 8557619\n", "8557619\r\nShutdown -s -t 8557619");
}

} // namespace
