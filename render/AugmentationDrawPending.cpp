// The drawing of the augmentation preview in its pane. Until the panes draw models,
// the call says that it is missing; what the preview shows is worked out by
// Augmentation::GetPreviewFaces.

#include "construction/Augmentation.h"
#include "core/Messages.h"

namespace corvia {

void Augmentation::Draw(bool) const { ShowInternalError("%s", "Augmentation::Draw: Not available in this build"); }

}  // namespace corvia
