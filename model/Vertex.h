#pragma once
// One vertex of a model; it is also a face of the dual model, whose plane is the
// polar plane of the vertex.

#include <cstdint>
#include <memory>

#include "model/PolyElement.h"

namespace corvia {

class TemplateArrangement;

class Vertex : public PolyElement {
 public:
  // The position is snapped first (the caller's copy too). The vertex is appended to
  // the model's vertex list; the first one made becomes the dual block's current
  // element.
  Vertex(Poly* poly, double* position, int numFaces);
  ~Vertex() override;

  // Largest distance from the frame origin of the corners of its drawn polygon.
  double GetRadius() const override;
  bool IsDensityOne() const override;
  bool IsVertex() const override { return true; }
  bool IsFace() const override { return false; }

  // Links face i, keeping the count of linked faces.
  void SetFace(int i, PolyElement* face);

  // Matching state of the builder (the 4-byte fields together, with no padding; the
  // first in the 4 bytes the element's part leaves after its last field).
  int32_t mTurnSense = -1;
  std::unique_ptr<uint8_t[]> mFaceSense;  // per face round the vertex: 1 when it passes in reverse
  const TemplateArrangement* mMatch = nullptr;
  int32_t mMatchSerial = -1;
  int32_t mFacesAtMatch = -1;
  int32_t mNumLinked = 0;
  int32_t mRemaining = -1;
  int32_t mMatchList = 0;
  int32_t mMatchSense = 0;
  int32_t mMatchLevel = -1;
  uint8_t mChanged = 1;
};
// A large model holds hundreds of thousands of these.
static_assert(sizeof(Vertex) <= 360, "a vertex record takes 360 bytes at most");

}  // namespace corvia
