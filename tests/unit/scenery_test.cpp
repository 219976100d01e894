#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <utility>

#include "render/scenery.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/drawn_vertices.h"

#include <GL/gl.h>

namespace {

std::vector<DrawnVertex> Background(int32_t tick) {
    GlRecorderReset();
    DrawBackground(tick);
    return DrawnVertices();
}

std::vector<DrawnVertex> Sea(int32_t time, double level) {
    GlRecorderReset();
    DrawSea(time, level);
    return DrawnVertices();
}

} // namespace

TEST(DrawBackground, MeshOfFortyEightSquaresColumnByColumn) {
    ResetGameState();
    const auto v = Background(123456);
    EXPECT_EQ(BeginModes(), std::vector<int>{GL_QUADS});
    EXPECT_EQ(GlCountNamed("glEnd"), 1u);
    ASSERT_EQ(v.size(), 192u);
    for (const DrawnVertex &d : v) {
        EXPECT_TRUE(d.integer);
        EXPECT_EQ(d.z, -5);
        EXPECT_EQ(d.r, 1);
        EXPECT_EQ(d.g, 1);
        EXPECT_EQ(d.b, 1);
    }
    // Rows run inside columns; corners go round each square from its top-left.
    const double first[8][2] = {{0, 0}, {5, 0}, {5, 5}, {0, 5}, {0, 5}, {5, 5}, {5, 10}, {0, 10}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(v[i].x, first[i][0]) << i;
        EXPECT_EQ(v[i].y, first[i][1]) << i;
    }
    EXPECT_EQ(v[24].x, 5); // second column starts at the top again
    EXPECT_EQ(v[24].y, 0);
    EXPECT_EQ(v[191].x, 35);
    EXPECT_EQ(v[191].y, 30);
}

TEST(DrawBackground, TwinklesBrighterTowardTheTop) {
    ResetGameState();
    for (const DrawnVertex &d : Background(0))
        EXPECT_EQ(d.a, 0);

    for (int32_t tick : {1, 777, 5000, 31416, 123456789, INT32_MAX, INT32_MIN}) {
        const auto v = Background(tick);
        std::map<std::pair<double, double>, double> seen;
        for (const DrawnVertex &d : v) {
            const int cx = static_cast<int>(d.x) / 5, cy = static_cast<int>(d.y) / 5;
            if (cx == 0 || cy == 0) {
                EXPECT_EQ(d.a, 0) << "tick " << tick << " corner " << cx << "," << cy;
            }
            EXPECT_GE(d.a, 0);
            EXPECT_LE(d.a, 1.0 / (cy + 1) + 1e-7) << "tick " << tick;
            // A corner shared by several squares has one alpha.
            auto [it, fresh] = seen.emplace(std::make_pair(d.x, d.y), d.a);
            if (!fresh) {
                EXPECT_EQ(it->second, d.a) << "tick " << tick;
            }
        }
    }

    // Corner (1, 1) at tick 5000: sin^2(0.5) / 2; corner (8, 6) at 1000: sin^2(4.8) / 7.
    auto v = Background(5000);
    EXPECT_FLOAT_EQ(v[2].a, std::pow(std::sin(0.5), 2) / 2);
    v = Background(1000);
    EXPECT_FLOAT_EQ(v[190].a, std::pow(std::sin(4.8), 2) / 7);
}

TEST(DrawBackground, NegativeTicksPulseLikeTheirMagnitude) {
    ResetGameState();
    for (int32_t tick : {1, 4321, 987654, INT32_MAX}) {
        const auto up = Background(tick);
        const auto down = Background(-tick);
        for (size_t i = 0; i < up.size(); ++i)
            EXPECT_FLOAT_EQ(up[i].a, down[i].a) << "tick " << tick << " vertex " << i;
    }
}

TEST(DrawSea, ThreeBandsOfFortyQuadsFromTheBottomEdgeUp) {
    ResetGameState();
    const auto v = Sea(0, 20);
    EXPECT_EQ(BeginModes(), std::vector<int>{GL_QUADS});
    ASSERT_EQ(v.size(), 480u);
    for (size_t i = 0; i < v.size(); ++i) {
        const DrawnVertex &d = v[i];
        const int band = static_cast<int>(i / 160), corner = i % 4, k = (i % 160) / 4;
        EXPECT_EQ(d.z, band == 0 ? -2 : -1) << i;
        EXPECT_EQ(d.r, 0.5);
        EXPECT_EQ(d.g, 0.5);
        EXPECT_EQ(d.b, 1);
        const bool bottom = corner == 0 || corner == 3;
        EXPECT_EQ(d.integer, bottom) << i;
        EXPECT_EQ(d.a, bottom ? 0.5 : 0) << i;
        EXPECT_EQ(d.x, k + (corner >= 2 ? 1 : 0)) << i;
        if (bottom) {
            EXPECT_EQ(d.y, 30) << i;
        }
    }
    // At time 0 every surface passes through (0, level).
    for (int band = 0; band < 3; ++band)
        EXPECT_EQ(v[band * 160 + 1].y, 20) << "band " << band + 1;
}

TEST(DrawSea, WavesDriftAtTheirOwnRates) {
    ResetGameState();
    const int32_t time = 1000;
    const double level = 15.5;
    const auto v = Sea(time, level);
    for (int k = 0; k < 40; ++k) {
        EXPECT_FLOAT_EQ(v[4 * k + 1].y, level - 2 * std::sin((time + 20 * k) / 300.0)) << k;
        EXPECT_FLOAT_EQ(v[160 + 4 * k + 1].y, level - std::sin((20 * k - time) / 200.0)) << k;
        EXPECT_FLOAT_EQ(v[320 + 4 * k + 2].y, level - std::sin((time + 20 * (k + 1)) / 100.0)) << k;
    }
}

TEST(DrawSea, PhaseSumsWrapAroundAsSignedThirtyTwoBitValues) {
    ResetGameState();
    auto v = Sea(INT32_MAX, 10);
    // Band 1, k = 1: INT32_MAX + 20 wraps to INT32_MIN + 19.
    EXPECT_FLOAT_EQ(v[5].y, 10 - 2 * std::sin((double(INT32_MIN) + 19) / 300.0));
    v = Sea(INT32_MIN, 10);
    // Band 2, k = 0: 0 - INT32_MIN wraps back to INT32_MIN.
    EXPECT_FLOAT_EQ(v[161].y, 10 - std::sin(double(INT32_MIN) / 200.0));
}
