// The texts of element and edge labels, and whether an element shows one.

#include "model/ElementLabels.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Globals.h"
#include "core/Tolerances.h"
#include "model/Edge.h"
#include "model/ElementFlags.h"
#include "model/ElementList.h"
#include "model/FaceType.h"
#include "model/Poly.h"
#include "model/PolyElement.h"

namespace corvia {

uint32_t DiagnosticNumbers = 0;
bool ShowLabels = true;
const float kLabelTextColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kLabelDimmedColour[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const float kLabelHighlightColour[3] = {1.0f, 1.0f, 1.0f};

namespace detail_ElementLabels {

// Thresholds of the element text: ", ..." before a member once the text is longer
// than the first, "..." after a member once it is longer than the second.
constexpr size_t kMemberStartLimit = 1004;
constexpr size_t kMemberEndLimit = 1009;
// An edge text of this many bytes or more ends in "...".
constexpr size_t kEdgeTextLimit = 1010;
constexpr const char* kEllipsis = "...";

// The longest prefix of at most `length` bytes that ends on a whole UTF-8 character.
size_t CharacterBoundary(const std::string& text, size_t length) {
  if (length >= text.size()) return text.size();
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  return length;
}

bool SamePoint(const double* a, const double* b) {
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(a[k] - b[k]) > kPointTolerance) return false;
  }
  return true;
}

// The members whose texts an element shows: itself and, for a concentric coplanar
// element, the rest of its ring that is not hidden and shares its centroid.
template <typename Visit>
void ForEachLabelMember(const PolyElement* element, Visit visit) {
  if (!(element->mFlags & kElementHidden)) visit(element);
  if (!(element->mFlags & kElementIsCopConcentric)) return;
  int steps = element->mList ? element->mList->mCount : 0;
  for (const PolyElement* m = element->mCoplanarNext; m && m != element && steps-- > 0; m = m->mCoplanarNext) {
    if (!(m->mFlags & kElementHidden) && SamePoint(m->mCentroid, element->mCentroid)) visit(m);
  }
}

bool TouchesSelection(const PolyElement* member) {
  const Poly* poly = member->mPoly;
  if (!poly || !poly->mSelectedItem) return false;
  const PolyElement* selected = poly->mSelectedElement;
  if (selected && (member == selected || member->HasCorner(selected))) return true;
  const Edge* edge = poly->mCurrentEdge;
  if (!edge || !member->mEdges) return false;
  for (int i = 0; i < member->mNumSides; ++i) {
    if (member->mEdges[i] == edge) return true;
  }
  return false;
}

void AppendColourTag(LabelText& text) {
  char tag[32];
  std::snprintf(tag, sizeof tag, "<color=%s>", GetHtmlColorText(kLabelHighlightColour));
  text.Append(tag);
}

}  // namespace detail_ElementLabels

void LabelText::Append(const char* text) {
  if (!text) return;
  const size_t room = kLabelTextSize - 1 > mText.size() ? kLabelTextSize - 1 - mText.size() : 0;
  const size_t length = std::strlen(text);
  if (length <= room) {
    mText.append(text, length);
    return;
  }
  const std::string piece(text, length);
  mText.append(piece, 0, detail_ElementLabels::CharacterBoundary(piece, room));
}

void LabelText::AppendNumber(int value) {
  char number[16];
  std::snprintf(number, sizeof number, "%d", value);
  Append(number);
}

void LabelText::CutWith(size_t length, const char* marker) {
  const size_t markerLength = marker ? std::strlen(marker) : 0;
  if (length + markerLength > kLabelTextSize - 1) {
    length = kLabelTextSize - 1 > markerLength ? kLabelTextSize - 1 - markerLength : 0;
  }
  size_t cut = detail_ElementLabels::CharacterBoundary(mText, length);
  // Never end inside a tag: an opening '<' after the last '>' goes with the cut.
  const size_t open = mText.rfind('<', cut > 0 ? cut - 1 : 0);
  if (open != std::string::npos && open < cut) {
    const size_t close = mText.find('>', open);
    if (close == std::string::npos || close >= cut) cut = open;
  }
  mText.resize(cut);
  if (marker) mText.append(marker);
}

void BuildElementLabel(const PolyElement* element, bool asVertex, LabelText& text) {
  using namespace detail_ElementLabels;
  if (!element) return;
  const uint32_t typeBit = asVertex ? kShowVertexTypeNumbers : kShowFaceTypeNumbers;
  const uint32_t numberBit = asVertex ? kShowVertexNumbers : kShowFaceNumbers;
  bool previousEndedWithLabel = false;
  bool stopped = false;
  ForEachLabelMember(element, [&](const PolyElement* member) {
    if (stopped) return;
    if (text.Length() > kMemberStartLimit) {
      text.Append(", ...");
      stopped = true;
      return;
    }
    if (!text.Empty()) {
      text.Append(",");
      if (previousEndedWithLabel) text.Append("\n");
    }
    const bool highlighted = TouchesSelection(member);
    if (highlighted) AppendColourTag(text);
    bool any = false;
    if (DiagnosticNumbers & typeBit) {
      text.AppendNumber(FaceType::GetNumber(member->mType));
      any = true;
    }
    if (DiagnosticNumbers & numberBit) {
      if (any) text.Append("-");
      text.AppendNumber(member->GetNumber());
      any = true;
    }
    previousEndedWithLabel = false;
    if (member->HasLabel()) {
      if (any) {
        text.Append(":<in>");
        text.Append(member->GetLabel());
        text.Append("</in>");
      } else {
        text.Append(member->GetLabel());
      }
      previousEndedWithLabel = true;
    }
    if (highlighted) text.Append("</font>");
    if (text.Length() > kMemberEndLimit) {
      text.CutWith(text.Length(), kEllipsis);
      stopped = true;
    }
  });
}

void BuildEdgeLabel(const Edge* edge, Poly* poly, LabelText& text) {
  using namespace detail_ElementLabels;
  if (!edge) return;
  // Edge types are numbered as the status bar and the information tree number them.
  if (DiagnosticNumbers & kShowEdgeTypeNumbers) {
    text.AppendNumber(EdgeType::GetNumber(poly ? poly->GetEdgeType(edge->mEdgeType) : nullptr, poly));
  }
  if (DiagnosticNumbers & kShowEdgeNumbers) {
    if (!text.Empty()) text.Append("-");
    text.AppendNumber(Edge::GetNumber(edge, poly));
  }
  const bool numbers = !text.Empty();
  if (!numbers && !edge->HasLabel()) return;
  bool highlighted = false;
  if (poly && poly->mSelectedItem) {
    highlighted = poly->mSelectedItem == edge || (poly->mSelectedElement && edge->Touches(poly->mSelectedElement));
  }
  LabelText wrapped;
  if (highlighted) AppendColourTag(wrapped);
  wrapped.Append(text.Get());
  if (edge->HasLabel()) {
    if (numbers) {
      wrapped.Append(":<in>");
      wrapped.Append(edge->GetLabel());
      wrapped.Append("</in>");
    } else {
      wrapped.Append(edge->GetLabel());
    }
  }
  if (wrapped.Length() >= kEdgeTextLimit) {
    wrapped.CutWith(wrapped.Length(), kEllipsis);
  } else if (highlighted) {
    wrapped.Append("</font>");
  }
  text = wrapped;
}

bool PolyElement::IsTextShown() const {
  using namespace detail_ElementLabels;
  const bool numbers = (DiagnosticNumbers & (kShowFaceNumbers | kShowFaceTypeNumbers)) != 0;
  if (!numbers && !(mList && mList->HasLabels() && ShowLabels)) return false;
  if (mFlags & kElementSkipCopConcentric) return false;
  bool hasText = false;
  if (mFlags & kElementIsCopConcentric) {
    ForEachLabelMember(this, [&hasText](const PolyElement* member) { hasText = hasText || member->HasLabel(); });
  } else {
    hasText = !(mFlags & kElementHidden) && HasLabel();
  }
  if (ShowLabels ? (!hasText && !numbers) : !numbers) return false;
  return !(mFlags & kElementHidden);
}

}  // namespace corvia
