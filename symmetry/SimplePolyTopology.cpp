// Topology of the plain model: the faces round each vertex, their cyclic order, and
// the splitting of vertices where several separate fans of faces touch.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "core/MergeSort.h"
#include "core/PointGrid.h"
#include "core/Progress.h"
#include "core/RadixSorter.h"
#include "core/Messages.h"
#include "core/Tolerances.h"
#include "symmetry/RotationAxes.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "symmetry/SymOperations.h"

namespace corvia {

namespace detail_SimplePolyTopology {

// The narrowest cells of the grid of edge-end images: far wider than the tolerance.
constexpr double kEdgeEndCellSize = 100 * kPointTolerance;

// The types whose edge-end images are filed in one grid.
constexpr size_t kTypesPerGrid = 1024;

// The positions of a run of images, numbered from first on, three doubles each.
struct RunPositions {
  const double* images;
  size_t first;
  const double* operator()(int32_t id) const { return images + 3 * (static_cast<size_t>(id) - first); }
};

// Cells of the grid of edge-end images about as wide as the edges of types
// first to last (the middle of their lengths): a cell then holds the images at
// a vertex or two, and the searches of neighbouring edges read the same cells.
double EdgeEndCellSize(const std::vector<std::unique_ptr<SimpEdgeType>>& types, size_t first, size_t last) {
  std::vector<double> lengths;
  lengths.reserve(last - first);
  for (size_t t = first; t < last; ++t) {
    if (std::isfinite(types[t]->length)) lengths.push_back(types[t]->length);
  }
  if (lengths.empty()) return kEdgeEndCellSize;
  const auto middle = lengths.begin() + static_cast<long>(lengths.size() / 2);
  std::nth_element(lengths.begin(), middle, lengths.end());
  return std::max(kEdgeEndCellSize, std::sqrt(*middle));
}

// The images of end a of types first..last under every rotation, numbered per type
// and rotation from the first type on. An occurrence reads only the images of its own
// type: those of each run of kTypesPerGrid types are filed in a grid of their own, with
// a report after each (a large model's million and a half images filed at once held the
// window for half a second). A cancel is left for the caller's next report.
std::vector<PointGrid<RunPositions>> FileEdgeEndImages(const std::vector<std::unique_ptr<SimpEdgeType>>& types,
                                                       size_t first, size_t last,
                                                       const std::vector<std::array<double, 9>>& rotations,
                                                       const SimplePoly& poly) {
  const size_t numRotations = rotations.size();
  const double cellSize = EdgeEndCellSize(types, first, last);
  std::vector<PointGrid<RunPositions>> grids;
  std::vector<double> imageA;
  for (size_t from = first; from < last && numRotations > 0; from += kTypesPerGrid) {
    const size_t to = std::min(last, from + kTypesPerGrid);
    const size_t firstImage = (from - first) * numRotations;
    const size_t numImages = (to - from) * numRotations;
    imageA.assign(3 * numImages, 0.0);
    for (size_t t = from; t < to; ++t) {
      for (size_t r = 0; r < numRotations; ++r) {
        MatrixTimesVector(rotations[r].data(), &imageA[3 * ((t - from) * numRotations + r)],
                          poly.VertAt(types[t]->a).pos);
      }
    }
    // The grid keeps its own copy of the images.
    PointGrid<RunPositions> images(cellSize, RunPositions{imageA.data(), firstImage});
    images.Reserve(numImages);
    for (size_t image = 0; image < numImages; ++image) images.Add(static_cast<int32_t>(firstImage + image));
    images.Finish();
    grids.push_back(std::move(images));
    (void)ProgressTick();
  }
  return grids;
}

bool IsZero(const double* v) { return std::fabs(v[0]) <= kPointTolerance && std::fabs(v[1]) <= kPointTolerance && std::fabs(v[2]) <= kPointTolerance; }

// Whether u is a multiple of m (m not the origin), the multiple taken on m's largest
// component.
bool IsMultipleOf(const double* u, const double* m) {
  const int k = LargestAxis(m);
  if (std::fabs(m[k]) <= kPointTolerance) return true;
  const double s = u[k] / m[k];
  for (int c = 0; c < 3; ++c) {
    if (std::fabs(u[c] - s * m[c]) > kPointTolerance) return false;
  }
  return true;
}

bool NormalsMatch(const double* a, const double* b) { return NearlyEqual(a, b, kPointTolerance) || NearlyOpposite(a, b, kPointTolerance); }

// Rotated vertex position of corner i (cyclic) of face f.
void RotatedCorner(double* out, const double* m, const SimpleFace& f, int i) {
  MatrixTimesVector(m, out, f.VertWrapped(i).pos);
}

// Removes repeated consecutive corners (cyclically) from a face.
bool RemoveRepeatedCorners(SimpleFace& f) {
  bool changed = false;
  for (int i = 0; f.Count() > 1 && i < f.Count();) {
    const int next = WrapIndex(i, 1, f.Count());
    if (f.items[static_cast<size_t>(i)] == f.items[static_cast<size_t>(next)]) {
      f.RemoveVertsAt(next, 1);
      changed = true;
      if (next < i) --i;
    } else {
      ++i;
    }
  }
  return changed;
}

}  // namespace detail_SimplePolyTopology

// ---- Vertex-face lists ----------------------------------------------------------------------

void SimplePoly::CreateVertexFaceLists(bool force) {
  if ((flags & kSimpleHasVertFaceLists) && !force) return;
  flags |= kSimpleHasVertFaceLists;
  flags &= ~kSimpleSortedFaceLists;
  // One pass over the face records copies the corners of the live faces side by
  // side; the lists are gathered from the copy into one array, vertex by vertex,
  // and one pass over the vertex records hands each vertex its list. A large model's
  // passes take most of a second: the window answers between runs of records, and a
  // cancel is left for the caller's next report (the lists are made whole).
  const bool large = NumFaces() > kRecordsPerReport || NumVerts() > kRecordsPerReport;
  std::optional<ProgressShield> noCancelHere;
  if (large) noCancelHere.emplace();
  const auto report = [large](int i) {
    if (large && (i + 1) % kRecordsPerReport == 0) (void)ProgressTick();
  };
  std::vector<uint32_t> offset(mVerts.size() + 1, 0);
  std::vector<int32_t> corners;
  corners.reserve(3 * mFaces.size());
  std::vector<uint32_t> start(mFaces.size() + 1, 0);
  for (int fi = 0; fi < NumFaces(); ++fi) {
    report(fi);
    const SimpleFace& f = FaceAt(fi);
    if (!f.IsTemp()) {
      for (int32_t v : f.items) {
        if (v < 0 || v >= NumVerts()) continue;
        ++offset[static_cast<size_t>(v) + 1];
        corners.push_back(v);
      }
    }
    start[static_cast<size_t>(fi) + 1] = static_cast<uint32_t>(corners.size());
  }
  for (size_t i = 1; i < offset.size(); ++i) offset[i] += offset[i - 1];
  std::vector<int32_t> lists(corners.size());
  std::vector<uint32_t> next(offset.begin(), offset.end() - 1);
  for (int fi = 0; fi < NumFaces(); ++fi) {
    report(fi);
    for (uint32_t k = start[static_cast<size_t>(fi)]; k < start[static_cast<size_t>(fi) + 1]; ++k) {
      lists[next[static_cast<size_t>(corners[k])]++] = fi;
    }
  }
  for (int i = 0; i < NumVerts(); ++i) {
    report(i);
    SimpleVert& v = VertAt(i);
    if (v.IsTemp()) {
      v.items.clear();
    } else {
      v.items.assign(lists.begin() + offset[static_cast<size_t>(i)], lists.begin() + offset[static_cast<size_t>(i) + 1]);
    }
  }
}

void SimplePoly::CompressVertexTypeIds() {
  // The rings are walked in a copy of their links beside the marks and numbers, a
  // few bytes a vertex, instead of through the vertex records.
  const int numVerts = NumVerts();
  struct RingStep {
    int32_t next;
    int32_t typeId;
    uint8_t temp;
    uint8_t done;
  };
  std::vector<RingStep> steps(mVerts.size());
  for (int i = 0; i < numVerts; ++i) {
    const SimpleVert& v = VertAt(i);
    steps[static_cast<size_t>(i)] = RingStep{v.nextOfType, v.typeId, static_cast<uint8_t>(v.IsTemp()),
                                             static_cast<uint8_t>((v.flags & kSimpleDone) != 0)};
  }
  int32_t next = 0;
  for (int i = 0; i < numVerts; ++i) {
    const RingStep& v = steps[static_cast<size_t>(i)];
    if (v.temp || v.done) continue;
    int32_t k = i;
    for (int s = 0; s <= numVerts; ++s) {
      RingStep& r = steps[static_cast<size_t>(k)];
      r.typeId = next;
      r.done = 1;
      k = r.next;
      if (k < 0 || k >= numVerts || k == i) break;
    }
    ++next;
  }
  for (int i = 0; i < numVerts; ++i) {
    SimpleVert& v = VertAt(i);
    v.typeId = steps[static_cast<size_t>(i)].typeId;
    v.flags &= ~kSimpleDone;
  }
}

namespace detail_SimplePolyTopology {

// Whether any two of the live vertices (of like kind, finite or infinite) lie within
// the tolerance of each other; extent is the largest coordinate (in size) among them.
// One sort of the cells the vertices fall in leaves most vertices lone: a lone vertex
// is near none of the others, so a search among those others tells it.
bool AnyVertsWithin(const SimplePoly& poly, const std::vector<int>& live, double extent, double tolerance,
                    ProgressTicker& pass) {
  const auto positionOf = [&poly](int32_t i) { return static_cast<const double*>(poly.VertAt(i).pos); };
  (void)ProgressTick();
  const std::vector<uint8_t> lone =
      FindLonePoints(live, std::max(VertexLocator::CellSizeFor(extent), 2 * tolerance), tolerance, positionOf);
  std::vector<int32_t> crowded;
  for (size_t k = 0; k < live.size(); ++k) {
    (void)pass();
    if (!lone[k]) crowded.push_back(live[k]);
  }
  PointGrid near(10 * tolerance, positionOf);
  near.Reserve(crowded.size());
  for (int32_t i : crowded) {
    (void)pass();
    near.Add(i);
  }
  (void)ProgressTick();
  near.Finish();
  bool merges = false;
  for (size_t k = 0; k < crowded.size() && !merges; ++k) {
    (void)pass();
    const SimpleVert& va = poly.VertAt(crowded[k]);
    near.ForEachWithin(va.pos, tolerance, [&](int32_t b) {
      if (b != crowded[k] && poly.VertAt(b).IsInfinite() == va.IsInfinite()) merges = true;
    });
  }
  return merges;
}

}  // namespace detail_SimplePolyTopology

void SimplePoly::MergeCoincidentVerts(double tolerance) {
  // A large model's passes over its vertices take a good part of a second: the window
  // answers along them. The merge runs to its end; a cancel is left for the caller's
  // next report.
  ProgressTicker pass;
  std::vector<int> live;
  double extent = 0;
  for (int i = 0; i < NumVerts(); ++i) {
    (void)pass();
    const SimpleVert& v = VertAt(i);
    if (v.IsTemp()) continue;
    live.push_back(i);
    for (double x : v.pos) extent = std::max(extent, std::fabs(x));
  }
  // Most models have no two vertices within the tolerance: then nothing merges, and
  // one sort of the cells the vertices fall in shows it.
  const auto positionOf = [this](int32_t i) { return static_cast<const double*>(VertAt(i).pos); };
  if (std::isfinite(extent) && !detail_SimplePolyTopology::AnyVertsWithin(*this, live, extent, tolerance, pass)) return;
  // The sort of a large model's vertices takes a while: the progress window answers
  // every so many comparisons.
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  MergeSort(live, [this, tolerance, &tick](int a, int b) {
    (void)tick();
    const SimpleVert& va = VertAt(a);
    const SimpleVert& vb = VertAt(b);
    if (va.IsInfinite() != vb.IsInfinite()) return va.IsInfinite() ? 1 : -1;
    const int c = CompareWithin(va.pos, vb.pos, tolerance);
    return c != 0 ? c : a - b;
  });
  // Runs are gathered from A's neighbourhood, not from neighbours in the sorted
  // order: a tolerant order need not put near-equal points side by side.
  std::vector<int> rank(mVerts.size(), -1);
  for (size_t r = 0; r < live.size(); ++r) {
    (void)pass();
    rank[static_cast<size_t>(live[r])] = static_cast<int>(r);
  }
  PointGrid grid(10 * tolerance, positionOf);
  grid.Reserve(live.size());
  for (int i : live) {
    (void)pass();
    grid.Add(i);
  }
  (void)ProgressTick();
  grid.Finish();
  std::vector<bool> absorbed(mVerts.size(), false);
  bool degenerate = false;
  std::vector<int> run;
  for (int a : live) {
    (void)tick();
    if (absorbed[static_cast<size_t>(a)]) continue;
    SimpleVert& va = VertAt(a);
    run.clear();
    grid.ForEachWithin(va.pos, tolerance, [&](int32_t b) {
      if (b != a && !absorbed[static_cast<size_t>(b)] && VertAt(b).IsInfinite() == va.IsInfinite()) run.push_back(b);
    });
    if (run.empty()) continue;
    std::sort(run.begin(), run.end(),
              [&rank](int x, int y) { return rank[static_cast<size_t>(x)] < rank[static_cast<size_t>(y)]; });
    flags &= ~kSimpleSortedFaceLists;
    for (int b : run) {
      absorbed[static_cast<size_t>(b)] = true;
      SimpleVert& vb = VertAt(b);
      vb.flags |= kSimpleTemp;
      for (int32_t fi : vb.items) {
        SimpleFace& f = FaceAt(fi);
        bool hadA = f.FindItem(a) >= 0;
        for (int32_t& corner : f.items) {
          if (corner == b) corner = a;
        }
        VertAt(a).items.push_back(fi);
        if (hadA) degenerate = true;
      }
      vb.items.clear();
    }
  }
  if (degenerate) {
    // A face that held two merged vertices would now repeat a corner: the zero
    // length edge goes, a face left with fewer than 3 corners is removed, and the
    // lists are rebuilt so that no face is listed twice for one corner.
    for (SimpleFace& f : mFaces) {
      (void)pass();
      if (f.IsTemp() || f.Count() == 0) continue;
      if (detail_SimplePolyTopology::RemoveRepeatedCorners(f) && f.Count() < 3) f.flags |= kSimpleTemp;
    }
    CreateVertexFaceLists(true);
  }
}

bool SimplePoly::SimpleSortVertFaces() {
  if (flags & kSimpleSortedFaceLists) return true;
  ProgressTicker tick;
  for (SimpleVert& v : mVerts) {
    (void)tick();
    if (v.IsTemp() || v.Count() == 0) continue;
    const int32_t self = v.GetIndex();
    const int count = v.Count();
    const SimpleFace& f0 = FaceAt(v.items[0]);
    const int c0 = f0.FindItem(self);
    if (c0 < 0) return false;
    int32_t last = f0.items[static_cast<size_t>(WrapIndex(c0, -1, f0.Count()))];
    for (int j = 1; j <= count - 2; ++j) {
      int found = -1;
      int32_t newLast = kNoIndex;
      for (int k = j; k < count && found < 0; ++k) {
        const SimpleFace& g = FaceAt(v.items[static_cast<size_t>(k)]);
        const int c = g.FindItem(self);
        if (c < 0) continue;
        const int n = g.Count();
        if (g.items[static_cast<size_t>(WrapIndex(c, 1, n))] == last) {
          found = k;
          newLast = g.items[static_cast<size_t>(WrapIndex(c, -1, n))];
        } else if (g.items[static_cast<size_t>(WrapIndex(c, -1, n))] == last) {
          found = k;
          newLast = g.items[static_cast<size_t>(WrapIndex(c, 1, n))];
        }
      }
      if (found < 0) return false;
      std::swap(v.items[static_cast<size_t>(j)], v.items[static_cast<size_t>(found)]);
      last = newLast;
    }
  }
  flags |= kSimpleSortedFaceLists;
  return true;
}

// ---- Full order through edge types ---------------------------------------------------------

bool SimplePoly::CheckTemporaryVerts() const { return FindFaceWithUnknownCorner(true) < 0; }

int SimplePoly::FindFaceWithUnknownCorner(bool removedToo, int32_t* corner) const {
  for (int i = 0; i < NumFaces(); ++i) {
    const SimpleFace& f = FaceAt(i);
    if (f.IsTemp()) continue;
    for (int32_t v : f.items) {
      if (v < 0 || v >= NumVerts() || (removedToo && VertAt(v).IsTemp())) {
        if (corner) *corner = v;
        return i;
      }
    }
  }
  return -1;
}

int SimplePoly::FindFaceWithRepeatedCorner(int32_t* vertex) const {
  // Each vertex stands for its point: the first vertex of its ring of coincident ones.
  std::vector<int32_t> point(static_cast<size_t>(NumVerts()), kNoIndex);
  for (int32_t i = 0; i < NumVerts(); ++i) {
    if (point[static_cast<size_t>(i)] != kNoIndex) continue;
    int32_t j = i;
    do {
      point[static_cast<size_t>(j)] = i;
      j = VertAt(j).coinc;
    } while (j >= 0 && j < NumVerts() && point[static_cast<size_t>(j)] == kNoIndex);
  }
  std::vector<int32_t> corners;
  for (int i = 0; i < NumFaces(); ++i) {
    const SimpleFace& f = FaceAt(i);
    if (f.IsTemp()) continue;
    corners = f.items;
    for (int32_t& v : corners) {
      if (v >= 0 && v < NumVerts()) v = point[static_cast<size_t>(v)];
    }
    std::sort(corners.begin(), corners.end());
    const auto repeat = std::adjacent_find(corners.begin(), corners.end());
    if (repeat == corners.end()) continue;
    if (vertex) *vertex = *repeat;
    return i;
  }
  return -1;
}

bool SimplePoly::FindOddEdge(int32_t& a, int32_t& b, int& sides) const {
  // Every face side keyed by its ends, lower first, then by its place in face order;
  // sorted, the sides of one edge lie together, the first of them first. The three
  // fields share one 64-bit word when they fit, which halves what the sort moves on
  // a large model.
  size_t numSides = 0;
  for (const SimpleFace& f : mFaces) {
    if (!f.IsTemp()) numSides += f.items.size();
  }
  auto bitsFor = [](uint64_t count) {
    int bits = 1;
    while (bits < 64 && (uint64_t{1} << bits) < count) ++bits;
    return bits;
  };
  const int vertBits = bitsFor(static_cast<uint64_t>(std::max(NumVerts(), 2)));
  const int sideBits = bitsFor(std::max<uint64_t>(numSides, 2));
  bool packed = 2 * vertBits + sideBits <= 64;
  std::vector<uint64_t> words;
  std::vector<KeyedEntry> ends;
  // False when a corner lies outside the vertex array and would not fit its field:
  // the wide entries then take every index as it stands.
  auto gather = [&] {
    if (packed) {
      words.reserve(numSides);
    } else {
      ends.reserve(numSides);
    }
    uint64_t index = 0;
    // A million faces answer the window along the walk (the caller's next report hears
    // a cancel).
    ProgressTicker tick(ProgressTicker::kPasses * 16);
    for (const SimpleFace& f : mFaces) {
      (void)tick();
      if (f.IsTemp()) continue;
      const int n = f.Count();
      for (int i = 0; i < n; ++i, ++index) {
        const int32_t p = f.items[static_cast<size_t>(i)], q = f.items[static_cast<size_t>(WrapIndex(i, 1, n))];
        const auto [low, high] = std::minmax(p, q);
        const uint64_t lowBits = static_cast<uint32_t>(low), highBits = static_cast<uint32_t>(high);
        if (!packed) {
          ends.push_back(KeyedEntry{lowBits << 32 | highBits, static_cast<int32_t>(index)});
        } else if (low >= 0 && high < NumVerts()) {
          words.push_back((lowBits << (vertBits + sideBits)) | (highBits << sideBits) | index);
        } else {
          return false;
        }
      }
    }
    return true;
  };
  if (!gather()) {
    packed = false;
    words = std::vector<uint64_t>();
    gather();
  }
  if (packed) {
    SortByKey(words);
  } else {
    SortByKey(ends);
  }
  const size_t count = packed ? words.size() : ends.size();
  auto keyAt = [&](size_t i) { return packed ? words[i] >> sideBits : ends[i].key; };
  auto sideAt = [&](size_t i) {
    return packed ? static_cast<int64_t>(words[i] & ((uint64_t{1} << sideBits) - 1)) : int64_t{ends[i].value};
  };
  // The first side in face order whose edge has an odd number of sides.
  int64_t first = -1;
  ProgressTicker tick(ProgressTicker::kPasses * 16);
  for (size_t i = 0; i < count;) {
    (void)tick();
    size_t j = i + 1;
    while (j < count && keyAt(j) == keyAt(i)) ++j;
    if ((j - i) % 2 == 1 && (first < 0 || sideAt(i) < first)) {
      first = sideAt(i);
      sides = static_cast<int>(j - i);
    }
    i = j;
  }
  if (first < 0) return false;
  for (const SimpleFace& f : mFaces) {
    if (f.IsTemp()) continue;
    const int64_t n = f.Count();
    if (first < n) {
      a = f.items[static_cast<size_t>(first)];
      b = f.items[static_cast<size_t>(WrapIndex(static_cast<int>(first), 1, static_cast<int>(n)))];
      return true;
    }
    first -= n;
  }
  return false;
}

bool SimplePoly::SortVertFaces(const SymGroup* group) {
  if (flags & kSimpleSortedFaceLists) return true;
  if (!CheckTemporaryVerts()) return false;
  std::vector<std::unique_ptr<SimpEdgeType>> types = CreateEdgeTypes(group);
  if (types.empty()) return false;
  (void)ProgressTick();
  TraverseEdgeTypes(types);
  (void)ProgressTick();
  const bool ok = SortVertFacesUsingEdgeTypes(types, group);
  if (ok) flags |= kSimpleSortedFaceLists;
  // A large model has an occurrence list for each of its edges: freed type by type
  // with the window answering.
  for (auto& type : types) {
    (void)ProgressTick();
    type.reset();
  }
  return ok;
}

SimpEdgeType::SimpEdgeType(int32_t endA, int32_t endB, double squaredLength, int32_t faces)
    : length(squaredLength), a(endA), b(endB), numFaces(faces), slots(static_cast<size_t>(std::max(faces, 0))) {}

void SimpEdgeType::AddEdge(int n, const EdgeFaceEntry* entries) {
  EdgeOccurrence occurrence;
  occurrence.entries.assign(entries, entries + n);
  edges.push_back(std::move(occurrence));
}

void SimpEdgeType::UnlinkSlot(int k) {
  SimpEdgeSlot& s = slots[static_cast<size_t>(k)];
  if (s.next >= 0 && s.next != k) {
    slots[static_cast<size_t>(s.next)].prev = s.prev;
    slots[static_cast<size_t>(s.prev)].next = s.next;
  }
  s.next = k;
  s.prev = k;
}

void SimpEdgeType::GroupByEdgeRotation(int order, const double* axis, const SimplePoly& poly) {
  if (edges.empty() || order < 2) return;
  const EdgeOccurrence& first = edges.front();
  const int n = numFaces;
  constexpr int32_t kAssigned = 1;
  auto markRing = [this](int start) {
    int k = start;
    for (size_t steps = 0; steps <= slots.size(); ++steps) {
      slots[static_cast<size_t>(k)].orbit = kAssigned;
      k = slots[static_cast<size_t>(k)].ring;
      if (k < 0 || k == start) break;
    }
  };
  for (int i = 0; i < n; ++i) {
    if (slots[static_cast<size_t>(i)].orbit == kAssigned) continue;
    markRing(i);
    const EdgeFaceEntry& ei = first.entries[static_cast<size_t>(i)];
    const SimpleFace& f = poly.FaceAt(ei.face);
    for (int k = 1; k < order; ++k) {
      double m[9], nm[3];
      SymmetryRotationMatrix(m, axis, k, order);
      MatrixTimesVector(m, nm, f.normal);
      int best = -1;
      for (int j = i + 1; j < n; ++j) {
        if (slots[static_cast<size_t>(j)].orbit == kAssigned) continue;
        const EdgeFaceEntry& ej = first.entries[static_cast<size_t>(j)];
        const SimpleFace& g = poly.FaceAt(ej.face);
        if (g.typeId != f.typeId || g.Count() != f.Count()) continue;
        if (!detail_SimplePolyTopology::NormalsMatch(g.normal, nm)) continue;
        bool forward = true, backward = true;
        for (int t = 0; t < f.Count() && (forward || backward); ++t) {
          double p[3];
          detail_SimplePolyTopology::RotatedCorner(p, m, f, ei.corner + t);
          if (forward && !NearlyEqual(p, g.VertWrapped(ej.corner + t).pos, kPointTolerance)) forward = false;
          if (backward && !NearlyEqual(p, g.VertWrapped(ej.corner + 1 - t).pos, kPointTolerance)) backward = false;
        }
        if (!forward && !backward) continue;
        best = j;
        if (!(g.flags & kSimpleCentralPlane) || NearlyEqual(g.normal, nm, kPointTolerance)) break;
      }
      if (best >= 0) {
        markRing(best);
        std::swap(slots[static_cast<size_t>(i)].ring, slots[static_cast<size_t>(best)].ring);
        rotationOrder = order;
      }
    }
  }
  for (SimpEdgeSlot& s : slots) s.orbit = -1;
}

namespace detail_SimplePolyTopology {

void NumberOrbits(SimpEdgeType& type) {
  int32_t next = 0;
  for (size_t i = 0; i < type.slots.size(); ++i) {
    if (type.slots[i].orbit >= 0) continue;
    int size = 0;
    int k = static_cast<int>(i);
    for (size_t steps = 0; steps <= type.slots.size(); ++steps) {
      ++size;
      k = type.slots[static_cast<size_t>(k)].ring;
      if (k < 0 || k == static_cast<int>(i)) break;
    }
    k = static_cast<int>(i);
    for (int s = 0; s < size; ++s) {
      type.slots[static_cast<size_t>(k)].orbit = next;
      type.slots[static_cast<size_t>(k)].orbitSize = size;
      k = type.slots[static_cast<size_t>(k)].ring;
      if (k < 0) break;
    }
    ++next;
  }
}

// Orbits of one type's slots under the rotations of the group about or across its
// edges.
void FindFaceTypesOfEdges(SimpEdgeType& type, const SymGroup* group, const SimplePoly& poly) {
  for (size_t i = 0; i < type.slots.size(); ++i) type.slots[i].ring = static_cast<int32_t>(i);
  const double* pa = poly.VertAt(type.a).pos;
  const double* pb = poly.VertAt(type.b).pos;
  double d[3], m[3];
  Subtract(d, pb, pa);
  if (!IsZero(d) && group) {
    Add(m, pa, pb);
    Scale(m, m, 0.5);
    const bool atOrigin = IsZero(m);
    const double* crossing = nullptr;
    bool done = false;
    for (int t = 0; t < group->numAxisTypes && !done; ++t) {
      const SymAxisType& at = group->axisTypes[static_cast<size_t>(t)];
      if (at.oppositeEnds) continue;
      for (int k = 0; k < at.numAxes; ++k) {
        const double* u = at.axes[static_cast<size_t>(k)].direction;
        if (!atOrigin && !IsMultipleOf(u, m)) continue;
        const double ud = Dot(u, d);
        if (std::fabs(ud) <= kPointTolerance) {
          if (std::abs(at.fold) % 2 == 0) {
            type.halfTurnAcross = 1;
            crossing = u;
          }
        } else if (!type.rotAboutEdge && IsMultipleOf(u, d)) {
          type.rotAboutEdge = 1;
          type.GroupByEdgeRotation(std::abs(at.fold), u, poly);
        }
        if (!atOrigin) {
          done = true;
          break;
        }
      }
    }
    if (crossing && !type.rotAboutEdge) type.GroupByEdgeRotation(2, crossing, poly);
  }
  NumberOrbits(type);
}

// What the matching reads of one face of a type's reference occurrence (all but
// the last): its class, corner count, normal, corner, whether that corner is end
// a, and where its corners before that corner start in the table of positions.
// Held for all the types of a pass in one small table, so that the matching of an
// occurrence does not read the reference's faces and vertices, which lie
// anywhere in a large model.
struct ReferenceFace {
  double normal[3];
  int32_t typeId;
  int32_t count;
  int32_t corner;
  uint32_t atEndA;
  size_t firstCorner;
};

// The reference faces of a type and the positions of their corners: for each
// face count - 2 corners, from the one before the edge backwards.
struct ReferenceTable {
  std::vector<size_t> start;  // per type of the pass, into faces
  std::vector<ReferenceFace> faces;
  std::vector<double> corners;

  void Add(const EdgeOccurrence& ref, const SimplePoly& poly) {
    for (size_t i = 0; i + 1 < ref.entries.size(); ++i) {
      const EdgeFaceEntry& r = ref.entries[i];
      const SimpleFace& f = poly.FaceAt(r.face);
      ReferenceFace face{{f.normal[0], f.normal[1], f.normal[2]}, f.typeId, f.Count(), r.corner,
                         r.flags & kEdgeEntryAtEndA, corners.size()};
      for (int t = 1; t <= f.Count() - 2; ++t) {
        const double* p = f.VertWrapped(r.corner - t).pos;
        corners.insert(corners.end(), p, p + 3);
      }
      faces.push_back(face);
    }
    start.push_back(faces.size());
  }
};

// Brings the entries of a matched occurrence into the order of the reference
// (numRef faces from ref, then the last) under the rotation m.
void ReorderOccurrence(const ReferenceFace* ref, size_t numRef, const double* refCorners, EdgeOccurrence& occ,
                       const double* m, const SimplePoly& poly) {
  const int n = static_cast<int>(numRef) + 1;
  for (int i = 0; i + 1 < n; ++i) {
    const ReferenceFace& fr = ref[i];
    double nm[3];
    MatrixTimesVector(m, nm, fr.normal);
    int best = -1, bestScore = 0;
    for (int j = i; j < n; ++j) {
      const EdgeFaceEntry& c = occ.entries[static_cast<size_t>(j)];
      const SimpleFace& g = poly.FaceAt(c.face);
      if (g.typeId != fr.typeId || g.Count() != fr.count || !NormalsMatch(g.normal, nm)) continue;
      const bool agree = fr.atEndA == (c.flags & kEdgeEntryAtEndA);
      int gi = agree ? c.corner : c.corner + 1;
      bool ok = true;
      for (int t = 0; t < fr.count - 2 && ok; ++t) {
        gi += agree ? -1 : 1;
        double p[3];
        MatrixTimesVector(m, p, &refCorners[fr.firstCorner + 3 * static_cast<size_t>(t)]);
        ok = NearlyEqual(p, g.VertWrapped(gi).pos, kPointTolerance);
      }
      if (!ok) continue;
      const int score = ((g.flags & kSimpleCentralPlane) && !NearlyEqual(g.normal, nm, kPointTolerance)) ? 1 : 2;
      if (score > bestScore || (score == bestScore && (c.corner % 2) == (fr.corner % 2))) {
        best = j;
        bestScore = score;
      }
    }
    if (best > i) std::swap(occ.entries[static_cast<size_t>(i)], occ.entries[static_cast<size_t>(best)]);
  }
}

void MarkEndA(EdgeOccurrence& occ, int32_t endA, const SimplePoly& poly) {
  for (EdgeFaceEntry& e : occ.entries) {
    if (poly.FaceAt(e.face).items[static_cast<size_t>(e.corner)] == endA) e.flags |= kEdgeEntryAtEndA;
  }
}

}  // namespace detail_SimplePolyTopology

std::vector<std::unique_ptr<SimpEdgeType>> SimplePoly::CreateEdgeTypes(const SymGroup* group) {
  using namespace detail_SimplePolyTopology;
  std::vector<std::unique_ptr<SimpEdgeType>> types;
  if (flags & kSimpleSortedFaceLists) return types;
  CompressVertexTypeIds();
  CreateVertexFaceLists(false);
  int32_t maxType = -1;
  for (SimpleVert& v : mVerts) {
    if (v.IsTemp()) continue;
    std::sort(v.items.begin(), v.items.end());
    maxType = std::max(maxType, v.typeId);
  }
  std::vector<std::vector<int>> buckets(static_cast<size_t>(maxType + 1));
  // What an edge is compared by with each type found so far (the classes of end b
  // and of the faces of the type's first edge, and its length), side by side.
  struct TypeKey {
    int32_t typeB;
    int32_t numFaces;
    double length;
    size_t firstFaceType;
  };
  std::vector<TypeKey> keys;
  std::vector<int32_t> keyFaceTypes;
  std::vector<EdgeFaceEntry> scratch;
  bool oddReported = false;
  // Every occurrence as (type, place in the type) in the order they were found,
  // which is the order of their first faces.
  std::vector<std::pair<int32_t, int32_t>> found;

  // Find edge types (the progress window keeps answering through a large model).
  ProgressTicker tick;
  for (int fi = 0; fi < NumFaces(); ++fi) {
    (void)tick();
    const SimpleFace& f = FaceAt(fi);
    if (f.IsTemp()) continue;
    const int nf = f.Count();
    for (int i = 0; i < nf; ++i) {
      int32_t a = f.items[static_cast<size_t>(i)];
      int32_t b = f.items[static_cast<size_t>(WrapIndex(i, 1, nf))];
      if (a < 0 || b < 0 || VertAt(a).IsTemp() || VertAt(b).IsTemp()) continue;
      if (VertAt(b).typeId < VertAt(a).typeId) std::swap(a, b);
      scratch.clear();
      bool handled = false;
      const SimpleVert& va = VertAt(a);
      int32_t lastFace = -1;
      int lastHit = -1;
      for (int32_t gi : va.items) {
        const SimpleFace& g = FaceAt(gi);
        const int ng = g.Count();
        const int start = (gi == lastFace) ? lastHit + 1 : 0;
        int k = -1;
        for (int c = start; c < ng; ++c) {
          const int32_t p = g.items[static_cast<size_t>(c)];
          const int32_t q = g.items[static_cast<size_t>(WrapIndex(c, 1, ng))];
          if ((p == a && q == b) || (p == b && q == a)) {
            k = c;
            break;
          }
        }
        lastFace = gi;
        if (k < 0) continue;
        lastHit = k;
        if (gi < fi || (gi == fi && k < i)) {
          handled = true;
          break;
        }
        scratch.push_back(EdgeFaceEntry{0, gi, k});
      }
      if (handled) continue;
      const int n = static_cast<int>(scratch.size());
      if (n == 0 || n % 2 == 1) {
        if (!oddReported) {
          ShowInternalError("Model is invalid\nEdge found with odd number of faces (%d)", n);
          oddReported = true;
        } else {
          // A trace: the internal error above has told the first such edge.
          DoNothing("Edge found with odd number of faces (%d)\n", n);
        }
      }
      // By face type, keeping the order within a type. Nearly every edge has two
      // faces: those are sorted in place, as a stable sort takes a buffer from the
      // heap each time.
      const auto byFaceType = [this](const EdgeFaceEntry& x, const EdgeFaceEntry& y) {
        return FaceAt(x.face).typeId < FaceAt(y.face).typeId;
      };
      if (n == 2) {
        if (byFaceType(scratch[1], scratch[0])) std::swap(scratch[0], scratch[1]);
      } else {
        std::stable_sort(scratch.begin(), scratch.end(), byFaceType);
      }
      double d[3];
      Subtract(d, VertAt(b).pos, VertAt(a).pos);
      const double len = Dot(d, d);
      const int32_t typeB = VertAt(b).typeId;
      int32_t match = -1;
      for (int t : buckets[static_cast<size_t>(va.typeId)]) {
        const TypeKey& key = keys[static_cast<size_t>(t)];
        if (key.typeB != typeB || key.numFaces != n || std::fabs(key.length - len) > kPointTolerance) continue;
        bool same = true;
        for (int e = 0; e < n && same; ++e) {
          same = keyFaceTypes[key.firstFaceType + static_cast<size_t>(e)] == FaceAt(scratch[static_cast<size_t>(e)].face).typeId;
        }
        if (same) {
          match = t;
          break;
        }
      }
      if (match < 0) {
        types.push_back(std::make_unique<SimpEdgeType>(a, b, len, n));
        keys.push_back(TypeKey{typeB, n, len, keyFaceTypes.size()});
        for (const EdgeFaceEntry& e : scratch) keyFaceTypes.push_back(FaceAt(e.face).typeId);
        match = static_cast<int32_t>(types.size()) - 1;
        auto& bucket = buckets[static_cast<size_t>(va.typeId)];
        bucket.insert(bucket.begin(), match);
      }
      SimpEdgeType& type = *types[static_cast<size_t>(match)];
      found.emplace_back(match, static_cast<int32_t>(type.edges.size()));
      type.AddEdge(n, scratch.data());
    }
  }
  if (types.empty()) return types;

  // Find face types with respect to edges.
  for (auto& type : types) {
    (void)tick();
    FindFaceTypesOfEdges(*type, group, *this);
  }

  // Match faces for edge types.
  size_t passStart = 0;
  while (passStart < types.size()) {
    const size_t passEnd = types.size();
    for (size_t t = passStart; t < passEnd; ++t) {
      SimpEdgeType& type = *types[t];
      type.edges.front().flags |= kEdgeOccurrenceMatched;
      MarkEndA(type.edges.front(), type.a, *this);
    }
    ReferenceTable reference;
    reference.start.push_back(0);
    for (size_t t = passStart; t < passEnd; ++t) reference.Add(types[t]->edges.front(), *this);
    // Each occurrence is matched by the first rotation (in the group's order) that
    // carries the type's ends onto its own. The images of every type's end a are
    // filed by position, so an occurrence looks up the rotations that bring a onto
    // one of its ends instead of trying them all.
    std::vector<std::array<double, 9>> rotations;
    SymRotationIterator it;
    double m[9];
    while (group && GetNextSymmetryRotation(group, it, false, m)) {
      rotations.emplace_back();
      std::copy(m, m + 9, rotations.back().begin());
    }
    const int numRotations = static_cast<int>(rotations.size());
    // The image of end b is worked out only for the few rotations that bring end
    // a to its place, from a copy of the ends b beside one another.
    std::vector<double> endB(3 * (passEnd - passStart));
    for (size_t t = passStart; t < passEnd; ++t) std::copy_n(VertAt(types[t]->b).pos, 3, &endB[3 * (t - passStart)]);
    const std::vector<PointGrid<RunPositions>> grids = FileEdgeEndImages(types, passStart, passEnd, rotations, *this);
    // Matches occurrence o of type t; each on its own, so in any order.
    auto matchOccurrence = [&](size_t t, size_t o) {
      SimpEdgeType& type = *types[t];
      const size_t firstImage = (t - passStart) * static_cast<size_t>(numRotations);
      (void)tick();
      EdgeOccurrence& occ = type.edges[o];
      if (occ.flags & kEdgeOccurrenceMatched) return;
      if (type.numFaces == 0) {
        occ.flags |= kEdgeOccurrenceMatched;
        return;
      }
      const EdgeFaceEntry& e0 = occ.entries.front();
      const SimpleFace& f0 = FaceAt(e0.face);
      const int32_t p = f0.items[static_cast<size_t>(e0.corner)];
      const int32_t q = f0.items[static_cast<size_t>(WrapIndex(e0.corner, 1, f0.Count()))];
      // The first rotation taking a to p and b to q, or a to q and b to p (at one
      // rotation the first way round wins).
      int best = numRotations;
      int32_t endMa = -1;
      for (const int32_t end : {p, q}) {
        const int32_t other = end == p ? q : p;
        grids[(t - passStart) / kTypesPerGrid].ForEachWithin(VertAt(end).pos, kPointTolerance, [&](int32_t image) {
          const size_t s = static_cast<size_t>(image);
          if (s < firstImage || s >= firstImage + static_cast<size_t>(numRotations)) return;
          const int r = static_cast<int>(s - firstImage);
          if (r > best || (r == best && end == q)) return;
          double imageB[3];
          MatrixTimesVector(rotations[static_cast<size_t>(r)].data(), imageB, &endB[3 * (t - passStart)]);
          if (!NearlyEqual(VertAt(other).pos, imageB, kPointTolerance)) return;
          best = r;
          endMa = end;
        });
      }
      if (best == numRotations) return;
      occ.flags |= kEdgeOccurrenceMatched;
      MarkEndA(occ, endMa, *this);
      const size_t firstRef = reference.start[t - passStart];
      ReorderOccurrence(&reference.faces[firstRef], reference.start[t - passStart + 1] - firstRef,
                        reference.corners.data(), occ, rotations[static_cast<size_t>(best)].data(), *this);
    };
    if (numRotations > 0 && passStart == 0) {
      // The first pass takes the occurrences in the order of their faces, so that
      // the faces and corners they read follow one another in memory.
      // The occurrences themselves lie in their types' arrays, wherever these are:
      // each is asked for from memory a few occurrences before it is matched.
      constexpr size_t kAhead = 8;
      for (size_t i = 0; i < found.size(); ++i) {
        if (i + kAhead < found.size()) {
          const auto& [t, o] = found[i + kAhead];
          __builtin_prefetch(&types[static_cast<size_t>(t)]->edges[static_cast<size_t>(o)]);
        }
        matchOccurrence(static_cast<size_t>(found[i].first), static_cast<size_t>(found[i].second));
      }
      std::vector<std::pair<int32_t, int32_t>>().swap(found);
    } else {
      for (size_t t = passStart; t < passEnd && numRotations > 0; ++t) {
        for (size_t o = 1; o < types[t]->edges.size(); ++o) matchOccurrence(t, o);
      }
    }
    // Occurrences that no rotation relates to the reference form new types. With no
    // rotation at all each of them is a type of its own, which is what repeated
    // passes would give one at a time.
    for (size_t t = passStart; t < passEnd; ++t) {
      (void)tick();
      std::vector<EdgeOccurrence> moved;
      SimpEdgeType& type = *types[t];
      std::vector<EdgeOccurrence> kept;
      for (EdgeOccurrence& occ : type.edges) {
        if (occ.flags & kEdgeOccurrenceMatched) {
          kept.push_back(std::move(occ));
        } else {
          moved.push_back(std::move(occ));
        }
      }
      type.edges = std::move(kept);
      const int32_t len = type.numFaces;
      const double squared = type.length;
      const std::vector<SimpEdgeSlot> slots = type.slots;
      auto newType = [&](std::vector<EdgeOccurrence>&& occs) {
        const EdgeFaceEntry& e0 = occs.front().entries.front();
        const SimpleFace& f0 = FaceAt(e0.face);
        int32_t a = f0.items[static_cast<size_t>(e0.corner)];
        int32_t b = f0.items[static_cast<size_t>(WrapIndex(e0.corner, 1, f0.Count()))];
        if (VertAt(b).typeId < VertAt(a).typeId) std::swap(a, b);
        auto created = std::make_unique<SimpEdgeType>(a, b, squared, len);
        created->slots = slots;
        created->edges = std::move(occs);
        types.push_back(std::move(created));
      };
      if (moved.empty() || len == 0) continue;
      if (numRotations == 0) {
        for (EdgeOccurrence& occ : moved) {
          std::vector<EdgeOccurrence> one;
          one.push_back(std::move(occ));
          newType(std::move(one));
        }
      } else {
        newType(std::move(moved));
      }
    }
    passStart = passEnd;
  }
  return types;
}

bool SimplePoly::TraverseEdgeTypes(std::vector<std::unique_ptr<SimpEdgeType>>& types) {
  using detail_SimplePolyTopology::NormalsMatch;
  if (flags & kSimpleSortedFaceLists) return false;
  for (auto& tp : types) {
    (void)ProgressTick();
    SimpEdgeType& type = *tp;
    if (type.edges.empty()) continue;
    const EdgeOccurrence& first = type.edges.front();
    const int n = type.numFaces;
    auto faceOf = [&](int k) -> const SimpleFace& { return FaceAt(first.entries[static_cast<size_t>(k)].face); };
    for (int k = 0; k < n; ++k) {
      type.slots[static_cast<size_t>(k)].next = k;
      type.slots[static_cast<size_t>(k)].prev = k;
    }
    // Coplanar rings.
    if (n != 2) {
      for (int k = 1; k < n; ++k) {
        for (int j = 0; j < k; ++j) {
          if (!NormalsMatch(faceOf(j).normal, faceOf(k).normal)) continue;
          SimpEdgeSlot& sj = type.slots[static_cast<size_t>(j)];
          SimpEdgeSlot& sk = type.slots[static_cast<size_t>(k)];
          sk.next = sj.next;
          sk.prev = j;
          type.slots[static_cast<size_t>(sj.next)].prev = k;
          sj.next = k;
          break;
        }
      }
    }
    auto pair = [&](int i, int j) {
      type.UnlinkSlot(i);
      type.UnlinkSlot(j);
      type.slots[static_cast<size_t>(i)].partner = j;
      type.slots[static_cast<size_t>(j)].partner = i;
    };
    if (n == 2) {
      pair(0, 1);
      continue;
    }
    auto usable = [&](int i, int j) {
      return j != i && type.slots[static_cast<size_t>(j)].partner < 0 &&
             first.entries[static_cast<size_t>(i)].face != first.entries[static_cast<size_t>(j)].face &&
             !NormalsMatch(faceOf(i).normal, faceOf(j).normal);
    };
    for (int i = 0; i < n - 1; ++i) {
      SimpEdgeSlot& si = type.slots[static_cast<size_t>(i)];
      if (si.partner >= 0) continue;
      int partner = -1;
      for (int pass = 0; pass < 2 && partner < 0; ++pass) {
        auto allowed = [&](int j) { return pass == 1 || type.slots[static_cast<size_t>(j)].next != j; };
        if (type.rotationOrder == 2 && si.ring > i && allowed(si.ring) && usable(i, si.ring)) partner = si.ring;
        for (int j = i + 1; j < n && partner < 0; ++j) {
          const SimpEdgeSlot& sj = type.slots[static_cast<size_t>(j)];
          if (allowed(j) && sj.orbitSize == si.orbitSize && sj.orbit != si.orbit && usable(i, j)) partner = j;
        }
        for (int j = i + 1; j < n && partner < 0; ++j) {
          const SimpEdgeSlot& sj = type.slots[static_cast<size_t>(j)];
          if (allowed(j) && sj.orbit == si.orbit && usable(i, j)) partner = j;
        }
      }
      for (int j = i + 1; j < n && partner < 0; ++j) {
        const SimpEdgeSlot& sj = type.slots[static_cast<size_t>(j)];
        if (sj.partner < 0 && sj.orbitSize == si.orbitSize) partner = j;
      }
      if (partner < 0) continue;
      pair(i, partner);
      // The members of both orbit rings pair up step by step.
      int ri = type.slots[static_cast<size_t>(i)].ring;
      int rj = type.slots[static_cast<size_t>(partner)].ring;
      for (int steps = 0; steps < n && ri >= 0 && rj >= 0 && ri != i; ++steps) {
        if (ri != rj && type.slots[static_cast<size_t>(ri)].partner < 0 &&
            type.slots[static_cast<size_t>(rj)].partner < 0) {
          pair(ri, rj);
        }
        ri = type.slots[static_cast<size_t>(ri)].ring;
        rj = type.slots[static_cast<size_t>(rj)].ring;
      }
    }
  }
  return true;
}

namespace detail_SimplePolyTopology {

// Partner entry for each corner of each face, beside the vertex at that corner: a
// walk round a vertex reads the corners of its faces here, next to their
// partners, instead of from the face records.
class PartnerTable {
 public:
  explicit PartnerTable(const SimplePoly& poly) : mPoly(poly), mStart(static_cast<size_t>(poly.NumFaces()) + 1, 0) {
    // Room for triangles: most large models are made of them.
    mCorners.reserve(3 * static_cast<size_t>(poly.NumFaces()));
    for (int fi = 0; fi < poly.NumFaces(); ++fi) {
      const SimpleFace& f = poly.FaceAt(fi);
      if (!f.IsTemp()) {
        for (int32_t v : f.items) mCorners.push_back(Corner{v, nullptr});
      }
      mStart[static_cast<size_t>(fi) + 1] = static_cast<uint32_t>(mCorners.size());
    }
  }
  EdgeFaceEntry*& At(int32_t face, int corner) {
    return mCorners[mStart[static_cast<size_t>(face)] + static_cast<uint32_t>(corner)].partner;
  }
  // The vertices round a face: n of them, vertex(i) at corner i. A face that has
  // no place in the table (a removed one) is read from its record.
  struct FaceCorners {
    const PartnerTable* table;
    const SimpleFace* face;
    uint32_t first;
    int n;
    int32_t vertex(int i) const {
      return face ? face->items[static_cast<size_t>(i)] : table->mCorners[first + static_cast<uint32_t>(i)].vertex;
    }
  };
  FaceCorners CornersOf(int32_t face) const {
    const uint32_t first = mStart[static_cast<size_t>(face)];
    const uint32_t end = mStart[static_cast<size_t>(face) + 1];
    if (end > first) return FaceCorners{this, nullptr, first, static_cast<int>(end - first)};
    const SimpleFace& f = mPoly.FaceAt(face);
    return FaceCorners{this, &f, 0, f.Count()};
  }

 private:
  struct Corner {
    int32_t vertex = kNoIndex;
    EdgeFaceEntry* partner = nullptr;
  };
  const SimplePoly& mPoly;
  std::vector<uint32_t> mStart;  // per face, into mCorners
  std::vector<Corner> mCorners;
};

}  // namespace detail_SimplePolyTopology

namespace detail_SimplePolyTopology {

bool TraverseFaceLoop(SimplePoly& poly, int32_t vi, EdgeFaceEntry* entry, PartnerTable& table, int& count,
                      std::vector<int32_t>& corners) {
  SimpleVert& v = poly.VertAt(vi);
  const int total = v.Count();
  for (int guard = 0; guard <= total + 1; ++guard) {
    if (!entry) {
      ShowInternalError("TraverseFaceLoop: ef == NULL");
      return false;
    }
    const PartnerTable::FaceCorners f = table.CornersOf(entry->face);
    const int n = f.n;
    const int k = entry->corner;
    uint32_t side;
    int p, other;
    if (f.vertex(k) == vi) {
      side = kEdgeEntryFirstDone;
      p = k;
      other = WrapIndex(k, -1, n);
    } else {
      side = kEdgeEntrySecondDone;
      p = WrapIndex(k, 1, n);
      other = WrapIndex(k, 1, n);
    }
    if (entry->flags & side) return true;
    entry->flags |= side;
    EdgeFaceEntry* partner = table.At(entry->face, k);
    if (!partner) {
      ShowInternalError("TraverseFaceLoop: adj == NULL");
      return false;
    }
    partner->flags |=
        table.CornersOf(partner->face).vertex(partner->corner) == vi ? kEdgeEntryFirstDone : kEdgeEntrySecondDone;
    if (count >= total) {
      ShowInternalError("TraverseFaceLoop: more faces than expected");
      return false;
    }
    v.items[static_cast<size_t>(count)] = entry->face;
    ++count;
    corners.push_back(p);
    entry = table.At(entry->face, other);
  }
  ShowInternalError("TraverseFaceLoop: more faces than expected");
  return false;
}

}  // namespace detail_SimplePolyTopology

bool SimplePoly::SortVertFacesUsingEdgeTypes(std::vector<std::unique_ptr<SimpEdgeType>>& types,
                                             const SymGroup* /*group*/) {
  using namespace detail_SimplePolyTopology;
  PartnerTable table(*this);
  ProgressTicker tick;
  for (auto& type : types) {
    for (EdgeOccurrence& occ : type->edges) {
      (void)tick();
      for (int k = 0; k < type->numFaces; ++k) {
        const int p = type->slots[static_cast<size_t>(k)].partner;
        if (p < 0) continue;
        const EdgeFaceEntry& e = occ.entries[static_cast<size_t>(k)];
        table.At(e.face, e.corner) = &occ.entries[static_cast<size_t>(p)];
      }
    }
  }
  std::vector<int> counts(mVerts.size(), 0);
  std::vector<int32_t> corners;
  std::vector<SimpleSplitRecord> splits;
  for (auto& type : types) {
    for (int k = 0; k < type->numFaces; ++k) {
      for (int pass = 0; pass < 2; ++pass) {
        int slot = k;
        if (pass == 1 && type->halfTurnAcross && !type->rotAboutEdge) slot = type->slots[static_cast<size_t>(k)].ring;
        if (slot < 0) continue;
        for (EdgeOccurrence& occ : type->edges) {
          (void)tick();
          EdgeFaceEntry& e = occ.entries[static_cast<size_t>(slot)];
          const bool atA = (e.flags & kEdgeEntryAtEndA) != 0;
          int32_t v;
          if ((pass == 0) == atA) {
            if (e.flags & kEdgeEntryFirstDone) continue;
            v = table.CornersOf(e.face).vertex(e.corner);
          } else {
            if (e.flags & kEdgeEntrySecondDone) continue;
            const PartnerTable::FaceCorners f = table.CornersOf(e.face);
            v = f.vertex(WrapIndex(e.corner, 1, f.n));
          }
          corners.clear();
          int& count = counts[static_cast<size_t>(v)];
          const int before = count;
          if (!TraverseFaceLoop(*this, v, &e, table, count, corners)) return false;
          if (count < VertAt(v).Count()) {
            SimpleSplitRecord record;
            record.vertex = v;
            record.numFaces = count - before;
            record.corners = corners;
            splits.push_back(std::move(record));
            VertAt(v).flags |= kSimpleSplit | kSimpleSplitFan;
          }
        }
      }
    }
  }
  SplitVertices(splits);
  return true;
}

void SimplePoly::SplitVertices(std::vector<SimpleSplitRecord>& splitList) {
  if (splitList.empty()) return;
  const int oldCount = NumVerts();
  std::stable_sort(splitList.begin(), splitList.end(),
                   [](const SimpleSplitRecord& x, const SimpleSplitRecord& y) { return x.vertex < y.vertex; });
  Resize(oldCount + static_cast<int>(splitList.size()), NumFaces());
  int running = 0;
  size_t r = 0;
  while (r < splitList.size()) {
    const int32_t old = splitList[r].vertex;
    size_t taken = 0;
    int multiple = 1;
    std::vector<int32_t> oldList = VertAt(old).items;
    for (; r < splitList.size() && splitList[r].vertex == old; ++r, ++multiple) {
      const SimpleSplitRecord& rec = splitList[r];
      const int32_t ni = oldCount + running++;
      SimpleVert& nv = VertAt(ni);
      const SimpleVert& ov = VertAt(old);
      nv.typeId = multiple * oldCount + ov.typeId;
      nv.color = ov.color;
      nv.color2 = ov.color2;
      nv.SetAlpha(ov.Alpha());
      nv.flags |= ov.flags & (kSimpleTemp | kSimpleHidden | kSimpleInfinite | kSimpleMarked);
      nv.SetPos(ov.pos);
      const size_t end = std::min(oldList.size(), taken + static_cast<size_t>(std::max(rec.numFaces, 0)));
      nv.items.assign(oldList.begin() + static_cast<long>(taken), oldList.begin() + static_cast<long>(end));
      for (size_t s = taken; s < end; ++s) {
        SimpleFace& f = FaceAt(oldList[s]);
        if (!rec.corners.empty()) {
          const size_t c = s - taken;
          const int32_t corner = c < rec.corners.size() ? rec.corners[c] : -1;
          if (corner < 0 || corner >= f.Count() || f.items[static_cast<size_t>(corner)] != old) {
            ShowInternalError("SplitVertices: face-vert mismatch");
            continue;
          }
          f.items[static_cast<size_t>(corner)] = ni;
        } else {
          for (int32_t& item : f.items) {
            if (item == old) item = ni;
          }
        }
      }
      taken = end;
    }
    VertAt(old).items.assign(oldList.begin() + static_cast<long>(taken), oldList.end());
  }
}

bool SimplePoly::RenumberScatteredVerts() {
  const int32_t numVerts = NumVerts();
  if (numVerts < 2 || NumEdges() > 0 || symmetry || !mVertTypeParent.empty()) return false;
  // Scattered: most sides of the faces join vertices further apart in the list than
  // the corners of a band of faces round a model listed ring by ring.
  const int64_t near = 64 + 4 * static_cast<int64_t>(std::sqrt(static_cast<double>(numVerts)));
  int64_t sides = 0, far = 0;
  for (const SimpleFace& f : mFaces) {
    if (f.IsTemp()) continue;
    const size_t n = f.items.size();
    for (size_t k = 0; k < n; ++k) {
      ++sides;
      if (std::llabs(int64_t{f.items[k]} - int64_t{f.items[(k + 1) % n]}) > near) ++far;
    }
  }
  if (2 * far <= sides) return false;
  // Only a plain model is renumbered (its vertices are read once it is known to be
  // scattered, which most models are not).
  for (int32_t i = 0; i < numVerts; ++i) {
    const SimpleVert& v = VertAt(i);
    if ((v.coinc != kNoIndex && v.coinc != i) || (v.nextOfType != kNoIndex && v.nextOfType != i) || v.Image() ||
        (v.flags & (kSimpleSplit | kSimpleSplitFan))) {
      return false;
    }
  }
  std::vector<int32_t> newIndex(static_cast<size_t>(numVerts), kNoIndex);
  int32_t next = 0;
  for (const SimpleFace& f : mFaces) {
    if (f.IsTemp()) continue;
    for (int32_t corner : f.items) {
      int32_t& to = newIndex[static_cast<size_t>(corner)];
      if (to == kNoIndex) to = next++;
    }
  }
  for (int32_t& to : newIndex) {
    if (to == kNoIndex) to = next++;
  }
  // The records are swapped into their places along the cycles of the renumbering,
  // in the array they fill: a large model needs no second array of them. A plain
  // model's links lead only to the vertex itself.
  std::vector<int32_t> place = newIndex;
  for (int32_t i = 0; i < numVerts; ++i) {
    for (int32_t to = place[static_cast<size_t>(i)]; to != i; to = place[static_cast<size_t>(i)]) {
      std::swap(mVerts[static_cast<size_t>(i)], mVerts[static_cast<size_t>(to)]);
      std::swap(place[static_cast<size_t>(i)], place[static_cast<size_t>(to)]);
    }
    SimpleVert& v = mVerts[static_cast<size_t>(i)];
    if (v.coinc != kNoIndex) v.coinc = i;
    if (v.nextOfType != kNoIndex) v.nextOfType = i;
  }
  for (SimpleFace& f : mFaces) {
    for (int32_t& corner : f.items) corner = newIndex[static_cast<size_t>(corner)];
  }
  RebuildVertexSearch();
  return true;
}

}  // namespace corvia
