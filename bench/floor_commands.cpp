// The floor for Confirm-to-exit: the same two command lines through two bare system() calls,
// run when the benchmark gives the word.
#include <stdlib.h>
#include <windows.h>

int main() {
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, "timed-shutdown-bench-go");
    WaitForSingleObject(go, INFINITE);
    system("shutdown -a");
    system("Shutdown -s -t 1");
    return 0;
}
