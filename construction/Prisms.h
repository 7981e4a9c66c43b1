#pragma once
// Parametric solids built directly as plain models: the prism and the antiprism on
// a regular base {n/d}, a torus made of a ring of polygons, and a geodesic sphere. The
// base polygon {n/d} has its n corners on the unit circle at the angles 2 pi i / n,
// joined by stepping d places at a time; with g = gcd(n, d) it falls into g
// separate polygons of n / g sides.
//
// Each builder returns a new model owned by the caller, or null with the reason in
// `outcome` (the user's words for a base or a torus it refuses).

#include <memory>

#include "core/Outcome.h"

namespace corvia {

class SimplePoly;

std::unique_ptr<SimplePoly> CreatePrism(int n, int d, Outcome& outcome);
std::unique_ptr<SimplePoly> CreateAntiprism(int n, int d, Outcome& outcome);
// Tube radius r, p rings round the centre line, q segments round the tube.
std::unique_ptr<SimplePoly> CreateTorus(double r, int p, int q, Outcome& outcome);

// A geodesic sphere: the icosahedron of the library, subdivided geodesically
// log2(frequency) times. Frequency 1 gives the icosahedron itself. Null for a
// frequency that is not a power of 2 (an internal error), and when a step fails
// (the subdivision's outcome in *outcome when given).
std::unique_ptr<SimplePoly> CreateSphere(int frequency, Outcome* outcome = nullptr);

// Faces of the prism (antiprism) family member {n/d}: the base faces 2 gcd(n, d),
// none when n = 2d, plus n side faces (2n for the antiprism).
int CountPrismFaces(int n, int d, bool antiprism);

}  // namespace corvia
