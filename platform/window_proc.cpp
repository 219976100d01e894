// The window procedure: keys, activation, size and refused system commands.
#include "platform/window_proc.h"

#include <GL/gl.h>

namespace {

// The field every renderer draws in: 40 x 30 units, y growing downward.
constexpr double VIEW_WIDTH = 40.0;
constexpr double VIEW_HEIGHT = 30.0;
constexpr double VIEW_NEAR = -1.0;
constexpr double VIEW_FAR = 10.0;

constexpr WPARAM KEY_COUNT = sizeof keys / sizeof keys[0];

} // namespace

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        // Keep the screen saver and monitor power-off away while the game runs.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)
            return 0;
        break;
    case WM_ACTIVATE:
        // The high word is the minimised flag; losing the focus alone keeps us drawing.
        active = HIWORD(wParam) == 0 ? BOOL_TRUE : BOOL_FALSE;
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam < KEY_COUNT)
            keys[wParam] = BOOL_TRUE;
        return 0;
    case WM_KEYUP:
        if (wParam < KEY_COUNT)
            keys[wParam] = BOOL_FALSE;
        return 0;
    case WM_SIZE:
        ResizeScene(LOWORD(lParam), HIWORD(lParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

void ResizeScene(int32_t width, int32_t height) {
    if (height == 0)
        height = 1; // a window shrunk to no client height still gets a valid viewport
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, VIEW_WIDTH, VIEW_HEIGHT, 0.0, VIEW_NEAR, VIEW_FAR);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void InitGL() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.8f, 0.8f, 1.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}
