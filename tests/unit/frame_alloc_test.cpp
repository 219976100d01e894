#include <gtest/gtest.h>

#include <cstring>

#include "core/game_state.h"
#include "game/screens.h"
#include "tests/doubles/heap_counter.h"
#include "tests/doubles/test_support.h"

// A running game draws frame after frame without touching the heap, on every
// screen: the whole frame, rules and sounds included. The GL stand-in only
// counts here, and the sound stand-in has its room reserved, so anything
// counted comes from the game.
TEST(Frames, NeverAllocateInSteadyState) {
    struct Case {
        const char *screen;
        int key; // held throughout, 0 for none
    };
    const Case cases[] = {
        {SCREEN_MENU, VK_DOWN}, // the cursor keeps moving and the menu sound keeps playing
        {SCREEN_GAME, VK_RIGHT}, {SCREEN_WIN, 0}, {SCREEN_GAMEOVER, 0}, {SCREEN_CRED, 0},
    };
    for (const Case &c : cases) {
        ResetGameState();
        glRecording = false;
        for (unsigned char *g : {overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid})
            std::memset(g, CELL_BLOCK, GRID_CELLS);
        for (int col = 0; col < GRID_COLS; ++col) {
            mapGrid[11 * GRID_COLS + col] = CELL_BLOCK;
            mapGrid[4 * GRID_COLS + col] = col % 7 == 3 ? CELL_GOAL : CELL_EMPTY;
        }
        fallSound = FakeSample(0);
        jumpSound = FakeSample(1);
        clickSound = FakeSample(2);
        menuSound = FakeSample(3);
        screen = c.screen;
        seaLevel = 27.0;
        playerX = 1.0;
        playerY = 21.0;
        if (c.key)
            keys[c.key] = BOOL_TRUE;

        // Warm up, then count; time runs on, so the clock clicks on the way.
        int32_t t = 0;
        for (int i = 0; i < 5; ++i, t += 17)
            DrawFrame(t);
        const size_t before = HeapAllocationCount();
        for (int i = 0; i < 60; ++i, t += 17)
            DrawFrame(t);
        EXPECT_EQ(HeapAllocationCount() - before, 0u) << c.screen;
        EXPECT_TRUE(IsScreen(c.screen)) << c.screen << " left for " << screen;
        EXPECT_GT(glCallCount, 0u);
    }
}
