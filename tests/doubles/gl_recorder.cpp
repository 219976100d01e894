#include "tests/doubles/gl_recorder.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstring>
#include <initializer_list>

std::vector<GlCall> glCalls;
bool glRecording = true;
size_t glCallCount = 0;
int glOpenBlocks = 0;
int glNestedBegins = 0;

namespace {
void Record(const char *name, std::initializer_list<double> args) {
    ++glCallCount;
    if (!glRecording)
        return;
    if (glCalls.capacity() == 0)
        glCalls.reserve(1 << 20); // keep recording itself free of allocations in a frame
    GlCall call{name, static_cast<int>(args.size()), {}};
    std::copy(args.begin(), args.end(), call.a);
    glCalls.push_back(call);
}
} // namespace

// A stand-in that only records its name and arguments.
#define RECORDED(name, parameters, ...)                                                            \
    void GLAPIENTRY name parameters {                                                              \
        Record(#name, {__VA_ARGS__});                                                              \
    }

void GlRecorderReset() {
    glCalls.clear();
    glCalls.reserve(1 << 20);
    glRecording = true;
    glCallCount = 0;
    glOpenBlocks = 0;
    glNestedBegins = 0;
}

std::vector<GlCall> GlCallsNamed(const char *name) {
    std::vector<GlCall> out;
    for (const GlCall &c : glCalls)
        if (std::strcmp(c.name, name) == 0)
            out.push_back(c);
    return out;
}

size_t GlCountNamed(const char *name) {
    return GlCallsNamed(name).size();
}

extern "C" {
void GLAPIENTRY glBegin(GLenum mode) {
    if (glOpenBlocks > 0)
        ++glNestedBegins;
    ++glOpenBlocks;
    Record("glBegin", {static_cast<double>(mode)});
}
void GLAPIENTRY glEnd() {
    --glOpenBlocks;
    Record("glEnd", {});
}
RECORDED(glVertex3f, (GLfloat x, GLfloat y, GLfloat z), x, y, z)
RECORDED(glVertex3i, (GLint x, GLint y, GLint z), double(x), double(y), double(z))
RECORDED(glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), r, g, b, a)
RECORDED(glClear, (GLbitfield mask), double(mask))
RECORDED(glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), r, g, b, a)
RECORDED(glClearDepth, (GLclampd depth), depth)
RECORDED(glEnable, (GLenum cap), double(cap))
RECORDED(glDisable, (GLenum cap), double(cap))
RECORDED(glBlendFunc, (GLenum s, GLenum d), double(s), double(d))
RECORDED(glShadeModel, (GLenum mode), double(mode))
RECORDED(glHint, (GLenum target, GLenum mode), double(target), double(mode))
RECORDED(glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), double(x), double(y), double(w),
         double(h))
RECORDED(glMatrixMode, (GLenum mode), double(mode))
RECORDED(glLoadIdentity, ())
RECORDED(glOrtho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), l, r, b,
         t, n, f)
}
