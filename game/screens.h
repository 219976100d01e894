#pragma once

#include <cstdint>

#include "core/game_state.h"

// Draws one frame of the current screen and applies the game's rules to it.
BOOL DrawFrame(int32_t t);

// True when the disc's centre lies in a goal cell of the level.
bool TouchesGoal();
