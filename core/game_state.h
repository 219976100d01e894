// Everything the game remembers lives in these program-wide variables, from
// process start to process end. Nothing here is allocated on the heap.
#pragma once

#include <cstdint>

#include "win32/win32.h"
#include "sound/fsound.h"

constexpr int GRID_ROWS = 12;
constexpr int GRID_COLS = 100;
constexpr int GRID_CELLS = GRID_ROWS * GRID_COLS;

// A level or banner picture: 12 rows of 100 one-byte cells, row 0 at the top,
// the cell in row r, column c at index r * 100 + c.
typedef unsigned char Grid[GRID_CELLS];

constexpr unsigned char CELL_EMPTY = 0;
constexpr unsigned char CELL_BLOCK = 1; // solid tile, or lit dot in a banner
constexpr unsigned char CELL_GOAL = 2;  // goal marker

// The game's own booleans: TRUE is stored as -1 and any non-zero value reads as true.
constexpr BOOL BOOL_TRUE = -1;
constexpr BOOL BOOL_FALSE = 0;

// Screen names.
extern const char *const SCREEN_MENU;
extern const char *const SCREEN_GAME;
extern const char *const SCREEN_WIN;
extern const char *const SCREEN_GAMEOVER;
extern const char *const SCREEN_CRED;
extern const char *const SCREEN_EXIT;

// Window and input
extern BOOL active;     // the window is not minimised
extern BOOL fullscreen; // the window covers the screen in a changed display mode
extern HWND window;
extern HDC deviceContext;
extern HGLRC renderContext;
extern BOOL keys[256]; // held keys, by virtual-key code

// Time, all in milliseconds
extern DWORD startTick;    // tick count at which game time 0 began
extern DWORD lastStepTick; // game time of the last physics step or menu frame
extern DWORD eventTime;    // game time at which the current end screen began

// Player and camera, in view units (40 x 30, y downward)
extern double playerX, playerY;
extern double playerVX, playerVY;
extern double pushX;
extern double gravity;
extern double scrollX;
extern double scrollSpeed;
extern double seaLevel;

// Screens and menu
extern const char *screen; // one of the SCREEN_ names; compare with IsScreen
extern int32_t menuIndex;
extern double menuCursor;

// Binary clock
extern int32_t clockSeconds, lastClockSeconds;

// Sound effects (null when the file could not be loaded)
extern FSOUND_SAMPLE *fallSound, *jumpSound, *clickSound, *menuSound;

// The level and the six banner pictures, each named for its file
extern Grid mapGrid, overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid;

// The seven grid files, each with the grid it fills, in the order start-up
// loads them: the level first, then the banners.
struct GridFile {
    unsigned char *grid;
    const char *name;
};
constexpr int GRID_FILE_COUNT = 7;
extern const GridFile GRID_FILES[GRID_FILE_COUNT];

// True when `screen` currently names the given screen.
bool IsScreen(const char *name);

// Puts every variable above back to its value at process start, so that a
// tool or a test can begin a fresh run without a fresh process.
void ClearGameState();
