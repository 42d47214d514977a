// The window: creates the controls, paints the labels, and turns control events into changes
// of the countdown and into shutdown requests. Every text is GBK bytes for the ANSI calls.
#include <windows.h>

#include <commctrl.h>

#include "model/countdown.h"
#include "model/shutdown.h"

HINSTANCE hAppInstance;
HWND INP;                // the total-seconds box
HWND UD1, UD2, UD3, UD4; // the spinners of days, hours, minutes, seconds

namespace {

enum ControlId : int {
    kConfirm = 1,
    kCancel = 2,
    kTotalBox = 11,
    kDaysBox = 12,
    kHoursBox = 13,
    kMinutesBox = 14,
    kSecondsBox = 15,
    kDaysSpinner = 21,
    kHoursSpinner = 22,
    kMinutesSpinner = 23,
    kSecondsSpinner = 24,
};

constexpr char kClassName[] = "My First Window";
constexpr char kTitle[] = "\xB6\xA8\xCA\xB1\xB9\xD8\xBB\xFA";
constexpr char kConfirmText[] = "\xC8\xB7\xC8\xCF";
constexpr char kCancelText[] = "\xC8\xA1\xCF\xFB";
constexpr int kWindowWidth = 300;
constexpr int kWindowHeight = 100;
constexpr int kBoxWidth = 35;
constexpr int kRowHeight = 20;
constexpr int kFieldRowY = 10;

constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
constexpr DWORD kBoxStyle = WS_CHILD | WS_VISIBLE | ES_CENTER;
constexpr DWORD kSpinnerStyle = WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT |
                                UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_HOTTRACK;

struct FieldControls {
    Field field;
    int box;
    int spinner;
    HWND *spinnerHandle;
    int x;
    const char *initialText;
};

// The days box starts showing "1" although the record starts at 0 days.
const FieldControls kFieldControls[] = {
    {Field::Days, kDaysBox, kDaysSpinner, &UD1, 50, "1"},
    {Field::Hours, kHoursBox, kHoursSpinner, &UD2, 110, "0"},
    {Field::Minutes, kMinutesBox, kMinutesSpinner, &UD3, 170, "0"},
    {Field::Seconds, kSecondsBox, kSecondsSpinner, &UD4, 230, "0"},
};

struct Label {
    int x;
    int y;
    const char *text;
    int length;
};

#define LABEL(x, y, text)                                                                          \
    { x, y, text, sizeof text - 1 }
const Label kLabels[] = {
    LABEL(25, 12, "\xB5\xB9\xBC\xC6\xCA\xB1"),                 // countdown
    LABEL(100, 12, "\xCC\xEC"),                                // day
    LABEL(160, 12, "\xCA\xB1"),                                // hour
    LABEL(220, 12, "\xB7\xD6"),                                // minute
    LABEL(280, 12, "\xC3\xEB"),                                // second
    LABEL(50, 50, "\xBB\xBB\xCB\xE3\xB3\xC9\xC3\xEB\xA3\xBA"), // converted to seconds
};
#undef LABEL

HMENU controlId(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

const FieldControls *fieldOfBox(int id) {
    for (const FieldControls &f : kFieldControls)
        if (f.box == id)
            return &f;
    return nullptr;
}

const FieldControls *fieldOfSpinner(UINT_PTR id) {
    for (const FieldControls &f : kFieldControls)
        if (UINT_PTR(f.spinner) == id)
            return &f;
    return nullptr;
}

HWND CreateChild(HWND parent, const char *className, const char *text, DWORD style, int x, int y,
                 int width, int height, int id) {
    return CreateWindowExA(0, className, text, style, x, y, width, height, parent, controlId(id),
                           hAppInstance, nullptr);
}

} // namespace

void CreateButton(HWND parent) {
    CreateChild(parent, "BUTTON", kConfirmText, kButtonStyle, 200, 50, 40, kRowHeight, kConfirm);
    CreateChild(parent, "button", kCancelText, kButtonStyle, 250, 50, 40, kRowHeight, kCancel);
}

void CreateInput(HWND parent) {
    INP = CreateChild(parent, "edit", "", kBoxStyle, 110, 50, 70, kRowHeight, kTotalBox);
    for (const FieldControls &f : kFieldControls) {
        CreateChild(parent, "edit", f.initialText, kBoxStyle, f.x, kFieldRowY, kBoxWidth,
                    kRowHeight, f.box);
        // The spinner takes the window created just before it, this field's box, as its
        // buddy, and sets itself against the box's right edge whatever size it is given.
        *f.spinnerHandle =
            CreateChild(parent, UPDOWN_CLASSA, nullptr, kSpinnerStyle, 0, 0, 0, 0, f.spinner);
    }
}

void CreateText(HDC deviceContext) {
    for (const Label &label : kLabels)
        TextOutA(deviceContext, label.x, label.y, label.text, label.length);
}

void updateInput(HWND edit) {
    char text[12]; // any 32-bit value with its sign and terminator
    _itoa(timeToSecond(countdown::time), text, 10);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void checkInput(HWND window, int id, int limit) {
    const FieldControls *f = fieldOfBox(id);
    // Read unsigned, kept as 32 bits: text from 2147483648 to 4294967295 comes in negative, and
    // the entry rule takes that as above the limit.
    const int32_t value = static_cast<int32_t>(GetDlgItemInt(window, id, nullptr, FALSE));
    if (enterField(f->field, value))
        PostMessageA(*f->spinnerHandle, UDM_SETPOS32, 0, limit);
    updateInput(INP);
}

void callUpDown(UINT_PTR id, const NMUPDOWN *notification) {
    const FieldControls *f = fieldOfSpinner(id);
    if (f == nullptr)
        return;
    const int value = stepField(f->field, notification->iDelta);
    // Posted, not sent: the spinner first applies its own proposed change, and this stepped
    // value arrives after it, so it is the one that stays.
    PostMessageA(*f->spinnerHandle, UDM_SETPOS32, 0, value);
}

namespace {

void Confirm(HWND window) {
    // What is scheduled is what the total box shows.
    second = static_cast<int32_t>(GetDlgItemInt(window, kTotalBox, nullptr, FALSE));
    if (second < kMinDelay || second > kMaxDelay)
        return;
    shutDown();
    PostQuitMessage(0);
}

void Cancel() {
    unShutDown();
    PostQuitMessage(0);
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == EN_CHANGE)
        if (const FieldControls *f = fieldOfBox(id))
            checkInput(window, id, fieldLimit(f->field));
    // The buttons act whatever their notification code.
    if (id == kConfirm)
        Confirm(window);
    else if (id == kCancel)
        Cancel();
    return 0;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC deviceContext = BeginPaint(window, &paint);
    SetTextAlign(deviceContext, GetTextAlign(deviceContext) | TA_CENTER);
    CreateText(deviceContext);
    EndPaint(window, &paint);
    return 0;
}

} // namespace

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: return OnPaint(window);
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_COMMAND: return OnCommand(window, wParam);
    case WM_NOTIFY:
        // Only a delta-position notification carries an NMUPDOWN record. Default handling
        // then returns 0, which lets the spinner apply its own change too.
        if (reinterpret_cast<const NMHDR *>(lParam)->code == UINT(UDN_DELTAPOS))
            callUpDown(wParam, reinterpret_cast<const NMUPDOWN *>(lParam));
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    setupTime();
    hAppInstance = instance;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground =
        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INACTIVECAPTION + 1));
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);

    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    HWND window =
        CreateWindowExA(0, kClassName, kTitle, WS_SYSMENU, (screenWidth - kWindowWidth) >> 1,
                        (screenHeight - kWindowHeight) >> 1, kWindowWidth, kWindowHeight, nullptr,
                        nullptr, instance, nullptr);
    if (window == nullptr)
        return 0;

    // The spinner class lives in the common controls, which must be ready before it is used.
    const INITCOMMONCONTROLSEX commonControls = {sizeof commonControls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&commonControls);
    CreateButton(window);
    CreateInput(window);
    SetDlgItemInt(window, kTotalBox, UINT(timeToSecond(countdown::time)), FALSE);
    // Each spinner runs from its field's limit down to 0, so its up arrow proposes a negative
    // change, which the step rule turns into +1.
    for (const FieldControls &f : kFieldControls)
        SendMessageA(*f.spinnerHandle, UDM_SETRANGE, 0, MAKELPARAM(0, fieldLimit(f.field)));
    EnableWindow(INP, FALSE);
    ShowWindow(window, SW_SHOW);

    MSG message;
    // GetMessage gives -1 on failure; a loop waiting only for 0 would then spin for ever.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
