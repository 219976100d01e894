#include <gtest/gtest.h>

#include <cstring>

#include "render/banner.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/drawn_vertices.h"

#include <GL/gl.h>

namespace {

struct Dot {
    double x, y;    // centre
    double r, g, b; // rim colour
    double radius;
};

// Each disc's centre, colour and radius, from its highlight and first rim point.
std::vector<Dot> DrawnDots() {
    std::vector<Dot> dots;
    const auto v = DrawnVertices();
    for (size_t i = 0; i + 60 <= v.size(); i += 60) {
        const double x = v[i].x + 0.2, y = v[i].y + 0.2;
        dots.push_back(Dot{x, y, v[i + 1].r, v[i + 1].g, v[i + 1].b, v[i + 1].x - x});
    }
    return dots;
}

// Which clock discs are blue, least significant bit first; checks their places.
std::vector<bool> ClockBits(double x, double y) {
    std::vector<bool> bits;
    const auto dots = DrawnDots();
    EXPECT_EQ(dots.size(), 8u);
    for (size_t i = 0; i < dots.size(); ++i) {
        const Dot &d = dots[i];
        EXPECT_NEAR(d.x, x + 16 - 2 * double(i), 1e-5);
        EXPECT_NEAR(d.y, y, 1e-5);
        EXPECT_NEAR(d.radius, 1.0, 1e-5);
        EXPECT_EQ(d.b, 1);
        EXPECT_EQ(d.r, d.g);
        EXPECT_TRUE(d.r == 0 || d.r == 1);
        bits.push_back(d.r == 0);
    }
    return bits;
}

std::vector<bool> Bits(unsigned value) {
    std::vector<bool> bits;
    for (int i = 0; i < 8; ++i)
        bits.push_back((value >> i) & 1);
    return bits;
}

} // namespace

TEST(DrawBanner, LitCellsBecomeBlueDotsRowByRow) {
    ResetGameState();
    Grid g = {};
    g[1 * 100 + 0] = CELL_BLOCK;
    g[0 * 100 + 5] = CELL_BLOCK;
    g[11 * 100 + 99] = CELL_BLOCK;
    g[4 * 100 + 4] = CELL_GOAL; // never drawn on a banner
    g[4 * 100 + 5] = 7;
    DrawBanner(g, 10, 5, 0.25);
    const auto dots = DrawnDots();
    ASSERT_EQ(dots.size(), 3u);
    const double expected[3][2] = {{11.25, 5}, {10, 5.25}, {34.75, 7.75}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(dots[i].x, expected[i][0], 1e-5) << i;
        EXPECT_NEAR(dots[i].y, expected[i][1], 1e-5) << i;
        EXPECT_EQ(dots[i].r, 0);
        EXPECT_EQ(dots[i].g, 0);
        EXPECT_EQ(dots[i].b, 1);
        EXPECT_NEAR(dots[i].radius, 0.25, 1e-5);
    }
}

TEST(DrawBanner, EmptyGridMakesNoCallsAndAFullOneTwelveHundredDots) {
    ResetGameState();
    Grid g = {};
    DrawBanner(g, 3, 10, 0.5);
    EXPECT_TRUE(glCalls.empty());

    std::memset(g, CELL_BLOCK, sizeof g);
    DrawBanner(g, 3, 10, 0.5);
    EXPECT_EQ(GlCountNamed("glBegin"), 1200u);
    EXPECT_EQ(glNestedBegins, 0);
    const auto dots = DrawnDots();
    EXPECT_NEAR(dots.back().x, 3 + 49.5, 1e-5);
    EXPECT_NEAR(dots.back().y, 10 + 5.5, 1e-5);
}

TEST(DrawBanner, ZeroPitchPutsEveryDotOnTheOrigin) {
    ResetGameState();
    Grid g = {};
    g[7 * 100 + 42] = CELL_BLOCK;
    for (double pitch : {0.0, -0.0}) {
        GlRecorderReset();
        DrawBanner(g, 4, 6, pitch);
        const auto dots = DrawnDots();
        ASSERT_EQ(dots.size(), 1u);
        EXPECT_NEAR(dots[0].x, 4, 1e-6);
        EXPECT_NEAR(dots[0].y, 6, 1e-6);
        EXPECT_NEAR(dots[0].radius, 0, 1e-6);
    }
}

TEST(DrawClock, ShowsTheLowEightBitsOfTheSeconds) {
    struct Case {
        DWORD time;
        unsigned seconds;
    } cases[] = {{0, 0},
                 {999, 0},
                 {5678, 5},
                 {200999, 200},
                 {255999, 255},
                 {256000, 256},
                 {0xFFFFFFFF, 4294967}};
    for (const Case &c : cases) {
        ResetGameState();
        DrawClock(c.time, 0, 1);
        EXPECT_EQ(ClockBits(0, 1), Bits(c.seconds & 255)) << "time " << c.time;
        EXPECT_EQ(clockSeconds, static_cast<int32_t>(c.seconds));
        EXPECT_EQ(lastClockSeconds, static_cast<int32_t>(c.seconds));
    }
    ResetGameState();
    DrawClock(200999, 10, 20);
    EXPECT_EQ(ClockBits(10, 20), Bits(128 + 64 + 8));
}

TEST(DrawClock, ClicksWhenTheSecondsChange) {
    ResetGameState();
    clickSound = FakeSample(2);
    DrawClock(999, 0, 1); // still second 0, as at start: silent
    EXPECT_TRUE(SoundPlays().empty());

    DrawClock(255999, 0, 1);
    DrawClock(255000, 0, 1); // same second again
    DrawClock(256000, 0, 1); // all white again, but a new second
    const auto plays = SoundPlays();
    ASSERT_EQ(plays.size(), 2u);
    for (const SoundCall &p : plays) {
        EXPECT_EQ(p.a, 2);
        EXPECT_EQ(p.sample, clickSound);
    }
    GlRecorderReset();
    DrawClock(256999, 0, 1);
    EXPECT_EQ(ClockBits(0, 1), Bits(0));
    EXPECT_EQ(SoundPlays().size(), 2u);
}
