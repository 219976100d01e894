// What each drawing operation hands to GL: vertices, colours and depths.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <set>
#include <utility>

#include "render/banner.h"
#include "render/level_view.h"
#include "render/primitives.h"
#include "render/scenery.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/drawn_vertices.h"

namespace {

using Rgba = std::array<double, 4>;

float F(double v) {
    return static_cast<float>(v);
}

Rgba ColourOf(const DrawnVertex &d) {
    return {d.r, d.g, d.b, d.a};
}

// Runs one drawing operation on a fresh recording; every block it opens it closes.
template <typename Draw> std::vector<DrawnVertex> Drawn(Draw draw) {
    GlRecorderReset();
    draw();
    EXPECT_EQ(glOpenBlocks, 0);
    EXPECT_EQ(glNestedBegins, 0);
    return DrawnVertices();
}

struct Dot {
    double x, y; // centre
    Rgba rim;
    double radius;
};

// Each disc's centre, rim colour and radius, from its highlight and first rim point.
std::vector<Dot> DrawnDots() {
    std::vector<Dot> dots;
    const auto v = DrawnVertices();
    for (size_t i = 0; i + 60 <= v.size(); i += 60) {
        const double x = v[i].x + 0.2, y = v[i].y + 0.2;
        dots.push_back(Dot{x, y, ColourOf(v[i + 1]), v[i + 1].x - x});
    }
    return dots;
}

} // namespace

TEST(DrawDisc, TwentyTrianglesFromTheHighlightToTheRim) {
    ResetGameState();
    for (double radius : {2.0, -1.5}) { // a negative radius mirrors through the centre
        const auto v = Drawn([radius] { DrawDisc(10, 20, 0.25, 0.5, 0.75, radius); });
        EXPECT_EQ(BeginModes(), std::vector<int>{GL_TRIANGLES});
        ASSERT_EQ(v.size(), 60u);
        for (size_t i = 0; i < v.size(); ++i) {
            EXPECT_EQ(v[i].z, -2);
            if (i % 3 == 0) { // white, opaque, 0.2 up and left of the centre
                EXPECT_EQ(std::make_pair(v[i].x, v[i].y),
                          std::make_pair(F(9.8) * 1.0, F(19.8) * 1.0));
                EXPECT_EQ(ColourOf(v[i]), (Rgba{1, 1, 1, 1}));
            } else { // the rim's alpha is the float nearest 0.00001, not zero
                EXPECT_EQ(ColourOf(v[i]), (Rgba{0.25, 0.5, 0.75, 0.00001f}));
            }
        }
        EXPECT_EQ(v[1].x, 10 + radius); // starts on the right, runs down the screen first
        EXPECT_GT(v[2].y * radius, 20 * radius);
        EXPECT_EQ(v[59].x, F(10 + radius)); // closes on its starting point
    }
}

TEST(DrawTile, FiveQuadsThenTwelveCornerTriangles) {
    ResetGameState();
    const auto v = Drawn([] { DrawTile(3, 4); });
    EXPECT_EQ(BeginModes(), (std::vector<int>{GL_QUADS, GL_TRIANGLES}));
    ASSERT_EQ(v.size(), 56u);
    std::set<std::pair<long, long>> border; // offsets from the corner, in thousandths
    int core = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        const long dx = std::lround((v[i].x - 3) * 1000), dy = std::lround((v[i].y - 4) * 1000);
        const bool inner = dx >= 500 && dx <= 1500 && dy >= 500 && dy <= 1500;
        EXPECT_EQ(v[i].z, -1);
        EXPECT_EQ(ColourOf(v[i]), (Rgba{0.5, 0.5, 1, inner ? 0.5 : 0})) << dx << "," << dy;
        core += inner;
        if (!inner)
            border.insert({dx, dy});
    }
    EXPECT_EQ(core, 4 + 4 * 2 + 12);
    // The edges fade out to the tile's border; the top-left corner follows a
    // true arc, the other three are pulled in to 1.866.
    const std::set<std::pair<long, long>> expected = {
        {500, 0},    {1500, 0},    {500, 2000},  {1500, 2000}, {0, 500},   {0, 1500},
        {2000, 500}, {2000, 1500}, {250, 67},    {67, 250},    {1750, 67}, {1866, 250},
        {67, 1750},  {250, 1866},  {1750, 1866}, {1866, 1750}};
    EXPECT_EQ(border, expected);
}

TEST(DrawBackground, MeshOfFortyEightSquaresTwinklingBrighterTowardTheTop) {
    ResetGameState();
    const auto at = [](int32_t tick) { return Drawn([tick] { DrawBackground(tick); }); };
    const auto v = at(123456);
    EXPECT_EQ(BeginModes(), std::vector<int>{GL_QUADS});
    ASSERT_EQ(v.size(), 192u); // its look at one tick: the golden background image
    EXPECT_EQ(std::make_pair(v[191].x, v[191].y), std::make_pair(35.0, 30.0));

    for (const DrawnVertex &d : at(0))
        EXPECT_EQ(d.a, 0);
    // Corner (1, 1) at tick 5000: sin^2(0.5) / 2; corner (8, 6) at 1000: sin^2(4.8) / 7.
    EXPECT_FLOAT_EQ(at(5000)[2].a, std::pow(std::sin(0.5), 2) / 2);
    EXPECT_FLOAT_EQ(at(1000)[190].a, std::pow(std::sin(4.8), 2) / 7);
    for (int32_t tick : {4321, INT32_MAX}) { // a negative tick pulses like its magnitude
        const auto up = at(tick), down = at(-tick);
        for (size_t i = 0; i < up.size(); ++i)
            EXPECT_FLOAT_EQ(up[i].a, down[i].a) << tick << " " << i;
    }
}

TEST(DrawSea, ThreeBandsOfFortyQuadsFromTheBottomEdgeUp) {
    ResetGameState();
    const auto v = Drawn([] { DrawSea(0, 20); });
    EXPECT_EQ(BeginModes(), std::vector<int>{GL_QUADS});
    ASSERT_EQ(v.size(), 480u);
    for (int band = 0; band < 3; ++band) // at time 0 every surface passes through (0, level)
        EXPECT_EQ(v[band * 160 + 1].y, 20) << band;
    // Each band drifts at its own rate; 32-bit phase sums wrap as signed values.
    const auto w = Drawn([] { DrawSea(1000, 15.5); });
    EXPECT_FLOAT_EQ(w[4 * 5 + 1].y, 15.5 - 2 * std::sin(1100 / 300.0));
    EXPECT_FLOAT_EQ(w[160 + 4 * 5 + 1].y, 15.5 - std::sin(-900 / 200.0));
    EXPECT_FLOAT_EQ(w[320 + 4 * 5 + 2].y, 15.5 - std::sin(1120 / 100.0));
    EXPECT_FLOAT_EQ(Drawn([] { DrawSea(INT32_MAX, 10); })[5].y,
                    10 - 2 * std::sin((double(INT32_MIN) + 19) / 300.0));
    EXPECT_FLOAT_EQ(Drawn([] { DrawSea(INT32_MIN, 10); })[161].y,
                    10 - std::sin(double(INT32_MIN) / 200.0));
}

TEST(DrawLevel, VisitsTheColumnsAroundTheCamera) {
    ResetGameState();
    Grid solid;
    std::memset(solid, CELL_BLOCK, sizeof solid);
    const double inf = INFINITY;
    const struct {
        double scroll;
        int first, last; // last < first: nothing is drawn
    } cases[] = {
        {0, 0, 30},      {3, 0, 32},     {5, 2, 32},    {-9.5, 0, 25},
        {-61, 0, 0},     {170, 84, 99},  {200, 99, 99}, {0.999, 0, 30},
        {-62, 0, -1},    {-1000, 0, -1}, {201, 0, -1},  {1e300, 0, -1},
        {-1e300, 0, -1}, {inf, 0, -1},   {-inf, 0, -1}, {NAN, 0, -1},
    };
    for (const auto &c : cases) {
        const auto v = Drawn([&] { DrawLevel(solid, c.scroll); });
        const int columns = c.last - c.first + 1;
        EXPECT_EQ(v.size(), 56u * GRID_ROWS * columns) << c.scroll;
        if (columns > 0) { // the first tile's core corner, 0.5 in from the cell's corner
            EXPECT_EQ(v[0].x, F(2 * c.first - c.scroll + 0.5)) << c.scroll;
        }
    }
}

TEST(DrawLevel, GoalDiscSitsOnTheCellCornerAndCyclesItsColour) {
    ResetGameState();
    Grid level = {};
    level[3 * 100 + 7] = CELL_GOAL;
    level[2 * 100 + 6] = 3; // neither tile nor goal: nothing
    level[2 * 100 + 7] = 255;
    win32Tick = 1000;
    win32TickStep = 200; // each colour component reads the tick afresh: red, green, blue
    Drawn([&] { DrawLevel(level, 1.0); });
    EXPECT_EQ(BeginModes(), std::vector<int>{GL_TRIANGLES});
    ASSERT_EQ(DrawnDots().size(), 1u);
    const Dot d = DrawnDots()[0];
    EXPECT_NEAR(std::fabs(d.x - 13) + std::fabs(d.y - 6), 0, 1e-6); // (2 * 7 - 1, 2 * 3)
    EXPECT_NEAR(d.radius, 1.5, 1e-6);
    EXPECT_FLOAT_EQ(d.rim[0], std::pow(std::sin(1000 / 1000.0), 2));
    EXPECT_FLOAT_EQ(d.rim[1], std::pow(std::cos(1200 / 850.0), 2));
    EXPECT_FLOAT_EQ(d.rim[2], std::sin(1400 / 1200.0));
    EXPECT_EQ(win32Tick, 1600u);
}

// Lit cells become blue dots, row by row; goal markers and other values never
// show on a banner.
TEST(DrawBanner, OnlyLitCellsBecomeDots) {
    ResetGameState();
    Grid g = {};
    Drawn([&] { DrawBanner(g, 3, 10, 0.5); });
    EXPECT_TRUE(glCalls.empty());
    std::memset(g, CELL_BLOCK, sizeof g);
    g[0] = CELL_GOAL, g[1] = 7;
    for (double pitch : {0.25, 0.0}) { // no pitch: every dot on (x, y), with radius 0
        Drawn([&] { DrawBanner(g, 10, 5, pitch); });
        const auto dots = DrawnDots();
        ASSERT_EQ(dots.size(), 1198u);
        const Dot &d = dots[1197];
        EXPECT_NEAR(std::fabs(d.x - 10 - 99 * pitch) + std::fabs(d.y - 5 - 11 * pitch), 0, 1e-5);
        EXPECT_NEAR(d.radius, pitch, 1e-5);
        EXPECT_EQ(d.rim, (Rgba{0, 0, 1, 0.00001f}));
    }
}

TEST(DrawClock, ShowsTheLowEightBitsOfTheSecondsAndClicksOnEachChange) {
    ResetGameState();
    clickSound = FakeSample(2);
    const struct {
        DWORD time;
        int32_t seconds;
        bool click;
    } frames[] = {
        {999, 0, false}, // the first second of the run: no change from the start
        {5678, 5, true},
        {200999, 200, true},
        {200000, 200, false},
        {255999, 255, true},
        {256000, 256, true}, // all white again, but a new second
        {0xFFFFFFFF, 4294967, true},
        {0, 0, true}, // a new game starts the clock again: that change clicks too
    };
    for (const auto &f : frames) {
        const size_t clicks = SoundPlays().size();
        Drawn([&] { DrawClock(f.time, 10, 20); });
        EXPECT_EQ(SoundPlays().size(), clicks + f.click) << f.time;
        EXPECT_EQ(lastClockSeconds, f.seconds);
        const auto dots = DrawnDots();
        ASSERT_EQ(dots.size(), 8u);
        for (int bit = 0; bit < 8; ++bit) { // blue when set, white when clear; bit 0 on the right
            const double shade = (f.seconds >> bit) & 1 ? 0 : 1;
            EXPECT_EQ(dots[bit].rim, (Rgba{shade, shade, 1, 0.00001f})) << f.time << " " << bit;
            EXPECT_NEAR(dots[bit].x, 10 + 16 - 2 * bit, 1e-5);
        }
    }
    for (const SoundCall &p : SoundPlays())
        EXPECT_EQ(std::make_pair(p.a, p.sample), std::make_pair(2, clickSound));
}
