#pragma once
// What the model-drawing benchmarks compare with: a model's face triangles as one
// vertex buffer would hold them (the face's normal and colour at each corner, its
// opacity as alpha), translucent ones farthest first from an eye.

#include <numeric>
#include <vector>

#include "core/MergeSort.h"
#include "core/VectorMath.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "render/KeptTriangles.h"

namespace corvia::bench {

inline std::vector<KeptVertex> ReferenceTriangles(const Poly& poly, const double* eye, bool sorted) {
  std::vector<KeptVertex> vertices;
  std::vector<double> keys;
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) {
    double normal[3];
    f->GetNormal(normal);
    const float* rgb = f->GetColour();
    for (int i = 1; i + 1 < f->mNumSides; ++i) {
      double centre[3] = {0, 0, 0};
      for (const PolyElement* c : {f->mNeighbours[0], f->mNeighbours[i], f->mNeighbours[i + 1]}) {
        KeptVertex v;
        for (int k = 0; k < 3; ++k) {
          v.position[k] = static_cast<float>(c->mDualVert[k]);
          v.normal[k] = static_cast<float>(normal[k]);
          v.colour[k] = rgb[k];
          centre[k] += c->mDualVert[k] / 3.0;
        }
        v.colour[3] = f->mOpacity;
        vertices.push_back(v);
      }
      double d[3];
      Subtract(d, centre, eye);
      keys.push_back(-Dot(d, d));
    }
  }
  if (!sorted) return vertices;
  std::vector<int> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  MergeSort(order, [&](int a, int b) { return keys[a] < keys[b] ? -1 : keys[a] > keys[b] ? 1 : 0; });
  std::vector<KeptVertex> inOrder;
  inOrder.reserve(vertices.size());
  for (int t : order)
    for (int k = 0; k < 3; ++k) inOrder.push_back(vertices[3 * static_cast<size_t>(t) + static_cast<size_t>(k)]);
  return inOrder;
}

}  // namespace corvia::bench
