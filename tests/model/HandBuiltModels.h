#pragma once
// Small element structures built by hand for the element tests: a cube with its
// vertices and faces linked as a model links them (corners counter-clockwise seen
// from outside, both for a face's vertices and for a vertex's faces), optional edges,
// and single polygons.

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "core/VectorMath.h"
#include "model/Edge.h"
#include "model/ElementList.h"
#include "model/Face.h"
#include "model/Vertex.h"

namespace corvia::testing {

// A cube with corners (+-1, +-1, +-1), faces at distance 1 and, reciprocated in the
// unit sphere, face poles at the face centres: its dual is the octahedron (+-1, 0, 0)...
struct HandBuiltCube {
  VertexList vertices;
  FaceList faces;
  std::unique_ptr<Edge[]> edges;
  int numEdges = 0;

  Vertex* V(int i) const { return static_cast<Vertex*>(vertices.GetAt(i)); }
  Face* F(int i) const { return static_cast<Face*>(faces.GetAt(i)); }

  HandBuiltCube() {
    for (int i = 0; i < 8; ++i) {
      double p[3] = {(i & 1) ? 1.0 : -1.0, (i & 2) ? 1.0 : -1.0, (i & 4) ? 1.0 : -1.0};
      vertices.Append(new Vertex(nullptr, p, 3));
    }
    const double normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const double st[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& n : normals) {
      Face* face = new Face(nullptr, nullptr, 4);
      faces.Append(face);
      // u perpendicular to n, v = n x u, so that u x v = n: corners counter-clockwise.
      double u[3] = {0.0, 0.0, 0.0};
      if (n[0] != 0.0) {
        u[1] = 1.0;
      } else {
        u[0] = 1.0;
      }
      double v[3];
      Cross(v, n, u);
      CopyVector(face->mXAxis, u);
      CopyVector(face->mYAxis, v);
      CopyVector(face->mZAxis, n);
      CopyVector(face->mCentre, n);
      CopyVector(face->mDualVert, n);
      for (int k = 0; k < 4; ++k) {
        double p[3];
        for (int c = 0; c < 3; ++c) p[c] = n[c] + st[k][0] * u[c] + st[k][1] * v[c];
        face->SetNeighbour(k, vertices.FindAt(p));
      }
      face->ComputeCentre();
    }
    // Each vertex's faces in counter-clockwise order seen from outside.
    for (int i = 0; i < 8; ++i) {
      Vertex* vertex = V(i);
      std::vector<Face*> around;
      for (int f = 0; f < 6; ++f) {
        if (F(f)->HasCorner(vertex)) around.push_back(F(f));
      }
      double x[3];
      Subtract(x, around[0]->mDualVert, vertex->mCentre);
      double length = std::sqrt(Dot(x, x));
      Divide(x, x, length);
      double y[3];
      Cross(y, vertex->mZAxis, x);
      CopyVector(vertex->mXAxis, x);
      CopyVector(vertex->mYAxis, y);
      auto angle = [&](Face* f) {
        double d[3];
        Subtract(d, f->mDualVert, vertex->mCentre);
        return std::atan2(Dot(d, y), Dot(d, x));
      };
      for (size_t a = 0; a < around.size(); ++a) {
        for (size_t b = a + 1; b < around.size(); ++b) {
          if (angle(around[b]) < angle(around[a])) std::swap(around[a], around[b]);
        }
      }
      for (int k = 0; k < 3; ++k) vertex->SetFace(k, around[k]);
      vertex->ComputeCentre();
    }
  }

  // Builds the edge records: one per side, side faces found across the side.
  void BuildEdges() {
    edges.reset(new Edge[12]);
    numEdges = 0;
    for (int f = 0; f < 6; ++f) {
      Face* face = F(f);
      for (int i = 0; i < 4; ++i) {
        if (face->mEdges[i]) continue;
        Face* other = static_cast<Face*>(face->GetAdjacent(i));
        Edge& edge = edges[numEdges++];
        edge.mVert1 = static_cast<Vertex*>(face->mNeighbours[i]);
        edge.mVert2 = static_cast<Vertex*>(face->mNeighbours[(i + 1) % 4]);
        edge.mFace1 = face;
        edge.mFace2 = other;
        face->mEdges[i] = &edge;
        for (int k = 0; k < 4; ++k) {
          if (edge.Touches(other->mNeighbours[k]) && edge.Touches(other->mNeighbours[(k + 1) % 4])) {
            other->mEdges[k] = &edge;
          }
        }
      }
    }
    // A vertex's edge j lies between its faces j and j + 1.
    for (int v = 0; v < 8; ++v) {
      Vertex* vertex = V(v);
      for (int j = 0; j < 3; ++j) {
        for (int e = 0; e < numEdges; ++e) {
          Edge& edge = edges[e];
          if (edge.Touches(vertex) && edge.Touches(vertex->mNeighbours[j]) &&
              edge.Touches(vertex->mNeighbours[(j + 1) % 3])) {
            vertex->mEdges[j] = &edge;
          }
        }
      }
    }
  }
};

// A polygon face whose corners are free vertices at the given points; the face owns
// nothing, the holder keeps both.
struct HandBuiltPolygon {
  VertexList corners;
  FaceList faces;
  Face* face = nullptr;

  explicit HandBuiltPolygon(const std::vector<std::vector<double>>& points, const double* normal = nullptr) {
    face = new Face(nullptr, nullptr, static_cast<int>(points.size()));
    faces.Append(face);
    for (size_t k = 0; k < points.size(); ++k) {
      double p[3] = {points[k][0], points[k][1], points[k][2]};
      Vertex* corner = new Vertex(nullptr, p, 1);
      corners.Append(corner);
      CopyVector(corner->mDualVert, points[k].data());
      face->SetNeighbour(static_cast<int>(k), corner);
    }
    if (normal) CopyVector(face->mZAxis, normal);
    face->ComputeCentre();
  }
};

}  // namespace corvia::testing
