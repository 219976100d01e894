// What every backend of the layer shares, free of any system so that each
// builds it as it is: the table of window classes, the message queue, and the
// keys each window holds down. A backend keeps its own windows and gives
// these their handles; the calls that are the same on every platform
// (GetModuleHandleA, RegisterClassA, LoadIconA, LoadCursorA,
// TranslateMessage) are defined here once.
#pragma once

#include "win32/win32.h"

namespace layer_core {

// ---- window classes

constexpr int CLASS_NAME_LENGTH = 64;

struct WindowClass {
    bool used;
    char name[CLASS_NAME_LENGTH];
    ATOM atom;
    WNDCLASSA info;
};

// The class of this name (compared without case) or atom for the module, or
// null. A backend's UnregisterClassA frees one with `used = false` once no
// window of it is left.
WindowClass *ClassNamed(LPCSTR name, HINSTANCE instance);

// ---- the keys a window holds down
//
// A window must hear every key it was told is down go up again, even when the
// key is let go while the window cannot hear it (the focus elsewhere, the
// window being destroyed): otherwise the game holds it down for good.

struct HeldKeys {
    // Each key by the message that said it is down (WM_KEYDOWN wins over
    // WM_SYSKEYDOWN); 0 when up.
    UINT downAs[256];
};

// The lParam of a key-up for a key that was down.
constexpr LPARAM KEY_UP_LPARAM = 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31);

// Notes a message before it goes to the window, and gives the message to
// deliver: a key goes up as it went down, so a plain key let go with Alt held
// is a plain key-up (the game reads only plain keys), as on Windows.
UINT NoteKey(HeldKeys *held, UINT message, WPARAM wParam);

// Every key a window holds goes up (WM_KEYUP, or WM_SYSKEYUP for one that went
// down as a system key): sent at once to its procedure when `now` (a window
// about to be destroyed), else queued after what is waiting.
void LetGoOfKeys(HWND hwnd, WNDPROC proc, HeldKeys *held, bool now, DWORD time);

// ---- the message queue: one for the program's windows, in order

// Appends a message for a window (null: for the program, as WM_QUIT).
void QueueMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time);
// The first message for the window (any, with null) in the filter's range,
// removed with PM_REMOVE.
bool TakeMessage(MSG *msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
// Messages still waiting for a window die with it.
void DropMessagesOf(HWND hwnd);

} // namespace layer_core
