// The GL 1.1 calls the game draws with, over WebGL 1 (which has none of
// them): what the rest of the web layer needs to know of it.
#pragma once

#include <emscripten/html5_webgl.h>

// A WebGL 1 context on the canvas `target` ("#canvas") as the game's pixel
// format asks for it and the desktop shows it: no alpha blended into the page,
// depth, no antialiasing (sharp edges as on the desktop). 0 when the browser
// gives none.
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE WebGlCreateContext(const char *target);
// Makes a context (or none, 0) current, drawing what the last one was given first.
bool WebGlMakeCurrent(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context);

// Draws what the game has handed over since the last flush into the current
// WebGL context. Before a frame is shown or its pixels are read, and before
// the context changes.
void WebGlFlush();
