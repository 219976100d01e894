// The pieces of the layer that are the same on every platform: window classes,
// the message queue and the keys a window holds.
#include "win32/layer_core.h"

#include <cstring>
#include <deque>
#include <strings.h>

namespace layer_core {

namespace {

constexpr int MAX_CLASSES = 4;
WindowClass classes[MAX_CLASSES];
std::deque<MSG> queue;
unsigned char moduleMarker, iconMarker, cursorMarker;

// A class name given as an atom is a number below 65536 in the pointer.
bool IsAtom(LPCSTR name) {
    return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}

bool Matches(const MSG &m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd != nullptr && m.hwnd != hwnd)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return m.message >= filterMin && m.message <= filterMax;
}

} // namespace

WindowClass *ClassNamed(LPCSTR name, HINSTANCE instance) {
    if (name == nullptr)
        return nullptr;
    for (WindowClass &c : classes) {
        if (!c.used || c.info.hInstance != instance)
            continue;
        if (IsAtom(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                         : strcasecmp(c.name, name) == 0)
            return &c;
    }
    return nullptr;
}

UINT NoteKey(HeldKeys *held, UINT message, WPARAM wParam) {
    if (wParam >= 256)
        return message;
    UINT &downAs = held->downAs[wParam];
    if (message == WM_KEYDOWN || (message == WM_SYSKEYDOWN && downAs != WM_KEYDOWN)) {
        downAs = message;
    } else if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        if (downAs == WM_KEYDOWN)
            message = WM_KEYUP;
        downAs = 0;
    }
    return message;
}

void LetGoOfKeys(HWND hwnd, WNDPROC proc, HeldKeys *held, bool now, DWORD time) {
    for (WPARAM key = 0; key < 256; ++key) {
        UINT &downAs = held->downAs[key];
        if (downAs == 0)
            continue;
        const UINT message = downAs == WM_KEYDOWN ? WM_KEYUP : WM_SYSKEYUP;
        downAs = 0;
        if (now)
            proc(hwnd, message, key, KEY_UP_LPARAM);
        else
            QueueMessage(hwnd, message, key, KEY_UP_LPARAM, time);
    }
}

void QueueMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time) {
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = time;
    queue.push_back(m);
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

void DropMessagesOf(HWND hwnd) {
    for (auto it = queue.begin(); it != queue.end();)
        it = it->hwnd == hwnd ? queue.erase(it) : it + 1;
}

} // namespace layer_core

using namespace layer_core;

ATOM WINAPI RegisterClassA(const WNDCLASSA *windowClass) {
    if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr ||
        windowClass->lpszClassName == nullptr || IsAtom(windowClass->lpszClassName) ||
        std::strlen(windowClass->lpszClassName) >= CLASS_NAME_LENGTH)
        return 0;
    if (ClassNamed(windowClass->lpszClassName, windowClass->hInstance) != nullptr)
        return 0; // already registered
    for (int i = 0; i < MAX_CLASSES; ++i) {
        WindowClass &c = classes[i];
        if (c.used)
            continue;
        c.used = true;
        std::strcpy(c.name, windowClass->lpszClassName);
        c.atom = static_cast<ATOM>(0xC000 + i);
        c.info = *windowClass;
        c.info.lpszClassName = c.name;
        return c.atom;
    }
    return 0;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? reinterpret_cast<HMODULE>(&moduleMarker) : nullptr;
}

// Any handle will do: the game only hands them to its window class.
HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HICON>(&iconMarker);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HCURSOR>(&cursorMarker);
}

BOOL WINAPI TranslateMessage(const MSG *msg) {
    // The game reads key states, not characters: nothing to translate.
    return msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}
