// The frame of each screen, and the game frame's rules as procedures of their own.
#pragma once

#include <cstdint>

#include "core/game_state.h"

// Draws one frame of the current screen and applies the game's rules to it.
BOOL DrawFrame(int32_t t);

// True when the disc's centre lies in a goal cell of the level.
bool TouchesGoal();

// The parts of a game frame that are rules rather than drawing, in the order
// the frame runs them around the physics: the sea's height at game time t, and
// the judging at the frame's end (goal, Escape, then drowning, which wins).
void RiseSea(int32_t t);
void JudgeGameFrame(int32_t t);

// The first screen of a run: the menu over the sea at rest, game time counted
// from the given tick.
void StartOnMenu(DWORD tick);
