// The cost of the game itself per frame: DrawFrame on each screen over the
// do-nothing backend (no driver behind the GL calls), plus the two catch-up
// loops that grow with time away: the physics after a 10 s pause and the menu
// cursor after a minute elsewhere.
#include <benchmark/benchmark.h>

#include "bench/common/scenes.h"
#include "core/game_state.h"
#include "game/physics.h"
#include "game/screens.h"
#include "backends/null/null_backend.h"

namespace {

void Prepare() {
    ClearGameState();
    nullTick = 123456789; // the background twinkles by the wall clock
    LoadShippedGrids();
}

void BM_DrawFrame(benchmark::State &state, const char *name) {
    Prepare();
    EnterScene(name);
    long frame = 0;
    for (auto _ : state)
        DrawFrame(SceneTime(name, frame++));
    if (!IsScreen(name))
        state.SkipWithError("the scene left its screen");
}
BENCHMARK_CAPTURE(BM_DrawFrame, menu, "menu");
BENCHMARK_CAPTURE(BM_DrawFrame, game, "game");
BENCHMARK_CAPTURE(BM_DrawFrame, win, "win");
BENCHMARK_CAPTURE(BM_DrawFrame, gameover, "gameover");
BENCHMARK_CAPTURE(BM_DrawFrame, cred, "cred");

// One call after 10 000 ms without frames: 2000 physics steps, with the player
// standing on a tile of the shipped level.
void BM_StepPlayerCatchUp10s(benchmark::State &state) {
    Prepare();
    EnterScene("game");
    const double x = playerX, y = playerY, scroll = scrollX;
    for (auto _ : state) {
        playerX = x;
        playerY = y;
        scrollX = scroll;
        playerVX = playerVY = scrollSpeed = 0.0;
        lastStepTick = 0;
        StepPlayer(10000);
        benchmark::DoNotOptimize(playerY);
    }
    state.counters["steps"] = 2000;
}
BENCHMARK(BM_StepPlayerCatchUp10s);

// The first menu frame after 60 s away (60 001 easing steps at most), with the
// cursor one entry from the selection or already at rest on it. Compare with
// BM_DrawFrame/menu, where 17 ms have passed.
void BM_MenuAfter60s(benchmark::State &state) {
    Prepare();
    EnterScene("menu");
    const bool moving = state.range(0) != 0;
    for (auto _ : state) {
        menuIndex = 0;
        menuCursor = moving ? 1.0 : 0.0;
        lastStepTick = 0;
        DrawFrame(60000);
        benchmark::DoNotOptimize(menuCursor);
    }
    state.SetLabel(moving ? "cursor one entry away" : "cursor at rest");
}
BENCHMARK(BM_MenuAfter60s)->Arg(1)->Arg(0);

} // namespace

BENCHMARK_MAIN();
