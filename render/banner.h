// Dot-matrix banners and the binary clock.
#pragma once

#include "core/game_state.h"

void DrawBanner(const Grid grid, double x, double y, double pitch);
void DrawClock(DWORD time, double x, double y);
