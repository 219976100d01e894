// The cost of the game itself per frame: DrawFrame on each screen with GL
// calls only counted (no driver behind them), plus the two catch-up loops
// that grow with time away: the physics after a 10 s pause and the menu
// cursor after a minute elsewhere. Heap allocations per frame are counted
// alongside; they must be zero.
#include <benchmark/benchmark.h>

#include "bench/common/scenes.h"
#include "core/game_state.h"
#include "game/physics.h"
#include "game/screens.h"
#include "tests/doubles/heap_counter.h"
#include "tests/doubles/test_support.h"

namespace {

void Prepare() {
    ResetForPlay();
    win32Tick = 123456789; // the background twinkles by the wall clock
    LoadShippedGrids();
}

void BM_DrawFrame(benchmark::State &state, const char *name) {
    Prepare();
    EnterScene(name);
    // Counted on 1000 frames ahead of the timed ones, away from the
    // benchmark's own bookkeeping.
    long frame = 0;
    const size_t callsBefore = glCallCount;
    const size_t allocationsBefore = HeapAllocationCount();
    for (; frame < 1000; ++frame)
        DrawFrame(SceneTime(name, frame));
    const size_t calls = glCallCount - callsBefore;
    const size_t allocations = HeapAllocationCount() - allocationsBefore;
    state.counters["gl_calls_per_frame"] = static_cast<double>(calls) / 1000;
    state.counters["allocs_per_frame"] = static_cast<double>(allocations) / 1000;
    for (auto _ : state) {
        DrawFrame(SceneTime(name, frame++));
        if (soundCalls.size() > 60000)
            soundCalls.clear();
    }
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
