// Reads the recorded GL calls back as the vertices GL would see, each with the
// colour current when it was given.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/doubles/gl_recorder.h"

struct DrawnVertex {
    bool integer; // given with glVertex3i
    double x, y, z;
    double r, g, b, a;
};

inline std::vector<DrawnVertex> DrawnVertices() {
    std::vector<DrawnVertex> out;
    double colour[4] = {1, 1, 1, 1}; // GL's initial current colour
    for (const GlCall &c : glCalls) {
        if (std::strcmp(c.name, "glColor4f") == 0) {
            std::memcpy(colour, c.a, sizeof colour);
        } else if (std::strncmp(c.name, "glVertex3", 9) == 0) {
            out.push_back(DrawnVertex{c.name[9] == 'i', c.a[0], c.a[1], c.a[2], colour[0],
                                      colour[1], colour[2], colour[3]});
        }
    }
    return out;
}

// glBegin modes in order.
inline std::vector<int> BeginModes() {
    std::vector<int> modes;
    for (const GlCall &c : GlCallsNamed("glBegin"))
        modes.push_back(static_cast<int>(c.a[0]));
    return modes;
}

// Every recorded call as "name arg arg ...", each argument as %g prints it.
inline std::vector<std::string> GlLog() {
    std::vector<std::string> log;
    for (const GlCall &c : glCalls) {
        std::string line = c.name;
        for (int i = 0; i < c.argc; ++i) {
            char arg[32];
            std::snprintf(arg, sizeof arg, " %g", c.a[i]);
            line += arg;
        }
        log.push_back(line);
    }
    return log;
}
