#include "tests/doubles/gl_recorder.h"

#include <GL/gl.h>
#include <cstring>

std::vector<GlCall> glCalls;
bool glRecording = true;
size_t glCallCount = 0;
int glOpenBlocks = 0;
int glNestedBegins = 0;

namespace {
void Record(const char *name, int argc, double a0 = 0, double a1 = 0, double a2 = 0, double a3 = 0,
            double a4 = 0, double a5 = 0) {
    ++glCallCount;
    if (!glRecording)
        return;
    if (glCalls.capacity() == 0)
        glCalls.reserve(1 << 20); // keep recording itself free of allocations in a frame
    glCalls.push_back(GlCall{name, argc, {a0, a1, a2, a3, a4, a5}});
}
} // namespace

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
    size_t n = 0;
    for (const GlCall &c : glCalls)
        if (std::strcmp(c.name, name) == 0)
            ++n;
    return n;
}

extern "C" {
void GLAPIENTRY glBegin(GLenum mode) {
    if (glOpenBlocks > 0)
        ++glNestedBegins;
    ++glOpenBlocks;
    Record("glBegin", 1, mode);
}
void GLAPIENTRY glEnd() {
    --glOpenBlocks;
    Record("glEnd", 0);
}
void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Record("glVertex3f", 3, x, y, z);
}
void GLAPIENTRY glVertex3i(GLint x, GLint y, GLint z) {
    Record("glVertex3i", 3, x, y, z);
}
void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    Record("glColor4f", 4, r, g, b, a);
}
void GLAPIENTRY glClear(GLbitfield mask) {
    Record("glClear", 1, mask);
}
void GLAPIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    Record("glClearColor", 4, r, g, b, a);
}
void GLAPIENTRY glClearDepth(GLclampd depth) {
    Record("glClearDepth", 1, depth);
}
void GLAPIENTRY glEnable(GLenum cap) {
    Record("glEnable", 1, cap);
}
void GLAPIENTRY glDisable(GLenum cap) {
    Record("glDisable", 1, cap);
}
void GLAPIENTRY glBlendFunc(GLenum s, GLenum d) {
    Record("glBlendFunc", 2, s, d);
}
void GLAPIENTRY glShadeModel(GLenum mode) {
    Record("glShadeModel", 1, mode);
}
void GLAPIENTRY glHint(GLenum target, GLenum mode) {
    Record("glHint", 2, target, mode);
}
void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Record("glViewport", 4, x, y, w, h);
}
void GLAPIENTRY glMatrixMode(GLenum mode) {
    Record("glMatrixMode", 1, mode);
}
void GLAPIENTRY glLoadIdentity() {
    Record("glLoadIdentity", 0);
}
void GLAPIENTRY glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    Record("glOrtho", 6, l, r, b, t, n, f);
}
}
