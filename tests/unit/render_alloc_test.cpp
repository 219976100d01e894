#include <gtest/gtest.h>

#include <cstring>

#include "render/banner.h"
#include "render/level_view.h"
#include "render/primitives.h"
#include "render/scenery.h"
#include "tests/doubles/heap_counter.h"
#include "tests/doubles/test_support.h"

// Every drawing operation runs each frame, many times over: none may touch the
// heap. The recording stand-ins reserve their room up front, so whatever is
// counted here comes from the renderers themselves.
TEST(Renderers, NeverAllocate) {
    ResetGameState();
    Grid full;
    std::memset(full, CELL_BLOCK, sizeof full);
    Grid level = {};
    for (int c = 0; c < GRID_COLS; c += 3) {
        level[11 * GRID_COLS + c] = CELL_BLOCK;
        level[5 * GRID_COLS + c] = CELL_GOAL;
    }
    clickSound = FakeSample(2);

    struct Op {
        const char *name;
        void (*draw)();
    };
    static Grid *fullGrid, *levelGrid;
    fullGrid = &full;
    levelGrid = &level;
    const Op ops[] = {
        {"DrawDisc", [] { DrawDisc(20, 15, 0, 1, 0, 1.1); }},
        {"DrawTile", [] { DrawTile(4, 6); }},
        {"DrawBackground", [] { DrawBackground(987654); }},
        {"DrawSea", [] { DrawSea(12345, 20); }},
        {"DrawLevel", [] { DrawLevel(*levelGrid, 37.5); }},
        {"DrawBanner", [] { DrawBanner(*fullGrid, 3, 10, 0.5); }},
        {"DrawClock", [] { DrawClock(200999, 0, 1); }}, // a new second: clicks
    };
    for (const Op &op : ops) {
        GlRecorderReset();
        const size_t before = HeapAllocationCount();
        op.draw();
        EXPECT_EQ(HeapAllocationCount() - before, 0u) << op.name;
        EXPECT_FALSE(glCalls.empty()) << op.name;
    }
    EXPECT_EQ(SoundPlays().size(), 1u);
}
