// Windows' own GetTickCount, SwapBuffers and PeekMessageA do not keep what the
// game relies on (win32/win32.h): the tick moves in single milliseconds or in
// 10-16 ms timer ticks instead of whole physics steps, the swap does not wait
// for the display, and an empty queue comes back at once even while the game is
// minimised. So the game's sources are compiled with this header forced in
// first (-include, see CMakeLists.txt): once <windows.h> has declared the real
// calls, these names stand for the ones in pacing.cpp, which keep the promises
// on top of the real calls (wglMakeCurrent too, where a new context is told to
// wait for the display). The game's code still reads and calls GetTickCount,
// SwapBuffers, PeekMessageA and wglMakeCurrent; nothing else is redirected.
#pragma once

#include <windows.h>

DWORD WINAPI PacedGetTickCount();
BOOL WINAPI PacedSwapBuffers(HDC dc);
BOOL WINAPI PacedPeekMessageA(MSG *msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
BOOL WINAPI PacedWglMakeCurrent(HDC dc, HGLRC rc);

#define GetTickCount PacedGetTickCount
#define SwapBuffers PacedSwapBuffers
#define PeekMessageA PacedPeekMessageA
#define wglMakeCurrent PacedWglMakeCurrent
