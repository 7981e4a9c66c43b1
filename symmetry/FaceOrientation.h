#pragma once
// One placement in which a face of an added model fits onto a face of the shown
// model (augmentation). The caller owns the list and frees it node by node.

#include <cstdint>

#include "core/ListNode.h"
#include "core/VectorMath.h"

namespace corvia {

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

}  // namespace corvia
