// Zonohedra: the zone vectors collected from a model, and the polyhedron whose faces
// are the zone planes' polygons. Each plane spanned by two zones carries a pair of
// opposite faces whose edges are all the zones lying in that plane.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "core/Equation.h"
#include "core/Geometry.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/PointGrid.h"
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

// A direction made canonical, so that opposite directions become one zone: the first
// clearly non-zero component is made positive. False for a direction too short to
// have one.
bool CanonicalUnit(const double* p, double* unit) {
  const double length = std::sqrt(Dot(p, p));
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  Divide(unit, p, length);
  SnapNearZero(unit, kPointTolerance);
  for (int k = 0; k < 3; ++k) {
    if (unit[k] != 0.0) {
      if (unit[k] < 0.0) Negate(unit);
      return true;
    }
  }
  return false;
}

// For each of the unit directions, the first direction of the list (in order) that
// lies within the point tolerance of it, itself when none before does. The test is on
// unit vectors, so it does not hang on how long the zones are.
std::vector<int32_t> FirstOfEachDirection(const std::vector<std::array<double, 3>>& units) {
  const auto positionOf = [&units](int32_t id) { return units[static_cast<size_t>(id)].data(); };
  PointGrid<decltype(positionOf)> grid(4.0 * kPointTolerance, positionOf);
  grid.Reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) grid.Add(static_cast<int32_t>(i));
  grid.Finish();
  std::vector<int32_t> first(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    int32_t found = static_cast<int32_t>(i);
    grid.ForEachWithin(units[i].data(), kPointTolerance, [&](int32_t j) {
      if (j < found && first[static_cast<size_t>(j)] == j) found = j;
    });
    first[i] = found;
  }
  return first;
}

// The zone planes: each plane's zones (the first of them the one that opens it, the
// second its partner of lowest index) and the plane's normal, the cross product of
// those two.
struct ZonePlanes {
  std::vector<int32_t> members;
  std::vector<int64_t> start{0};
  std::vector<std::array<double, 3>> normals;
  int64_t Count() const { return static_cast<int64_t>(normals.size()); }
};

// Finds every plane spanned by two zones. The zones in a plane through zone a are
// those whose directions, seen along a, point the same way (or the opposite way): one
// sort of those directions by angle per zone gathers them, where testing each pair
// against every other zone would take time of the cube of the zones. A plane is kept
// by its zone of lowest index. False when cancelled, or (with *tooMany set) as soon as
// the planes would make more faces than the limit.
bool FindZonePlanes(const std::vector<ZoneVector>& zones, int64_t faceLimit, ZonePlanes& planes, bool* tooMany) {
  *tooMany = false;
  const size_t n = zones.size();
  std::vector<std::pair<double, int32_t>> around;
  around.reserve(n);
  for (size_t ia = 0; ia < n; ++ia) {
    if (!ProgressTick(0.5 * static_cast<double>(ia) / static_cast<double>(n), "Creating zonohedron.")) return false;
    const double* a = zones[ia].mUnit;
    // Two axes across a.
    double e1[3], e2[3];
    const double pick[3] = {std::fabs(a[0]) < 0.5 ? 1.0 : 0.0, std::fabs(a[0]) < 0.5 ? 0.0 : 1.0, 0.0};
    Cross(e1, a, pick);
    Divide(e1, e1, std::sqrt(Dot(e1, e1)));
    Cross(e2, a, e1);
    around.clear();
    for (size_t iv = 0; iv < n; ++iv) {
      if (iv == ia) continue;
      const double* v = zones[iv].mUnit;
      double angle = std::atan2(Dot(v, e2), Dot(v, e1));
      // A plane through a holds both senses of a direction.
      if (angle < 0.0) angle += M_PI;
      if (angle >= M_PI) angle -= M_PI;
      around.emplace_back(angle, static_cast<int32_t>(iv));
    }
    std::sort(around.begin(), around.end());
    // Runs of equal angles are the planes; the last run joins the first across pi.
    const size_t count = around.size();
    size_t firstEnd = 1;
    while (firstEnd < count && around[firstEnd].first - around[firstEnd - 1].first <= kPointTolerance) ++firstEnd;
    size_t lastStart = count;
    if (firstEnd < count && around.front().first + M_PI - around.back().first <= kPointTolerance) {
      lastStart = count - 1;
      while (lastStart > firstEnd && around[lastStart].first - around[lastStart - 1].first <= kPointTolerance)
        --lastStart;
    }
    auto keep = [&](size_t begin, size_t end, size_t wrapBegin) {
      int32_t lowest = std::numeric_limits<int32_t>::max();
      for (size_t k = begin; k < end; ++k) lowest = std::min(lowest, around[k].second);
      for (size_t k = wrapBegin; k < count; ++k) lowest = std::min(lowest, around[k].second);
      // Made already from a zone of lower index.
      if (lowest < static_cast<int32_t>(ia)) return;
      planes.members.push_back(static_cast<int32_t>(ia));
      planes.members.push_back(lowest);
      for (size_t k = begin; k < end; ++k)
        if (around[k].second != lowest) planes.members.push_back(around[k].second);
      for (size_t k = wrapBegin; k < count; ++k)
        if (around[k].second != lowest) planes.members.push_back(around[k].second);
      planes.start.push_back(static_cast<int64_t>(planes.members.size()));
      std::array<double, 3> normal;
      Cross(normal.data(), zones[ia].mUnit, zones[static_cast<size_t>(lowest)].mUnit);
      Divide(normal.data(), normal.data(), std::sqrt(Dot(normal.data(), normal.data())));
      planes.normals.push_back(normal);
    };
    keep(0, firstEnd, lastStart);
    for (size_t begin = firstEnd; begin < lastStart;) {
      size_t end = begin + 1;
      while (end < lastStart && around[end].first - around[end - 1].first <= kPointTolerance) ++end;
      keep(begin, end, count);
      begin = end;
    }
    if (2 * planes.Count() > faceLimit) {
      *tooMany = true;
      return false;
    }
  }
  return true;
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
  namespace d = detail_Zonohedra;
  if (outcome) *outcome = Outcome::Done();
  if (!options.mFromVertices) return list.Count();
  const int32_t maxZones = options.mMaxZones > 0 ? options.mMaxZones : std::numeric_limits<int32_t>::max();

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
  if (!(zoneLength > 0.0) || !std::isfinite(zoneLength)) return list.Count();

  // The zones are told apart by direction alone, so that their length (the scale)
  // changes nothing but the size of the zonohedron.
  std::vector<std::array<double, 3>> units;
  units.reserve(static_cast<size_t>(vertices->mCount));
  for (const PolyElement* vertex = vertices->mHead; vertex; vertex = vertex->mNext) {
    std::array<double, 3> unit;
    if (d::CanonicalUnit(vertex->mDualVert, unit.data())) units.push_back(unit);
  }
  const std::vector<int32_t> first = d::FirstOfEachDirection(units);
  int32_t added = 0;
  for (size_t i = 0; i < units.size() && added < maxZones; ++i) {
    if (first[i] != static_cast<int32_t>(i)) continue;
    double p[3];
    Scale(p, units[i].data(), zoneLength);
    list.Append(p);
    ++added;
  }
  return list.Count();
}

std::unique_ptr<SimplePoly> Poly::CreateZonishPolyhedron(TolerantPointList& /*list*/) {
  // Nothing is built for this choice; say so rather than leave the command silent.
  ShowInformation("Adding zones to existing faces (zonish polyhedron) makes no model.\n"
                  "Choose \"Zones only (create a true zonohedron)\" to build a zonohedron.");
  return nullptr;
}

namespace detail_Zonohedra {

// The zones of the points: zones along one line are one zone as long as both together.
std::vector<ZoneVector> GatherZones(const TolerantPointList& list) {
  std::vector<std::array<double, 3>> units;
  std::vector<std::array<double, 3>> vectors;
  for (const UniquePoint* point = list.Head(); point; point = point->next) {
    const double v[3] = {point->x, point->y, point->z};
    std::array<double, 3> unit;
    if (!CanonicalUnit(v, unit.data())) continue;
    units.push_back(unit);
    vectors.push_back({v[0], v[1], v[2]});
  }
  const std::vector<int32_t> first = FirstOfEachDirection(units);
  std::vector<ZoneVector> zones;
  std::vector<int32_t> zoneOf(units.size(), -1);
  for (size_t i = 0; i < units.size(); ++i) {
    const size_t f = static_cast<size_t>(first[i]);
    if (f == i) {
      zoneOf[i] = static_cast<int32_t>(zones.size());
      zones.emplace_back();
      CopyVector(zones.back().mUnit, units[i].data());
      zones.back().mIndex = zoneOf[i];
    }
    ZoneVector& zone = zones[static_cast<size_t>(zoneOf[f])];
    const double sense = Dot(vectors[i].data(), zone.mUnit) < 0.0 ? -1.0 : 1.0;
    for (int k = 0; k < 3; ++k) zone.mVector[k] += sense * vectors[i][static_cast<size_t>(k)];
  }
  return zones;
}

// The centre of a plane's face: every zone off the plane, taken to the side the normal
// points. inPlane is all zero before and after.
void PlaneFaceCentre(const std::vector<ZoneVector>& zones, const std::vector<int>& plane, const double* normal,
                     std::vector<uint8_t>& inPlane, double* centre) {
  for (int member : plane) inPlane[static_cast<size_t>(member)] = 1;
  centre[0] = centre[1] = centre[2] = 0.0;
  for (const ZoneVector& v : zones) {
    if (inPlane[static_cast<size_t>(v.mIndex)]) continue;
    if (Dot(normal, v.mUnit) > 0.0) {
      AddTo(centre, v.mVector);
    } else {
      Subtract(centre, centre, v.mVector);
    }
  }
  for (int member : plane) inPlane[static_cast<size_t>(member)] = 0;
}

// Orders the plane's zones by angle from the first, each turned to the same side of it.
void OrderPlaneZones(std::vector<ZoneVector>& zones, std::vector<int>& plane, const double* normal) {
  ZoneVector& a = zones[static_cast<size_t>(plane[0])];
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
    u.mAngle = AngleFromFirst(a.mUnit, unit);
  }
  MergeSort(plane, [&zones](int x, int y) {
    return CompareZoneAngles(zones[static_cast<size_t>(x)], zones[static_cast<size_t>(y)]);
  });
}

// The zonohedron as it is made: its faces made so far and its vertices used.
struct ZonohedronBuild {
  SimplePoly& result;
  int usedVerts = 0;
  int facesMade = 0;
  std::vector<int32_t> frontCorners;
  std::vector<int32_t> backCorners;

  int32_t Place(const double* point) {
    SimpleVert* vert = result.FindOrCreateVert(point, usedVerts);
    return vert ? vert->GetIndex() : kNoIndex;
  }

  // The two opposite faces of 2m sides of an ordered plane, round +centre and -centre,
  // each wound the same way seen from outside: the face round -centre takes its corners
  // backwards. False, with the failure told, when the model cannot take them.
  bool AddPlaneFaces(const std::vector<ZoneVector>& zones, const std::vector<int>& plane, const double* centre,
                     Outcome& told) {
    const int m = static_cast<int>(plane.size());
    frontCorners.assign(static_cast<size_t>(2 * m), kNoIndex);
    backCorners.assign(static_cast<size_t>(2 * m), kNoIndex);
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
      frontCorners[static_cast<size_t>(k)] = Place(p);
      frontCorners[static_cast<size_t>(k + m)] = Place(q);
      NegateInto(minus, p);
      backCorners[static_cast<size_t>(2 * m - 1 - k)] = Place(minus);
      NegateInto(minus, q);
      backCorners[static_cast<size_t>(m - 1 - k)] = Place(minus);
    }
    SimpleFace* front = result.GetFace(facesMade);
    SimpleFace* back = result.GetFace(facesMade + 1);
    if (!front || !back) {
      told = Outcome::Failed("The zonohedron could not take all of its faces.");
      return false;
    }
    front = &result.FaceAt(facesMade);
    back = &result.FaceAt(facesMade + 1);
    front->SetNumVerts(2 * m, 1);
    back->SetNumVerts(2 * m, 1);
    for (int k = 0; k < 2 * m; ++k) {
      if (frontCorners[static_cast<size_t>(k)] < 0 || backCorners[static_cast<size_t>(k)] < 0) {
        told = Outcome::Failed("The zonohedron could not take all of its vertices.");
        return false;
      }
      front->SetVertIndex(k, frontCorners[static_cast<size_t>(k)]);
      back->SetVertIndex(k, backCorners[static_cast<size_t>(k)]);
    }
    facesMade += 2;
    return true;
  }
};

}  // namespace detail_Zonohedra

std::unique_ptr<SimplePoly> CreateZonohedron(Poly* poly, const TolerantPointList& list, Outcome* outcome) {
  namespace d = detail_Zonohedra;
  Outcome ignored;
  Outcome& told = outcome ? *outcome : ignored;
  told = Outcome::Done();
  std::vector<ZoneVector> zones = d::GatherZones(list);
  const int n = static_cast<int>(zones.size());
  if (n < 3) {
    told = Outcome::RefusedF("A zonohedron needs at least 3 zones; only %d were found.", n);
    return nullptr;
  }
  // Built at a size near 1, reached by a power of two, so that the vertex tolerance
  // means the same whatever the zones' length; the vertices are put back at the
  // zones' own size at the end, exactly.
  double longest = 0.0;
  for (const ZoneVector& zone : zones) longest = std::max(longest, std::sqrt(Dot(zone.mVector, zone.mVector)));
  const int exponent = std::ilogb(longest);
  for (ZoneVector& zone : zones) Scale(zone.mVector, zone.mVector, std::ldexp(1.0, -exponent));

  platform::WaitCursorScope wait;
  ProgressScope progress;
  if (!UpdateProgress(0.0, "Creating zonohedron.")) {
    told = Outcome::Cancelled();
    return nullptr;
  }
  d::ZonePlanes planes;
  bool tooMany = false;
  const long long maxFaces = MaxMadeFacesHere(kMaxZonohedronFaces);
  if (!d::FindZonePlanes(zones, maxFaces, planes, &tooMany)) {
    if (tooMany) {
      // In general position n zones make n (n - 1) faces.
      const int fitting =
          static_cast<int>(std::floor((1.0 + std::sqrt(1.0 + 4.0 * static_cast<double>(maxFaces))) / 2.0));
      told = Outcome::RefusedF(
          "The zonohedron of these %d zones would have more than %lld faces.\n"
          "Please set the maximum number of zones to %d or fewer.",
          n, maxFaces, fitting);
    } else {
      told = Outcome::Cancelled();
    }
    return nullptr;
  }
  const int64_t numPlanes = planes.Count();
  if (numPlanes <= 1) {
    // One plane holds every zone: the result would be a flat double polygon.
    told = Outcome::Refused("The zones all lie in one plane, so they make no solid.");
    return nullptr;
  }
  // Each plane of m zones gives two faces of 2m sides, each edge shared by two faces.
  const int64_t numFaces = 2 * numPlanes;
  const int64_t numEdges = 2 * static_cast<int64_t>(planes.members.size());
  auto result = std::make_unique<SimplePoly>(static_cast<int>(numEdges - numFaces + 2), static_cast<int>(numFaces));
  result->flags |= kSimpleGrowable;
  d::ZonohedronBuild build{*result};
  std::vector<uint8_t> inPlane(static_cast<size_t>(n), 0);
  std::vector<int> plane;
  for (int64_t ip = 0; ip < numPlanes; ++ip) {
    if (!ProgressTick(0.5 + 0.5 * static_cast<double>(ip) / static_cast<double>(numPlanes), "Creating zonohedron.")) {
      told = Outcome::Cancelled();
      return nullptr;
    }
    plane.assign(planes.members.begin() + planes.start[static_cast<size_t>(ip)],
                 planes.members.begin() + planes.start[static_cast<size_t>(ip) + 1]);
    const double* normal = planes.normals[static_cast<size_t>(ip)].data();
    double centre[3];
    d::PlaneFaceCentre(zones, plane, normal, inPlane, centre);
    d::OrderPlaneZones(zones, plane, normal);
    if (!build.AddPlaneFaces(zones, plane, centre, told)) return nullptr;
  }

  result->Truncate(build.usedVerts, build.facesMade);
  result->flags &= ~kSimpleGrowable;
  for (int i = 0; i < result->NumVerts(); ++i) {
    double* pos = result->VertAt(i).pos;
    for (int k = 0; k < 3; ++k) pos[k] = std::ldexp(pos[k], exponent);
  }
  result->RebuildVertexSearch();
  if (!ProgressTick()) {
    told = Outcome::Cancelled();
    return nullptr;
  }
  result->SetName(poly ? poly->GetPartName(false) : nullptr, "Zonohedrified ", true);
  result->flags |= kZonohedronFlags;
  if (poly) result->flags |= CarriedSimpleFlags(*poly);
  return result;
}

}  // namespace corvia
