// The floor for Confirm-to-exit: the same two command lines through two bare system() calls, with
// the same variable set, run when the benchmark gives the word (within 30 s). A GUI program like
// the one it stands for, so that each command opens a console of its own as it does there.
#include <stdlib.h>
#include <windows.h>

int main() {
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, "timed-shutdown-bench-go");
    if (go == nullptr || WaitForSingleObject(go, 30000) != WAIT_OBJECT_0)
        return 1;
    _putenv("NoDefaultCurrentDirectoryInExePath=1");
    system("shutdown -a");
    system("Shutdown -s -t 1");
    return 0;
}
