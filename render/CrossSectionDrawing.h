#pragma once
// The cross-section's share of a pane's bounds.

namespace corvia {

class OpenGLView;
class Poly;
struct ViewExtents;

// Builds the section if needed and widens the extents by its points.
void AddCrossSectionToBounds(Poly* poly, OpenGLView* view, ViewExtents* extents);

}  // namespace corvia
