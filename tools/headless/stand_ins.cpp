// The few window-system and sound calls the game's frame makes, for a program
// that only draws: the tick count is whatever the program sets, sounds are
// silent, and the calls that only the window or a failed grid file would make
// report on stderr.
#include <cstdio>
#include <cstdlib>

#include "platform/win32/win32.h"
#include "sound/fsound.h"
#include "tools/headless/stand_ins.h"

DWORD headlessTick = 0;

DWORD WINAPI GetTickCount() {
    return headlessTick;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *) {
    return channel;
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return 0;
}

void WINAPI ExitProcess(UINT exitCode) {
    std::exit(static_cast<int>(exitCode));
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

void WINAPI PostQuitMessage(int) {}
