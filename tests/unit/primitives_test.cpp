#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "render/primitives.h"
#include "tests/doubles/test_support.h"
#include "tests/unit/drawn_vertices.h"

#include <GL/gl.h>

namespace {

float F(double v) {
    return static_cast<float>(v);
}

void ExpectCall(size_t index, const char *name, std::initializer_list<double> args) {
    ASSERT_LT(index, glCalls.size());
    const GlCall &c = glCalls[index];
    EXPECT_STREQ(c.name, name) << "call " << index;
    ASSERT_EQ(c.argc, static_cast<int>(args.size())) << "call " << index;
    int i = 0;
    for (double a : args)
        EXPECT_EQ(c.a[i++], a) << name << " argument " << i - 1 << " of call " << index;
}

} // namespace

TEST(DrawDisc, TwentyTrianglesFromTheHighlightToTheRim) {
    ResetGameState();
    DrawDisc(10, 20, 0.25, 0.5, 0.75, 2);

    // begin, 20 x (colour, H, colour, R(k), R(k+1)), end
    ASSERT_EQ(glCalls.size(), 2u + 20u * 5u);
    ExpectCall(0, "glBegin", {GL_TRIANGLES});
    for (int k = 0; k < 20; ++k) {
        const size_t at = 1 + 5 * k;
        ExpectCall(at + 0, "glColor4f", {1, 1, 1, 1});
        ExpectCall(at + 1, "glVertex3f", {F(9.8), F(19.8), -2});
        // The rim keeps the float nearest 0.00001 as its alpha, not zero.
        ExpectCall(at + 2, "glColor4f", {0.25, 0.5, 0.75, 0.00001f});
        for (int j = 0; j < 2; ++j) {
            const double angle = (k + j) * (2 * M_PI) / 20;
            const GlCall &v = glCalls[at + 3 + j];
            EXPECT_STREQ(v.name, "glVertex3f");
            EXPECT_FLOAT_EQ(v.a[0], 10 + 2 * std::cos(angle)) << "k " << k << " j " << j;
            EXPECT_FLOAT_EQ(v.a[1], 20 + 2 * std::sin(angle)) << "k " << k << " j " << j;
            EXPECT_EQ(v.a[2], -2);
        }
    }
    ExpectCall(101, "glEnd", {});
    EXPECT_EQ(glOpenBlocks, 0);

    // The rim starts on the right, runs down the screen first (clockwise with
    // y downward) and closes on its starting point.
    const auto v = GlCallsNamed("glVertex3f");
    EXPECT_EQ(v[1].a[0], 12);
    EXPECT_EQ(v[1].a[1], 20);
    EXPECT_NEAR(v[3 * 5 + 1].a[1], 22, 1e-6); // R(5), a quarter turn on
    EXPECT_FLOAT_EQ(v[59].a[0], 12);
    EXPECT_NEAR(v[59].a[1], 20, 1e-5);
}

TEST(DrawDisc, DegenerateRadiiAreDrawnAsGiven) {
    ResetGameState();
    DrawDisc(5, 5, 0, 1, 0, -1.5); // mirrored through the centre
    auto v = GlCallsNamed("glVertex3f");
    ASSERT_EQ(v.size(), 60u);
    EXPECT_EQ(v[1].a[0], 3.5);
    EXPECT_EQ(v[1].a[1], 5);

    ResetGameState();
    DrawDisc(5, 5, 0, 1, 0, 0); // zero area, still 20 triangles
    v = GlCallsNamed("glVertex3f");
    ASSERT_EQ(v.size(), 60u);
    for (size_t i = 1; i < v.size(); i += 3) {
        EXPECT_EQ(v[i].a[0], 5);
        EXPECT_EQ(v[i].a[1], 5);
    }
}

TEST(DrawTile, FiveQuadsThenTwelveCornerTriangles) {
    ResetGameState();
    DrawTile(3, 4);
    EXPECT_EQ(BeginModes(), (std::vector<int>{GL_QUADS, GL_TRIANGLES}));
    EXPECT_EQ(GlCountNamed("glEnd"), 2u);
    EXPECT_EQ(glNestedBegins, 0);
    // Only colours and vertices inside the blocks; no state or matrix change.
    for (const GlCall &c : glCalls) {
        const bool allowed = !std::strcmp(c.name, "glBegin") || !std::strcmp(c.name, "glEnd") ||
                             !std::strcmp(c.name, "glColor4f") ||
                             !std::strcmp(c.name, "glVertex3f");
        EXPECT_TRUE(allowed) << c.name;
    }

    const auto v = DrawnVertices();
    ASSERT_EQ(v.size(), 56u);
    int inner = 0;
    for (const DrawnVertex &d : v) {
        EXPECT_EQ(d.z, -1);
        EXPECT_EQ(d.r, 0.5);
        EXPECT_EQ(d.g, 0.5);
        EXPECT_EQ(d.b, 1.0);
        // Inner vertices lie on the core, half opaque; the rest on the border.
        const bool onCore = d.x >= 3.5 && d.x <= 4.5 && d.y >= 4.5 && d.y <= 5.5;
        EXPECT_EQ(d.a, onCore ? 0.5 : 0.0) << d.x << "," << d.y;
        inner += onCore;
        EXPECT_TRUE(d.x >= 3 && d.x <= 5 && d.y >= 4 && d.y <= 6) << d.x << "," << d.y;
    }
    EXPECT_EQ(inner, 4 + 4 * 2 + 12);

    auto at = [&](size_t i, double dx, double dy) {
        EXPECT_EQ(v[i].x, F(3 + dx)) << "vertex " << i;
        EXPECT_EQ(v[i].y, F(4 + dy)) << "vertex " << i;
    };
    // The core, then the top edge fading upward.
    at(0, 0.5, 0.5), at(1, 1.5, 0.5), at(2, 1.5, 1.5), at(3, 0.5, 1.5);
    at(4, 0.5, 0.5), at(5, 1.5, 0.5), at(6, 1.5, 0), at(7, 0.5, 0);
    at(19, 2, 0.5); // last vertex of the right edge
    // Top-left corner: a true arc.
    at(20, 0.5, 0.5), at(21, 0.5, 0), at(22, 0.25, 0.067);
    at(24, 0.25, 0.067), at(25, 0.067, 0.25), at(28, 0, 0.5);
    // The other corners are pulled in to 1.866.
    at(34, 1.866, 0.25), at(36, 1.866, 0.25), at(37, 2, 0.5);
    at(43, 0.25, 1.866), at(45, 0.25, 1.866), at(46, 0.5, 2);
    at(47, 1.5, 1.5), at(48, 1.5, 2), at(49, 1.75, 1.866);
    at(52, 1.866, 1.75), at(54, 1.866, 1.75), at(55, 2, 1.5);
}
