// The game's frames drawn by real GL (Mesa, SDL's offscreen driver, 800 x 600),
// with glFinish after each so that a frame is timed to its last pixel. Beside
// each screen, the same frame's triangles in a single glDrawArrays from client
// arrays: the vertices and colours of one frame are captured once and then
// replayed. The ratio between the two shows how far immediate mode is from
// what the driver can do with the same work.
//
// The capture sits on the five immediate-mode calls through the linker's
// --wrap: outside a capture each call goes straight on to the real one.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/common/scenes.h"
#include "core/game_state.h"
#include "game/screens.h"
#include "win32/win32.h"
#include "sound/fsound.h"
#include "tools/headless/headless.h"
#include "backends/null/null_backend.h"

// --- The capture ---------------------------------------------------------------------

namespace {

struct Vertex {
    GLfloat x, y, z;
    GLfloat r, g, b, a;
};

bool capturing = false;
GLenum captureMode = 0;
GLfloat colour[4] = {1, 1, 1, 1};
std::vector<Vertex> block;     // the open glBegin block
std::vector<Vertex> triangles; // the whole frame, quads split in two

void AddVertex(GLfloat x, GLfloat y, GLfloat z) {
    block.push_back(Vertex{x, y, z, colour[0], colour[1], colour[2], colour[3]});
}

} // namespace

extern "C" {
void __real_glBegin(GLenum mode);
void __real_glEnd();
void __real_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void __real_glVertex3i(GLint x, GLint y, GLint z);
void __real_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);

void __wrap_glBegin(GLenum mode) {
    if (!capturing)
        return __real_glBegin(mode);
    captureMode = mode;
    block.clear();
}
void __wrap_glEnd() {
    if (!capturing)
        return __real_glEnd();
    if (captureMode == GL_TRIANGLES) {
        triangles.insert(triangles.end(), block.begin(), block.end());
    } else if (captureMode == GL_QUADS) {
        for (size_t i = 0; i + 3 < block.size(); i += 4) {
            const Vertex *q = &block[i];
            triangles.insert(triangles.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
        }
    }
}
void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!capturing)
        return __real_glVertex3f(x, y, z);
    AddVertex(x, y, z);
}
void __wrap_glVertex3i(GLint x, GLint y, GLint z) {
    if (!capturing)
        return __real_glVertex3i(x, y, z);
    AddVertex(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}
void __wrap_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    if (!capturing)
        return __real_glColor4f(r, g, b, a);
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
    colour[3] = a;
}
}

namespace {

const int WIDTH = 800, HEIGHT = 600;

void Prepare(const char *name) {
    LoadShippedGrids();
    EnterScene(name);
}

void BM_Immediate(benchmark::State &state, const char *name) {
    Prepare(name);
    long frame = 0;
    for (auto _ : state) {
        DrawFrame(SceneTime(name, frame++));
        glFinish();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frame), benchmark::Counter::kIsRate);
}

void BM_OneDrawArrays(benchmark::State &state, const char *name) {
    Prepare(name);
    triangles.clear();
    capturing = true;
    DrawFrame(SceneTime(name, 0));
    capturing = false;

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &triangles[0].x);
    glColorPointer(4, GL_FLOAT, sizeof(Vertex), &triangles[0].r);
    long frames = 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles.size()));
        glFinish();
        ++frames;
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["vertices"] = static_cast<double>(triangles.size());
}

#define SCREEN_BENCHMARKS(screen)                                                                  \
    BENCHMARK_CAPTURE(BM_Immediate, screen, #screen)                                               \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime();                                                                           \
    BENCHMARK_CAPTURE(BM_OneDrawArrays, screen, #screen)                                           \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()

SCREEN_BENCHMARKS(menu);
SCREEN_BENCHMARKS(game);
SCREEN_BENCHMARKS(win);
SCREEN_BENCHMARKS(gameover);
SCREEN_BENCHMARKS(cred);

} // namespace

int main(int argc, char **argv) {
    nullTick = 123456789; // a fixed wall clock for the goal colours
    benchmark::Initialize(&argc, argv);
    if (!HeadlessOpen(WIDTH, HEIGHT))
        return 1;
    std::printf("GL_RENDERER: %s\n", reinterpret_cast<const char *>(glGetString(GL_RENDERER)));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    HeadlessClose();
    return 0;
}
