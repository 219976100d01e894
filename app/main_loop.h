// The main loop: messages and frames from the full-screen question to the last teardown.
#pragma once

// Asks the full-screen question, opens the window and runs messages and frames
// until the window is closed or the menu chooses to exit.
int RunMainLoop();
