// Real GL with no display: an offscreen SDL window and pixel read-back.
#include "tools/headless/headless.h"

#include "platform/window_proc.h"

#include <SDL.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

namespace {
SDL_Window *sdlWindow = nullptr;
SDL_GLContext glContext = nullptr;

void Fail(const char *what) {
    std::fprintf(stderr, "headless GL: %s: %s\n", what, SDL_GetError());
}
} // namespace

bool HeadlessOpen(int width, int height) {
    // No X server is needed, whatever the environment asks for.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        Fail("SDL_Init");
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    sdlWindow = SDL_CreateWindow("vorta kemi (headless)", 0, 0, width, height, SDL_WINDOW_OPENGL);
    if (!sdlWindow) {
        Fail("SDL_CreateWindow");
        SDL_Quit();
        return false;
    }
    glContext = SDL_GL_CreateContext(sdlWindow);
    if (!glContext || SDL_GL_MakeCurrent(sdlWindow, glContext) != 0) {
        Fail("SDL_GL_CreateContext");
        HeadlessClose();
        return false;
    }
    ResizeScene(width, height);
    InitGL();
    return true;
}

void HeadlessClose() {
    if (glContext)
        SDL_GL_DeleteContext(glContext);
    if (sdlWindow)
        SDL_DestroyWindow(sdlWindow);
    glContext = nullptr;
    sdlWindow = nullptr;
    SDL_Quit();
}

RgbImage HeadlessCapture() {
    RgbImage image;
    if (!sdlWindow)
        return image;
    SDL_GL_GetDrawableSize(sdlWindow, &image.width, &image.height);
    glFinish();
    std::vector<unsigned char> rows(size_t(image.width) * image.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    // GL gives the bottom row first.
    image.rgb.resize(rows.size());
    const size_t stride = size_t(image.width) * 3;
    for (int y = 0; y < image.height; ++y)
        std::copy_n(&rows[size_t(image.height - 1 - y) * stride], stride, &image.rgb[y * stride]);
    return image;
}
