#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/game_state.h"
#include "game/physics.h"
#include "tests/doubles/test_support.h"

namespace {

constexpr int FLOOR_ROW = 10;
constexpr double ON_FLOOR = 2 * FLOOR_ROW - 1; // centre height resting on row 10

void SetCell(int row, int column, unsigned char value) {
    mapGrid[row * GRID_COLS + column] = value;
}

// A level with one unbroken floor, and the player resting on it mid-view.
void StandOnFlatFloor() {
    ResetGameState();
    jumpSound = FakeSample(1);
    for (int c = 0; c < GRID_COLS; ++c)
        SetCell(FLOOR_ROW, c, CELL_BLOCK);
    playerX = 20.0;
    playerY = ON_FLOOR;
    playerVY = 0.001;
    gravity = 0.001;
}

// Runs exactly n physics steps in one call.
void Steps(int n) {
    StepPlayer(static_cast<int32_t>(lastStepTick + STEP_MS * n));
}

// In the air with no floor anywhere, playerVY counts the steps taken.
void FallFreely() {
    ResetGameState();
    playerX = 20.0;
    gravity = 0.001;
}
long StepsTakenInFreeFall() {
    return std::lround(playerVY / 0.001);
}

} // namespace

TEST(Physics, RestingPlayerStaysPutWithTheSmallLeftoverGravity) {
    StandOnFlatFloor();
    for (int i = 0; i < 50; ++i) {
        Steps(1);
        ASSERT_EQ(playerY, ON_FLOOR);
        ASSERT_EQ(playerVY, 0.001);
    }
}

TEST(Physics, JumpRisesAndLandsOnTime) {
    StandOnFlatFloor();
    keys[VK_UP] = BOOL_TRUE;
    Steps(1); // the jump starts in this step
    ASSERT_EQ(playerVY, -0.12);
    keys[VK_UP] = BOOL_FALSE;

    double top = playerY;
    int topStep = 0, landStep = 0;
    for (int n = 1; n <= 400 && landStep == 0; ++n) {
        Steps(1);
        if (playerY < top) {
            top = playerY;
            topStep = n;
        }
        if (playerY == ON_FLOOR && playerVY == 0.001)
            landStep = n;
    }
    EXPECT_NEAR(ON_FLOOR - top, 7.26, 1e-9);
    EXPECT_EQ(topStep, 120);
    EXPECT_EQ(landStep, 241);
}

TEST(Physics, JumpSoundOncePerCallOnlyWhileUpIsHeld) {
    StandOnFlatFloor();
    keys[VK_UP] = BOOL_TRUE;
    Steps(1000); // lands and jumps again several times within one call
    ASSERT_EQ(SoundPlays().size(), 1u);
    EXPECT_EQ(SoundPlays()[0].a, 1);
    EXPECT_EQ(SoundPlays()[0].sample, jumpSound);

    Steps(10); // mid-air: no jump starts, no sound
    EXPECT_EQ(SoundPlays().size(), 1u);

    StandOnFlatFloor();
    keys[VK_UP] = BOOL_TRUE;
    Steps(0); // no step, no jump
    EXPECT_TRUE(SoundPlays().empty());
}

TEST(Physics, RightHeldSettlesAtItsCruisingSpeed) {
    StandOnFlatFloor();
    playerX = 1.0;
    keys[VK_RIGHT] = BOOL_TRUE;
    Steps(20000);
    EXPECT_NEAR(playerVX, 0.1485, 1e-12);
    EXPECT_NEAR(playerX, 27.425, 1e-9);
    EXPECT_NEAR(scrollSpeed, 0.07425, 1e-12);

    // Left mirrors it; both together cancel and only friction remains.
    StandOnFlatFloor();
    scrollX = 100.0;
    keys[VK_LEFT] = BOOL_TRUE;
    Steps(20000);
    EXPECT_NEAR(playerVX, -0.1485, 1e-12);
    EXPECT_NEAR(playerX, 12.575, 1e-9);

    keys[VK_RIGHT] = BOOL_TRUE;
    Steps(1); // still applies the push Left asked for in the step before
    const double before = playerVX;
    Steps(2);
    const double once = before - before / 100;
    EXPECT_EQ(playerVX, once - once / 100);
}

TEST(Physics, CameraSettlesAfterANewGameWithNoKey) {
    StandOnFlatFloor();
    playerX = 1.0;
    playerY = 0.0;
    playerVY = gravity = scrollX = scrollSpeed = 0.0;
    Steps(20000);
    EXPECT_NEAR(playerX, 20.0, 1e-9);
    EXPECT_NEAR(scrollX, -9.5, 1e-9);
    EXPECT_EQ(playerY, ON_FLOOR);
}

TEST(Physics, StepCountFollowsTheElapsedTime) {
    FallFreely();
    for (int i = 1; i <= 10; ++i)
        StepPlayer(17 * i); // 3 steps each, 2 ms lost each time
    EXPECT_EQ(StepsTakenInFreeFall(), 30);
    EXPECT_EQ(lastStepTick, 170u);

    FallFreely();
    for (int i = 1; i <= 100; ++i)
        StepPlayer(4 * i);
    EXPECT_EQ(StepsTakenInFreeFall(), 0);
    EXPECT_EQ(lastStepTick, 400u);

    FallFreely();
    StepPlayer(10000);
    EXPECT_EQ(StepsTakenInFreeFall(), 2000);

    // A time before the last step (the old time line after a new game) runs
    // nothing but still takes up the new time.
    FallFreely();
    lastStepTick = 5000;
    StepPlayer(16);
    EXPECT_EQ(StepsTakenInFreeFall(), 0);
    EXPECT_EQ(lastStepTick, 16u);

    // lastStepTick is unsigned: a value above the signed range is far in the
    // future, not in the past.
    FallFreely();
    lastStepTick = 0xFFFFFFF0u;
    StepPlayer(100);
    EXPECT_EQ(StepsTakenInFreeFall(), 0);
    EXPECT_EQ(lastStepTick, 100u);
}

TEST(Physics, DownMakesADropOnTheNextStep) {
    StandOnFlatFloor();
    playerY = 2.0;
    playerVY = 0.0;
    keys[VK_DOWN] = BOOL_TRUE;
    Steps(1);
    EXPECT_EQ(gravity, 1.0);
    Steps(1);
    EXPECT_NEAR(playerVY, 1.001, 1e-12);
    Steps(10);
    EXPECT_EQ(playerY, ON_FLOOR);
}

TEST(Physics, TilesBesideThePlayerDoNotBlockIt) {
    StandOnFlatFloor();
    // A wall one and two rows high, in the column ahead.
    SetCell(FLOOR_ROW - 1, 12, CELL_BLOCK);
    SetCell(FLOOR_ROW - 2, 12, CELL_BLOCK);
    keys[VK_RIGHT] = BOOL_TRUE;
    for (int i = 0; i < 3000 && playerX + scrollX < 2 * 13.0; ++i) {
        Steps(1);
        ASSERT_EQ(playerY, ON_FLOOR);
    }
    EXPECT_GE(playerX + scrollX, 2 * 13.0); // walked through and beyond the wall
}

TEST(Physics, NoFloorOutsideTheLevel) {
    StandOnFlatFloor();
    scrollX = -22.0; // level x -2: column -1
    Steps(1);
    EXPECT_GT(playerY, ON_FLOOR);

    StandOnFlatFloor();
    playerX = 1.0;
    scrollX = -2.9; // level x -1.9 truncates to column 0, which has a floor
    Steps(1);
    EXPECT_EQ(playerY, ON_FLOOR);

    StandOnFlatFloor();
    scrollX = 180.0; // level x 200: column 100
    Steps(1);
    EXPECT_GT(playerY, ON_FLOOR);

    // Below the bottom row nothing holds the player but the bottom limit.
    StandOnFlatFloor();
    playerY = 23.5;
    Steps(3000);
    EXPECT_EQ(playerY, 30.0);

    // Above the top the search starts at row 0.
    StandOnFlatFloor();
    playerY = -50.0;
    playerVY = 100.0;
    Steps(1);
    EXPECT_EQ(playerY, ON_FLOOR);
}

TEST(Physics, BoundsHoldWhateverTheKeysAndLevel) {
    ResetGameState();
    unsigned seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int i = 0; i < GRID_CELLS; ++i)
        mapGrid[i] = next() % 7 == 0 ? CELL_BLOCK : CELL_EMPTY;
    playerX = 1.0;
    for (int frame = 0; frame < 3000; ++frame) {
        for (int k : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN})
            keys[k] = next() % 3 == 0 ? BOOL_TRUE : BOOL_FALSE;
        StepPlayer(static_cast<int32_t>(lastStepTick + next() % 40));
        ASSERT_GE(playerX, 1.0);
        ASSERT_LE(playerX, 39.0);
        ASSERT_LE(playerY, 30.0);
    }
}

TEST(Physics, PositionsThatAreNotNumbersAreSafe) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {nan, inf, -inf, 1e300, -1e300}) {
        StandOnFlatFloor();
        playerY = bad;
        Steps(3);
        EXPECT_GE(playerX, 1.0);
        EXPECT_LE(playerX, 39.0);
        EXPECT_FALSE(playerY > 30.0);

        StandOnFlatFloor();
        scrollX = bad;
        Steps(3);
        EXPECT_GE(playerX, 1.0);
        EXPECT_LE(playerX, 39.0);

        StandOnFlatFloor();
        playerX = bad;
        Steps(3);
        EXPECT_GE(playerX, 1.0);
        EXPECT_LE(playerX, 39.0);
    }
}
