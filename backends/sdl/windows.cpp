// Window classes, windows, the display mode, the cursor and the keyboard
// focus, over SDL's video.
#include <cstdio>
#include <cstring>

#include "backends/sdl/sdl_layer.h"

namespace sdl_layer {

Window windows[MAX_WINDOWS];
Window *focusWindow = nullptr;

Window *WindowOf(HWND hwnd) {
    for (Window &w : windows)
        if (w.used && HandleOf(&w) == hwnd)
            return &w;
    return nullptr;
}
Window *WindowOfSdlId(Uint32 id) {
    for (Window &w : windows)
        if (w.used && w.sdlId == id)
            return &w;
    return nullptr;
}
Window *WindowOfDc(HDC hdc) {
    for (Window &w : windows)
        if (w.used && reinterpret_cast<HDC>(&w.dc) == hdc)
            return &w;
    return nullptr;
}

LRESULT Send(Window *w, UINT message, WPARAM wParam, LPARAM lParam) {
    return w->proc(HandleOf(w), message, wParam, lParam);
}

namespace {

// Says once, on stderr, that no display could be opened, and which one was
// tried: the game's own messages that follow there are all the player sees.
void SayNoDisplay() {
    static bool said = false;
    if (said)
        return;
    said = true;
    const char *display = SDL_getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0')
        std::fprintf(stderr, "vorta kemi: no display could be opened: DISPLAY is not set\n");
    else
        std::fprintf(stderr, "vorta kemi: no display could be opened on DISPLAY=%s\n", display);
}

} // namespace

// Only an explicit SDL_VIDEODRIVER may pick a driver without a screen (tools
// and tests); otherwise a missing display fails like a system without one.
bool VideoReady() {
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");   // windows refuse it themselves
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0"); // closing is WM_CLOSE
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        SayNoDisplay();
        return false;
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    const char *asked = SDL_getenv("SDL_VIDEODRIVER");
    bool headless =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                   std::strcmp(driver, "evdev") == 0);
    if (headless && (asked == nullptr || std::strstr(asked, driver) == nullptr)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SayNoDisplay();
        return false;
    }
    SDL_StopTextInput(); // the game reads keys, not text
    // Gamepads are optional: without the subsystem the keyboard still works.
    // Pads already plugged in arrive as SDL_CONTROLLERDEVICEADDED events.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    return true;
}

void ClientSize(const Window &w, int *width, int *height) {
    if (w.hasGl)
        SDL_GL_GetDrawableSize(w.sdl, width, height);
    else
        SDL_GetWindowSize(w.sdl, width, height);
}

namespace {

bool Shown(const Window &w) {
    const Uint32 flags = SDL_GetWindowFlags(w.sdl);
    return (flags & SDL_WINDOW_SHOWN) && !(flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED));
}

// SDL gives the desktop its mode back when a full-screen window loses the
// focus, and asks the window manager to minimise the window; without one
// (it died, or is being replaced) the window stays where it was.
bool LostItsMode(const Window &w) {
    if ((SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) != SDL_WINDOW_FULLSCREEN)
        return false;
    const int display = SDL_GetWindowDisplayIndex(w.sdl);
    SDL_DisplayMode wanted, current;
    return display >= 0 && SDL_GetWindowDisplayMode(w.sdl, &wanted) == 0 &&
           SDL_GetCurrentDisplayMode(display, &current) == 0 &&
           (wanted.w != current.w || wanted.h != current.h);
}

} // namespace

bool IsShowing(const Window &w) {
    return Shown(w) && !LostItsMode(w);
}

void TakeModeBack(const Window &w) {
    if (!Shown(w) || !LostItsMode(w))
        return;
    // Already full screen to SDL, so only leaving and entering again sets the mode.
    SDL_SetWindowFullscreen(w.sdl, 0);
    SDL_SetWindowFullscreen(w.sdl, SDL_WINDOW_FULLSCREEN);
}

} // namespace sdl_layer

using namespace layer_core;
using namespace sdl_layer;

namespace {

int cursorCount = 0;

// The full-screen mode granted by ChangeDisplaySettingsA, taken by the next pop-up window.
bool modePending = false;
SDL_DisplayMode pendingMode;

// Set by DefWindowProcA when asked to start the screen saver.
bool screenSaverDefaulted = false;

void UpdateScreenSaver() {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    for (const Window &w : windows) {
        if (w.used && w.refusesScreenSaver) {
            SDL_DisableScreenSaver();
            return;
        }
    }
    SDL_EnableScreenSaver();
}

// The frame a window with this style gets around its client area (a classic
// Windows look; on X11 the window manager draws its own, so CreateWindowExA
// takes exactly this back off to find the client size).
struct Frame {
    int side, top;
};
Frame FrameOf(DWORD style, bool menu) {
    Frame f{0, 0};
    if (style & WS_THICKFRAME)
        f.side = 4;
    else if (style & (WS_BORDER | WS_DLGFRAME))
        f.side = 1;
    f.top = f.side;
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.top += 19;
    if (menu)
        f.top += 19;
    return f;
}

// Tries the visual the game's pixel format asks for, then SDL's plain GL
// defaults, then a window without GL (whose pixel format is then not found).
SDL_Window *MakeSdlWindow(const char *title, int x, int y, int width, int height, Uint32 flags,
                          bool *hasGl) {
    // SDL unloads GL with the last GL window and loads it again for the next,
    // each time probing with a window of its own whose colormap it never
    // frees. Held for the whole run, GL is loaded once.
    static bool glHeld = false;
    if (!glHeld)
        glHeld = SDL_GL_LoadLibrary(nullptr) == 0;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    *hasGl = true;
    SDL_Window *made = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
    if (made != nullptr)
        return made;
    SDL_GL_ResetAttributes();
    made = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
    if (made != nullptr)
        return made;
    *hasGl = false;
    return SDL_CreateWindow(title, x, y, width, height, flags);
}

} // namespace

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    WindowClass *c = ClassNamed(className, instance);
    if (c == nullptr)
        return FALSE;
    for (const Window &w : windows)
        if (w.used && w.windowClass == c)
            return FALSE; // still has windows
    c->used = false;
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(RECT *rect, DWORD style, BOOL menu, DWORD) {
    if (rect == nullptr)
        return FALSE;
    Frame f = FrameOf(style, menu != FALSE);
    rect->left -= f.side;
    rect->right += f.side;
    rect->top -= f.top;
    rect->bottom += f.side;
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU menu, HINSTANCE instance, void *) {
    WindowClass *c = ClassNamed(className, instance);
    if (c == nullptr || !VideoReady())
        return nullptr;
    Window *w = FreeSlot(windows);
    if (w == nullptr)
        return nullptr;

    Frame f = FrameOf(style, menu != nullptr);
    int clientWidth = width - 2 * f.side;
    int clientHeight = height - f.top - f.side;
    if (clientWidth < 1 || clientHeight < 1)
        return nullptr;
    Uint32 flags = SDL_WINDOW_HIDDEN; // shown by ShowWindow
    bool fullScreen = false;
    if (style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
        fullScreen = modePending;
        if (fullScreen)
            flags |= SDL_WINDOW_FULLSCREEN;
    }
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;

    bool hasGl = false;
    // Counted before it exists: a signal from here on is a close request, and
    // never ends the process while a full-screen mode may be taken.
    ++windowsUp;
    // X11 window managers place the frame's corner where asked, as Windows does.
    // SDL tries a GL context of its own as it loads GL for the first window; a
    // server that refuses contexts is the game's to report once it asks for
    // its own, so the errors here only go unheard.
    CatchXErrors();
    SDL_Window *sdl =
        MakeSdlWindow(windowName ? windowName : "", x, y, clientWidth, clientHeight, flags, &hasGl);
    if (sdl != nullptr && fullScreen && SDL_SetWindowDisplayMode(sdl, &pendingMode) != 0) {
        DestroySdlWindow(sdl);
        sdl = nullptr;
    }
    XErrorsCaught(sdl);
    if (sdl == nullptr) {
        --windowsUp;
        return nullptr;
    }

    *w = Window{};
    w->used = true;
    w->sdl = sdl;
    w->sdlId = SDL_GetWindowID(sdl);
    w->windowClass = c;
    w->proc = c->info.lpfnWndProc;
    w->hasGl = hasGl;
    if (Send(w, WM_CREATE, 0, 0) == -1) {
        DestroySdlWindow(sdl);
        w->used = false;
        --windowsUp;
        return nullptr;
    }
    // A procedure that answers a screen-saver request itself, without the
    // default handling, keeps the screen saver off while its window exists.
    screenSaverDefaulted = false;
    w->refusesScreenSaver = Send(w, WM_SYSCOMMAND, SC_SCREENSAVE, 0) == 0 && !screenSaverDefaulted;
    UpdateScreenSaver();
    return HandleOf(w);
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    // The key-ups SDL sends for a destroyed window come too late to reach it,
    // and a key released after that is no news to SDL: without these the
    // game would hold the keys down for good.
    LetGoOfKeys(w, true);
    Send(w, WM_DESTROY, 0, 0);
    DestroySdlWindow(w->sdl);
    w->used = false;
    --windowsUp;
    if (focusWindow == w)
        focusWindow = nullptr;
    DropMessagesOf(hwnd);
    UpdateScreenSaver();
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    BOOL wasVisible = (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    if (command == SW_HIDE) {
        SDL_HideWindow(w->sdl);
        return wasVisible;
    }
    SDL_ShowWindow(w->sdl);
    if (!w->shownOnce) {
        w->shownOnce = true;
        int width = 0, height = 0;
        ClientSize(*w, &width, &height);
        Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
        Send(w, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return FALSE;
    SDL_RaiseWindow(w->sdl);
    return TRUE;
}

HWND WINAPI SetFocus(HWND hwnd) {
    Window *previous = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetKeyboardFocus() != nullptr)
        previous = WindowOfSdlId(SDL_GetWindowID(SDL_GetKeyboardFocus()));
    Window *w = WindowOf(hwnd);
    if (w != nullptr) {
        SDL_SetWindowInputFocus(w->sdl); // not all window managers allow it; not an error
        focusWindow = w;
    }
    return previous ? HandleOf(previous) : nullptr;
}

int WINAPI ShowCursor(BOOL show) {
    cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *w = WindowOf(hwnd);
    if (w == nullptr)
        return 0;
    switch (message) {
    case WM_SYSKEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (LPARAM{1} << 29)))
            Send(w, WM_SYSCOMMAND, SC_CLOSE, 0); // Alt+F4
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            Send(w, WM_CLOSE, 0, 0);
        else if ((wParam & 0xFFF0) == SC_SCREENSAVE)
            screenSaverDefaulted = true;
        return 0;
    default:
        return 0;
    }
}

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA *mode, DWORD) {
    if (mode == nullptr) {
        // Back to the desktop's own mode.
        modePending = false;
        for (Window &w : windows)
            if (w.used && (SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_FULLSCREEN))
                SDL_SetWindowFullscreen(w.sdl, 0);
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!VideoReady())
        return DISP_CHANGE_FAILED;
    if ((mode->dmFields & (DM_PELSWIDTH | DM_PELSHEIGHT)) != (DM_PELSWIDTH | DM_PELSHEIGHT))
        return DISP_CHANGE_BADMODE;
    // Only a size the display really offers; the colour depth is the desktop's.
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode offered;
        if (SDL_GetDisplayMode(0, i, &offered) != 0)
            continue;
        if (offered.w == static_cast<int>(mode->dmPelsWidth) &&
            offered.h == static_cast<int>(mode->dmPelsHeight)) {
            pendingMode = offered;
            modePending = true;
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}
