// The program-wide variables with their values at process start, and the grid-file table.
#include "core/game_state.h"

#include <cstring>

const char *const SCREEN_MENU = "menu";
const char *const SCREEN_GAME = "game";
const char *const SCREEN_WIN = "win";
const char *const SCREEN_GAMEOVER = "gameover";
const char *const SCREEN_CRED = "cred";
const char *const SCREEN_EXIT = "exit";

BOOL active = BOOL_TRUE;
BOOL fullscreen = BOOL_TRUE;
HWND window = nullptr;
HDC deviceContext = nullptr;
HGLRC renderContext = nullptr;
BOOL keys[256] = {};

DWORD startTick = 0;
DWORD lastStepTick = 0;
DWORD eventTime = 0;

double playerX = 0, playerY = 0;
double playerVX = 0, playerVY = 0;
double pushX = 0;
double gravity = 0;
double scrollX = 0;
double scrollSpeed = 0;
double seaLevel = 0;

const char *screen = "";
int32_t menuIndex = 0;
double menuCursor = 0;

int32_t clockSeconds = 0, lastClockSeconds = 0;

FSOUND_SAMPLE *fallSound = nullptr, *jumpSound = nullptr, *clickSound = nullptr,
              *menuSound = nullptr;

Grid mapGrid = {}, overGrid = {}, newGrid = {}, quitGrid = {}, credGrid = {}, timeGrid = {},
     pelmoxGrid = {};

void ClearGameState() {
    active = BOOL_TRUE;
    fullscreen = BOOL_TRUE;
    window = nullptr;
    deviceContext = nullptr;
    renderContext = nullptr;
    std::memset(keys, 0, sizeof keys);
    startTick = lastStepTick = eventTime = 0;
    playerX = playerY = playerVX = playerVY = pushX = gravity = 0;
    scrollX = scrollSpeed = seaLevel = 0;
    screen = "";
    menuIndex = 0;
    menuCursor = 0;
    clockSeconds = lastClockSeconds = 0;
    fallSound = jumpSound = clickSound = menuSound = nullptr;
    for (const GridFile &file : GRID_FILES)
        std::memset(file.grid, 0, GRID_CELLS);
}

const GridFile GRID_FILES[GRID_FILE_COUNT] = {
    {mapGrid, "map"},   {overGrid, "over"}, {newGrid, "new"},       {quitGrid, "quit"},
    {credGrid, "cred"}, {timeGrid, "time"}, {pelmoxGrid, "pelmox"},
};

bool IsScreen(const char *name) {
    return screen != nullptr && std::strcmp(screen, name) == 0;
}
