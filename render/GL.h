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
