// The two drawing primitives: a soft disc and a translucent tile.
#include "render/primitives.h"

#include <GL/gl.h>

#include <cmath>
#include <limits>

// Positions and colours are worked out in double and handed to GL as floats;
// with IEEE floats that narrowing is defined for every value (huge ones become
// infinities, NaN stays NaN).
static_assert(std::numeric_limits<float>::is_iec559, "the renderers rely on IEEE floats");

namespace {

constexpr int DISC_SEGMENTS = 20;
constexpr double DISC_Z = -2.0;
constexpr double HIGHLIGHT_OFFSET = 0.2; // up and left of the centre, whatever the radius
// Not quite zero: the rim keeps a trace of alpha.
constexpr GLfloat DISC_RIM_ALPHA = 0.00001f;
constexpr double TWO_PI = 2.0 * 3.14159265358979323846;

constexpr double TILE_Z = -1.0;
constexpr GLfloat TILE_RED = 0.5f, TILE_GREEN = 0.5f, TILE_BLUE = 1.0f;
constexpr GLfloat TILE_INNER_ALPHA = 0.5f, TILE_OUTER_ALPHA = 0.0f;

struct TileVertex {
    double dx, dy; // offset from the tile's top-left corner
    bool inner;    // inner vertices are half opaque, outer ones fully transparent
};

// The square core and the four edges that fade out toward the tile's border.
constexpr TileVertex TILE_QUADS[5][4] = {
    {{0.5, 0.5, true}, {1.5, 0.5, true}, {1.5, 1.5, true}, {0.5, 1.5, true}},   // core
    {{0.5, 0.5, true}, {1.5, 0.5, true}, {1.5, 0.0, false}, {0.5, 0.0, false}}, // top
    {{0.5, 1.5, true}, {1.5, 1.5, true}, {1.5, 2.0, false}, {0.5, 2.0, false}}, // bottom
    {{0.5, 0.5, true}, {0.5, 1.5, true}, {0.0, 1.5, false}, {0.0, 0.5, false}}, // left
    {{1.5, 0.5, true}, {1.5, 1.5, true}, {2.0, 1.5, false}, {2.0, 0.5, false}}, // right
};

// The rounded corners, three fan triangles each. The top-left corner follows a
// true arc; the other three sit a little further inside (1.866 rather than the
// mirrored 1.933), which gives the tile its slightly lopsided look.
constexpr TileVertex TILE_TRIANGLES[12][3] = {
    {{0.5, 0.5, true}, {0.5, 0.0, false}, {0.25, 0.067, false}},    // top-left
    {{0.5, 0.5, true}, {0.25, 0.067, false}, {0.067, 0.25, false}}, //
    {{0.5, 0.5, true}, {0.067, 0.25, false}, {0.0, 0.5, false}},    //
    {{1.5, 0.5, true}, {1.5, 0.0, false}, {1.75, 0.067, false}},    // top-right
    {{1.5, 0.5, true}, {1.75, 0.067, false}, {1.866, 0.25, false}}, //
    {{1.5, 0.5, true}, {1.866, 0.25, false}, {2.0, 0.5, false}},    //
    {{0.5, 1.5, true}, {0.0, 1.5, false}, {0.067, 1.75, false}},    // bottom-left
    {{0.5, 1.5, true}, {0.067, 1.75, false}, {0.25, 1.866, false}}, //
    {{0.5, 1.5, true}, {0.25, 1.866, false}, {0.5, 2.0, false}},    //
    {{1.5, 1.5, true}, {1.5, 2.0, false}, {1.75, 1.866, false}},    // bottom-right
    {{1.5, 1.5, true}, {1.75, 1.866, false}, {1.866, 1.75, false}}, //
    {{1.5, 1.5, true}, {1.866, 1.75, false}, {2.0, 1.5, false}},    //
};

void EmitTileVertex(double x, double y, const TileVertex &v) {
    glColor4f(TILE_RED, TILE_GREEN, TILE_BLUE, v.inner ? TILE_INNER_ALPHA : TILE_OUTER_ALPHA);
    glVertex3f(static_cast<GLfloat>(x + v.dx), static_cast<GLfloat>(y + v.dy),
               static_cast<GLfloat>(TILE_Z));
}

} // namespace

void DrawDisc(double x, double y, double red, double green, double blue, double radius) {
    const auto hx = static_cast<GLfloat>(x - HIGHLIGHT_OFFSET);
    const auto hy = static_cast<GLfloat>(y - HIGHLIGHT_OFFSET);
    const auto z = static_cast<GLfloat>(DISC_Z);
    const auto r = static_cast<GLfloat>(red);
    const auto g = static_cast<GLfloat>(green);
    const auto b = static_cast<GLfloat>(blue);

    // Separate triangles rather than a fan, each from the highlight to two
    // neighbouring rim points; with y downward the rim runs clockwise.
    glBegin(GL_TRIANGLES);
    double angle = 0.0;
    double rimX = x + radius * std::cos(angle);
    double rimY = y + radius * std::sin(angle);
    for (int k = 0; k < DISC_SEGMENTS; ++k) {
        angle = (k + 1) * TWO_PI / DISC_SEGMENTS;
        const double nextX = x + radius * std::cos(angle);
        const double nextY = y + radius * std::sin(angle);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glVertex3f(hx, hy, z);
        glColor4f(r, g, b, DISC_RIM_ALPHA);
        glVertex3f(static_cast<GLfloat>(rimX), static_cast<GLfloat>(rimY), z);
        glVertex3f(static_cast<GLfloat>(nextX), static_cast<GLfloat>(nextY), z);
        rimX = nextX;
        rimY = nextY;
    }
    glEnd();
}

void DrawTile(double x, double y) {
    glBegin(GL_QUADS);
    for (const auto &quad : TILE_QUADS)
        for (const TileVertex &v : quad)
            EmitTileVertex(x, y, v);
    glEnd();

    glBegin(GL_TRIANGLES);
    for (const auto &triangle : TILE_TRIANGLES)
        for (const TileVertex &v : triangle)
            EmitTileVertex(x, y, v);
    glEnd();
}
