// The player's physics and the floor search it stands on.
#pragma once

#include <cstdint>

#include "core/rules.h"

constexpr int NO_FLOOR = -1;

// The first solid row of the level at or below the feet of a disc centred at
// (levelX, y), in the column under its centre, or NO_FLOOR. Anything outside
// the level is empty: rows above the top hold nothing, columns left of 0 or
// right of 99 hold no tile, and a position that is not a number stands over
// nothing at all.
int FloorRowUnder(double levelX, double y);

// Advances the player and the camera in whole steps up to the given game time.
void StepPlayer(int32_t time);
