// Recording stand-in for the GL library: every call the game makes is kept,
// with its arguments, so tests can assert exact vertices and colours.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct GlCall {
    const char *name; // "glVertex3f", "glColor4f", ...
    int argc;
    double a[6];
};

extern std::vector<GlCall> glCalls;
extern bool glRecording;   // false: calls are only counted (benchmarks)
extern size_t glCallCount; // every call, recorded or not
extern int glOpenBlocks;   // glBegin without its glEnd so far
extern int glNestedBegins; // glBegin while a block was already open

void GlRecorderReset();
// The recorded calls with the given name, in order.
std::vector<GlCall> GlCallsNamed(const char *name);
size_t GlCountNamed(const char *name);
