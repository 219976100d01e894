// The pictures of tools/headless/headless.h in a web page: the game's frames
// drawn by the web backend's GL into a WebGL context on the page's canvas and
// read back from there, written as PNG files into the page's file system by
// the browser's own encoder.
#include "tools/headless/headless.h"

#include <emscripten.h>

#include <cstdio>

#include "backends/web/gl_webgl.h"
#include "platform/window_proc.h"

namespace {

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;

// clang-format off
EM_JS(void, ReadCanvas, (int width, int height, unsigned char *rgba), {
    const gl = GL.currentContext.GLctx;
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE,
                  HEAPU8.subarray(rgba, rgba + width * height * 4));
});

// The browser's PNG encoder, by way of a 2-D canvas.
EM_JS(int, EncodePng, (const char *path, const unsigned char *rgba, int width, int height), {
    try {
        const canvas = document.createElement('canvas');
        canvas.width = width;
        canvas.height = height;
        const pixels = new ImageData(new Uint8ClampedArray(HEAPU8.slice(rgba, rgba + width * height * 4).buffer),
                                     width, height);
        canvas.getContext('2d').putImageData(pixels, 0, 0);
        const png = atob(canvas.toDataURL('image/png').split(',')[1]);
        FS.writeFile(UTF8ToString(path), Uint8Array.from(png, (c) => c.charCodeAt(0)));
        return 1;
    } catch (error) {
        return 0;
    }
});

// clang-format on

} // namespace

bool HeadlessOpen(int width, int height) {
    EM_ASM(
        {
            document.getElementById('canvas').width = $0;
            document.getElementById('canvas').height = $1;
        },
        width, height);
    context = WebGlCreateContext("#canvas");
    if (context == 0 || !WebGlMakeCurrent(context)) {
        std::fprintf(stderr, "headless GL: no WebGL context\n");
        return false;
    }
    ResizeScene(width, height);
    InitGL();
    return true;
}

void HeadlessClose() {
    WebGlMakeCurrent(0);
    // The canvas keeps the last picture on the page.
}

RgbImage HeadlessCapture() {
    RgbImage image;
    if (context == 0)
        return image;
    image.width = EM_ASM_INT({ return document.getElementById('canvas').width; });
    image.height = EM_ASM_INT({ return document.getElementById('canvas').height; });
    WebGlFlush();
    std::vector<unsigned char> rgba(size_t(image.width) * image.height * 4);
    ReadCanvas(image.width, image.height, rgba.data());
    // WebGL gives the bottom row first.
    image.rgb.resize(size_t(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c)
                image.rgb[(size_t(y) * image.width + x) * 3 + c] =
                    rgba[(size_t(image.height - 1 - y) * image.width + x) * 4 + c];
    return image;
}

bool WritePng(const std::string &path, const RgbImage &image) {
    std::vector<unsigned char> rgba(size_t(image.width) * image.height * 4, 255);
    for (size_t i = 0; i < size_t(image.width) * image.height; ++i)
        std::copy_n(&image.rgb[i * 3], 3, &rgba[i * 4]);
    if (!EncodePng(path.c_str(), rgba.data(), image.width, image.height)) {
        std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
        return false;
    }
    return true;
}

// The pictures are compared by the page's test (golden_check.mjs), outside
// the program: it only writes them.
bool ReadPng(const std::string &path, RgbImage &) {
    std::fprintf(stderr, "%s: the web build writes pictures, it does not read them\n",
                 path.c_str());
    return false;
}
