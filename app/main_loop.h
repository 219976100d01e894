// The main loop: messages and frames from the full-screen question to the last teardown.
#pragma once

#include "core/game_state.h"

// Asks the full-screen question, opens the window and runs messages and frames
// until the window is closed or the menu chooses to exit.
int RunMainLoop();

// One pass of the loop that found no message waiting: while the window is
// active, the frame at the tick counter's game time; then the frame is
// presented, unless it ended the run. FALSE when the run is over. The replays,
// the solver and the golden frames play their frames through it too.
BOOL RunFrame();
