// A window-system backend that does nothing: no display, no windows, no
// messages. Every window call fails, so the game says why and ends; the tick
// count is whatever the program sets in nullTick. A port starts from this
// file: it has every call of win32/win32.h, whose notes say what each must do.
// The kernel's file calls and _controlfp come from backends/posix here.
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
