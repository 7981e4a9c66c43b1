#pragma once
// The list of planes that the Stellation Planes dialog collects, each a plane
// a x + b y + c z = d given as (a, b, c, d). It lives as long as the program and is
// emptied when the main window closes.

#include "core/ListNode.h"

namespace corvia {

class StellationPlaneNode : public ListNode {
 public:
  explicit StellationPlaneNode(const double plane[4]);
  StellationPlaneNode* Next() const { return static_cast<StellationPlaneNode*>(mNext); }

  double mPlane[4];
};

// Appends a plane at the end of the list.
StellationPlaneNode* AppendStellationPlane(const double plane[4]);
StellationPlaneNode* GetPlaneList();
int CountPlaneList();
// Deletes every entry of the list.
void ClearPlaneList();

}  // namespace corvia
