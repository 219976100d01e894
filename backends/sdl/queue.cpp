// The window's side of the message queue (win32/layer_core keeps the queue):
// messages posted to a window, its keys noted as they go by.
#include "backends/sdl/sdl_layer.h"

using namespace layer_core;

namespace sdl_layer {

void Post(Window *w, UINT message, WPARAM wParam, LPARAM lParam) {
    QueueMessage(HandleOf(w), NoteKey(&w->held, message, wParam), wParam, lParam, GetTickCount());
}

void LetGoOfKeys(Window *w, bool now) {
    layer_core::LetGoOfKeys(HandleOf(w), w->proc, &w->held, now, GetTickCount());
}

} // namespace sdl_layer

void WINAPI PostQuitMessage(int exitCode) {
    QueueMessage(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount());
}
