// Preparation of a faceting: the edges (one per orbit of vertex pairs), the planes
// (one per orbit of planes through three or more vertices, with their vertices grouped
// by the plane's symmetry), the candidate facets of each plane with their edge
// multiplicities, areas, orders and mirror partners, and the hull labels.

#include <cmath>
#include <cstdint>
#include <map>
#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/IntMath.h"
#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/TimeSpan.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/ElementFlags.h"
#include "model/FaceType.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Memory.h"
#include "stellation/Faceting.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_FacetingPrepare {

constexpr int kPlaneProgressTriples = 20;
constexpr const char* kFacesCaption =
    "Faceting preparation: finding possible faces\n%d faces so far, processing plane %d/%d (%d vertices)";
constexpr int kPolygonsPerReport = 10000;
// Walk steps between two cancel checks while a plane's facets are searched.
constexpr int64_t kWalkStepsPerCheck = 1 << 17;

// The walk of the planes' paths: the random descents through the tree of paths from each
// start that estimate its work; the units a closed polygon through distinct vertices
// costs besides its corners; the units a walk does in a second here, measured
// (bench/GLFacetingStepBench.cpp, the 320-face geodesic sphere: 1.0e8 to 1.2e8 on a
// machine of 8 cores under a load of 15 to 20; the facets it makes take their time
// besides, bounded by their memory); and the time the walk of all planes may take.
constexpr int kProbesPerStart = 16;
constexpr double kPolygonBaseUnits = 8.0;
constexpr double kWalkUnitsPerSecond = 1.0e8;
constexpr double kWalkSecondsAllowed = 180.0;
constexpr const char* kTooLong =
    "This model is too large to facet on this computer: finding the possible\n"
    "facets of its planes would take about %s here, and the faceting may\n"
    "take no more than %s.";
constexpr const char* kTooLongSoFar =
    "This model is too large to facet on this computer: finding the possible\n"
    "facets of its planes takes longer here than the %s the faceting may take.";

constexpr double kBytesPerGigabyte = 1024.0 * 1024.0 * 1024.0;
// An estimate of memory this many times what there is is not worth telling in full.
constexpr double kEstimateShare = 1000.0;
constexpr const char* kTooLarge =
    "This model is too large to facet on this computer: the possible facets\n"
    "of its planes would need about %.1f GB of memory, and the faceting can\n"
    "have %.1f GB here.";
constexpr const char* kTooLargeSoFar =
    "This model is too large to facet on this computer: the possible facets\n"
    "of its planes need more than the %.1f GB of memory the faceting can\n"
    "have here.";
constexpr const char* kNotMatched =
    "This model could not be faceted: some of its vertices lie nearly, but\n"
    "not quite, in the planes through others, too near to tell whether its\n"
    "symmetry maps them onto each other. Its corners probably lie a little\n"
    "off the places a symmetry would give them.";
constexpr const char* kNoFacets =
    "This model could not be faceted: no plane through its vertices holds a\n"
    "facet under the faceting criteria in force.";

// What the records of the preparation take, each block with the allocator's own share.
constexpr double kBlockBytes = 16.0;
constexpr double kMapNodeBytes = 48.0;
double EdgeBytes() {
  return sizeof(FacetingEdge) + kBlockBytes;
}
double PlaneBytes(double verts, double symmetries) {
  return sizeof(FacetPlane) + kBlockBytes + verts * (sizeof(FacetPlaneVert) + kBlockBytes + sizeof(FacetPlaneVert*)) +
         symmetries * (sizeof(std::vector<int32_t>) + kBlockBytes + verts * sizeof(int32_t));
}
double PlaneEdgeBytes() {
  return sizeof(FacetPlaneEdge) + kBlockBytes;
}
// A facet with its vertices, edge records, vertex classes and code, and its code's
// entry in the plane's map (a tree node holding a copy of the code).
double FacetBytes(double verts, double records) {
  return sizeof(Facet) + verts * (2 * sizeof(FacetPlaneVert*) + 2 * sizeof(int32_t)) +
         records * sizeof(FacetEdgeRecord) + kMapNodeBytes + sizeof(std::vector<int32_t>) + 6 * kBlockBytes;
}

// The bytes of the facets of a plane of n vertices that no symmetry of its own maps
// onto each other and in which every two vertices are joined: every cycle through three
// or more of them is a facet, each once whichever way round. The count stops once it
// passes `cap`.
double CycleFacetBytes(int n, double cap) {
  double total = 0.0;
  // Cycles through k of the n vertices: n! / ((n - k)! 2k).
  double cycles = double(n) * (n - 1) * (n - 2) / 6.0;
  for (int k = 3; k <= n && total <= cap; ++k) {
    total += cycles * FacetBytes(k, k);
    cycles *= double(n - k) * k / (k + 1);
  }
  return total;
}

// A time of seconds in the words of the progress window, whole seconds at most.
std::string DurationText(double seconds) {
  constexpr double kLongest = 1e15;
  const double whole = std::round(std::fmin(seconds, kLongest));
  return FormatDuration(TimeSpan(int64_t(0), int64_t(whole) * 1000));
}

// A time limit of whole minutes: "3 minutes".
std::string MinutesText(double seconds) {
  const int minutes = int(std::lround(seconds / 60.0));
  return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

// Elements at infinity, coplanar copies: no vertices of a faceting.
bool IsUsableVertex(const PolyElement* v) {
  return !v->HasFlag(kElementHemi) && !v->HasFlag(kElementInf) && !v->HasFlag(kElementCoplanar);
}

bool IsEvenFold(int fold) {
  return fold != 0 && std::abs(fold) % 2 == 0;
}

// Whether the point lies on the line of the direction (the centre lies on every line).
bool OnLine(const double* p, const double* direction) {
  double c[3];
  Cross(c, p, direction);
  return std::fabs(c[0]) <= kPointTolerance && std::fabs(c[1]) <= kPointTolerance && std::fabs(c[2]) <= kPointTolerance;
}

// Calls the step within its part of the progress bar.
template <typename Step>
bool RunStep(double low, double high, Step step) {
  const ProgressRange saved = PushProgressRange(low, high);
  const bool ok = step();
  PopProgressRange(saved);
  return ok;
}

int CompareFacetingEdges(const FacetingEdge* a, const FacetingEdge* b) {
  if (a->mSquaredLength < b->mSquaredLength - kPointTolerance) return -1;
  if (a->mSquaredLength > b->mSquaredLength + kPointTolerance) return 1;
  const int a1 = a->mVert1->mType ? a->mVert1->mType->mIndex : -1;
  const int b1 = b->mVert1->mType ? b->mVert1->mType->mIndex : -1;
  if (a1 != b1) return a1 < b1 ? -1 : 1;
  const int a2 = a->mVert2->mType ? a->mVert2->mType->mIndex : -1;
  const int b2 = b->mVert2->mType ? b->mVert2->mType->mIndex : -1;
  if (a2 != b2) return a2 < b2 ? -1 : 1;
  return a->mCreationIndex < b->mCreationIndex ? -1 : a->mCreationIndex > b->mCreationIndex ? 1 : 0;
}

int ComparePlanes(const FacetPlane* a, const FacetPlane* b) {
  if (a->mRelativeHeight > b->mRelativeHeight + kPointTolerance) return -1;
  if (a->mRelativeHeight < b->mRelativeHeight - kPointTolerance) return 1;
  if (a->mD < b->mD - kPointTolerance) return -1;
  if (a->mD > b->mD + kPointTolerance) return 1;
  return a->mCreationIndex < b->mCreationIndex ? -1 : a->mCreationIndex > b->mCreationIndex ? 1 : 0;
}

int CompareFacets(const Facet* a, const Facet* b) {
  if (a->mRotationalOrder != b->mRotationalOrder) return a->mRotationalOrder > b->mRotationalOrder ? -1 : 1;
  if (a->mNumVerts != b->mNumVerts) return a->mNumVerts > b->mNumVerts ? -1 : 1;
  if (a->mTotalTurning < b->mTotalTurning - kPointTolerance) return -1;
  if (a->mTotalTurning > b->mTotalTurning + kPointTolerance) return 1;
  if (a->mSquaredArea > b->mSquaredArea + kPointTolerance) return -1;
  if (a->mSquaredArea < b->mSquaredArea - kPointTolerance) return 1;
  return a->mCreationIndex < b->mCreationIndex ? -1 : a->mCreationIndex > b->mCreationIndex ? 1 : 0;
}

// Whether the cycle maps onto itself (either way round) under the permutation.
bool CycleFixedBy(const std::vector<int32_t>& cycle, const std::vector<int32_t>& g) {
  const size_t n = cycle.size();
  const int32_t first = g[size_t(cycle[0])];
  for (size_t s = 0; s < n; ++s) {
    if (cycle[s] != first) continue;
    for (bool forwards : {true, false}) {
      bool all = true;
      for (size_t k = 1; k < n && all; ++k)
        all = g[size_t(cycle[k])] == cycle[forwards ? (s + k) % n : (s + n - k) % n];
      if (all) return true;
    }
    return false;
  }
  return false;
}

// The plane made exactly as symmetric as the preparation takes it to be. Three vertices
// of a model moved onto its group are exactly where the group puts them, but when they
// are no orbit of the plane's own symmetry their heights may differ by the rounding of
// the model's shape, and the plane through them is then tilted by as much: the
// vertices within the point tolerance of it are no union of orbits under the rotations
// and mirrors the plane is found to have, which then map none of them onto the others.
// Its normal becomes the mean of its images under the rotations that map it onto itself
// (onto its opposite, for a plane through the centre) within twice the tolerance its
// axes are found with (a rotation moves a normal that far off its axis by up to twice
// as much), then the mean of that under all the operations that do so within the
// tolerance its mirrors are found with: each set is a group, so the mean is fixed by
// all of it. The plane passes
// half-way between the highest and the lowest of the three vertices. False when they do
// not all lie in it within the point tolerance: no plane of that symmetry holds them.
// A plane that no operation but the identity keeps stays as it was found.
bool FitPlaneToSymmetry(double* plane, const std::vector<double>& rotations, const std::vector<double>& operations,
                        const double* a, const double* b, const double* c) {
  const bool central = plane[3] == 0.0;
  // The number of operations that keep the plane.
  auto average = [&](const std::vector<double>& matrices, double tolerance) {
    double sum[3] = {0.0, 0.0, 0.0};
    int kept = 0;
    for (size_t k = 0; k + 9 <= matrices.size(); k += 9) {
      double image[3];
      MatrixTimesVector(&matrices[k], image, plane);
      if (NearlyEqual(image, plane, tolerance)) {
        AddTo(sum, image);
      } else if (central && NearlyOpposite(image, plane, tolerance)) {
        Subtract(sum, sum, image);
      } else {
        continue;
      }
      ++kept;
    }
    const double length = std::sqrt(Dot(sum, sum));
    if (length > kPointTolerance) Divide(plane, sum, length);
    return kept;
  };
  if (average(rotations, 2 * kAxisTolerance) + average(operations, kPointTolerance) <= 2) return true;
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(plane[k]) <= kPointTolerance) plane[k] = 0.0;
  }
  const double heights[3] = {Dot(plane, a), Dot(plane, b), Dot(plane, c)};
  const double low = std::fmin(heights[0], std::fmin(heights[1], heights[2]));
  const double high = std::fmax(heights[0], std::fmax(heights[1], heights[2]));
  if (!central) plane[3] = -(low + high) / 2;
  return high + plane[3] <= kPointTolerance && -(low + plane[3]) <= kPointTolerance;
}

}  // namespace detail_FacetingPrepare

// ---- The whole preparation -----------------------------------------------------------------

void Faceting::CollectRotations() {
  mRotations.clear();
  const SymGroup* group = mModel ? mModel->mSymGroup : nullptr;
  SymRotationIterator it;
  double m[9];
  while (GetNextSymmetryRotation(group, it, true, m)) mRotations.insert(mRotations.end(), m, m + 9);
}

bool Faceting::Prepare() {
  Poly* poly = GetModel();
  const int criteria = GetFacetingSettings().criteria;
  mPrepared = Outcome();
  if (IsPrepared()) {
    if (mPreparedCriteria == criteria) return true;
    Clear();
  }
  if (!mRefusal.empty() && mRefusedCriteria == criteria) {
    mPrepared = Outcome::Refused(mRefusal);
    return false;
  }
  if (!poly || !poly->mSymGroup) return false;
  FaceTypeBlock* other = mBlock == poly->mBaseBlock.get() ? poly->mDualBlock.get() : poly->mBaseBlock.get();
  return CreateFaceting(poly, other->mFirstFaceType);
}

bool Faceting::CreateFaceting(Poly* poly, FaceType* firstVertexType) {
  using detail_FacetingPrepare::RunStep;
  if (!poly || !poly->mSymGroup) return false;
  // The counts of an enumeration belong to the model (a file keeps them), not to the
  // elements: an interrupted one resumes from them.
  const BigUInt found = mNumFound, chirals = mNumChirals, compounds = mNumCompounds;
  const TimeSpan elapsed = mElapsed;
  auto keepCounts = [&] {
    mNumFound = found;
    mNumChirals = chirals;
    mNumCompounds = compounds;
    mElapsed = elapsed;
  };
  Clear();
  keepCounts();
  mModel = poly;
  mVertexTypes = firstVertexType;
  FaceTypeBlock* typeBlock = firstVertexType ? firstVertexType->mBlock : nullptr;
  mNumVertexTypes = typeBlock ? typeBlock->CountDistinctFaceTypes() : 0;
  mVertexTypeUseCounts.assign(size_t(typeBlock ? typeBlock->CountFaceTypes() : 0), 0);
  CollectRotations();
  mBytesAllowed = static_cast<double>(platform::WorkMemoryLimit());
  const int cancels = GetProgressCancelCount();
  bool ok = false;
  {
    ProgressScope progress;
    ok = RunStep(0.0, 0.05, [&] { return CreateEdges(); }) && RunStep(0.05, 0.5, [&] { return CreatePlanes(); }) &&
         RunStep(0.5, 0.9, [&] { return CreateFaces(); }) && RunStep(0.9, 0.95, [&] { return LabelSpikyFacets(); });
  }
  if (!ok) {
    const std::string refusal = mRefusal;
    Clear();
    keepCounts();
    if (!refusal.empty()) {
      mRefusal = refusal;
      mRefusedCriteria = GetFacetingSettings().criteria;
      mPrepared = Outcome::Refused(refusal);
    } else if (GetProgressCancelCount() != cancels) {
      // Stopped by the user, or by an internal error, told already.
      mPrepared = Outcome::Cancelled();
    }
    return false;
  }
  mStack.reserve(size_t(mNumEdges) + 1);
  mPreparedCriteria = GetFacetingSettings().criteria;
  return true;
}

Outcome Faceting::TakePreparationOutcome() {
  Outcome outcome = mPrepared;
  mPrepared = Outcome();
  return outcome;
}

bool Faceting::Refuse(const std::string& text) {
  if (mRefusal.empty()) mRefusal = text;
  return false;
}

bool Faceting::Hold(double bytes) {
  using namespace detail_FacetingPrepare;
  mBytesHeld += bytes;
  if (mBytesHeld <= mBytesAllowed) return true;
  return Refuse(FormatLimited(kMessageBufferSize, kTooLargeSoFar, mBytesAllowed / kBytesPerGigabyte));
}

// ---- Edges --------------------------------------------------------------------------------

FacetingEdge* Faceting::FindEdge(const double* a, const double* b, bool* reversed) const {
  double d[3];
  Subtract(d, a, b);
  const double squared = Dot(d, d);
  const size_t numRotations = mRotations.size() / 9;
  for (FacetingEdge* edge = mEdgeHead; edge; edge = edge->mNextEdge) {
    if (std::fabs(edge->mSquaredLength - squared) > kPointTolerance) continue;
    for (size_t r = 0; r < numRotations; ++r) {
      double ma[3];
      MatrixTimesVector(&mRotations[9 * r], ma, a);
      const bool toFirst = NearlyEqual(ma, edge->mVert1->mDualVert, kPointTolerance);
      if (!toFirst && !NearlyEqual(ma, edge->mVert2->mDualVert, kPointTolerance)) continue;
      double mb[3];
      MatrixTimesVector(&mRotations[9 * r], mb, b);
      if (NearlyEqual(mb, toFirst ? edge->mVert2->mDualVert : edge->mVert1->mDualVert, kPointTolerance)) {
        if (reversed) *reversed = !toFirst;
        return edge;
      }
    }
  }
  return nullptr;
}

bool Faceting::CreateEdges() {
  using namespace detail_FacetingPrepare;
  const SymGroup* group = mModel->mSymGroup;
  int typeNumber = 0;
  int numTypes = 0;
  for (FaceType* type = mVertexTypes; type; type = type->mNext) ++numTypes;
  // At most one edge from the representative of each type to each vertex of the types
  // from it on: a model of many vertex types (one with little symmetry) has about one
  // for every pair of its vertices.
  double pairs = 0.0;
  double verticesFrom = 0.0;
  for (FaceType* type = mVertexTypes; type; type = type->mNext) {
    for (PolyElement* v = type->mFirstFace; v; v = v->mNextOfType) ++verticesFrom;
  }
  for (FaceType* type = mVertexTypes; type; type = type->mNext) {
    pairs += verticesFrom;
    for (PolyElement* v = type->mFirstFace; v; v = v->mNextOfType) --verticesFrom;
  }
  if (pairs * EdgeBytes() > mBytesAllowed) {
    return Refuse(FormatLimited(kMessageBufferSize, kTooLarge, pairs * EdgeBytes() / kBytesPerGigabyte,
                                mBytesAllowed / kBytesPerGigabyte));
  }
  for (FaceType* typeA = mVertexTypes; typeA; typeA = typeA->mNext, ++typeNumber) {
    if (!UpdateProgress(numTypes > 0 ? double(typeNumber) / numTypes : 0.0, "Faceting preparation: creating edges")) {
      return false;
    }
    PolyElement* r = typeA->mFirstFace;
    if (typeA->mCoplanarMaster || !r || r->HasFlag(kElementHemi) || r->HasFlag(kElementInf)) continue;
    const int n = typeA->mNumRotations;
    // A frame about r's axis: one rotation step about it is a sector of angle 2 pi / n.
    double z[3], x[3], y[3];
    const double length = std::sqrt(Dot(r->mDualVert, r->mDualVert));
    if (length <= kPointTolerance) continue;
    Divide(z, r->mDualVert, length);
    PerpendicularByAxis(x, z);
    Divide(x, x, std::sqrt(Dot(x, x)));
    Cross(y, z, x);
    double sine = 0.0, cosine = 1.0;
    if (n > 1) GetSinCos(1, n, sine, cosine);
    for (FaceType* typeB = typeA; typeB; typeB = typeB->mNext) {
      if (typeB->mCoplanarMaster || !typeB->mFirstFace) continue;
      if (typeB->mFirstFace->HasFlag(kElementHemi) || typeB->mFirstFace->HasFlag(kElementInf)) continue;
      for (PolyElement* v = typeB->mFirstFace; v; v = v->mNextOfType) {
        // Each look for an edge goes through the edges made so far: a model of many
        // vertices keeps the progress window answering at every one, and stops at a
        // cancel.
        if (!ProgressTick()) return false;
        if (v == r || !IsUsableVertex(v)) continue;
        if (n > 1) {
          const double px = Dot(v->mDualVert, x);
          const double py = Dot(v->mDualVert, y);
          if (py < -kPointTolerance) continue;
          if (std::fabs(px) > kPointTolerance || std::fabs(py) > kPointTolerance) {
            const double t = px * sine - py * cosine;
            if (t < -kPointTolerance) continue;
            if (std::fabs(t) <= kPointTolerance && (n > 2 || px < 0.0)) continue;
          }
        }
        bool onAxis = false;
        bool halfTurn = false;
        double along[3], mid[3];
        Subtract(along, v->mDualVert, r->mDualVert);
        Add(mid, v->mDualVert, r->mDualVert);
        Scale(mid, mid, 0.5);
        for (int t = 0; t < group->numAxisTypes && !onAxis; ++t) {
          const SymAxisType& axisType = group->axisTypes[t];
          if (axisType.oppositeEnds) continue;
          for (int i = 0; i < axisType.numAxes; ++i) {
            const double* dir = axisType.axes[i].direction;
            if (OnLine(r->mDualVert, dir) && OnLine(v->mDualVert, dir)) {
              onAxis = true;
              break;
            }
            if (IsEvenFold(axisType.fold) && std::fabs(Dot(dir, along)) <= kPointTolerance && OnLine(mid, dir))
              halfTurn = true;
          }
        }
        if (onAxis || FindEdge(r->mDualVert, v->mDualVert)) continue;
        if (!Hold(EdgeBytes())) return false;
        FacetingEdge* edge = new FacetingEdge(this, r, v);
        if (halfTurn) edge->mFlags |= kFacetingEdgeHalfTurn;
      }
    }
  }
  return true;
}

bool Faceting::FindChiralEdges() {
  using namespace detail_FacetingPrepare;
  std::vector<FacetingEdge*> edges;
  for (FacetingEdge* edge = mEdgeHead; edge; edge = edge->mNextEdge) edges.push_back(edge);
  MergeSort(edges, CompareFacetingEdges);
  const SymGroup* group = mModel->mSymGroup;
  std::vector<FacetingEdge*> order;
  order.reserve(edges.size());
  if (group->reflectionType == kReflectionChiral) {
    for (FacetingEdge* edge : edges) order.push_back(edge);
  } else {
    double improper[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    group->GetReflectionMatrix(improper);
    std::vector<bool> placed(edges.size(), false);
    for (size_t i = 0; i < edges.size(); ++i) {
      if (!ProgressTick()) return false;
      FacetingEdge* edge = edges[i];
      const bool sameBefore =
          i > 0 && std::fabs(edges[i - 1]->mSquaredLength - edge->mSquaredLength) <= kPointTolerance;
      const bool sameAfter =
          i + 1 < edges.size() && std::fabs(edges[i + 1]->mSquaredLength - edge->mSquaredLength) <= kPointTolerance;
      if (!sameBefore && !sameAfter) edge->mFlags |= kFacetingEdgeUniqueLength;
      if (placed[i]) continue;
      placed[i] = true;
      order.push_back(edge);
      double a[3], b[3];
      MatrixTimesVector(improper, a, edge->mVert1->mDualVert);
      MatrixTimesVector(improper, b, edge->mVert2->mDualVert);
      // The partner among the edges of the same length that a rotation maps the
      // reflected ends onto.
      size_t partner = edges.size();
      for (size_t j = 0; j < edges.size() && partner == edges.size(); ++j) {
        if (std::fabs(edges[j]->mSquaredLength - edge->mSquaredLength) > kPointTolerance) continue;
        const size_t numRotations = mRotations.size() / 9;
        for (size_t r = 0; r < numRotations && partner == edges.size(); ++r) {
          double ma[3], mb[3];
          MatrixTimesVector(&mRotations[9 * r], ma, a);
          MatrixTimesVector(&mRotations[9 * r], mb, b);
          const double* e1 = edges[j]->mVert1->mDualVert;
          const double* e2 = edges[j]->mVert2->mDualVert;
          if ((NearlyEqual(ma, e1, kPointTolerance) && NearlyEqual(mb, e2, kPointTolerance)) ||
              (NearlyEqual(ma, e2, kPointTolerance) && NearlyEqual(mb, e1, kPointTolerance))) {
            partner = j;
          }
        }
      }
      // The vertices of a model moved onto its group map onto each other: a missing
      // image is one of a vertex that lies off its place by more than the tolerance.
      if (partner == edges.size()) return Refuse(kNotMatched);
      if (partner == i || placed[partner]) continue;
      placed[partner] = true;
      order.push_back(edges[partner]);
      edge->mFlags |= kFacetingEdgeMirrorNext;
      edges[partner]->mFlags |= kFacetingEdgeMirrorPrev;
    }
  }
  mEdgeHead = mEdgeTail = nullptr;
  int index = 0;
  for (FacetingEdge* edge : order) {
    edge->mPrevEdge = mEdgeTail;
    edge->mNextEdge = nullptr;
    if (mEdgeTail) {
      mEdgeTail->mNextEdge = edge;
    } else {
      mEdgeHead = edge;
    }
    mEdgeTail = edge;
    edge->mIndex = index++;
  }
  return true;
}

// ---- Planes -------------------------------------------------------------------------------

double Faceting::GetRelativeHeight(const double* normal, double d) const {
  double largest = 0.0;
  for (FaceType* type = mVertexTypes; type; type = type->mNext) {
    for (PolyElement* v = type->mFirstFace; v; v = v->mNextOfType) {
      if (v->HasFlag(kElementHemi)) continue;
      const double projection = Dot(normal, v->mDualVert);
      if (projection > largest) largest = projection;
    }
  }
  return largest <= kPointTolerance ? 0.0 : -d / largest;
}

bool Faceting::AddVerts(FacetPlane* plane, PolyElement* a, PolyElement* b) {
  using namespace detail_FacetingPrepare;
  if (a) new FacetPlaneVert(plane, a);
  if (b) new FacetPlaneVert(plane, b);
  for (FaceType* type = mVertexTypes; type; type = type->mNext) {
    if (type->mCoplanarMaster) continue;
    for (PolyElement* v = type->mFirstFace; v; v = v->mNextOfType) {
      if (v == a || v == b || !IsUsableVertex(v)) continue;
      if (std::fabs(Dot(plane->mNormal, v->mDualVert) + plane->mD) <= kPointTolerance) new FacetPlaneVert(plane, v);
    }
  }
  return plane->GroupVertsOfType();
}

std::vector<int32_t> FacetPlane::GetCode(const std::vector<int32_t>& cycle) const {
  const size_t n = cycle.size();
  std::vector<int32_t> best;
  std::vector<int32_t> image(n);
  std::vector<int32_t> candidate(n);
  for (const std::vector<int32_t>& g : mSymmetries) {
    int32_t least = INT32_MAX;
    for (size_t i = 0; i < n; ++i) {
      image[i] = g[size_t(cycle[i])];
      if (image[i] < least) least = image[i];
    }
    // The least sequence starts at the least number.
    for (size_t s = 0; s < n; ++s) {
      if (image[s] != least) continue;
      for (bool forwards : {true, false}) {
        for (size_t k = 0; k < n; ++k) candidate[k] = image[forwards ? (s + k) % n : (s + n - k) % n];
        if (best.empty() || candidate < best) best = candidate;
      }
    }
  }
  return best;
}

bool FacetPlane::GroupVertsOfType() {
  mVertArray.clear();
  for (ListNode* node = mVertHead; node; node = node->mNext) mVertArray.push_back(static_cast<FacetPlaneVert*>(node));
  double sine = 0.0, cosine = 1.0;
  if (mNumRots > 1) GetSinCos(1, mNumRots, sine, cosine);
  for (size_t i = 0; i < mVertArray.size(); ++i) {
    FacetPlaneVert* leader = mVertArray[i];
    if (leader->mFlags & kPlaneVertGrouped) continue;
    leader->mFlags |= kPlaneVertGrouped;
    leader->mRotationIndex = 0;
    if (mNumRots == 1 || (std::fabs(leader->x) <= kPointTolerance && std::fabs(leader->y) <= kPointTolerance)) continue;
    double px = leader->x, py = leader->y;
    FacetPlaneVert* last = leader;
    for (int k = 1; k < mNumRots; ++k) {
      const double nx = px * cosine - py * sine;
      const double ny = px * sine + py * cosine;
      px = nx;
      py = ny;
      FacetPlaneVert* found = nullptr;
      for (size_t j = i + 1; j < mVertArray.size() && !found; ++j) {
        FacetPlaneVert* w = mVertArray[j];
        if (!(w->mFlags & kPlaneVertGrouped) && std::fabs(w->x - px) <= kPointTolerance &&
            std::fabs(w->y - py) <= kPointTolerance)
          found = w;
      }
      // The plane's rotation does not map its vertices onto each other, so its facets
      // could not be completed from their paths: some vertex lies near the plane by
      // less than the tolerance and its image by more.
      if (!found) return mFaceting->Refuse(detail_FacetingPrepare::kNotMatched);
      found->mFlags |= kPlaneVertGrouped;
      found->mRotationIndex = k;
      found->mGroupLeader = leader;
      found->mNextInGroup = leader;
      last->mNextInGroup = found;
      last = found;
    }
  }
  // The half-turn about an even axis lying in the plane acts on it as the reflection in
  // the axis's line.
  if ((mFlags & kPlaneInPlaneAxis) && mInPlaneAxis) {
    double a[2] = {Dot(mInPlaneAxis->direction, mU), Dot(mInPlaneAxis->direction, mW)};
    const double length = std::sqrt(a[0] * a[0] + a[1] * a[1]);
    a[0] /= length;
    a[1] /= length;
    for (FacetPlaneVert* v : mVertArray) {
      if (v->mFlippedPartner) continue;
      const double along = v->x * a[0] + v->y * a[1];
      FacetPlaneVert* w = FindVertAt(2.0 * along * a[0] - v->x, 2.0 * along * a[1] - v->y);
      if (!w) return mFaceting->Refuse(detail_FacetingPrepare::kNotMatched);
      v->mFlippedPartner = w;
      w->mFlippedPartner = v;
      if (w != v) w->mFlags |= kPlaneVertFlipped;
    }
  }
  // The plane's symmetries as permutations of the vertex numbers.
  const size_t n = mVertArray.size();
  std::vector<int32_t> step(n), flip(n);
  for (size_t i = 0; i < n; ++i) {
    FacetPlaneVert* v = mVertArray[i];
    step[i] = v->mNextInGroup->mIndex;
    flip[i] = v->mFlippedPartner ? v->mFlippedPartner->mIndex : int32_t(i);
  }
  mSymmetries.clear();
  std::vector<int32_t> power(n);
  std::iota(power.begin(), power.end(), 0);
  for (int k = 0; k < mNumRots; ++k) {
    mSymmetries.push_back(power);
    for (size_t i = 0; i < n; ++i) power[i] = step[size_t(power[i])];
  }
  if ((mFlags & kPlaneInPlaneAxis) && mInPlaneAxis) {
    for (int k = 0; k < mNumRots; ++k) {
      std::vector<int32_t> flipped(n);
      for (size_t i = 0; i < n; ++i) flipped[i] = mSymmetries[size_t(k)][size_t(flip[i])];
      mSymmetries.push_back(flipped);
    }
  }
  // A vertex class: the rotation group together with its flipped image.
  for (FacetPlaneVert* v : mVertArray) {
    FacetPlaneVert* leader = v->mGroupLeader;
    FacetPlaneVert* other = v->mFlippedPartner ? v->mFlippedPartner->mGroupLeader : leader;
    v->mClassLeader = other->mIndex < leader->mIndex ? other : leader;
  }
  return true;
}

bool Faceting::CreatePlanes() {
  using namespace detail_FacetingPrepare;
  const SymGroup* group = mModel->mSymGroup;
  const int criteria = GetFacetingSettings().criteria;
  const bool reflections = group->reflectionType != kReflectionChiral;
  int numVertices = 0;
  for (FaceType* type = mVertexTypes; type; type = type->mNext) {
    for (PolyElement* v = type->mFirstFace; v; v = v->mNextOfType) ++numVertices;
  }
  const double totalTriples = double(mNumEdges) * double(numVertices > 0 ? numVertices : 1);
  int64_t triples = 0;
  const size_t numRotations = mRotations.size() / 9;
  // The operations of the group, the rotations first, in column order.
  std::vector<double> operations = mRotations;
  if (reflections) {
    SymRotationIterator it;
    double improper[9], m[9];
    while (GetNextImproperOperation(group, it, improper, m)) operations.insert(operations.end(), m, m + 9);
  }
  // The planes made so far by their d: a plane of the same orbit, or its opposite, has
  // the same d or minus it, within the tolerance. A model with little symmetry has tens
  // of thousands of planes, each of which would otherwise be compared with all before.
  std::multimap<double, const FacetPlane*> byD;
  auto IsKnownNear = [&](const double* plane, double d) {
    const auto end = byD.upper_bound(d + kPointTolerance);
    for (auto it = byD.lower_bound(d - kPointTolerance); it != end; ++it) {
      const FacetPlane* other = it->second;
      const double existing[4] = {other->mNormal[0], other->mNormal[1], other->mNormal[2], other->mD};
      if (PlanesEqual(existing, plane, kPointTolerance) || PlanesOpposite(existing, plane, kPointTolerance))
        return true;
      if (std::fabs(other->mD - plane[3]) > kPointTolerance) continue;
      for (size_t r = 0; r < numRotations; ++r) {
        double image[4];
        MatrixTimesVector(&mRotations[9 * r], image, plane);
        image[3] = plane[3];
        if (PlanesEqual(existing, image, kPointTolerance) || PlanesOpposite(existing, image, kPointTolerance))
          return true;
      }
    }
    return false;
  };
  // Whether a plane of the orbit of this one is made already.
  auto IsKnown = [&](const double* plane) {
    return IsKnownNear(plane, plane[3]) || (std::fabs(plane[3]) > kPointTolerance && IsKnownNear(plane, -plane[3]));
  };
  std::vector<FacetingEdge*> edges;
  for (FacetingEdge* edge = mEdgeHead; edge; edge = edge->mNextEdge) edges.push_back(edge);
  for (FacetingEdge* edge : edges) {
    PolyElement* a = edge->mVert1;
    PolyElement* b = edge->mVert2;
    for (FaceType* type = a->mType; type; type = type->mNext) {
      if (type->mCoplanarMaster) continue;
      for (PolyElement* c = type->mFirstFace; c; c = c->mNextOfType) {
        if (c == a || c == b || !IsUsableVertex(c)) continue;
        if (++triples % kPlaneProgressTriples == 0) {
          const double fraction = triples / totalTriples;
          if (!UpdateProgress(fraction < 1.0 ? fraction : 1.0,
                              "Faceting preparation: creating planes\n%d planes so far", mNumPlanes)) {
            return false;
          }
        }
        double ab[3], ac[3];
        Subtract(ab, b->mDualVert, a->mDualVert);
        Subtract(ac, c->mDualVert, a->mDualVert);
        if (AreParallel(ab, ac, kPointTolerance)) continue;
        double plane[4];
        TriangleNormal(plane, a->mDualVert, b->mDualVert, c->mDualVert);
        Divide(plane, plane, std::sqrt(Dot(plane, plane)));
        const double projection = Dot(plane, a->mDualVert);
        if (projection >= 0.0) {
          plane[3] = -projection;
        } else {
          Negate(plane);
          plane[3] = projection;
        }
        if (criteria == kFacetingTidyAndDuals && std::fabs(plane[3]) <= kPointTolerance) continue;
        for (double& component : plane) {
          if (std::fabs(component) <= kPointTolerance) component = 0.0;
        }
        if (IsKnown(plane)) continue;
        if (!FitPlaneToSymmetry(plane, mRotations, operations, a->mDualVert, b->mDualVert, c->mDualVert)) {
          return Refuse(kNotMatched);
        }
        if (IsKnown(plane)) continue;
        const SymAxisType* axisType = group->FindAxisTypeOfDirection(plane);
        const int numRots = axisType ? std::abs(axisType->fold) : 1;
        FacetPlane* made = new FacetPlane(this, plane, plane[3], numRots);
        byD.emplace(made->mD, made);
        const bool central = std::fabs(plane[3]) <= kPointTolerance;
        if (central) {
          made->mFlags |= kPlaneThroughCentre;
          if (const SymAxis* axis = group->FindEvenAxisInPlane(plane, nullptr)) {
            made->mFlags |= kPlaneInPlaneAxis;
            made->mInPlaneAxis = axis;
          }
        }
        if (!AddVerts(made, a, b) || !Hold(PlaneBytes(made->mNumVerts, made->mSymmetries.size()))) return false;
        if (!reflections) continue;
        // Reflexible when an improper operation maps the plane onto itself.
        SymRotationIterator it;
        double improper[9], m[9];
        bool reflexible = false;
        while (!reflexible && GetNextImproperOperation(group, it, improper, m)) {
          double image[3];
          MatrixTimesVector(m, image, plane);
          if (NearlyEqual(image, plane, kPointTolerance) ||
              (central && NearlyOpposite(image, plane, kPointTolerance))) {
            reflexible = true;
            for (int k = 0; k < 9; ++k) made->mMirrorMatrix[k] = m[k];
          }
        }
        if (reflexible) {
          made->mFlags |= kPlaneReflexible;
          for (int k = 0; k < group->mirrorPlanes.count && !made->mMirror; ++k) {
            const double* mirror = group->mirrorPlanes[k].direction;
            if (std::fabs(Dot(mirror, plane)) <= kPointTolerance ||
                (central && AreParallel(mirror, plane, kPointTolerance))) {
              made->mMirror = &group->mirrorPlanes[k];
            }
          }
          if (made->mMirror && central) {
            double line[3];
            Cross(line, plane, made->mMirror->direction);
            const SymAxisType* along =
                Dot(line, line) > kPointTolerance ? group->FindAxisTypeOfDirection(line) : nullptr;
            if (along && IsEvenFold(along->fold)) made->mFlags |= kPlaneEvenAxisOnMirror;
          } else if (!made->mMirror && central) {
            made->mFlags |= kPlaneReflexibleCentral;
            if (numRots % 2 == 0) made->mFlags |= kPlaneEvenAxisOnMirror;
          }
          continue;
        }
        // A chiral plane: its mirror image is another orbit, made at once.
        double improperMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        group->GetReflectionMatrix(improperMatrix);
        double mirrored[3];
        MatrixTimesVector(improperMatrix, mirrored, plane);
        for (double& component : mirrored) {
          if (std::fabs(component) <= kPointTolerance) component = 0.0;
        }
        made->mFlags |= kPlaneMirrorNext;
        for (int k = 0; k < 9; ++k) made->mMirrorMatrix[k] = improperMatrix[k];
        FacetPlane* image = new FacetPlane(this, mirrored, plane[3], numRots);
        byD.emplace(image->mD, image);
        image->mFlags |= kPlaneMirrorPrev | (made->mFlags & (kPlaneThroughCentre | kPlaneInPlaneAxis));
        if (made->mInPlaneAxis) image->mInPlaneAxis = group->FindEvenAxisInPlane(mirrored, nullptr);
        if (!image->mInPlaneAxis) image->mFlags &= ~kPlaneInPlaneAxis;
        for (int k = 0; k < 9; ++k) image->mMirrorMatrix[k] = improperMatrix[k];
        if (!AddVerts(image, nullptr, nullptr) || !Hold(PlaneBytes(image->mNumVerts, image->mSymmetries.size()))) {
          return false;
        }
      }
    }
  }
  if (!FindChiralEdges()) return false;
  int index = 0;
  // The planes sorted, each mirror-image plane kept right after its chiral plane, as
  // GetMirrorPlane finds it: planes of heights and distances that differ by about the
  // tolerance need not sort next to each other.
  std::vector<FacetPlane*> planes;
  std::unordered_map<const FacetPlane*, FacetPlane*> images;
  for (ListNode* node = mPlaneHead; node; node = node->mNext) {
    FacetPlane* plane = static_cast<FacetPlane*>(node);
    plane->mIndex = index++;
    if (!ProgressTick() || !plane->CreateEdges()) return false;
    plane->mRelativeHeight = GetRelativeHeight(plane->mNormal, plane->mD);
    if (plane->mFlags & kPlaneMirrorPrev) continue;
    planes.push_back(plane);
    if (plane->mFlags & kPlaneMirrorNext) images[plane] = plane->GetNext();
  }
  MergeSort(planes, ComparePlanes);
  mPlaneHead = mPlaneTail = nullptr;
  for (FacetPlane* plane : planes) {
    ListNode::Append(plane, mPlaneHead, mPlaneTail);
    auto image = images.find(plane);
    if (image != images.end()) ListNode::Append(image->second, mPlaneHead, mPlaneTail);
  }
  return true;
}

bool FacetPlane::CreateEdges() {
  using namespace detail_FacetingPrepare;
  const size_t n = mVertArray.size();
  // Every pair of vertices may be an edge; the table of pairs goes at the end.
  const double pairs = double(n) * double(n);
  if (!mFaceting->Hold(pairs / 2 * PlaneEdgeBytes() + pairs * sizeof(FacetPlaneEdge*))) return false;
  mFaceting->mBytesHeld -= pairs * sizeof(FacetPlaneEdge*);
  std::vector<FacetPlaneEdge*> byPair(n * n, nullptr);
  const Faceting* faceting = mFaceting;
  const SymGroup* group = faceting->mModel->mSymGroup;
  int index = 0;
  int orbit = 0;
  for (size_t p = 0; p < n; ++p) {
    for (size_t q = p + 1; q < n; ++q) {
      if (byPair[p * n + q]) continue;
      FacetingEdge* edge = faceting->FindEdge(mVertArray[p]->GetPosition(), mVertArray[q]->GetPosition());
      if (!edge) continue;
      FacetPlaneEdge* head = nullptr;
      FacetPlaneEdge* last = nullptr;
      for (int k = 0; k < mNumRots; ++k) {
        const size_t a = size_t(mSymmetries[size_t(k)][p]);
        const size_t b = size_t(mSymmetries[size_t(k)][q]);
        if (byPair[a * n + b]) break;
        FacetPlaneEdge* made = new FacetPlaneEdge(this, mVertArray[a], mVertArray[b], edge);
        made->mIndex = index++;
        made->mOrbitIndex = orbit;
        byPair[a * n + b] = byPair[b * n + a] = made;
        if (!head) head = made;
        made->mOrbitHead = head;
        if (last) last->mNextInOrbit = made;
        made->mNextInOrbit = head;
        last = made;
      }
      ++orbit;
      FacetPlaneVert* vp = mVertArray[p];
      FacetPlaneVert* vq = mVertArray[q];
      const bool opposite = std::fabs(vp->x + vq->x) <= kPointTolerance &&
                            std::fabs(vp->y + vq->y) <= kPointTolerance &&
                            (std::fabs(vp->x) > kPointTolerance || std::fabs(vp->y) > kPointTolerance);
      uint32_t flags = 0;
      if (opposite && mNumRots % 2 == 0 && vq->mGroupLeader == vp->mGroupLeader) flags |= kPlaneEdgeDiametric;
      if ((mFlags & kPlaneThroughCentre) && (edge->mFlags & kFacetingEdgeHalfTurn) && opposite &&
          !(flags & kPlaneEdgeDiametric)) {
        double direction[3];
        Subtract(direction, vq->GetPosition(), vp->GetPosition());
        bool inPlane = false;
        for (const SymAxis* axis = group->FindNextEvenAxisInPlane(direction, nullptr); axis && !inPlane;
             axis = group->FindNextEvenAxisInPlane(direction, axis)) {
          inPlane = std::fabs(Dot(axis->direction, mNormal)) <= kPointTolerance;
        }
        if (!inPlane) flags |= kPlaneEdgeCountsTwice;
      }
      FacetPlaneEdge* member = head;
      do {
        member->mFlags |= flags;
        member = member->mNextInOrbit;
      } while (member != head);
    }
  }
  // Orbits of the half-turns about axes lying in the plane.
  if ((mFlags & kPlaneInPlaneAxis) && mSymmetries.size() > size_t(mNumRots)) {
    const std::vector<int32_t>& flip = mSymmetries[size_t(mNumRots)];
    for (ListNode* node = mEdgeHead; node; node = node->mNext) {
      FacetPlaneEdge* edge = static_cast<FacetPlaneEdge*>(node);
      if (edge->mOrbitHead != edge) continue;
      const size_t a = size_t(flip[size_t(edge->mEnd1->mIndex)]);
      const size_t b = size_t(flip[size_t(edge->mEnd2->mIndex)]);
      FacetPlaneEdge* image = byPair[a * n + b];
      if (!image) continue;
      edge->mFlippedOrbit = image->mOrbitHead;
      if (image->mOrbitHead->mOrbitIndex < edge->mOrbitIndex) {
        FacetPlaneEdge* member = edge;
        do {
          member->mFlags |= kPlaneEdgeFlippedOrbit;
          member = member->mNextInOrbit;
        } while (member != edge);
      }
    }
    for (ListNode* node = mEdgeHead; node; node = node->mNext) {
      FacetPlaneEdge* edge = static_cast<FacetPlaneEdge*>(node);
      edge->mFlippedOrbit = edge->mOrbitHead->mFlippedOrbit;
    }
  }
  return true;
}

// ---- Facets of one plane --------------------------------------------------------------------

namespace detail_FacetingPrepare {

// The work of a plane's walk, counted alike when it is estimated and when it is done:
// a unit for each edge looked at from the end of a path, and for each closed polygon a
// unit for each corner looked at; a polygon through distinct vertices, which is matched
// with the facets made, costs the units of its code too (its corners under each of the
// `symmetries` of the plane) and a few more.
double PolygonUnits(size_t corners, bool distinct, size_t symmetries) {
  const double looked = double(corners);
  return distinct ? looked + kPolygonBaseUnits + looked * double(symmetries) : looked;
}

// The search of one plane's closed polygons: paths from each start edge (the head of
// its rotation orbit, the lowest orbit the polygon uses), closed by a rotation of the
// plane that maps the start onto the path's end. A start whose ends are opposite
// through the plane's centre begins a bow-tie: a polygon that the half-turn about the
// plane's axis maps onto itself the other way round.
//
// The number of paths grows with the factorial of the plane's vertices: a plane of two
// dozen vertices nearly all joined has more than a computer walks in years. Before any
// plane is walked, Estimate measures the tree of paths from each start by random
// descents through it (each descent weighs the work it meets by the product of the
// choices passed on the way down, which is on average the work of the whole tree), so
// that the walk of all planes can be refused before it begins, and its progress told
// in its share of the whole work.
class PlaneWalk {
 public:
  PlaneWalk(FacetPlane* plane, int number, int numPlanes, bool tidy)
      : mPlane(plane), mNumber(number), mNumPlanes(numPlanes), mTidy(tidy) {
    const size_t n = plane->mVertArray.size();
    mOnPath.assign(n, false);
    mGroupOnPath.assign(n, 0);
    int orbits = 0;
    for (ListNode* node = plane->mEdgeHead; node; node = node->mNext) {
      const int orbit = static_cast<FacetPlaneEdge*>(node)->mOrbitIndex;
      if (orbit + 1 > orbits) orbits = orbit + 1;
    }
    mOrbitUsed.assign(size_t(orbits), false);
    mRandom = uint64_t(number) * 0x9E3779B97F4A7C15ULL + 1;
  }

  // Makes the plane's facets; false when cancelled or refused (the walk of all would run
  // past the units it may take).
  bool Run(FacetWalkShare& share) {
    mShare = &share;
    // The caption names the plane: it is made only when the window is told.
    if (IsProgressTickDue()) {
      const std::string caption = FormatLimited(kMessageBufferSize, kFacesCaption, mPlane->mFaceting->mNumFacets,
                                                mNumber, mNumPlanes, mPlane->mNumVerts);
      if (!ProgressTick(Fraction(), caption.c_str())) return false;
    }
    const bool ok = ForEachStart([this] { return Walk(); });
    share.spent += mWork;
    return ok;
  }

  // The units Run would take, estimated.
  double Estimate() {
    mCounting = true;
    double units = 0.0;
    ForEachStart([&] {
      double sum = 0.0;
      for (int probe = 0; probe < kProbesPerStart; ++probe) sum += Descend();
      units += sum / kProbesPerStart;
      return true;
    });
    // The units counted at the starts themselves (their single-edge polygons).
    return units + mWork;
  }

 private:
  FacetPlaneVert* Vert(int i) const { return mPlane->mVertArray[size_t(i)]; }

  // Calls `walk` with the path at each start edge, after the polygons of the start edge
  // alone; false when a call did.
  template <typename WalkFromStart>
  bool ForEachStart(WalkFromStart walk) {
    for (ListNode* node = mPlane->mEdgeHead; node; node = node->mNext) {
      FacetPlaneEdge* start = static_cast<FacetPlaneEdge*>(node);
      if (start->mOrbitHead != start) continue;
      mStart = start;
      mBowTie = (start->mFlags & kPlaneEdgeDiametric) != 0;
      start->mFlags |= kPlaneEdgeOnWalk;
      FacetPlaneVert* s = start->mEnd1;
      FacetPlaneVert* t = start->mEnd2;
      Push(s);
      mOrbitUsed[size_t(start->mOrbitIndex)] = true;
      bool ok = true;
      if (!mBowTie && t->mGroupLeader == s->mGroupLeader) {
        // The start edge alone, repeated by the rotation that takes its first end to its
        // second: a regular polygon or star.
        ok = Close(Rotation(s, t));
      }
      if (ok && (mBowTie || !mTidy || t->mGroupLeader != s->mGroupLeader)) {
        mPathEdges.push_back(start);
        Push(t);
        ok = walk();
        Pop();
        mPathEdges.pop_back();
      }
      mOrbitUsed[size_t(start->mOrbitIndex)] = false;
      Pop();
      start->mFlags &= ~kPlaneEdgeOnWalk;
      if (!ok) return false;
    }
    return true;
  }

  // The rotation index i with R^i a = b (both in one group).
  int Rotation(const FacetPlaneVert* a, const FacetPlaneVert* b) const {
    const int n = mPlane->mNumRots;
    return ((b->mRotationIndex - a->mRotationIndex) % n + n) % n;
  }

  void Push(FacetPlaneVert* v) {
    mPath.push_back(v);
    mOnPath[size_t(v->mIndex)] = true;
    ++mGroupOnPath[size_t(v->mGroupLeader->mIndex)];
  }

  void Pop() {
    FacetPlaneVert* v = mPath.back();
    mPath.pop_back();
    mOnPath[size_t(v->mIndex)] = false;
    --mGroupOnPath[size_t(v->mGroupLeader->mIndex)];
  }

  // The path goes on along e to its other end, and back.
  void Extend(FacetPlaneEdge* e) {
    mOrbitUsed[size_t(e->mOrbitHead->mOrbitIndex)] = true;
    mPathEdges.push_back(e);
    Push(e->GetOtherEnd(mPath.back()));
  }
  void Retract() {
    Pop();
    FacetPlaneEdge* e = mPathEdges.back();
    mPathEdges.pop_back();
    mOrbitUsed[size_t(e->mOrbitHead->mOrbitIndex)] = false;
  }

  // The share of the whole walk done, for the bar: this plane's part counts up to its
  // estimate.
  double Fraction() const {
    return (mShare->before + std::fmin(mWork, mShare->estimate)) / mShare->total;
  }

  bool Tick() {
    if (++mSteps % kWalkStepsPerCheck != 0) return true;
    if (mShare->spent + mWork > mShare->limit) return Refuse();
    return UpdateProgress(Fraction(), nullptr);
  }

  // The walk of all planes has taken the units it may take: its estimate fell short.
  bool Refuse() const {
    return mPlane->mFaceting->Refuse(
        FormatLimited(kMessageBufferSize, kTooLongSoFar, MinutesText(mShare->limit / kWalkUnitsPerSecond).c_str()));
  }

  // What the walk does with the edge e at the path's end x: it closes the polygons that
  // e closes (made, or only counted while estimating), then says whether the path goes
  // on along e.
  enum class Along { kNo, kYes, kStopped };
  Along Consider(FacetPlaneVert* x, FacetPlaneEdge* e) {
    mWork += 1.0;
    FacetPlaneVert* s = mPath.front();
    FacetPlaneVert* w = e->GetOtherEnd(x);
    const int orbit = e->mOrbitHead->mOrbitIndex;
    const bool diametric = (e->mFlags & kPlaneEdgeDiametric) != 0;
    if (mOrbitUsed[size_t(orbit)]) return Along::kNo;
    if (mBowTie) {
      if (diametric) {
        if (orbit > mStart->mOrbitIndex && !CloseBowTie()) return Along::kStopped;
        return Along::kNo;
      }
    } else {
      if (diametric || orbit < mStart->mOrbitIndex) return Along::kNo;
      if (w == s) {
        if (mPath.size() >= 3 && !Close(0)) return Along::kStopped;
        return Along::kNo;
      }
      if (w->mGroupLeader == s->mGroupLeader && !Close(Rotation(s, w))) return Along::kStopped;
    }
    if (mOnPath[size_t(w->mIndex)]) return Along::kNo;
    if (mTidy && mGroupOnPath[size_t(w->mGroupLeader->mIndex)] > 0) return Along::kNo;
    return Along::kYes;
  }

  bool Walk() {
    if (!Tick()) return false;
    FacetPlaneVert* x = mPath.back();
    for (FacetPlaneEdge* e = x->mEdgeListHead; e; e = e->GetNextAt(x)) {
      const Along along = Consider(x, e);
      if (along == Along::kStopped) return false;
      if (along == Along::kNo) continue;
      Extend(e);
      const bool ok = Walk();
      Retract();
      if (!ok) return false;
    }
    return true;
  }

  // One random descent from the path at a start: the work met at each depth, weighed by
  // the number of ways down to it.
  double Descend() {
    const size_t depth = mPath.size();
    double units = 0.0;
    double ways = 1.0;
    std::vector<FacetPlaneEdge*> onward;
    for (;;) {
      FacetPlaneVert* x = mPath.back();
      onward.clear();
      const double before = mWork;
      for (FacetPlaneEdge* e = x->mEdgeListHead; e; e = e->GetNextAt(x)) {
        if (Consider(x, e) == Along::kYes) onward.push_back(e);
      }
      units += ways * (mWork - before);
      mWork = before;
      if (onward.empty()) break;
      ways *= double(onward.size());
      Extend(onward[size_t(NextRandom() % onward.size())]);
    }
    while (mPath.size() > depth) Retract();
    return units;
  }

  uint64_t NextRandom() {
    // xorshift64*
    mRandom ^= mRandom >> 12;
    mRandom ^= mRandom << 25;
    mRandom ^= mRandom >> 27;
    return mRandom * 0x2545F4914F6CDD1DULL;
  }

  // The polygon of the path repeated by R^i (i = 0: the path closes on itself).
  bool Close(int i) {
    const int n = mPlane->mNumRots;
    const int k = i == 0 ? 1 : n / Gcd(i, n);
    const int count = k * int(mPath.size());
    if (count < 3) return true;
    std::vector<int32_t> cycle;
    cycle.reserve(size_t(count));
    const std::vector<int32_t>& sigma = mPlane->mSymmetries[size_t(i)];
    std::vector<int32_t> image;
    for (FacetPlaneVert* v : mPath) image.push_back(v->mIndex);
    for (int j = 0; j < k; ++j) {
      cycle.insert(cycle.end(), image.begin(), image.end());
      for (int32_t& v : image) v = sigma[size_t(v)];
    }
    return Closed(cycle, false);
  }

  // The bow-tie T, ..., X, -X, ..., -T (= S): the path after the start and its image
  // under the half-turn about the plane's axis.
  bool CloseBowTie() {
    const std::vector<int32_t>& half = mPlane->mSymmetries[size_t(mPlane->mNumRots / 2)];
    std::vector<int32_t> cycle;
    for (size_t j = 1; j < mPath.size(); ++j) cycle.push_back(mPath[j]->mIndex);
    for (size_t j = mPath.size() - 1; j >= 1; --j) cycle.push_back(half[size_t(mPath[j]->mIndex)]);
    return Closed(cycle, true);
  }

  // A closed polygon: its work counted, and it is made into a facet unless the walk is
  // only estimated. One through a vertex twice is no facet: it costs only the look at
  // its corners.
  bool Closed(const std::vector<int32_t>& cycle, bool bowTie) {
    const bool simple = VisitsEachOnce(cycle);
    mWork += PolygonUnits(cycle.size(), simple, mPlane->mSymmetries.size());
    return mCounting || Emit(cycle, simple, bowTie);
  }

  bool VisitsEachOnce(const std::vector<int32_t>& cycle) {
    mSeen.assign(mPlane->mVertArray.size(), false);
    for (int32_t v : cycle) {
      if (mSeen[size_t(v)]) return false;
      mSeen[size_t(v)] = true;
    }
    return true;
  }

  bool Emit(const std::vector<int32_t>& cycle, bool simple, bool bowTie);

  FacetPlane* mPlane;
  int mNumber;
  int mNumPlanes;
  bool mTidy;
  FacetPlaneEdge* mStart = nullptr;
  bool mBowTie = false;
  std::vector<FacetPlaneVert*> mPath;
  std::vector<FacetPlaneEdge*> mPathEdges;
  std::vector<bool> mOnPath;
  std::vector<int> mGroupOnPath;
  std::vector<bool> mOrbitUsed;
  int64_t mSteps = 0;
  int64_t mPolygons = 0;
  // Estimating: polygons are counted, not made.
  bool mCounting = false;
  double mWork = 0.0;
  FacetWalkShare* mShare = nullptr;
  uint64_t mRandom;
  // The vertices of the polygon last closed.
  std::vector<bool> mSeen;
};

// The polygon's own symmetry in its plane: the rotations and all the symmetries that fix
// it, and whether a half turn does. False when a copy of it in the plane meets it at a
// side (or, under the tidy criteria, at a vertex of the polygon last closed).
bool CycleStandsAlone(const FacetPlane& plane, const std::vector<int32_t>& cycle, const std::vector<bool>& seen,
                      bool tidy, int& rotations, int& stabiliser, bool& halfTurnSymmetric) {
  const size_t n = cycle.size();
  for (size_t g = 0; g < plane.mSymmetries.size(); ++g) {
    const std::vector<int32_t>& perm = plane.mSymmetries[g];
    if (CycleFixedBy(cycle, perm)) {
      ++stabiliser;
      if (g < size_t(plane.mNumRots)) {
        ++rotations;
      } else {
        halfTurnSymmetric = true;
      }
      continue;
    }
    for (size_t i = 0; i < n; ++i) {
      const int32_t a = perm[size_t(cycle[i])];
      const int32_t b = perm[size_t(cycle[(i + 1) % n])];
      if (tidy && seen[size_t(a)]) return false;
      for (size_t j = 0; j < n; ++j) {
        const int32_t c = cycle[j];
        const int32_t d = cycle[(j + 1) % n];
        if ((a == c && b == d) || (a == d && b == c)) return false;
      }
    }
  }
  return true;
}

// The sides a polygon has on each faceting edge: the orbit of the facet runs along each
// edge of an edge's orbit (sides on it) x (rotations reversing the edge) / (rotations
// fixing the facet) times.
struct EdgeUse {
  FacetingEdge* edge;
  FacetPlaneEdge* planeEdge;
  int sides;
};

// The edge uses of the polygon's sides, in the order met; false (after an internal
// error) when a side is no edge of the plane.
bool GatherEdgeUses(const FacetPlane& plane, const std::vector<int32_t>& cycle, std::vector<EdgeUse>& uses) {
  const size_t n = cycle.size();
  for (size_t i = 0; i < n; ++i) {
    FacetPlaneVert* a = plane.mVertArray[size_t(cycle[i])];
    FacetPlaneVert* b = plane.mVertArray[size_t(cycle[(i + 1) % n])];
    FacetPlaneEdge* planeEdge = a->FindEdgeTo(b, nullptr);
    if (!planeEdge) {
      ShowInternalError("FacetPlane::CreateFaces failed");
      return false;
    }
    bool found = false;
    for (EdgeUse& use : uses) {
      if (use.edge == planeEdge->mEdge) {
        ++use.sides;
        found = true;
      }
    }
    if (!found) uses.push_back({planeEdge->mEdge, planeEdge, 1});
  }
  return true;
}

bool PlaneWalk::Emit(const std::vector<int32_t>& cycle, bool simple, bool bowTie) {
  FacetPlane* plane = mPlane;
  Faceting* faceting = plane->mFaceting;
  if (++mPolygons % kPolygonsPerReport == 0) {
    if (!UpdateProgress(Fraction(), kFacesCaption, faceting->mNumFacets, mNumber, mNumPlanes, plane->mNumVerts)) {
      return false;
    }
  }
  if (!simple) return true;
  const size_t n = cycle.size();
  std::vector<int32_t> code = plane->GetCode(cycle);
  if (plane->mFacetsByCode.count(code)) return true;
  // The polygon's own symmetry, and no copy of it in the plane that meets it at a side
  // (or, under the tidy criteria, at a vertex).
  int rotations = 0;
  int stabiliser = 0;
  bool halfTurnSymmetric = false;
  if (!CycleStandsAlone(*plane, cycle, mSeen, mTidy, rotations, stabiliser, halfTurnSymmetric)) return true;
  // Sides by edge: the orbit of the facet runs along each edge of an edge's orbit
  // (sides on it) x (rotations reversing the edge) / (rotations fixing the facet) times.
  std::vector<EdgeUse> uses;
  if (!GatherEdgeUses(*plane, cycle, uses)) return true;
  if (!faceting->Hold(FacetBytes(double(n), double(uses.size())))) return false;
  Facet* facet = new Facet(plane);
  facet->mEdgeRecords.resize(uses.size());
  bool allTwo = true;
  for (size_t i = 0; i < uses.size(); ++i) {
    const int reversing = (uses[i].edge->mFlags & kFacetingEdgeHalfTurn) ? 2 : 1;
    const int product = uses[i].sides * reversing;
    if (product % stabiliser != 0) {
      ShowInternalError("FacetPlane::CreateFaces failed");
      delete facet;
      return true;
    }
    const int multiplicity = product / stabiliser;
    if (multiplicity > 2) {
      delete facet;
      return true;
    }
    allTwo = allTwo && multiplicity == 2;
    FacetEdgeRecord& record = facet->mEdgeRecords[i];
    record.edge = uses[i].edge;
    record.facet = facet;
    record.multiplicity = multiplicity;
    record.planeEdge = uses[i].planeEdge;
  }
  for (int32_t v : cycle) facet->mVerts.push_back(plane->mVertArray[size_t(v)]);
  facet->mNumVerts = int32_t(n);
  facet->mNumEdgeRecords = int32_t(uses.size());
  facet->mRotationalOrder = rotations;
  if (bowTie) facet->mFlags |= kFacetBowTie;
  if (allTwo) facet->mFlags |= kFacetIsohedral;
  if (halfTurnSymmetric) facet->mFlags |= kFacetHalfTurnSymmetric;
  for (int32_t v : cycle) {
    FacetPlaneVert* leader = plane->mVertArray[size_t(v)]->mClassLeader;
    bool known = false;
    for (FacetPlaneVert* other : facet->mClassLeaders) known = known || other == leader;
    if (!known) facet->mClassLeaders.push_back(leader);
  }
  facet->mCode = code;
  plane->mFacetsByCode[code] = facet;
  plane->AppendFacet(facet);
  return true;
}

}  // namespace detail_FacetingPrepare

double FacetPlane::EstimateFaces(int number) {
  const int criteria = GetFacetingSettings().criteria;
  const bool tidy = criteria == kFacetingTidyAndDuals || criteria == kFacetingTidy;
  return detail_FacetingPrepare::PlaneWalk(this, number, mFaceting->mNumPlanes, tidy).Estimate();
}

bool FacetPlane::CreateFaces(int number, FacetWalkShare& share) {
  const int criteria = GetFacetingSettings().criteria;
  const bool tidy = criteria == kFacetingTidyAndDuals || criteria == kFacetingTidy;
  detail_FacetingPrepare::PlaneWalk walk(this, number, mFaceting->mNumPlanes, tidy);
  return walk.Run(share);
}

bool Faceting::CreateFaces() {
  using namespace detail_FacetingPrepare;
  // A plane whose own symmetry is the identity and whose vertices are all joined has a
  // facet for every cycle through three or more of them: their number is known before
  // they are made, and passes any memory from a dozen vertices or so on (a model with
  // little symmetry).
  const double room = mBytesAllowed - mBytesHeld;
  // Past this the estimate says no more than that the memory is far too small.
  const double cap = kEstimateShare * room;
  double cycles = 0.0;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane && cycles <= cap; plane = plane->GetNext()) {
    const double n = plane->mNumVerts;
    if (plane->mSymmetries.size() == 1 && plane->mNumEdges == n * (n - 1) / 2) {
      cycles += CycleFacetBytes(plane->mNumVerts, cap);
    }
  }
  if (cycles > cap) {
    return Refuse(FormatLimited(kMessageBufferSize, kTooLargeSoFar, mBytesAllowed / kBytesPerGigabyte));
  }
  if (cycles > room) {
    return Refuse(FormatLimited(kMessageBufferSize, kTooLarge, (mBytesHeld + cycles) / kBytesPerGigabyte,
                                mBytesAllowed / kBytesPerGigabyte));
  }
  // The walk of every plane, estimated before any is walked: refused when it would take
  // longer than the preparation may, else told in its share of the whole.
  if (!UpdateProgress(0.0, "Faceting preparation: finding possible faces\nEstimating the work")) return false;
  std::vector<double> estimates;
  double total = 0.0;
  int number = 1;
  ProgressTicker ticker;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext(), ++number) {
    if (!ticker()) return false;
    estimates.push_back(plane->EstimateFaces(number));
    total += estimates.back();
  }
  const double limit = kWalkSecondsAllowed * kWalkUnitsPerSecond;
  if (total > limit) {
    return Refuse(FormatLimited(kMessageBufferSize, kTooLong, DurationText(total / kWalkUnitsPerSecond).c_str(),
                                MinutesText(kWalkSecondsAllowed).c_str()));
  }
  FacetWalkShare share;
  share.total = std::fmax(total, 1.0);
  share.limit = limit;
  number = 1;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext(), ++number) {
    share.estimate = estimates[size_t(number - 1)];
    if (!plane->CreateFaces(number, share)) return false;
    share.before += share.estimate;
  }
  mWalkUnits = share.spent;
  if (!UpdateProgress(1.0, "Faceting preparation: creating faces\nPost-processing")) return false;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane;) {
    FacetPlane* next = plane->GetNext();
    if (!plane->mFacetHead) {
      ListNode::Unlink(plane, mPlaneHead, mPlaneTail);
      delete plane;
    }
    plane = next;
  }
  if (!mPlaneHead) return Refuse(kNoFacets);
  int index = 0;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
    plane->mIndex = index++;
  }
  if (!FinishFacets()) return false;
  // Use lists, over all facets in plane order, each appended at its tail.
  std::unordered_map<const FacetingEdge*, FacetEdgeRecord*> tails;
  for (FacetingEdge* edge = mEdgeHead; edge; edge = edge->mNextEdge) edge->mUseList = nullptr;
  for (Facet* facet = GetFirstFacet(); facet; facet = facet->GetNext()) {
    if (!ProgressTick()) return false;
    for (FacetEdgeRecord& record : facet->mEdgeRecords) {
      record.nextUse = nullptr;
      FacetEdgeRecord*& tail = tails[record.edge];
      (tail ? tail->nextUse : record.edge->mUseList) = &record;
      tail = &record;
    }
  }
  // Edges no facet uses go, in every plane and then from the faceting.
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
    if (!ProgressTick()) return false;
    for (ListNode* node = plane->mEdgeHead; node;) {
      ListNode* next = node->mNext;
      FacetPlaneEdge* edge = static_cast<FacetPlaneEdge*>(node);
      if (!edge->mEdge->mUseList) {
        for (FacetPlaneVert* end : {edge->mEnd1, edge->mEnd2}) {
          FacetPlaneEdge** link = &end->mEdgeListHead;
          while (*link && *link != edge) link = (*link)->mEnd1 == end ? &(*link)->mNextAtEnd1 : &(*link)->mNextAtEnd2;
          if (*link) *link = edge->GetNextAt(end);
        }
        ListNode::Unlink(edge, plane->mEdgeHead, plane->mEdgeTail);
        --plane->mNumEdges;
        delete edge;
      }
      node = next;
    }
  }
  for (FacetingEdge* edge = mEdgeHead; edge;) {
    FacetingEdge* next = edge->mNextEdge;
    if (!edge->mUseList) {
      if (edge->mPrevEdge) {
        edge->mPrevEdge->mNextEdge = edge->mNextEdge;
      } else {
        mEdgeHead = edge->mNextEdge;
      }
      if (edge->mNextEdge) {
        edge->mNextEdge->mPrevEdge = edge->mPrevEdge;
      } else {
        mEdgeTail = edge->mPrevEdge;
      }
      --mNumEdges;
      delete edge;
    }
    edge = next;
  }
  index = 0;
  for (FacetingEdge* edge = mEdgeHead; edge; edge = edge->mNextEdge) edge->mIndex = index++;
  return true;
}

bool Faceting::FinishFacets() {
  using namespace detail_FacetingPrepare;
  if (!UpdateProgress(1.0, "Faceting preparation: creating faces\nCalculating face areas")) return false;
  for (Facet* facet = GetFirstFacet(); facet; facet = facet->GetNext()) {
    if (!ProgressTick()) return false;
    const int n = facet->mNumVerts;
    // The fan from the last vertex; a bow-tie's from the centre (the midpoint of its
    // first and last vertex) over its first half, one lobe.
    const bool bowTie = (facet->mFlags & kFacetBowTie) != 0;
    double origin[3];
    if (bowTie) {
      Add(origin, facet->GetVertexPosition(0), facet->GetVertexPosition(n - 1));
      Scale(origin, origin, 0.5);
    } else {
      CopyVector(origin, facet->GetVertexPosition(n - 1));
    }
    const int count = bowTie ? n / 2 : n;
    double sum[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i + 1 < count; ++i) {
      double a[3], b[3], c[3];
      Subtract(a, facet->GetVertexPosition(i), origin);
      Subtract(b, facet->GetVertexPosition(i + 1), origin);
      Cross(c, a, b);
      AddTo(sum, c);
    }
    double area = Dot(sum, sum) / 4.0;
    if (bowTie) area = -area;
    facet->mSquaredArea = std::fabs(area) <= kPointTolerance ? 0.0 : area;
    double turning = 0.0;
    for (int i = 0; i < n; ++i) {
      const FacetPlaneVert* p = facet->mVerts[size_t(i)];
      const FacetPlaneVert* q = facet->mVerts[size_t((i + 1) % n)];
      const FacetPlaneVert* r = facet->mVerts[size_t((i + 2) % n)];
      double u[2], v[2];
      const double pq[2] = {q->x, q->y};
      const double pp[2] = {p->x, p->y};
      const double pr[2] = {r->x, r->y};
      Vec2Subtract(u, pq, pp);
      Vec2Subtract(v, pr, pq);
      const double lu = std::sqrt(u[0] * u[0] + u[1] * u[1]);
      const double lv = std::sqrt(v[0] * v[0] + v[1] * v[1]);
      if (lu <= kPointTolerance || lv <= kPointTolerance) continue;
      u[0] /= lu;
      u[1] /= lu;
      v[0] /= lv;
      v[1] /= lv;
      double half[2];
      if (u[0] * v[0] + u[1] * v[1] >= 0.0) {
        Vec2Subtract(half, u, v);
        turning += 2.0 * std::asin(std::fmin(1.0, std::sqrt(half[0] * half[0] + half[1] * half[1]) / 2.0));
      } else {
        Vec2Add(half, u, v);
        turning += M_PI - 2.0 * std::asin(std::fmin(1.0, std::sqrt(half[0] * half[0] + half[1] * half[1]) / 2.0));
      }
    }
    facet->mTotalTurning = turning;
  }
  if (!UpdateProgress(1.0, "Faceting preparation: creating faces\nSorting faces")) return false;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
    if (!ProgressTick()) return false;
    std::vector<Facet*> facets;
    for (Facet* facet = plane->mFacetHead; facet; facet = facet->mNextInPlane) facets.push_back(facet);
    MergeSort(facets, CompareFacets);
    plane->mFacetHead = plane->mFacetTail = nullptr;
    plane->mNumFacets = 0;
    for (Facet* facet : facets) plane->AppendFacet(facet);
  }
  const SymGroup* group = mModel->mSymGroup;
  if (group->reflectionType == kReflectionChiral) return true;
  // Mirror partners: each facet's image under the plane's improper operation.
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
    if (plane->mFlags & kPlaneMirrorPrev) continue;
    FacetPlane* target = plane->GetMirrorPlane();
    std::vector<Facet*> facets;
    for (Facet* facet = plane->mFacetHead; facet; facet = facet->mNextInPlane) facets.push_back(facet);
    std::vector<Facet*> images;
    for (Facet* facet : facets) {
      // The caption names the facet by its place in its plane, which takes a walk along
      // the plane's list: it is made only when the window is told.
      if (IsProgressTickDue()) {
        const std::string caption = FormatLimited(
            kMessageBufferSize, "Faceting preparation: creating faces\nFinding chiral partners, face %s/%d-%d",
            Facet::GetIdText(facet), plane->mIndex, plane->mNumFacets);
        if (!ProgressTick(1.0, caption.c_str())) return false;
      } else if (!ProgressTick()) {
        return false;
      }
      if (facet->mMirror) continue;
      std::vector<int32_t> cycle;
      for (int i = 0; i < facet->mNumVerts; ++i) {
        double image[3], p[2];
        MatrixTimesVector(plane->mMirrorMatrix, image, facet->GetVertexPosition(i));
        target->ToPlane2D(image, p);
        const FacetPlaneVert* w = std::fabs(Dot(image, target->mNormal) + target->mD) <= kPointTolerance
                                      ? target->FindVertAt(p[0], p[1])
                                      : nullptr;
        if (!w) break;
        cycle.push_back(w->mIndex);
      }
      Facet* partner = nullptr;
      if (int(cycle.size()) == facet->mNumVerts) {
        auto found = target->mFacetsByCode.find(target->GetCode(cycle));
        if (found != target->mFacetsByCode.end()) partner = found->second;
      }
      // The image of a facet of a model moved onto its group is a facet: a vertex of it
      // lies near the plane by less than the tolerance and its image by more.
      if (!partner) return Refuse(kNotMatched);
      facet->mMirror = partner;
      partner->mMirror = facet;
      if (partner == facet) continue;
      partner->mFlags |= kFacetSecondOfPair;
      if (target == plane) {
        // Directly after its partner.
        plane->RemoveFacet(partner);
        partner->mPrevInPlane = facet;
        partner->mNextInPlane = facet->mNextInPlane;
        if (facet->mNextInPlane) {
          facet->mNextInPlane->mPrevInPlane = partner;
        } else {
          plane->mFacetTail = partner;
        }
        facet->mNextInPlane = partner;
        ++plane->mNumFacets;
      } else {
        images.push_back(partner);
      }
    }
    if (target != plane && int(images.size()) == target->mNumFacets) {
      // The mirror plane lists the images in the order of their originals.
      target->mFacetHead = target->mFacetTail = nullptr;
      target->mNumFacets = 0;
      for (Facet* image : images) target->AppendFacet(image);
    }
  }
  // Chiral pairs that cannot both be in one faceting are excluded.
  for (Facet* facet = GetFirstFacet(); facet; facet = facet->GetNext()) {
    if (!ProgressTick()) return false;
    if (!facet->IsChiral() || (facet->mFlags & kFacetSecondOfPair)) continue;
    AddFacet(facet);
    if (!facet->mMirror->IsAcceptable(0)) {
      facet->mFlags |= kFacetExcluded;
      facet->mMirror->mFlags |= kFacetExcluded;
    }
    RemoveFacet(facet);
  }
  return true;
}

bool Faceting::LabelSpikyFacets() {
  if (!UpdateProgress(1.0, "Faceting preparation: Labeling spiky facets")) return false;
  for (FacetPlane* plane = static_cast<FacetPlane*>(mPlaneHead); plane; plane = plane->GetNext()) {
    if (plane->mRelativeHeight < kUnitLow) continue;
    for (ListNode* node = plane->mEdgeHead; node; node = node->mNext) {
      static_cast<FacetPlaneEdge*>(node)->mEdge->mFlags |= kFacetingEdgeHull;
    }
  }
  for (Facet* facet = GetFirstFacet(); facet; facet = facet->GetNext()) {
    for (const FacetEdgeRecord& record : facet->mEdgeRecords) {
      if (record.edge->mFlags & kFacetingEdgeHull) facet->mFlags |= kFacetTouchesHull;
    }
  }
  return true;
}

}  // namespace corvia
