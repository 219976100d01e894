// A window-system backend that does nothing: no display, no windows, no
// messages. It is the template for a port: a backend provides every call below,
// with the meaning the game relies on:
//   kernel      GetModuleHandleA (null: the program's module), GetTickCount (ms
//               in whole ticks of 5 ms, 32 bits, wrapping: see
//               win32/frame_pacing.h), ExitProcess (ends the process
//               with the code);
//   windows     LoadIconA, LoadCursorA, RegisterClassA, UnregisterClassA,
//               AdjustWindowRectEx, CreateWindowExA (sends WM_CREATE-time
//               messages to the window procedure), DestroyWindow, ShowWindow,
//               SetForegroundWindow, SetFocus, ShowCursor;
//   dialogs     MessageBoxA (IDOK / IDYES / IDNO, or 0 when no box can be shown);
//   display     ChangeDisplaySettingsA (an exact mode or DISP_CHANGE_BADMODE);
//   messages    PeekMessageA (with an empty queue while no window is on the
//               screen it waits a few ms for an event, so that an idle game
//               does not spin), TranslateMessage, DispatchMessageA,
//               DefWindowProcA (Alt+F4 and SC_CLOSE become WM_CLOSE),
//               PostQuitMessage;
//   GL surface  GetDC, ReleaseDC, ChoosePixelFormat, SetPixelFormat, SwapBuffers
//               (at most one frame per refresh of the display),
//               wglCreateContext, wglMakeCurrent, wglDeleteContext.
// Beside them the kernel's file calls (CreateFileA, ReadFile, GetFileType,
// GetFileAttributesA, CloseHandle, GetLastError) and the C runtime's
// _controlfp; on a POSIX system backends/posix gives those to
// every backend, this one included.
// Here every window call fails, so the game says why and ends; the tick count
// is whatever the program sets in nullTick.
#include <cstdio>
#include <cstdlib>

#include "backends/null/null_backend.h"

DWORD nullTick = 0;

namespace {
int moduleMarker;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? reinterpret_cast<HMODULE>(&moduleMarker) : nullptr;
}
DWORD WINAPI GetTickCount() {
    return nullTick;
}
void WINAPI ExitProcess(UINT exitCode) {
    std::fflush(nullptr);
    std::exit(static_cast<int>(exitCode));
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
    return nullptr;
}
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    return nullptr;
}
ATOM WINAPI RegisterClassA(const WNDCLASSA *) {
    return 0;
}
BOOL WINAPI UnregisterClassA(LPCSTR, HINSTANCE) {
    return FALSE;
}
BOOL WINAPI AdjustWindowRectEx(RECT *, DWORD, BOOL, DWORD) {
    return FALSE;
}
HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU,
                            HINSTANCE, void *) {
    return nullptr;
}
BOOL WINAPI DestroyWindow(HWND) {
    return FALSE;
}
BOOL WINAPI ShowWindow(HWND, int) {
    return FALSE;
}
BOOL WINAPI SetForegroundWindow(HWND) {
    return FALSE;
}
HWND WINAPI SetFocus(HWND) {
    return nullptr;
}
int WINAPI ShowCursor(BOOL show) {
    return show ? 0 : -1;
}

// No box can be shown: its words go to stderr, as they do without a display.
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return 0;
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *mode, DWORD) {
    return mode == nullptr ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
}

BOOL WINAPI PeekMessageA(MSG *, HWND, UINT, UINT, UINT) {
    return FALSE;
}
BOOL WINAPI TranslateMessage(const MSG *) {
    return FALSE;
}
LRESULT WINAPI DispatchMessageA(const MSG *) {
    return 0;
}
LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}
void WINAPI PostQuitMessage(int) {}

HDC WINAPI GetDC(HWND) {
    return nullptr;
}
int WINAPI ReleaseDC(HWND, HDC) {
    return 0;
}
int WINAPI ChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR *) {
    return 0;
}
BOOL WINAPI SetPixelFormat(HDC, int, const PIXELFORMATDESCRIPTOR *) {
    return FALSE;
}
BOOL WINAPI SwapBuffers(HDC) {
    return FALSE;
}
HGLRC WINAPI wglCreateContext(HDC) {
    return nullptr;
}
BOOL WINAPI wglMakeCurrent(HDC, HGLRC rc) {
    return rc == nullptr ? TRUE : FALSE; // releasing the current context always works
}
BOOL WINAPI wglDeleteContext(HGLRC) {
    return FALSE;
}
