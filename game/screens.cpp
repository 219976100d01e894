#include "game/screens.h"

#include <GL/gl.h>

BOOL DrawFrame(int32_t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return TRUE;
}
