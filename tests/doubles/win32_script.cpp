// The scripted window layer: a call log, scripted failures and answers, a queue and a tick.
#include "tests/doubles/test_support.h"

#include <algorithm>

std::vector<std::string> win32Calls;
std::string messageBoxes;
int messageBoxAnswer = 0;
std::set<std::string> win32Failing;
DWORD win32Tick = 0;
std::deque<MSG> win32Queue;
std::function<void(int)> win32OnIdle;

static int idleCount = 0;
static WNDPROC windowProc = nullptr; // of the class registered last
static unsigned char fakeObjects[16];
#define FAKE(type, i) reinterpret_cast<type>(&fakeObjects[i])

static bool Call(const std::string &name) {
    win32Calls.push_back(name);
    return win32Failing.count(name) == 0;
}

void Win32ScriptReset() {
    ClearAll(win32Calls, messageBoxes, messageBoxAnswer, win32Failing, win32Tick, win32Queue,
             win32OnIdle, idleCount, windowProc);
}

void Win32Post(UINT message, WPARAM wParam, LPARAM lParam) {
    win32Queue.push_back(MSG{FAKE(HWND, 3), message, wParam, lParam, 0, {}});
}

size_t Win32CallCount(const std::string &name) {
    return std::count(win32Calls.begin(), win32Calls.end(), name);
}

// A stand-in that records its name and answers `ok`, or `failed` when the test names it.
#define SCRIPTED(type, name, parameters, ok, failed)                                               \
    type WINAPI name parameters {                                                                  \
        return Call(#name) ? ok : failed;                                                          \
    }
SCRIPTED(HMODULE, GetModuleHandleA, (LPCSTR), nullptr, nullptr)
SCRIPTED(HICON, LoadIconA, (HINSTANCE, LPCSTR), nullptr, nullptr)
SCRIPTED(HCURSOR, LoadCursorA, (HINSTANCE, LPCSTR), nullptr, nullptr)
SCRIPTED(BOOL, UnregisterClassA, (LPCSTR, HINSTANCE), TRUE, FALSE)
SCRIPTED(BOOL, AdjustWindowRectEx, (RECT *, DWORD, BOOL, DWORD), TRUE, FALSE)
SCRIPTED(HWND, CreateWindowExA,
         (DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, void *),
         FAKE(HWND, 3), nullptr)
SCRIPTED(BOOL, DestroyWindow, (HWND), TRUE, FALSE)
SCRIPTED(BOOL, ShowWindow, (HWND, int), TRUE, FALSE)
SCRIPTED(BOOL, SetForegroundWindow, (HWND), TRUE, FALSE)
SCRIPTED(HWND, SetFocus, (HWND w), w, nullptr)
SCRIPTED(HDC, GetDC, (HWND), FAKE(HDC, 4), nullptr)
SCRIPTED(int, ReleaseDC, (HWND, HDC), 1, 0)
SCRIPTED(BOOL, SwapBuffers, (HDC), TRUE, FALSE)
SCRIPTED(int, ChoosePixelFormat, (HDC, const PIXELFORMATDESCRIPTOR *), 1, 0)
SCRIPTED(BOOL, SetPixelFormat, (HDC, int, const PIXELFORMATDESCRIPTOR *), TRUE, FALSE)
SCRIPTED(HGLRC, wglCreateContext, (HDC), FAKE(HGLRC, 5), nullptr)
SCRIPTED(BOOL, wglDeleteContext, (HGLRC), TRUE, FALSE)
SCRIPTED(BOOL, TranslateMessage, (const MSG *), FALSE, FALSE)
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
    return Call(show ? "ShowCursor(TRUE)" : "ShowCursor(FALSE)") && show ? 0 : -1;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass) {
    windowProc = windowClass->lpfnWndProc;
    return Call("RegisterClassA") ? 0xC001 : 0;
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
    messageBoxes += std::string(caption) + "|" + text + "|" + std::to_string(type) + "\n";
    return messageBoxAnswer;
}

BOOL WINAPI PeekMessageA(MSG *msg, HWND, UINT, UINT, UINT) {
    if (win32Queue.empty() && ++idleCount > 1000) // a loop that never ends
        PostQuitMessage(0xDEAD);
    if (win32Queue.empty() && win32OnIdle)
        win32OnIdle(idleCount);
    if (win32Queue.empty())
        return FALSE;
    *msg = win32Queue.front();
    win32Queue.pop_front();
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    return windowProc ? windowProc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

void WINAPI PostQuitMessage(int exitCode) {
    Call("PostQuitMessage");
    win32Queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {}});
}
