// Typical moments of each screen, built from the shipped grid files, for the
// frame benchmarks. A scene's times stay within the screen however many
// frames are drawn: they cycle through a stretch of game time in 17 ms steps.
#pragma once

#include <cstdint>

// Reads the seven shipped grid files into the game's grids.
void LoadShippedGrids();

// Puts the game on the named screen ("menu", "game", "win", "gameover",
// "cred") at a typical moment. Sound handles are left as they are.
void EnterScene(const char *screen);

// The game time of the scene's frame number `frame`.
int32_t SceneTime(const char *screen, long frame);
