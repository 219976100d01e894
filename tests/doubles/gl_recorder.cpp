// The recording GL: names and arguments of every call, and the balance of glBegin and glEnd.
#include "tests/doubles/test_support.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstring>

std::vector<GlCall> glCalls;
bool glRecording = true;
int glOpenBlocks = 0, glNestedBegins = 0;

static void Record(const char *name, double a0 = 0, double a1 = 0, double a2 = 0, double a3 = 0,
                   double a4 = 0, double a5 = 0) {
    if (glRecording)
        glCalls.push_back(GlCall{name, {a0, a1, a2, a3, a4, a5}});
}

void GlRecorderReset() {
    glCalls.clear();
    glCalls.reserve(1 << 20); // keeps recording itself free of allocations in a frame
    glRecording = true;
    glOpenBlocks = glNestedBegins = 0;
}

size_t GlCountNamed(const char *name) {
    return std::count_if(glCalls.begin(), glCalls.end(),
                         [name](const GlCall &c) { return std::strcmp(c.name, name) == 0; });
}

#define RECORDED(name, parameters, ...)                                                            \
    void GLAPIENTRY name parameters {                                                              \
        Record(#name __VA_OPT__(, ) __VA_ARGS__);                                                  \
    }

extern "C" {
void GLAPIENTRY glBegin(GLenum mode) {
    glNestedBegins += glOpenBlocks++ > 0;
    Record("glBegin", mode);
}
void GLAPIENTRY glEnd() {
    --glOpenBlocks;
    Record("glEnd");
}
RECORDED(glVertex3f, (GLfloat x, GLfloat y, GLfloat z), x, y, z)
RECORDED(glVertex3i, (GLint x, GLint y, GLint z), x, y, z)
RECORDED(glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), r, g, b, a)
RECORDED(glClear, (GLbitfield mask), mask)
RECORDED(glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), r, g, b, a)
RECORDED(glClearDepth, (GLclampd depth), depth)
RECORDED(glEnable, (GLenum cap), cap)
RECORDED(glDisable, (GLenum cap), cap)
RECORDED(glBlendFunc, (GLenum s, GLenum d), s, d)
RECORDED(glShadeModel, (GLenum mode), mode)
RECORDED(glHint, (GLenum target, GLenum mode), target, mode)
RECORDED(glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), x, y, w, h)
RECORDED(glMatrixMode, (GLenum mode), mode)
RECORDED(glLoadIdentity, ())
RECORDED(glOrtho, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), l, r, b,
         t, n, f)
}
