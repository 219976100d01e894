#include <gtest/gtest.h>

#include <cmath>

#include "core/game_state.h"
#include "game/physics.h"
#include "tests/doubles/test_support.h"

TEST(GameState, StartsAsAFreshProcessWould) {
    ResetGameState();
    EXPECT_EQ(active, -1);
    EXPECT_EQ(fullscreen, -1);
    EXPECT_EQ(window, nullptr);
    for (BOOL k : keys)
        EXPECT_EQ(k, 0);
}

TEST(MaxMin, TiesReturnTheFirstArgument) {
    EXPECT_EQ(MaxOf(2, 5), 5);
    EXPECT_EQ(MaxOf(5, 2), 5);
    EXPECT_EQ(MinOf(2, 5), 2);
    EXPECT_EQ(MinOf(5, 2), 2);
    EXPECT_TRUE(std::signbit(MaxOf(-0.0, 0.0)));
    EXPECT_FALSE(std::signbit(MinOf(0.0, -0.0)));
}
