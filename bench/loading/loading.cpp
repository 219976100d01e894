// Start-up costs: reading the seven shipped grid files, and the whole start-up
// up to the first frame on the screen, with the window layer scripted (the
// question answered No, window creation succeeding at once) so that only the
// game's own work is timed.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

#include "core/game_state.h"
#include "core/grid_file.h"
#include "app/startup.h"
#include "tests/doubles/test_support.h"

namespace {

// The shipped files, read by bare name as the game reads them.
void EnterAssets() {
    if (chdir(VK_SOURCE_DIR "/assets") != 0)
        std::abort();
}

void BM_LoadSevenGrids(benchmark::State &state) {
    EnterAssets();
    for (auto _ : state) {
        LoadAllGrids();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 7 * 2400);
}
BENCHMARK(BM_LoadSevenGrids);

// From the entry point to the first presented frame: the loop is told to quit
// when it finds the queue empty the second time, that is right after the
// first frame was drawn and swapped.
void BM_StartupToFirstFrame(benchmark::State &state) {
    EnterAssets();
    int swaps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetGameState();
        glRecording = false;
        messageBoxAnswers.push_back(IDNO);
        win32OnIdle = [](int idle) {
            if (idle == 2) {
                MSG quit{};
                quit.message = WM_QUIT;
                win32Queue.push_back(quit);
            }
        };
        state.ResumeTiming();
        GameMain();
        swaps = swapCount;
    }
    if (swaps != 1)
        state.SkipWithError("start-up did not present exactly one frame");
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
