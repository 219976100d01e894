#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "render/level_view.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/drawn_vertices.h"

#include <GL/gl.h>

namespace {

struct Window {
    int first, last; // columns visited; last < first when none
};

// Draws a level that is solid everywhere and reads the visited columns back
// from the tiles' corners.
Window VisitedColumns(double scroll) {
    Grid solid;
    std::memset(solid, CELL_BLOCK, sizeof solid);
    GlRecorderReset();
    DrawLevel(solid, scroll);
    const size_t tiles = GlCountNamed("glBegin") / 2;
    if (tiles == 0)
        return {0, -1};
    EXPECT_EQ(tiles % GRID_ROWS, 0u);
    // The first vertex of a tile is its core corner, 0.5 in from the tile's corner.
    const auto v = GlCallsNamed("glVertex3f");
    const double firstX = v.front().a[0] - 0.5;
    const int first = static_cast<int>(std::lround((firstX + scroll) / 2));
    return {first, first + static_cast<int>(tiles / GRID_ROWS) - 1};
}

} // namespace

TEST(DrawLevel, VisitsTheColumnsAroundTheCamera) {
    ResetGameState();
    struct Case {
        double scroll;
        int first, last;
    } cases[] = {
        {0, 0, 30},  {3, 0, 32},    {5, 2, 32},    {-9.5, 0, 25},
        {-61, 0, 0}, {170, 84, 99}, {200, 99, 99}, {0.999, 0, 30},
    };
    for (const Case &c : cases) {
        const Window w = VisitedColumns(c.scroll);
        EXPECT_EQ(w.first, c.first) << "scroll " << c.scroll;
        EXPECT_EQ(w.last, c.last) << "scroll " << c.scroll;
    }
}

TEST(DrawLevel, DrawsNothingWhenTheCameraIsOffTheLevel) {
    ResetGameState();
    const double inf = std::numeric_limits<double>::infinity();
    for (double scroll : {-62.0, -1000.0, 201.0, 1e300, -1e300, inf, -inf,
                          std::numeric_limits<double>::quiet_NaN()}) {
        const Window w = VisitedColumns(scroll);
        EXPECT_LT(w.last, w.first) << "scroll " << scroll;
        EXPECT_TRUE(glCalls.empty()) << "scroll " << scroll;
    }
}

TEST(DrawLevel, RowsTopToBottomColumnsLeftToRight) {
    ResetGameState();
    Grid level = {};
    level[5 * 100 + 3] = CELL_BLOCK;
    level[0 * 100 + 9] = CELL_BLOCK;
    level[0 * 100 + 4] = CELL_BLOCK;
    level[11 * 100 + 0] = CELL_BLOCK;
    level[2 * 100 + 6] = 3; // neither tile nor goal
    level[2 * 100 + 7] = 255;
    DrawLevel(level, 2);
    const auto v = DrawnVertices();
    ASSERT_EQ(v.size(), 4u * 56u);
    const double corners[4][2] = {{6, 0}, {16, 0}, {4, 10}, {-2, 22}};
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(v[56 * t].x, corners[t][0] + 0.5) << "tile " << t;
        EXPECT_EQ(v[56 * t].y, corners[t][1] + 0.5) << "tile " << t;
    }
}

TEST(DrawLevel, GoalDiscSitsOnTheCellCornerAndCyclesItsColour) {
    ResetGameState();
    Grid level = {};
    level[3 * 100 + 7] = CELL_GOAL;
    // Each colour component reads the tick afresh: red, then green, then blue.
    win32Tick = 1000;
    win32TickStep = 200;
    DrawLevel(level, 1.0);
    EXPECT_EQ(BeginModes(), std::vector<int>{GL_TRIANGLES});
    const auto v = DrawnVertices();
    ASSERT_EQ(v.size(), 60u);
    EXPECT_EQ(v[0].x, 12.8f); // highlight of a disc centred on (13, 6)
    EXPECT_EQ(v[0].y, 5.8f);
    EXPECT_EQ(v[1].x, 14.5); // radius 1.5
    EXPECT_EQ(v[1].y, 6);
    EXPECT_FLOAT_EQ(v[1].r, std::pow(std::sin(1000 / 1000.0), 2));
    EXPECT_FLOAT_EQ(v[1].g, std::pow(std::cos(1200 / 850.0), 2));
    EXPECT_FLOAT_EQ(v[1].b, std::sin(1400 / 1200.0));
    EXPECT_EQ(win32Tick, 1600u);
}
