// The facet model of a stellation, built from the visible facets of a stellated
// block. In the diagram of each face type's representative face, the visible segments
// that meet across edges which are no edges of the stellation form one region; every
// region is one facelet, traced into loops round its used edges, and the rotations of
// the model's group place its copies. Vertices come in symmetry groups, one per orbit
// of the corners met.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Face3D.h"
#include "nets/Model3D.h"
#include "nets/NetFlags.h"
#include "platform/Services.h"
#include "stellation/Model3DStellation.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationDiagram.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_Model3DStellation {

using Matrix = std::array<double, 9>;

constexpr int kMaxWalkSteps = 100000;
// Regions traced between progress reports.
constexpr int kRegionsPerReport = 16;
// Two facelet images, or two corners of a loop under a rotation, are one within this.
constexpr double kImageTolerance = 1e-6;
// The ring flag of a loop that is one of a set of rotated copies (read by the facelet
// as its edgelets' rotated-loop mark).
constexpr uint32_t kRingRotatedCopy = 0x10;

// Points found by position: a hash of cells a little larger than the tolerance, so
// that a match lies in the cell of the point or a neighbouring one.
class PointGrid {
 public:
  explicit PointGrid(double tolerance) : mTolerance(tolerance), mCell(tolerance * 16.0) {}

  // The value stored with a point within the tolerance in each coordinate; -1 when none.
  int Find(const double* p) const {
    return Find(p, [](int) { return true; });
  }
  // The same, of the points whose value `accept` takes.
  template <typename Accept>
  int Find(const double* p, const Accept& accept) const {
    const int64_t c[3] = {Cell(p[0]), Cell(p[1]), Cell(p[2])};
    for (int64_t dx = -1; dx <= 1; ++dx) {
      for (int64_t dy = -1; dy <= 1; ++dy) {
        for (int64_t dz = -1; dz <= 1; ++dz) {
          auto it = mCells.find(Key(c[0] + dx, c[1] + dy, c[2] + dz));
          if (it == mCells.end()) continue;
          for (const Entry& e : it->second) {
            if (std::fabs(e.p[0] - p[0]) <= mTolerance && std::fabs(e.p[1] - p[1]) <= mTolerance &&
                std::fabs(e.p[2] - p[2]) <= mTolerance && accept(e.value)) {
              return e.value;
            }
          }
        }
      }
    }
    return -1;
  }

  void Add(const double* p, int value) {
    Entry e;
    CopyVector(e.p, p);
    e.value = value;
    mCells[Key(Cell(p[0]), Cell(p[1]), Cell(p[2]))].push_back(e);
  }

 private:
  struct Entry {
    double p[3];
    int value;
  };
  int64_t Cell(double x) const { return static_cast<int64_t>(std::floor(x / mCell)); }
  static uint64_t Key(int64_t x, int64_t y, int64_t z) {
    return static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full ^
           static_cast<uint64_t>(z) * 0x165667B19E3779F9ull;
  }
  double mTolerance;
  double mCell;
  std::unordered_map<uint64_t, std::vector<Entry>> mCells;
};

// One facelet outline in the diagram of its face type: the corners of its loops, the
// outer loop first.
struct Region {
  FaceType* type = nullptr;
  bool down = false;  // the outside faces down the face normal
  std::vector<std::vector<SegVert*>> loops;
  double centroid[3] = {0.0, 0.0, 0.0};  // in space, on the representative face
  double normal[3] = {0.0, 0.0, 0.0};    // outward
  // Its area and number of corners, which its images share: regions of one plane
  // centred on one point (one round the other about an axis) are told apart by them.
  double area = 0.0;
  size_t corners = 0;
  std::vector<int> images;               // the rotations that place its facelets
  // Faces of its type that no rotation reaches (a type that is no symmetry class): the
  // region is placed on each by the face's own frame.
  const std::vector<PolyElement*>* others = nullptr;
  int fold = 1;
  // Per loop: a member of a set of rotated copies.
  std::vector<char> rotatedCopy;
};

void ToWorld(const Transform3D& faceToWorld, const StellationPoint* p, double* out) {
  const double local[3] = {p->mX, p->mY, 0.0};
  TransformPoint(faceToWorld, out, local);
}

double LoopArea(const std::vector<SegVert*>& loop, double* moment) {
  double area = 0.0;
  moment[0] = moment[1] = 0.0;
  for (size_t i = 0; i < loop.size(); ++i) {
    const StellationPoint* a = loop[i]->mPoint;
    const StellationPoint* b = loop[(i + 1) % loop.size()]->mPoint;
    const double cross = a->mX * b->mY - b->mX * a->mY;
    area += cross;
    moment[0] += (a->mX + b->mX) * cross;
    moment[1] += (a->mY + b->mY) * cross;
  }
  return area / 2.0;
}

// The next used edge of the region after the used edge c: round the end point of c
// through the region's segments, across edges that are not used.
SegVert* NextBoundaryCorner(SegVert* c) {
  SegVert* q = c->mNext;
  for (int steps = 0; q && !(q->mFlags & kSegVertUsed); ++steps) {
    if (steps > kMaxWalkSteps || !q->mTwin) return nullptr;
    q = q->mTwin->mNext;
  }
  return q;
}

// Whether the traced loop turns at corner i (the loop runs along another line, or
// back along the same one).
bool TurnsAt(const std::vector<SegVert*>& loop, size_t i) {
  const SegVert* before = loop[(i + loop.size() - 1) % loop.size()];
  const SegVert* at = loop[i];
  if (before->mLine != at->mLine) return true;
  const double u[2] = {at->mPoint->mX - before->mPoint->mX, at->mPoint->mY - before->mPoint->mY};
  const SegVert* next = at->mNext;
  const double v[2] = {next->mPoint->mX - at->mPoint->mX, next->mPoint->mY - at->mPoint->mY};
  return u[0] * v[0] + u[1] * v[1] < 0.0;
}

// The regions of one face type's diagram, in the order of its sorted visible facets.
// False when a loop cannot be traced.
bool CollectRegions(FaceType* type, std::vector<Region>& regions) {
  const int rotations = type->mNumRotations > 0 ? type->mNumRotations : 1;
  std::unordered_map<const StellationSegment*, int> side;  // 0 up, 1 down, 2 + region
  std::vector<StellationSegment*> order;
  for (StellationFacet* f = type->mVisibleFacets; f; f = f->mNextVisible) {
    for (int k = 0; k < rotations; ++k) {
      StellationSegment* segment = f->GetSegment(k);
      if (!segment || !segment->mFirst || side.count(segment)) continue;
      side[segment] = (f->mFlags & kFacetFacesDown) ? 1 : 0;
      order.push_back(segment);
    }
  }
  bool ok = true;
  for (StellationSegment* start : order) {
    if (side[start] >= 2) continue;
    const bool down = side[start] == 1;
    const int mark = 2 + static_cast<int>(regions.size());
    // The segments joined across unused edges.
    std::vector<StellationSegment*> members{start};
    side[start] = mark;
    for (size_t i = 0; i < members.size(); ++i) {
      SegVert* c = members[i]->mFirst;
      int steps = 0;
      do {
        if (!(c->mFlags & kSegVertUsed) && c->mTwin && c->mTwin->mSegment) {
          auto it = side.find(c->mTwin->mSegment);
          if (it != side.end() && it->second == (down ? 1 : 0)) {
            it->second = mark;
            members.push_back(c->mTwin->mSegment);
          }
        }
        c = c->mNext;
      } while (c && c != members[i]->mFirst && ++steps < kMaxWalkSteps);
    }
    Region region;
    region.type = type;
    region.down = down;
    // Every used edge of the members lies on exactly one loop.
    std::unordered_map<const SegVert*, char> traced;
    for (StellationSegment* s : members) {
      SegVert* c = s->mFirst;
      int steps = 0;
      do {
        if ((c->mFlags & kSegVertUsed) && !traced.count(c)) {
          std::vector<SegVert*> loop;
          SegVert* x = c;
          int walk = 0;
          do {
            traced[x] = 1;
            loop.push_back(x);
            x = NextBoundaryCorner(x);
          } while (x && x != c && ++walk < kMaxWalkSteps);
          if (x != c) {
            ok = false;
            break;
          }
          // Corners where the loop runs straight on and no other part of the model
          // has a vertex are no corners of the facelet.
          std::vector<SegVert*> kept;
          for (size_t i = 0; i < loop.size(); ++i) {
            if ((loop[i]->mPoint->mFlags & kPointCounted) || TurnsAt(loop, i)) kept.push_back(loop[i]);
          }
          if (kept.size() >= 3) region.loops.push_back(std::move(kept));
        }
        c = c->mNext;
      } while (c && c != s->mFirst && ++steps < kMaxWalkSteps);
      if (!ok) break;
    }
    if (!ok) break;
    if (region.loops.empty()) continue;
    // The outer loop (largest area the region's way round) first.
    std::vector<double> areas;
    double total = 0.0;
    double moment[2] = {0.0, 0.0};
    for (const auto& loop : region.loops) {
      double m[2];
      areas.push_back(LoopArea(loop, m));
      total += areas.back();
      moment[0] += m[0];
      moment[1] += m[1];
    }
    const size_t outer = static_cast<size_t>(std::max_element(areas.begin(), areas.end()) - areas.begin());
    std::rotate(region.loops.begin(), region.loops.begin() + static_cast<long>(outer),
                region.loops.begin() + static_cast<long>(outer) + 1);
    if (std::fabs(total) <= kPointTolerance * kPointTolerance) continue;
    const double c2[2] = {moment[0] / (3.0 * 2.0 * total), moment[1] / (3.0 * 2.0 * total)};
    Transform3D toWorld;
    type->mFirstFace->GetFaceToWorld(toWorld, false);
    const double local[3] = {c2[0], c2[1], 0.0};
    TransformPoint(toWorld, region.centroid, local);
    CopyVector(region.normal, type->mFirstFace->mZAxis);
    if (down) Negate(region.normal);
    region.area = std::fabs(total);
    for (const auto& loop : region.loops) region.corners += loop.size();
    regions.push_back(std::move(region));
  }
  return ok;
}

// The corner of loop b that the 2D map carries loop a's corner i onto, where every
// corner follows in order; -1 when the map does not carry a onto b.
template <typename Map>
int MatchLoop(const std::vector<SegVert*>& a, const std::vector<SegVert*>& b, const Map& map) {
  if (a.size() != b.size() || a.empty()) return -1;
  auto near = [](const double* p, const StellationPoint* q) {
    return std::fabs(p[0] - q->mX) <= kImageTolerance && std::fabs(p[1] - q->mY) <= kImageTolerance;
  };
  double first[2];
  map(a[0]->mPoint, first);
  for (size_t offset = 0; offset < b.size(); ++offset) {
    if (!near(first, b[offset]->mPoint)) continue;
    bool all = true;
    for (size_t k = 1; k < a.size() && all; ++k) {
      double p[2];
      map(a[k]->mPoint, p);
      all = near(p, b[(k + offset) % b.size()]->mPoint);
    }
    if (all) return static_cast<int>(offset);
  }
  return -1;
}

// Orders the loops of a region that its own rotations turn into one another: each
// loop alone when the rotation keeps it, else its fold copies one after another, each
// starting at the image of the first one's start. False when they do not fall into
// such blocks (the region is then treated as without rotations).
template <typename Map>
bool ArrangeRotatedLoops(Region& region, int fold, const Map& map) {
  std::vector<std::vector<SegVert*>> arranged;
  std::vector<char> rotated;
  std::vector<char> used(region.loops.size(), 0);
  for (size_t i = 0; i < region.loops.size(); ++i) {
    if (used[i]) continue;
    used[i] = 1;
    const std::vector<SegVert*>& loop = region.loops[i];
    if (MatchLoop(loop, loop, map) >= 0) {
      if (loop.size() % static_cast<size_t>(fold) != 0) return false;
      arranged.push_back(loop);
      rotated.push_back(0);
      continue;
    }
    std::vector<SegVert*> current = loop;
    arranged.push_back(current);
    rotated.push_back(1);
    for (int k = 1; k < fold; ++k) {
      bool found = false;
      for (size_t j = 0; j < region.loops.size() && !found; ++j) {
        if (used[j]) continue;
        const int offset = MatchLoop(current, region.loops[j], map);
        if (offset < 0) continue;
        used[j] = 1;
        std::vector<SegVert*> next(region.loops[j].size());
        for (size_t m = 0; m < next.size(); ++m) {
          next[m] = region.loops[j][(m + static_cast<size_t>(offset)) % next.size()];
        }
        current = next;
        arranged.push_back(std::move(next));
        rotated.push_back(1);
        found = true;
      }
      if (!found) return false;
    }
  }
  region.loops = std::move(arranged);
  region.rotatedCopy = std::move(rotated);
  return true;
}

// The face of the type whose plane the rotation carries the representative face's
// plane onto: the face at the image of the centre, else any in that plane.
PolyElement* FaceAtImage(const FaceType* type, const double* rotation) {
  const PolyElement* rep = type->mFirstFace;
  double centre[3], normal[3];
  MatrixTimesVector(rotation, centre, rep->mCentre);
  MatrixTimesVector(rotation, normal, rep->mZAxis);
  const double distance = Dot(centre, normal);
  PolyElement* inPlane = nullptr;
  for (PolyElement* face = type->mFirstFace; face; face = face->mNextOfType) {
    const double along = Dot(face->mZAxis, normal);
    if (std::fabs(std::fabs(along) - 1.0) > kImageTolerance) continue;
    if (std::fabs(Dot(face->mCentre, normal) - distance) > kImageTolerance) continue;
    if (NearlyEqual(face->mCentre, centre, kImageTolerance)) return face;
    if (!inPlane) inPlane = face;
  }
  return inPlane;
}

// The faces of the type whose planes no rotation carries the representative face's
// plane onto, one per plane.
std::vector<PolyElement*> UnreachedFaces(const FaceType* type, const std::vector<Matrix>& rotations) {
  std::vector<std::array<double, 4>> planes;  // normal, distance
  auto reached = [&planes](const double* normal, double distance) {
    for (const auto& plane : planes) {
      const double along = Dot(plane.data(), normal);
      if (std::fabs(std::fabs(along) - 1.0) <= kImageTolerance &&
          std::fabs(plane[3] - (along > 0.0 ? distance : -distance)) <= kImageTolerance) {
        return true;
      }
    }
    return false;
  };
  const PolyElement* rep = type->mFirstFace;
  for (const Matrix& m : rotations) {
    double normal[3], centre[3];
    MatrixTimesVector(m.data(), normal, rep->mZAxis);
    MatrixTimesVector(m.data(), centre, rep->mCentre);
    planes.push_back({normal[0], normal[1], normal[2], Dot(normal, centre)});
  }
  std::vector<PolyElement*> faces;
  for (PolyElement* face = type->mFirstFace; face; face = face->mNextOfType) {
    const double distance = Dot(face->mZAxis, face->mCentre);
    if (reached(face->mZAxis, distance)) continue;
    faces.push_back(face);
    planes.push_back({face->mZAxis[0], face->mZAxis[1], face->mZAxis[2], distance});
  }
  return faces;
}

// The vertex kind bits of a position.
uint32_t VertexKind(const double* p, const SymGroup* group) {
  if (p[0] == 0.0 && p[1] == 0.0 && p[2] == 0.0) return kVertAlone;
  const SymAxisType* axisType = group ? group->FindAxisTypeOfDirection(p) : nullptr;
  if (!axisType) return 0;
  const int index = group->IndexOfAxisType(axisType);
  return kVertOnAxis | (index == 0 ? kVertAxisKind0 : 0u) | (index == 1 ? kVertAxisKind1 : 0u);
}

// The corner at the diagram point `from` whose edge runs towards `to`: the edge's far
// end must lie ahead along the direction, off it by no more than the tolerance in the
// other coordinate. Null when no edge at the point runs that way.
SegVert* CornerAlong(SegVert* atPoint, const double* from, const double* to) {
  const double d[2] = {to[0] - from[0], to[1] - from[1]};
  const int major = std::fabs(d[0]) >= std::fabs(d[1]) ? 0 : 1;
  if (d[major] == 0.0) return nullptr;
  SegVert* c = atPoint;
  int steps = 0;
  do {
    if (c->mNext && c->mNext->mPoint) {
      const double offset[2] = {c->mNext->mPoint->mX - from[0], c->mNext->mPoint->mY - from[1]};
      const double along = offset[major] / d[major];
      if (along > kPointTolerance && std::fabs(offset[1 - major] - along * d[1 - major]) <= kPointTolerance) return c;
    }
    c = c->mTwin ? c->mTwin->mNext : nullptr;
  } while (c && c != atPoint && ++steps < kMaxWalkSteps);
  return nullptr;
}

// The diagram region inside the facelet along its first edge, found in the diagram of
// its source face's type; null when the diagram has no edge there.
StellationSegment* FindFacetLoop(const Face3D& facelet) {
  const PolyElement* source = facelet.mSourceFace;
  const FaceType* type = source ? source->mType : nullptr;
  if (type && type->mCoplanarMaster) type = type->mCoplanarMaster;
  const Face3DType* faceletType = facelet.mType;
  if (!type || !type->mLineEqns || !faceletType || faceletType->mNumLoops < 1) return nullptr;
  const int n = faceletType->mLoopLengths[0];
  if (n < 3) return nullptr;
  // The first loop in the diagram's coordinates, and which side of it the facelet lies.
  std::vector<std::array<double, 2>> ring(static_cast<size_t>(n));
  double area = 0.0;
  for (int i = 0; i < n; ++i) Transform2DPoint(facelet.mOutlineTransform, facelet.mEdges[i].local, ring[i].data());
  for (int i = 0; i < n; ++i) {
    const auto& a = ring[static_cast<size_t>(i)];
    const auto& b = ring[static_cast<size_t>((i + 1) % n)];
    area += a[0] * b[1] - b[0] * a[1];
  }
  SegVert* start = type->FindSegVertAt(ring[0][0], ring[0][1]);
  SegVert* along = start ? CornerAlong(start, ring[0].data(), ring[1].data()) : nullptr;
  if (!along) return nullptr;
  // A region lies on the left of its corners' edges: the facelet's own where its loop
  // runs counter-clockwise, else the one across.
  const SegVert* inside = area > 0.0 ? along : along->mTwin;
  return inside ? inside->mSegment : nullptr;
}

// How far apart two places of one corner may lie: the diagrams make a crossing's
// coordinates within the point tolerance of 0 exactly 0, one diagram may do so where
// another does not, and a crossing far out is known only to a share of its distance
// from the centre.
double PointReach(const double* position) {
  return 2.0 * kPointTolerance *
         std::max({1.0, std::fabs(position[0]), std::fabs(position[1]), std::fabs(position[2])});
}

// The diagram corners named by the ring points of the stellation's facelets.
class DiagramCorners : public FaceletCornerLookup {
 public:
  explicit DiagramCorners(Model3D* model) : mModel(model) {}
  StellationSegment* RegionOf(void* owner) const override { return static_cast<SegVert*>(owner)->mSegment; }
  // The vertex within the corner's point's own group; without a group, FindVertExact.
  Vert3D* FindVert(void* owner, const double* position) const override;

 private:
  Model3D* mModel;
};

Vert3D* DiagramCorners::FindVert(void* owner, const double* position) const {
  const SegVert* segVert = static_cast<const SegVert*>(owner);
  const int count = mModel->mNumVerts;
  Vert3D* verts = mModel->mVerts.get();
  const int start = segVert && segVert->mPoint ? segVert->mPoint->mSpare - 1 : -1;
  if (start < 0 || start >= count) return mModel->FindVertExact(position);
  // The group runs to the next group's first record. Its members are images of one
  // another, far apart but for rounding: the nearest is the one, within the reach of
  // the corner's places.
  int end = start + 1;
  while (end < count && !(verts[end].mFlags & kVertGroupFirst)) ++end;
  const double reach = PointReach(position);
  Vert3D* nearest = nullptr;
  double best = reach;
  for (int i = start; i < end; ++i) {
    const double* p = verts[i].mPos;
    const double off =
        std::max({std::fabs(p[0] - position[0]), std::fabs(p[1] - position[1]), std::fabs(p[2] - position[2])});
    if (off <= best) {
      best = off;
      nearest = &verts[i];
    }
  }
  if (!nearest) ShowInternalError("FindVert(): Couldn't find vert");
  return nearest;
}

// The vertex group (its start + 1) of a point that the diagrams joined with this one
// and that has a member within the point's reach of its position; 0 when none has.
// The diagrams join the points at which one line of space crosses the same other
// planes, so only such a point is taken for one at the far reach.
int JoinedGroup(const StellationPoint* point, const double* position, const std::vector<Vert3D>& verts,
                const std::vector<std::pair<int, int>>& groups) {
  const double reach = PointReach(position);
  int steps = 0;
  for (const StellationPoint* q = point->mCoincident; q && q != point && ++steps < kMaxWalkSteps; q = q->mCoincident) {
    if (q->mSpare <= 0) continue;
    const int start = q->mSpare - 1;
    const auto group = std::lower_bound(groups.begin(), groups.end(), std::make_pair(start, 0));
    if (group == groups.end() || group->first != start) continue;
    for (int i = start; i < start + group->second; ++i) {
      if (NearlyEqual(verts[static_cast<size_t>(i)].mPos, position, reach)) return q->mSpare;
    }
  }
  return 0;
}

// The rotations of the group, the identity first; the identity alone without a group.
std::vector<Matrix> GroupRotations(const SymGroup* group) {
  std::vector<Matrix> rotations;
  SymRotationIterator it;
  it.Reset();
  Matrix m;
  while (GetNextSymmetryRotation(group, it, true, m.data())) rotations.push_back(m);
  if (rotations.empty()) rotations.push_back({1, 0, 0, 0, 1, 0, 0, 0, 1});
  return rotations;
}

// Facelets already placed in a type's planes, by centroid, normal and shape.
class PlacedShapes {
 public:
  bool Has(const double* centroid, const double* normal, const Region& shape) const {
    return mGrid.Find(centroid, [&](int i) {
      const Placed& p = mShapes[static_cast<size_t>(i)];
      return NearlyEqual(p.normal.data(), normal, kImageTolerance) && p.corners == shape.corners &&
             std::fabs(p.area - shape.area) <= kImageTolerance * std::max(1.0, shape.area);
    }) >= 0;
  }
  void Add(const double* centroid, const double* normal, const Region& shape) {
    mGrid.Add(centroid, static_cast<int>(mShapes.size()));
    mShapes.push_back({{normal[0], normal[1], normal[2]}, shape.area, shape.corners});
  }

 private:
  struct Placed {
    std::array<double, 3> normal;
    double area;
    size_t corners;
  };
  PointGrid mGrid{kImageTolerance};
  std::vector<Placed> mShapes;
};

// Gives the region the rotations that place its facelets where nothing is placed yet,
// the identity first, and places them. A region on an axis keeps the rotations about
// it: its loops go in blocks.
void PlaceRegionImages(Region& region, const FaceType* type, const std::vector<Matrix>& rotations,
                       const SymGroup* group, const Transform3D& toWorld, const Transform3D& toFace,
                       PlacedShapes& placed) {
  int stabiliser = 0;
  const Matrix* generator = nullptr;
  double generatorAngle = 10.0;
  for (size_t r = 0; r < rotations.size(); ++r) {
    double c[3], n[3];
    MatrixTimesVector(rotations[r].data(), c, region.centroid);
    MatrixTimesVector(rotations[r].data(), n, region.normal);
    if (NearlyEqual(c, region.centroid, kImageTolerance) && NearlyEqual(n, region.normal, kImageTolerance)) {
      ++stabiliser;
      if (r == 0) continue;
      // The turn of this rotation in the face frame.
      double x[3];
      MatrixTimesVector(rotations[r].data(), x, type->mFirstFace->mXAxis);
      double angle = std::atan2(Dot(x, type->mFirstFace->mYAxis), Dot(x, type->mFirstFace->mXAxis));
      if (angle <= 0.0) angle += 2.0 * 3.141592653589793;
      if (angle < generatorAngle) {
        generatorAngle = angle;
        generator = &rotations[r];
      }
      continue;
    }
    if (placed.Has(c, n, region)) continue;
    placed.Add(c, n, region);
    region.images.push_back(static_cast<int>(r));
  }
  // Identity first.
  placed.Add(region.centroid, region.normal, region);
  region.images.insert(region.images.begin(), 0);
  region.rotatedCopy.assign(region.loops.size(), 0);
  const SymAxisType* axisType = group ? group->FindAxisTypeOfDirection(type->mFirstFace->mZAxis) : nullptr;
  if (stabiliser > 1 && generator && axisType && std::abs(axisType->fold) == stabiliser &&
      group->GetAxisTypeIndex(stabiliser) == group->IndexOfAxisType(axisType)) {
    const Matrix& g = *generator;
    auto map = [&](const StellationPoint* p, double* out) {
      double world[3], image[3], local[3];
      ToWorld(toWorld, p, world);
      MatrixTimesVector(g.data(), image, world);
      TransformPoint(toFace, local, image);
      out[0] = local[0];
      out[1] = local[1];
    };
    if (ArrangeRotatedLoops(region, stabiliser, map)) region.fold = stabiliser;
  }
}

// The regions of the block's face types and the rotations that place their facelets;
// unreached holds per type its faces that no rotation reaches. False when the user
// cancelled.
bool CollectPlacedRegions(FaceTypeBlock* block, const std::vector<Matrix>& rotations, const SymGroup* group,
                          std::vector<Region>& regions,
                          std::vector<std::unique_ptr<std::vector<PolyElement*>>>& unreached) {
  int numTypes = 0;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (!type->mCoplanarMaster && type->mFirstFace) ++numTypes;
  }
  int typeIndex = 0;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster || !type->mFirstFace) continue;
    if (!UpdateProgress(0.5 * typeIndex++ / std::max(numTypes, 1), "Building the facelets of the stellation.")) {
      return false;
    }
    type->SortFacets();
    std::vector<Region> found;
    if (!CollectRegions(type, found)) {
      ShowInternalError("Model3D::Model3D: a facelet outline of face type %d does not close",
                        FaceType::GetNumber(type));
    }
    Transform3D toWorld, toFace;
    type->mFirstFace->GetFaceToWorld(toWorld, false);
    type->mFirstFace->GetWorldToFace(toFace, false);
    unreached.push_back(std::make_unique<std::vector<PolyElement*>>(UnreachedFaces(type, rotations)));
    PlacedShapes placed;
    int count = 0;
    for (Region& region : found) {
      if (++count % kRegionsPerReport == 0 && !UpdateProgress(kProgressNoReport)) return false;
      // A region that is the image of one placed before (a rotated copy in the same
      // diagram, or the same surface seen from the other face through the centre).
      if (placed.Has(region.centroid, region.normal, region)) continue;
      PlaceRegionImages(region, type, rotations, group, toWorld, toFace, placed);
      region.others = unreached.back().get();
      regions.push_back(std::move(region));
    }
  }
  return true;
}

// The vertices of the model: one group per orbit of the corners.
struct VertexOrbits {
  std::vector<Vert3D> verts;
  std::vector<std::pair<int, int>> groups;  // start, count
  PointGrid known{kPointTolerance};

  // Each corner of the regions with its images under the rotations; the corner's point
  // keeps its group (start + 1) in mSpare. False when the user cancelled.
  bool Collect(FaceTypeBlock* block, std::vector<Region>& regions, const std::vector<Matrix>& rotations,
               const SymGroup* group) {
    for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      for (StellationPoint* list : {type->mInnerPoints, type->mOuterPoints}) {
        for (StellationPoint* p = list; p; p = p->mNext) p->mSpare = 0;
      }
    }
    int done = 0;
    for (Region& region : regions) {
      if (++done % kRegionsPerReport == 0 && !UpdateProgress(kProgressNoReport)) return false;
      Transform3D toWorld;
      region.type->mFirstFace->GetFaceToWorld(toWorld, false);
      for (const auto& loop : region.loops) {
        for (SegVert* corner : loop) AddCorner(corner->mPoint, toWorld, rotations, group);
      }
    }
    return true;
  }

  void AddCorner(StellationPoint* p, const Transform3D& toWorld, const std::vector<Matrix>& rotations,
                 const SymGroup* group) {
    if (p->mSpare > 0) return;
    double world[3];
    ToWorld(toWorld, p, world);
    SnapNearZero(world, kRoundingTolerance);
    const int existing = known.Find(world);
    if (existing >= 0) {
      p->mSpare = groups[static_cast<size_t>(existing)].first + 1;
      return;
    }
    // Far out, the diagrams of two planes may place one corner further apart than the
    // point tolerance.
    if (const int joined = JoinedGroup(p, world, verts, groups)) {
      p->mSpare = joined;
      return;
    }
    const int groupIndex = static_cast<int>(groups.size());
    const int start = static_cast<int>(verts.size());
    for (const Matrix& m : rotations) {
      Vert3D v;
      MatrixTimesVector(m.data(), v.mPos, world);
      SnapNearZero(v.mPos, kRoundingTolerance);
      if (known.Find(v.mPos) >= 0) continue;
      v.mFlags = VertexKind(v.mPos, group);
      known.Add(v.mPos, groupIndex);
      verts.push_back(v);
    }
    groups.push_back({start, static_cast<int>(verts.size()) - start});
    p->mSpare = start + 1;
  }

  // The corners on faces that no rotation reaches stand alone where they are new.
  void AddUnreachedCorners(const std::vector<Region>& regions, const SymGroup* group) {
    for (const Region& region : regions) {
      for (PolyElement* face : *region.others) {
        Transform3D toWorld;
        face->GetFaceToWorld(toWorld, false);
        for (const auto& loop : region.loops) {
          for (SegVert* corner : loop) {
            Vert3D v;
            ToWorld(toWorld, corner->mPoint, v.mPos);
            SnapNearZero(v.mPos, kRoundingTolerance);
            if (known.Find(v.mPos) >= 0) continue;
            v.mFlags = VertexKind(v.mPos, group);
            known.Add(v.mPos, static_cast<int>(groups.size()));
            groups.push_back({static_cast<int>(verts.size()), 1});
            verts.push_back(v);
          }
        }
      }
    }
  }
};

// The region's loops in the face frame, turned to run clockwise where the outside faces
// down; corners receives their diagram corners in ring order.
PolygonList* RegionPolygons(const Region& region, const Transform3D& toWorld, const SymGroup* group,
                            std::vector<SegVert*>& corners) {
  PolygonList* list = nullptr;
  PolygonList* tail = nullptr;
  for (size_t l = 0; l < region.loops.size(); ++l) {
    std::vector<SegVert*> loop = region.loops[l];
    if (region.down) std::reverse(loop.begin(), loop.end());
    PolygonVertex* ring = nullptr;
    for (size_t i = 0; i < loop.size(); ++i) {
      const StellationPoint* p = loop[i]->mPoint;
      const StellationPoint* q = loop[(i + 1) % loop.size()]->mPoint;
      // The ring point names its diagram corner: the facelet finds its facet loop and
      // its vertices through it.
      PolygonVertex* v = NewPolygonVertex(p->mX, p->mY, loop[i], nullptr, ring);
      double a[3], b[3], middle[3];
      ToWorld(toWorld, p, a);
      ToWorld(toWorld, q, b);
      Add(middle, a, b);
      if (group && Dot(middle, middle) > kPointTolerance * kPointTolerance && group->FindAxisTypeOfDirection(middle)) {
        v->flags |= kPolygonVertexMarked;
      }
      if (region.rotatedCopy[l]) v->flags |= kRingRotatedCopy;
      corners.push_back(loop[i]);
    }
    AppendToPolygonList(ring, list, tail);
  }
  return list;
}

// The facelet type of a region, first in the model's list: a facelet at each image of
// the region and on each face that no rotation reaches.
void MakeFaceletType(Model3D* model, const Region& region, const std::vector<Matrix>& rotations, const SymGroup* group,
                     const DiagramCorners& diagram) {
  PolyElement* rep = region.type->mFirstFace;
  Transform3D toWorld;
  rep->GetFaceToWorld(toWorld, false);
  std::vector<SegVert*> corners;
  PolygonList* list = RegionPolygons(region, toWorld, group, corners);
  const size_t count = region.images.size() + region.others->size();
  Face3DType* type = new Face3DType(static_cast<int>(count), region.fold, model, model->mFaceTypes);
  model->mFaceTypes = type;
  type->SetLoops(list);
  for (size_t f = 0; f < region.images.size(); ++f) {
    const Matrix& m = rotations[static_cast<size_t>(region.images[f])];
    Transform3D turn;
    for (int k = 0; k < 9; ++k) turn.m[k] = m[static_cast<size_t>(k)];
    turn.m[9] = turn.m[10] = turn.m[11] = 0.0;
    Transform3D faceTransform;
    ComposeTransforms(faceTransform, turn, toWorld);
    PolyElement* source = FaceAtImage(region.type, m.data());
    Face3D& facelet = type->mFacelets[f];
    double outward[3];
    MatrixTimesVector(m.data(), outward, region.normal);
    const bool reversed = source && Dot(outward, source->mZAxis) < 0.0;
    if (reversed) facelet.mFlags |= kFaceletReversed;
    if (reversed != region.down) facelet.mFlags |= kFaceletFlipped;
    facelet.Create(source, type, list, faceTransform, model, nullptr, &diagram);
  }
  for (size_t f = 0; f < region.others->size(); ++f) {
    PolyElement* face = (*region.others)[f];
    Transform3D faceTransform;
    face->GetFaceToWorld(faceTransform, false);
    Face3D& facelet = type->mFacelets[region.images.size() + f];
    if (region.down) facelet.mFlags |= kFaceletReversed;
    std::vector<Vert3D*> verts3D(corners.size(), nullptr);
    for (size_t k = 0; k < corners.size(); ++k) {
      double world[3];
      ToWorld(faceTransform, corners[k]->mPoint, world);
      verts3D[k] = model->FindVertExact(world);
    }
    facelet.Create(face, type, list, faceTransform, model, verts3D.data(), &diagram);
  }
  type->Triangulate(list);
}

}  // namespace detail_Model3DStellation

Outcome ComputeFaceletLineData(Model3D* model) {
  using namespace detail_Model3DStellation;
  if (!model || !model->mFaceTypes || (model->mFlags & kModelLineData)) return Outcome::Done();
  FaceTypeBlock* block = model->mBlock;
  Poly* poly = model->mPoly;
  model->mFlags |= kModelLineData;
  if (!block || !poly) return Outcome::Done();
  Outcome outcome;
  // The lines are those of the block's stellation diagrams, set up now when they are
  // not yet. A set-up that fails or is cancelled clears the block's facet model: this
  // one, which is being drawn, is held meanwhile (only the plain polyhedron's model
  // exists before the set-up, and it does not depend on the diagrams).
  if (!block->IsStellated()) {
    Part<Model3D> held;
    if (block->mModel3D.get() == model) held = std::move(block->mModel3D);
    outcome = Stellate(poly, block, false);
    if (held) block->mModel3D = std::move(held);
    if (!block->IsStellated()) return outcome;
  }
  MarkAllUsedSegVerts(block);
  // A cancel leaves the facelets not reached without lines.
  ProgressTicker tick;
  for (Face3DType* type = model->mFaceTypes; type; type = type->mNext) {
    for (int f = 0; f < type->mNumFacelets; ++f) {
      if (!tick()) return outcome;
      Face3D& facelet = type->mFacelets[static_cast<size_t>(f)];
      if (!facelet.mFacetLoop) facelet.mFacetLoop = FindFacetLoop(facelet);
    }
  }
  return outcome;
}

Model3D::Model3D(FaceTypeBlock* block, int vertexCount) {
  using namespace detail_Model3DStellation;
  Init(block ? block->mOwner : nullptr, block);
  if (!block || !mPoly) return;
  platform::WaitCursorScope wait;
  ProgressScope progress;
  const SymGroup* group = mPoly->mSymGroup;
  const std::vector<Matrix> rotations = GroupRotations(group);

  std::vector<Region> regions;
  std::vector<std::unique_ptr<std::vector<PolyElement*>>> unreached;
  VertexOrbits orbits;
  if (!CollectPlacedRegions(block, rotations, group, regions, unreached) ||
      !orbits.Collect(block, regions, rotations, group)) {
    Free();
    return;
  }
  orbits.AddUnreachedCorners(regions, group);
  mNumVerts = static_cast<int32_t>(orbits.verts.size());
  mVerts = std::make_unique<Vert3D[]>(static_cast<size_t>(mNumVerts > 0 ? mNumVerts : 1));
  for (int i = 0; i < mNumVerts; ++i) mVerts[static_cast<size_t>(i)] = orbits.verts[static_cast<size_t>(i)];
  for (const auto& [start, count] : orbits.groups) FinishVertexGroup(start, count);
  mNumVertTypes = static_cast<int32_t>(orbits.groups.size());
  BuildVertexSearch();
  if (vertexCount >= 0 && vertexCount != mNumVerts) {
    // A trace, not a failure: the model is built from the vertices found.
    DoNothing("CreateVertices: expected %d got %d", vertexCount, mNumVerts);
  }

  const DiagramCorners diagram(this);
  int made = 0;
  for (Region& region : regions) {
    if (++made % kRegionsPerReport == 0 && !UpdateProgress(0.5 + 0.5 * made / static_cast<double>(regions.size()),
                                                           "Building the facelets of the stellation.")) {
      Free();
      return;
    }
    MakeFaceletType(this, region, rotations, group, diagram);
  }
  if (!LinkEdges(false)) Free();
}

bool IsInHiddenCell(const Face3D& facelet) {
  const StellationCell* cell = facelet.mFacetLoop ? GetSurfaceCell(facelet.mFacetLoop->mFacet) : nullptr;
  return cell && cell->IsHidden();
}

}  // namespace corvia
