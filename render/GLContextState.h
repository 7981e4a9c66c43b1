#pragma once
// What the drawing keeps in one GL context from one frame to the next: the GL objects
// made in it (vertex buffers, face images' textures, the fonts' glyph textures), the
// caches and queues that hold them, the scratch a drawing fills and empties in it, and
// the counts of what was drawn in it that tests read. Each context has one, made with it by the context's
// owner (the panes' shared context, ui/SharedGLContext.cpp; the off-screen EGL context
// of tests and tools, render/OffscreenViewWindow.cpp) and released by that owner while
// the context is current, before the context goes. No static holds a GL object, so
// nothing is released at the end of the process, where the order of destruction is
// unknown. What the drawing keeps for the whole process (a few switches and thresholds)
// stays with the code that uses it; a drawing outside any section (a printed page)
// uses scratch of its own.

#include <memory>
#include <vector>

namespace corvia {

class OpenGLView;

// A part of a context's state that a piece of the drawing defines for itself.
class GLContextPart {
 public:
  virtual ~GLContextPart() = default;
};

class GLContextState {
 public:
  // The state of the context of the key (GLTarget::ContextKey), known from now on.
  explicit GLContextState(const void* key);
  // Releases what is left, as Release(false) does.
  ~GLContextState();
  GLContextState(const GLContextState&) = delete;
  GLContextState& operator=(const GLContextState&) = delete;

  const void* Key() const { return mKey; }
  // Lets go of everything the state holds. With contextCurrent (its owner made the
  // context current) the GL objects are deleted; otherwise their names are forgotten,
  // as the context is about to take them with it. The state is empty afterwards.
  void Release(bool contextCurrent);
  // Deletes the buffers and textures let go of while the context was not current (a
  // pane closed, a picture given up): the context must be current.
  void DeleteReleased();
  GLContextState* Next() const { return mNext; }

  // The view whose GL state (lights, materials, switches) the context holds now.
  OpenGLView* stateOwner = nullptr;
  // Buffer objects and textures let go of while the context was not current: deleted
  // the next time a section opens in it (DeleteReleased).
  std::vector<unsigned> releasedBuffers;
  std::vector<unsigned> releasedTextures;
  // The translucent triangles the pass under way queued, their record pool, and the
  // buffers of the sorted queue drawn in runs (render/DepthSortedTriangles.cpp).
  std::unique_ptr<GLContextPart> depthSort;
  // The face lists each view keeps: recordings, vertex buffers, translucent sets
  // (render/FaceMeshCache.cpp).
  std::unique_ptr<GLContextPart> faceMeshes;
  // The fonts opened here, with their glyph textures (render/GLFont.cpp).
  std::unique_ptr<GLContextPart> fonts;
  // The pictures of the faceting diagram's pair lines each view keeps
  // (render/PairLineLayer.cpp); their textures go to releasedTextures.
  std::unique_ptr<GLContextPart> pairLines;
  // The flat nets each view keeps in vertex buffers (render/FlatNetMesh.cpp).
  std::unique_ptr<GLContextPart> flatNets;
  // The construction toy's panel outlines and the rods waiting to be drawn together
  // (render/GeomagDrawing.cpp).
  std::unique_ptr<GLContextPart> geomag;
  // The spheres waiting to be drawn together (render/Primitives.cpp).
  std::unique_ptr<GLContextPart> spheres;
  // The pools the dual morph's truncation outlines are built in (render/MorphDrawing.cpp).
  std::unique_ptr<GLContextPart> morphOutlines;
  // The sorter that puts the construction toy's faces back to front; faces at the same
  // depth keep the order of its last sort (render/ModelDrawing.cpp).
  std::unique_ptr<GLContextPart> faceOrder;
  // The corner colours and shear the next glyphs are drawn with
  // (render/MipmapTextureFont.cpp).
  std::unique_ptr<GLContextPart> glyphs;
  // The nesting of the coplanar stencil in the pass under way (render/Lighting.cpp).
  std::unique_ptr<GLContextPart> coplanarStencil;
  // The texts each view writes over its flat net, and where (render/NetTexts.cpp).
  std::unique_ptr<GLContextPart> netTexts;

 private:
  const void* mKey;
  GLContextState* mNext = nullptr;
};

// The state of the context the innermost open section draws with (or of the context
// being released); null outside any section, and for a context that has none.
GLContextState* GetCurrentGLContextState();
// The state of the context of the key; null when it has none (never made, or gone).
GLContextState* FindGLContextState(const void* key);
// Every state there is, for walking with Next().
GLContextState* GetFirstGLContextState();
int CountGLContextStates();

// A part of the state, made on first use.
template <class Part>
Part& GetGLContextPart(std::unique_ptr<GLContextPart>& slot) {
  if (!slot) slot = std::make_unique<Part>();
  return static_cast<Part&>(*slot);
}

// The part in the slot (a member such as &GLContextState::fonts) of the current
// context, made on first use; null outside any section.
template <class Part>
Part* FindCurrentGLContextPart(std::unique_ptr<GLContextPart> GLContextState::*slot) {
  GLContextState* state = GetCurrentGLContextState();
  return state ? &GetGLContextPart<Part>(state->*slot) : nullptr;
}

// Calls f with the part in the slot (a member such as &GLContextState::faceMeshes) of
// every context that has made it: for sums over the contexts there are.
template <class Part, class F>
void ForEachGLContextPart(std::unique_ptr<GLContextPart> GLContextState::*slot, F&& f) {
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (state->*slot) f(static_cast<const Part&>(*(state->*slot)));
  }
}

}  // namespace corvia
