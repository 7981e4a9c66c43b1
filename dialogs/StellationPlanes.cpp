#include "dialogs/StellationPlanes.h"

namespace corvia {

namespace detail_StellationPlanes {

ListNode* gHead = nullptr;
ListNode* gTail = nullptr;

}  // namespace detail_StellationPlanes

StellationPlaneNode::StellationPlaneNode(const double plane[4]) {
  for (int i = 0; i < 4; ++i) mPlane[i] = plane[i];
}

StellationPlaneNode* AppendStellationPlane(const double plane[4]) {
  auto* node = new StellationPlaneNode(plane);
  ListNode::Append(node, detail_StellationPlanes::gHead, detail_StellationPlanes::gTail);
  return node;
}

StellationPlaneNode* GetPlaneList() {
  return static_cast<StellationPlaneNode*>(detail_StellationPlanes::gHead);
}

int CountPlaneList() {
  int count = 0;
  for (ListNode* node = detail_StellationPlanes::gHead; node; node = node->mNext) ++count;
  return count;
}

void ClearPlaneList() {
  using namespace detail_StellationPlanes;
  while (gHead) {
    ListNode* node = gHead;
    ListNode::Unlink(node, gHead, gTail);
    delete node;
  }
}

}  // namespace corvia
