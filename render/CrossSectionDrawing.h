#pragma once
// Drawing of 2D cross-sections: the fill and the loops in the model views, and the
// cross-section pane with the vertices near the slice plane.

namespace corvia {

class CrossSection;
class OpenGLView;
class Poly;
struct ViewExtents;

// The section (fill and loop edges) with a 2D-to-3D map x a + y b + c.
void DrawCrossSection(CrossSection* section, const double* a, const double* b, const double* c);
// The cross-section pane.
void DrawCrossSectionView(CrossSection* section);
// Builds the model's section if needed and widens the extents by its points.
void AddCrossSectionToBounds(Poly* poly, OpenGLView* view, ViewExtents* extents);

}  // namespace corvia
