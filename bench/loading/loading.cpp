// Start-up's own work: reading the seven shipped grid files.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

#include "core/game_state.h"
#include "core/grid_file.h"
#include "app/startup.h"

namespace {

// The shipped files, read by bare name as the game reads them.
void EnterAssets() {
    if (chdir(VORTA_SOURCE_DIR "/assets") != 0)
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

} // namespace

BENCHMARK_MAIN();
