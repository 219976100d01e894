#include "platform/window_proc.h"

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hWnd, message, wParam, lParam);
}
void ResizeScene(int32_t, int32_t) {}
void InitGL() {}
