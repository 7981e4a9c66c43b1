#pragma once
// Waterman polyhedra: the convex hull of the points of a cubic lattice that lie
// within a sphere centred on a lattice point. Also home of the projection of a
// plain model onto the unit sphere (SimplePoly::ProjectOntoSphere).

#include <memory>

namespace corvia {

class SimplePoly;

// Lattice types: the integer points whose coordinate sum is even (the face-centred
// cubic lattice), those whose sum is odd, or every integer point.
constexpr int kWatermanEvenLattice = 0;
constexpr int kWatermanOddLattice = 1;
constexpr int kWatermanCubicLattice = 2;

// Roots the builder accepts.
constexpr int kWatermanMinRoot = 1;
constexpr int kWatermanMaxRoot = 10;

// The hull of the lattice points p (the centre left out) with |p|^2 <= 2 root for the
// two face-centred lattices and |p|^2 <= root for the cubic one. Null, without a
// message, for a root outside 1..10, an unknown lattice type or a failed hull. The
// caller owns the result.
std::unique_ptr<SimplePoly> CreateWatermanPoly(int latticeType, int root);

}  // namespace corvia
