// Measures the program against the least programs that do the same visible work and prints a
// Markdown table (measure | program | floor | ratio | goal): launch to visible window against the
// same window and controls, and for reference against a bare window, and Confirm to exit against
// the same two commands, each the median of rounds that run every program once; the file sizes;
// on Windows, the processor time and memory used while idle. Under Wine, whose GetProcessTimes
// reads 0 for every program, scripts/bench.sh takes those from /proc instead.
// Usage: bench.exe PROGRAM FLOOR_WINDOW BARE_WINDOW FLOOR_COMMANDS STAND_IN ROUNDS
//
// A Confirm runs the shutdown tool, so the programs must find only the stand-in: their PATH holds
// only its folder, bench-tool, and no run starts while any shutdown.* lies in bench-run, the folder
// they start in (Wine's cmd.exe searches it first). Every command must reach the stand-in.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

constexpr int kConfirm = 1, kSecondsBox = 15, kTotalBox = 11;
constexpr DWORD kSettleMs = 300, kShowLimitMs = 10000, kExitLimitMs = 30000;
constexpr char kGoEvent[] = "timed-shutdown-bench-go";
constexpr double kGoal = 1.1; // at most 10 % above the floor
constexpr double kMaxSize = 32768;
std::string runDir; // the full path of bench-run

[[noreturn]] void fail(const std::string &why) {
    throw std::runtime_error(why);
}

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

// A program started in bench-run with its output discarded; ended, if still running, when it
// goes out of scope.
struct Child {
    std::string exe;
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;

    explicit Child(const char *path) : exe(path) {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inheritable,
                                 OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = nul;
        std::string commandLine = '"' + exe + '"';
        const bool started = CreateProcessA(path, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                            nullptr, runDir.c_str(), &startup, &process);
        CloseHandle(nul);
        if (!started)
            fail("could not start " + exe);
    }
    ~Child() {
        TerminateProcess(process.hProcess, 1); // fails harmlessly once it has ended
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
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
        const double limit = nowMs() + kShowLimitMs;
        for (EnumWindows(find, LPARAM(this)); window == nullptr; EnumWindows(find, LPARAM(this))) {
            if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
                fail(exe + " ended without showing a window");
            if (nowMs() > limit)
                fail(exe + " showed no window within 10 s");
        }
    }
    double waitForExit() {
        if (WaitForSingleObject(process.hProcess, kExitLimitMs) != WAIT_OBJECT_0)
            fail(exe + " did not end within 30 s");
        return nowMs();
    }
};

double launchToVisible(const char *exe) {
    const double start = nowMs();
    Child child(exe);
    child.waitForWindow();
    const double shown = nowMs() - start;
    WaitForInputIdle(child.process.hProcess, kShowLimitMs);
    PostMessageA(child.window, WM_CLOSE, 0, 0);
    child.waitForExit();
    return shown;
}

double programConfirmToExit(const char *exe) {
    Child child(exe);
    child.waitForWindow();
    WaitForInputIdle(child.process.hProcess, kShowLimitMs);
    SendMessageA(GetDlgItem(child.window, kSecondsBox), WM_SETTEXT, 0, LPARAM("1"));
    char total[16] = {};
    SendMessageA(GetDlgItem(child.window, kTotalBox), WM_GETTEXT, sizeof total, LPARAM(total));
    if (std::string(total) != "1")
        fail(child.exe + " shows a total of \"" + total + "\" for one second");
    Sleep(kSettleMs); // as long as the floor's, so that neither overlaps its own start-up
    const double start = nowMs();
    PostMessageA(child.window, WM_COMMAND, MAKEWPARAM(kConfirm, BN_CLICKED),
                 LPARAM(GetDlgItem(child.window, kConfirm)));
    return child.waitForExit() - start;
}

double floorConfirmToExit(const char *exe) {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, kGoEvent);
    Child child(exe);
    Sleep(kSettleMs); // it is waiting for the word by now
    const double start = nowMs();
    SetEvent(go);
    const double took = child.waitForExit() - start;
    CloseHandle(go);
    return took;
}

// Runs each measure once a round, in an order that turns round by round, so that none always
// runs warmer; returns each measure's times.
std::vector<std::vector<double>> rounds(int count,
                                        const std::vector<std::function<double()>> &measures) {
    std::vector<std::vector<double>> ms(measures.size());
    for (int round = 0; round < count; ++round)
        for (size_t i = 0; i < measures.size(); ++i) {
            const size_t which = (round + i) % measures.size();
            ms[which].push_back(measures[which]());
        }
    return ms;
}

// A row: the medians and the median of the ratios within each round; with a goal, whether the
// ratio meets it. Each round's times go to bench-rounds.txt, for a closer look.
void row(const std::string &measure, const std::vector<double> &program,
         const std::vector<double> &floor, double goal) {
    std::vector<double> ratios;
    FILE *rounds = fopen("bench-rounds.txt", "a");
    fprintf(rounds, "%s\t", measure.c_str());
    for (size_t i = 0; i < program.size(); ++i) {
        ratios.push_back(program[i] / floor[i]);
        fprintf(rounds, " %.4f/%.4f", program[i], floor[i]);
    }
    fprintf(rounds, "\n");
    fclose(rounds);
    const double ratio = median(ratios);
    printf("| %s | %.1f ms | %.1f ms | %.3f |", measure.c_str(), median(program), median(floor),
           ratio);
    if (goal > 0)
        printf(" <= %.2g | %s |\n", goal, ratio <= goal ? "met" : "MISSED");
    else
        printf(" | |\n");
}

double cpuMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(process, &created, &ended, &kernel, &user);
    const auto ms = [](FILETIME t) {
        return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4; // 100 ns units
    };
    return ms(kernel) + ms(user);
}

// The processor time a program uses in 2 s once its window has shown and settled, and its
// working set then.
std::pair<double, double> idle(const char *exe) {
    Child child(exe);
    child.waitForWindow();
    WaitForInputIdle(child.process.hProcess, kShowLimitMs);
    Sleep(500);
    const double before = cpuMs(child.process.hProcess);
    Sleep(2000);
    PROCESS_MEMORY_COUNTERS memory = {};
    GetProcessMemoryInfo(child.process.hProcess, &memory, sizeof memory);
    const double used = cpuMs(child.process.hProcess) - before;
    PostMessageA(child.window, WM_CLOSE, 0, 0);
    child.waitForExit();
    return {used, double(memory.WorkingSetSize) / 1024};
}

double fileSize(const char *path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return double(uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

// A function of ntdll, or null where it has none.
template <typename Function> Function ntdll(const char *name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// Wine's version, or null on Windows itself.
const char *wineVersion() {
    const auto version = ntdll<const char *(CDECL *)()>("wine_get_version");
    return version ? version() : nullptr;
}

// Where the figures come from: the date, the processor, and the version of Windows or Wine.
void title() {
    SYSTEMTIME today;
    GetSystemTime(&today);
    SYSTEM_INFO system;
    GetNativeSystemInfo(&system);
    char processor[128] = "?";
    DWORD size = sizeof processor;
    RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                 "ProcessorNameString", RRF_RT_REG_SZ, nullptr, processor, &size);
    RTL_OSVERSIONINFOW windows = {sizeof windows, 0, 0, 0, 0, {}};
    ntdll<LONG(WINAPI *)(RTL_OSVERSIONINFOW *)>("RtlGetVersion")(&windows);
    printf("timed-shutdown benchmark, %04u-%02u-%02u, %lu cores, %s, ", today.wYear, today.wMonth,
           today.wDay, system.dwNumberOfProcessors, processor);
    if (wineVersion())
        printf("wine-%s\n\n", wineVersion());
    else
        printf("Windows %lu.%lu.%lu\n\n", windows.dwMajorVersion, windows.dwMinorVersion,
               windows.dwBuildNumber);
}

// Puts the stand-in alone on PATH and makes sure that nothing in bench-run can answer first.
void isolate(const char *standIn) {
    char full[MAX_PATH];
    CreateDirectoryA("bench-run", nullptr);
    CreateDirectoryA("bench-tool", nullptr);
    GetFullPathNameA("bench-run", MAX_PATH, full, nullptr);
    runDir = full;
    DeleteFileA((runDir + "\\shutdown.log").c_str());
    WIN32_FIND_DATAA found;
    if (FindFirstFileA((runDir + "\\shutdown.*").c_str(), &found) != INVALID_HANDLE_VALUE)
        fail(std::string("not started: ") + found.cFileName + " lies in " + runDir +
             ", where a command could find it before the stand-in");
    GetFullPathNameA("bench-tool", MAX_PATH, full, nullptr);
    if (!CopyFileA(standIn, (std::string(full) + "\\shutdown.exe").c_str(), FALSE))
        fail(std::string("could not copy the stand-in ") + standIn);
    SetEnvironmentVariableA("PATH", full); // the programs inherit it
}

// Every command reached the stand-in, none found in the start folder (it would mark its line).
void checkCommands(int expected) {
    FILE *log = fopen((runDir + "\\shutdown.log").c_str(), "rb");
    char line[256];
    int count = 0;
    for (; log && fgets(line, sizeof line, log); ++count)
        if (strcmp(line, "shutdown -a\n") != 0 && strcmp(line, "Shutdown -s -t 1\n") != 0)
            fail(std::string("the stand-in logged ") + line);
    if (log)
        fclose(log);
    if (count != expected)
        fail("the stand-in answered " + std::to_string(count) + " of " + std::to_string(expected) +
             " commands");
}

} // namespace

int main(int argc, char **argv) {
    const int count = argc == 7 ? atoi(argv[6]) : 0;
    if (count < 1) {
        fprintf(stderr, "usage: bench PROGRAM FLOOR_WINDOW BARE_WINDOW FLOOR_COMMANDS STAND_IN "
                        "ROUNDS\n");
        return 2;
    }
    const char *program = argv[1], *floorWindow = argv[2], *bareWindow = argv[3],
               *floorCommands = argv[4];
    try {
        isolate(argv[5]);
        remove("bench-rounds.txt");
        const auto launch = rounds(count, {[&] { return launchToVisible(program); },
                                           [&] { return launchToVisible(floorWindow); },
                                           [&] { return launchToVisible(bareWindow); }});
        const auto confirm = rounds(count, {[&] { return programConfirmToExit(program); },
                                            [&] { return floorConfirmToExit(floorCommands); }});
        checkCommands(4 * count); // two commands from each side of each round
        const std::string medians = ", median of " + std::to_string(count) + " rounds";
        title();
        printf(
            "| measure | timed-shutdown | floor | ratio | goal | |\n|---|---|---|---|---|---|\n");
        row("launch to visible window" + medians, launch[0], launch[1], kGoal);
        row("the same, against a bare window (reference)", launch[0], launch[2], 0);
        row("Confirm to exit" + medians, confirm[0], confirm[1], kGoal);
        const double size = fileSize(program);
        printf("| executable size with its icon | %.0f B | %.0f B | | <= %.0f B | %s |\n", size,
               fileSize(floorWindow), kMaxSize, size <= kMaxSize ? "met" : "MISSED");
        if (!wineVersion()) {
            const auto mine = idle(program), floor = idle(floorWindow);
            printf(
                "| CPU used in 2 s idle after the window shows | %.1f ms | %.1f ms | | 0 | %s |\n",
                mine.first, floor.first, mine.first < 0.05 ? "met" : "MISSED");
            printf("| working set when idle | %.0f KiB | %.0f KiB | %.2f | | |\n", mine.second,
                   floor.second, mine.second / floor.second);
        }
    } catch (const std::exception &e) {
        fprintf(stderr, "bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
