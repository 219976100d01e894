// The OpenGL 1.1 calls the game makes, over WebGL 1, which has no immediate
// mode, no matrix stack and no fixed-function pipeline.
//
// Vertices are gathered here, in the program's memory, with the colour each
// one was given; quads become two triangles. They go to WebGL in one
// drawArrays for every run of drawing that no state change interrupts: a
// change of blending, matrices or viewport, a clear, or the frame's end flush
// what came before, so the order of drawing is kept exactly. One small shader
// does what the fixed pipeline did for the game: the projection times the
// model-view matrix on each vertex, the colour interpolated across the
// triangle (smooth shading).
//
// The calls handled are the ones the game uses: glBegin with GL_TRIANGLES or
// GL_QUADS (other primitives are dropped), glEnd, glVertex3f, glVertex3i,
// glColor4f, glClear, glClearColor, glClearDepth, glEnable and glDisable
// (blending and depth test), glBlendFunc, glShadeModel (always smooth),
// glHint (no effect), glViewport, glMatrixMode, glLoadIdentity, glOrtho.
#include "backends/web/gl_webgl.h"

#include <GL/gl.h>
#include <emscripten.h>

#include <cstring>

namespace {

struct Vertex {
    float x, y, z;
    float r, g, b, a;
};

// Enough for a whole menu frame (about 25 000 vertices) in one draw; a larger
// frame is drawn in more than one.
constexpr int BATCH_VERTICES = 3 * 12000;
Vertex batch[BATCH_VERTICES];
int batchCount = 0;

GLenum primitive = 0; // between glBegin and glEnd: its mode
bool drawable = false;
Vertex quad[4];
int quadCount = 0;
Vertex current{0, 0, 0, 1, 1, 1, 1};

// Column-major, as GL keeps them.
double projection[16], modelView[16];
double *matrix = modelView;
bool matrixChanged = true;

void Identity(double *m) {
    std::memset(m, 0, 16 * sizeof(double));
    m[0] = m[5] = m[10] = m[15] = 1.0;
}

[[maybe_unused]] const bool matricesReady = (Identity(projection), Identity(modelView), true);

// m := m * n
void MultiplyInto(double *m, const double *n) {
    double product[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += m[k * 4 + row] * n[column * 4 + k];
            product[column * 4 + row] = sum;
        }
    std::memcpy(m, product, sizeof product);
}

// The WebGL side is gl_webgl.js (VortaGl).
EM_JS(void, WebGlDraw, (const Vertex *vertices, int count, const float *transform),
      { VortaGl.draw(vertices, count, transform); });
EM_JS(void, WebGlCall, (int call, double a, double b, double c, double d),
      { VortaGl.call(call, a, b, c, d); });
enum WebGlCallName { CLEAR, CLEAR_COLOR, CLEAR_DEPTH, ENABLE, BLEND_FUNC, VIEWPORT };

void Push(const Vertex &v) {
    batch[batchCount++] = v;
}

void Emit(const Vertex &v) {
    if (primitive == GL_TRIANGLES) {
        if (batchCount == BATCH_VERTICES)
            WebGlFlush();
        Push(v);
        return;
    }
    quad[quadCount++] = v;
    if (quadCount < 4)
        return;
    quadCount = 0;
    if (batchCount + 6 > BATCH_VERTICES)
        WebGlFlush();
    constexpr int AS_TRIANGLES[6] = {0, 1, 2, 0, 2, 3};
    for (int i : AS_TRIANGLES)
        Push(quad[i]);
}

} // namespace

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE WebGlCreateContext(const char *target) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context(target, &attributes);
    return context > 0 ? context : 0;
}

bool WebGlMakeCurrent(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context) {
    WebGlFlush();
    if (emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS)
        return false;
    matrixChanged = true; // the new context has yet to be given them
    return true;
}

void WebGlFlush() {
    // Only whole triangles are drawn; a triangle still being given stays.
    const int whole = batchCount - batchCount % 3;
    if (whole == 0)
        return;
    float transform[16];
    if (matrixChanged) {
        double m[16];
        std::memcpy(m, projection, sizeof m);
        MultiplyInto(m, modelView);
        for (int i = 0; i < 16; ++i)
            transform[i] = static_cast<float>(m[i]);
    }
    WebGlDraw(batch, whole, matrixChanged ? transform : nullptr);
    matrixChanged = false;
    std::memmove(batch, batch + whole, (batchCount - whole) * sizeof(Vertex));
    batchCount -= whole;
}

extern "C" {

void GLAPIENTRY glBegin(GLenum mode) {
    primitive = mode;
    drawable = mode == GL_TRIANGLES || mode == GL_QUADS;
    quadCount = 0;
}

void GLAPIENTRY glEnd() {
    // A triangle or quad left unfinished is not drawn.
    if (primitive == GL_TRIANGLES)
        batchCount -= batchCount % 3;
    primitive = 0;
    drawable = false;
    quadCount = 0;
}

void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!drawable)
        return;
    Vertex v = current;
    v.x = x, v.y = y, v.z = z;
    Emit(v);
}

void GLAPIENTRY glVertex3i(GLint x, GLint y, GLint z) {
    glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    current.r = r, current.g = g, current.b = b, current.a = a;
}

void GLAPIENTRY glClear(GLbitfield mask) {
    WebGlFlush();
    WebGlCall(CLEAR, mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), 0, 0, 0);
}

void GLAPIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    WebGlCall(CLEAR_COLOR, r, g, b, a);
}

void GLAPIENTRY glClearDepth(GLclampd depth) {
    WebGlCall(CLEAR_DEPTH, depth, 0, 0, 0);
}

void GLAPIENTRY glEnable(GLenum capability) {
    if (capability != GL_BLEND && capability != GL_DEPTH_TEST)
        return;
    WebGlFlush();
    WebGlCall(ENABLE, capability, 1, 0, 0);
}

void GLAPIENTRY glDisable(GLenum capability) {
    if (capability != GL_BLEND && capability != GL_DEPTH_TEST)
        return;
    WebGlFlush();
    WebGlCall(ENABLE, capability, 0, 0, 0);
}

void GLAPIENTRY glBlendFunc(GLenum source, GLenum destination) {
    WebGlFlush();
    WebGlCall(BLEND_FUNC, source, destination, 0, 0);
}

void GLAPIENTRY glShadeModel(GLenum) {}

void GLAPIENTRY glHint(GLenum, GLenum) {}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    WebGlFlush();
    WebGlCall(VIEWPORT, x, y, width, height);
}

void GLAPIENTRY glMatrixMode(GLenum mode) {
    if (mode == GL_PROJECTION)
        matrix = projection;
    else if (mode == GL_MODELVIEW)
        matrix = modelView;
}

void GLAPIENTRY glLoadIdentity() {
    WebGlFlush();
    Identity(matrix);
    matrixChanged = true;
}

void GLAPIENTRY glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top,
                        GLdouble zNear, GLdouble zFar) {
    WebGlFlush();
    double ortho[16] = {};
    ortho[0] = 2.0 / (right - left);
    ortho[5] = 2.0 / (top - bottom);
    ortho[10] = -2.0 / (zFar - zNear);
    ortho[12] = -(right + left) / (right - left);
    ortho[13] = -(top + bottom) / (top - bottom);
    ortho[14] = -(zFar + zNear) / (zFar - zNear);
    ortho[15] = 1.0;
    MultiplyInto(matrix, ortho);
    matrixChanged = true;
}

} // extern "C"
