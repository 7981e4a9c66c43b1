#pragma once
// The reference spheres that the Spheres dialog keeps: spheres about the model's
// centre, drawn in the 3D panes and cut with the facelets of the nets. Radii are in
// the current distance unit.

#include <vector>

namespace corvia {

extern std::vector<double> g_ReferenceSpheres;

}  // namespace corvia
