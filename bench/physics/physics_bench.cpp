// Benchmarks of the physics catch-up and the menu cursor after long pauses.
#include <benchmark/benchmark.h>

#include "core/game_state.h"
#include "game/physics.h"
#include "game/screens.h"
#include "tests/doubles/test_support.h"

namespace {

void FlatLevel() {
    ResetGameState();
    glRecording = false;
    for (int c = 0; c < GRID_COLS; ++c)
        mapGrid[10 * GRID_COLS + c] = CELL_BLOCK;
    playerX = 20.0;
    playerY = 19.0;
}

// One call catching up on a pause: 10 s of game time are 2000 steps. The
// longest possible catch-up (2^31 ms, 429 million steps) costs this times 214748.
void BM_CatchUpTenSeconds(benchmark::State &state) {
    FlatLevel();
    keys[VK_RIGHT] = BOOL_TRUE;
    keys[VK_UP] = BOOL_TRUE;
    for (auto _ : state) {
        lastStepTick = 0;
        StepPlayer(10000);
        benchmark::DoNotOptimize(playerX);
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_CatchUpTenSeconds);

// A whole game frame at 60 frames a second: rules, physics and every drawing
// call (counted by the GL stand-in).
void BM_GameFrame(benchmark::State &state) {
    FlatLevel();
    screen = SCREEN_GAME;
    int32_t t = 0;
    for (auto _ : state) {
        t = (t + 16) % 20000;
        lastStepTick = static_cast<DWORD>(t - 16);
        DrawFrame(t);
        screen = SCREEN_GAME;
    }
}
BENCHMARK(BM_GameFrame);

// The first menu frame after a long absence: the easing stops as soon as the
// cursor no longer moves.
void BM_MenuAfterLongAbsence(benchmark::State &state) {
    FlatLevel();
    screen = SCREEN_MENU;
    for (auto _ : state) {
        menuIndex = 2;
        menuCursor = 0.0;
        lastStepTick = 0;
        DrawFrame(1 << 30);
    }
}
BENCHMARK(BM_MenuAfterLongAbsence);

} // namespace
