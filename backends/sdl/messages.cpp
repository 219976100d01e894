// The pump that turns SDL's events into messages, and the calls that take
// them out of the queue and hand them to the window procedure.
//
// While nothing can be drawn, an empty message queue waits a moment for the
// next event instead of handing back at once, so that a minimised game does
// not spin.
#include "backends/sdl/sdl_layer.h"

using namespace layer_core;
using namespace sdl_layer;

namespace {

// How long an empty queue waits for the next event while nothing can be drawn:
// short enough that the loop still notices everything in good time.
constexpr int IDLE_WAIT_MS = 5;

void PumpEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    PostSignalClose();
    SDL_Event e;
    while (SDL_PollEvent(&e))
        PostEvent(e);
}

// While no window is on the screen the game draws no frames.
bool AnyWindowShowing() {
    for (const Window &w : windows)
        if (w.used && IsShowing(w))
            return true;
    return false;
}

// Waits up to IDLE_WAIT_MS for the next event and queues what it brings.
void WaitForEvents() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Delay(IDLE_WAIT_MS); // no window yet: nothing can arrive but time
        return;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, IDLE_WAIT_MS)) {
        PostEvent(e);
        PumpEvents();
    }
}

} // namespace

BOOL WINAPI PeekMessageA(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    if (msg == nullptr)
        return FALSE;
    PumpEvents();
    if (TakeMessage(msg, hwnd, filterMin, filterMax, remove))
        return TRUE;
    // With no frame to draw the caller would only come straight back.
    if (AnyWindowShowing())
        return FALSE;
    WaitForEvents();
    return TakeMessage(msg, hwnd, filterMin, filterMax, remove) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    Window *w = msg ? WindowOf(msg->hwnd) : nullptr;
    if (w == nullptr)
        return 0;
    return Send(w, msg->message, msg->wParam, msg->lParam);
}
