// Selection of elements and edges, the shown side, and the colours of the current
// items.

#include <cmath>
#include <cstdio>
#include <string>

#include "core/Messages.h"
#include "core/RainbowColor.h"
#include "core/Units.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/FaceTypeBlock.h"
#include "model/ModelSymmetry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "symmetry/SymGroup.h"

namespace corvia {

namespace detail_PolySelection {

constexpr unsigned kViewKindShowsDualA = 0x400;
constexpr unsigned kViewKindShowsDualB = 0x4000;
constexpr size_t kStatusSize = 512;

void Redraw() { platform::Services().views->RedrawAllViews(false); }

// The information tree's mark of a type on the side shown (dual).
SelectionChange Mark(int kind, int typeNumber, bool dual) {
  SelectionChange change;
  change.mark = true;
  change.markKind = kind;
  change.markNumber = typeNumber;
  change.markDual = dual;
  return change;
}

}  // namespace detail_PolySelection

PolyElement* Poly::GetCurrentFace() const { return GetShownBlock()->mCurrentFace; }

PolyElement* Poly::GetOtherCurrentFace() const {
  return mShowDual ? mBaseBlock->mCurrentFace : mDualBlock->mCurrentFace;
}

PolyElement* Poly::GetOtherCurrentFinite() const {
  PolyElement* element = GetOtherCurrentFace();
  return element ? element->GetSelfOrNextFinite() : nullptr;
}

PolyElement* Poly::GetSelectedOrCurrentFace() const {
  return mSelectedElement ? mSelectedElement : GetCurrentFace();
}

PolyItem* Poly::GetSelectedItemOrCurrentFace() const {
  return mSelectedItem ? mSelectedItem : GetCurrentFace();
}

bool Poly::IsSelectionVertex() const { return PolyItem::IsVertexIn(mSelectedElement, mShowDual != 0); }

bool Poly::IsEdgeSelected() const { return mSelectedItem && mSelectedItem->IsEdge(); }

const char* Poly::GetSelectionKindName() const {
  if (IsEdgeSelected()) return "edge";
  return PolyItem::IsVertexIn(mSelectedItem, mShowDual != 0) ? "vertex" : "face";
}

// The current vertex is the current element of the block not shown as faces. Without
// one the colour a vertex point would be drawn in is the default vertex colour.
uint32_t Poly::GetVertexColorRef() const {
  const PolyElement* vertex = GetOtherCurrentFace();
  return PackRainbowColor(vertex ? vertex->GetDrawColour() : DefaultVertexColor);
}

uint32_t Poly::GetEdgeColorRef() const { return PackRainbowColor(PolyItem::GetColour(mCurrentEdge)); }

void Poly::SetShowDual(bool flag) {
  if ((mShowDual != 0) == flag) return;
  mSelectionChange.crossSectionSides |= mShowDual ? 2u : 1u;
  mShowDual = flag ? 1 : 0;
  mPolyFlags &= ~kPolyFlagCrossSectionValid;
  if (mSelectedElement) {
    SelectFace(GetCurrentFace(), false);
    detail_PolySelection::Redraw();
  }
  platform::Services().views->RefreshViewsOfKind(detail_PolySelection::kViewKindShowsDualA);
  platform::Services().views->RefreshViewsOfKind(detail_PolySelection::kViewKindShowsDualB);
  platform::Services().views->InvalidateInfo(kInfoReasonShowDual);
}

void Poly::ClearSelection() {
  // Acts on this model: a selection made in a model that is not shown must not
  // disturb the shown one.
  SelectEdge(nullptr, false);
  if (mSymGroup && SelectAxis(mSymGroup, -1)) mSelectionChange.pivot = true;
  if (ModelPart* model = AsPart(mBaseBlock->mModel3D)) model->SelectionCleared();
}

void Poly::SelectFace(PolyElement* element, bool asVertex) {
  if (element && element->mPoly != this) {
    // Selecting another model's element would leave this model pointing into it.
    ShowInternalError("Illegal argument for SelectFace");
    return;
  }
  if (element != mSelectedElement) {
    if (element) ClearSelection();
    detail_PolySelection::Redraw();
  } else if (!asVertex) {
    return;
  }
  using detail_PolySelection::Mark;
  if (element) {
    mSelectedElement = nullptr;
    const bool dualShown = element->IsVertex() != asVertex;
    SetShowDual(dualShown);
    if (FaceTypeBlock* block = element->GetTypeBlock()) block->SetCurrentFace(element);
    mSelectionChange +=
        Mark(asVertex ? kInfoMarkVertex : kInfoMarkFace, FaceType::GetNumber(element->mType), mShowDual != 0);
    char status[detail_PolySelection::kStatusSize];
    std::snprintf(status, sizeof status, "Selected %s %s %d (type %d)", mShowDual ? "dual" : "base",
                  asVertex ? "vertex" : "face", element->GetNumber(), FaceType::GetNumber(element->mType));
    platform::Services().views->SetStatusText(status);
  } else {
    platform::Services().views->SetStatusText("");
    mSelectionChange += Mark(kInfoMarkFace, -1, mShowDual != 0);
  }
  mSelectedElement = element;
  if (element) {
    mSelectedItem = element;
    if (asVertex) mSelectionChange.sphereCylinderOptions = true;
    mSelectionChange.pivot = true;
  }
}

void Poly::SelectEdge(PolyItem* item, bool asVertex) {
  if (item && item->IsEdge()) {
    Edge* edge = item->AsEdge();
    const bool newlySelected = item != mSelectedItem;
    if (newlySelected) {
      SelectFace(nullptr, false);
      detail_PolySelection::Redraw();
    }
    mCurrentEdge = edge;
    const int typeNumber = EdgeType::GetNumber(GetEdgeType(edge->mEdgeType), this);
    if (newlySelected) mSelectionChange += detail_PolySelection::Mark(kInfoMarkEdge, typeNumber, mShowDual != 0);
    const double length = edge->GetLength(mShowDual != 0) * GetUnitSettings().mLengthScale;
    char status[detail_PolySelection::kStatusSize];
    std::snprintf(status, sizeof status, "Selected %s edge %d (type %d), length %g", mShowDual ? "dual" : "base",
                  Edge::GetNumber(edge, this), typeNumber, length);
    platform::Services().views->SetStatusText(status);
    mSelectedItem = item;
    mSelectionChange.pivot = true;
    return;
  }
  if (mSelectedItem) detail_PolySelection::Redraw();
  if (item) {
    SelectFace(item->AsElement(), asVertex);
  } else {
    mSelectedItem = nullptr;
    SelectFace(nullptr, false);
  }
}

void Poly::SelectNextCoplanar(PolyElement* element) {
  if (!element) return;
  PolyElement* choice = element;
  if (element->mCoplanarNext) {
    const int limit = element->mList ? element->mList->mCount : 0;
    bool selectedInRing = false;
    PolyElement* walk = element;
    for (int step = 0; step <= limit && walk; ++step) {
      if (walk == mSelectedElement) {
        selectedInRing = true;
        break;
      }
      walk = walk->mCoplanarNext;
      if (walk == element) break;
    }
    if (selectedInRing && mSelectedElement->mCoplanarNext) {
      choice = mSelectedElement->mCoplanarNext;
    } else {
      // The last member without the Skip flag met on a walk round the ring from the
      // element (itself included); the walk is bounded by the list length.
      walk = element;
      for (int step = 0; step <= limit && walk; ++step) {
        if (!walk->HasFlag(kElementSkip)) choice = walk;
        walk = walk->mCoplanarNext;
        if (walk == element) break;
      }
    }
  }
  SelectEdge(choice, true);
}

}  // namespace corvia
