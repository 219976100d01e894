// Recording stand-in for the GL library: every call the game makes is kept,
// with its arguments, so tests can count what was drawn and where.
#pragma once

#include <cstddef>
#include <vector>

struct GlCall {
    const char *name; // "glVertex3f", "glColor4f", ...
    double a[6];
};

extern std::vector<GlCall> glCalls;
extern bool glRecording;   // false: nothing is kept (long runs of whole frames)
extern int glOpenBlocks;   // glBegin without its glEnd so far
extern int glNestedBegins; // glBegin while a block was already open

void GlRecorderReset();
size_t GlCountNamed(const char *name);
