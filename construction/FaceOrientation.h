#pragma once
// One placement in which a face of an added model fits onto a face of the shown
// model (augmentation), and the search that lists them. The caller owns the list and
// frees it node by node.

#include <cstdint>

#include "core/ListNode.h"
#include "core/VectorMath.h"

namespace corvia {

class PolyElement;
struct SimpleFace;

class FaceOrientation : public ListNode {
 public:
  FaceOrientation() = default;
  ~FaceOrientation() override;

  // Forward: added face's vertex = (target corner + vertexOffset) mod count;
  // backward: added face's vertex = (vertexOffset - target corner) mod count.
  int32_t vertexOffset = 0;
  int32_t backward = 0;
  uint8_t normalSide = 0;
  // Takes a point of the added model to the target face's frame.
  Transform3D toTargetFrame{};
};

// Placements in which the model held by the face fits onto the target face of a Poly
// (a face, or a vertex as a face of the dual); the caller owns the list (ListUnlink
// each node). Null when none.
FaceOrientation* FindOrientations(const SimpleFace& face, const PolyElement* target, uint32_t options);

// Option of FindOrientations: fit the other side of the target face.
constexpr uint32_t kOrientOtherSide = 0x10000;

}  // namespace corvia
