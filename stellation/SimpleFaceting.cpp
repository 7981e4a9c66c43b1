#include "stellation/SimpleFaceting.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "core/DrawnPolygon.h"
#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "stellation/Faceting.h"
#include "symmetry/BlendFaces.h"
#include "symmetry/CoincidentFaces.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_SimpleFaceting {

constexpr uint32_t kReturnUnchecked = kFacetedQuiet | kFacetedNoCheck | kFacetedNoCheck2;
constexpr uint32_t kBuildFlags = kSimpleWantNewColors | kSimpleKeepOrientation | kSimpleKeepLengthUnits;

// The vertex cycle read from its least vertex in the direction of the smaller
// neighbour: one key for a face however it is started or turned.
std::vector<int32_t> CycleKey(const std::vector<int32_t>& cycle) {
  const size_t n = cycle.size();
  const size_t start = size_t(std::min_element(cycle.begin(), cycle.end()) - cycle.begin());
  const bool forwards = cycle[(start + 1) % n] <= cycle[(start + n - 1) % n];
  std::vector<int32_t> key(n);
  for (size_t k = 0; k < n; ++k) key[k] = cycle[forwards ? (start + k) % n : (start + n - k) % n];
  return key;
}

}  // namespace detail_SimpleFaceting

namespace detail_SimpleFaceting {

// The drawn facets with three corners or more; the one still being drawn too when the
// user (asked unless quiet) takes it.
std::vector<DrawnPolygon*> FacetsToRepeat(Poly* poly, bool quiet) {
  std::vector<DrawnPolygon*> polygons;
  for (DrawnPolygon* polygon = poly->mDrawnPolygons; polygon; polygon = polygon->next) {
    if (polygon == poly->mCurrentDrawnPolygon) continue;
    if (GetDrawnPolygonPoints(polygon).size() >= 3) polygons.push_back(polygon);
  }
  DrawnPolygon* open = poly->mCurrentDrawnPolygon;
  if (open && open->ring && !quiet &&
      AskYesNo("You were in the middle of creating a facet.\nWould you like to include this partially complete "
               "facet?") &&
      GetDrawnPolygonPoints(open).size() >= 3) {
    polygons.push_back(open);
  }
  return polygons;
}

// The unit normal of a facet, turned away from the centre of the model; false for a
// facet of no area.
bool OutwardNormal(const std::vector<const double*>& points, double* normal) {
  double area[3] = {0.0, 0.0, 0.0};
  double centre[3] = {0.0, 0.0, 0.0};
  for (size_t i = 0; i < points.size(); ++i) {
    double c[3];
    Cross(c, points[i], points[(i + 1) % points.size()]);
    AddTo(area, c);
    AddTo(centre, points[i]);
  }
  Divide(centre, centre, double(points.size()));
  const double length = std::sqrt(Dot(area, area));
  if (length <= 0.0) return false;
  Divide(normal, area, length);
  if (Dot(normal, centre) < 0.0) Negate(normal);
  return true;
}

}  // namespace detail_SimpleFaceting

SimplePoly* CreateSimpleFacetedPolyhedron(Poly* poly, uint32_t flags, std::vector<FacetPreviewRecord>* records,
                                          Outcome* why) {
  using namespace detail_SimpleFaceting;
  if (records) records->clear();
  if (!poly) return nullptr;
  const bool quiet = (flags & kFacetedQuiet) != 0;
  const std::vector<DrawnPolygon*> polygons = FacetsToRepeat(poly, quiet);
  if (polygons.empty()) {
    if (!quiet && why) {
      char path[256];
      GetMenuPathOfCommand(kCommandFacetingMode, path, sizeof path);
      *why = Outcome::RefusedF(
          "Before creating a faceted polyhedron, you must create\none or more facets, which will be repeated over "
          "the\nsymmetry group and used as its faces.\nTo do this, use:\n\"%s\"\n(or the equivalent toolbar button).",
          path);
    }
    return nullptr;
  }
  // A model without symmetry repeats each facet once, by the identity.
  const SymGroup* group = poly->mSymGroup;
  const int order = group ? group->numRotations : 1;
  const bool mirrored = group && group->reflectionType != kReflectionChiral &&
                        (StellationOptions & kStellationMaintainReflexibility) != 0;
  int counted = 0;
  for (DrawnPolygon* polygon : polygons) {
    if (polygon->indexCount < 0) polygon->Triangulate();
    const int rotations = polygon->GetRotationCount(group);
    counted += (order / (rotations > 0 ? rotations : 1)) * (mirrored ? 2 : 1);
  }
  auto simple = std::make_unique<SimplePoly>(0, 0);
  simple->flags |= kSimpleGrowable;
  int usedVerts = 0;
  std::set<std::vector<int32_t>> made;
  bool tooMany = false;
  for (DrawnPolygon* polygon : polygons) {
    const std::vector<const double*> points = GetDrawnPolygonPoints(polygon);
    double normal[3];
    if (!OutwardNormal(points, normal)) continue;
    SymOperationIterator it;
    double m[9];
    while (!tooMany && GetNextSymmetryOperation(group, it, true, m, false)) {
      std::vector<int32_t> cycle;
      for (const double* p : points) {
        double image[3];
        MatrixTimesVector(m, image, p);
        SimpleVert* v = simple->FindOrCreateVert(image, usedVerts);
        if (!v) return nullptr;
        cycle.push_back(v->GetIndex());
      }
      // Copies that fall on one another (a facet centred on an axis and symmetric
      // about it) are kept once.
      if (!made.insert(CycleKey(cycle)).second) continue;
      if (simple->NumFaces() >= counted) {
        ShowInternalError("CreateSimpleFacetedPolyhedron: Too many faces");
        tooMany = true;
        break;
      }
      SimpleFace& face = simple->AddFace();
      face.SetNumVerts(int(cycle.size()));
      for (size_t i = 0; i < cycle.size(); ++i) face.SetVertIndex(int(i), cycle[i]);
      MatrixTimesVector(m, face.normal, normal);
      if (records) {
        FacetPreviewRecord record;
        record.polygon = polygon;
        for (int k = 0; k < 9; ++k) record.transform.m[k] = m[k];
        record.transform.m[9] = record.transform.m[10] = record.transform.m[11] = 0.0;
        records->push_back(record);
      }
    }
  }
  simple->flags &= ~kSimpleGrowable;
  simple->Truncate(usedVerts, simple->NumFaces());
  simple->SetName(poly->mName, "Faceted ");
  simple->SetDualName(poly->mDualName, "Stellated ");
  RemoveCoincidentFaces(*simple, kCoincidentKeepOne, false, kSimpleTemp);
  simple->flags |= kBuildFlags;
  simple->flags |= CarriedSimpleFlags(*poly);
  if (flags & kReturnUnchecked) return simple.release();
  const Outcome valid = simple->CheckModelValidity(0);
  if (!valid) {
    if (why) *why = valid;
    return nullptr;
  }
  BlendCoplanarFaces(*simple, kBlendAskUser);
  return simple.release();
}

}  // namespace corvia
