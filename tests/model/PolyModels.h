#pragma once
// Whole models built by hand into a Poly: vertices, faces with their frames and poles
// (reciprocation in the unit sphere), the faces round each vertex, edges, one face
// type per side, and the compound-part counts that the genus reads.

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "core/Tolerances.h"
#include "core/VectorMath.h"
#include "model/CompoundPart.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/Face.h"
#include "model/FaceTypeBlock.h"
#include "model/Poly.h"
#include "model/Vertex.h"
#include "tests/support/SolidCorners.h"

namespace corvia::testing {

using Point = std::array<double, 3>;
using FaceRing = std::vector<int>;  // vertex indices, counter-clockwise seen from outside

inline void PerpendicularUnit(double* out, const double* z) {
  const double helper[3] = {std::fabs(z[0]) < 0.9 ? 1.0 : 0.0, std::fabs(z[0]) < 0.9 ? 0.0 : 1.0, 0.0};
  double c[3];
  Cross(c, z, helper);
  Divide(out, c, std::sqrt(Dot(c, c)));
}

// Fills an empty Poly. With edges, the edge array is built too.
inline void BuildPoly(Poly& poly, const std::vector<Point>& points, const std::vector<FaceRing>& faces,
                      bool withEdges = true) {
  std::vector<std::vector<std::pair<int, int>>> around(points.size());  // (face, corner) per vertex
  for (size_t f = 0; f < faces.size(); ++f) {
    for (size_t k = 0; k < faces[f].size(); ++k) around[faces[f][k]].push_back({static_cast<int>(f), static_cast<int>(k)});
  }
  std::vector<Vertex*> vertices;
  for (size_t v = 0; v < points.size(); ++v) {
    double p[3] = {points[v][0], points[v][1], points[v][2]};
    vertices.push_back(new Vertex(&poly, p, static_cast<int>(around[v].size())));
  }
  std::vector<Face*> made;
  for (const FaceRing& ring : faces) {
    Face* face = new Face(&poly, nullptr, static_cast<int>(ring.size()));
    made.push_back(face);
    double normal[3] = {0.0, 0.0, 0.0};
    for (size_t k = 0; k < ring.size(); ++k) {
      face->SetNeighbour(static_cast<int>(k), vertices[ring[k]]);
      const Point& a = points[ring[k]];
      const Point& b = points[ring[(k + 1) % ring.size()]];
      normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
      normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
      normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    Divide(face->mZAxis, normal, std::sqrt(Dot(normal, normal)));
    const double* first = vertices[ring[0]]->mDualVert;
    const double offset = Dot(face->mZAxis, first);
    Scale(face->mCentre, face->mZAxis, offset);
    if (std::fabs(offset) <= kPointTolerance) {
      face->mFlags |= kElementHemi;
      CopyVector(face->mDualVert, face->mZAxis);
    } else {
      Divide(face->mDualVert, face->mZAxis, offset);
    }
    PerpendicularUnit(face->mXAxis, face->mZAxis);
    Cross(face->mYAxis, face->mZAxis, face->mXAxis);
    face->ComputeCentre();
  }
  // Faces round each vertex: from a face, the next one holds the reversed side that
  // runs from the vertex to its predecessor in that face.
  for (size_t v = 0; v < points.size(); ++v) {
    Vertex* vertex = vertices[v];
    int f = around[v][0].first;
    int k = around[v][0].second;
    for (size_t j = 0; j < around[v].size(); ++j) {
      vertex->SetFace(static_cast<int>(j), made[f]);
      const int before = faces[f][(k + faces[f].size() - 1) % faces[f].size()];
      for (const auto& [g, m] : around[v]) {
        const int after = faces[g][(m + 1) % faces[g].size()];
        if (after == before && g != f) {
          f = g;
          k = m;
          break;
        }
      }
    }
    PerpendicularUnit(vertex->mXAxis, vertex->mZAxis);
    Cross(vertex->mYAxis, vertex->mZAxis, vertex->mXAxis);
    vertex->ComputeCentre();
  }
  if (!withEdges) return;
  std::map<std::pair<int, int>, int> index;
  std::vector<std::array<int, 4>> records;  // v1, v2, face1, face2
  for (size_t f = 0; f < faces.size(); ++f) {
    for (size_t k = 0; k < faces[f].size(); ++k) {
      const int a = faces[f][k];
      const int b = faces[f][(k + 1) % faces[f].size()];
      const auto key = std::minmax(a, b);
      auto it = index.find(key);
      if (it == index.end()) {
        index[key] = static_cast<int>(records.size());
        records.push_back({a, b, static_cast<int>(f), -1});
      } else {
        records[it->second][3] = static_cast<int>(f);
      }
    }
  }
  Edge* edges = NewEdgeArray(records.size());
  for (size_t e = 0; e < records.size(); ++e) {
    edges[e].mVert1 = vertices[records[e][0]];
    edges[e].mVert2 = vertices[records[e][1]];
    edges[e].mFace1 = made[records[e][2]];
    edges[e].mFace2 = records[e][3] >= 0 ? made[records[e][3]] : nullptr;
  }
  for (size_t f = 0; f < faces.size(); ++f) {
    for (size_t k = 0; k < faces[f].size(); ++k) {
      const auto key = std::minmax(faces[f][k], faces[f][(k + 1) % faces[f].size()]);
      made[f]->mEdges[k] = &edges[index[key]];
    }
  }
  poly.SetEdges(edges, static_cast<int>(records.size()));
}

// All faces in one base type and all vertices in one dual type.
inline void OneTypePerSide(Poly& poly) {
  FaceType* base = new FaceType(&poly, poly.mBaseBlock.get(), 0, 0);
  poly.mBaseBlock->AppendFaceType(base);
  for (PolyElement* face = poly.mFaces.mHead; face; face = face->mNext) base->AddFace(face);
  FaceType* dual = new FaceType(&poly, poly.mDualBlock.get(), 0, 0);
  poly.mDualBlock->AppendFaceType(dual);
  for (PolyElement* vertex = poly.mVertices.mHead; vertex; vertex = vertex->mNext) dual->AddFace(vertex);
}

// One compound part with the model's counts.
inline CompoundPart* PartOf(const Poly& poly, bool oneSided = false) {
  CompoundPart* part = new CompoundPart;
  part->mFirstElement = poly.mFaces.mHead;
  part->mNumFaces = poly.mFaces.mCount;
  part->mNumVertices = poly.mVertices.mCount;
  part->mNumEdges = poly.mNumEdges;
  part->mFlags = oneSided ? kCompoundPartOneSided : 0;
  return part;
}

// The squares of the cube on models::CubeCorners: +x, -x, +y, -y, +z, -z.
inline std::vector<FaceRing> CubeSquares() {
  return {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
}

// The triangles of the tetrahedron on models::TetrahedronCorners.
inline std::vector<FaceRing> TetrahedronTriangles() {
  return {{0, 3, 1}, {0, 2, 3}, {0, 1, 2}, {1, 3, 2}};
}

inline void BuildCube(Poly& poly) { BuildPoly(poly, models::CubeCorners(), CubeSquares()); }

inline void BuildTetrahedron(Poly& poly) { BuildPoly(poly, models::TetrahedronCorners(), TetrahedronTriangles()); }

// Square base of side 2 at z = -0.5, apex at (0, 0, 1).
inline void BuildSquarePyramid(Poly& poly) {
  BuildPoly(poly, {{-1, -1, -0.5}, {1, -1, -0.5}, {1, 1, -0.5}, {-1, 1, -0.5}, {0, 0, 1}},
            {{0, 3, 2, 1}, {0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}});
}

// A square picture frame: outer square of half-width 2, hole of half-width 1, height
// from z = -0.5 to 0.5. Sixteen quadrilaterals, 32 edges, 16 vertices: one hole.
inline void BuildFrameTorus(Poly& poly) {
  const double outer[4][2] = {{-2, -2}, {2, -2}, {2, 2}, {-2, 2}};
  const double inner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  std::vector<Point> p;
  for (int level = 0; level < 2; ++level) {
    const double z = level ? 0.5 : -0.5;
    for (auto& o : outer) p.push_back({o[0], o[1], z});
    for (auto& i : inner) p.push_back({i[0], i[1], z});
  }
  // Index: level * 8 + (0..3 outer, 4..7 inner).
  auto o = [](int level, int k) { return level * 8 + (k % 4); };
  auto in = [](int level, int k) { return level * 8 + 4 + (k % 4); };
  std::vector<FaceRing> faces;
  for (int k = 0; k < 4; ++k) {
    faces.push_back({o(1, k), o(1, k + 1), in(1, k + 1), in(1, k)});  // top
    faces.push_back({o(0, k), in(0, k), in(0, k + 1), o(0, k + 1)});  // bottom
    faces.push_back({o(0, k), o(0, k + 1), o(1, k + 1), o(1, k)});    // outside wall
    faces.push_back({in(0, k), in(1, k), in(1, k + 1), in(0, k + 1)});  // hole wall
  }
  BuildPoly(poly, p, faces);
}

}  // namespace corvia::testing
