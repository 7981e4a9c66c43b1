#include "symmetry/FindSymmetries.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "platform/Services.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/GroupAlignment.h"
#include "symmetry/Reflections.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_FindSymmetries {

constexpr unsigned kHullOptions = kHullMarkSourceFaces;
constexpr int kMinOrbitWidth = 3;
constexpr size_t kRefusalSize = 200;

// The line from the origin through s is perpendicular to the plane of normal n
// (s a multiple of n). Passed when n has no usable component.
bool CentredOnNormal(const double* n, const double* s) {
  const int i = LargestAxis(n);
  if (std::fabs(n[i]) <= kPointTolerance) return true;
  const double t = s[i] / n[i];
  for (int j = 0; j < 3; ++j) {
    if (std::fabs(s[j] - t * n[j]) > kPointTolerance) return false;
  }
  return true;
}

void SumCorners(const SimplePoly& poly, const SimpleFace& f, double* out) {
  out[0] = out[1] = out[2] = 0;
  for (int32_t v : f.items) {
    if (v >= 0 && v < poly.NumVerts()) AddTo(out, poly.VertAt(v).pos);
  }
}

bool UnitLength(double* v) {
  const double len = std::sqrt(Dot(v, v));
  if (!(len > 0) || !std::isfinite(len)) return false;
  Divide(v, v, len);
  return true;
}

// The candidate search over the hull: the axes found, the orbit buffer the tests
// fill, and the group of the turns found so far.
struct AxisSearch {
  SimplePoly& poly;
  const VertexLocator& locator;
  SymAxisList axes;
  std::vector<int32_t> buffer;
  RotationClosure found;

  // The turns by 1/k about dir for k = n, n-1, ... 2 dividing n: the first that maps
  // the model onto itself is recorded. A turn that is a product of the turns found
  // already is one of them without a test (and its test would join no new types).
  void TryAxis(const SimpleFace* face, const SimpleVert* vert, int edge, const double* dir, int n) {
    for (int k = n; k >= 2; --k) {
      if (n % k != 0) continue;
      double m[9];
      if (AxisTurnMatrix(dir, k, m) && found.Contains(m)) {
        AddCandidateAxis(axes, k, dir);
        return;
      }
      if (TestAxisAndCombineSameTypes(poly, face, vert, edge, dir, n, k, buffer, &locator)) {
        AddCandidateAxis(axes, k, dir);
        found.AddGenerator(m);
        return;
      }
    }
  }
};

void FindFaceAxes(const SimplePoly& hull, AxisSearch& search) {
  DoNothing("Find face axes");
  for (int i = 0; i < hull.NumFaces(); ++i) {
    const SimpleFace& f = hull.FaceAt(i);
    if (f.IsTemp() || f.Count() < 2 || !f.HasNormal()) continue;
    double s[3];
    SumCorners(hull, f, s);
    if (!CentredOnNormal(f.normal, s)) continue;
    if (AxisListHasDirection(search.axes, f.normal)) continue;
    search.TryAxis(&f, nullptr, -1, f.normal, f.Count());
  }
}

void FindVertexAxes(const SimplePoly& hull, AxisSearch& search) {
  DoNothing("Find vertex axes");
  for (int i = 0; i < hull.NumVerts(); ++i) {
    const SimpleVert& v = hull.VertAt(i);
    if (v.IsTemp() || v.Count() < 2) continue;
    const int li = LargestAxis(v.pos);
    if (std::fabs(v.pos[li]) <= kPointTolerance) continue;
    double s[3] = {0, 0, 0};
    for (int32_t f : v.items) AddTo(s, hull.FaceAt(f).normal);
    if (!CentredOnNormal(v.pos, s)) continue;
    double dir[3];
    CopyVector(dir, v.pos);
    if (!UnitLength(dir) || AxisListHasDirection(search.axes, dir)) continue;
    search.TryAxis(nullptr, &v, -1, dir, v.Count());
  }
}

void FindEdgeAxes(const SimplePoly& hull, AxisSearch& search) {
  DoNothing("Find edge axes");
  for (int i = 0; i < hull.NumFaces(); ++i) {
    const SimpleFace& f = hull.FaceAt(i);
    if (f.IsTemp() || f.Count() < 2) continue;
    for (int j = 0; j < f.Count(); ++j) {
      const SimpleFace* g = f.GetAdjacentFace(j);
      // A hull with an open edge has no axis across it.
      if (!g || g->GetIndex() < i) continue;
      const int32_t a = f.items[static_cast<size_t>(j)];
      const int32_t b = f.items[static_cast<size_t>((j + 1) % f.Count())];
      double mid[3], dir[3];
      Add(mid, hull.VertAt(a).pos, hull.VertAt(b).pos);
      Scale(mid, mid, 0.5);
      Add(dir, f.normal, g->normal);
      Scale(dir, dir, 0.5);
      if (!CentredOnNormal(dir, mid)) continue;
      if (!UnitLength(dir) || AxisListHasDirection(search.axes, dir)) continue;
      search.TryAxis(&f, &hull.VertAt(a), j, dir, 2);
    }
  }
}

// Faces through the centre that belong to a type of several faces: each face of
// such a type turns its normal away from its neighbour of one chosen type, so the
// whole type has one consistent sense. False when a face lacks a neighbour.
bool FixHemiFaces(SimplePoly& poly) {
  DoNothing("Fix hemi faces");
  int settled = 0, unsettled = 0;
  do {
    settled = 0;
    unsettled = 0;
    for (int i = 0; i < poly.NumFaces(); ++i) {
      SimpleFace& f = poly.FaceAt(i);
      if (!(f.flags & kSimpleCentralPlane) || f.nextOfType == i || f.nextOfType < 0) continue;
      if ((f.flags & (kSimpleHemiFixed | kSimpleTemp)) || f.Count() < 1) continue;
      const SimpleFace* first = f.GetAdjacentFace(0);
      if (!first) return false;
      int32_t ref = first->typeId;
      bool found = false;
      for (int j = 0; j < f.Count(); ++j) {
        const SimpleFace* a = f.GetAdjacentFace(j);
        if (!a) return false;
        if (std::fabs(Dot(f.normal, a->normal)) > kPointTolerance &&
            (!(a->flags & kSimpleCentralPlane) || (a->flags & kSimpleHemiFixed))) {
          ref = a->typeId;
          found = true;
          break;
        }
      }
      if (!found) {
        ++unsettled;
        continue;
      }
      ++settled;
      int32_t h = i;
      for (int steps = 0; steps <= poly.NumFaces(); ++steps) {
        SimpleFace& hf = poly.FaceAt(h);
        hf.flags |= kSimpleHemiFixed;
        for (int j = 0; j < hf.Count(); ++j) {
          const SimpleFace* nb = hf.GetAdjacentFace(j);
          if (!nb || nb->typeId != ref) continue;
          if (Dot(hf.normal, nb->normal) > 0) Negate(hf.normal);
          break;
        }
        h = hf.nextOfType;
        if (h < 0 || h >= poly.NumFaces() || h == i) break;
      }
    }
  } while (settled > 0 && unsettled > 0);
  return true;
}

// Null, with the reason for the user in `refusal` when one is wanted.
std::unique_ptr<SymGroup> Refuse(std::string* refusal, const char* format, ...) __attribute__((format(printf, 2, 3)));
std::unique_ptr<SymGroup> Refuse(std::string* refusal, const char* format, ...) {
  if (refusal) {
    char text[kRefusalSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    *refusal = text;
  }
  return nullptr;
}

// The power of two that brings the largest coordinate of the finite vertices into
// [0.5, 1); 1 for a model without a finite non-zero coordinate.
double SizeNormalisingFactor(const SimplePoly& poly) {
  double largest = 0.0;
  for (int i = 0; i < poly.NumVerts(); ++i) {
    const SimpleVert& v = poly.VertAt(i);
    if (v.IsTemp() || v.IsInfinite()) continue;
    for (double c : v.pos) {
      if (std::isfinite(c)) largest = std::max(largest, std::fabs(c));
    }
  }
  if (!(largest > 0.0)) return 1.0;
  int exponent = 0;
  std::frexp(largest, &exponent);
  return std::ldexp(1.0, -exponent);
}

std::unique_ptr<SymGroup> Analyse(SimplePoly& poly, bool& hasReflection, double sizeFactor, std::string* refusal) {
  // 1. Topology.
  if (!(poly.flags & kSimpleSortedFaceLists)) {
    DoNothing("CreateVertexFaceLists");
    poly.CreateVertexFaceLists(false);
    DoNothing("MergeCoincidentVerts");
    poly.MergeCoincidentVerts();
    // Joined vertices may leave a face passing one point twice; and faces that do
    // not meet in pairs cannot be ordered round their vertices.
    int32_t a = 0, b = 0;
    int sides = 0;
    const int twice = poly.FindFaceWithRepeatedCorner(&a);
    if (twice >= 0) {
      return Refuse(refusal, "Face %d passes twice through the point of vertex %d.", twice, a);
    }
    if (poly.FindOddEdge(a, b, sides)) {
      if (sides == 1) {
        return Refuse(refusal, "Only one face meets at the edge between vertices %d and %d: the model is not closed.",
                      a, b);
      }
      return Refuse(refusal, "%d faces meet at the edge between vertices %d and %d: faces must meet in pairs.", sides,
                    a, b);
    }
  } else {
    DoNothing("LinkCoincidentVerts");
    LinkCoincidentVerts(poly);
  }

  // 2. Centre, unit radius, fresh normals. The radius in the model's own units is
  // the one measured here undone by the size factor.
  DoNothing("SetNormals");
  if (!(poly.flags & kSimpleKeepCentre)) poly.Centre();
  const double radius = poly.GetMaxVertexRadius();
  if (radius > kPointTolerance && !(poly.flags & kSimpleKeepSize)) {
    poly.Scale(1 / radius);
    const double ownRadius = radius / sizeFactor;
    if ((poly.flags & kSimpleKeepLengthUnits) && (ownRadius < kUnitLow || ownRadius > kUnitHigh)) {
      poly.scale *= ownRadius;
    }
  }
  poly.CalcFaceNormals(true);
  if (!(poly.flags & kSimpleSortedFaceLists)) {
    for (int i = 0; i < poly.NumFaces(); ++i) {
      const SimpleFace& f = poly.FaceAt(i);
      if (!f.IsTemp() && !f.IsFlat(kFlatFaceTolerance)) {
        return Refuse(refusal, "Face %d is not flat: its corners do not lie in one plane.", i);
      }
    }
  }

  // 3, 4. The hull gives the candidate axes.
  DoNothing("CreateConvexHull");
  std::unique_ptr<SimplePoly> hull = CreateConvexHull(poly, kHullOptions);
  if (!hull) return nullptr;
  DoNothing("SimpleSortVertFaces");
  if (!hull->SimpleSortVertFaces()) {
    ShowInternalError("Couldn't sort faces around vertices for convex hull");
    return nullptr;
  }

  // 5. Every element its own type; the orbit buffer.
  poly.ResetIndices();
  int width = kMinOrbitWidth;
  for (int i = 0; i < hull->NumFaces(); ++i) {
    if (!hull->FaceAt(i).IsTemp()) width = std::max(width, hull->FaceAt(i).Count());
  }
  for (int i = 0; i < hull->NumVerts(); ++i) {
    if (!hull->VertAt(i).IsTemp()) width = std::max(width, hull->VertAt(i).Count());
  }

  // 6-8. Candidate axes through face centres, vertices and edge midpoints of the hull.
  SymAxisList axes;
  {
    const VertexLocator locator(poly);
    AxisSearch search{poly, locator, {}, {}, {}};
    search.buffer.resize(static_cast<size_t>(poly.NumVerts()) * static_cast<size_t>(width));
    poly.DeferTypeJoins();
    FindFaceAxes(*hull, search);
    FindVertexAxes(*hull, search);
    FindEdgeAxes(*hull, search);
    poly.SettleTypeJoins();
    axes = std::move(search.axes);
  }

  // 9. The group, and the model in its standard orientation.
  DoNothing("AlignSymmetries");
  std::unique_ptr<SymGroup> group = AlignSymmetries(poly, *hull, axes);
  if (!group) return nullptr;

  // 10, 11. Coincident faces, then the improper symmetries.
  SeparateCoincidentFaces(poly, *group);
  DoNothing("FindReflections");
  hasReflection = FindReflections(poly, *group, *hull);

  // 12. The search's own data goes.
  hull.reset();
  axes.clear();

  // 13. Faces in order round every vertex.
  DoNothing("SortVertFaces");
  if (!poly.SortVertFaces(group.get())) return nullptr;

  // 14. A consistent sense for faces through the centre.
  if (!FixHemiFaces(poly)) return nullptr;
  return group;
}

}  // namespace detail_FindSymmetries

std::unique_ptr<SymGroup> FindSymmetries(SimplePoly& poly, bool& hasReflection, std::string* refusal) {
  namespace d = detail_FindSymmetries;
  hasReflection = false;
  if (refusal) refusal->clear();
  platform::WaitCursorScope wait;
  // A power of two scales exactly (and is never taken for 1 by Scale).
  const double sizeFactor = d::SizeNormalisingFactor(poly);
  poly.Scale(sizeFactor);
  std::unique_ptr<SymGroup> group = d::Analyse(poly, hasReflection, sizeFactor, refusal);
  if (poly.flags & kSimpleKeepSize) poly.Scale(1.0 / sizeFactor);
  return group;
}

SymGroup* SimplePoly::FindSymmetries(bool& hasReflection) {
  return corvia::FindSymmetries(*this, hasReflection).release();
}

}  // namespace corvia
