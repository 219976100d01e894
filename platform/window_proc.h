// The game window's procedure and the projection it sets on a new size.
#pragma once

#include <cstdint>

#include "core/game_state.h"

LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
void ResizeScene(int32_t width, int32_t height);
void InitGL();
