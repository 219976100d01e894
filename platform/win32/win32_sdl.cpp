// The window-system layer over SDL2 (placeholder: filled in with the window work).
#include "platform/win32/win32.h"

#include <SDL2/SDL.h>
#include <cstdio>
#include <cstdlib>

HMODULE WINAPI GetModuleHandleA(LPCSTR) {
    return nullptr;
}
DWORD WINAPI GetTickCount() {
    return static_cast<DWORD>(SDL_GetTicks64());
}
void WINAPI ExitProcess(UINT exitCode) {
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
    return TRUE;
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
int WINAPI ShowCursor(BOOL) {
    return 0;
}
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return 0;
}
LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *, DWORD) {
    return DISP_CHANGE_FAILED;
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
BOOL WINAPI wglMakeCurrent(HDC, HGLRC) {
    return FALSE;
}
BOOL WINAPI wglDeleteContext(HGLRC) {
    return FALSE;
}
