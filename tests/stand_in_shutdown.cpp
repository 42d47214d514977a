// Stands in for the shutdown tool: appends its command line to shutdown.log in its working folder,
// marked when it ran without the variable that keeps cmd.exe out of that folder or was found in it;
// it fails the cancel as the real tool does when nothing is pending.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main() {
    char self[MAX_PATH], here[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    *strrchr(self, '\\') = '\0';
    GetCurrentDirectoryA(MAX_PATH, here);
    FILE *log = fopen("shutdown.log", "ab");
    fprintf(log, "%s%s%s\n",
            getenv("NoDefaultCurrentDirectoryInExePath") ? "" : "(current folder searched) ",
            lstrcmpiA(self, here) == 0 ? "(found in the current folder) " : "", GetCommandLineA());
    fclose(log);
    return strstr(GetCommandLineA(), " -a") ? 1 : 0;
}
