// Slicing a model's surface by a plane into closed loops and filling them.

#include "model/CrossSection.h"

#include <cmath>
#include <cstdlib>
#include <unordered_map>

#include "core/MergeSort.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Tolerances.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/PolyElement.h"

namespace corvia {

namespace detail_CrossSection {

// The slicing plane is pushed one tolerance away from the centre, off vertices that
// lie in it.
constexpr double kSliceNudge = kPointTolerance;

struct Crossing {
  int32_t side;  // local side index
  double point[3];
  int32_t sign;
  double key;
};

double Dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void CheckFrame(double* frame) {
  if (frame[15] < kUnitLow || frame[15] > kUnitHigh) {
    for (int i = 0; i < 16; ++i) frame[i] = (i % 5 == 0) ? 1.0 : 0.0;
  }
}

// Crossing point of the side from corner a to corner b at signed heights sa and sb.
void CrossingPoint(const double* a, const double* b, double sa, double sb, double* out) {
  const double t = sa / (sa - sb);
  for (int k = 0; k < 3; ++k) out[k] = a[k] + (b[k] - a[k]) * t;
}

}  // namespace detail_CrossSection

double* SlicingFrame() {
  static double frame[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  return frame;
}

double& SliceDepth() {
  static double depth = 0.5;
  return depth;
}

CrossSectionSettings& GetCrossSectionSettings() {
  static CrossSectionSettings settings;
  return settings;
}

double GetSliceRange(const std::vector<double>& points, double* outMin, double* outMax) {
  double* frame = SlicingFrame();
  detail_CrossSection::CheckFrame(frame);
  const double n[3] = {frame[2], frame[6], frame[10]};
  double lo = kNoMinimum, hi = -kNoMinimum;
  for (size_t i = 0; i + 2 < points.size(); i += 3) {
    const double h = detail_CrossSection::Dot3(n, &points[i]);
    lo = std::fmin(lo, h);
    hi = std::fmax(hi, h);
  }
  if (outMin) *outMin = lo;
  if (outMax) *outMax = hi;
  return hi + (lo - hi) * SliceDepth();
}

void GetSlicePlane(const std::vector<double>& points, SlicePlane& plane) {
  const double t = GetSliceRange(points, nullptr, nullptr);
  const double* frame = SlicingFrame();
  for (int k = 0; k < 3; ++k) {
    plane.mU[k] = frame[4 * k];
    plane.mV[k] = frame[4 * k + 1];
    plane.mNormal[k] = frame[4 * k + 2];
  }
  plane.mOffset = -t;
}

// ---- Mesh ----------------------------------------------------------------------------------

int32_t SliceMesh::AddPoint(const double* p) {
  mPoints.insert(mPoints.end(), p, p + 3);
  return static_cast<int32_t>(mPoints.size() / 3) - 1;
}

void SliceMesh::AddFace(const int32_t* corners, int32_t count, const PolyElement* element, bool reversed) {
  mCorners.insert(mCorners.end(), corners, corners + count);
  mFirstCorner.push_back(static_cast<int32_t>(mCorners.size()));
  mElements.push_back(element);
  mReversed.push_back(reversed ? 1 : 0);
}

void SliceMesh::FindAdjacency() {
  const size_t numSides = mCorners.size();
  mAcrossFace.assign(numSides, -1);
  mAcrossSide.assign(numSides, -1);
  // Sides keyed by their unordered vertex pair; the first waiting side is paired with
  // the next one found.
  std::unordered_map<uint64_t, int32_t> waiting;
  std::vector<int32_t> faceOf(numSides);
  for (int32_t f = 0; f < NumFaces(); ++f)
    for (int32_t e = mFirstCorner[f]; e < mFirstCorner[f + 1]; ++e) faceOf[e] = f;
  for (int32_t f = 0; f < NumFaces(); ++f) {
    const int32_t n = NumSides(f);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t e = mFirstCorner[f] + k;
      const uint32_t a = static_cast<uint32_t>(mCorners[e]);
      const uint32_t b = static_cast<uint32_t>(mCorners[mFirstCorner[f] + (k + 1) % n]);
      if (a == b) continue;
      const uint64_t key = a < b ? (static_cast<uint64_t>(a) << 32 | b) : (static_cast<uint64_t>(b) << 32 | a);
      auto found = waiting.find(key);
      if (found == waiting.end()) {
        waiting.emplace(key, e);
        continue;
      }
      const int32_t other = found->second;
      waiting.erase(found);
      mAcrossFace[e] = faceOf[other];
      mAcrossSide[e] = other;
      mAcrossFace[other] = f;
      mAcrossSide[other] = e;
    }
  }
}

void SliceMesh::FromElements(const ElementList* faces, const ElementList* vertices, SliceMesh& mesh) {
  mesh = SliceMesh();
  if (!faces || !vertices) return;
  const int32_t numVertices = vertices->mCount;
  mesh.mPoints.assign(static_cast<size_t>(numVertices) * 3, 0.0);
  int32_t guard = 0;
  for (const PolyElement* v = vertices->mHead; v && guard < numVertices; v = v->mNext, ++guard)
    if (v->mIndex >= 0 && v->mIndex < numVertices)
      for (int k = 0; k < 3; ++k) mesh.mPoints[static_cast<size_t>(3 * v->mIndex + k)] = v->mDualVert[k];
  std::vector<int32_t> corners;
  guard = 0;
  for (const PolyElement* f = faces->mHead; f && guard < faces->mCount; f = f->mNext, ++guard) {
    corners.clear();
    bool usable = f->mNeighbours != nullptr;
    for (int32_t i = 0; usable && i < f->mNumSides; ++i) {
      const PolyElement* corner = f->mNeighbours[i];
      // A corner at infinity holds a direction, not a position.
      if (!corner || (corner->mFlags & kElementHemi) || corner->mIndex < 0 || corner->mIndex >= numVertices)
        usable = false;
      else
        corners.push_back(corner->mIndex);
    }
    if (!usable || corners.size() < 3) continue;
    mesh.AddFace(corners.data(), static_cast<int32_t>(corners.size()), f, (f->mFlags & kElementReversed) != 0);
  }
  mesh.FindAdjacency();
}

// ---- Section -----------------------------------------------------------------------------------

CrossSection::CrossSection() : mDiagram(&mWorkPools, &mResultPools) {}

void CrossSection::Clear() {
  mLoops.clear();
  mDiagram.Reset();
  mResult.Reset();
  mCells = nullptr;
  mFilled = false;
  mCancelled = false;
}

void CrossSection::AddLoop(std::vector<double>& points, std::vector<const PolyElement*>& faces, int32_t face,
                           int32_t numFaces, FaceDiagramBuilder* builder) {
  const int32_t n = static_cast<int32_t>(points.size() / 2);
  if (n < 2) return;
  auto loop = std::make_unique<CrossSectionLoop>();
  loop->mPoints.swap(points);
  loop->mFaces.swap(faces);
  CrossSectionLoop* stored = loop.get();
  mLoops.push_back(std::move(loop));
  if (mCancelled || !builder) return;
  DiagramClosePath(reinterpret_cast<DiagramSource>(&stored->mColour), false, builder);
  for (int32_t i = 0; i < n; ++i) {
    if (!UpdateProgress(numFaces > 0 ? static_cast<double>(face) / numFaces : 0.0,
                        "Creating 2D cross-section\nFace %d out of %d starts loop with %d sides\nAdding edge %d out of %d",
                        face, numFaces, n, i, n)) {
      mCancelled = true;
      return;
    }
    DiagramLineTo(&stored->mPoints[static_cast<size_t>(2 * i)], builder);
  }
}

bool CrossSection::Build(const SliceMesh& mesh, const SlicePlane& plane, bool fill) {
  using namespace detail_CrossSection;
  if (mBuilding) return false;
  mBuilding = true;
  ProgressScope progress;
  Clear();
  FaceDiagramBuilder builder;
  if (fill) BeginFaceDiagram(&mResult, &mDiagram, kDiagramSourceLoops, &mWorkPools, &mResultPools, &builder);

  // Keeps the plane off exact vertex positions.
  const double offset = plane.mOffset + (plane.mOffset < 0.0 ? -kSliceNudge : kSliceNudge);
  const int32_t numPoints = static_cast<int32_t>(mesh.mPoints.size() / 3);
  std::vector<double> height(static_cast<size_t>(numPoints));
  for (int32_t i = 0; i < numPoints; ++i) height[i] = Dot3(plane.mNormal, &mesh.mPoints[3 * i]) + offset;
  const int32_t numFaces = mesh.NumFaces();
  const int32_t numSides = static_cast<int32_t>(mesh.mCorners.size());
  const bool haveAdjacency = static_cast<int32_t>(mesh.mAcrossFace.size()) == numSides;
  std::vector<uint8_t> visited(static_cast<size_t>(numSides), 0);

  auto sideEnds = [&](int32_t e, int32_t& a, int32_t& b) {
    int32_t f = 0;
    // e lies in the face whose corner range holds it.
    int32_t lo = 0, hi = numFaces - 1;
    while (lo < hi) {
      const int32_t mid = (lo + hi + 1) / 2;
      if (mesh.mFirstCorner[mid] <= e)
        lo = mid;
      else
        hi = mid - 1;
    }
    f = lo;
    const int32_t first = mesh.mFirstCorner[f], n = mesh.NumSides(f);
    a = mesh.mCorners[e];
    b = mesh.mCorners[first + (e - first + 1) % n];
    return f;
  };
  auto crosses = [&](int32_t e) {
    int32_t a, b;
    sideEnds(e, a, b);
    return (height[a] < 0.0) != (height[b] < 0.0);
  };
  auto crossing2D = [&](int32_t e, double* out) {
    int32_t a, b;
    sideEnds(e, a, b);
    double p[3];
    CrossingPoint(&mesh.mPoints[3 * a], &mesh.mPoints[3 * b], height[a], height[b], p);
    out[0] = Dot3(p, plane.mU);
    out[1] = Dot3(p, plane.mV);
  };
  // The side by which a loop entering face g through side entry leaves it: crossings
  // are ordered along the face's intersection line and paired by their running sum.
  std::vector<Crossing> crossings;
  auto findExit = [&](int32_t g, int32_t entry) -> int32_t {
    crossings.clear();
    const int32_t first = mesh.mFirstCorner[g], n = mesh.NumSides(g);
    for (int32_t k = 0; k < n; ++k) {
      const int32_t a = mesh.mCorners[first + k], b = mesh.mCorners[first + (k + 1) % n];
      if ((height[a] < 0.0) == (height[b] < 0.0)) continue;
      Crossing c{first + k, {0, 0, 0}, height[a] < height[b] ? 1 : -1, 0.0};
      CrossingPoint(&mesh.mPoints[3 * a], &mesh.mPoints[3 * b], height[a], height[b], c.point);
      crossings.push_back(c);
    }
    if (crossings.size() < 2) return -1;
    double best = -1.0, dir[3] = {0, 0, 0};
    for (size_t i = 0; i < crossings.size(); ++i)
      for (size_t j = i + 1; j < crossings.size(); ++j) {
        double d[3];
        for (int k = 0; k < 3; ++k) d[k] = crossings[j].point[k] - crossings[i].point[k];
        const double len = Dot3(d, d);
        if (len > best) {
          best = len;
          for (int k = 0; k < 3; ++k) dir[k] = d[k];
        }
      }
    for (int k = 0; k < 3; ++k) {
      if (std::fabs(dir[k]) <= kPointTolerance) continue;
      if (dir[k] < 0.0)
        for (double& c : dir) c = -c;
      break;
    }
    for (Crossing& c : crossings) c.key = Dot3(c.point, dir);
    MergeSort(crossings, [](const Crossing& p, const Crossing& q) {
      if (p.key != q.key) return p.key < q.key ? -1 : 1;
      return p.side < q.side ? -1 : (p.side > q.side ? 1 : 0);
    });
    std::vector<int32_t> after(crossings.size());
    int32_t sum = 0;
    int32_t at = -1;
    for (size_t i = 0; i < crossings.size(); ++i) {
      sum += crossings[i].sign;
      after[i] = sum;
      if (crossings[i].side == entry) at = static_cast<int32_t>(i);
    }
    if (at < 0) return -1;
    const int32_t s0 = at > 0 ? after[at - 1] : 0, s1 = after[at];
    if (std::abs(s0) < std::abs(s1)) {
      for (size_t j = static_cast<size_t>(at) + 1; j < crossings.size(); ++j)
        if (after[j] == s0) return crossings[j].side;
    } else {
      for (int32_t j = at - 1; j >= 0; --j)
        if ((j > 0 ? after[j - 1] : 0) == s1) return crossings[j].side;
    }
    return -1;
  };

  bool ok = haveAdjacency || numSides == 0;
  std::vector<double> points;
  std::vector<const PolyElement*> faces;
  for (int32_t f = 0; ok && !mCancelled && f < numFaces; ++f) {
    for (int32_t e = mesh.mFirstCorner[f]; ok && !mCancelled && e < mesh.mFirstCorner[f + 1]; ++e) {
      if (visited[e] || !crosses(e)) continue;
      int32_t a, b;
      sideEnds(e, a, b);
      const bool forward = (height[a] < height[b]) != (mesh.mReversed[f] != 0);
      points.clear();
      faces.clear();
      double p[2];
      crossing2D(e, p);
      points.insert(points.end(), p, p + 2);
      faces.push_back(mesh.mElements[f]);
      visited[e] = 1;
      int32_t g = mesh.mAcrossFace[e], entry = mesh.mAcrossSide[e];
      bool closed = false;
      for (int32_t steps = 0; steps <= numSides; ++steps) {
        if (g < 0) {
          // A trace: an open surface gives an open line, which is kept.
          DoNothing("Open edge at side %d\n", entry);
          break;
        }
        visited[entry] = 1;
        const int32_t exit = findExit(g, entry);
        if (exit < 0) {
          // A face the plane enters is left through another side: a broken mesh.
          ShowInternalError("CrossSection::Build: no exit edge in face %d", static_cast<int>(g));
          ok = false;
          break;
        }
        visited[exit] = 1;
        crossing2D(exit, p);
        const size_t last = points.size() - 2;
        if (std::fabs(p[0] - points[last]) > kPointTolerance || std::fabs(p[1] - points[last + 1]) > kPointTolerance) {
          points.insert(points.end(), p, p + 2);
          faces.push_back(mesh.mElements[g]);
        } else {
          faces.back() = mesh.mElements[g];
        }
        if (g == f && exit == e) {
          closed = true;
          break;
        }
        entry = mesh.mAcrossSide[exit];
        g = mesh.mAcrossFace[exit];
      }
      if (!ok) break;
      if (!closed) {
        int32_t ea, eb;
        sideEnds(e, ea, eb);
        // A trace: a line that does not close is left out; the others are drawn.
        DoNothing("Stuck at edge %d-%d\n", ea, eb);
        continue;
      }
      // The closing point repeats the first: the segment that ends there lies in the
      // last face crossed.
      size_t n = points.size() / 2;
      if (n >= 2 && std::fabs(points[2 * n - 2] - points[0]) <= kPointTolerance &&
          std::fabs(points[2 * n - 1] - points[1]) <= kPointTolerance) {
        faces[0] = faces[n - 1];
        points.resize(2 * (n - 1));
        faces.resize(n - 1);
        --n;
      }
      if (!forward && n > 1) {
        std::vector<double> reversedPoints(points.size());
        std::vector<const PolyElement*> reversedFaces(n);
        for (size_t j = 0; j < n; ++j) {
          reversedPoints[2 * j] = points[2 * (n - 1 - j)];
          reversedPoints[2 * j + 1] = points[2 * (n - 1 - j) + 1];
          reversedFaces[j] = faces[(n - j) % n];
        }
        points.swap(reversedPoints);
        faces.swap(reversedFaces);
      }
      AddLoop(points, faces, f, numFaces, fill ? &builder : nullptr);
    }
  }

  if (fill) {
    if (ok && !mCancelled) {
      ColourLoops();
      EndFaceDiagram(&mResult, &builder, &mCells, kDiagramFinishFilled, nullptr);
      mFilled = true;
    } else {
      // Loops stay; the fill is dropped.
      mDiagram.ReleaseWorkRecords();
      mResult.Reset();
      mCells = nullptr;
    }
  }
  mBuilding = false;
  return ok && !(mCancelled && mLoops.empty());
}

void CrossSection::ColourLoops() {
  for (auto& loop : mLoops) {
    const int32_t n = loop->NumPoints();
    double sum[3] = {0.0, 0.0, 0.0}, total = 0.0;
    for (int32_t i = 0; i < n; ++i) {
      const PolyElement* face = loop->mFaces[i];
      if (!face) continue;
      const int32_t j = (i + n - 1) % n;
      const double dx = loop->mPoints[2 * i] - loop->mPoints[2 * j];
      const double dy = loop->mPoints[2 * i + 1] - loop->mPoints[2 * j + 1];
      const double length = std::sqrt(dx * dx + dy * dy);
      const float* colour = face->GetColour();
      for (int k = 0; k < 3; ++k) sum[k] += colour[k] * length;
      total += length;
    }
    if (total > 0.0)
      for (int k = 0; k < 3; ++k) loop->mColour.colour[k] = static_cast<float>(sum[k] / total);
  }
}

void CrossSection::Recolour() {
  ColourLoops();
  if (mFilled && mCells)
    CalcAllColors(mCells, mResult.mNumCells, GetDiagramDrawFlags(true, false), kDiagramSourceLoops, nullptr);
}

}  // namespace corvia
