// The view type of a pane: what its code implies.

#include "app/PaneViewType.h"

namespace corvia {

bool PaneViewType::ShowsOtherModel() const {
  return mCode == kViewFacetingPreview || mCode == kViewCompoundOfDuals || mCode == kViewCompound || IsMorph() ||
         mCode == kViewCrossSection;
}

bool PaneViewType::IsThreeD(ViewType code, bool fourD) {
  if (code == kNoViewType) return false;
  return (code & kViewFlag3D) || (fourD && (code & kViewFlagElements));
}

bool PaneViewType::PrintsThroughOpenGL(bool fourD) const {
  return !((mCode & kViewFlagDiagram) && !IsThreeD(fourD));
}

ShownSide PaneViewType::GetShownSide(bool documentShowsDual) const {
  if (!IsSet()) return ShownSide::None;
  if (mCode & kViewFlagBase) return ShownSide::Base;
  if (mCode & kViewFlagDual) return ShownSide::Dual;
  if (mCode & kViewFlagPart) return documentShowsDual ? ShownSide::Dual : ShownSide::Base;
  return ShownSide::None;
}

bool PaneViewType::IsShowingDual(bool documentShowsDual) const {
  if (Has(kViewFlagBase)) return false;
  if (Has(kViewFlagDual)) return true;
  return documentShowsDual;
}

int PaneViewType::GetDrawnSides(bool documentShowsDual, double morphRatio) const {
  constexpr int kBase = 1, kDual = 2;
  const int documentSide = documentShowsDual ? kDual : kBase;
  const double t = morphRatio;
  switch (mCode) {
    case kViewBasePolyhedron:
    case kViewStellationOfBase:
      return kBase;
    case kViewDualPolyhedron:
    case kViewStellationOfDual:
      return kDual;
    case kViewCompoundOfDuals:
    case kViewMorphBySizing:
      return kBase | kDual;
    case kViewCompound:
      return documentSide;
    case kViewMorphByTruncation:
    case kViewMorphByExpansion:
      return (t != 0.0 ? kDual : 0) | (t != 1.0 ? kBase : 0);
    case kViewMorphByAugmentation:
    case kViewMorphByTiltingTriangles:
    case kViewMorphByTiltingToCompound:
    case kViewMorphByTiltingToRectification:
    case kViewMorphByTiltingQuads:
    case kViewMorphViaSnub:
      return t == 0.0 ? kBase : t == 1.0 ? kDual : documentSide;
    default:
      return 0;
  }
}

const char* PaneViewType::GetTitlePrefix(bool fourD) const {
  switch (mCode) {
    case kViewBasePolyhedron:
    case kViewDualPolyhedron:
      return "";
    case kViewStellationOfBase:
    case kViewStellationOfDual:
      return "Stellation of ";
    case kViewFacetingPreview:
      return "Faceting Preview for ";
    case kViewCompound:
      return "Compound of ";
    case kViewFace:
      return fourD ? "Cell of " : "Face of ";
    case kViewFaceOfStellation:
      return "Face of Stellation of ";
    case kViewStellationDiagram:
      return "Stellation Diagram for ";
    case kViewCellDiagram:
      return "Cell Diagram for ";
    case kViewVertexFigure:
      return "Vertex Figure for ";
    case kViewFacetingDiagram:
      return "Faceting Diagram for ";
    case kViewCrossSection:
      return "Cross-Section of ";
    case kViewUnfoldedNet:
      return "Unfolded Net for ";
    case kViewFoldingNet:
      return "Folding Net for ";
    default:
      return nullptr;
  }
}

}  // namespace corvia
