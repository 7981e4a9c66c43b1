// The 3D cells of a stellated block: made from the facets of the diagrams, layer by
// layer from the core, each with its mirror image; the outer cell; the cells through
// which symmetry axes run; the cells of the original model. And the one operation that
// includes or excludes a cell, with the connectivity tests and selections built on it.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Messages.h"
#include "core/Outcome.h"
#include "core/Progress.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "nets/Model3D.h"
#include "platform/Services.h"
#include "stellation/DeferredModelWork.h"
#include "stellation/Faceting.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"
#include "stellation/StellationDiagram.h"
#include "stellation/StellationState.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

int32_t StellationCriteria = kCriteriaMainline;
bool AutoFrameStellation = true;

namespace detail_StellationCells {

constexpr int kMaxWalkSteps = 100000;
// The planes leave a facet side that no cell can be closed on, or a cell with no
// mirror image where the group asks for one.
constexpr const char* kCellsDoNotClose =
    "This model cannot be stellated: the planes of its faces do not close its cells.";
// Cells made between progress reports.
constexpr int kCellsPerReport = 256;
// How far off a facet a point is taken to lie inside the cell on that side.
constexpr double kInsideOffset = 1e-6;

// One side of a facet: the cell above it or the cell below it.
struct Side {
  StellationFacet* facet = nullptr;
  bool above = false;
  bool operator==(const Side& other) const { return facet == other.facet && above == other.above; }
};

uint32_t SideBit(bool above) {
  return above ? kFacetSideAbove : kFacetSideBelow;
}

// A plane through the centre turned over onto itself by a half turn carries the side
// above a facet onto the side below its hemi partner; one of the two stands for both.
Side Canonical(StellationFacet* facet, bool above) {
  if (above && facet->mHemiPartner) return {facet->mHemiPartner, false};
  return {facet, above};
}

const PolyElement* RepOf(const StellationFacet* facet) {
  return facet->mOwner ? facet->mOwner->mFirstFace : nullptr;
}

// The centroid of the facet's first segment in space.
void FacetCentroid(const StellationFacet* facet, double* out) {
  double c[2];
  facet->mSegments[0]->GetCentroid(c);
  Transform3D toWorld;
  RepOf(facet)->GetFaceToWorld(toWorld, false);
  const double local[3] = {c[0], c[1], 0.0};
  TransformPoint(toWorld, out, local);
}

// The mirror image of a side: the mirror facet, on the other side when the mirror
// facet's type lies turned over.
Side MirrorSide(const Side& side) {
  StellationFacet* mirror = side.facet->mMirror ? side.facet->mMirror : side.facet;
  const bool flip = mirror->mOwner && (mirror->mOwner->mFlags & kFaceTypeFacetWork) != 0;
  return Canonical(mirror, side.above != flip);
}

// Collects the facet sides that bound the cell on the given side of a facet, walking
// across the 3D edges of each side's first segment. False when a needed neighbour is
// missing: the region is unbounded. The side marks stay set for the caller.
bool CollectSides(StellationFacet* start, bool above, std::vector<Side>& sides) {
  sides.clear();
  const Side first = Canonical(start, above);
  sides.push_back(first);
  first.facet->mFlags |= SideBit(first.above);
  for (size_t i = 0; i < sides.size(); ++i) {
    const Side side = sides[i];
    StellationSegment* segment = side.facet->mSegments[0];
    if (!segment || !segment->mFirst) return false;
    double centre[3];
    FacetCentroid(side.facet, centre);
    SegVert* corner = segment->mFirst;
    int steps = 0;
    do {
      if (!(corner->mLine->mFlags & kLineHemiJoin)) {
        // The plane met first when turning from this side's region towards the cell.
        SegVert* adjacent = corner->GetAdjacent(!side.above);
        const PolyElement* plane = corner->GetAdjacentPlane(!side.above);
        if (!adjacent || !adjacent->mSegment || !adjacent->mSegment->mFacet || !plane) return false;
        double d[3];
        Subtract(d, centre, plane->mCentre);
        const Side next = Canonical(adjacent->mSegment->mFacet, Dot(d, plane->mZAxis) > 0.0);
        if (!(next.facet->mFlags & SideBit(next.above))) {
          next.facet->mFlags |= SideBit(next.above);
          sides.push_back(next);
        }
      }
      corner = corner->mNext;
    } while (corner && corner != segment->mFirst && ++steps < kMaxWalkSteps);
  }
  return true;
}

void ClearSideMarks(const std::vector<Side>& sides) {
  for (const Side& side : sides) side.facet->mFlags &= ~(kFacetSideAbove | kFacetSideBelow);
}

StellationCell* CellOnSide(const StellationFacet* facet, bool above) {
  return above ? facet->mCellAbove : facet->mCellBelow;
}

// The cell on a side, together with the partner's other side.
void SetCellOnSide(StellationFacet* facet, bool above, StellationCell* cell) {
  (above ? facet->mCellAbove : facet->mCellBelow) = cell;
  if (StellationFacet* partner = facet->mHemiPartner) {
    (above ? partner->mCellBelow : partner->mCellAbove) = cell;
    if (partner == facet) facet->mFlags |= kFacetSelfCell;
  }
}

// Points the neighbour's entry for the facet (or its hemi partner) at the cell.
void PointNeighbourAt(StellationCell* neighbour, const StellationFacet* facet, StellationCell* cell) {
  for (int i = 0; i < neighbour->mNumFacets; ++i) {
    const StellationFacet* f = neighbour->mFacets[static_cast<size_t>(i)];
    if (f == facet || (facet->mHemiPartner && f == facet->mHemiPartner)) {
      neighbour->mNeighbours[static_cast<size_t>(i)] = cell;
    }
  }
}

int32_t CountCells(const FaceTypeBlock* block) {
  int32_t count = 0;
  for (const StellationCell* c = block->mFirstCell; c; c = c->mNext) ++count;
  return count;
}

class CellBuilder {
 public:
  explicit CellBuilder(FaceTypeBlock* block) : mBlock(block) {
    for (StellationCell* c = block->mFirstCell; c; c = c->mNext) mLast = c;
    mNumCells = CountCells(block);
    for (StellationCellType* t = block->mFirstCellType; t; t = t->mNext) mLastType = t;
  }

  int32_t NumCells() const { return mNumCells; }
  int LastLayer() const { return mLastType ? mLastType->mIndex : -1; }

  // Makes the cell on the given side of the facet (and its mirror image); null when the
  // region is unbounded or the sides are taken.
  StellationCell* MakeCellFromFacet(StellationFacet* facet, bool above, int layer) {
    if (mConflict) return nullptr;
    std::vector<Side> sides;
    const bool bounded = CollectSides(facet, above, sides);
    bool distinctMirror = false;
    if (bounded) {
      for (const Side& side : sides) {
        const Side mirror = MirrorSide(side);
        if (mirror == side) continue;
        distinctMirror = !(mirror.facet->mFlags & SideBit(mirror.above));
        break;
      }
    }
    ClearSideMarks(sides);
    if (!bounded) return nullptr;
    StellationCell* cell = MakePermanentFacetArray(sides, layer, 0);
    if (!cell || !distinctMirror) return cell;
    std::vector<Side> mirrorSides;
    for (const Side& side : sides) {
      const Side mirror = MirrorSide(side);
      if (mirror.facet->mFlags & SideBit(mirror.above)) continue;
      mirror.facet->mFlags |= SideBit(mirror.above);
      mirrorSides.push_back(mirror);
    }
    ClearSideMarks(mirrorSides);
    cell->mFlags |= kCellHasMirror;
    StellationCell* image =
        MakePermanentFacetArray(mirrorSides, layer, (cell->mFlags ^ (kCellHasMirror | kCellIsMirror)));
    if (!image) {
      cell->mFlags &= ~kCellHasMirror;
      mMirrorFailed = true;
    }
    return cell;
  }

  bool MirrorFailed() const { return mMirrorFailed; }
  // A facet side was claimed by two cells: the cells overlap and none made after it can
  // be trusted, so the set-up stops there and says so once.
  bool Conflicted() const { return mConflict; }

  // The outer cell from every facet side that faces no cell; each cell with a lower facet
  // facing it becomes unsupportable.
  StellationCell* MakeOuterCell() {
    std::vector<Side> sides;
    std::vector<StellationFacet*> unsupported;
    for (StellationCell* c = mBlock->mFirstCell; c; c = c->mNext) {
      for (int i = 0; i < c->mNumFacets; ++i) {
        StellationFacet* f = c->mFacets[static_cast<size_t>(i)];
        const bool cellAbove = i < c->mNumLowerFacets;
        const Side other = Canonical(f, !cellAbove);
        if (CellOnSide(other.facet, other.above)) continue;
        if (cellAbove && !(f->mFlags & kFacetHemi)) c->mFlags |= kCellUnsupportable;
        if (other.facet->mFlags & SideBit(other.above)) continue;
        other.facet->mFlags |= SideBit(other.above);
        sides.push_back(other);
      }
    }
    ClearSideMarks(sides);
    StellationCell* outer = MakePermanentFacetArray(sides, LastLayer() + 1, 0);
    return outer;
  }

  StellationCell* MakePermanentFacetArray(const std::vector<Side>& sides, int layer, uint32_t flags) {
    for (const Side& side : sides) {
      const StellationCell* existing = CellOnSide(side.facet, side.above);
      if (!existing) continue;
      if (mConflict) return nullptr;
      mConflict = true;
      // Two cells claim one side of a facet: the diagrams or their links are broken.
      ShowInternalError(side.above ? "MakePermenantFacetArray: Creating cell %d\nFacet %s already has cell above (%d)."
                                   : "MakePermenantFacetArray: Creating cell %d\nFacet %s already has cell below (%d).",
                        mNumCells, side.facet->GetName(), StellationCell::GetIndex(existing));
      return nullptr;
    }
    // The cell is held here until the block takes it; everything it needs is allocated
    // before a facet or a neighbour points at it.
    auto owned = std::make_unique<StellationCell>();
    StellationCell* cell = owned.get();
    cell->mOwner = mBlock;
    cell->mFlags = flags;
    std::vector<Side> ordered;
    ordered.reserve(sides.size());
    for (const Side& side : sides) {
      if (side.above) ordered.push_back(side);
    }
    cell->mNumLowerFacets = static_cast<int32_t>(ordered.size());
    for (const Side& side : sides) {
      if (!side.above) ordered.push_back(side);
    }
    cell->mNumFacets = static_cast<int32_t>(ordered.size());
    cell->mFacets.reserve(ordered.size());
    cell->mNeighbours.reserve(ordered.size());
    cell->mIndex = mNumCells++;
    for (const Side& side : ordered) {
      SetCellOnSide(side.facet, side.above, cell);
      cell->mFacets.push_back(side.facet);
    }
    for (const Side& side : ordered) {
      StellationCell* neighbour = CellOnSide(side.facet, !side.above);
      cell->mNeighbours.push_back(neighbour);
      if (neighbour && neighbour != cell) PointNeighbourAt(neighbour, side.facet, cell);
    }
    Append(owned.release(), layer);
    return cell;
  }

 private:
  void Append(StellationCell* cell, int layer) {
    cell->mPrev = mLast;
    if (mLast) {
      mLast->mNext = cell;
    } else {
      mBlock->mFirstCell = cell;
    }
    mLast = cell;
    while (!mLastType || mLastType->mIndex < layer) {
      auto* type = new StellationCellType;
      type->mIndex = mLastType ? mLastType->mIndex + 1 : 0;
      type->mFirstCell = cell;
      type->mPrev = mLastType;
      if (mLastType) {
        mLastType->mNext = type;
        mLastType->mNumCells = cell->mIndex - mLastType->mFirstCell->mIndex;
      } else {
        mBlock->mFirstCellType = type;
      }
      mLastType = type;
      mBlock->mLastCellType = type;
    }
    cell->mType = mLastType;
    mLastType->mNumCells = cell->mIndex - mLastType->mFirstCell->mIndex + 1;
  }

  FaceTypeBlock* mBlock;
  StellationCell* mLast = nullptr;
  StellationCellType* mLastType = nullptr;
  int32_t mNumCells = 0;
  bool mMirrorFailed = false;
  bool mConflict = false;
};

// The first facet side of the core: for a facet that is its own hemi partner, a facet
// across its first segment's edges that is not.
StellationFacet* CoreFacet(StellationFacet* facet) {
  if (facet->mHemiPartner != facet) return facet;
  SegVert* corner = facet->mSegments[0]->mFirst;
  int steps = 0;
  do {
    StellationFacet* across = corner->mTwin ? corner->mTwin->GetFacet() : nullptr;
    if (across && across->mHemiPartner != across) return across;
    corner = corner->mNext;
  } while (corner && corner != facet->mSegments[0]->mFirst && ++steps < kMaxWalkSteps);
  return facet;
}

// ---- Planes and axes ----------------------------------------------------------------------------

struct Plane {
  double normal[3];
  double offset;
};

// Empty when cancelled.
std::vector<Plane> PlanesOf(const FaceTypeBlock* block) {
  std::vector<Plane> planes;
  const ElementList* list = block->GetPlaneModel();
  if (list) planes.reserve(static_cast<size_t>(std::max(list->mCount, 0)));
  ProgressTicker tick;
  for (const PolyElement* e = list ? list->mHead : nullptr; e; e = e->mNext) {
    if (!tick()) return {};
    if (e->HasFlag(kElementInf)) continue;
    Plane plane;
    CopyVector(plane.normal, e->mZAxis);
    plane.offset = Dot(e->mCentre, e->mZAxis);
    planes.push_back(plane);
  }
  return planes;
}

// A point inside the cell's representative (just off its first facet) and its side of
// every plane.
std::vector<int> SignsOfCell(const StellationCell* cell, const std::vector<Plane>& planes) {
  std::vector<int> signs(planes.size(), 0);
  if (cell->mNumFacets == 0) return signs;
  const StellationFacet* facet = cell->mFacets[0];
  const bool above = cell->mNumLowerFacets > 0;
  const PolyElement* rep = RepOf(facet);
  double p[3];
  FacetCentroid(facet, p);
  double offset[3];
  Scale(offset, rep->mZAxis, above ? kInsideOffset : -kInsideOffset);
  AddTo(p, offset);
  for (size_t j = 0; j < planes.size(); ++j) {
    const double value = Dot(planes[j].normal, p) - planes[j].offset;
    signs[j] = value > 0.0 ? 1 : -1;
  }
  return signs;
}

// Whether the ray t d (t > 0) passes through the cell given by its signs.
bool RayMeetsCell(const double* d, const std::vector<Plane>& planes, const std::vector<int>& signs) {
  double low = 0.0;
  double high = 1e300;
  for (size_t j = 0; j < planes.size(); ++j) {
    const double alpha = signs[j] * Dot(planes[j].normal, d);
    const double beta = signs[j] * planes[j].offset;
    if (std::fabs(alpha) <= kVanishingTolerance) {
      if (beta >= 0.0) return false;
      continue;
    }
    const double t = beta / alpha;
    if (alpha > 0.0) {
      if (t > low) low = t;
    } else if (t < high) {
      high = t;
    }
    if (low >= high - kRayInCellTolerance) return false;
  }
  return low < high - kRayInCellTolerance;
}

// False when cancelled.
bool MarkCellsAboveAxes(FaceTypeBlock* block) {
  const SymGroup* group = block->mOwner ? block->mOwner->mSymGroup : nullptr;
  const std::vector<Plane> planes = PlanesOf(block);
  for (StellationCell* cell = block->mFirstCell; cell && cell != block->mOuterCell; cell = cell->mNext) {
    // A cell reads every plane of the model.
    if (!ProgressTick()) return false;
    cell->mFlags &= ~(kCellSingleCopy | kCellOnAxis | kCellAxisKind0 | kCellAxisKind1);
    const std::vector<int> signs = SignsOfCell(cell, planes);
    bool origin = !planes.empty();
    for (size_t j = 0; j < planes.size() && origin; ++j) origin = signs[j] * -planes[j].offset > 0.0;
    if (origin) {
      cell->mFlags |= kCellSingleCopy;
      continue;
    }
    if (!group) continue;
    bool found = false;
    for (int t = 0; t < group->numAxisTypes && !found; ++t) {
      const SymAxisType& axisType = group->axisTypes[t];
      for (int i = 0; i < axisType.numAxes && !found; ++i) {
        double d[3];
        CopyVector(d, axisType.axes[i].direction);
        bool meets = RayMeetsCell(d, planes, signs);
        if (!meets && !axisType.singleEnded) {
          Negate(d);
          meets = RayMeetsCell(d, planes, signs);
        }
        if (!meets) continue;
        found = true;
        cell->mFlags |= kCellOnAxis;
        if (t == 0) cell->mFlags |= kCellAxisKind0;
        if (t == 1) cell->mFlags |= kCellAxisKind1;
      }
    }
  }
  return ProgressTick();
}

// ---- Original cells -------------------------------------------------------------------------------

// How many times the polygon winds round the point (counter-clockwise positive).
int WindingNumber(const std::vector<double>& polygon, double x, double y) {
  int winding = 0;
  const size_t n = polygon.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    const double ax = polygon[2 * i];
    const double ay = polygon[2 * i + 1];
    const double bx = polygon[2 * ((i + 1) % n)];
    const double by = polygon[2 * ((i + 1) % n) + 1];
    const double side = (bx - ax) * (y - ay) - (x - ax) * (by - ay);
    if (ay <= y) {
      if (by > y && side > 0.0) ++winding;
    } else if (by <= y && side < 0.0) {
      --winding;
    }
  }
  return winding;
}

// The signed number of the original faces in the facet's plane that cover it.
int OriginalCover(const StellationFacet* facet) {
  const PolyElement* rep = RepOf(facet);
  double c[2];
  facet->mSegments[0]->GetCentroid(c);
  Transform3D toFace;
  rep->GetWorldToFace(toFace, false);
  int cover = 0;
  const PolyElement* member = rep;
  int steps = 0;
  do {
    std::vector<double> polygon;
    double points[10];
    for (int i = 0; i < member->mNumSides; ++i) {
      const int n = member->GetPolygon2D(i, toFace, points);
      for (int k = 0; k < n; ++k) {
        polygon.push_back(points[2 * k]);
        polygon.push_back(points[2 * k + 1]);
      }
    }
    if (polygon.size() >= 6) cover += WindingNumber(polygon, c[0], c[1]);
    member = member->mCoplanarNext;
  } while (member && member != rep && ++steps < kMaxWalkSteps);
  return cover;
}

// A cell lies inside the original model when the model's surface winds round it: the
// winding changes by the cover of each facet crossed, from 0 in the outer cell. A surface
// that is not orientable gives no consistent winding; the crossings are then counted
// modulo 2.
void IdentifyOriginalCells(FaceTypeBlock* block) {
  std::unordered_map<const StellationFacet*, int> cover;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster || !type->mFirstFace) continue;
    for (StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
      f->mFlags &= ~(kFacetOriginal | kFacetRegionTop | kFacetRegionBottom);
      const int c = OriginalCover(f);
      cover[f] = c;
      if (c != 0) f->mFlags |= kFacetOriginal;
    }
  }
  const int32_t numCells = block->mOuterCell ? block->mOuterCell->mIndex + 1 : 0;
  std::vector<StellationCell*> byIndex(static_cast<size_t>(numCells), nullptr);
  for (StellationCell* c = block->mFirstCell; c; c = c->mNext) {
    if (c->mIndex >= 0 && c->mIndex < numCells) byIndex[static_cast<size_t>(c->mIndex)] = c;
  }
  std::vector<int> winding;
  bool parity = false;
  for (int pass = 0; pass < 2; ++pass) {
    parity = pass == 1;
    winding.assign(static_cast<size_t>(numCells), INT32_MIN);
    std::vector<StellationCell*> queue = {block->mOuterCell};
    winding[static_cast<size_t>(block->mOuterCell->mIndex)] = 0;
    bool consistent = true;
    for (size_t q = 0; q < queue.size() && consistent; ++q) {
      StellationCell* x = queue[q];
      const int wx = winding[static_cast<size_t>(x->mIndex)];
      for (int i = 0; i < x->mNumFacets; ++i) {
        StellationCell* y = x->mNeighbours[static_cast<size_t>(i)];
        if (!y || y == x) continue;
        const int c = cover[x->mFacets[static_cast<size_t>(i)]];
        int wy = i < x->mNumLowerFacets ? wx + c : wx - c;
        if (parity) wy = (wy % 2 + 2) % 2;
        int& known = winding[static_cast<size_t>(y->mIndex)];
        if (known == INT32_MIN) {
          known = wy;
          queue.push_back(y);
        } else if (known != wy) {
          consistent = false;
          break;
        }
      }
    }
    if (consistent) break;
  }
  for (StellationCell* c = block->mFirstCell; c && c != block->mOuterCell; c = c->mNext) {
    const int w = winding[static_cast<size_t>(c->mIndex)];
    if (w != 0 && w != INT32_MIN) {
      c->mFlags |= kCellOriginal;
    } else {
      c->mFlags &= ~kCellOriginal;
    }
  }
  for (const auto& entry : cover) {
    StellationFacet* f = const_cast<StellationFacet*>(entry.first);
    const bool below = f->mCellBelow && (f->mCellBelow->mFlags & kCellOriginal);
    const bool above = f->mCellAbove && (f->mCellAbove->mFlags & kCellOriginal);
    if (below && !above) f->mFlags |= kFacetRegionTop;
    if (above && !below) f->mFlags |= kFacetRegionBottom;
  }
}

// The corners on the original model's edges, from every part of the plane model; false
// when cancelled.
bool MarkAllOriginalEdges(FaceTypeBlock* block) {
  ElementList* list = block->GetPlaneModel();
  if (!list) return true;
  DiagramFrameFaces frames(static_cast<size_t>(std::max(list->mCount, 0)));
  // A walk from each face not yet reached: faces of one plane are parts of their own.
  ProgressTicker tick;
  bool goOn = true;
  for (PolyElement* e = list->mHead; e && goOn; e = e->mNext) {
    if (!e->HasFlag(kElementVisitMark) && !e->HasFlag(kElementInf)) {
      MarkOriginalEdges(e, kSegVertOriginalEdge, frames);
      goOn = tick();
    }
  }
  for (PolyElement* e = list->mHead; e; e = e->mNext) e->mFlags &= ~kElementVisitMark;
  return goOn;
}

}  // namespace detail_StellationCells

// ---- Cell set-up ------------------------------------------------------------------------------------

namespace detail_StellationCells {

// The core cells: below the facets round the centre of the first face type (above them
// too for a plane through the centre, and then through the following such types).
// False when no face type has facets.
bool MakeCoreCells(FaceTypeBlock* block, CellBuilder& builder) {
  FaceType* first = block->mFirstFaceType;
  while (first && (first->mCoplanarMaster || !first->mAllFacets)) first = first->mNext;
  if (!first) return false;
  const bool hemiCore = (first->mAllFacets->mFlags & kFacetHemi) != 0;
  for (FaceType* type = first; type; type = type->mNext) {
    if (type != first && (!hemiCore || !type->mAllFacets || !(type->mAllFacets->mFlags & kFacetHemi))) break;
    if (type->mCoplanarMaster) continue;
    for (StellationFacet* f = type->mAllFacets; f && f->mLayer == 0; f = f->mNext) {
      StellationFacet* facet = CoreFacet(f);
      if (!facet->mCellBelow) builder.MakeCellFromFacet(facet, false, 0);
      if (hemiCore && !facet->mCellAbove && facet->mHemiPartner != facet) builder.MakeCellFromFacet(facet, true, 0);
    }
  }
  return true;
}

// Facets that no cell reached: cells next to the first of them (and the following
// facets of its layer) start the next layer; the first of them, null when every facet
// is reached.
StellationCell* StartNextLayer(FaceTypeBlock* block, CellBuilder& builder) {
  StellationCell* from = nullptr;
  for (FaceType* type = block->mFirstFaceType; type && !from; type = type->mNext) {
    if (type->mCoplanarMaster) continue;
    for (StellationFacet* f = type->mAllFacets; f && !from; f = f->mNext) {
      if (f->mCellBelow || f->mCellAbove || (f->mFlags & kFacetCollected)) continue;
      const int layer = builder.LastLayer() + 1;
      for (StellationFacet* g = f; g && g->mLayer == f->mLayer; g = g->mNext) {
        if (g->mCellBelow || g->mCellAbove) continue;
        StellationCell* made = builder.MakeCellFromFacet(g, false, layer);
        if (!made) made = builder.MakeCellFromFacet(g, true, layer);
        if (made && !from) from = made;
      }
      // No bounded region on either side: the facet lies between unbounded regions.
      if (!from) f->mFlags |= kFacetCollected;
    }
  }
  return from;
}

}  // namespace detail_StellationCells

bool FaceTypeBlock::CreateCells(Outcome* why) {
  using namespace detail_StellationCells;
  StellationOf(this);
  FreeCells();
  if (!UpdateProgress(0.0, "Setting hemi-self pointers.")) return false;
  SetHemiSelfPointers(this);

  CellBuilder builder(this);
  if (!MakeCoreCells(this, builder)) return false;

  // Breadth first: above each cell's upper facets, then below its lower facets.
  // Planes that leave the centre open make no core: the walk then starts from the first
  // facet left without a cell.
  int processed = 0;
  StellationCell* from = mFirstCell;
  for (bool first = true; !builder.Conflicted() && (from || first); first = false) {
    for (StellationCell* cell = from; cell; cell = cell->mNext) {
      const int layer = cell->mType ? cell->mType->mIndex + 1 : 1;
      // Each side from the last collected to the first.
      for (int i = cell->mNumFacets - 1; i >= cell->mNumLowerFacets; --i) {
        StellationFacet* f = cell->mFacets[static_cast<size_t>(i)];
        if (!f->mCellAbove) builder.MakeCellFromFacet(f, true, layer);
      }
      for (int i = cell->mNumLowerFacets - 1; i >= 0; --i) {
        StellationFacet* f = cell->mFacets[static_cast<size_t>(i)];
        if (!f->mCellBelow) builder.MakeCellFromFacet(f, false, layer);
      }
      if (++processed % kCellsPerReport == 0 &&
          !UpdateProgress(0.1, "Creating 3D cells type %d.", builder.NumCells())) {
        return false;
      }
    }
    if (builder.Conflicted()) break;
    from = StartNextLayer(this, builder);
  }
  for (FaceType* type = mFirstFaceType; type; type = type->mNext) {
    for (StellationFacet* f = type->mCoplanarMaster ? nullptr : type->mAllFacets; f; f = f->mNext) {
      f->mFlags &= ~kFacetCollected;
    }
  }
  // Overlapping cells were reported where they were found.
  if (builder.Conflicted()) return false;
  if (builder.MirrorFailed() || !mFirstCell) {
    if (why) *why = Outcome::Refused(kCellsDoNotClose);
    return false;
  }

  if (!UpdateProgress(0.8, "Creating outer infinite cell.")) return false;
  mOuterCell = builder.MakeOuterCell();
  if (!mOuterCell) {
    if (why) *why = Outcome::Refused(kCellsDoNotClose);
    return false;
  }
  // Every facet has a cell on both sides; a side not reached is outside.
  for (FaceType* type = mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster) continue;
    for (StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
      if (!f->mCellAbove) f->mCellAbove = mOuterCell;
      if (!f->mCellBelow) f->mCellBelow = mOuterCell;
    }
  }

  if (!UpdateProgress(0.9, "Identify cells above symmetry axes.") || !MarkCellsAboveAxes(this)) return false;
  if (!UpdateProgress(0.9, "Identify original cells.")) return false;
  IdentifyOriginalCells(this);
  if (!UpdateProgress(0.95, "Marking the original edges.") || !MarkAllOriginalEdges(this)) return false;

  // The original model is shown, quietly: the set-up records no undo step.
  mQuietCellChanges = true;
  ApplyCellFlags();
  mQuietCellChanges = false;
  mChangedCells = 0;
  return true;
}

void FaceTypeBlock::FreeCells() {
  StellationCell* cell = mFirstCell;
  while (cell) {
    StellationCell* next = cell->mNext;
    delete cell;
    cell = next;
  }
  StellationCellType* type = mFirstCellType;
  while (type) {
    StellationCellType* next = type->mNext;
    delete type;
    type = next;
  }
  mFirstCell = mOuterCell = nullptr;
  mFirstCellType = mLastCellType = nullptr;
  mCurrentCell = mHighestIncluded = mSelectedCell = nullptr;
  mIncludedCells = mSecondCellCount = mChangedCells = 0;
  for (FaceType* t = mFirstFaceType; t; t = t->mNext) {
    if (t->mCoplanarMaster) {
      t->mVisibleFacets = nullptr;
      continue;
    }
    for (StellationFacet* f = t->mAllFacets; f; f = f->mNext) {
      f->mCellBelow = f->mCellAbove = nullptr;
      f->mFlags &= ~(kFacetVisible | kFacetFacesDown | kFacetBothSides | kFacetHidden | kFacetSelfCell);
      f->mNextVisible = nullptr;
    }
    t->mVisibleFacets = nullptr;
  }
}

// ---- Hemi partners and mirror facets ------------------------------------------------------------------

namespace detail_StellationCells {

// The plane element that the matrix carries the representative onto; opposite is set
// when it faces the other way.
PolyElement* ImageOfRepresentative(const FaceTypeBlock* block, const PolyElement* rep, const double* m,
                                   bool* opposite) {
  double centre[3];
  double normal[3];
  MatrixTimesVector(m, centre, rep->mCentre);
  MatrixTimesVector(m, normal, rep->mZAxis);
  const ElementList* list = block->GetPlaneModel();
  for (PolyElement* e = list ? list->mHead : nullptr; e; e = e->mNext) {
    if (!e->mType || e->HasFlag(kElementInf)) continue;
    if (!NearlyEqual(e->mCentre, centre, kAxisTolerance)) continue;
    if (NearlyEqual(e->mZAxis, normal, kAxisTolerance)) {
      *opposite = false;
      return e;
    }
    if (NearlyOpposite(e->mZAxis, normal, kAxisTolerance)) {
      *opposite = true;
      return e;
    }
  }
  return nullptr;
}

// The half turn (in m) about an even axis lying in the plane of the type's
// representative, a plane through the centre that the turn carries onto itself.
bool HemiTurn(const SymGroup* group, const FaceType* type, double* m) {
  const PolyElement* rep = type->mFirstFace;
  if (!group || !rep || !rep->HasFlag(kElementHemi)) return false;
  const SymAxis* axis = group->FindEvenAxisInPlane(rep->mZAxis, nullptr);
  if (!axis) return false;
  SymmetryRotationMatrix(m, axis->direction, 1, 2);
  return true;
}

// The plane element that the group's improper operation (in m) carries the type's
// representative onto, and in *target the type whose diagram it reads; null for a type
// paired across its own mirror line or a block that is not reflexible.
PolyElement* ImproperImage(const FaceTypeBlock* block, const FaceType* type, double* m, bool* opposite,
                           FaceType** target) {
  const SymGroup* group = block->mOwner ? block->mOwner->mSymGroup : nullptr;
  if (!group || !type->mFirstFace || !block->IsReflexible() || (type->mFlags & kFaceTypeSelfMirror)) return nullptr;
  for (int k = 0; k < 9; ++k) m[k] = k % 4 == 0 ? 1.0 : 0.0;
  group->GetReflectionMatrix(m);
  PolyElement* image = ImageOfRepresentative(block, type->mFirstFace, m, opposite);
  *target = image ? image->mType : nullptr;
  if (*target && (*target)->mCoplanarMaster) *target = (*target)->mCoplanarMaster;
  return *target ? image : nullptr;
}

// The segment of the locator's diagram that holds the image under m of a segment of the
// representative's diagram, seen in the frame of image; null where none does.
StellationSegment* ImageSegment(const SegmentLocator& locator, const PolyElement* rep, const PolyElement* image,
                                const double* m, const StellationSegment* s) {
  double c[2];
  double mapped[3];
  s->GetCentroid(c);
  MapFramePoint(rep, m, image, c[0], c[1], mapped);
  return locator.Find(mapped[0], mapped[1]);
}

// Whether the image of every segment of the type's diagram is a segment of the target's.
bool SegmentImagesFound(FaceType* type, const PolyElement* image, const double* m, FaceType* target) {
  const SegmentLocator locator(target);
  for (StellationSegment* s = type->mFirstSegment; s; s = s->mNext) {
    if (!ImageSegment(locator, type->mFirstFace, image, m, s)) return false;
  }
  return true;
}

}  // namespace detail_StellationCells

bool MirrorDiagramsAgree(FaceTypeBlock* block, Outcome* why) {
  using namespace detail_StellationCells;
  const SymGroup* group = block && block->mOwner ? block->mOwner->mSymGroup : nullptr;
  if (!group) return true;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    if (type->mCoplanarMaster || !type->mFirstSegment) continue;
    double m[9];
    bool agree = !HemiTurn(group, type, m) || SegmentImagesFound(type, type->mFirstFace, m, type);
    bool opposite = false;
    FaceType* target = nullptr;
    const PolyElement* image = agree ? ImproperImage(block, type, m, &opposite, &target) : nullptr;
    if (image && target->mFirstSegment) agree = SegmentImagesFound(type, image, m, target);
    if (!agree) {
      if (why) *why = Outcome::Refused(CrossingsDisagree(type));
      return false;
    }
  }
  return true;
}

void SetHemiSelfPointers(FaceTypeBlock* block) {
  using namespace detail_StellationCells;
  const SymGroup* group = block && block->mOwner ? block->mOwner->mSymGroup : nullptr;
  for (FaceType* type = block ? block->mFirstFaceType : nullptr; type; type = type->mNext) {
    if (type->mCoplanarMaster) continue;
    type->mFlags &= ~kFaceTypeFacetWork;
    for (StellationFacet* f = type->mAllFacets; f; f = f->mNext) f->mHemiPartner = nullptr;
  }
  if (!group) return;
  for (FaceType* type = block->mFirstFaceType; type; type = type->mNext) {
    PolyElement* rep = type->mFirstFace;
    if (type->mCoplanarMaster || !rep || !type->mAllFacets) continue;
    // A plane through the centre that a half turn about an axis in it turns over: the
    // two sides of each facet are those of its image.
    if (double m[9]; HemiTurn(group, type, m)) {
      const SegmentLocator locator(type);
      for (StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
        StellationSegment* segment = ImageSegment(locator, rep, rep, m, f->mSegments[0]);
        StellationFacet* partner = segment ? segment->mFacet : nullptr;
        if (!partner) {
          ShowInternalError("mirrorFacet == NULL, type %d", FaceType::GetNumber(type));
          break;
        }
        if (!f->mHemiPartner && !partner->mHemiPartner) {
          f->mHemiPartner = partner;
          partner->mHemiPartner = f;
        }
      }
    }
    // The mirror images of the facets, through the group's improper operation, for a
    // type whose facets the reflection across its in-plane mirror line did not pair:
    // that reflection keeps the sides of a facet, where the improper operation may turn
    // them over, and one type's pairs must not mix the two.
    double improper[9];
    bool opposite = false;
    FaceType* target = nullptr;
    PolyElement* image = ImproperImage(block, type, improper, &opposite, &target);
    if (!image || !target->mAllFacets) continue;
    if (opposite) {
      type->mFlags |= kFaceTypeFacetWork;
      target->mFlags |= kFaceTypeFacetWork;
    }
    const SegmentLocator locator(target);
    for (StellationFacet* f = type->mAllFacets; f; f = f->mNext) {
      if (f->mMirror != f) continue;
      StellationSegment* segment = ImageSegment(locator, rep, image, improper, f->mSegments[0]);
      StellationFacet* mirror = segment ? segment->mFacet : nullptr;
      if (!mirror) {
        ShowInternalError("mirrorFacet == NULL, type %d", FaceType::GetNumber(type));
        break;
      }
      if (mirror != f && mirror->mMirror == mirror) f->SetMirrorPartner(mirror);
    }
  }
}

// ---- Inclusion ---------------------------------------------------------------------------------------

bool StellationCell::IsOuter() const {
  return mOwner && mOwner->mOuterCell == this;
}

int StellationCell::GetIndexInType(const StellationCell* cell) {
  if (!cell || !cell->mType || !cell->mType->mFirstCell) return -1;
  return cell->mIndex - cell->mType->mFirstCell->mIndex;
}

int StellationCell::GetNumCopies() const {
  if (mFlags & kCellSingleCopy) return 1;
  if (IsOuter()) return 0;
  const SymGroup* group = mOwner && mOwner->mOwner ? mOwner->mOwner->mSymGroup : nullptr;
  const int order = group && group->numRotations > 0 ? group->numRotations : 1;
  if (!(mFlags & kCellOnAxis) || !group) return order;
  const int kind = (mFlags & kCellAxisKind0) ? 0 : ((mFlags & kCellAxisKind1) ? 1 : 2);
  if (kind >= group->numAxisTypes) return order;
  const int fold = std::abs(group->axisTypes[kind].fold);
  return fold > 0 ? order / fold : order;
}

StellationCell* GetSurfaceCell(const StellationFacet* facet) {
  if (!facet) return nullptr;
  const bool above = facet->mCellAbove && facet->mCellAbove->IsIncluded();
  const bool below = facet->mCellBelow && facet->mCellBelow->IsIncluded();
  if (above == below) return nullptr;
  return above ? facet->mCellAbove : facet->mCellBelow;
}

StellationCell* StellationCell::GetMirrorPartner() const {
  if ((mFlags & kCellHasMirror) && mNext) return mNext;
  if ((mFlags & kCellIsMirror) && mPrev) return mPrev;
  return const_cast<StellationCell*>(this);
}

const char* StellationCell::GetName(const StellationCell* cell) {
  if (!cell) return "NULL";
  char* buffer = NextStellationNameBuffer();
  if (cell->mIndex < 0) {
    std::snprintf(buffer, kStellationNameSize, "%d-?", cell->mType ? cell->mType->mIndex + 1 : 0);
  } else {
    std::snprintf(buffer, kStellationNameSize, "%d-%d", cell->mType ? cell->mType->mIndex + 1 : 0, cell->mIndex);
  }
  return buffer;
}

void StellationCell::SetIncluded(StellationCell* cell, bool on) {
  if (!cell || cell->IsOuter() || cell->IsIncluded() == on) return;
  cell->SetIncludedInner(on);
  cell->mOwner->mCriteriaFlag = 0;
}

void StellationCell::SetIncludedInner(bool on) {
  FaceTypeBlock* block = mOwner;
  if (on) {
    mFlags |= kCellIncluded;
  } else {
    mFlags &= ~kCellIncluded;
  }
  for (int i = 0; i < mNumFacets; ++i) {
    StellationFacet* f = mFacets[static_cast<size_t>(i)];
    const StellationCell* neighbour = mNeighbours[static_cast<size_t>(i)];
    const bool lower = i < mNumLowerFacets;
    if (f->mFlags & kFacetSelfCell) {
      if (on) {
        f->SetVisible(false);
        f->mFlags |= kFacetHidden;
      } else {
        f->mFlags &= ~kFacetHidden;
      }
      continue;
    }
    const bool neighbourIncluded = neighbour && neighbour->IsIncluded();
    bool visible = false;
    bool facesDown = false;
    if (on) {
      visible = !neighbourIncluded;
      facesDown = lower;
    } else {
      visible = neighbourIncluded;
      facesDown = !lower;
    }
    f->SetVisible(visible);
    if (visible) {
      f->mFlags = facesDown ? (f->mFlags | kFacetFacesDown) : (f->mFlags & ~kFacetFacesDown);
    } else if (on) {
      f->mFlags |= kFacetHidden;
    }
    // The hemi partner shows the same surface turned over.
    if (StellationFacet* partner = f->mHemiPartner; partner && partner != f) {
      partner->SetVisible(visible);
      if (visible) {
        partner->mFlags = facesDown ? (partner->mFlags & ~kFacetFacesDown) : (partner->mFlags | kFacetFacesDown);
      } else if (on) {
        partner->mFlags |= kFacetHidden;
      }
    }
  }

  block->mIncludedCells += on ? 1 : -1;
  if (on) {
    if (!block->mHighestIncluded || mIndex > block->mHighestIncluded->mIndex) block->mHighestIncluded = this;
  } else if (block->mHighestIncluded == this) {
    block->mHighestIncluded = nullptr;
    for (StellationCell* c = mPrev; c; c = c->mPrev) {
      if (c->IsIncluded()) {
        block->mHighestIncluded = c;
        break;
      }
    }
  }
  StellationCell* partner = GetMirrorPartner();
  if (partner != this) {
    if (on) {
      block->mSecondCellCount += partner->IsIncluded() ? -1 : 1;
    } else {
      block->mSecondCellCount += partner->IsIncluded() ? 1 : -1;
    }
  }
  block->mChangedCells += (on != ((mFlags & kCellOriginal) != 0)) ? 1 : -1;

  if ((StellationOptions & kStellationMaintainReflexibility) && partner != this && partner->IsIncluded() != on) {
    partner->SetIncludedInner(on);
  }

  if (!block->mCellSearch) block->ForgetFacetModel();
  if (block->mQuietCellChanges) return;
  AddStellationCellUndo(this, on);
  TellCellsChanged(block);
}

void FaceTypeBlock::ForgetFacetModel() {
  mModel3D.reset();
  mModel3DRefused = 0;
  mModel3DCancelled = 0;
  mModel3DRefusal.clear();
  mModelRadius = -1.0;
  mUsedSegVerts = -1;
}

void TellCellsChanged(FaceTypeBlock* block) {
  platform::ViewNotifier* views = platform::Services().views;
  views->FitViewsOfKind(kViewKindFitOnStellation);
  if (AutoFrameStellation) {
    views->SetFitModeOfType(block->IsDual() ? kPaneStellationOfDual : kPaneStellationOfBase, 1);
    views->SetFitModeOfType(kPaneFaceOfStellation, 1);
  }
  views->InvalidateInfo(kInfoReasonStellation);
}

bool StellationCell::IsSupported() const {
  for (int i = 0; i < mNumLowerFacets; ++i) {
    const StellationFacet* f = mFacets[static_cast<size_t>(i)];
    if (f->mFlags & kFacetHemi) continue;
    const StellationCell* below = mNeighbours[static_cast<size_t>(i)];
    if (!below || !below->IsIncluded()) return false;
  }
  return true;
}

bool StellationCell::HasIncludedAbove() const {
  for (int i = mNumLowerFacets; i < mNumFacets; ++i) {
    const StellationFacet* f = mFacets[static_cast<size_t>(i)];
    if (f->mFlags & kFacetHemi) continue;
    const StellationCell* above = mNeighbours[static_cast<size_t>(i)];
    if (above && above->IsIncluded()) return true;
  }
  return false;
}

bool StellationCell::IncludeWithSupport() {
  // A cell's support lies below it, so the chain is never longer than the cell list.
  return IncludeWithSupportWithin(mOwner ? mOwner->GetNumCells() + 1 : 1);
}

bool StellationCell::IncludeWithSupportWithin(int depth) {
  if (IsOuter() || depth <= 0) return false;
  for (int i = 0; i < mNumLowerFacets; ++i) {
    if (mFacets[static_cast<size_t>(i)]->mFlags & kFacetHemi) continue;
    StellationCell* below = mNeighbours[static_cast<size_t>(i)];
    if (below && below->IsIncluded()) continue;
    if (!below || !below->IncludeWithSupportWithin(depth - 1)) {
      StellationCell::SetIncluded(this, false);
      return false;
    }
  }
  StellationCell::SetIncluded(this, true);
  return true;
}

void FaceTypeBlock::KeepConnectedPart(StellationCell* start) {
  if (!start || !start->IsIncluded()) return;
  ClearCellFlag(kCellVisited);
  FloodFill(this, start, true);
  // A part and its mirror image side by side: both halves stay.
  bool halves = mSecondCellCount == 0 && mIncludedCells > 0 && mIncludedCells % 2 == 0;
  for (StellationCell* c = mFirstCell; c && halves; c = c->mNext) {
    if (!c->IsIncluded()) continue;
    const StellationCell* partner = c->GetMirrorPartner();
    halves = partner != c && ((c->mFlags & kCellVisited) != 0) != ((partner->mFlags & kCellVisited) != 0);
  }
  std::vector<StellationCell*> apart;
  if (!halves) {
    for (StellationCell* c = mFirstCell; c; c = c->mNext) {
      if (c->IsIncluded() && !(c->mFlags & kCellVisited)) apart.push_back(c);
    }
  }
  ClearCellFlag(kCellVisited);
  if (halves) {
    if (!mMillerState) mMillerState = MakePart<MillerState>();
    mMillerState->mirrorHalf = true;
  }
  for (StellationCell* c : apart) StellationCell::SetIncluded(c, false);
}

// ---- Whole selections ------------------------------------------------------------------------------------

void FaceTypeBlock::ApplyCellFlags() {
  for (StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    StellationCell::SetIncluded(c, (c->mFlags & kCellOriginal) != 0);
  }
}

void FaceTypeBlock::IncludeAllCells(bool reapply) {
  for (StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    StellationCell::SetIncluded(c, true);
    // The highest cell is the apex of the final stellation.
    mCurrentCell = c;
  }
  if (reapply) ApplyCriteria();
}

void FaceTypeBlock::SelectCellsOfKind(int kind) {
  const uint32_t mask = kCellOnAxis | kCellAxisKind0 | kCellAxisKind1;
  const uint32_t wanted =
      kind == 0 ? (kCellOnAxis | kCellAxisKind0) : (kind == 1 ? (kCellOnAxis | kCellAxisKind1) : kCellOnAxis);
  AddStellationUndo(this);
  for (StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    StellationCell::SetIncluded(c, (c->mFlags & mask) == wanted);
  }
  CloseStellationUndo();
}

void FaceTypeBlock::SelectUnsupportableCells() {
  AddStellationUndo(this);
  for (StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    StellationCell::SetIncluded(c, (c->mFlags & kCellUnsupportable) != 0);
  }
  CloseStellationUndo();
}

void FloodFill(FaceTypeBlock* block, StellationCell* start, bool included) {
  if (!block || !start || (start->mFlags & kCellVisited) || start->IsIncluded() != included) return;
  int maxCells = included ? block->mIncludedCells : block->CountExcludedCells() + 1;
  if (maxCells < 1) maxCells = 1;
  std::vector<StellationCell*> queue;
  queue.reserve(static_cast<size_t>(maxCells));
  start->mFlags |= kCellVisited;
  queue.push_back(start);
  for (size_t q = 0; q < queue.size(); ++q) {
    StellationCell* cell = queue[q];
    for (int i = 0; i < cell->mNumFacets; ++i) {
      StellationCell* next = cell->mNeighbours[static_cast<size_t>(i)];
      if (!next || (next->mFlags & kCellVisited) || next->IsIncluded() != included) continue;
      if (static_cast<int>(queue.size()) >= maxCells) {
        ShowInternalError("FloodFill: freePos >= maxCells (%d)", maxCells);
        break;
      }
      next->mFlags |= kCellVisited;
      queue.push_back(next);
    }
  }
}

bool FaceTypeBlock::FillFromOriginal() {
  StellationCell* first = nullptr;
  for (StellationCell* c = mFirstCell; c && !first; c = c->mNext) {
    if (c->IsIncluded()) first = c;
  }
  if (!first) return false;
  ClearCellFlag(kCellVisited);
  FloodFill(this, first, true);
  bool all = true;
  for (StellationCell* c = mFirstCell; c; c = c->mNext) {
    if (c->IsIncluded() && !(c->mFlags & kCellVisited)) all = false;
  }
  ClearCellFlag(kCellVisited);
  return all;
}

bool FaceTypeBlock::FillFromOutside() {
  if (!mOuterCell) return true;
  ClearCellFlag(kCellVisited);
  FloodFill(this, mOuterCell, false);
  bool all = true;
  for (StellationCell* c = mFirstCell; c; c = c->mNext) {
    if (!c->IsIncluded() && !(c->mFlags & kCellVisited)) all = false;
  }
  ClearCellFlag(kCellVisited);
  return all;
}

bool FaceTypeBlock::FillInaccessibleCells() {
  if (!mOuterCell) return false;
  ClearCellFlag(kCellVisited);
  FloodFill(this, mOuterCell, false);
  std::vector<StellationCell*> enclosed;
  for (StellationCell* c = mFirstCell; c; c = c->mNext) {
    if (!c->IsIncluded() && !(c->mFlags & kCellVisited)) enclosed.push_back(c);
  }
  ClearCellFlag(kCellVisited);
  for (StellationCell* c : enclosed) StellationCell::SetIncluded(c, true);
  return !enclosed.empty();
}

void IncludeMirrorPartners(FaceTypeBlock* block) {
  if (!block) return;
  std::vector<StellationCell*> images;
  for (StellationCell* c = block->mFirstCell; c; c = c->mNext) {
    if (c->IsIncluded() && c->GetMirrorPartner() != c) images.push_back(c->GetMirrorPartner());
  }
  for (StellationCell* c : images) StellationCell::SetIncluded(c, true);
  platform::Services().views->RedrawAllViews(false);
}

// ---- Counters (FaceTypeBlock) -------------------------------------------------------------------------

int FaceTypeBlock::GetNumCells() const {
  return mOuterCell ? mOuterCell->mIndex : 0;
}

int FaceTypeBlock::CountCellsNoMirror() const {
  int count = 0;
  for (const StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    if (!(c->mFlags & kCellIsMirror)) ++count;
  }
  return count;
}

int FaceTypeBlock::CountCellsNoMirrorIfReflexible() const {
  if (!IsReflexible()) return 0;
  int count = 0;
  for (const StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    if (!(c->mFlags & (kCellHasMirror | kCellIsMirror))) ++count;
  }
  return count;
}

int FaceTypeBlock::CountAllCells() const {
  int count = 0;
  for (const StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) count += c->GetNumCopies();
  return count;
}

int FaceTypeBlock::CountAllCellsNoMirror() const {
  if (!IsReflexible()) return 0;
  int count = 0;
  for (const StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    if (!(c->mFlags & (kCellHasMirror | kCellIsMirror))) count += c->GetNumCopies();
  }
  return count;
}

int FaceTypeBlock::CountExcludedCells() const {
  int count = 0;
  for (const StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    if (!c->IsIncluded()) ++count;
  }
  return count;
}

int FaceTypeBlock::CountIncludedCellCopies() const {
  int count = 0;
  for (const StellationCell* c = mFirstCell; c && c != mOuterCell; c = c->mNext) {
    if (c->IsIncluded()) count += c->GetNumCopies();
  }
  return count;
}

int FaceTypeBlock::GetMaxCellsPerType() const {
  int largest = 0;
  for (const StellationCellType* t = mFirstCellType; t && t != mLastCellType; t = t->mNext) {
    if (t->mNumCells > largest) largest = t->mNumCells;
  }
  return largest;
}

int FaceTypeBlock::GetLastCellTypeIndex() const {
  return mLastCellType ? mLastCellType->mIndex : 0;
}

StellationCell* FaceTypeBlock::FindCellByIndex(int i) const {
  for (StellationCell* c = mFirstCell; c; c = c->mNext) {
    if (StellationCell::GetIndex(c) == i) return c;
  }
  return nullptr;
}

void FaceTypeBlock::SaveInclusionToFlag(uint32_t bits) {
  for (StellationCell* c = mFirstCell; c; c = c->mNext) {
    c->mFlags = c->IsIncluded() ? (c->mFlags | bits) : (c->mFlags & ~bits);
  }
}

bool FaceTypeBlock::InclusionMatchesFlag(uint32_t bits) const {
  for (const StellationCell* c = mFirstCell; c; c = c->mNext) {
    if (c->IsIncluded() != ((c->mFlags & bits) != 0)) return false;
  }
  return true;
}

void FaceTypeBlock::ClearCellFlag(uint32_t bits) {
  for (StellationCell* c = mFirstCell; c; c = c->mNext) c->mFlags &= ~bits;
}

// ---- The block's stellation record ------------------------------------------------------------

void BlockStellation::StellationReset(FaceTypeBlock& block) { block.FreeCells(); }

void BlockStellation::CellArraysCleared(FaceTypeBlock& block) { block.ClearCellFlag(kCellArrayMark); }

void BlockStellation::BlockGoing(FaceTypeBlock& block) { ForgetDeferredModelWork(&block); }

BlockStellation* StellationOf(FaceTypeBlock* block) {
  if (!block) return nullptr;
  if (!block->mStellation) block->mStellation = MakePart<BlockStellation>();
  return block->mStellation.get();
}

// ---- Settings --------------------------------------------------------------------------------------------

namespace detail_StellationCells {
void ClearCriteriaOfCurrentModel() {
  Poly* poly = GetCurrentPoly();
  if (!poly) return;
  for (FaceTypeBlock* block : {poly->mBaseBlock.get(), poly->mDualBlock.get()}) {
    if (!block) continue;
    block->mCriteriaFlag = 0;
    block->FreeCellArrays();
  }
}
}  // namespace detail_StellationCells

void SetStellationCriteria(int32_t value) {
  if (value == StellationCriteria) return;
  StellationCriteria = value;
  detail_StellationCells::ClearCriteriaOfCurrentModel();
}

void SetStellationOptions(uint32_t bits, bool fromFile) {
  if (bits == StellationOptions) return;
  const uint32_t changed = bits ^ StellationOptions;
  if (!fromFile && (changed & kStellationMaintainReflexibility)) {
    ResetAllFacetings();
    Poly* poly = GetCurrentPoly();
    if ((bits & kStellationMaintainReflexibility) && poly) {
      IncludeMirrorPartners(poly->mBaseBlock.get());
      IncludeMirrorPartners(poly->mDualBlock.get());
    }
    if (poly) {
      poly->mModelChanged = 1;
      poly->mFacetPreviewDirty = true;
    }
    platform::Services().views->InvalidateViewsOfKind(0xC05, 0);
    platform::Services().views->InvalidateViewsOfKind(0x840C, 0);
  }
  StellationOptions = bits;
  if (!fromFile) detail_StellationCells::ClearCriteriaOfCurrentModel();
}

void ToggleStellationOptions(uint32_t bits) {
  SetStellationOptions(StellationOptions ^ bits, false);
}

// ---- Undo ----------------------------------------------------------------------------------------------------

void AddStellationUndo(FaceTypeBlock* block) {
  platform::Services().undo->AddUndo(block && block->IsDual() ? kUndoDualStellationChange : kUndoStellationChange, 0);
}

void AddStellationCellUndo(StellationCell* cell, bool included) {
  if (cell) platform::Services().undo->AddStellationCellUndo(cell->mIndex, included);
}

void CloseStellationUndo() {
  platform::Services().undo->CloseUndo();
}

}  // namespace corvia
