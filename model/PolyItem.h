#pragma once
// The root of the selectable items of a model: its vertices, faces and edges. Each
// carries a colour and an optional label.

#include "core/OptionalText.h"

namespace corvia {

class Poly;
class Edge;
class PolyElement;

class PolyItem {
 public:
  PolyItem() = default;
  PolyItem(const PolyItem&) = delete;
  PolyItem& operator=(const PolyItem&) = delete;
  virtual ~PolyItem();

  virtual bool IsEdge() const { return false; }
  virtual Edge* AsEdge() { return nullptr; }
  virtual PolyElement* AsElement() { return nullptr; }
  const Edge* AsEdge() const { return const_cast<PolyItem*>(this)->AsEdge(); }
  const PolyElement* AsElement() const { return const_cast<PolyItem*>(this)->AsElement(); }

  // The item is an element shown as a vertex in the given view: in the dual view the
  // faces are its vertices. False for a null item.
  static bool IsVertexIn(const PolyItem* item, bool dual);
  bool IsVertexIn(bool dual) const { return IsVertexIn(this, dual); }
  // The item is an element shown as a face in the given view. False for a null item.
  static bool IsFaceIn(const PolyItem* item, bool dual);
  bool IsFaceIn(bool dual) const { return IsFaceIn(this, dual); }

  // The owning model: an element's owner; for an edge the owner of its first end.
  Poly* GetPoly() const;

  // Hidden in the given view: by the user's flag, or (with the option to hide what
  // lies between hidden faces) because every face around it is hidden.
  bool IsHidden(bool dual) const;

  // Two edges of one edge type, or two elements of one face type in the same role;
  // with Maintain Reflexibility mirror-image types count as one.
  bool IsSameTypeAs(const PolyItem* other) const;

  // Replaces the label by a copy of the text; a blank text clears it. The count of
  // labelled items (the list's for an element, the model's for an edge) follows.
  void SetLabel(const char* text);
  // The label, or null when there is none.
  const char* GetLabel() const { return mLabel.empty() ? nullptr : mLabel.c_str(); }
  bool HasLabel() const { return !mLabel.empty(); }

  // The next item of the same kind (an element's list successor, an edge's successor
  // in the edge array); with skipHidden the items hidden in the given view are passed.
  PolyItem* GetNext(bool skipHidden, bool dual = false) const;

  // The item's colour; for a null item the default edge colour.
  static const float* GetColour(const PolyItem* item);
  // Sets the item's colour; for a null item the default edge colour.
  static void SetColour(PolyItem* item, const float* rgb);
  const float* GetColour() const { return mColor; }
  // The colour the item's point is drawn in: during a faceting preview the inside or
  // outside colour; else its own colour while vertices take their dual face's colour,
  // otherwise the default vertex colour.
  const float* GetDrawColour() const;
  void SetColour(const float* rgb) { SetColour(this, rgb); }

  OptionalText mLabel;  // empty: no label (a null pointer: most items have none)
  // Last, so that the 4 bytes after it hold the first field of an element or edge.
  float mColor[3] = {0.0f, 0.0f, 0.0f};
};
// Every vertex, face and edge of a model holds one: the label that nearly every item
// leaves empty takes no more than a pointer.
static_assert(sizeof(PolyItem) <= 32, "an item's own part takes 32 bytes at most");

}  // namespace corvia
