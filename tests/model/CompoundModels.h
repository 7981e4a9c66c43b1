#pragma once
// Models with several pieces or shared planes, built by hand through BuildPoly:
// compounds of cubes and of tetrahedra, a cube with inward-wound faces, a cube whose
// squares are each split into two triangles, and a flat two-sided triangle.

#include <vector>

#include "tests/model/PolyModels.h"

namespace corvia::testing {

// Appends a piece to a point and face list, shifting its indices.
inline void AppendPiece(std::vector<Point>& points, std::vector<FaceRing>& faces, const std::vector<Point>& piecePoints,
                        const std::vector<FaceRing>& pieceFaces) {
  const int offset = static_cast<int>(points.size());
  points.insert(points.end(), piecePoints.begin(), piecePoints.end());
  for (FaceRing ring : pieceFaces) {
    for (int& index : ring) index += offset;
    faces.push_back(ring);
  }
}

// An axis-aligned cube of half-width 1 about the centre; inward reverses every ring.
inline void CubePiece(const Point& centre, bool inward, std::vector<Point>& points, std::vector<FaceRing>& faces) {
  std::vector<Point> p = models::CubeCorners();
  for (Point& q : p) {
    for (size_t c = 0; c < 3; ++c) q[c] += centre[c];
  }
  std::vector<FaceRing> f = CubeSquares();
  if (inward) {
    for (FaceRing& ring : f) ring = {ring[0], ring[3], ring[2], ring[1]};
  }
  AppendPiece(points, faces, p, f);
}

// Two cubes of volume 8 at x = -3 and x = +3: neither is star-shaped from the centre.
inline void BuildTwoCubes(Poly& poly) {
  std::vector<Point> points;
  std::vector<FaceRing> faces;
  CubePiece({-3, 0, 0}, false, points, faces);
  CubePiece({3, 0, 0}, false, points, faces);
  BuildPoly(poly, points, faces);
}

inline void BuildInwardCube(Poly& poly) {
  std::vector<Point> points;
  std::vector<FaceRing> faces;
  CubePiece({0, 0, 0}, true, points, faces);
  BuildPoly(poly, points, faces);
}

// The stella octangula: a tetrahedron and its central inversion, each of volume 8/3.
inline void BuildStellaOctangula(Poly& poly) {
  const std::vector<Point> a = models::TetrahedronCorners();
  const std::vector<FaceRing> f = TetrahedronTriangles();
  std::vector<Point> b;
  for (const Point& q : a) b.push_back({-q[0], -q[1], -q[2]});
  std::vector<Point> points;
  std::vector<FaceRing> faces;
  AppendPiece(points, faces, a, f);
  AppendPiece(points, faces, b, f);  // inversion keeps the winding outward
  BuildPoly(poly, points, faces);
}

// A cube whose every square is split along a diagonal: square k gives triangles 2k
// and 2k + 1, which share the square's plane.
inline void BuildSplitCube(Poly& poly) {
  std::vector<FaceRing> faces;
  for (const FaceRing& s : CubeSquares()) {
    faces.push_back({s[0], s[1], s[2]});
    faces.push_back({s[0], s[2], s[3]});
  }
  BuildPoly(poly, models::CubeCorners(), faces);
}

// A triangle at z = 0.5 with its back: two faces on the same three vertices.
inline void BuildFlatDihedron(Poly& poly) {
  BuildPoly(poly, {{1, 0, 0.5}, {-0.5, 0.8, 0.5}, {-0.5, -0.8, 0.5}}, {{0, 1, 2}, {0, 2, 1}});
}

}  // namespace corvia::testing
