// Scenes for the frame benchmarks: each screen set up on the shipped grids.
#include "bench/common/scenes.h"

#include <cstring>
#include <string>

#include "core/game_state.h"
#include "core/grid_file.h"
#include "core/rules.h"
#include "game/screens.h"

namespace {

// A column of the level with a tile low enough that the sea does not reach a
// player standing on it within the scene's stretch of time.
void FindStandingPlace(int *column, int *row) {
    for (int c = 10; c < GRID_COLS - 10; ++c)
        for (int r = 6; r < GRID_ROWS; ++r)
            if (mapGrid[r * GRID_COLS + c] == CELL_BLOCK) {
                *column = c;
                *row = r;
                return;
            }
    *column = 30;
    *row = GRID_ROWS; // no floor: the player rests on the bottom limit
}

struct Stretch {
    int32_t first; // game time of frame 0
    long frames;   // frames before the times start again
};

Stretch StretchOf(const char *name) {
    const std::string s = name;
    if (s == "game")
        return {10000, 300}; // the sea stays below a player on row 11
    if (s == "gameover")
        return {22000, 250}; // less than 7 s after the loss at 20000
    if (s == "cred")
        return {8000, 400}; // less than 11 s after entering at 5000
    return {20000, 1000};
}

} // namespace

void LoadShippedGrids() {
    for (const GridFile &g : GRID_FILES)
        LoadGrid(g.grid, (std::string(VORTA_SOURCE_DIR "/assets/") + g.name).c_str());
}

void EnterScene(const char *name) {
    const std::string s = name;
    int column = 0, row = 0;
    FindStandingPlace(&column, &row);
    playerX = 20.0;
    scrollX = 2.0 * column + 1.0 - playerX;
    playerY = row < GRID_ROWS ? 2.0 * row - 1.0 : 30.0;
    playerVX = playerVY = pushX = 0.0;
    gravity = NORMAL_GRAVITY;
    scrollSpeed = 0.0;
    menuIndex = 0;
    menuCursor = 0.0;
    std::memset(keys, 0, sizeof keys);
    const int32_t first = StretchOf(name).first;
    lastStepTick = static_cast<DWORD>(first - 17);
    if (s == "menu") {
        StartOnMenu(startTick);
    } else if (s == "game") {
        screen = SCREEN_GAME;
        RiseSea(first);
    } else if (s == "win") {
        screen = SCREEN_WIN;
        eventTime = static_cast<DWORD>(first);
        seaLevel = 20.0;
    } else if (s == "gameover") {
        screen = SCREEN_GAMEOVER;
        eventTime = 20000;
        seaLevel = 17.0;
    } else {
        screen = SCREEN_CRED;
        eventTime = 5000;
    }
}

int32_t SceneTime(const char *name, long frame) {
    const Stretch s = StretchOf(name);
    return s.first + static_cast<int32_t>(17 * (frame % s.frames));
}
