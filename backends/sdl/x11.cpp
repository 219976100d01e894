// The X server beneath SDL on a Linux desktop, for the two things SDL leaves
// to us: errors while the GL side of a window is set up, and the colormap of
// a window it destroys. Under any other video driver nothing happens here.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include "backends/sdl/sdl_layer.h"

namespace {

// Xlib's own handler prints the error and ends the process: a server that
// refuses a GL context (indirect GL over ssh, no memory left for it) would
// end the game with a dump of the request instead of the game's own box.
XErrorHandler outerHandler = nullptr;
int catching = 0;
bool caught = false;

int KeepXError(Display *display, XErrorEvent *error) {
    if (catching == 0)
        return outerHandler != nullptr ? outerHandler(display, error) : 0;
    caught = true;
    return 0;
}

// SDL's X connection and the window's X id, when the window is on X.
bool XWindowOf(SDL_Window *sdl, Display **display, ::Window *xWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdl == nullptr || !SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *xWindow = info.info.x11.window;
    return true;
}

} // namespace

namespace sdl_layer {

void CatchXErrors() {
    if (catching++ > 0)
        return;
    caught = false;
    outerHandler = XSetErrorHandler(KeepXError);
}

bool XErrorsCaught(SDL_Window *sync) {
    Display *display = nullptr;
    ::Window xWindow = 0;
    if (XWindowOf(sync, &display, &xWindow))
        XSync(display, False); // errors of what was sent come back before this returns
    if (--catching == 0)
        XSetErrorHandler(outerHandler);
    return caught;
}

// SDL makes a colormap for the visual of every window it creates and keeps no
// note of it, so the server would hold one more for each F1 switch until the
// game ends. It is freed once the window is gone; should SDL free it itself
// one day, the second free is only a caught error.
void DestroySdlWindow(SDL_Window *sdl) {
    Display *display = nullptr;
    ::Window xWindow = 0;
    XWindowAttributes attributes{};
    const bool ownColormap = XWindowOf(sdl, &display, &xWindow) &&
                             XGetWindowAttributes(display, xWindow, &attributes) != 0 &&
                             attributes.colormap != None &&
                             attributes.colormap != DefaultColormapOfScreen(attributes.screen);
    SDL_DestroyWindow(sdl);
    if (!ownColormap)
        return;
    CatchXErrors();
    XFreeColormap(display, attributes.colormap);
    XSync(display, False);
    XErrorsCaught(nullptr);
}

} // namespace sdl_layer
