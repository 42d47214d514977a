// Stands in for the shutdown tool: appends its command's words, one blank apart (Windows' cmd.exe
// hands it "shutdown  -a", Wine's "shutdown -a"), to shutdown.log in its working folder, marked
// when it ran without the variable that keeps cmd.exe out of that folder or was found in it; it
// fails the cancel as the real tool does when nothing is pending.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main() {
    char self[MAX_PATH], here[MAX_PATH], line[1024], words[1024] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    *strrchr(self, '\\') = '\0';
    GetCurrentDirectoryA(MAX_PATH, here);
    lstrcpynA(line, GetCommandLineA(), sizeof line);
    for (char *word = strtok(line, " \t"); word; word = strtok(nullptr, " \t"))
        strcat(strcat(words, *words ? " " : ""), word);
    FILE *log = fopen("shutdown.log", "ab");
    fprintf(log, "%s%s%s\n",
            getenv("NoDefaultCurrentDirectoryInExePath") ? "" : "(current folder searched) ",
            lstrcmpiA(self, here) == 0 ? "(found in the current folder) " : "", words);
    fclose(log);
    return strstr(words, " -a") ? 1 : 0;
}
