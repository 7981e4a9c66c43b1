#include "render/ViewGroup.h"

#include "render/LightSets.h"
#include "render/OpenGLView.h"
#include "render/PaneFrame.h"

namespace corvia {

CameraState::CameraState() : stored(kNumStoredCameras) {}
CameraState::~CameraState() = default;

ViewGroup::ViewGroup() = default;
ViewGroup::~ViewGroup() = default;

ViewGroup& CurrentViewGroup() {
  return *GetPaneFrame().GetViewGroup();
}
std::shared_ptr<ViewGroup> ShareCurrentViewGroup() {
  return GetPaneFrame().GetViewGroup();
}

}  // namespace corvia
