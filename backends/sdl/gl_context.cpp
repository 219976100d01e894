// Device contexts, the pixel format, GL contexts and the swap that presents a
// frame at the display's pace.
#include "backends/sdl/sdl_layer.h"
#include "win32/frame_pacing.h"

using namespace sdl_layer;

namespace {

constexpr int MAX_CONTEXTS = 4;

// The one pixel format this layer describes: RGBA, double-buffered, with depth,
// as fixed by the window's visual when the window was made.
constexpr int THE_PIXEL_FORMAT = 1;

struct GlContext {
    bool used;
    SDL_GLContext gl;
    int pixelFormat;
};
GlContext contexts[MAX_CONTEXTS];

GlContext *ContextOf(HGLRC rc) {
    for (GlContext &c : contexts)
        if (c.used && reinterpret_cast<HGLRC>(&c) == rc)
            return &c;
    return nullptr;
}

// The time between refreshes of the display the window is on.
int64_t FramePeriodOf(SDL_Window *sdl) {
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(sdl, &mode) != 0)
        mode.refresh_rate = 0;
    return RefreshPeriodNs(mode.refresh_rate);
}

} // namespace

HDC WINAPI GetDC(HWND hwnd) {
    Window *w = WindowOf(hwnd);
    return w ? reinterpret_cast<HDC>(&w->dc) : nullptr;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    Window *w = WindowOf(hwnd);
    return (w != nullptr && WindowOfDc(hdc) == w) ? 1 : 0;
}

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *pfd) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || pfd == nullptr || !w->hasGl)
        return 0;
    // The window's visual is RGBA and double-buffered; like Windows, hand out
    // the closest format rather than fail on a count of bits.
    if (pfd->iPixelType != PFD_TYPE_RGBA || (pfd->dwFlags & PFD_DRAW_TO_BITMAP))
        return 0;
    return THE_PIXEL_FORMAT;
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || !w->hasGl || format != THE_PIXEL_FORMAT)
        return FALSE;
    if (w->dc.pixelFormat != 0 && w->dc.pixelFormat != format)
        return FALSE; // a window's format is set once
    w->dc.pixelFormat = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC hdc) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || w->dc.pixelFormat == 0)
        return FALSE;
    // Off the screen there is nothing to present and no display to keep pace
    // with; the message pump waits for events instead.
    if (!IsShowing(*w))
        return TRUE;
    SDL_GL_SwapWindow(w->sdl);
    // A driver that waited for the display comes back a period after the last
    // swap; one that did not (vsync off, a virtual screen) is held back here.
    WaitUntil(PaceFrame(&w->lastShown, NowNs(), w->framePeriod));
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC hdc) {
    Window *w = WindowOfDc(hdc);
    if (w == nullptr || w->dc.pixelFormat == 0)
        return nullptr;
    GlContext *c = FreeSlot(contexts);
    if (c == nullptr)
        return nullptr;
    // SDL makes a new context current at once; Windows leaves that to wglMakeCurrent.
    SDL_Window *previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    // A server may refuse the context with an X error (indirect GL it does not
    // offer, no memory for it): that is a failure to report, not the end.
    CatchXErrors();
    SDL_GLContext gl = SDL_GL_CreateContext(w->sdl);
    // Swaps wait for the display where the driver can; SwapBuffers paces the rest.
    if (gl != nullptr)
        SDL_GL_SetSwapInterval(1);
    SDL_GL_MakeCurrent(previousWindow, previous);
    if (XErrorsCaught(w->sdl) && gl != nullptr) {
        SDL_GL_DeleteContext(gl);
        gl = nullptr;
    }
    if (gl == nullptr)
        return nullptr;
    w->framePeriod = FramePeriodOf(w->sdl);
    w->lastShown = 0;
    c->used = true;
    c->gl = gl;
    c->pixelFormat = w->dc.pixelFormat;
    return reinterpret_cast<HGLRC>(c);
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC rc) {
    if (rc == nullptr) {
        if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GL_GetCurrentContext() == nullptr)
            return TRUE;
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0 ? TRUE : FALSE;
    }
    Window *w = WindowOfDc(hdc);
    GlContext *c = ContextOf(rc);
    if (w == nullptr || c == nullptr || w->dc.pixelFormat != c->pixelFormat)
        return FALSE;
    CatchXErrors();
    const bool made = SDL_GL_MakeCurrent(w->sdl, c->gl) == 0;
    return XErrorsCaught(w->sdl) || !made ? FALSE : TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC rc) {
    GlContext *c = ContextOf(rc);
    if (c == nullptr)
        return FALSE;
    SDL_GL_DeleteContext(c->gl);
    c->used = false;
    return TRUE;
}
