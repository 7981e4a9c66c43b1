#include "symmetry/Waterman.h"

#include <cmath>
#include <vector>

#include "core/Messages.h"
#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"

namespace corvia::detail_Waterman {

// Guard added before rounding square roots of whole numbers.
constexpr double kRootGuard = 0.0001;

// Calls emit(x, y, z) once for every kept lattice point p with
// inner <= |p|^2 <= radius2, in the order of the builder (the orbit of each triple
// (a, b, c) under the coordinate sign changes and the permutations it needs).
template <typename Emit>
void ForEachLatticePoint(int latticeType, int radius2, Emit emit) {
  const double r = std::sqrt(static_cast<double>(radius2));
  const int n = static_cast<int>(std::floor(r + kRootGuard));
  // Points deeper than one lattice step inside the sphere lie inside the hull of
  // their neighbours and cannot be corners.
  const double w = (r - 1.0) * (r - 1.0) - kRootGuard;
  const int inner = w >= 0.0 ? static_cast<int>(w) + 1 : 0;
  for (int a = 1; a <= n; ++a) {
    for (int b = 0; b <= n; ++b) {
      const int rest = inner - a * a - b * b;
      int c0 = 0;
      if (rest > 0) {
        c0 = static_cast<int>(std::sqrt(static_cast<double>(rest)) - kRootGuard) + 1;
        // The smallest c with a^2 + b^2 + c^2 >= inner, whatever the rounding did.
        while (c0 > 0 && (c0 - 1) * (c0 - 1) >= rest) --c0;
        while (c0 * c0 < rest) ++c0;
      }
      for (int c = c0; c <= n; ++c) {
        // The points with b = 0 and c > 0 are emitted by other triples.
        if (b == 0 && c > 0) continue;
        if (latticeType != kWatermanCubicLattice && ((a + b + c) & 1) != latticeType) continue;
        if (a * a + b * b + c * c > radius2) break;
        if (b > 0 && c > 0) {
          emit(c, b, a), emit(c, b, -a), emit(c, -b, a), emit(c, -b, -a);
          emit(-c, b, a), emit(-c, -b, a), emit(-c, b, -a), emit(-c, -b, -a);
        } else if (b > 0) {
          emit(0, b, a), emit(0, b, -a), emit(0, -b, a), emit(0, -b, -a);
          emit(b, a, 0), emit(-b, a, 0), emit(b, -a, 0), emit(-b, -a, 0);
          emit(a, 0, b), emit(-a, 0, b), emit(a, 0, -b), emit(-a, 0, -b);
        } else {
          emit(0, 0, a), emit(0, 0, -a), emit(a, 0, 0);
          emit(-a, 0, 0), emit(0, a, 0), emit(0, -a, 0);
        }
      }
    }
  }
}

}  // namespace corvia::detail_Waterman

namespace corvia {

std::unique_ptr<SimplePoly> CreateWatermanPoly(int latticeType, int root) {
  using namespace detail_Waterman;
  if (root < kWatermanMinRoot || root > kWatermanMaxRoot) return nullptr;
  if (latticeType < kWatermanEvenLattice || latticeType > kWatermanCubicLattice) return nullptr;
  const int radius2 = latticeType == kWatermanCubicLattice ? root : 2 * root;

  int count = 0;
  ForEachLatticePoint(latticeType, radius2, [&count](int, int, int) { ++count; });
  auto lattice = std::make_unique<SimplePoly>(count, 0);
  int next = 0;
  ForEachLatticePoint(latticeType, radius2, [&](int x, int y, int z) {
    const double p[3] = {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z)};
    lattice->VertAt(next++).SetPos(p);
  });
  std::unique_ptr<SimplePoly> hull = CreateConvexHull(*lattice, 0);
  // A new model, not one made from the shown model: it takes the user's size on
  // paper, as a library model does, rather than lengths in lattice steps.
  if (hull) hull->flags &= ~kSimpleKeepLengthUnits;
  return hull;
}

Outcome SimplePoly::ProjectOntoSphere() {
  using namespace detail_Waterman;
  for (SimpleVert& v : mVerts) {
    const double length = std::sqrt(Dot(v.pos, v.pos));
    // A vertex at the centre stays there; the planarity test below decides whether
    // the model can still be used.
    if (length > kPointTolerance) Divide(v.pos, v.pos, length);
  }
  // The positions were written directly: the search is rebuilt over them.
  RebuildVertexSearch();
  CalcFaceNormals(true);
  for (const SimpleFace& f : mFaces) {
    if (f.IsTemp() || f.Count() <= 3) continue;
    for (int i = 0; i < f.Count(); ++i) {
      double edge[3];
      Subtract(edge, f.VertWrapped(i + 1).pos, f.VertAt(i).pos);
      const double along = Dot(edge, f.normal);
      if (along < -kPointTolerance || along > kPointTolerance) {
        return Outcome::Refused(
            "After projecting vertices onto a sphere,\nsome of the faces would no longer planar.\nSo the operation "
            "is not allowed for this model.");
      }
    }
  }
  return Outcome::Done();
}

}  // namespace corvia
