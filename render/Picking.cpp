#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "core/Messages.h"
#include "render/GL.h"
#include "render/GLErrors.h"
#include "render/GLSection.h"
#include "render/GLSelection.h"
#include "render/Matrix4.h"
#include "render/OpenGLView.h"
#include "render/Primitives.h"

namespace corvia {

namespace detail_Picking {

// The split of a selection name into item type and index, set by the panes from the
// one list of item kinds: the same for every pane of the process, as that list is.
struct NameSplit {
  int bits = -1;
  uint32_t mask = 0;
};
NameSplit gNameSplit;

// Records read when the buffer overflowed.
constexpr int kOverflowRecords = 64;

// How far past the pick region, in its own sizes, an element may reach and still be
// drawn in a pick: room for rounding, never a hit lost.
constexpr double kPickRegionReach = 2.0;

}  // namespace detail_Picking

namespace detail_GL {

// The primitive a pick's drawing is giving, from one glBegin to its glEnd: its mode and
// its points.
struct PickGathering {
  GLenum mode = GL_POINTS;
  std::vector<double> points;
  // The names the pick has loaded.
  uint64_t names = 0;
};

// The drawing code reaches glBegin..glEnd with no view at hand, and picks run on the one
// drawing thread, one at a time: the pick under way is found through this.
PickGathering* gGathering = nullptr;

void GatherBegin(GLenum mode) {
  gGathering->mode = mode;
  gGathering->points.clear();
}

void GatherVertex(double x, double y, double z) {
  gGathering->points.insert(gGathering->points.end(), {x, y, z});
}

// Draws the gathered points as one primitive from a client array, with no buffer object
// bound and no other array on, leaving the client state as it was.
void GatherEnd() {
  std::vector<double>& gathered = gGathering->points;
  if (gathered.empty()) return;
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  for (GLenum array : {GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_EDGE_FLAG_ARRAY}) {
    glDisableClientState(array);
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_DOUBLE, 0, gathered.data());
  glDrawArrays(gGathering->mode, 0, static_cast<GLsizei>(gathered.size() / 3));
  glPopClientAttrib();
  gathered.clear();
}

}  // namespace detail_GL

void InitGLSelection(int numItemTypes) {
  int bits = 0;
  while ((1 << bits) < numItemTypes) ++bits;
  detail_Picking::gNameSplit = {bits, (1u << bits) - 1u};
}

int GetGLSelectionBits() {
  return detail_Picking::gNameSplit.bits;
}
uint32_t GetGLSelectionMask() {
  return detail_Picking::gNameSplit.mask;
}

uint32_t MakeSelectionName(int itemType, int index) {
  const int bits = detail_Picking::gNameSplit.bits;
  const uint32_t mask = detail_Picking::gNameSplit.mask;
  if (bits < 0) {
    ShowInternalError("You must call InitGLSelection() before SetGLSelectionItem()");
    return 0;
  }
  if (itemType < 0 || static_cast<uint32_t>(itemType) > mask) {
    ShowInternalError("SetGLSelectionItem(): itemType too big");
    return 0;
  }
  // The name must not wrap into another item's: a negative index (none) or one too
  // large for the bits left cannot be named.
  const uint64_t limit = (uint64_t{1} << (32 - bits)) - 1;
  if (index < 0 || static_cast<uint64_t>(index) >= limit) {
    ShowInternalError("SetGLSelectionItem(): index %d out of range", index);
    return 0;
  }
  return (static_cast<uint32_t>(index) << bits) + static_cast<uint32_t>(itemType) + 1u;
}

void SetGLSelectionItem(int itemType, int index) {
  // An element without an index (a drawn polygon's facelet, which the facet model's
  // numbering leaves out) is drawn unnamed: the pick passes it by, and it takes no
  // other element's name either.
  if (index < 0) {
    glLoadName(0);
    return;
  }
  const uint32_t name = MakeSelectionName(itemType, index);
  if (!name) return;
  glLoadName(name);
  if (detail_GL::gGathering) ++detail_GL::gGathering->names;
}

PickRegion::PickRegion(const OpenGLView* view) {
  if (!view || !view->IsPicking()) return;
  // The matrices GL holds now: the pane may have multiplied its own frame onto the
  // camera's, and what the pick clips is what GL is given.
  Matrix4 projection, modelView;
  glGetDoublev(GL_PROJECTION_MATRIX, projection.m);
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView.m);
  const Matrix4 toClip = projection * modelView;
  // In clip coordinates the region is -w <= x, y, z <= w; widened, -R w <= x <= R w
  // and so on, each bound a plane linear in the drawing's coordinates.
  const double reach = detail_Picking::kPickRegionReach;
  int plane = 0;
  for (int axis = 0; axis < 3; ++axis) {
    for (const double side : {1.0, -1.0}) {
      double* p = mPlanes[plane++];
      for (int c = 0; c < 4; ++c) p[c] = reach * toClip(3, c) + side * toClip(axis, c);
      p[4] = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    }
  }
  mFlat = toClip(3, 0) == 0.0 && toClip(3, 1) == 0.0 && toClip(3, 3) == 1.0;
  const double flat[6] = {toClip(0, 0), toClip(0, 1), toClip(1, 0), toClip(1, 1), toClip(0, 3), toClip(1, 3)};
  std::copy(flat, flat + 6, mFlatMap);
  mActive = true;
}

bool PickRegion::FlatBounds(double* lo, double* hi) const {
  if (!mActive || !mFlat) return false;
  const double a00 = mFlatMap[0], a01 = mFlatMap[1], a10 = mFlatMap[2], a11 = mFlatMap[3];
  const double det = a00 * a11 - a01 * a10;
  if (!std::isfinite(det) || std::fabs(det) < DBL_MIN) return false;
  // The widened region's corners carried back onto the plane: their box holds it.
  const double reach = detail_Picking::kPickRegionReach;
  lo[0] = lo[1] = DBL_MAX;
  hi[0] = hi[1] = -DBL_MAX;
  for (int corner = 0; corner < 4; ++corner) {
    const double q0 = (corner & 1 ? reach : -reach) - mFlatMap[4];
    const double q1 = (corner & 2 ? reach : -reach) - mFlatMap[5];
    const double p[2] = {(a11 * q0 - a01 * q1) / det, (a00 * q1 - a10 * q0) / det};
    for (int k = 0; k < 2; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
  return std::isfinite(lo[0]) && std::isfinite(lo[1]) && std::isfinite(hi[0]) && std::isfinite(hi[1]);
}

bool PickRegion::MayMeet(const double* points, int count, double radius) const {
  if (!mActive) return true;
  for (const double* p : mPlanes) {
    const double least = -radius * p[4];
    bool allOutside = count > 0;
    for (int i = 0; i < count && allOutside; ++i) {
      const double* q = points + 3 * i;
      // Not below: a point of no number is kept.
      allOutside = p[0] * q[0] + p[1] * q[1] + p[2] * q[2] + p[3] < least;
    }
    if (allOutside) return false;
  }
  return true;
}

void OpenGLView::ClearGLSelectionItem() { glLoadName(0); }

int FindHit(const std::vector<GLHit>& hits, int itemType, int index) {
  for (size_t i = 0; i < hits.size(); ++i) {
    if (GetHitItemType(hits[i]) == itemType && GetHitIndex(hits[i]) == index) return static_cast<int>(i);
  }
  return -1;
}

void SortHitsByDepth(std::vector<GLHit>& hits) {
  std::stable_sort(hits.begin(), hits.end(), [](const GLHit& a, const GLHit& b) { return a.depth < b.depth; });
}

void AppendSelectionHits(std::vector<GLHit>& hits, const uint32_t* buffer, int words, int records) {
  int at = 0;
  for (int r = 0; r < records; ++r) {
    if (at + 3 > words) break;
    const uint32_t count = buffer[at];
    const uint32_t minDepth = buffer[at + 1];
    if (count > static_cast<uint32_t>(words - at - 3)) break;
    const uint32_t innermost = count > 0 ? buffer[at + 2 + count] : 0;
    if (innermost != 0) hits.push_back(GLHit{innermost - 1, minDepth});
    at += 3 + static_cast<int>(count);
  }
}

bool OpenGLView::DoSelection(std::vector<GLHit>& hits, int x, int y, bool wide) {
  if (!PreOpenGL(this)) return false;
  GLuint buffer[kSelectionBufferWords] = {};
  glSelectBuffer(kSelectionBufferWords, buffer);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);
  mPicking = true;
  mPickX = x;
  mPickY = mArea.height - 1 - y;
  mPickWide = wide;
  const uint32_t flags = GetRedrawFlags();
  const bool text = IsTextEnabled(GetViewGroup());
  SetTextEnabled(GetViewGroup(), false);
  {
    // Off again however the draw ends: a paint must never be gathered.
    struct Gathering {
      detail_GL::PickGathering pick;
      Gathering() { detail_GL::gGathering = &pick; }
      ~Gathering() { detail_GL::gGathering = nullptr; }
    } gathering;
    OnDraw();
    mPickNamesLoaded += gathering.pick.names;
  }
  SetTextEnabled(GetViewGroup(), text);
  SetRedrawFlags(flags);
  const GLint records = glRenderMode(GL_RENDER);
  const bool overflow = records < 0;
  AppendSelectionHits(hits, buffer, kSelectionBufferWords, overflow ? detail_Picking::kOverflowRecords : records);
  mPicking = false;
  mPickWide = false;
  glPopName();
  CheckGLError("OpenGLView::DoSelection");
  PostOpenGL(this);
  return overflow;
}

}  // namespace corvia
