#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/game_state.h"
#include "core/numeric.h"
#include "game/physics.h"
#include "tests/doubles/test_support.h"

namespace {

constexpr int FLOOR_ROW = 10;
constexpr double ON_FLOOR = 2 * FLOOR_ROW - 1; // centre height resting on row 10

// A level with one unbroken floor, and the player resting on it mid-view.
void StandOnFlatFloor() {
    ResetGameState();
    jumpSound = FakeSample(1);
    for (int c = 0; c < GRID_COLS; ++c)
        mapGrid[FLOOR_ROW * GRID_COLS + c] = CELL_BLOCK;
    playerX = 20.0;
    playerY = ON_FLOOR;
    playerVY = gravity = 0.001;
}

// Runs exactly n physics steps in one call.
void Steps(int n) {
    StepPlayer(static_cast<int32_t>(lastStepTick + STEP_MS * n));
}

} // namespace

TEST(Physics, MaxOfAndMinOfReturnTheFirstArgumentOnATie) {
    EXPECT_EQ((std::vector<double>{MaxOf(2, 5), MaxOf(5, 2), MinOf(2, 5), MinOf(5, 2)}),
              (std::vector<double>{5, 5, 2, 2}));
    EXPECT_TRUE(std::signbit(MaxOf(-0.0, 0.0)));
    EXPECT_FALSE(std::signbit(MinOf(0.0, -0.0)));
}

TEST(Physics, JumpRisesAndLandsOnTimeWithOneSoundPerCall) {
    StandOnFlatFloor();
    keys[VK_UP] = BOOL_TRUE;
    Steps(1); // the jump starts in this step
    ASSERT_EQ(playerVY, -0.12);
    keys[VK_UP] = BOOL_FALSE;
    double top = playerY;
    int topStep = 0, landStep = 0;
    for (int n = 1; n <= 400 && landStep == 0; ++n) {
        Steps(1);
        if (playerY < top)
            top = playerY, topStep = n;
        if (playerY == ON_FLOOR && playerVY == 0.001) // resting again, as before the jump
            landStep = n;
    }
    EXPECT_NEAR(ON_FLOOR - top, 7.26, 1e-9);
    EXPECT_EQ(topStep, 120);
    EXPECT_EQ(landStep, 241);
    ASSERT_EQ(SoundPlays().size(), 1u);
    EXPECT_EQ(SoundPlays()[0].a, 1);
    EXPECT_EQ(SoundPlays()[0].sample, jumpSound);

    // Up held: a new jump starts on every landing, but a call sounds once at most.
    StandOnFlatFloor();
    keys[VK_UP] = BOOL_TRUE;
    Steps(1000);
    Steps(10); // in the air: no jump starts
    Steps(0);
    EXPECT_EQ(SoundPlays().size(), 1u);
}

TEST(Physics, HeldKeysSettleAtTheirLimits) {
    const struct {
        int key; // 0: none, as after a new game
        double x0, scroll0, vx, x, scrollSpeed;
    } cases[] = {
        {VK_RIGHT, 1, 0, 0.1485, 27.425, 0.07425}, // the level x advances by vx / 2 a step
        {VK_LEFT, 20, 100, -0.1485, 12.575, -0.07425},
        {0, 1, 0, 0, 20, 0}, // the camera pull carries the disc to the middle
    };
    for (const auto &c : cases) {
        StandOnFlatFloor();
        playerX = c.x0, scrollX = c.scroll0;
        keys[c.key] = BOOL_TRUE;
        Steps(20000);
        EXPECT_NEAR(playerVX, c.vx, 1e-12) << c.key;
        EXPECT_NEAR(playerX, c.x, 1e-9) << c.key;
        EXPECT_NEAR(scrollSpeed, c.scrollSpeed, 1e-12) << c.key;
    }
    EXPECT_NEAR(scrollX, -9.5, 1e-9); // from level x 1 to 10.5

    // Left and Right together cancel: after the push already asked for, only friction.
    keys[VK_LEFT] = keys[VK_RIGHT] = BOOL_TRUE;
    playerVX = 0.1;
    Steps(1);
    const double once = playerVX - playerVX / 100;
    Steps(1);
    EXPECT_EQ(playerVX, once);

    // Down: the drop begins in the next step and ends on the floor.
    StandOnFlatFloor();
    playerY = 2.0;
    playerVY = 0.0;
    keys[VK_DOWN] = BOOL_TRUE;
    Steps(2);
    EXPECT_NEAR(playerVY, 1.001, 1e-12);
    Steps(10);
    EXPECT_EQ(playerY, ON_FLOOR);
}

TEST(Physics, StepsFollowTheElapsedTime) {
    const struct {
        DWORD lastStep;
        int32_t every, calls;
        long steps;
        DWORD lastAfter;
    } cases[] = {
        {0, 17, 10, 30, 170},          // 3 steps a call, 2 ms lost each time
        {0, 4, 100, 0, 400},           // never a whole step
        {0, 10000, 1, 2000, 10000},    // a long pause catches up at once
        {5000, 16, 1, 0, 16},          // before the last step: the new time line
        {0xFFFFFFF0u, 100, 1, 0, 100}, // far in the future, not in the past
    };
    for (const auto &c : cases) {
        ResetGameState();
        playerX = 20.0;
        gravity = 0.001; // in free fall playerVY counts the steps
        lastStepTick = c.lastStep;
        for (int32_t i = 1; i <= c.calls; ++i)
            StepPlayer(c.every * i);
        EXPECT_EQ(std::lround(playerVY / 0.001), c.steps) << c.every;
        EXPECT_EQ(lastStepTick, c.lastAfter) << c.every;
    }
}

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
        StandOnFlatFloor();
        scrollX = c.scroll, playerX = c.x, playerY = c.y, playerVY = c.vy;
        Steps(c.steps);
        if (std::isnan(c.y1))
            EXPECT_GT(playerY, ON_FLOOR) << c.scroll;
        else
            EXPECT_EQ(playerY, c.y1) << c.scroll;
    }

    // A wall one and two rows high, in the column ahead, does not block.
    StandOnFlatFloor();
    mapGrid[(FLOOR_ROW - 1) * GRID_COLS + 12] = mapGrid[(FLOOR_ROW - 2) * GRID_COLS + 12] =
        CELL_BLOCK;
    keys[VK_RIGHT] = BOOL_TRUE;
    for (int i = 0; i < 3000 && playerX + scrollX < 26.0; ++i) {
        Steps(1);
        ASSERT_EQ(playerY, ON_FLOOR);
    }
    EXPECT_GE(playerX + scrollX, 26.0); // walked through and beyond the wall
}

TEST(Physics, BoundsHoldWhateverThePosition) {
    // Random keys over random levels: the hour-long soak. Here, positions that
    // are not numbers, or huge, never break the limits.
    const double inf = std::numeric_limits<double>::infinity();
    for (double bad : {std::nan(""), inf, -inf, 1e300, -1e300}) {
        for (double *where : {&playerY, &scrollX, &playerX}) {
            StandOnFlatFloor();
            *where = bad;
            Steps(3);
            EXPECT_TRUE(playerX >= 1.0 && playerX <= 39.0) << bad;
            EXPECT_FALSE(playerY > 30.0) << bad;
        }
    }
}
