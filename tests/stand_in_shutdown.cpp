// Stands in for the shutdown tool: appends its command line to shutdown.log in its working
// directory, the program's, marking a command that ran without the variable that keeps cmd.exe
// out of the current folder; fails the cancel as the real tool does when nothing is pending.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main() {
    FILE *log = fopen("shutdown.log", "ab");
    const bool searchedHere = getenv("NoDefaultCurrentDirectoryInExePath") == nullptr;
    fprintf(log, "%s%s\n", searchedHere ? "(current folder searched) " : "", GetCommandLineA());
    fclose(log);
    return strstr(GetCommandLineA(), " -a") ? 1 : 0;
}
