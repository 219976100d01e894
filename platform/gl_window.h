// Creating and destroying the game window with its GL context.
#pragma once

#include "core/game_state.h"

BOOL CreateGameWindow(const char *title, int width, int height, int bits, BOOL wantFullscreen);
void DestroyGameWindow();
