// The time promises of the game's layer kept on Windows (paced_calls.h says
// how the game's calls get here): a tick counter in whole physics steps,
// frames presented at the display's rate, and a pump that waits while no
// window of the game is on the screen.
#include <windows.h>
// After <windows.h>:
#include <mmsystem.h>

#include "win32/frame_pacing.h"

namespace {

// While nothing can be drawn, an empty queue waits this long for a message
// (one that comes ends the wait at once).
constexpr DWORD IDLE_WAIT_MS = 20;

typedef BOOL(WINAPI *SwapIntervalProc)(int interval);

int64_t framePeriod = RefreshPeriodNs(0);
int64_t lastShown = 0;
bool fineTimer = false;
// The window the game draws in, and whether the game has been told that it
// is minimised.
HWND gameWindow = nullptr;
bool toldMinimised = false;

int64_t NowNs() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart / frequency * 1000000000 +
           now.QuadPart % frequency * 1000000000 / frequency;
}

// Sleeps until the deadline, rounded up to a whole millisecond rather than
// spun out: a wake-up a little late costs nothing over time, as PaceFrame
// counts the frame as shown when it was due.
void WaitUntil(int64_t deadline) {
    const int64_t left = deadline - NowNs();
    if (left <= 0)
        return;
    if (!fineTimer) {
        timeBeginPeriod(1); // sleeps of 1 ms rather than of the 15.6 ms system tick
        fineTimer = true;
    }
    Sleep(static_cast<DWORD>((left + 999999) / 1000000));
}

BOOL CALLBACK NoteShowing(HWND window, LPARAM anyShowing) {
    if (IsWindowVisible(window) && !IsIconic(window))
        *reinterpret_cast<bool *>(anyShowing) = true;
    return TRUE;
}

bool AnyWindowShowing() {
    bool showing = false;
    EnumThreadWindows(GetCurrentThreadId(), NoteShowing, reinterpret_cast<LPARAM>(&showing));
    return showing;
}

} // namespace

DWORD WINAPI PacedGetTickCount() {
    return TickCountAt(static_cast<uint64_t>(NowNs() / 1000000));
}

// A context made current for a window: swaps wait for the display where the
// driver offers WGL_EXT_swap_control, and the rest of the pacing starts anew
// at the refresh rate of the window's display.
BOOL WINAPI PacedWglMakeCurrent(HDC dc, HGLRC rc) {
    if (!wglMakeCurrent(dc, rc))
        return FALSE;
    if (rc == nullptr)
        return TRUE;
    auto setInterval = reinterpret_cast<SwapIntervalProc>(
        reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (setInterval != nullptr)
        setInterval(1);
    const int hz = GetDeviceCaps(dc, VREFRESH); // 0 or 1: the hardware's default
    framePeriod = RefreshPeriodNs(hz > 1 ? hz : 0);
    lastShown = 0;
    gameWindow = WindowFromDC(dc);
    toldMinimised = false;
    return TRUE;
}

BOOL WINAPI PacedSwapBuffers(HDC dc) {
    HWND window = WindowFromDC(dc);
    // Minimised or hidden: nothing to present and no display to keep pace
    // with; the pump waits for messages instead.
    if (window != nullptr && (!IsWindowVisible(window) || IsIconic(window)))
        return TRUE;
    if (!SwapBuffers(dc))
        return FALSE;
    // A driver that waited for the display comes back a period after the last
    // swap; one that did not is held back here.
    WaitUntil(PaceFrame(&lastShown, NowNs(), framePeriod));
    return TRUE;
}

BOOL WINAPI PacedPeekMessageA(MSG *msg, HWND window, UINT filterMin, UINT filterMax, UINT remove) {
    if (PeekMessageA(msg, window, filterMin, filterMax, remove))
        return TRUE;
    // Windows tells a window that it is minimised only when it had the
    // keyboard; one minimised after losing it would go on drawing frames that
    // nobody sees. So a change the game has not heard of is told here, as the
    // activation message it would have had.
    const bool minimised = gameWindow != nullptr && IsIconic(gameWindow);
    const bool unfiltered = (window == nullptr || window == gameWindow) && filterMin == 0 &&
                            filterMax == 0 && (remove & PM_REMOVE);
    if (minimised != toldMinimised && unfiltered) {
        toldMinimised = minimised;
        *msg = MSG{};
        msg->hwnd = gameWindow;
        msg->message = WM_ACTIVATE;
        msg->wParam =
            MAKEWPARAM(GetActiveWindow() == gameWindow ? WA_ACTIVE : WA_INACTIVE, minimised);
        return TRUE;
    }
    // With no frame to draw the caller would only come straight back.
    if (AnyWindowShowing())
        return FALSE;
    MsgWaitForMultipleObjectsEx(0, nullptr, IDLE_WAIT_MS, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return PeekMessageA(msg, window, filterMin, filterMax, remove);
}
