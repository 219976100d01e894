// A GL that draws nothing, for programs that run the game's frames without a
// picture (the solver, the frame benchmarks). These are all the OpenGL 1.1
// calls the game makes: a port whose platform has no GL 1.1 provides exactly
// these.
#include <GL/gl.h>

extern "C" {
void GLAPIENTRY glBegin(GLenum) {}
void GLAPIENTRY glEnd() {}
void GLAPIENTRY glVertex3f(GLfloat, GLfloat, GLfloat) {}
void GLAPIENTRY glVertex3i(GLint, GLint, GLint) {}
void GLAPIENTRY glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void GLAPIENTRY glClear(GLbitfield) {}
void GLAPIENTRY glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void GLAPIENTRY glClearDepth(GLclampd) {}
void GLAPIENTRY glEnable(GLenum) {}
void GLAPIENTRY glDisable(GLenum) {}
void GLAPIENTRY glBlendFunc(GLenum, GLenum) {}
void GLAPIENTRY glShadeModel(GLenum) {}
void GLAPIENTRY glHint(GLenum, GLenum) {}
void GLAPIENTRY glViewport(GLint, GLint, GLsizei, GLsizei) {}
void GLAPIENTRY glMatrixMode(GLenum) {}
void GLAPIENTRY glLoadIdentity() {}
void GLAPIENTRY glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
}
