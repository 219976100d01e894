// The physics where no replay goes: floors at and beyond the level's edges,
// and positions that are huge or not numbers. The replays pin every number of
// an ordinary run (jump, gravity, push, friction, camera, steps per frame).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/game_state.h"
#include "game/physics.h"
#include "tests/doubles/test_support.h"

namespace {

constexpr double ON_FLOOR = 19; // centre height resting on row 10

// A level with an unbroken floor in rows 10 and 11 (so that a search past the
// last column, into the next row, would find one).
void FlatFloor(double scroll, double x, double y, double vy) {
    ResetGameState();
    std::fill(mapGrid + 10 * GRID_COLS, mapGrid + GRID_CELLS, CELL_BLOCK);
    scrollX = scroll, playerX = x, playerY = y, playerVY = vy, gravity = 0.001;
}

void Steps(int n) {
    StepPlayer(static_cast<int32_t>(lastStepTick + STEP_MS * n));
}

} // namespace

TEST(Physics, FloorsOnlyInsideTheLevelAndBelowTheFeet) {
    const struct {
        double scroll, x, y, vy;
        int steps;
        double y1; // NAN: fell below the floor
    } cases[] = {
        {-22.0, 20, ON_FLOOR, 0.001, 1, NAN},    // level x -2: column -1
        {-2.9, 1, ON_FLOOR, 0.001, 1, ON_FLOOR}, // level x -1.9 is still column 0
        {180.0, 20, ON_FLOOR, 0.001, 1, NAN},    // level x 200: column 100
        {0, 20, 23.5, 0.001, 3000, 30.0},        // below the bottom row: the bottom limit
        {0, 20, -50.0, 100.0, 1, ON_FLOOR},      // above the top the search starts at row 0
    };
    for (const auto &c : cases) {
        FlatFloor(c.scroll, c.x, c.y, c.vy);
        Steps(c.steps);
        if (std::isnan(c.y1))
            EXPECT_GT(playerY, ON_FLOOR) << c.scroll;
        else
            EXPECT_EQ(playerY, c.y1) << c.scroll;
    }
}

TEST(Physics, BoundsHoldWhateverThePosition) {
    for (double bad : {double(NAN), double(INFINITY), -double(INFINITY), 1e300, -1e300}) {
        for (double *where : {&playerY, &scrollX, &playerX}) {
            FlatFloor(0, 20, ON_FLOOR, 0.001);
            *where = bad;
            Steps(3);
            EXPECT_TRUE(playerX >= 1.0 && playerX <= 39.0) << bad << " " << playerX;
            EXPECT_FALSE(playerY > 30.0) << bad;
        }
    }
}

// The step count is worked out in 64 bits: a last step far ahead of the frame
// (game time past 2^31 ms) runs none, where 32 bits would wrap to a few.
TEST(Physics, ALastStepFarAheadRunsNoStep) {
    FlatFloor(0, 20, 5, 0); // in the air: a step would move it
    lastStepTick = 0xFFFFFFF0u;
    StepPlayer(100);
    EXPECT_EQ(playerY, 5);
    EXPECT_EQ(lastStepTick, 100u);
}
