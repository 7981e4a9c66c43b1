#include "model/Edge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "core/Globals.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/PolyFwd.h"
#include "model/Vertex.h"

namespace corvia {

namespace detail_Edge {
bool IsZero(const double* v) {
  return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance &&
         std::fabs(v[2]) <= kPointTolerance;
}

void Normalise(double* v) {
  const double length = std::sqrt(Dot(v, v));
  if (length > 0.0) Divide(v, v, length);
}
// The count of an edge array lies in front of its first edge.
constexpr size_t kCountRoom = alignof(std::max_align_t);
static_assert(kCountRoom >= sizeof(size_t) && kCountRoom % alignof(Edge) == 0);
}  // namespace detail_Edge

Edge* NewEdgeArray(size_t count) {
  using detail_Edge::kCountRoom;
  if (count == 0) return nullptr;
  if (count > (std::numeric_limits<size_t>::max() - kCountRoom) / sizeof(Edge)) throw std::bad_array_new_length();
  char* block = static_cast<char*>(::operator new(kCountRoom + count * sizeof(Edge)));
  new (block) size_t(count);
  Edge* edges = reinterpret_cast<Edge*>(block + kCountRoom);
  const bool large = count > kEdgesPerReport;
  size_t made = 0;
  try {
    if (!large) {
      std::uninitialized_default_construct_n(edges, count);
      return edges;
    }
    const ProgressShield noCancelHere;
    while (made < count) {
      const size_t run = std::min(kEdgesPerReport, count - made);
      std::uninitialized_default_construct_n(edges + made, run);
      made += run;
      (void)ProgressTick();
    }
  } catch (...) {
    std::destroy_n(edges, made);
    ::operator delete(block);
    throw;
  }
  return edges;
}

void FreeEdgeArray(Edge* edges) {
  if (!edges) return;
  char* block = reinterpret_cast<char*>(edges) - detail_Edge::kCountRoom;
  std::destroy_n(edges, *std::launder(reinterpret_cast<size_t*>(block)));
  ::operator delete(block);
}

Edge::Edge() {
  CopyFloat3(mColor, GetNewEdgeColor());
}

Edge::~Edge() = default;

int Edge::GetIndex(const Edge* edge, Poly* model) {
  if (!model) return -1;
  return IndexInArray(edge, PolyEdgeArray(model), PolyNumEdges(model));
}

bool Edge::Touches(const PolyElement* element) const {
  return element && (element == mVert1 || element == mVert2 || element == mFace1 || element == mFace2);
}

PolyElement* Edge::GetOtherVertex(const PolyElement* v) const {
  return mVert1 != v ? static_cast<PolyElement*>(mVert1) : mVert2;
}

PolyElement* Edge::GetOtherFace(const PolyElement* f) const {
  return mFace1 != f ? static_cast<PolyElement*>(mFace1) : mFace2;
}

PolyElement* Edge::GetOther(const PolyElement* element) const {
  return element && element->IsVertex() ? GetOtherVertex(element) : GetOtherFace(element);
}

void Edge::GetVerts(bool dual, PolyElement** out) const {
  out[0] = GetVert(dual, 0);
  out[1] = GetVert(dual, 1);
}

void Edge::GetFaces(bool dual, PolyElement** out) const {
  out[0] = GetFace(dual, 0);
  out[1] = GetFace(dual, 1);
}

PolyElement* Edge::GetVert(bool dual, int i) const {
  if (dual) return i == 0 ? static_cast<PolyElement*>(mFace1) : mFace2;
  return i == 0 ? static_cast<PolyElement*>(mVert1) : mVert2;
}

PolyElement* Edge::GetFace(bool dual, int i) const {
  if (dual) return i == 0 ? static_cast<PolyElement*>(mVert1) : mVert2;
  return i == 0 ? static_cast<PolyElement*>(mFace1) : mFace2;
}

void Edge::GetVector(double* out, bool dual) const {
  const PolyElement* a = GetVert(dual, 0);
  const PolyElement* b = GetVert(dual, 1);
  const bool aInfinite = a->HasFlag(kElementHemi);
  const bool bInfinite = b->HasFlag(kElementHemi);
  if (!aInfinite && !bInfinite) {
    Subtract(out, b->mDualVert, a->mDualVert);
  } else if (bInfinite && !aInfinite) {
    CopyVector(out, b->mDualVert);
  } else if (aInfinite && !bInfinite) {
    CopyVector(out, a->mDualVert);
  } else {
    Add(out, a->mDualVert, b->mDualVert);
  }
}

double Edge::GetLength(bool dual) const {
  const PolyElement* a = GetVert(dual, 0);
  const PolyElement* b = GetVert(dual, 1);
  if (a->HasFlag(kElementHemi) || b->HasFlag(kElementHemi)) return -1.0;
  double d[3];
  Subtract(d, b->mDualVert, a->mDualVert);
  return std::sqrt(Dot(d, d));
}

void Edge::GetOutwardNormal(double* out, bool dual) const {
  const PolyElement* s0 = GetFace(dual, 0);
  const PolyElement* s1 = GetFace(dual, 1);
  if (!s0 || !s1) {
    // An edge of an open surface faces out as its one side does.
    const PolyElement* side = s0 ? s0 : s1;
    if (side) {
      CopyVector(out, side->mZAxis);
    } else {
      out[0] = out[1] = out[2] = 0.0;
    }
    return;
  }
  Add(out, s0->mZAxis, s1->mZAxis);
  if (!detail_Edge::IsZero(out)) {
    detail_Edge::Normalise(out);
    return;
  }
  // The two sides face opposite ways: take the direction in the first side's plane
  // that is perpendicular to the edge.
  double v[3];
  GetVector(v, dual);
  if (AreParallel(v, s0->mZAxis, kPointTolerance)) {
    double axis[3] = {0.0, 0.0, 0.0};
    axis[AxisWithin(s0->mZAxis, kPointTolerance)] = 1.0;
    Cross(out, s0->mZAxis, axis);
  } else {
    Cross(out, s0->mZAxis, v);
  }
  detail_Edge::Normalise(out);
  // Either sense would do; point it away from the model centre so that the answer
  // does not depend on which side came first.
  const PolyElement* a = GetVert(dual, 0);
  const PolyElement* b = GetVert(dual, 1);
  if (!a->HasFlag(kElementHemi) && !b->HasFlag(kElementHemi)) {
    double middle[3];
    Add(middle, a->mDualVert, b->mDualVert);
    if (Dot(out, middle) < 0.0) Negate(out);
  }
}

void Edge::GetLabelFrame(double* out, bool dual) const {
  double direction[3], outward[3];
  GetVector(direction, dual);
  GetOutwardNormal(outward, dual);
  Cross(out, direction, outward);
  if (detail_Edge::IsZero(out)) {
    out[0] = 1.0;
    out[1] = out[2] = 0.0;
    return;
  }
  detail_Edge::Normalise(out);
}

void Edge::GetNearestPointToCentre(double* out, bool useSide) const {
  const double* a = mVert1->mDualVert;
  const double* b = mVert2->mDualVert;
  double d[3];
  double m[3];
  Subtract(d, b, a);
  Cross(m, d, a);
  if (detail_Edge::IsZero(m)) {
    out[0] = out[1] = out[2] = 0.0;
    return;
  }
  double u[3];
  Cross(u, m, d);
  detail_Edge::Normalise(u);
  const double* p = useSide && mFace1 ? mFace1->mDualVert : a;
  Scale(out, u, Dot(u, p));
}

}  // namespace corvia
