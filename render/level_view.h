// Drawing the visible part of the level.
#pragma once

#include "core/game_state.h"

void DrawLevel(const Grid grid, double scroll);
