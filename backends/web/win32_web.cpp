// The window-system calls of the game, given their Windows meanings in a web
// page (page.js holds the page's side).
//
// The window is the page's canvas, its GL context a WebGL 1 context on it. The
// game's loop blocks as it does everywhere; the program is built so that it
// can be suspended while it waits (a message box, the next frame, full
// screen) and the page goes on meanwhile. Keys and activations are queued by
// the page's event handlers and taken by PeekMessageA; messages that Windows
// sends during creation, showing and destruction go straight to the window
// procedure.
//
// Time as the game expects it of its platform: the tick counter moves in whole
// ticks of one physics step, and a swap presents at the display's rate: it
// waits for the browser's next animation frame.
#include "win32/win32.h"

#include <cstdlib>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "backends/web/gl_webgl.h"
#include "win32/frame_pacing.h"
#include "win32/layer_core.h"

using namespace layer_core;

namespace {

constexpr int THE_PIXEL_FORMAT = 1; // RGBA, double-buffered, with depth

struct DeviceContext {
    int pixelFormat; // 0 until SetPixelFormat
};

// The page has one canvas, so there is one window at a time.
struct Window {
    bool used;
    WNDPROC proc;
    const WindowClass *windowClass;
    int width, height; // the client area: the canvas's pixels
    bool fullScreen;
    bool shown;
    DeviceContext dc;
    HeldKeys held; // the keys the window was told are down
};

struct GlContext {
    bool used;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl;
};

Window theWindow;
GlContext theContext;
int cursorCount = 0;
bool modePending = false; // full screen granted, taken by the next pop-up window
bool screenSaverDefaulted = false;

// How long an empty queue waits for the page while nothing can be drawn.
constexpr int IDLE_WAIT_MS = 5;

// The page's side is page.js (VortaPage).
EM_JS(int, PageTakeEvent, (int *event), { return VortaPage.takeEvent(event); });
EM_ASYNC_JS(void, PageWaitForFrame, (), { await VortaPage.nextFrame(); });
EM_ASYNC_JS(void, PageWait, (int ms), { await VortaPage.wait(ms); });
EM_ASYNC_JS(int, PageMessageBox, (const char *text, const char *caption, unsigned type), {
    return await VortaPage.messageBox(UTF8ToString(text), UTF8ToString(caption), type);
});
EM_ASYNC_JS(int, PageEnterFullScreen, (), { return await VortaPage.enterFullScreen(); });
EM_ASYNC_JS(void, PageLeaveFullScreen, (), { await VortaPage.leaveFullScreen(); });
EM_JS(void, PageCreateWindow, (const char *title, int width, int height),
      { VortaPage.createWindow(UTF8ToString(title), width, height); });
EM_JS(void, PageShowWindow, (int show), { VortaPage.showWindow(show); });
EM_JS(void, PageFocusWindow, (), { VortaPage.focusWindow(); });
EM_JS(void, PageDestroyWindow, (), { VortaPage.destroyWindow(); });
EM_JS(void, PageKeepAwake, (), { VortaPage.keepAwake(); });
EM_JS(void, PageHideCursor, (int hide), { VortaPage.hideCursor(hide); });

HWND HandleOf(Window *w) {
    return reinterpret_cast<HWND>(w);
}
Window *WindowOf(HWND hwnd) {
    return theWindow.used && hwnd == HandleOf(&theWindow) ? &theWindow : nullptr;
}
Window *WindowOfDc(HDC hdc) {
    return theWindow.used && hdc == reinterpret_cast<HDC>(&theWindow.dc) ? &theWindow : nullptr;
}
GlContext *ContextOf(HGLRC rc) {
    return theContext.used && rc == reinterpret_cast<HGLRC>(&theContext) ? &theContext : nullptr;
}

LRESULT Send(Window *w, UINT message, WPARAM wParam, LPARAM lParam) {
    return w->proc(HandleOf(w), message, wParam, lParam);
}

// Every key the window holds goes up: queued after what is waiting, or sent at
// once to a window about to be destroyed.
void LetGoOfKeys(Window *w, bool now) {
    layer_core::LetGoOfKeys(HandleOf(w), w->proc, &w->held, now, GetTickCount());
}

// What the page has queued since the last look, as the window's messages. A
// key let go while the canvas has no keyboard never reaches it: keys go up
// when the canvas loses the keyboard or the page is hidden.
void PumpEvents() {
    int event[3];
    while (PageTakeEvent(event)) {
        if (!theWindow.used)
            continue;
        const UINT message = static_cast<UINT>(event[0]);
        const WPARAM wParam = static_cast<WPARAM>(static_cast<uint32_t>(event[1]));
        if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE)
            LetGoOfKeys(&theWindow, false);
        QueueMessage(HandleOf(&theWindow), NoteKey(&theWindow.held, message, wParam), wParam,
                     static_cast<LPARAM>(event[2]), GetTickCount());
    }
}

} // namespace

// ---- kernel ----------------------------------------------------------------------

DWORD WINAPI GetTickCount() {
    // performance.now(): milliseconds since the page opened, never going back.
    return TickCountAt(static_cast<uint64_t>(emscripten_get_now()));
}

void WINAPI ExitProcess(UINT exitCode) {
    // The page then says that the game has ended, with this code.
    emscripten_force_exit(static_cast<int>(exitCode));
    std::abort(); // not reached
}

// ---- classes and windows ---------------------------------------------------------

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    WindowClass *c = ClassNamed(className, instance);
    if (c == nullptr || (theWindow.used && theWindow.windowClass == c))
        return FALSE;
    c->used = false;
    return TRUE;
}

// A page draws no frame around the canvas: the outer size is the client size.
BOOL WINAPI AdjustWindowRectEx(RECT *rect, DWORD, BOOL, DWORD) {
    return rect != nullptr ? TRUE : FALSE;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int, int,
                            int width, int height, HWND, HMENU, HINSTANCE instance, void *) {
    WindowClass *c = ClassNamed(className, instance);
    if (c == nullptr || theWindow.used || width < 1 || height < 1)
        return nullptr;
    const bool fullScreen = (style & WS_POPUP) && modePending;
    // A window that is not full screen has the page back as it was.
    if (!fullScreen)
        PageLeaveFullScreen();
    theWindow = Window{};
    theWindow.used = true;
    theWindow.proc = c->info.lpfnWndProc;
    theWindow.windowClass = c;
    theWindow.width = width;
    theWindow.height = height;
    theWindow.fullScreen = fullScreen;
    PageCreateWindow(windowName ? windowName : "", width, height);
    if (Send(&theWindow, WM_CREATE, 0, 0) == -1) {
        PageDestroyWindow();
        theWindow.used = false;
        return nullptr;
    }
    // A procedure that answers a screen-saver request itself keeps the screen awake.
    screenSaverDefaulted = false;
    if (Send(&theWindow, WM_SYSCOMMAND, SC_SCREENSAVE, 0) == 0 && !screenSaverDefaulted)
        PageKeepAwake();
    return HandleOf(&theWindow);
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    // Keys let go while the window is being made anew would reach no window.
    LetGoOfKeys(w, true);
    Send(w, WM_DESTROY, 0, 0);
    PageDestroyWindow();
    w->used = false;
    DropMessagesOf(hwnd);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    const BOOL wasVisible = w->shown ? TRUE : FALSE;
    w->shown = command != SW_HIDE;
    PageShowWindow(w->shown);
    if (w->shown && !wasVisible) {
        Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->width, w->height));
        Send(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    return WindowOf(hwnd) != nullptr ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    if (w != nullptr)
        PageFocusWindow();
    return w != nullptr ? hwnd : nullptr;
}

int WINAPI ShowCursor(BOOL show) {
    cursorCount += show ? 1 : -1;
    PageHideCursor(cursorCount < 0);
    return cursorCount;
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    return PageMessageBox(text ? text : "", caption ? caption : "Error", type);
}

// ---- display modes ---------------------------------------------------------------

// The display is the page: its full-screen mode shows the canvas over the
// whole screen, scaled with its shape kept. It is granted when the browser
// lets the page go full screen, which takes a key or a click of the player's
// (Yes in a box, F1).
LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *mode, DWORD) {
    if (mode == nullptr) {
        modePending = false;
        PageLeaveFullScreen();
        return DISP_CHANGE_SUCCESSFUL;
    }
    if ((mode->dmFields & (DM_PELSWIDTH | DM_PELSHEIGHT)) != (DM_PELSWIDTH | DM_PELSHEIGHT))
        return DISP_CHANGE_BADMODE;
    modePending = PageEnterFullScreen() != 0;
    return modePending ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
}

// ---- messages --------------------------------------------------------------------

BOOL WINAPI PeekMessageA(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    if (msg == nullptr)
        return FALSE;
    PumpEvents();
    if (TakeMessage(msg, hwnd, filterMin, filterMax, remove))
        return TRUE;
    // With nothing on the page to draw the caller would only come straight
    // back; give the page a moment instead.
    if (theWindow.used && theWindow.shown)
        return FALSE;
    PageWait(IDLE_WAIT_MS);
    PumpEvents();
    return TakeMessage(msg, hwnd, filterMin, filterMax, remove) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    Window *w = msg ? WindowOf(msg->hwnd) : nullptr;
    return w != nullptr ? Send(w, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return 0;
    if (message == WM_SYSKEYDOWN && wParam == static_cast<WPARAM>(VK_F4) &&
        (lParam & (LPARAM{1} << 29)))
        Send(w, WM_SYSCOMMAND, SC_CLOSE, 0); // Alt+F4
    else if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)
        Send(w, WM_CLOSE, 0, 0);
    else if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SCREENSAVE)
        screenSaverDefaulted = true;
    return 0;
}

void WINAPI PostQuitMessage(int exitCode) {
    QueueMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount());
}

// ---- device contexts and GL --------------------------------------------------------

HDC WINAPI GetDC(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    return w ? reinterpret_cast<HDC>(&w->dc) : nullptr;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    Window *w = WindowOf(hwnd);
    return (w != nullptr && WindowOfDc(hdc) == w) ? 1 : 0;
}

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *pfd) {
    if (WindowOfDc(hdc) == nullptr || pfd == nullptr || pfd->iPixelType != PFD_TYPE_RGBA ||
        (pfd->dwFlags & PFD_DRAW_TO_BITMAP))
        return 0;
    return THE_PIXEL_FORMAT;
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || format != THE_PIXEL_FORMAT ||
        (w->dc.pixelFormat != 0 && w->dc.pixelFormat != format))
        return FALSE;
    w->dc.pixelFormat = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC hdc) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || w->dc.pixelFormat == 0)
        return FALSE;
    // The frame is shown when the page next gets its turn; the next one
    // begins at the browser's next animation frame, once per display refresh
    // (none come while the page is hidden: the game then waits).
    WebGlFlush();
    PageWaitForFrame();
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC hdc) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || w->dc.pixelFormat == 0 || theContext.used)
        return nullptr;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = WebGlCreateContext("#canvas");
    if (webgl == 0)
        return nullptr;
    theContext = GlContext{true, webgl};
    return reinterpret_cast<HGLRC>(&theContext);
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC rc) {
    if (rc == nullptr)
        return WebGlMakeCurrent(0) ? TRUE : FALSE;
    Window *w = WindowOfDc(hdc);
    GlContext *c = ContextOf(rc);
    return w != nullptr && c != nullptr && w->dc.pixelFormat != 0 && WebGlMakeCurrent(c->webgl)
               ? TRUE
               : FALSE;
}

BOOL WINAPI wglDeleteContext(HGLRC rc) {
    GlContext *c = ContextOf(rc);
    if (c == nullptr)
        return FALSE;
    emscripten_webgl_destroy_context(c->webgl);
    c->used = false;
    return TRUE;
}
