// The real program in a real window, started as each session of sessions.txt says and driven with
// real mouse and keyboard input. The program, the stand-in shutdown tool and sessions.txt lie
// beside this test, which runs only when TIMED_SHUTDOWN_WINDOW_TESTS=1 asks.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

enum : int { kConfirm = 1, kCancel = 2, kTotal = 11, kDays = 12, kHours, kMinutes, kSeconds };
constexpr int kSpinnerOf = 21 - kDays; // a field box's spinner: the box's id plus this
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

// A session of sessions.txt: its name, and each key's values, each with the end its key gives
// them; a key it lacks reads empty.
struct Session : std::map<std::string, std::string> {
    std::string operator()(const std::string &key) const { return count(key) ? at(key) : ""; }
};
const std::map<std::string, std::string> kKeys = {
    {"start", ""}, {"copies", ""}, {"tool", ""},      {"comspec", ""},
    {"end", ""},   {"steps", ","}, {"command", "\n"}, {"output", "\r\n"}};

// sessions.txt, a line per key and value: the window as made, the keys and the sessions.
std::string made, chords[128];
std::vector<Session> sessions() {
    std::vector<Session> all;
    std::ifstream in(beside("sessions.txt"));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key, value;
        std::getline(words >> key >> std::ws, value);
        std::istringstream codes(value.substr(value.empty() ? 0 : 1));
        if (key == "made")
            made += value + "\n";
        else if (key == "key")
            for (int code; codes >> std::hex >> code;)
                chords[int(value[0])] += char(code);
        else if (key == "session")
            all.emplace_back()["name"] = value;
        else if (kKeys.count(key) && !all.empty())
            all.back()[key] += value + kKeys.at(key);
        else if (!key.empty() && key[0] != '#')
            ADD_FAILURE() << "sessions.txt: what is " << line;
    }
    return all;
}

struct Program {
    // Starts it in run-<name>, or run-<name>-<copy> for a later copy, as `start` asks, with a PATH
    // of only its tool folder.
    Program(const Session &s, DWORD flags, WORD show, const char *arguments, size_t copy)
        : dir("run-" + s("name") + (copy ? "-" + std::to_string(copy + 1) : "")) {
        CreateDirectoryA(dir.c_str(), nullptr);
        const std::string tool = beside(s("tool").empty() ? "tool" : s("tool").c_str());
        CreateDirectoryA(tool.c_str(), nullptr);
        CopyFileA(beside("stand_in_shutdown.exe").c_str(), beside("tool\\shutdown.exe").c_str(), 0);
        DeleteFileA((dir + "\\shutdown.log").c_str());
        // cmd.exe may look in the program's folder first: only the stand-in may ever answer.
        WIN32_FIND_DATAA found;
        if (FindFirstFileA((dir + "\\shutdown.*").c_str(), &found) != INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "not started: " << found.cFileName << " lies in " << dir;
            return;
        }
        SetEnvironmentVariableA("PATH", tool.c_str()); // the program takes a copy
        SetEnvironmentVariableA("COMSPEC",
                                (s("comspec").empty() ? kComspec : s("comspec")).c_str());
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES | flags;
        startup.wShowWindow = show;
        startup.dwXSize = startup.dwYSize = 640; // read when asked to place and size it
        startup.hStdOutput = CreateFileA((dir + "\\stdout.txt").c_str(), GENERIC_WRITE, 0,
                                         &inheritable, CREATE_ALWAYS, 0, nullptr);
        std::string line = '"' + beside("timed-shutdown.exe") + "\" " + arguments;
        CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &startup,
                       &process);
        CloseHandle(startup.hStdOutput);
        for (int i = 0; i < 1500 && !window; ++i, Sleep(20)) // 30 s: a loaded machine is slow
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
        GUITHREADINFO thread = {sizeof thread, 0, {}, {}, {}, {}, {}, {}, {}};
        return GetGUIThreadInfo(process.dwThreadId, &thread) ? thread.hwndFocus : nullptr;
    }
    // The boxes as "days|hours|minutes|seconds|total".
    std::string boxes() const {
        std::string shown;
        for (int id : {kDays, kHours, kMinutes, kSeconds, kTotal})
            shown += (id == kDays ? "" : "|") + read(control(id));
        return shown;
    }
    // Waits up to 3 s for a step's last message, which the program posts itself, then 50 ms more.
    std::string settle(const std::string &expected) const {
        for (int i = 0; i < 300 && boxes() != expected; ++i)
            Sleep(10);
        Sleep(50);
        return boxes();
    }

    // Raises the window and clicks a control, once sure that the point shows the window: else the
    // click, and keys after it, would go to another program (a Windows runner's console).
    void click(int id, double height = 0.5) const {
        RECT r;
        GetWindowRect(control(id), &r);
        const POINT at = {(r.left + r.right) / 2, r.top + LONG((r.bottom - r.top) * height)};
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetForegroundWindow(window); // Windows may refuse; the click then activates it
        const HWND hit = GetAncestor(WindowFromPoint(at), GA_ROOT);
        if (hit != window)
            return ADD_FAILURE() << "not clicked: " << at.x << "," << at.y << " shows "
                                 << read(hit, true);
        SetCursorPos(at.x, at.y);
        Sleep(30); // the warp reaches the display asynchronously; a press must not overtake it
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    }
    // Presses keys together once the window has the keyboard, as a click gives it: never to another
    // program, Alt+F4 included. Home, End, the arrows and Delete as keypad keys would be digits.
    void keys(const std::string &chord) const {
        for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i)
            Sleep(10);
        if (GetForegroundWindow() != window)
            return ADD_FAILURE() << "not pressed: keys go to " << read(GetForegroundWindow(), true);
        for (size_t i = 0, n = chord.size(); i < 2 * n; ++i) {
            const BYTE key = chord[i < n ? i : 2 * n - 1 - i];
            const bool keypad = key >= VK_PRIOR && key <= VK_DELETE;
            keybd_event(key, 0,
                        (keypad ? KEYEVENTF_EXTENDEDKEY : 0) | (i < n ? 0 : KEYEVENTF_KEYUP), 0);
        }
    }

    // It ended with status 0, having run these commands and printed this (puts ends with CR LF).
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
        WIN32_FIND_DATAA found; // and kept no file of its own in the folder it ran in
        const HANDLE list = FindFirstFileA((dir + "\\*").c_str(), &found);
        for (BOOL more = list != INVALID_HANDLE_VALUE; more; more = FindNextFileA(list, &found))
            EXPECT_TRUE(std::string(" . .. shutdown.log stdout.txt ")
                            .find(" " + std::string(found.cFileName) + " ") != std::string::npos)
                << found.cFileName;
    }

    std::string dir;
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
    mutable std::string kept; // what a box kept of the text typed into it, for a ~ among the boxes
};

// The keys a sign presses together: as sessions.txt says, or else the key of that character.
std::string chord(char sign) {
    return chords[int(sign)].empty() ? std::string(1, char(toupper(sign))) : chords[int(sign)];
}

// How many of a text's first characters fit a box's text rectangle: where typing stops, as the
// boxes do not scroll. They have no font of their own, so they draw in the system font, which a
// device context of the box holds by default.
size_t fitting(HWND box, const std::string &text) {
    RECT area = {};
    SendMessageTimeoutA(box, EM_GETRECT, 0, LPARAM(&area), 0, 1000, nullptr);
    const HDC dc = GetDC(box);
    int fit = 0;
    SIZE size;
    GetTextExtentExPointA(dc, text.c_str(), int(text.size()), area.right - area.left, &fit, nullptr,
                          &size);
    ReleaseDC(box, dc);
    return size_t(fit);
}

// Takes the steps of a session, as sessions.txt describes them.
void drive(const Program &p, const std::string &steps) {
    std::istringstream list(steps);
    for (std::string step; std::getline(list >> std::ws, step, ',');) {
        const size_t space = step.find(' ');
        const char what = step[1];
        const int boxes[] = {kDays, kHours, kMinutes, kSeconds, kTotal, kConfirm};
        const size_t which = std::string("DHMSTC").find(step[0]);
        ASSERT_LT(which, std::size(boxes)) << "what box is " << step;
        const int box = boxes[which];
        const std::string text = step.substr(2, space - 2);
        p.kept = what == 't' ? text.substr(0, fitting(p.control(box), text)) : p.kept;
        std::string expected = step.substr(space + 1);
        for (size_t at; (at = expected.find('~')) != std::string::npos;)
            expected.replace(at, 1, p.kept);
        std::string keys = what == 't' ? "><#" + text : what == 'k' ? text : "";
        if (what == 's') {
            SendMessageA(p.control(box), WM_SETTEXT, 0, LPARAM(text.c_str()));
        } else if (what == 'n') {
            PostMessageA(p.window, WM_COMMAND, MAKEWPARAM(box, atoi(text.c_str())), 0);
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
        ASSERT_TRUE(what != 'k' || p.focus() == focus) << step << ": " << read(p.focus(), true);
    }
}

// A window as sessions.txt's table shows it.
std::string asMade(HWND window, HWND parent) {
    std::istringstream names("WS_TABSTOP|WS_GROUP|WS_THICKFRAME|WS_SYSMENU|WS_HSCROLL|WS_VSCROLL|"
                             "WS_DLGFRAME|WS_BORDER|WS_MAXIMIZE|WS_CLIPCHILDREN|WS_CLIPSIBLINGS|"
                             "WS_DISABLED|WS_VISIBLE|WS_MINIMIZE|WS_CHILD|WS_POPUP");
    const DWORD style = GetWindowLongA(window, GWL_STYLE);
    std::string text, flags, name;
    for (unsigned char c : read(window))
        text += std::string{"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
    for (int bit = 16; std::getline(names, name, '|'); ++bit)
        flags += style >> bit & 1 ? name + "|" : "";
    const int id = parent ? GetDlgCtrlID(window) : 0;
    RECT r, box, spinner = {};
    GetWindowRect(window, &r);
    GetWindowRect(GetWindow(window, GW_HWNDPREV), &box);
    if (id >= kDays && id <= kSeconds) // as made: its spinner narrowed it by the spinner's width
        GetWindowRect(GetWindow(window, GW_HWNDNEXT), &spinner);
    // A spinner stands at its box's right edge, as tall: touching it, or over it by a few pixels
    // (Wine's by 2; Windows does not say).
    const bool against = id > kSeconds && r.top == box.top && r.bottom == box.bottom &&
                         r.left > box.left && r.left <= box.right && r.right > r.left;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    if (!parent) // the main window: from where it is centred
        OffsetRect(&r, -((GetSystemMetrics(SM_CXSCREEN) - 300) >> 1),
                   -((GetSystemMetrics(SM_CYSCREEN) - 100) >> 1));
    char line[256], place[40] = "against its box";
    if (!against)
        snprintf(place, sizeof place, "%ld,%ld %ldx%ld", r.left, r.top,
                 r.right - r.left + spinner.right - spinner.left, r.bottom - r.top);
    snprintf(line, sizeof line, "%s %d %s %s0x%lX ex 0x%lX font %lld %s\n",
             read(window, true).c_str(), id, text.c_str(), flags.c_str(), style & 0xFFFF,
             GetWindowLongA(window, GWL_EXSTYLE), (long long)SendMessageA(window, WM_GETFONT, 0, 0),
             place);
    return line;
}

// However started, it shows as it is, with no control focused.
void expectAsMade(const Program &p) {
    const HWND w = p.window, focus = p.focus();
    std::string seen;
    for (HWND c = w; c; c = c == w ? GetWindow(w, GW_CHILD) : GetWindow(c, GW_HWNDNEXT))
        seen += asMade(c, c == w ? nullptr : w);
    EXPECT_EQ(seen, made);
    // Its class has no icon and no cursor: Windows reads another program's class, Wine does not.
    EXPECT_FALSE(
        IsIconic(w) || IsZoomed(w) || GetMenu(w) || GetParent(w) || GetWindow(w, GW_OWNER) ||
        GetClassLongPtrA(w, GCL_STYLE) ||
        (!kOnWine && (GetClassLongPtrA(w, GCLP_HICON) || GetClassLongPtrA(w, GCLP_HCURSOR))));
    EXPECT_TRUE(focus == w || !focus) << read(focus, true);
}

// GDI and USER objects after 300 repaints: where counted (not under Wine), a leak adds hundreds.
DWORD objectsAfterRepaints(const Program &p) {
    for (int i = 0; i < 300 && !kOnWine; ++i)
        RedrawWindow(p.window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return GetGuiResources(p.process.hProcess, GR_GDIOBJECTS) +
           GetGuiResources(p.process.hProcess, GR_USEROBJECTS);
}

// Windows gives a program's first ShowWindow the show state it was started with: not asked there.
TEST(Window, StartsAsMadeHoweverStartedAndDoesWhatEachSessionAsks) {
    if (!getenv("TIMED_SHUTDOWN_WINDOW_TESTS"))
        GTEST_SKIP() << "moves the mouse and types; TIMED_SHUTDOWN_WINDOW_TESTS=1 runs it";
    const std::vector<Session> all = sessions();
    ASSERT_GE(all.size(), 9u) << "sessions.txt is missing or short";
    for (const Session &s : all) {
        SCOPED_TRACE(s("name"));
        unsigned flags = 0, show = 0;
        char arguments[64] = "";
        sscanf(s("start").c_str(), "%u %u %63[^\n]", &flags, &show, arguments);
        const bool shows = flags & STARTF_USESHOWWINDOW && show != SW_SHOWNORMAL;
        // Each copy starts while those before it stay open, their fields changed; then they end,
        // the last first. Windows come and go only between steps, never while keys are typed.
        std::deque<Program> copies;
        while (copies.size() < size_t(std::max(1, atoi(s("copies").c_str())))) {
            const Program &p = copies.emplace_back(s, shows && !kOnWine ? 0 : flags, WORD(show),
                                                   arguments, copies.size());
            SCOPED_TRACE(p.dir);
            ASSERT_NE(p.window, nullptr);
            ASSERT_NO_FATAL_FAILURE(expectAsMade(p));
            const size_t first = s("steps").find(',');
            ASSERT_NO_FATAL_FAILURE(drive(p, s("steps").substr(0, first))); // a box has the focus
            const DWORD before = objectsAfterRepaints(p);
            ASSERT_NO_FATAL_FAILURE(drive(p, s("steps").substr(first + 1)));
            EXPECT_LE(objectsAfterRepaints(p), before + 2) << before << " before";
        }
        for (auto p = copies.rbegin(); p != copies.rend(); ++p) {
            SCOPED_TRACE(p->dir);
            if (s("end") == "confirm" || s("end") == "cancel")
                p->click(s("end") == "confirm" ? kConfirm : kCancel);
            else if (s("end") != "none") // a step ended it
                p->keys(chord('$'));     // Alt+F4
            p->expectEnd(s("command"),
                         s("output").substr(0, s("output").size() - (s("output").empty() ? 0 : 2)));
        }
    }
}

} // namespace
