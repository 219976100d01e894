#include "tests/doubles/win32_script.h"

#include <algorithm>

#include "tests/doubles/test_support.h"

std::vector<std::string> win32Calls;
std::vector<MessageBoxRecord> messageBoxes;
std::deque<int> messageBoxAnswers;
std::set<std::string> win32Failing;
DWORD win32Tick = 0;
DWORD win32TickStep = 0;
std::deque<MSG> win32Queue;
std::vector<DEVMODEA> displayModeRequests;
std::vector<DWORD> displayModeFlags;
std::vector<PIXELFORMATDESCRIPTOR> pixelFormatRequests;
WNDCLASSA registeredClass;
int swapCount = 0;
LRESULT defWindowProcResult = 0;
std::vector<CreateWindowRecord> createdWindows;
AdjustRecord adjustedRect;
int pixelFormatSet = 0;
std::vector<HWND> messageBoxOwners;
std::function<void(int)> win32OnIdle;
int win32IdleCount = 0;

namespace {
unsigned char fakeObjects[16];
template <typename H> H Fake(int i) {
    return reinterpret_cast<H>(&fakeObjects[i]);
}

bool Call(const char *name) {
    win32Calls.push_back(name);
    return win32Failing.count(name) == 0;
}
} // namespace

void Win32ScriptReset() {
    ClearAll(win32Calls, messageBoxes, messageBoxAnswers, win32Failing, win32Tick, win32TickStep,
             win32Queue, displayModeRequests, displayModeFlags, pixelFormatRequests,
             registeredClass, swapCount, defWindowProcResult, createdWindows, adjustedRect,
             pixelFormatSet, messageBoxOwners, win32OnIdle, win32IdleCount);
}

void Win32Post(UINT message, WPARAM wParam, LPARAM lParam) {
    win32Queue.push_back(MSG{Fake<HWND>(3), message, wParam, lParam, 0, {}});
}

size_t Win32CallCount(const std::string &name) {
    return std::count(win32Calls.begin(), win32Calls.end(), name);
}

int Win32CallIndex(const std::string &name) {
    auto it = std::find(win32Calls.begin(), win32Calls.end(), name);
    return it == win32Calls.end() ? -1 : static_cast<int>(it - win32Calls.begin());
}

// A stand-in that records its name and answers `ok`, or `failed` when the test names it.
#define SCRIPTED(type, name, parameters, ok, failed)                                               \
    type WINAPI name parameters {                                                                  \
        return Call(#name) ? ok : failed;                                                          \
    }
SCRIPTED(HMODULE, GetModuleHandleA, (LPCSTR), Fake<HMODULE>(0), Fake<HMODULE>(0))
SCRIPTED(HICON, LoadIconA, (HINSTANCE, LPCSTR), Fake<HICON>(1), Fake<HICON>(1))
SCRIPTED(HCURSOR, LoadCursorA, (HINSTANCE, LPCSTR), Fake<HCURSOR>(2), Fake<HCURSOR>(2))
SCRIPTED(BOOL, UnregisterClassA, (LPCSTR, HINSTANCE), TRUE, FALSE)
SCRIPTED(BOOL, DestroyWindow, (HWND), TRUE, FALSE)
SCRIPTED(BOOL, ShowWindow, (HWND, int), TRUE, FALSE)
SCRIPTED(BOOL, SetForegroundWindow, (HWND), TRUE, FALSE)
SCRIPTED(HDC, GetDC, (HWND), Fake<HDC>(4), nullptr)
SCRIPTED(int, ReleaseDC, (HWND, HDC), 1, 0)
SCRIPTED(HGLRC, wglCreateContext, (HDC), Fake<HGLRC>(5), nullptr)
SCRIPTED(BOOL, wglDeleteContext, (HGLRC), TRUE, FALSE)

DWORD WINAPI GetTickCount() {
    DWORD t = win32Tick;
    win32Tick += win32TickStep;
    return t;
}

void WINAPI ExitProcess(UINT exitCode) {
    win32Calls.push_back("ExitProcess");
    throw ProcessExit{exitCode};
}

ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass) {
    if (!Call("RegisterClassA"))
        return 0;
    registeredClass = *windowClass;
    return 0xC001;
}

BOOL WINAPI AdjustWindowRectEx(RECT *rect, DWORD style, BOOL, DWORD) {
    Call("AdjustWindowRectEx");
    adjustedRect = {*rect};
    if (!(style & WS_POPUP)) // a plausible frame and caption
        *rect = {rect->left - 3, rect->top - 22, rect->right + 3, rect->bottom + 3};
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int, int,
                            int width, int height, HWND, HMENU, HINSTANCE, void *) {
    createdWindows.push_back(
        {exStyle, className ? className : "", title ? title : "", style, width, height});
    return Call("CreateWindowExA") ? Fake<HWND>(3) : nullptr;
}

HWND WINAPI SetFocus(HWND w) {
    return Call("SetFocus") ? w : nullptr;
}
int WINAPI ShowCursor(BOOL show) {
    win32Calls.push_back(show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)");
    return show ? 0 : -1;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    win32Calls.push_back("MessageBoxA");
    messageBoxOwners.push_back(owner);
    messageBoxes.push_back({text ? text : "", caption ? caption : "", type});
    if (messageBoxAnswers.empty())
        return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
    const int answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return answer;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *mode, DWORD flags) {
    displayModeRequests.push_back(mode ? *mode : DEVMODEA{});
    displayModeFlags.push_back(flags);
    return Call("ChangeDisplaySettingsA") ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
}

BOOL WINAPI PeekMessageA(MSG *msg, HWND, UINT, UINT, UINT remove) {
    if (win32Queue.empty()) {
        ++win32IdleCount;
        if (win32OnIdle)
            win32OnIdle(win32IdleCount);
        if (win32Queue.empty() && win32IdleCount > 1000)
            win32Queue.push_back(MSG{nullptr, WM_QUIT, RUNAWAY_LOOP, 0, 0, {}});
        if (win32Queue.empty())
            return FALSE;
    }
    *msg = win32Queue.front();
    if (remove & PM_REMOVE)
        win32Queue.pop_front();
    return TRUE;
}

BOOL WINAPI TranslateMessage(const MSG *) {
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    const WNDPROC proc = registeredClass.lpfnWndProc;
    return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    win32Calls.push_back("DefWindowProcA");
    return defWindowProcResult;
}

void WINAPI PostQuitMessage(int exitCode) {
    win32Calls.push_back("PostQuitMessage");
    win32Queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {}});
}

int WINAPI ChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR *pfd) {
    pixelFormatRequests.push_back(*pfd);
    return Call("ChoosePixelFormat") ? 1 : 0;
}

BOOL WINAPI SetPixelFormat(HDC, int format, const PIXELFORMATDESCRIPTOR *) {
    pixelFormatSet = format;
    return Call("SetPixelFormat");
}

BOOL WINAPI SwapBuffers(HDC) {
    ++swapCount;
    return Call("SwapBuffers");
}

BOOL WINAPI wglMakeCurrent(HDC, HGLRC rc) {
    return Call(rc ? "wglMakeCurrent" : "wglMakeCurrent(null)");
}
