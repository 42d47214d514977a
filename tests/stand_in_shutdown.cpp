// Stands in for the shutdown tool: appends its command line to shutdown.log in its working
// directory, the program's, and fails the cancel as the real tool does when nothing is pending.
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main() {
    FILE *log = fopen("shutdown.log", "ab");
    fprintf(log, "%s\n", GetCommandLineA());
    fclose(log);
    return strstr(GetCommandLineA(), " -a") ? 1 : 0;
}
