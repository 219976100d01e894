// The message queue: what the pump and the window calls post, in order, and
// what PeekMessageA takes out.
#include <deque>

#include "backends/sdl/sdl_layer.h"

namespace {

std::deque<MSG> queue;

bool Matches(const MSG &m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd != nullptr && m.hwnd != hwnd)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return m.message >= filterMin && m.message <= filterMax;
}

} // namespace

namespace sdl_layer {

void Post(Window *w, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = HandleOf(w);
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    queue.push_back(m);
}

void DropMessagesOf(HWND hwnd) {
    for (auto it = queue.begin(); it != queue.end();)
        it = it->hwnd == hwnd ? queue.erase(it) : it + 1;
}

bool TakeMessage(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, hwnd, filterMin, filterMax))
            continue;
        *msg = *it;
        if (remove & PM_REMOVE)
            queue.erase(it);
        return true;
    }
    return false;
}

} // namespace sdl_layer

void WINAPI PostQuitMessage(int exitCode) {
    MSG m{};
    m.message = WM_QUIT;
    m.wParam = static_cast<WPARAM>(exitCode);
    m.time = GetTickCount();
    queue.push_back(m);
}
