// Zonohedra: the zone vectors collected from a model, and the polyhedron whose faces
// are the zone planes' polygons. Each plane spanned by two zones carries a pair of
// opposite faces whose edges are all the zones lying in that plane.

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/Equation.h"
#include "core/Geometry.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/CreatePoly.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/Subdivision.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_Zonohedra {


// The angle from the first vector of a plane to a member (unit vectors), accurate
// near 0 and pi.
double AngleFromFirst(const double* first, const double* u) {
  double d[3];
  if (Dot(first, u) >= 0.0) {
    Subtract(d, u, first);
    return 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(d, d)) / 2.0));
  }
  Add(d, u, first);
  return M_PI - 2.0 * std::asin(std::fmin(1.0, std::sqrt(Dot(d, d)) / 2.0));
}

}  // namespace detail_Zonohedra

int CompareZoneAngles(const ZoneVector& a, const ZoneVector& b) {
  if (a.mAngle > b.mAngle) return 1;
  if (a.mAngle < b.mAngle) return -1;
  return 0;
}

void ReflectThroughCentre(double* p, const double* c) {
  for (int k = 0; k < 3; ++k) p[k] = 2.0 * c[k] - p[k];
}

int Poly::CollectZoneVectors(TolerantPointList& list, const ZonohedrifyOptions& options, Outcome* outcome) {
  if (outcome) *outcome = Outcome::Done();
  if (!options.mFromVertices) return list.Count();
  const int32_t limit = options.mMaxZones > 0 ? options.mMaxZones - 1 : std::numeric_limits<int32_t>::max();

  // A scale that is not a number or not positive would collapse or turn round every
  // zone: refuse it.
  const char* error = nullptr;
  const double scale = ParseEquation(options.mEdgeScale.c_str(), &error);
  if (error) {
    if (outcome) *outcome = EquationOutcome(error);
    return -1;
  }
  if (!(scale > 0.0) || !std::isfinite(scale)) {
    if (outcome) *outcome = Outcome::Refused("The zone edge scale must be a number greater than 0.");
    return -1;
  }
  ElementList* vertices = nullptr;
  FaceTypeBlock* block = nullptr;
  GetParts(mShowDual != 0, nullptr, &vertices, &block, nullptr);
  if (!block) return list.Count();
  block->CalcEdgeLengthRange();
  const double zoneLength = scale * block->mShortestEdge;
  if (!(zoneLength > 0.0)) return list.Count();

  for (const PolyElement* vertex = vertices->mHead; vertex; vertex = vertex->mNext) {
    double p[3];
    CopyVector(p, vertex->mDualVert);
    // Opposite directions are one zone: the first clearly non-zero component is made
    // positive.
    for (int k = 0; k < 3; ++k) {
      if (std::fabs(p[k]) > kPointTolerance) {
        if (p[k] < 0.0) Negate(p);
        break;
      }
    }
    const double length = std::sqrt(Dot(p, p));
    if (length <= kPointTolerance) continue;
    Scale(p, p, zoneLength / length);
    if (list.FindOrAdd(p) >= limit) break;
  }
  return list.Count();
}

std::unique_ptr<SimplePoly> Poly::CreateZonishPolyhedron(TolerantPointList& /*list*/) {
  // Nothing is built for this choice; say so rather than leave the command silent.
  ShowInformation("Adding zones to existing faces (zonish polyhedron) makes no model.\n"
                  "Choose \"Zones only (create a true zonohedron)\" to build a zonohedron.");
  return nullptr;
}

std::unique_ptr<SimplePoly> CreateZonohedron(Poly* poly, const TolerantPointList& list, Outcome* outcome) {
  Outcome ignored;
  Outcome& told = outcome ? *outcome : ignored;
  told = Outcome::Done();
  std::vector<ZoneVector> zones;
  for (const UniquePoint* point = list.Head(); point; point = point->next) {
    ZoneVector zone;
    zone.mVector[0] = point->x;
    zone.mVector[1] = point->y;
    zone.mVector[2] = point->z;
    const double length = std::sqrt(Dot(zone.mVector, zone.mVector));
    if (length <= kPointTolerance) continue;
    Divide(zone.mUnit, zone.mVector, length);
    zone.mIndex = static_cast<int32_t>(zones.size());
    zones.push_back(zone);
  }
  const int n = static_cast<int>(zones.size());
  if (n < 3) {
    told = Outcome::RefusedF("A zonohedron needs at least 3 zones; only %d were found.", n);
    return nullptr;
  }

  platform::WaitCursorScope wait;
  ProgressScope progress;
  const int64_t maxFaces = static_cast<int64_t>(n) * (n - 1);
  auto result = std::make_unique<SimplePoly>(static_cast<int>(maxFaces + 2), static_cast<int>(maxFaces));
  result->flags |= kSimpleGrowable;
  int usedVerts = 0;
  int facesMade = 0;
  const double numPairs = static_cast<double>(n) * (n - 1) / 2.0;
  int64_t pairCounter = 0;

  std::vector<int> plane;
  std::vector<double> corners;
  for (int ia = 0; ia < n; ++ia) {
    ZoneVector& a = zones[static_cast<size_t>(ia)];
    for (int ib = ia + 1; ib < n; ++ib) {
      ZoneVector& b = zones[static_cast<size_t>(ib)];
      ++pairCounter;
      if (!UpdateProgress(static_cast<double>(pairCounter) / numPairs, "Creating zonohedron.")) {
        told = Outcome::Cancelled();
        return nullptr;
      }
      if (b.mFlags & kZoneInPlane) {
        // This plane of a was made with an earlier partner.
        b.mFlags &= ~kZoneInPlane;
        continue;
      }
      double normal[3];
      Cross(normal, a.mVector, b.mVector);
      double centre[3] = {0.0, 0.0, 0.0};
      plane.assign({ia, ib});
      bool madeBefore = false;
      for (int iv = 0; iv < n && !madeBefore; ++iv) {
        if (iv == ia || iv == ib) continue;
        const ZoneVector& v = zones[static_cast<size_t>(iv)];
        const double d = Dot(normal, v.mVector);
        if (d > kPointTolerance) {
          AddTo(centre, v.mVector);
        } else if (d < -kPointTolerance) {
          Subtract(centre, centre, v.mVector);
        } else if (iv < ia) {
          madeBefore = true;
        } else {
          plane.push_back(iv);
        }
      }
      if (madeBefore) continue;
      for (size_t k = 2; k < plane.size(); ++k) zones[static_cast<size_t>(plane[k])].mFlags |= kZoneInPlane;

      // Order the plane's zones by angle from a, each turned to the same side of a.
      a.mAngle = 0.0;
      a.mFlags &= ~kZoneReversed;
      for (size_t k = 1; k < plane.size(); ++k) {
        ZoneVector& u = zones[static_cast<size_t>(plane[k])];
        double unit[3];
        CopyVector(unit, u.mUnit);
        double c[3];
        Cross(c, a.mUnit, unit);
        if (Dot(c, normal) <= 0.0) {
          u.mFlags |= kZoneReversed;
          Negate(unit);
        } else {
          u.mFlags &= ~kZoneReversed;
        }
        u.mAngle = detail_Zonohedra::AngleFromFirst(a.mUnit, unit);
      }
      MergeSort(plane, [&zones](int x, int y) {
        return CompareZoneAngles(zones[static_cast<size_t>(x)], zones[static_cast<size_t>(y)]);
      });

      // The two opposite faces of 2m sides round +centre and -centre.
      const int m = static_cast<int>(plane.size());
      SimpleFace* front = result->GetFace(facesMade);
      SimpleFace* back = result->GetFace(facesMade + 1);
      if (!front || !back) {
        told = Outcome::Failed("The zonohedron could not take all of its faces.");
        return nullptr;
      }
      std::vector<int32_t> frontCorners(static_cast<size_t>(2 * m));
      std::vector<int32_t> backCorners(static_cast<size_t>(2 * m));
      for (int k = 0; k < m; ++k) {
        double p[3];
        CopyVector(p, centre);
        for (int j = 0; j < m; ++j) {
          const ZoneVector& v = zones[static_cast<size_t>(plane[static_cast<size_t>(j)])];
          const bool reversed = (v.mFlags & kZoneReversed) != 0;
          const double sign = ((j < k) == reversed) ? 1.0 : -1.0;
          for (int c = 0; c < 3; ++c) p[c] += sign * v.mVector[c];
        }
        double q[3];
        CopyVector(q, p);
        ReflectThroughCentre(q, centre);
        double minus[3];
        auto place = [&](const double* point) -> int32_t {
          SimpleVert* vert = result->FindOrCreateVert(point, usedVerts);
          return vert ? vert->GetIndex() : kNoIndex;
        };
        frontCorners[static_cast<size_t>(k)] = place(p);
        NegateInto(minus, p);
        backCorners[static_cast<size_t>(k)] = place(minus);
        frontCorners[static_cast<size_t>(k + m)] = place(q);
        NegateInto(minus, q);
        backCorners[static_cast<size_t>(k + m)] = place(minus);
      }
      front = &result->FaceAt(facesMade);
      back = &result->FaceAt(facesMade + 1);
      front->SetNumVerts(2 * m, 1);
      back->SetNumVerts(2 * m, 1);
      for (int k = 0; k < 2 * m; ++k) {
        if (frontCorners[static_cast<size_t>(k)] < 0 || backCorners[static_cast<size_t>(k)] < 0) {
          told = Outcome::Failed("The zonohedron could not take all of its vertices.");
          return nullptr;
        }
        front->SetVertIndex(k, frontCorners[static_cast<size_t>(k)]);
        back->SetVertIndex(k, backCorners[static_cast<size_t>(k)]);
      }
      facesMade += 2;
    }
  }

  if (facesMade <= 2) {
    // One plane holds every zone: the result would be a flat double polygon.
    told = Outcome::Refused("The zones all lie in one plane, so they make no solid.");
    return nullptr;
  }
  result->Truncate(usedVerts, facesMade);
  result->flags &= ~kSimpleGrowable;
  result->SetName(poly ? poly->GetPartName(false) : nullptr, "Zonohedrified ", true);
  result->flags |= kZonohedronFlags;
  if (poly) result->flags |= CarriedSimpleFlags(*poly);
  return result;
}

}  // namespace corvia
