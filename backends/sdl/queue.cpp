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
    if (wParam < 256) {
        UINT &downAs = w->keyDownAs[wParam];
        if (message == WM_KEYDOWN || (message == WM_SYSKEYDOWN && downAs != WM_KEYDOWN)) {
            downAs = message;
        } else if (message == WM_KEYUP || message == WM_SYSKEYUP) {
            // Otherwise the game, which reads only plain keys, would keep it down.
            if (downAs == WM_KEYDOWN)
                message = WM_KEYUP;
            downAs = 0;
        }
    }
    MSG m{};
    m.hwnd = HandleOf(w);
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    queue.push_back(m);
}

void LetGoOfKeys(Window *w, bool now) {
    const LPARAM up = 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31); // was down, goes up
    for (WPARAM key = 0; key < 256; ++key) {
        const UINT downAs = w->keyDownAs[key];
        if (downAs == 0)
            continue;
        const UINT message = downAs == WM_KEYDOWN ? WM_KEYUP : WM_SYSKEYUP;
        if (now) {
            w->keyDownAs[key] = 0;
            Send(w, message, key, up);
        } else {
            Post(w, message, key, up);
        }
    }
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
