// The twinkling background mesh and the rising sea.
#include "render/scenery.h"

#include <GL/gl.h>

#include <cmath>

namespace {

constexpr int MESH_COLUMNS = 8, MESH_ROWS = 6;
constexpr int MESH_SIZE = 5; // view units per mesh square
constexpr int MESH_Z = -5;

constexpr int SEA_SAMPLES = 40; // one quad per unit of view width
constexpr int SEA_BOTTOM = 30;
constexpr GLfloat SEA_RED = 0.5f, SEA_GREEN = 0.5f, SEA_BLUE = 1.0f;
constexpr GLfloat SEA_SURFACE_ALPHA = 0.0f, SEA_BOTTOM_ALPHA = 0.5f;

// Alpha of the mesh corner (cx, cy): each corner pulses at a rate of its own,
// and rows further down are dimmer. Evaluated step by step in this order so the
// twinkle is the same on every machine.
double MeshAlpha(int32_t tick, int cx, int cy) {
    const double s = std::sin(tick / 10000.0 * -(cx * cy));
    return s * s * (1.0 / (cy + 1));
}

void EmitMeshCorner(int32_t tick, int cx, int cy) {
    glColor4f(1.0f, 1.0f, 1.0f, static_cast<GLfloat>(MeshAlpha(tick, cx, cy)));
    glVertex3i(cx * MESH_SIZE, cy * MESH_SIZE, MESH_Z);
}

// 32-bit sums of the wave phase wrap around as the machine would, and are read
// back as signed values.
int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// The three wave bands, back to front.
double SurfaceBand1(int32_t time, double level, int k) {
    return level - 2.0 * std::sin(WrapAdd(time, 20 * k) / 300.0);
}
double SurfaceBand2(int32_t time, double level, int k) {
    return level - std::sin(WrapSub(20 * k, time) / 200.0);
}
double SurfaceBand3(int32_t time, double level, int k) {
    return level - std::sin(WrapAdd(time, 20 * k) / 100.0);
}

// A strip across the whole view from the wavy surface down to the bottom edge,
// transparent at the surface and half opaque at the bottom.
void EmitSeaBand(double (*surface)(int32_t, double, int), int32_t time, double level, int z) {
    const auto fz = static_cast<GLfloat>(z);
    for (int k = 0; k < SEA_SAMPLES; ++k) {
        glColor4f(SEA_RED, SEA_GREEN, SEA_BLUE, SEA_BOTTOM_ALPHA);
        glVertex3i(k, SEA_BOTTOM, z);
        glColor4f(SEA_RED, SEA_GREEN, SEA_BLUE, SEA_SURFACE_ALPHA);
        glVertex3f(static_cast<GLfloat>(k), static_cast<GLfloat>(surface(time, level, k)), fz);
        glColor4f(SEA_RED, SEA_GREEN, SEA_BLUE, SEA_SURFACE_ALPHA);
        glVertex3f(static_cast<GLfloat>(k + 1), static_cast<GLfloat>(surface(time, level, k + 1)),
                   fz);
        glColor4f(SEA_RED, SEA_GREEN, SEA_BLUE, SEA_BOTTOM_ALPHA);
        glVertex3i(k + 1, SEA_BOTTOM, z);
    }
}

} // namespace

void DrawBackground(int32_t tick) {
    glBegin(GL_QUADS);
    for (int i = 0; i < MESH_COLUMNS; ++i) {
        for (int j = 0; j < MESH_ROWS; ++j) {
            EmitMeshCorner(tick, i, j);
            EmitMeshCorner(tick, i + 1, j);
            EmitMeshCorner(tick, i + 1, j + 1);
            EmitMeshCorner(tick, i, j + 1);
        }
    }
    glEnd();
}

void DrawSea(int32_t time, double level) {
    glBegin(GL_QUADS);
    EmitSeaBand(SurfaceBand1, time, level, -2);
    EmitSeaBand(SurfaceBand2, time, level, -1);
    EmitSeaBand(SurfaceBand3, time, level, -1);
    glEnd();
}
