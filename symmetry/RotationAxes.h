#pragma once
// The rotation tests of the symmetry search: whether the turn by one k-th about a
// candidate axis maps a plain model onto itself, vertex for vertex and face for
// face, and, when it does, the merging of the types of the elements it carries onto
// each other. After every true axis has been tested the type rings of the model are
// the orbits of its vertices and faces under the rotation group.
//
// The orbit buffer holds model vertex indices in blocks of k: entry j of a block is
// the image of entry 0 under the j-th power of the rotation; a vertex on the axis
// fills all k entries of its block.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/PointGrid.h"
#include "core/Tolerances.h"
#include "symmetry/SymmetryMatch.h"

namespace corvia {

class SimplePoly;
struct SimpleFace;
struct SimpleVert;

// Finds the vertices of a model within a tolerance (kPointTolerance unless given) of
// a point in every coordinate, through a grid of their positions (core/PointGrid.h),
// so that a lookup never misses a vertex the way a search in a tolerantly sorted
// array can. The positions, and which vertices are Temp or Infinite, are read
// once: rebuild after the model has been moved or those flags changed. Other flags
// are read as they stand at each lookup.
class VertexLocator {
 public:
  explicit VertexLocator(const SimplePoly& poly, double tolerance = kPointTolerance);
  // The grid is made from the locator's own copy of the positions.
  VertexLocator(const VertexLocator&) = delete;
  VertexLocator& operator=(const VertexLocator&) = delete;
  // The least width of grid cells for a model whose largest coordinate (in size) is
  // extent: wide enough to keep cell numbers small. The locator's cells are wider
  // still, far wider than its tolerance box.
  static double CellSizeFor(double extent);

  // The lowest-index vertex within the tolerance of p that carries none of the
  // flags in excludeFlags (and is not Temp); -1 when there is none. A given `at`
  // receives its position as the locator read it. Flags other than Temp and
  // Infinite cost a read of each vertex found.
  int32_t FindFirst(const double* p, uint32_t excludeFlags, double* at = nullptr) const;
  // Whether any live vertex lies within tol of p in every coordinate.
  bool AnyWithin(const double* p, double tol) const;
  double Tolerance() const { return mTolerance; }

 private:
  // The positions side by side (three per vertex), the live vertices and the width
  // of the grid's cells for them, from one pass over the model.
  struct Positions {
    std::vector<double> points;
    std::vector<int32_t> live;
    std::vector<int32_t> infinite;
    double cellSize = 0;
  };
  static Positions ReadPositions(const SimplePoly& poly, double tolerance);

  const SimplePoly& mPoly;
  double mTolerance;
  // Kept while the grid is made, which then keeps its own copy of the positions in
  // the order its searches read.
  Positions mPositions;
  PointGrid<PackedPositions> mGrid;
  // Whether each vertex is Infinite (Temp vertices are not in the grid).
  std::vector<uint8_t> mInfinite;
};

// The pieces of a model: its vertices grouped by the faces that join them, each piece
// holding its vertices in index order. The sweep of the rotation tests looks for the
// lowest vertex not yet reached piece by piece, instead of sorting every vertex along
// each candidate axis. Found once for all the axes: rebuild after the faces change.
class VertexPieces {
 public:
  explicit VertexPieces(const SimplePoly& poly);
  int Count() const { return static_cast<int>(mStart.size()) - 1; }
  const int32_t* begin(int piece) const { return mVerts.data() + mStart[static_cast<size_t>(piece)]; }
  const int32_t* end(int piece) const { return mVerts.data() + mStart[static_cast<size_t>(piece) + 1]; }

 private:
  std::vector<int32_t> mStart{0};
  std::vector<int32_t> mVerts;
};

// The sum of the centroids of the faces round each vertex (SumCentroidsOfRing, to
// the bit), worked out once for the axes a search tests: a test compares the sums of
// a vertex and of its images many times over, and each sum reads every corner of
// every face round the vertex. Rebuild after the vertices move or the faces round
// them change.
class RingCentroidSums {
 public:
  explicit RingCentroidSums(const SimplePoly& poly);
  const double* Of(int32_t v) const { return &mSums[3 * static_cast<size_t>(v)]; }

 private:
  std::vector<double> mSums;  // three per vertex
};

// The turn by 1/k about `axis`, right-handed (counter-clockwise seen from the
// axis tip), as the rotation tests build it. False, and m untouched, for an axis
// of no length.
bool AxisTurnMatrix(const double* axis, int k, double* m);

// The rotations of the axes found so far together with all their products: the
// group they generate. A turn that is already in it maps the model onto itself
// (it is a product of turns that do) and its test would join no new types, so
// the search takes it without testing. Rotation groups of models are finite;
// should the products not close within kMaxRotations (a dihedral group of a
// 120-gon), the set stops answering and every candidate is tested.
class RotationClosure {
 public:
  static constexpr int kMaxRotations = 240;

  // Rotations are one when their entries differ by no more than the tolerance.
  explicit RotationClosure(double tolerance = kPointTolerance);
  // Whether m is one of the rotations.
  bool Contains(const double* m) const;
  // False when the turn by 1/k about dir (of any length) is certainly not one of the
  // rotations (Contains would say no to the matrix AxisTurnMatrix makes), told from
  // the diagonal such a turn has without making it.
  bool MayContainTurn(const double* dir, int k) const;
  // Adds a generator and closes the set under products again.
  void AddGenerator(const double* m);
  int Count() const { return mGaveUp ? 0 : static_cast<int>(mElements.size()); }
  // The rotations (none once the set stopped answering).
  const std::vector<std::array<double, 9>>& Elements() const { return mElements; }

 private:
  using Matrix = std::array<double, 9>;
  std::vector<Matrix> mGenerators;
  std::vector<Matrix> mElements;
  double mTolerance;
  bool mGaveUp = false;
};

// Whether the turn by 1/k about `axis` maps the model onto itself; on success the
// types of the vertices and faces it carries onto each other are joined (faces that
// meet the same image at one vertex are also joined into one coincidence ring).
// The candidate comes from the convex hull, whose vertex i is model vertex i: a
// hull face (its vertices taken n / k apart form the first blocks), a hull vertex,
// or a hull edge (edge >= 0: the edge of `face` starting at `vert`). n is the
// number of corners round the candidate (2 for an edge) and k divides it. A null
// locator is built here from the model. Positions are compared within
// match.position (a locator given must search as wide), face normals within
// match.normal.
bool TestAxisAndCombineSameTypes(SimplePoly& poly, const SimpleFace* face, const SimpleVert* vert, int edge,
                                 const double* axis, int n, int k, std::vector<int32_t>& buffer,
                                 const VertexLocator* locator = nullptr, const SymmetryMatch& match = {},
                                 const VertexPieces* pieces = nullptr, const RingCentroidSums* rings = nullptr);

// Builds the rotation m and checks every vertex (and the faces through them); the
// blocks of the orbits found are appended to buffer, count growing by k each. The
// vertices not reached from the candidate start orbits of their own, lowest first in
// the order of CompareHeightRadius. Null pieces are found here from the model; null
// rings are summed where they are compared.
bool TestAxisRotations(SimplePoly& poly, const SimpleFace* face, const SimpleVert* vert, int edge, const double* axis,
                       double* m, int n, int k, std::vector<int32_t>& buffer, int& count, const VertexLocator& locator,
                       const SymmetryMatch& match = {}, const VertexPieces* pieces = nullptr,
                       const RingCentroidSums* rings = nullptr);

// Checks the block at start, first choosing its entries among coincident vertices
// by the faces round them, then spreads over the model from it.
bool TestForSymmetry(SimplePoly& poly, int k, const double* m, std::vector<int32_t>& buffer, int start, int& count,
                     const SymmetryMatch& match = {}, const RingCentroidSums* rings = nullptr);

// Breadth-first spread from the block at start: every face of a queued block's
// first vertex must have its images, and the neighbours of that vertex are queued
// as new blocks with their images.
bool TestForSymmetryR(SimplePoly& poly, int k, const double* m, std::vector<int32_t>& buffer, int start, int& count,
                      const SymmetryMatch& match = {}, const RingCentroidSums* rings = nullptr);

// Entry j of the block lies at m^j of entry 0 and has as many faces; on success
// every entry is marked Done.
bool CheckOrbit(SimplePoly& poly, int k, const double* m, const int32_t* block, double tolerance = kPointTolerance);

// The faces without corners (planes) must fall into orbits of k as well.
bool MatchPlaneFaceOrbits(SimplePoly& poly, const double* axis, int k, const double* m,
                          const SymmetryMatch& match = {});

// Order of the sweep over vertices a and b: height along the axis, then squared
// radius, each within the tolerance, then index. Three-way. heightRadius holds the
// two values of every vertex side by side, by vertex index.
int CompareHeightRadius(const double* heightRadius, int32_t a, int32_t b, double tolerance = kPointTolerance);

// Sum of the centroids of the faces round a vertex.
void SumCentroidsOfRing(const SimpleVert& v, double* out);

}  // namespace corvia
