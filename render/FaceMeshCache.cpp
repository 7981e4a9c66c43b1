// What the model drawing keeps of a face list between frames: the recording, its
// vertex buffers and the state it was made in.

#include "render/FaceMeshCache.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "construction/DualMorph.h"
#include "model/CompoundPart.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/ElementServices.h"
#include "model/Face.h"
#include "model/FaceDiagramCells.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "render/DepthSortedTriangles.h"
#include "render/GL.h"
#include "render/GLBuffer.h"
#include "render/GLContextState.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/IdleTurns.h"
#include "render/KeptTriangles.h"
#include "render/LightSets.h"
#include "render/ModelDrawPane.h"
#include "render/ModelDrawSettings.h"
#include "render/ModelDrawing.h"
#include "render/OpenGLView.h"
#include "render/StateHash.h"

namespace corvia {

namespace detail_FaceMeshCache {

// The face lists a view keeps (the compound of duals draws two).
constexpr size_t kListsPerView = 4;
// The most faces of a selected plane that are left out of a recording and drawn on
// their own every frame; a larger plane is kept in the recording.
constexpr size_t kMostFacesLeftOut = 64;

// A stretch of vertices and the polygon offset switched before it (-1: left alone).
struct Run {
  size_t first = 0;
  size_t count = 0;
  int polygonOffset = -1;
};

struct Facing {
  double centre[3];
  double normal[3];
  bool front;
};

// One face list of one view, in one draw mode.
struct Entry {
  const ElementList* faces = nullptr;
  int drawMode = 0;
  uint64_t lastUse = 0;
  // The state of the recording.
  bool kept = false;
  uint64_t keptState = 0;
  // The recording.
  std::vector<KeptVertex> vertices;
  std::vector<Run> runs;
  std::vector<Facing> facings;
  bool haveMaterial = false;
  float material[4] = {0, 0, 0, 1};
  bool haveNormal = false;
  double normal[3] = {0, 0, 1};
  bool lit = true;
  bool spoiled = false;
  // Only the outside of a closed surface can show: back faces may be culled while the
  // eye is outside the sphere about the centre that holds every vertex (of this radius
  // squared) and the near plane does not cut into it.
  bool closed = false;
  double reachSquared = 0.0;
  // Six times the volume the triangles enclose, wound as drawn: negative when they face
  // inwards (their outside is then the side GL takes for their back).
  double volume = 0.0;
  std::shared_ptr<KeptTriangleSet> translucent;
  // The vertices on the GL side, kVerticesABuffer to a buffer: a store of some hundred
  // MB made at once is made and filled in one call, which holds the window for as long.
  std::vector<std::unique_ptr<GLBuffer>> buffers;
  // The faces of the selected plane that the recording passes over, by address; where
  // each face's triangles begin among the vertices and among the translucent ones, by
  // its index in the list, the ends after the last (empty when the faces did not come
  // in the order of their indices).
  std::vector<PolyElement*> leftOut;
  std::vector<uint32_t> faceStarts;
  std::vector<uint32_t> translucentStarts;
  // A recording the idle work makes for the paint that asked for it (of the state
  // `askedState`): the list's faces up to `next` are recorded. Declined, the list is
  // recorded in its paints while that state holds.
  bool waiting = false;
  bool declined = false;
  uint64_t askedState = 0;
  OpenGLView* view = nullptr;
  Poly* poly = nullptr;
  double scale = 1.0;
  double morph = 1.0;
  FaceDrawOptions options;
  bool started = false;
  PolyElement* next = nullptr;
  size_t facesDone = 0;
  bool places = false;
  // Once every face is recorded, the idle work copies the vertices to the buffers, one
  // a turn: `copied` vertices of them so far.
  bool copying = false;
  size_t copied = 0;
};

// A face drawn on its own in its place among the kept vertices: before the vertex
// `first`, in place of the `count` vertices the recording made of it (none for a face
// the recording left out).
struct Apart {
  size_t first = 0;
  size_t count = 0;
  PolyElement* face = nullptr;
};

// Whether face lists may be gathered into arrays at all. Tests turn it off to draw the
// same frame triangle by triangle and compare: it holds for every context and view of
// the process, so it is one switch here.
bool gArrays = true;

// The face lists the views drawing in one context keep, the recording under way into
// one of them, and how the lists were drawn in the context.
struct Kept : GLContextPart {
  // Drops a view's entries, ending a recording into one of them.
  void DropEntries(std::vector<std::unique_ptr<Entry>>& entries) {
    for (const auto& e : entries) {
      if (recording == e.get()) {
        recording = nullptr;
        recordingView = nullptr;
      }
    }
    entries.clear();
  }

  std::unordered_map<const OpenGLView*, std::vector<std::unique_ptr<Entry>>> views;
  uint64_t clock = 0;
  Entry* recording = nullptr;
  OpenGLView* recordingView = nullptr;
  uint64_t recordingState = 0;
  const FaceDrawer* recordingDrawer = nullptr;
  // Whether the recording under way notes where each face begins: only a list that may
  // leave faces out does, and only while its faces come in the order of their indices.
  bool recordingPlaces = false;
  // The recording under way is the idle work's, outside any paint: it draws nothing.
  bool recordingWhenIdle = false;
  // The faces the recording under way left out so far.
  std::vector<PolyElement*> passedOver;
  // The selected plane and the faces drawn on their own, made again in every frame in
  // the same stores.
  std::vector<PolyElement*> plane;
  std::vector<Apart> apart;
  int depth = 0;  // DrawFaces calls open now
  FaceMeshStatistics statistics;
};

// Those of the current context; null outside any section.
Kept* CurrentKept() {
  return FindCurrentGLContextPart<Kept>(&GLContextState::faceMeshes);
}

// The recording under way in the current context; null when none.
Entry* CurrentRecording() {
  const Kept* kept = CurrentKept();
  return kept ? kept->recording : nullptr;
}

bool GeomagOn() {
  return GetElementDisplayOptions().constructionToyStyle;
}

// Whether the drawing of the list can be recorded at all: the plain mode with nothing
// drawn on the faces, every face through the ring's plain path.
bool CanKeep(OpenGLView* view, int drawMode, const FaceDrawOptions& o) {
  return gArrays && drawMode != kDrawModeStellation && !GeomagOn() && !o.singleFace && !view->IsPicking() &&
         (!o.useStencil || !o.anyDetails) && !o.showCellLines && GetGLAbilities().vertexBuffers &&
         GetCurrentGLContextState() != nullptr;
}

// The faces of the list whose drawing follows the selection: the selected element with
// its coplanar ring, when it is of this list (the drawing of the others never asks for
// it). Stops past kMostFacesLeftOut.
void FindSelectedPlane(const Poly* poly, const ElementList* faces, std::vector<PolyElement*>& plane) {
  plane.clear();
  PolyElement* selected = poly->mSelectedElement;
  if (!selected || selected->mList != faces) return;
  plane.push_back(selected);
  // A ring is never longer than the list that holds it, and a damaged one must not loop.
  const int limit = faces->mCount;
  int steps = 0;
  for (PolyElement* m = selected->mCoplanarNext; m && m != selected && steps < limit && plane.size() <= kMostFacesLeftOut;
       m = m->mCoplanarNext, ++steps) {
    if (m->mList == faces) plane.push_back(m);
  }
  std::sort(plane.begin(), plane.end());
  plane.erase(std::unique(plane.begin(), plane.end()), plane.end());
}

// The hash of what the recording is made of. The faces of the selected plane are left
// out of it (`leaveOut`) unless the list draws translucent triangles or the plane is
// large: then they are drawn in it, and the selection is part of the state.
uint64_t HashState(OpenGLView* view, Poly* poly, ElementList* faces, int drawMode, double scale, double morph,
                   const FaceDrawOptions& o, const std::vector<PolyElement*>& plane, bool& leaveOut,
                   size_t& triangles) {
  StateHash h;
  h.Add(poly);
  h.Add(faces);
  h.Add(static_cast<uint64_t>(drawMode));
  h.Add(scale);
  h.Add(morph);
  h.Add(GetCurrentGLContextKey());
  h.Add(poly->GetDrawnStateSerial());
  h.Add(static_cast<uint64_t>(poly->mPolyFlags));
  h.Add(static_cast<uint64_t>(GetRainbowFlags(view->GetViewGroup())));
  h.Add(static_cast<uint64_t>(view->Stereo().GetStereoKind()));
  h.Add(view->Stereo().GetAnaglyphWeights(), 3);
  h.Add(static_cast<uint64_t>(view->Is3D()) | static_cast<uint64_t>(view->GetLighting()) << 1);
  ModelDrawPane& pane = GetModelDrawPane(view);
  h.Add(static_cast<uint64_t>(pane.GetShowSkipped()) | static_cast<uint64_t>(pane.HighlightsCells()) << 1 |
        static_cast<uint64_t>(CellHighlightOption()) << 2 | static_cast<uint64_t>(pane.GetDrawOrder() >= 1.0) << 3 |
        static_cast<uint64_t>(GetModelDrawSettings().useStencil) << 4);
  const FaceDragState& drag = pane.GetFaceDrag();
  h.Add(static_cast<uint64_t>(drag.options));
  h.Add(drag.offset);
  h.Add(drag.heldFace);
  h.Add(&DepthSortAlphaFactor(), 1);
  h.Add(static_cast<uint64_t>(CellDisplayFlags()));
  h.Add(static_cast<uint64_t>(faces->mCount));
  if (drawMode != kDrawModePlain) {
    // The morphs' pieces are made from the ratio and the scales set for it.
    h.Add(DualMorphRatio());
    h.Add(TruncationMorphScales().base);
    h.Add(TruncationMorphScales().dual);
    h.Add(AugmentationMorphScales().base);
    h.Add(AugmentationMorphScales().dual);
  }
  // Every face: what its drawing reads of it between builds.
  bool translucent = DepthSortAlphaFactor() != 1.0f;
  triangles = 0;
  for (const PolyElement* f = faces->mHead; f; f = f->mNext) {
    triangles += static_cast<size_t>(std::max(f->mNumSides - 2, 1));
    h.Add(f);
    uint32_t opacity;
    std::memcpy(&opacity, &f->mOpacity, sizeof opacity);
    h.Add(static_cast<uint64_t>(f->mFlags) | static_cast<uint64_t>(opacity) << 32);
    h.Add(f->GetImage());
    h.Add(f->GetCellColours(0));
    h.Add(f->GetColour(), 3);
    h.Add(f->mBackColor, 3);
    translucent = translucent || f->mOpacity < 1.0f;
  }
  leaveOut = !translucent && plane.size() <= kMostFacesLeftOut;
  if (!plane.empty() && !leaveOut) {
    h.Add(poly->mSelectedElement);
    h.Add(static_cast<uint64_t>(o.highlight));
  }
  return h.Get();
}

// The faces drawn on their own in a frame kept with the plane given, each in its place
// among the kept vertices: those of the plane, their own vertices passed over, and those
// the recording left out (at the end when their places are not known). False when a
// face of the plane cannot be told apart (the faces were not met in order, or it drew
// translucent triangles): the list is recorded again.
bool FindApart(const Entry& e, const std::vector<PolyElement*>& plane, std::vector<Apart>& apart) {
  apart.clear();
  const size_t end = e.faceStarts.empty() ? SIZE_MAX : e.faceStarts.back();
  auto place = [&](const PolyElement* f, size_t& first, size_t& count) {
    const size_t i = static_cast<size_t>(f->mIndex);
    if (f->mIndex < 0 || i + 1 >= e.faceStarts.size()) return false;
    first = e.faceStarts[i];
    count = e.faceStarts[i + 1] - first;
    return e.translucentStarts[i + 1] == e.translucentStarts[i];
  };
  for (PolyElement* f : plane) {
    if (std::binary_search(e.leftOut.begin(), e.leftOut.end(), f)) continue;
    Apart a{0, 0, f};
    if (!place(f, a.first, a.count)) return false;
    apart.push_back(a);
  }
  for (PolyElement* f : e.leftOut) {
    Apart a{end, 0, f};
    if (!place(f, a.first, a.count)) a = Apart{end, 0, f};
    apart.push_back(a);
  }
  std::sort(apart.begin(), apart.end(), [](const Apart& a, const Apart& b) {
    return a.first != b.first ? a.first < b.first : a.face->mIndex < b.face->mIndex;
  });
  return true;
}

Entry& FindEntry(Kept& kept, OpenGLView* view, const ElementList* faces, int drawMode) {
  auto& entries = kept.views[view];
  for (auto& e : entries) {
    if (e->faces == faces && e->drawMode == drawMode) return *e;
  }
  if (entries.size() >= kListsPerView) {
    auto oldest = std::min_element(entries.begin(), entries.end(),
                                   [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
    entries.erase(oldest);
  }
  entries.push_back(std::make_unique<Entry>());
  entries.back()->faces = faces;
  entries.back()->drawMode = drawMode;
  return *entries.back();
}

bool FacingsHold(OpenGLView* view, const Entry& e) {
  for (const Facing& f : e.facings) {
    double centre[3] = {f.centre[0], f.centre[1], f.centre[2]};
    double normal[3] = {f.normal[0], f.normal[1], f.normal[2]};
    if (view->IsFrontFacing(centre, normal, false) != f.front) return false;
  }
  return true;
}

// Whether the list is the closed surface of a model turned outwards, drawn opaque and
// whole: the model's own faces (not the dual's) in the plain mode at their places, each
// opaque, without an image, a simple polygon, neither hidden nor in a coplanar ring nor
// through the centre, every edge between two of them, and every part of the model
// two-sided with a positive volume. The triangles recorded must also face the way of
// their normals (NoteWinding).
bool IsClosedOpaqueSurface(OpenGLView* view, Poly* poly, const ElementList* faces, int drawMode, double morph) {
  if (drawMode != kDrawModePlain || morph != 1.0 || faces != static_cast<const ElementList*>(&poly->mFaces) ||
      !poly->mCompoundParts || DepthSortAlphaFactor() != 1.0f)
    return false;
  if (GetModelDrawPane(view).GetFaceDrag().heldFace) return false;
  for (const CompoundPart* part = poly->mCompoundParts; part; part = part->mNext) {
    if ((part->mFlags & kCompoundPartOneSided) || !(part->mVolume > 0.0)) return false;
  }
  constexpr uint32_t kOpening =
      kElementHemi | kElementInf | kElementHidden | kElementCoplanar | kElementSkip | kElementOneSided;
  for (const PolyElement* f = faces->mHead; f; f = f->mNext) {
    if ((f->mFlags & kOpening) || f->mOpacity < 1.0f || f->GetImage() || f->mDensity != 1 || !f->mEdges) return false;
    for (int i = 0; i < f->mNumSides; ++i) {
      const Edge* edge = f->mEdges[i];
      if (!edge || !edge->mFace1 || !edge->mFace2 || edge->mFace1 == edge->mFace2) return false;
    }
  }
  return true;
}

// A triangle wound against its normal would be culled from the side it shows.
void NoteWinding(Entry& e, const double* a, const double* b, const double* c, const double* normal) {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double w[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  if (w[0] * normal[0] + w[1] * normal[1] + w[2] * normal[2] < 0.0) e.closed = false;
  e.volume += a[0] * w[0] + a[1] * w[1] + a[2] * w[2];
}

double Determinant3(const GLdouble* m, int stride) {
  const double a = m[0], b = m[stride], c = m[2 * stride];
  const double d = m[1], e = m[stride + 1], f = m[2 * stride + 1];
  const double g = m[2], h = m[stride + 2], i = m[2 * stride + 2];
  return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

// The faces to cull when the eye can see only the outside of a closed list now (the
// sphere about the centre that holds it lies wholly beyond the near plane, so that the
// eye is outside it and the near plane cuts nothing open): the back faces, or the front
// ones when the matrices mirror the picture or the triangles face inwards; kCullNone
// otherwise.
int CullModeFor(OpenGLView* view, const Entry& e) {
  if (!e.closed || !view->Is3D()) return kCullNone;
  GLdouble m[16], p[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  // The largest stretch of a model axis in eye space.
  double stretch = 0.0;
  for (int c = 0; c < 3; ++c)
    stretch = std::max(stretch, m[4 * c] * m[4 * c] + m[4 * c + 1] * m[4 * c + 1] + m[4 * c + 2] * m[4 * c + 2]);
  const double radius = std::sqrt(e.reachSquared * stretch);
  if (!(m[14] + 1.001 * radius < -static_cast<double>(view->Camera().GetNear()))) return kCullNone;
  // A projection as glFrustum and glOrtho make it turns eye space inside out (its
  // determinant is negative); the model's own turn keeps its sides.
  double projection = 0.0;
  for (int c = 0; c < 4; ++c) {
    GLdouble minor[9];
    int k = 0;
    for (int cc = 0; cc < 4; ++cc) {
      if (cc == c) continue;
      for (int r = 1; r < 4; ++r) minor[k++] = p[4 * cc + r];
    }
    projection += (c % 2 ? -1.0 : 1.0) * p[4 * c] * Determinant3(minor, 3);
  }
  const double turn = Determinant3(m, 4) * projection * (e.volume < 0.0 ? -1.0 : 1.0);
  if (turn < 0.0) return kCullBack;
  if (turn > 0.0) return kCullFront;
  return kCullNone;
}

// The vertices a buffer of a recording holds: whole triangles, about 4 MiB of them.
constexpr size_t kVerticesABuffer = (size_t(4) << 20) / sizeof(KeptVertex) / 3 * 3;

// The recording's buffers, as many as the count of vertices fill (one at least).
void SizeBuffers(Entry& e, size_t vertices) {
  const size_t count = std::max<size_t>(1, (vertices + kVerticesABuffer - 1) / kVerticesABuffer);
  e.buffers.resize(count);
  for (auto& buffer : e.buffers) {
    if (!buffer) buffer = std::make_unique<GLBuffer>();
  }
}

// Copies the recording's vertices of the buffer to it.
bool UploadBuffer(Kept& kept, Entry& e, size_t index) {
  const size_t first = index * kVerticesABuffer;
  const size_t count = std::min(kVerticesABuffer, e.vertices.size() - first);
  kept.statistics.largestUpload = std::max(kept.statistics.largestUpload, count * sizeof(KeptVertex));
  return e.buffers[index]->Upload(e.vertices.data() + first, count * sizeof(KeptVertex), false);
}

bool BuffersBelongToCurrentContext(const Entry& e) {
  return !e.buffers.empty() &&
         std::all_of(e.buffers.begin(), e.buffers.end(), [](const auto& b) { return b->BelongsToCurrentContext(); });
}

// Draws the triangles, from the buffer or (while the recording runs) from memory, with
// the faces drawn on their own in their places, and leaves the state the faces drawn one
// by one would have left.
void Replay(OpenGLView* view, Entry& e, bool fromMemory, const std::vector<Apart>& apart = {},
            const FaceDrawer* draw = nullptr) {
  size_t next = 0;
  // The faces drawn on their own whose places come before the vertex.
  auto drawApartBefore = [&](size_t vertex) {
    for (; next < apart.size() && apart[next].first < vertex; ++next) {
      if (draw) (*draw)(apart[next].face);
    }
  };
  if (!e.vertices.empty() || !e.runs.empty()) {
    const int cull = CullModeFor(view, e);
    const int cullBefore = cull != kCullNone ? view->Materials().SetCullMode(cull) : cull;
    // Every triangle left shows its front: lit from that side alone, as the two-sided
    // light model would light it, for half the work.
    GLint twoSided = 0;
    if (cull == kCullBack) {
      glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
      if (twoSided) glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    }
    if (cull != kCullNone) ++CurrentKept()->statistics.culled;
    GLfloat currentColour[4];
    glGetFloatv(GL_CURRENT_COLOR, currentColour);
    size_t bound = SIZE_MAX;
    // The triangles from the vertex `at` on (a buffer's vertices are whole triangles).
    auto drawRange = [&](size_t at, size_t count) {
      if (fromMemory) {
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(at), static_cast<GLsizei>(count));
        return;
      }
      for (const size_t end = at + count; at < end;) {
        const size_t index = at / kVerticesABuffer, first = index * kVerticesABuffer;
        if (index >= e.buffers.size()) return;
        if (bound != index) BeginKeptVertexArrays(*e.buffers[index], true);
        bound = index;
        const size_t n = std::min(end, first + kVerticesABuffer) - at;
        glDrawArrays(GL_TRIANGLES, static_cast<GLint>(at - first), static_cast<GLsizei>(n));
        at += n;
      }
    };
    auto beginArrays = [&] {
      if (fromMemory) {
        // The recording's own vertices, as client arrays.
        const KeptVertex* v = e.vertices.data();
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(KeptVertex), v ? v->position : nullptr);
        glNormalPointer(GL_FLOAT, sizeof(KeptVertex), v ? v->normal : nullptr);
        glColorPointer(4, GL_FLOAT, sizeof(KeptVertex), v ? v->colour : nullptr);
      } else {
        bound = SIZE_MAX;  // each draw binds the buffer it draws from
      }
      if (e.lit) {
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
      }
    };
    auto endArrays = [&] {
      if (e.lit) glDisable(GL_COLOR_MATERIAL);
      EndKeptVertexArrays();
      glColor4fv(currentColour);
    };
    // A face drawn on its own takes the material the kept ones leave (a face in the
    // rainbow colours sets none of its own).
    auto drawApart = [&](size_t vertex) {
      if (next >= apart.size() || apart[next].first >= vertex) return;
      endArrays();
      if (e.haveMaterial) view->Materials().SetMaterialColorAlphav(e.material, e.material[3]);
      drawApartBefore(vertex);
      beginArrays();
    };
    beginArrays();
    for (const Run& run : e.runs) {
      if (run.polygonOffset == 0) glDisable(GL_POLYGON_OFFSET_FILL);
      if (run.polygonOffset == 1) glEnable(GL_POLYGON_OFFSET_FILL);
      size_t at = run.first;
      const size_t end = run.first + run.count;
      while (next < apart.size() && apart[next].first < end) {
        const Apart& a = apart[next];
        if (a.first > at) drawRange(at, a.first - at);
        at = std::max(at, a.first + a.count);
        drawApart(a.first + 1);
      }
      if (at < end) drawRange(at, end - at);
    }
    endArrays();
    if (next < apart.size() && e.haveMaterial) view->Materials().SetMaterialColorAlphav(e.material, e.material[3]);
    drawApartBefore(SIZE_MAX);
    if (cullBefore != cull) view->Materials().SetCullMode(cullBefore < 0 ? kCullNone : cullBefore);
    if (twoSided) glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, twoSided);
  } else {
    drawApartBefore(SIZE_MAX);
  }
  // The state the faces drawn one by one would have left.
  if (e.haveMaterial) view->Materials().SetMaterialColorAlphav(e.material, e.material[3]);
  if (e.haveNormal) glNormal3dv(e.normal);
  if (e.translucent) QueueKeptTriangles(e.translucent);
  CheckGLError("DrawFaces (kept)");
}

void AddVertex(Entry& e, const double* p, const double* normal, const float* colour) {
  KeptVertex v;
  for (int k = 0; k < 3; ++k) {
    v.position[k] = static_cast<float>(p[k]);
    v.normal[k] = static_cast<float>(normal[k]);
  }
  std::copy(colour, colour + 4, v.colour);
  e.vertices.push_back(v);
  e.reachSquared = std::max(e.reachSquared, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
  if (e.runs.empty()) e.runs.push_back(Run());
  e.runs.back().count += 1;
}

void NoteNormal(Entry& e, const double* normal) {
  e.haveNormal = true;
  std::copy(normal, normal + 3, e.normal);
}

// Whether the list is recorded by the idle work rather than in the paint that finds it
// not kept: a list of the program's current model of kDeferredFaceMeshFaces faces or
// more in the plain mode, drawn on screen, not in stereo. A million faces took the paint
// more than a second. While a transition changes the list every frame, only a list of
// kDeferredTransitionFaces or more, whose frames could not follow the transition anyway:
// its frames draw none of the faces and the idle work records the list once the
// transition has ended.
bool RecordWhenIdle(OpenGLView* view, Poly* poly, const ElementList* faces, int drawMode, double morph) {
  const int least = poly->IsTransitionRunning() ? kDeferredTransitionFaces : kDeferredFaceMeshFaces;
  return faces->mCount >= least && drawMode == kDrawModePlain && morph == 1.0 && poly == GetCurrentPoly() &&
         !view->IsBitmapTarget() && view->Stereo().GetStereoKind() == StereoKind::None;
}

// The entry emptied for a new recording of the state, `triangles` the faces' triangles
// as polygons.
void ClearForRecording(OpenGLView* view, Entry& e, Poly* poly, int drawMode, double morph,
                       const std::vector<PolyElement*>& plane, bool leaveOut, size_t triangles) {
  e.kept = false;
  e.waiting = false;
  e.copying = false;
  e.copied = 0;
  e.vertices.clear();
  // Room for the triangles the faces make as polygons (their cells make as many), so
  // that the store is not copied again and again as it grows: for a million faces that
  // was most of the recording.
  e.vertices.reserve(3 * triangles);
  e.runs.clear();
  e.facings.clear();
  e.haveMaterial = e.haveNormal = false;
  e.spoiled = false;
  e.leftOut = plane;
  e.faceStarts.clear();
  e.translucentStarts.clear();
  if (leaveOut) {
    e.faceStarts.reserve(static_cast<size_t>(e.faces->mCount) + 1);
    e.translucentStarts.reserve(static_cast<size_t>(e.faces->mCount) + 1);
  }
  // The translucent triangles of the last recording make way for the new ones in the
  // same set, unless a queue still holds it: its stores and buffers serve again, and its
  // last order is where the sort of the new triangles starts.
  if (e.translucent && e.translucent.use_count() == 1) {
    e.translucent->Clear();
  } else {
    e.translucent.reset();
  }
  e.closed = IsClosedOpaqueSurface(view, poly, e.faces, drawMode, morph);
  e.reachSquared = 0.0;
  e.volume = 0.0;
  float probe[4];
  const float white[3] = {1.0f, 1.0f, 1.0f};
  e.lit = view->Materials().FilterMaterialColor(white, 1.0f, probe);
}

// The recording of the entry goes on in the current context.
void ResumeRecording(Kept& kept, Entry& e, OpenGLView* view, uint64_t state, const FaceDrawer* drawer, bool places) {
  kept.recording = &e;
  kept.recordingView = view;
  kept.recordingState = state;
  kept.recordingDrawer = drawer;
  kept.recordingPlaces = places;
}

// Ends the recording's faces: the ends of its last face are noted, or the places
// dropped when they cannot be trusted.
void CloseRecording(const Kept& kept, Entry& e) {
  // The ends of the last face; places that cannot be trusted are not kept.
  e.faceStarts.push_back(static_cast<uint32_t>(e.vertices.size()));
  e.translucentStarts.push_back(e.translucent ? static_cast<uint32_t>(e.translucent->Size()) : 0u);
  if (!kept.recordingPlaces || e.faceStarts.size() != static_cast<size_t>(e.faces->mCount) + 1 ||
      e.vertices.size() > UINT32_MAX) {
    e.faceStarts.clear();
    e.translucentStarts.clear();
  }
  if (e.translucent && e.translucent->Size() == 0) e.translucent.reset();
}

// The recording, its vertices in the buffer (`ready`), is kept for the state once the
// translucent triangles are prepared. Whether it is kept.
bool KeepRecording(Entry& e, OpenGLView* view, bool ready, uint64_t state) {
  if (ready && e.vertices.empty()) {
    // Nothing opaque: the buffer only has to exist in this context.
    const KeptVertex none{};
    SizeBuffers(e, 0);
    ready = e.buffers[0]->Upload(&none, sizeof none, false);
  }
  if (ready && e.translucent) ready = e.translucent->Prepare(view);
  e.kept = ready;
  e.keptState = state;
  return ready;
}

// Ends the recording: its vertices go to the buffer and the translucent ones are
// prepared. Whether it is kept.
bool FinishRecording(Kept& kept, Entry& e, OpenGLView* view) {
  CloseRecording(kept, e);
  bool ready = true;
  if (!e.vertices.empty()) {
    SizeBuffers(e, e.vertices.size());
    for (size_t i = 0; ready && i < e.buffers.size(); ++i) ready = UploadBuffer(kept, e, i);
  }
  return KeepRecording(e, view, ready, kept.recordingState);
}

}  // namespace detail_FaceMeshCache

bool BeginFaceMeshDrawing(Poly* poly, ElementList* faces, int drawMode, double scale, double morph,
                          const FaceDrawOptions& o, const FaceDrawer& drawApart) {
  using namespace detail_FaceMeshCache;
  Kept* s = CurrentKept();
  OpenGLView* view = o.view;
  if (s && s->depth++ > 0) {
    // Faces drawn inside the drawing of others: the outer recording cannot hold them.
    SpoilFaceMeshRecording();
    ++s->statistics.plain;
    return false;
  }
  if (!view || !poly || !faces || !s || !CanKeep(view, drawMode, o)) {
    // The selected face drawn over the others is no drawing of the model afresh.
    if (view && !view->IsPicking() && !o.singleFace) view->Frames().NoteFrameDrawnAfresh();
    if (s) ++s->statistics.plain;
    return false;
  }
  DeleteReleasedGLBuffers();
  Kept& kept = *s;
  Entry& e = FindEntry(kept, view, faces, drawMode);
  e.lastUse = ++kept.clock;
  std::vector<PolyElement*>& plane = kept.plane;
  FindSelectedPlane(poly, faces, plane);
  bool leaveOut = false;
  size_t triangles = 0;
  const uint64_t state = HashState(view, poly, faces, drawMode, scale, morph, o, plane, leaveOut, triangles);
  if (!leaveOut) plane.clear();
  if (e.kept && e.keptState == state && BuffersBelongToCurrentContext(e) &&
      (!e.translucent || e.translucent->IsPrepared()) && FacingsHold(view, e) && FindApart(e, plane, kept.apart)) {
    Replay(view, e, false, kept.apart, &drawApart);
    --kept.depth;
    ++kept.statistics.kept;
    return true;
  }
  view->Frames().NoteFrameDrawnAfresh();
  if (!(e.declined && e.askedState == state) && RecordWhenIdle(view, poly, faces, drawMode, morph)) {
    // The idle work records it; till then the pane shows none of the faces.
    if (!e.waiting || e.askedState != state) {
      ClearForRecording(view, e, poly, drawMode, morph, plane, leaveOut, triangles);
      e.waiting = true;
      e.declined = false;
      e.askedState = state;
      e.view = view;
      e.poly = poly;
      e.scale = scale;
      e.morph = morph;
      e.options = o;
      e.started = false;
      e.next = nullptr;
      e.facesDone = 0;
      e.places = leaveOut;
    }
    platform::Services().views->PrepareWhenIdle();
    --kept.depth;
    ++kept.statistics.waited;
    return true;
  }
  // Recorded, and drawn from the recording once it is complete: the triangles wait in
  // it rather than going to GL one by one.
  ClearForRecording(view, e, poly, drawMode, morph, plane, leaveOut, triangles);
  ResumeRecording(kept, e, view, state, &drawApart, leaveOut);
  kept.passedOver.clear();
  ++kept.statistics.recorded;
  return false;
}

bool NoteFaceMeshFace(PolyElement* face) {
  using namespace detail_FaceMeshCache;
  Kept* s = CurrentKept();
  Entry* e = s ? s->recording : nullptr;
  // Once spoiled, the faces are drawn one by one, each in its place.
  if (!e || e->spoiled) return true;
  s->recordingPlaces = s->recordingPlaces && face->mIndex == static_cast<int>(e->faceStarts.size());
  if (s->recordingPlaces) {
    e->faceStarts.push_back(static_cast<uint32_t>(e->vertices.size()));
    e->translucentStarts.push_back(e->translucent ? static_cast<uint32_t>(e->translucent->Size()) : 0u);
  }
  if (e->leftOut.empty() || !std::binary_search(e->leftOut.begin(), e->leftOut.end(), face)) return true;
  s->passedOver.push_back(face);
  return false;
}

void EndFaceMeshDrawing() {
  using namespace detail_FaceMeshCache;
  Kept* s = CurrentKept();
  if (!s) return;
  if (s->depth > 0) --s->depth;
  if (s->depth > 0 || !s->recording) return;
  Entry& e = *s->recording;
  OpenGLView* view = s->recordingView;
  const FaceDrawer* draw = s->recordingDrawer;
  s->recording = nullptr;
  s->recordingView = nullptr;
  s->recordingDrawer = nullptr;
  if (e.spoiled) {
    e.vertices.clear();
    e.vertices.shrink_to_fit();
    // The faces left out before the recording was spoiled come last (those after it
    // were drawn in their places).
    ++s->depth;
    for (PolyElement* face : s->passedOver) {
      if (draw) (*draw)(face);
    }
    --s->depth;
    s->passedOver.clear();
    return;
  }
  const bool ready = FinishRecording(*s, e, view);
  // This frame's faces, drawn as the next frames will draw them.
  s->plane.clear();
  (void)FindApart(e, s->plane, s->apart);
  ++s->depth;
  Replay(view, e, !ready, s->apart, draw);
  --s->depth;
  // The GL side holds the vertices now.
  e.vertices.clear();
  e.vertices.shrink_to_fit();
}

bool IsRecordingFaceMesh() {
  const detail_FaceMeshCache::Entry* e = detail_FaceMeshCache::CurrentRecording();
  return e != nullptr && !e->spoiled;
}

void NoteFaceMeshMaterial(const float* rgb, float alpha) {
  detail_FaceMeshCache::Entry* e = detail_FaceMeshCache::CurrentRecording();
  if (!e) return;
  e->haveMaterial = true;
  std::copy(rgb, rgb + 3, e->material);
  e->material[3] = alpha;
}

bool RecordFaceMeshTriangle(const double (*corners)[3], const double* normal, const float* rgb, float alpha) {
  using namespace detail_FaceMeshCache;
  Kept* s = CurrentKept();
  Entry* e = s ? s->recording : nullptr;
  if (!e || e->spoiled) return false;
  // The material the triangle drawn at once would have set.
  NoteFaceMeshMaterial(rgb, alpha);
  float colour[4];
  s->recordingView->Materials().FilterMaterialColor(rgb, alpha, colour);
  for (int i = 0; i < 3; ++i) AddVertex(*e, corners[i], normal, colour);
  NoteWinding(*e, corners[0], corners[1], corners[2], normal);
  NoteNormal(*e, normal);
  return true;
}

bool RecordFaceMeshQueuedTriangle(const double (*corners)[3], const double* normal, const float* rgb, float alpha,
                                  int queue) {
  using namespace detail_FaceMeshCache;
  Entry* e = CurrentRecording();
  if (!e || e->spoiled) return false;
  if (!e->translucent) e->translucent = std::make_shared<KeptTriangleSet>();
  e->translucent->Add(corners, normal, rgb, alpha, queue);
  return true;
}

bool RecordFaceMeshFan(const double* points, int count, const double* normal) {
  using namespace detail_FaceMeshCache;
  Kept* s = CurrentKept();
  Entry* e = s ? s->recording : nullptr;
  if (!e || e->spoiled) return false;
  if (!e->haveMaterial) {
    // Drawn in a material set before the recording began.
    SpoilFaceMeshRecording();
    return false;
  }
  float colour[4];
  s->recordingView->Materials().FilterMaterialColor(e->material, e->material[3], colour);
  for (int i = 1; i + 1 < count; ++i) {
    AddVertex(*e, points, normal, colour);
    AddVertex(*e, points + 3 * i, normal, colour);
    AddVertex(*e, points + 3 * (i + 1), normal, colour);
    NoteWinding(*e, points, points + 3 * i, points + 3 * (i + 1), normal);
  }
  NoteNormal(*e, normal);
  return true;
}

void RecordFaceMeshPolygonOffset(bool on) {
  using namespace detail_FaceMeshCache;
  Entry* e = CurrentRecording();
  if (!e || e->spoiled) return;
  Run run;
  run.first = e->vertices.size();
  run.polygonOffset = on ? 1 : 0;
  e->runs.push_back(run);
}

void RecordFaceMeshFacing(const double* centre, const double* normal, bool front) {
  using namespace detail_FaceMeshCache;
  Entry* e = CurrentRecording();
  if (!e) return;
  Facing f;
  std::copy(centre, centre + 3, f.centre);
  std::copy(normal, normal + 3, f.normal);
  f.front = front;
  e->facings.push_back(f);
}

void SpoilFaceMeshRecording() {
  using namespace detail_FaceMeshCache;
  Kept* s = CurrentKept();
  Entry* e = s ? s->recording : nullptr;
  if (!e || e->spoiled) return;
  e->spoiled = true;
  // What waits in the recording is drawn now, before whatever spoiled it, and the rest
  // of the faces are drawn one by one (the idle work's recording gives up and leaves
  // the list to its paints).
  if (!s->recordingWhenIdle) Replay(s->recordingView, *e, true);
  e->vertices.clear();
  e->runs.clear();
  e->translucent.reset();
}

namespace detail_FaceMeshCache {

// The faces the idle work records between two of its reports.
constexpr int kFacesATurn = 50000;

// The lists waiting for the idle work to record them.
std::vector<Entry*> Waiting() {
  std::vector<Entry*> found;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->faceMeshes) continue;
    for (auto& [view, entries] : static_cast<Kept&>(*state->faceMeshes).views) {
      for (auto& e : entries) {
        if (e->waiting) found.push_back(e.get());
      }
    }
  }
  return found;
}

// The recorded vertices go to the next of the buffers; the turn after the last keeps
// the recording (a million faces' vertices, some hundred MB, made and copied in one
// call held the window for most of a second on a software renderer).
void CopyTurn(Kept& kept, Entry& e) {
  if (e.copied == 0 && !e.vertices.empty()) SizeBuffers(e, e.vertices.size());
  bool ready = true;
  if (e.copied < e.vertices.size()) {
    ready = UploadBuffer(kept, e, e.copied / kVerticesABuffer);
    e.copied += kVerticesABuffer;
    if (ready) return;
  }
  e.waiting = false;
  e.copying = false;
  ++kept.statistics.recorded;
  if (!KeepRecording(e, e.view, ready, e.askedState)) e.declined = true;
  e.vertices.clear();
  e.vertices.shrink_to_fit();
}

// Records the next turn of the list's faces (`faces` of them) in its view's context,
// outside any paint; after the last face the turns that follow copy its vertices to the
// buffer (CopyTurn) and keep the recording. A list it cannot
// record (no context, a recording under way, faces that draw what a recording cannot
// hold) waits no more: its paints record it.
void RecordTurn(Entry& e, size_t& faces) {
  faces = 0;
  GLSection section(e.view);
  Kept* kept = CurrentKept();
  if (!section.IsOpen() || !kept || kept->recording || kept->depth > 0) {
    e.waiting = false;
    e.declined = true;
    e.copying = false;
    e.vertices.clear();
    e.vertices.shrink_to_fit();
    return;
  }
  if (e.copying) {
    CopyTurn(*kept, e);
    return;
  }
  if (!e.started) {
    e.started = true;
    e.next = e.faces->mHead;
    e.facesDone = 0;
  }
  ResumeRecording(*kept, e, e.view, e.askedState, nullptr, e.places);
  kept->recordingWhenIdle = true;
  ++kept->depth;
  // Put back whatever the faces' drawing does, a failure too.
  struct Suspend {
    Kept& kept;
    Entry& e;
    ~Suspend() {
      e.places = kept.recordingPlaces;
      kept.recording = nullptr;
      kept.recordingView = nullptr;
      kept.recordingWhenIdle = false;
      --kept.depth;
      if (e.waiting) return;
      // Done, or given up: the paints record a list the idle work could not.
      if (!e.kept) e.declined = true;
      e.vertices.clear();
      e.vertices.shrink_to_fit();
    }
  } suspend{*kept, e};
  e.waiting = false;  // till the turn is done
  for (faces = 0; e.next && faces < kFacesATurn && !e.spoiled; e.next = e.next->mNext, ++faces) {
    if (NoteFaceMeshFace(e.next)) DrawFaceRing(e.poly, e.next, e.drawMode, e.scale, e.morph, e.options);
  }
  e.facesDone += faces;
  if (e.spoiled) return;
  // The vertices go to the buffer in the turns that follow.
  e.waiting = true;
  if (e.next) return;
  CloseRecording(*kept, e);
  e.copying = true;
  e.copied = 0;
}

}  // namespace detail_FaceMeshCache

bool HasDeferredFaceMeshes() {
  return !detail_FaceMeshCache::Waiting().empty();
}

bool MakeDeferredFaceMeshes() {
  using namespace detail_FaceMeshCache;
  size_t done = 0;
  IdleTurns work;
  work.waits = [&](IdleTurnReport& report) {
    // The panes painted meanwhile may have asked for others; those of a model no longer
    // the program's are dropped (a paint asks again).
    size_t left = 0;
    for (Entry* e : Waiting()) {
      const bool holds = e->poly == GetCurrentPoly() &&
                         (e->faces == &e->poly->mFaces || e->faces == &e->poly->mVertices);
      if (!holds) e->waiting = false;
      if (holds) left += static_cast<size_t>(e->faces->mCount) - std::min(e->facesDone, size_t(e->faces->mCount));
    }
    if (Waiting().empty()) return false;
    report = {done, left,
              "Drawing the model: " + std::to_string(done) + " of " + std::to_string(done + left) + " faces"};
    return true;
  };
  work.turn = [&] {
    const std::vector<Entry*> waiting = Waiting();
    if (waiting.empty()) return;
    Entry& e = *waiting.front();
    size_t faces = 0;
    RecordTurn(e, faces);
    done += faces;
    if (!e.waiting) e.view->Invalidate(false);
  };
  // After the user's Cancel the lists are recorded in their paints, as small ones are;
  // after a stop the program asked for the next paint asks again.
  work.cancelled = [](bool byUser) {
    for (Entry* e : Waiting()) {
      e->waiting = false;
      e->copying = false;
      e->declined = byUser;
      e->vertices.clear();
      e->vertices.shrink_to_fit();
      e->view->Invalidate(false);
    }
  };
  return RunIdleTurns(work);
}

void ForgetFaceMeshes(const OpenGLView* view) {
  using namespace detail_FaceMeshCache;
  for (GLContextState* state = GetFirstGLContextState(); state; state = state->Next()) {
    if (!state->faceMeshes) continue;
    Kept& kept = static_cast<Kept&>(*state->faceMeshes);
    auto it = kept.views.find(view);
    if (it == kept.views.end()) continue;
    kept.DropEntries(it->second);
    kept.views.erase(it);
  }
}

void AllowFaceMeshArrays(bool on) {
  detail_FaceMeshCache::gArrays = on;
}

bool AreFaceMeshArraysAllowed() {
  return detail_FaceMeshCache::gArrays;
}

FaceMeshStatistics GetFaceMeshStatistics() {
  FaceMeshStatistics sum;
  ForEachGLContextPart<detail_FaceMeshCache::Kept>(&GLContextState::faceMeshes, [&sum](const auto& kept) {
    sum.kept += kept.statistics.kept;
    sum.recorded += kept.statistics.recorded;
    sum.plain += kept.statistics.plain;
    sum.culled += kept.statistics.culled;
    sum.waited += kept.statistics.waited;
    sum.largestUpload = std::max(sum.largestUpload, kept.statistics.largestUpload);
  });
  return sum;
}

}  // namespace corvia
