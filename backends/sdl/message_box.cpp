// Message boxes: SDL's own boxes with the buttons, icon and caption asked for.
#include <cstdio>

#include "backends/sdl/sdl_layer.h"

using namespace sdl_layer;

namespace {

struct BoxButtons {
    int count;
    SDL_MessageBoxButtonData buttons[3];
    int closed; // the answer when the box is closed without a button
};

BoxButtons ButtonsOf(UINT type) {
    constexpr Uint32 ENTER = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    constexpr Uint32 ESCAPE = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return {2, {{ENTER, IDYES, "Yes"}, {ESCAPE, IDNO, "No"}, {}}, IDNO};
    case MB_OKCANCEL:
        return {2, {{ENTER, IDOK, "OK"}, {ESCAPE, IDCANCEL, "Cancel"}, {}}, IDCANCEL};
    case MB_YESNOCANCEL:
        return {
            3, {{ENTER, IDYES, "Yes"}, {0, IDNO, "No"}, {ESCAPE, IDCANCEL, "Cancel"}}, IDCANCEL};
    default:
        return {1, {{ENTER | ESCAPE, IDOK, "OK"}, {}, {}}, IDOK};
    }
}

Uint32 IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION:
        return SDL_MESSAGEBOX_WARNING;
    case MB_ICONQUESTION:
    case MB_ICONINFORMATION:
        return SDL_MESSAGEBOX_INFORMATION;
    default:
        return 0;
    }
}

} // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (text == nullptr)
        text = "";
    if (caption == nullptr)
        caption = "Error";
    BoxButtons buttons = ButtonsOf(type);
    SDL_MessageBoxData box{};
    box.flags = IconOf(type) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    Window *w = WindowOf(owner);
    box.window = w ? w->sdl : nullptr;
    box.title = caption;
    box.message = text;
    box.numbuttons = buttons.count;
    box.buttons = buttons.buttons;
    // A close request that no window is left to receive ends the game here,
    // instead of after the box.
    if (pendingCloseSignal.load() != 0 && windowsUp.load() == 0)
        EndBySignal(pendingCloseSignal.load());
    int pressed = -1;
    // Over a full-screen window a signal stays a close request: ending during
    // the box would leave the display in the game's mode.
    bool overFullScreen = false;
    for (const Window &other : windows)
        if (other.used && (SDL_GetWindowFlags(other.sdl) & SDL_WINDOW_FULLSCREEN))
            overFullScreen = true;
    boxOverFullScreen = overFullScreen;
    boxShowing = true;
    const int shown = SDL_ShowMessageBox(&box, &pressed);
    boxShowing = false;
    if (shown != 0) {
        if (!SDL_WasInit(SDL_INIT_VIDEO))
            VideoReady(); // says so on stderr when there is no display at all
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return 0;
    }
    return pressed < 0 ? buttons.closed : pressed;
}
