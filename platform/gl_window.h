// Creating and destroying the game window with its GL context.
#pragma once

#include "core/game_state.h"

BOOL CreateGameWindow(const char *title, int width, int height, int bits, BOOL wantFullscreen);
void DestroyGameWindow();

// Why the last CreateGameWindow returned FALSE: TRUE when the player answered
// No to playing in a window instead of full screen, FALSE when the window
// could not be made.
extern BOOL windowedRefused;
