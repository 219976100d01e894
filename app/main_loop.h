// The main loop: messages and frames from the full-screen question to the last teardown.
#pragma once

#include "core/game_state.h"

// Asks the full-screen question, opens the window and runs messages and frames
// until the window is closed or the menu chooses to exit. The result is the
// process's exit code: the quit message's code after a close, 0 after the
// menu's exit or No to playing in a window, non-zero when the window could not
// be made.
int RunMainLoop();

// One pass of the loop that found no message waiting: while the window is
// active, the frame at the tick counter's game time; then the frame is
// presented, unless it ended the run. FALSE when the run is over. The replays,
// the solver and the golden frames play their frames through it too.
BOOL RunFrame();
