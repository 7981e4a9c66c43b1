#pragma once
// The intrusive lists in which a model keeps its vertices and its faces. The list owns
// its elements; elements keep stable addresses and leave the list in constant time.

#include <cstdint>

namespace corvia {

class Poly;
class PolyElement;
class FaceImage;

class ElementList {
 public:
  ElementList() = default;
  ElementList(const ElementList&) = delete;
  ElementList& operator=(const ElementList&) = delete;
  virtual ~ElementList();

  virtual bool IsFaceList() const = 0;

  // Links the element after the tail and numbers it.
  void Append(PolyElement* element);
  // Unlinks the element, renumbers those after it and destroys it.
  void Remove(PolyElement* element);
  // Destroys every element, tail first, and re-initialises the list.
  void Clear();
  void Renumber();
  PolyElement* GetAt(int i) const;
  // The first element whose dual point lies within 1e-7 of the point.
  PolyElement* FindAt(const double* point) const;
  // For the model's face list, that model's vertex list; null for any other list.
  ElementList* GetVertexListOf(Poly* poly);
  bool HasOtherImageEntry(const FaceImage* entry) const;
  bool HasLabels() const { return mNumLabelled > 0; }
  // Every element has exactly the head's colour; true for an empty or missing list.
  static bool AllSameColour(const ElementList* list);
  void CalcDensities();

  PolyElement* mHead = nullptr;
  PolyElement* mTail = nullptr;
  uint32_t mListFlags = 0;
  int32_t mCount = 0;
  int32_t mNumLabelled = 0;
  int32_t mNumTranslucent = 0;
  // Cached spread of the list's 2D outline, seen from mCachedSpreadOf; -1.0 when to be
  // computed. Any change of the list makes it stale.
  double mCachedSpread = -1.0;
  const PolyElement* mCachedSpreadOf = nullptr;
};

class VertexList final : public ElementList {
 public:
  bool IsFaceList() const override { return false; }
};

class FaceList final : public ElementList {
 public:
  bool IsFaceList() const override { return true; }
};

}  // namespace corvia
