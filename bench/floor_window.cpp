// The floor for the program's launch-to-visible time: the work it must do before its window
// shows, and no more. The same window with the same eleven controls, the common controls
// initialised; no labels, handlers or countdown.
#include <windows.h>

#include <commctrl.h>

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND Child(HWND parent, const char *kind, const char *text, DWORD style, int x, int y,
                  int width, int height, int id) {
    return CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           parent, HMENU(INT_PTR(id)), nullptr, nullptr);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = HBRUSH(INT_PTR(COLOR_INACTIVECAPTION + 1));
    windowClass.lpszClassName = "Floor";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(
        0, "Floor", "Floor", WS_SYSMENU, (GetSystemMetrics(SM_CXSCREEN) - 300) >> 1,
        (GetSystemMetrics(SM_CYSCREEN) - 100) >> 1, 300, 100, nullptr, nullptr, instance, nullptr);
    const INITCOMMONCONTROLSEX commonControls = {sizeof commonControls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&commonControls);
    Child(window, "BUTTON", "OK", BS_DEFPUSHBUTTON, 200, 50, 40, 20, 1);
    Child(window, "BUTTON", "Cancel", BS_DEFPUSHBUTTON, 250, 50, 40, 20, 2);
    HWND total = Child(window, "EDIT", "0", ES_CENTER, 110, 50, 70, 20, 11);
    for (int k = 0; k < 4; ++k) {
        Child(window, "EDIT", "0", ES_CENTER, 50 + 60 * k, 10, 35, 20, 12 + k);
        HWND spinner =
            Child(window, UPDOWN_CLASSA, nullptr,
                  UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_HOTTRACK,
                  0, 0, 0, 0, 21 + k);
        SendMessageA(spinner, UDM_SETRANGE, 0, MAKELPARAM(0, 59));
    }
    EnableWindow(total, FALSE);
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
