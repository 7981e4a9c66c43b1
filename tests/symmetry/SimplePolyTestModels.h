#pragma once
// Small plain models built by position for the SimplePoly tests.

#include <array>
#include <memory>
#include <vector>

#include "symmetry/SimplePoly.h"

namespace corvia::testmodels {

using Quad = std::array<std::array<double, 3>, 4>;

// A model holding the given vertices and faces, each face a list of vertex indices.
inline std::unique_ptr<SimplePoly> ModelOf(const std::vector<std::array<double, 3>>& verts,
                                           const std::vector<std::vector<int>>& faces) {
  auto poly = std::make_unique<SimplePoly>(static_cast<int>(verts.size()), static_cast<int>(faces.size()));
  for (size_t i = 0; i < verts.size(); ++i) poly->VertAt(static_cast<int>(i)).SetPos(verts[i].data());
  for (size_t i = 0; i < faces.size(); ++i) poly->FaceAt(static_cast<int>(i)).items = faces[i];
  return poly;
}

// Appends the six faces of the axis-aligned cube [o, o + s]^3 (outward cycles),
// merging corners by position.
inline void AddCube(SimplePoly& poly, int& used, const double* o, double s) {
  static const int kFaces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                   {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  // Indices, not addresses: the vertex array grows while the corners are added.
  int32_t idx[8];
  for (int i = 0; i < 8; ++i) {
    const double p[3] = {o[0] + ((i & 4) ? s : 0), o[1] + ((i & 2) ? s : 0), o[2] + ((i & 1) ? s : 0)};
    idx[i] = poly.FindOrCreateVert(p, used)->GetIndex();
  }
  for (const auto& q : kFaces) {
    SimpleFace& f = poly.AddFace();
    f.SetNumVerts(4);
    for (int k = 0; k < 4; ++k) f.SetVertIndex(k, idx[q[k]]);
  }
}

// A growable model holding the given cubes (origins, edge s).
inline std::unique_ptr<SimplePoly> MakeCubes(const std::vector<std::array<double, 3>>& origins, double s) {
  auto poly = std::make_unique<SimplePoly>();
  poly->flags |= kSimpleGrowable;
  int used = 0;
  for (const auto& o : origins) AddCube(*poly, used, o.data(), s);
  poly->Truncate(used, poly->NumFaces());
  return poly;
}

// Signed volume of the closed model (positive when its cycles run counter-clockwise
// seen from outside).
inline double SignedVolume(const SimplePoly& poly) {
  double v = 0.0;
  for (int i = 0; i < poly.NumFaces(); ++i) {
    const SimpleFace& f = poly.FaceAt(i);
    if (f.IsTemp()) continue;
    for (int k = 1; k + 1 < f.Count(); ++k) {
      double c[3];
      Cross(c, f.VertAt(k).pos, f.VertAt(k + 1).pos);
      v += Dot(f.VertAt(0).pos, c) / 6.0;
    }
  }
  return v;
}

}  // namespace corvia::testmodels
