#pragma once
// The augmentation preview in its pane: the added model placed on every augmented
// face, as solid faces in the translucent queue and as outlines drawn over the model.

namespace corvia {

class Augmentation;

// One pass of the preview: the solid faces, or (wireFramePass) their outlines.
void Draw(const Augmentation* augmentation, bool wireFramePass);

}  // namespace corvia
