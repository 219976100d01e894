#pragma once

// The whole program: start-up, the main loop, and the exit code to end with.
int GameMain();
