#include "model/PolyItem.h"

#include <cctype>

#include "core/Globals.h"
#include "model/ColorSchemes.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/ElementServices.h"
#include "model/PolyElement.h"
#include "model/PolyFwd.h"
#include "model/Vertex.h"

namespace corvia {

namespace detail_PolyItem {
bool IsBlank(const char* text) {
  if (!text) return true;
  for (; *text; ++text) {
    if (!std::isspace(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

bool ElementHidden(const PolyElement* element) {
  return !element || element->HasFlag(kElementHidden);
}

// Points of a faceting preview: inside the current facet set, and outside it.
constexpr float kFacetInsideColour[3] = {0.0f, 1.0f, 0.0f};
constexpr float kFacetOutsideColour[3] = {0.8f, 0.0f, 0.0f};
}  // namespace detail_PolyItem

PolyItem::~PolyItem() = default;

bool PolyItem::IsVertexIn(const PolyItem* item, bool dual) {
  const PolyElement* element = item ? item->AsElement() : nullptr;
  return element && element->IsFace() == dual;
}

bool PolyItem::IsFaceIn(const PolyItem* item, bool dual) {
  const PolyElement* element = item ? item->AsElement() : nullptr;
  return element && element->IsVertex() == dual;
}

Poly* PolyItem::GetPoly() const {
  if (const PolyElement* element = AsElement()) return element->mPoly;
  const Edge* edge = AsEdge();
  const PolyElement* end = edge ? edge->mVert1 : nullptr;
  return end ? end->mPoly : nullptr;
}

bool PolyItem::IsHidden(bool dual) const {
  const bool hideBetween = GetElementDisplayOptions().hideBetweenHiddenFaces;
  if (const Edge* edge = AsEdge()) {
    if (edge->mEdgeFlags & kEdgeHidden) return true;
    if (!hideBetween) return false;
    return detail_PolyItem::ElementHidden(edge->GetFace(dual, 0)) &&
           detail_PolyItem::ElementHidden(edge->GetFace(dual, 1));
  }
  const PolyElement* element = AsElement();
  if (element->HasFlag(kElementHidden)) return true;
  if (!hideBetween || element->IsFaceIn(dual)) return false;
  // Shown as a vertex: hidden when nothing around it is left to show. A corner that
  // was never linked counts as hidden, as a missing face of an edge does.
  if (element->mNumSides <= 0) return true;
  for (int i = 0; i < element->mNumSides; ++i) {
    if (!detail_PolyItem::ElementHidden(element->mNeighbours[i])) return false;
  }
  return true;
}

bool PolyItem::IsSameTypeAs(const PolyItem* other) const {
  if (!other) return false;
  const bool reflexible = GetElementDisplayOptions().maintainReflexibility;
  const Edge* edge = AsEdge();
  const Edge* otherEdge = other->AsEdge();
  if (edge || otherEdge) {
    if (!edge || !otherEdge) return false;
    if (edge->mEdgeType == otherEdge->mEdgeType) return true;
    if (!reflexible) return false;
    // The second of a mirror-image pair of edge types is numbered one after the first.
    return ((edge->mEdgeFlags & kEdgeMirrorSecond) && edge->mEdgeType == otherEdge->mEdgeType + 1) ||
           ((otherEdge->mEdgeFlags & kEdgeMirrorSecond) && otherEdge->mEdgeType == edge->mEdgeType + 1);
  }
  const PolyElement* element = AsElement();
  const PolyElement* otherElement = other->AsElement();
  if (element->IsVertexIn(false) != otherElement->IsVertexIn(false)) return false;
  if (element->mType == otherElement->mType) return true;
  return reflexible && otherElement->mType && element->mType == FaceTypeMirrorType(otherElement->mType);
}

void PolyItem::SetLabel(const char* text) {
  const bool wasLabelled = !mLabel.empty();
  if (detail_PolyItem::IsBlank(text)) {
    mLabel.clear();
  } else {
    mLabel = text;
  }
  const bool isLabelled = !mLabel.empty();
  if (wasLabelled == isLabelled) return;
  const int delta = isLabelled ? 1 : -1;
  if (PolyElement* element = AsElement()) {
    if (element->mList) element->mList->mNumLabelled += delta;
  } else if (Poly* poly = GetPoly()) {
    PolyAddLabelledEdges(poly, delta);
  }
}

PolyItem* PolyItem::GetNext(bool skipHidden, bool dual) const {
  if (const PolyElement* element = AsElement()) {
    PolyElement* next = element->mNext;
    while (skipHidden && next && next->IsHidden(dual)) next = next->mNext;
    return next;
  }
  const Edge* edge = AsEdge();
  Poly* poly = GetPoly();
  if (!poly) return nullptr;
  Edge* edges = PolyEdgeArray(poly);
  const int count = PolyNumEdges(poly);
  int index = Edge::GetIndex(edge, poly);
  if (index < 0) return nullptr;
  for (++index; index < count; ++index) {
    if (!skipHidden || !edges[index].IsHidden(dual)) return &edges[index];
  }
  return nullptr;
}

const float* PolyItem::GetDrawColour() const {
  switch (GetFacetPreviewPoint(AsElement())) {
    case FacetPreviewPoint::kInside:
      return detail_PolyItem::kFacetInsideColour;
    case FacetPreviewPoint::kOutside:
      return detail_PolyItem::kFacetOutsideColour;
    case FacetPreviewPoint::kNoPreview:
      break;
  }
  return ColorVertsSameAsDualFace ? mColor : DefaultVertexColor;
}

const float* PolyItem::GetColour(const PolyItem* item) {
  return item ? item->mColor : GetNewEdgeColor();
}

void PolyItem::SetColour(PolyItem* item, const float* rgb) {
  if (!item) {
    SetNewEdgeColor(rgb);
    return;
  }
  item->mColor[0] = rgb[0];
  item->mColor[1] = rgb[1];
  item->mColor[2] = rgb[2];
}

}  // namespace corvia
