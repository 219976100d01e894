// The scripted window layer: a call log, scripted failures and answers, a queue and a tick.
#include "tests/doubles/win32_script.h"

#include <algorithm>

#include "tests/doubles/test_support.h"

std::vector<std::string> win32Calls;
std::vector<MessageBoxRecord> messageBoxes;
std::deque<int> messageBoxAnswers;
std::set<std::string> win32Failing;
DWORD win32Tick = 0;
std::deque<MSG> win32Queue;
std::function<void(int)> win32OnIdle;
int win32IdleCount = 0;

namespace {
WNDPROC windowProc = nullptr; // of the class registered last
unsigned char fakeObjects[16];
template <typename H> H Fake(int i) {
    return reinterpret_cast<H>(&fakeObjects[i]);
}

bool Call(const std::string &name) {
    win32Calls.push_back(name);
    return win32Failing.count(name) == 0;
}
} // namespace

void Win32ScriptReset() {
    ClearAll(win32Calls, messageBoxes, messageBoxAnswers, win32Failing, win32Tick, win32Queue,
             win32OnIdle, win32IdleCount, windowProc);
}

void Win32Post(UINT message, WPARAM wParam, LPARAM lParam) {
    win32Queue.push_back(MSG{Fake<HWND>(3), message, wParam, lParam, 0, {}});
}

size_t Win32CallCount(const std::string &name) {
    return std::count(win32Calls.begin(), win32Calls.end(), name);
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
SCRIPTED(BOOL, AdjustWindowRectEx, (RECT *, DWORD, BOOL, DWORD), TRUE, FALSE)
SCRIPTED(HWND, CreateWindowExA,
         (DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, void *),
         Fake<HWND>(3), nullptr)
SCRIPTED(BOOL, DestroyWindow, (HWND), TRUE, FALSE)
SCRIPTED(BOOL, ShowWindow, (HWND, int), TRUE, FALSE)
SCRIPTED(BOOL, SetForegroundWindow, (HWND), TRUE, FALSE)
SCRIPTED(HWND, SetFocus, (HWND w), w, nullptr)
SCRIPTED(HDC, GetDC, (HWND), Fake<HDC>(4), nullptr)
SCRIPTED(int, ReleaseDC, (HWND, HDC), 1, 0)
SCRIPTED(BOOL, SwapBuffers, (HDC), TRUE, FALSE)
SCRIPTED(int, ChoosePixelFormat, (HDC, const PIXELFORMATDESCRIPTOR *), 1, 0)
SCRIPTED(BOOL, SetPixelFormat, (HDC, int, const PIXELFORMATDESCRIPTOR *), TRUE, FALSE)
SCRIPTED(HGLRC, wglCreateContext, (HDC), Fake<HGLRC>(5), nullptr)
SCRIPTED(BOOL, wglDeleteContext, (HGLRC), TRUE, FALSE)
SCRIPTED(LRESULT, DefWindowProcA, (HWND, UINT, WPARAM, LPARAM), DEFAULT_HANDLING, DEFAULT_HANDLING)

BOOL WINAPI wglMakeCurrent(HDC, HGLRC rc) {
    return Call(rc ? "wglMakeCurrent" : "wglMakeCurrent(null)");
}
LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *mode, DWORD) {
    return Call(mode ? "ChangeDisplaySettingsA" : "ChangeDisplaySettingsA(null)")
               ? DISP_CHANGE_SUCCESSFUL
               : DISP_CHANGE_BADMODE;
}
int WINAPI ShowCursor(BOOL show) {
    Call(show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)");
    return show ? 0 : -1;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass) {
    if (!Call("RegisterClassA"))
        return 0;
    windowProc = windowClass->lpfnWndProc;
    return 0xC001;
}

DWORD WINAPI GetTickCount() {
    return win32Tick;
}

void WINAPI ExitProcess(UINT exitCode) {
    Call("ExitProcess");
    throw ProcessExit{exitCode};
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    Call("MessageBoxA");
    messageBoxes.push_back({text ? text : "", caption ? caption : "", type});
    if (messageBoxAnswers.empty())
        return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
    const int answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return answer;
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
    return windowProc ? windowProc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

void WINAPI PostQuitMessage(int exitCode) {
    Call("PostQuitMessage");
    win32Queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {}});
}
