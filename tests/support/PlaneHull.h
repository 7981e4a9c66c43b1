#pragma once
// The convex hull of points in a plane, for tests that compare a drawn outline with
// where a model's corners project.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace corvia::testing {

using PlanePoint = std::pair<double, double>;

// The corners of the hull in turn, each once; counter-clockwise with y up (clockwise on
// a screen whose y runs down). Collinear points are left out.
inline std::vector<PlanePoint> PlaneHull(std::vector<PlanePoint> points) {
  if (points.size() < 3) return points;
  std::sort(points.begin(), points.end());
  auto cross = [](const PlanePoint& o, const PlanePoint& a, const PlanePoint& b) {
    return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
  };
  std::vector<PlanePoint> hull(2 * points.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  for (std::size_t i = points.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && cross(hull[k - 2], hull[k - 1], points[i - 1]) <= 0) --k;
    hull[k++] = points[i - 1];
  }
  hull.resize(k - 1);  // the last repeats the first
  return hull;
}

// The area a polygon of corners in turn encloses.
inline double PolygonArea(const std::vector<PlanePoint>& corners) {
  double twice = 0;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const PlanePoint& a = corners[i];
    const PlanePoint& b = corners[(i + 1) % corners.size()];
    twice += a.first * b.second - b.first * a.second;
  }
  return (twice < 0 ? -twice : twice) / 2;
}

}  // namespace corvia::testing
