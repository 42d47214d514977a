// The real program in a real window, driven with real mouse and keyboard input, started each way
// a shortcut or `start` may start it; the window is checked against a table of how it is made,
// then the commands, output and exit status when it ends. The program and the stand-in shutdown
// tool are found beside this test, which runs only when TIMED_SHUTDOWN_WINDOW_TESTS=1 asks.
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

enum : int { kConfirm = 1, kCancel = 2, kTotal = 11, kDays = 12, kHours, kMinutes, kSeconds };
constexpr int kSpinnerOf = 21 - kDays; // a field box's spinner: the box's id plus this
constexpr POINT kBareSpot = {150, 40}; // no control or label
const bool kOnWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
const std::string kComspec = getenv("COMSPEC");

// A file or folder beside this test.
std::string beside(const char *name) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    *strrchr(path, '\\') = '\0';
    return path + std::string("\\") + name;
}
// A window's class name, or its text as the window itself gives it.
std::string read(HWND window, bool className = false) {
    char text[128] = "";
    className ? GetClassNameA(window, text, sizeof text)
              : SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), 0, 1000, 0);
    return text;
}
std::string describe(HWND window) {
    return window ? '"' + read(window) + "\" (" + read(window, true) + ")" : "no window";
}

// How it is started: the start-up record's flags and show state, and what follows the program's
// name on its command line.
struct Way {
    DWORD flags;
    WORD show;
    const char *arguments;
};
constexpr Way kPlain = {0, 0, ""}, kNormal = {STARTF_USESHOWWINDOW, SW_SHOWNORMAL, ""},
              kMinimised = {STARTF_USESHOWWINDOW, SW_SHOWMINNOACTIVE, ""}, // a shortcut's
    kMaximised = {STARTF_USESHOWWINDOW, SW_SHOWMAXIMIZED, ""},             // `start /max`
    kHidden = {STARTF_USESHOWWINDOW, SW_HIDE, ""},
              kPlacedAndSized = {STARTF_USEPOSITION | STARTF_USESIZE, 0, ""},
              kWithArguments = {0, 0, " -s -t 60 /?"};

// One use of the program: how it starts, the folder of its only tool (none in "no-tool"), its
// COMSPEC, whether tools that only log are planted in its own folder, the button that ends it (0:
// Alt+F4), the commands run, the output, and its steps (see drive).
struct Session {
    const char *name;
    Way way;
    const char *tool, *comspec;
    bool plant;
    int button;
    const char *commands, *output;
    std::string steps;
};

struct Program {
    // Starts the program in run-<name>, with a PATH of only the session's tool folder, where the
    // stand-in waits, and its COMSPEC.
    explicit Program(const Session &s, const Way &way) : dir(std::string("run-") + s.name) {
        CreateDirectoryA(dir.c_str(), nullptr);
        CreateDirectoryA(beside(s.tool).c_str(), nullptr);
        CopyFileA(beside("stand_in_shutdown.exe").c_str(), beside("tool\\shutdown.exe").c_str(), 0);
        DeleteFileA((dir + "\\shutdown.log").c_str());
        for (const char *file : {"\\shutdown.exe", "\\shutdown.bat"})
            if (s.plant) // what this session planted on its last run
                DeleteFileA((dir + file).c_str());
        // cmd.exe may look in the program's folder first: only the stand-in may ever answer.
        WIN32_FIND_DATAA found;
        if (FindFirstFileA((dir + "\\shutdown.*").c_str(), &found) != INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "not started: " << found.cFileName << " lies in " << dir;
            return;
        }
        if (s.plant) {
            CopyFileA(beside("stand_in_shutdown.exe").c_str(), (dir + "\\shutdown.exe").c_str(), 0);
            std::ofstream(dir + "\\shutdown.bat") << "@echo (planted batch) %*>>shutdown.log\n";
        }
        SetEnvironmentVariableA("PATH", beside(s.tool).c_str()); // the program takes a copy
        SetEnvironmentVariableA("COMSPEC", s.comspec ? s.comspec : kComspec.c_str());
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES | way.flags;
        startup.wShowWindow = way.show;
        startup.dwXSize = startup.dwYSize = 640; // read when the way places and sizes it
        startup.hStdOutput = CreateFileA((dir + "\\stdout.txt").c_str(), GENERIC_WRITE, 0,
                                         &inheritable, CREATE_ALWAYS, 0, nullptr);
        std::string line = '"' + beside("timed-shutdown.exe") + '"' + way.arguments;
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &startup,
                       &process);
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
    HWND focus() const {
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(process.dwThreadId, &thread);
        return thread.hwndFocus;
    }
    // The boxes as "days|hours|minutes|seconds|total".
    std::string boxes() const {
        std::string shown;
        for (int id : {kDays, kHours, kMinutes, kSeconds, kTotal})
            shown += (id == kDays ? "" : "|") + read(control(id));
        return shown;
    }
    // A step ends in a message the program posts itself: waits up to 3 s for the boxes, then a
    // little longer, so that a late change shows too.
    std::string settle(const std::string &expected) const {
        for (int i = 0; i < 300 && boxes() != expected; ++i)
            Sleep(10);
        Sleep(50);
        return boxes();
    }

    // Raises the window and clicks a control (0: a bare spot) at a height within it, once sure
    // that the point shows the window: else the click, and the keys after it, would go to another
    // program (a Windows runner's console).
    void click(int id, double height = 0.5) const {
        RECT r = {kBareSpot.x, kBareSpot.y, kBareSpot.x, kBareSpot.y};
        if (id)
            GetWindowRect(control(id), &r);
        else
            MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&r), 2);
        const POINT at = {(r.left + r.right) / 2, r.top + LONG((r.bottom - r.top) * height)};
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
    // Presses keys together, down in order and up in reverse, once the window has the keyboard
    // (after a click, or else a click on a bare spot): never to another program, Alt+F4 included.
    // Home, End, the arrows and Delete go as keypad keys: Num Lock would make them digits.
    void keys(const std::string &chord) const {
        for (int i = 0; i < 200 && GetForegroundWindow() != window; ++i, Sleep(10))
            if (i == 100)
                click(0);
        if (GetForegroundWindow() != window)
            return ADD_FAILURE() << "not pressed: keys go to " << describe(GetForegroundWindow());
        for (size_t i = 0, n = chord.size(); i < 2 * n; ++i) {
            const BYTE key = chord[i < n ? i : 2 * n - 1 - i];
            const bool keypad = key >= VK_PRIOR && key <= VK_DELETE;
            keybd_event(key, 0,
                        (keypad ? KEYEVENTF_EXTENDEDKEY : 0) | (i < n ? 0 : KEYEVENTF_KEYUP), 0);
        }
    }

    // The program ended with status 0, having run these commands and printed this output
    // (its standard output is in text mode: puts ends the line with CR LF).
    void expectEnd(const std::string &commands, const std::string &output) const {
        DWORD status = DWORD(-1);
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 5000), WAIT_OBJECT_0) << "still running";
        GetExitCodeProcess(process.hProcess, &status);
        EXPECT_EQ(status, 0u);
        for (auto [file, want] :
             {std::pair{"\\shutdown.log", commands}, {"\\stdout.txt", output}}) {
            std::ifstream in(dir + file, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), want) << file;
        }
    }

    std::string dir;
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

// Keys by sign, any other character typing itself: > End, < Shift+Home, # Delete, ! Backspace,
// = Enter, @ Esc, / Tab, \ Shift+Tab, ^ Up, _ Down, $ Alt+F4.
std::string chord(char sign) {
    static const char signs[] = "><#!=@/\\^_$";
    static const std::string chords[] = {
        {VK_END}, {VK_SHIFT, VK_HOME}, {VK_DELETE}, {VK_BACK}, {VK_RETURN},     {VK_ESCAPE},
        {VK_TAB}, {VK_SHIFT, VK_TAB},  {VK_UP},     {VK_DOWN}, {VK_MENU, VK_F4}};
    const char *at = strchr(signs, sign);
    return at ? chords[at - signs] : std::string(1, char(toupper(sign)));
}

// Steps, comma-separated. A step is a box (D, H, M, S; T the total; C Confirm), what is done (+ or
// - clicks its arrow; s sets its text from outside; t clicks it and types over what it holds; c
// clicks it; k presses keys where the focus is, which must stay there; ^ or _ clicks it and
// presses Up or Down), the text or keys, a space and the boxes once settled.
void drive(const Program &p, const std::string &steps) {
    std::istringstream list(steps);
    for (std::string step; std::getline(list, step, ',');) {
        const size_t space = step.find(' ');
        const char what = step[1];
        const int boxes[] = {kDays, kHours, kMinutes, kSeconds, kTotal, kConfirm};
        const int box = boxes[std::string("DHMSTC").find(step[0])];
        const std::string text = step.substr(2, space - 2), expected = step.substr(space + 1);
        std::string keys = what == 't' ? "><#" + text : what == 'k' ? text : "";
        if (what == 's') {
            SendMessageA(p.control(box), WM_SETTEXT, 0, LPARAM(text.c_str()));
        } else if (what == '+' || what == '-') {
            p.click(box + kSpinnerOf, what == '+' ? 0.25 : 0.75);
        } else if (what != 'k') {
            p.click(box);
            keys += what == '^' || what == '_' ? std::string(1, what) : "";
        }
        for (char sign : keys)
            p.keys(chord(sign));
        ASSERT_EQ(p.settle(expected), expected) << step;
        const HWND focus = box == kTotal ? p.window : p.control(box); // a disabled box takes none
        ASSERT_TRUE(what != 'k' || p.focus() == focus) << step << ": " << describe(p.focus());
    }
}

// Each field through both its ends and back, by arrow click and by key ('L' its limit, 'l' one
// less), every step wrapping whatever the spinner itself would do; then two digits fill a box.
std::string throughBothEnds() {
    const int limit[] = {99, 23, 59, 59};
    int value[4] = {};
    std::string steps;
    for (int f = 0; f < 4; ++f)
        for (int i = 0; i < 12; ++i) {
            const char to = "L010LlL010Ll"[i];
            value[f] = to == 'L' ? limit[f] : to == 'l' ? limit[f] - 1 : to - '0';
            steps += std::string{"DHMS"[f], "-++---^^^___"[i], ' '};
            for (int g = 0; g < 4; ++g)
                steps += std::to_string(value[g]) + '|';
            steps += std::to_string(((value[0] * 24 + value[1]) * 60 + value[2]) * 60 + value[3]);
            steps += ',';
        }
    return steps + "St000000 98|22|58|00|8549880";
}

const Session kSessions[] = {
    // The first step starts from the record's 0 days, not from the box's 1.
    {"ends", kWithArguments, "tool", nullptr, false, kConfirm,
     "shutdown -a\nShutdown -s -t 8549880\n", "8549880\r\nShutdown -s -t 8549880",
     throughBothEnds()},
    // Set from outside: texts from 2147483648 up read as negative, beyond 32 bits as 0.
    {"typing", kNormal, "tool", nullptr, false, kCancel, "shutdown -a\n", "",
     "Mt75 1|0|59|0|3540,Ht50 1|23|59|0|86340,Dt |23|59|0|86340,Htab |ab|59|0|3540,"
     "St07 |ab|59|07|3547,Dt99 99|ab|59|07|8557147,H+ 99|1|59|07|8560747,"
     "Ds3000000000 99|1|59|07|8560747,Hs4294967295 99|23|59|07|8639947,"
     "Ms4294967296 99|23|4294967296|07|8636407"},
    // Every key where it may be pressed: a field box edits its text and steps; a click on the
    // disabled total box focuses no box, and then no key acts. Enter, Esc and the tabs act
    // nowhere (no default button, no moving on); Alt+F4 ends it without a command, and Confirm
    // with a total of 0 does nothing.
    {"keys-none", kMinimised, "tool", nullptr, false, 0, "", "",
     "Tc 1|0|0|0|0,Tk><4=@/\\^_!x7 1|0|0|0|0"},
    {"keys-days", kMaximised, "tool", nullptr, false, 0, "", "",
     "Dc 1|0|0|0|0,Dk><4 4|0|0|0|345600,Dk=@/\\ 4|0|0|0|345600,Dk^ 5|0|0|0|432000,"
     "Dk_ 4|0|0|0|345600,Dk>!x x|0|0|0|0,Dk!7 7|0|0|0|604800"},
    {"keys-hours", kHidden, "tool", nullptr, false, 0, "", "",
     "Hc 1|0|0|0|0,Hk><4 1|4|0|0|14400,Hk=@/\\ 1|4|0|0|14400,Hk^ 1|5|0|0|18000,"
     "Hk_ 1|4|0|0|14400,Hk>!x 1|x|0|0|0,Hk!7 1|7|0|0|25200"},
    {"keys-minutes", kPlacedAndSized, "tool", nullptr, false, 0, "", "",
     "Mc 1|0|0|0|0,Mk><4 1|0|4|0|240,Mk=@/\\ 1|0|4|0|240,Mk^ 1|0|5|0|300,Mk_ 1|0|4|0|240,"
     "Mk>!x 1|0|x|0|0,Mk!7 1|0|7|0|420"},
    {"keys-seconds", kPlain, "tool", nullptr, false, 0, "", "",
     "Cc 1|0|0|0|0,Sc 1|0|0|0|0,Sk><4 1|0|0|4|4,Sk=@/\\ 1|0|0|4|4,Sk^ 1|0|0|5|5,Sk_ 1|0|0|4|4,"
     "Sk>!x 1|0|0|x|0,Sk!7 1|0|0|7|7"},
    {"no-tool", kPlain, "no-tool", nullptr, false, kConfirm, "", "1\r\nShutdown -s -t 1",
     "S+ 1|0|0|1|1"},
    {"no-cmd", kPlain, "tool", "C:\\no", false, kConfirm, "", "1\r\nShutdown -s -t 1",
     "S+ 1|0|0|1|1"},
    // Only on Windows, as Wine's cmd.exe searches the current folder whatever the program sets.
    {"planted", kPlain, "tool", nullptr, true, kConfirm, "shutdown -a\nShutdown -s -t 8557619\n",
     "8557619\r\nShutdown -s -t 8557619",
     "Mt5 1|0|5|0|300,D- 99|0|5|0|8553900,H^ 99|1|5|0|8557500,St75 99|1|5|59|8557559,"
     "M+ 99|1|6|59|8557619"},
};

// A window as made: class, id, text, style (the flags all kinds share by name, a kind's own in
// hex), extended style, font and place (left,top widthxheight) in its parent. A field box reads as
// it was made, before the spinner made after it stood against its right edge (Wine's 2 pixels
// over it) and narrowed it.
std::string made(HWND window, HWND parent) {
    std::istringstream names("WS_TABSTOP|WS_GROUP|WS_THICKFRAME|WS_SYSMENU|WS_HSCROLL|WS_VSCROLL|"
                             "WS_DLGFRAME|WS_BORDER|WS_MAXIMIZE|WS_CLIPCHILDREN|WS_CLIPSIBLINGS|"
                             "WS_DISABLED|WS_VISIBLE|WS_MINIMIZE|WS_CHILD|WS_POPUP");
    const DWORD style = GetWindowLongA(window, GWL_STYLE);
    std::string flags, name;
    for (int bit = 16; std::getline(names, name, '|'); ++bit)
        flags += style >> bit & 1 ? name + "|" : "";
    const int id = parent ? GetDlgCtrlID(window) : 0;
    RECT r, box, spinner = {};
    GetWindowRect(window, &r);
    GetWindowRect(GetWindow(window, GW_HWNDPREV), &box);
    if (id >= kDays && id <= kSeconds)
        GetWindowRect(GetWindow(window, GW_HWNDNEXT), &spinner);
    const bool against = id > kSeconds && r.top == box.top && r.bottom == box.bottom &&
                         (r.left == box.right || r.left == box.right - 2) && r.right > r.left;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    char line[256], place[40] = "against its box";
    if (!against)
        snprintf(place, sizeof place, "%ld,%ld %ldx%ld", r.left, r.top,
                 r.right - r.left + spinner.right - spinner.left, r.bottom - r.top);
    snprintf(line, sizeof line, "%s %d %s %s0x%lX ex 0x%lX font %lld %s\n",
             read(window, true).c_str(), id, read(window).c_str(), flags.c_str(), style & 0xFFFF,
             GetWindowLongA(window, GWL_EXSTYLE), (long long)SendMessageA(window, WM_GETFONT, 0, 0),
             place);
    return line;
}

// The controls as made, in creation order, with their texts once started: the buttons default
// push buttons (0x1), the boxes centred (0x1), the total box disabled, and the spinners setting
// their buddy's text, aligned right, taking the window before as buddy, with arrow keys and hot
// tracking (0x136). None has a font or an extended style of its own.
constexpr char kControlsAsMade[] =
    "Button 1 \xC8\xB7\xC8\xCF WS_VISIBLE|WS_CHILD|0x1 ex 0x0 font 0 200,50 40x20\n"
    "Button 2 \xC8\xA1\xCF\xFB WS_VISIBLE|WS_CHILD|0x1 ex 0x0 font 0 250,50 40x20\n"
    "Edit 11 0 WS_DISABLED|WS_VISIBLE|WS_CHILD|0x1 ex 0x0 font 0 110,50 70x20\n"
    "Edit 12 1 WS_VISIBLE|WS_CHILD|0x1 ex 0x0 font 0 50,10 35x20\n"
    "msctls_updown32 21  WS_VISIBLE|WS_CHILD|0x136 ex 0x0 font 0 against its box\n"
    "Edit 13 0 WS_VISIBLE|WS_CHILD|0x1 ex 0x0 font 0 110,10 35x20\n"
    "msctls_updown32 22  WS_VISIBLE|WS_CHILD|0x136 ex 0x0 font 0 against its box\n"
    "Edit 14 0 WS_VISIBLE|WS_CHILD|0x1 ex 0x0 font 0 170,10 35x20\n"
    "msctls_updown32 23  WS_VISIBLE|WS_CHILD|0x136 ex 0x0 font 0 against its box\n"
    "Edit 15 0 WS_VISIBLE|WS_CHILD|0x1 ex 0x0 font 0 230,10 35x20\n"
    "msctls_updown32 24  WS_VISIBLE|WS_CHILD|0x136 ex 0x0 font 0 against its box\n";

// Made with the system menu alone, an overlapped window gains a caption (a border and a dialog
// frame), sibling clipping and a raised edge (0x100). However started, it shows as it is,
// centred, with no control focused. Wine reads no other program's class brush, icon or cursor
// (the picture shows the brush).
void expectAsMade(const Program &p) {
    const HWND w = p.window, focus = p.focus();
    std::string seen;
    for (HWND c = w; c; c = c == w ? GetWindow(w, GW_CHILD) : GetWindow(c, GW_HWNDNEXT))
        seen += made(c, c == w ? nullptr : w);
    char window[160];
    snprintf(window, sizeof window,
             "My First Window 0 \xB6\xA8\xCA\xB1\xB9\xD8\xBB\xFA "
             "WS_SYSMENU|WS_DLGFRAME|WS_BORDER|WS_CLIPSIBLINGS|WS_VISIBLE|0x0 ex 0x100 font 0 "
             "%d,%d 300x100\n",
             (GetSystemMetrics(SM_CXSCREEN) - 300) >> 1,
             (GetSystemMetrics(SM_CYSCREEN) - 100) >> 1);
    EXPECT_EQ(seen, window + std::string(kControlsAsMade));
    EXPECT_FALSE(IsIconic(w) || IsZoomed(w) || GetMenu(w) || GetParent(w) ||
                 GetWindow(w, GW_OWNER) || GetClassLongPtrA(w, GCL_STYLE));
    for (auto [index, want] : {std::pair{GCLP_HBRBACKGROUND, COLOR_INACTIVECAPTION + 1},
                               {GCLP_HICON, 0},
                               {GCLP_HCURSOR, 0}})
        EXPECT_TRUE(kOnWine || GetClassLongPtrA(w, index) == ULONG_PTR(want)) << index;
    EXPECT_TRUE(focus == w || !focus) << describe(focus);
}

// GDI and USER objects after a few hundred repaints: where counted (not under Wine), a leak in a
// paint or a step adds hundreds, long before the window goes blank.
DWORD objectsAfterRepaints(const Program &p) {
    for (int i = 0; i < 300 && !kOnWine; ++i)
        RedrawWindow(p.window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return GetGuiResources(p.process.hProcess, GR_GDIOBJECTS) +
           GetGuiResources(p.process.hProcess, GR_USEROBJECTS);
}

class Window : public testing::Test {
    void SetUp() override {
        if (!getenv("TIMED_SHUTDOWN_WINDOW_TESTS"))
            GTEST_SKIP() << "moves the mouse and types; TIMED_SHUTDOWN_WINDOW_TESTS=1 runs it";
    }
};

// Windows gives a program's first ShowWindow the show state it was started with: there, a
// session that asks for one starts plainly.
TEST_F(Window, StartsAsMadeHoweverStartedAndDoesWhatEachSessionAsks) {
    for (const Session &s : kSessions) {
        if (s.plant && kOnWine)
            continue;
        SCOPED_TRACE(s.name);
        const bool shows = s.way.flags & STARTF_USESHOWWINDOW && s.way.show != SW_SHOWNORMAL;
        Program p(s, shows && !kOnWine ? kPlain : s.way);
        ASSERT_NE(p.window, nullptr);
        ASSERT_NO_FATAL_FAILURE(expectAsMade(p));
        const size_t first = s.steps.find(',');
        ASSERT_NO_FATAL_FAILURE(drive(p, s.steps.substr(0, first))); // a box has had the focus
        const DWORD before = objectsAfterRepaints(p);
        if (first != std::string::npos) {
            ASSERT_NO_FATAL_FAILURE(drive(p, s.steps.substr(first + 1)));
        }
        EXPECT_LE(objectsAfterRepaints(p), before + 2) << before << " before";
        s.button ? p.click(s.button) : p.keys(chord('$'));
        p.expectEnd(s.commands, s.output);
    }
}

} // namespace
