// What the files of the Linux layer share among themselves: the windows and
// their device contexts, the message queue, and the state of the process that
// signals and message boxes look at. Nothing above the layer includes this.
//
// Windows, device contexts and GL contexts are kept in small fixed tables; a
// handle is the address of its table entry. SDL events become window messages
// in one queue that PeekMessageA takes from; messages that Windows sends during
// creation, showing and destruction go straight to the window procedure.
#pragma once

#include <SDL2/SDL.h>
#include <atomic>
#include <cstdint>

#include "win32/layer_core.h"
#include "win32/win32.h"

namespace sdl_layer {

struct DeviceContext {
    int pixelFormat; // 0 until SetPixelFormat
};

struct Window {
    bool used;
    SDL_Window *sdl;
    Uint32 sdlId;
    const layer_core::WindowClass *windowClass;
    WNDPROC proc;
    bool hasGl;     // made with an OpenGL-capable visual
    bool shownOnce; // the first show sends the size and activation
    bool refusesScreenSaver;
    DeviceContext dc;
    int64_t framePeriod;       // ns between refreshes of the window's display
    int64_t lastShown;         // when the last swapped frame counted as shown (ns)
    layer_core::HeldKeys held; // the keys the window was told are down
};

constexpr int MAX_WINDOWS = 4;
extern Window windows[MAX_WINDOWS];
extern Window *focusWindow; // given the keyboard by SetFocus

// The first unused slot of a fixed table, or null when all are taken.
template <typename T, size_t N> T *FreeSlot(T (&table)[N]) {
    for (T &slot : table)
        if (!slot.used)
            return &slot;
    return nullptr;
}

inline HWND HandleOf(Window *w) {
    return reinterpret_cast<HWND>(w);
}

// ---- windows (windows.cpp)
Window *WindowOf(HWND hwnd);
Window *WindowOfSdlId(Uint32 id);
Window *WindowOfDc(HDC hdc);
// Starts SDL's video on first use; false, said once on stderr, without a display.
bool VideoReady();
// The client area in pixels: the GL drawable's size for a GL window.
void ClientSize(const Window &w, int *width, int *height);
// On the screen as the game made it: shown, neither minimised nor hidden,
// and when full screen, in its display mode.
bool IsShowing(const Window &w);
// A full-screen window still on the screen without its mode (no window
// manager took it off when SDL gave the mode back) takes the mode again.
void TakeModeBack(const Window &w);
// Sends a message straight to the window procedure, as Windows does.
LRESULT Send(Window *w, UINT message, WPARAM wParam, LPARAM lParam);

// ---- the message queue (queue.cpp)
// Keys go up as the window last saw them go down: a key that went down as a
// plain key and comes up with Alt held is still a plain key-up.
void Post(Window *w, UINT message, WPARAM wParam, LPARAM lParam);
// Every key the window holds goes up: posted after what is queued, or sent
// at once to a window about to be destroyed.
void LetGoOfKeys(Window *w, bool now);

// ---- time (clock.cpp)
// The monotonic clock in ns, and a wait until it reads `deadline`.
int64_t NowNs();
void WaitUntil(int64_t deadline);

// ---- SDL events as messages (input.cpp)
void PostEvent(const SDL_Event &e);
// After a message box: the pads' presses were the box's answer, not keys.
void PadsAfterBox();

// ---- the X server beneath SDL (x11.cpp); nothing happens under other drivers
// X errors from CatchXErrors on are kept instead of ending the process (the
// two nest). XErrorsCaught first waits until the server has answered all that
// was sent for the window `sync` (if any), and tells whether an error came.
void CatchXErrors();
bool XErrorsCaught(SDL_Window *sync);
// SDL_DestroyWindow, and the X colormap SDL made for the window freed after it.
void DestroySdlWindow(SDL_Window *sdl);

// ---- the process (process.cpp)
// How a termination signal is taken: see process.cpp.
extern std::atomic<int> windowsUp;          // counted from before the window is made
extern std::atomic<bool> boxShowing;        // a message box runs its own loop
extern std::atomic<bool> boxOverFullScreen; // ... while a full-screen window is up
extern std::atomic<int> pendingCloseSignal; // taken by the pump as a close request
[[noreturn]] void EndBySignal(int signalNumber);
// A close request from a signal, passed on as SDL's quit event.
void PostSignalClose();

} // namespace sdl_layer
