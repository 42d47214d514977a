// Stands in for the platform's shutdown tool: appends its command line to shutdown.log
// beside itself, and fails the cancel as the real tool does when nothing is pending.
#include <string.h>
#include <windows.h>

int main() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\')
        --length;
    strcpy(path + length, "shutdown.log");
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const char *line = GetCommandLineA();
    DWORD written;
    WriteFile(log, line, DWORD(strlen(line)), &written, nullptr);
    WriteFile(log, "\n", 1, &written, nullptr);
    CloseHandle(log);
    return strstr(line, " -a") ? 1 : 0;
}
