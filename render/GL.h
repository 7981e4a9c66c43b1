#pragma once
// The one header through which drawing code reaches OpenGL 1.1, the extension
// entry points it may call when the implementation offers them, and GLU.
// Only sources include it; the render headers stay free of GL types.

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

namespace corvia::detail_GL {

// While a pick draws the scene in selection mode, the vertices given between glBegin
// and glEnd are gathered and drawn from the program's own memory at glEnd
// (render/Picking.cpp). The software driver keeps a reference to its vertex store each
// time it selects from it, so a store that a pick drew from was never freed once
// filled: half a megabyte lost a pick, for as long as the program ran.
// The pick under way gathers (null: none); it lives for the pick's drawing.
struct PickGathering;
extern PickGathering* gGathering;
void GatherBegin(GLenum mode);
void GatherVertex(double x, double y, double z);
void GatherEnd();

}  // namespace corvia::detail_GL

// The calls that take vertices one by one, as the drawing code makes them. They go by
// other names, so that a declaration of a member of the same name (wx declares some)
// stays a declaration.
inline void CorviaGLBegin(GLenum mode) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherBegin(mode) : glBegin(mode);
}
inline void CorviaGLEnd() {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherEnd() : glEnd();
}
inline void CorviaGLVertex2d(double x, double y) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherVertex(x, y, 0) : glVertex2d(x, y);
}
inline void CorviaGLVertex2dv(const double* v) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherVertex(v[0], v[1], 0) : glVertex2dv(v);
}
inline void CorviaGLVertex2f(float x, float y) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherVertex(x, y, 0) : glVertex2f(x, y);
}
inline void CorviaGLVertex3d(double x, double y, double z) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherVertex(x, y, z) : glVertex3d(x, y, z);
}
inline void CorviaGLVertex3dv(const double* v) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherVertex(v[0], v[1], v[2]) : glVertex3dv(v);
}
inline void CorviaGLVertex3f(float x, float y, float z) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherVertex(x, y, z) : glVertex3f(x, y, z);
}
inline void CorviaGLVertex3fv(const float* v) {
  corvia::detail_GL::gGathering ? corvia::detail_GL::GatherVertex(v[0], v[1], v[2]) : glVertex3fv(v);
}
inline void CorviaGLRect(double x0, double y0, double x1, double y1) {
  corvia::detail_GL::GatherBegin(GL_POLYGON);
  corvia::detail_GL::GatherVertex(x0, y0, 0);
  corvia::detail_GL::GatherVertex(x1, y0, 0);
  corvia::detail_GL::GatherVertex(x1, y1, 0);
  corvia::detail_GL::GatherVertex(x0, y1, 0);
  corvia::detail_GL::GatherEnd();
}
inline void CorviaGLRectd(double x0, double y0, double x1, double y1) {
  corvia::detail_GL::gGathering ? CorviaGLRect(x0, y0, x1, y1) : glRectd(x0, y0, x1, y1);
}
inline void CorviaGLRecti(int x0, int y0, int x1, int y1) {
  corvia::detail_GL::gGathering ? CorviaGLRect(x0, y0, x1, y1) : glRecti(x0, y0, x1, y1);
}

#define glBegin CorviaGLBegin
#define glEnd CorviaGLEnd
#define glVertex2d CorviaGLVertex2d
#define glVertex2dv CorviaGLVertex2dv
#define glVertex2f CorviaGLVertex2f
#define glVertex3d CorviaGLVertex3d
#define glVertex3dv CorviaGLVertex3dv
#define glVertex3f CorviaGLVertex3f
#define glVertex3fv CorviaGLVertex3fv
#define glRectd CorviaGLRectd
#define glRecti CorviaGLRecti
