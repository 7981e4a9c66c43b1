#pragma once
// Corner sets of the small solids that tests in several folders build, in the
// order their face lists index them.

#include <array>
#include <vector>

namespace corvia::testing::models {

using Corner = std::array<double, 3>;

// The cube (+-1, +-1, +-1): bit 0 of the index picks the sign of x, bit 1 of y, bit 2 of z.
inline std::vector<Corner> CubeCorners() {
  std::vector<Corner> corners;
  for (int i = 0; i < 8; ++i) corners.push_back({(i & 1) ? 1.0 : -1.0, (i & 2) ? 1.0 : -1.0, (i & 4) ? 1.0 : -1.0});
  return corners;
}

// The regular tetrahedron on alternate corners of that cube.
inline std::vector<Corner> TetrahedronCorners() {
  return {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
}

}  // namespace corvia::testing::models
