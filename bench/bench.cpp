// Times the program under Wine against the least programs that do the same visible work,
// alternating the two in pairs, and prints a line per measure for scripts/bench.sh:
//   <measure> <median program ms> <median floor ms> <median of the pairwise ratios>
// Usage: bench.exe PROGRAM FLOOR_WINDOW FLOOR_COMMANDS STAND_IN PAIRS
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

constexpr int kConfirm = 1, kSecondsBox = 15, kTotalBox = 11;
constexpr DWORD kSettleMs = 300;

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * double(counter.QuadPart) / double(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Child {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;

    // Starts exe in dir with its output discarded.
    bool start(const char *exe, const char *dir) {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable,
                                 OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = nul;
        std::string commandLine = std::string("\"") + exe + "\"";
        const bool started = CreateProcessA(exe, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                            nullptr, dir, &startup, &process);
        CloseHandle(nul);
        return started;
    }
    static BOOL CALLBACK find(HWND window, LPARAM self) {
        Child &child = *reinterpret_cast<Child *>(self);
        DWORD pid;
        GetWindowThreadProcessId(window, &pid);
        if (pid != child.process.dwProcessId || !IsWindowVisible(window) ||
            GetParent(window) != nullptr)
            return TRUE;
        child.window = window;
        return FALSE;
    }
    void waitForWindow() {
        while (window == nullptr) {
            EnumWindows(find, reinterpret_cast<LPARAM>(this));
            if (window == nullptr)
                Sleep(1);
        }
    }
    double waitForExit() {
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return nowMs();
    }
    void close() {
        PostMessageA(window, WM_CLOSE, 0, 0);
        waitForExit();
    }
};

double launchToVisible(const char *exe, const char *dir) {
    Child child;
    const double start = nowMs();
    if (!child.start(exe, dir))
        return -1;
    child.waitForWindow();
    const double shown = nowMs() - start;
    WaitForInputIdle(child.process.hProcess, 5000);
    child.close();
    return shown;
}

double programConfirmToExit(const char *exe, const char *dir) {
    Child child;
    child.start(exe, dir);
    child.waitForWindow();
    WaitForInputIdle(child.process.hProcess, 5000);
    SendMessageA(GetDlgItem(child.window, kSecondsBox), WM_SETTEXT, 0, LPARAM("1"));
    char total[16] = {};
    SendMessageA(GetDlgItem(child.window, kTotalBox), WM_GETTEXT, sizeof total, LPARAM(total));
    if (std::string(total) != "1")
        return -1;
    Sleep(kSettleMs); // as long as the floor's, so that neither overlaps its own start-up
    const double start = nowMs();
    PostMessageA(child.window, WM_COMMAND, MAKEWPARAM(kConfirm, BN_CLICKED),
                 LPARAM(GetDlgItem(child.window, kConfirm)));
    return child.waitForExit() - start;
}

double floorConfirmToExit(const char *exe, const char *dir) {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, "timed-shutdown-bench-go");
    Child child;
    child.start(exe, dir);
    WaitForInputIdle(child.process.hProcess, 1000);
    Sleep(kSettleMs); // it is waiting for the word by now
    const double start = nowMs();
    SetEvent(go);
    const double took = child.waitForExit() - start;
    CloseHandle(go);
    return took;
}

struct Pairs {
    std::vector<double> a, b, ratio;
    template <typename A, typename B> void run(int count, A measureA, B measureB) {
        for (int i = 0; i < count; ++i) {
            // Alternate which side goes first, so that neither always runs warmer.
            double x, y;
            if (i % 2 == 0) {
                x = measureA();
                y = measureB();
            } else {
                y = measureB();
                x = measureA();
            }
            a.push_back(x);
            b.push_back(y);
            ratio.push_back(x / y);
        }
    }
};

bool anyFailed(const std::vector<double> &runs) {
    return std::any_of(runs.begin(), runs.end(), [](double ms) { return ms < 0; });
}

} // namespace

void report(const char *measure, const Pairs &pairs) {
    printf("%s %.1f %.1f %.3f\n", measure, median(pairs.a), median(pairs.b), median(pairs.ratio));
}

int main(int argc, char **argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: bench PROGRAM FLOOR_WINDOW FLOOR_COMMANDS STAND_IN PAIRS\n");
        return 2;
    }
    const char *program = argv[1], *floorWindow = argv[2], *floorCommands = argv[3];
    const int pairs = atoi(argv[5]);
    // Every run works in a folder that holds the stand-in shutdown tool.
    CreateDirectoryA("bench-run", nullptr);
    CopyFileA(argv[4], "bench-run\\shutdown.exe", FALSE);
    const char *dir = "bench-run";

    Pairs launch, confirm;
    launch.run(
        pairs, [&] { return launchToVisible(program, dir); },
        [&] { return launchToVisible(floorWindow, dir); });
    confirm.run(
        pairs, [&] { return programConfirmToExit(program, dir); },
        [&] { return floorConfirmToExit(floorCommands, dir); });
    if (anyFailed(launch.a) || anyFailed(launch.b) || anyFailed(confirm.a)) {
        fprintf(stderr, "bench: a run failed to start, show its window or set its total\n");
        return 1;
    }
    report("launch", launch);
    report("confirm", confirm);
    return 0;
}
