#pragma once
// Selection names: drawing code tags each pickable item with a name that packs
// its kind (SelectionItems.h) and its index, (index << bits) + kind + 1, where bits
// is the least b with 2^b >= the number of kinds. Name 0 is drawing that cannot be
// picked. OpenGLView::DoSelection draws the view again in GL's selection mode and
// returns the names hit with their depths.

#include <cstdint>
#include <vector>

#include "render/OpenGLView.h"

namespace corvia {

// The size of the selection buffer, in words.
constexpr int kSelectionBufferWords = 256;

// Sets the bits and the kind mask (the pane class calls it once).
void InitGLSelection(int numItemTypes);
// Bits reserved for the kind (negative before InitGLSelection) and the kind mask.
int GetGLSelectionBits();
uint32_t GetGLSelectionMask();
// The name of an item, or 0 when it cannot be named (reported as an internal error).
uint32_t MakeSelectionName(int itemType, int index);
// Loads the name of what is drawn next.
void SetGLSelectionItem(int itemType, int index);

inline int GetHitItemType(const GLHit& hit) { return static_cast<int>(hit.name & GetGLSelectionMask()); }
inline int GetHitIndex(const GLHit& hit) {
  return static_cast<int>(hit.name >> (GetGLSelectionBits() > 0 ? GetGLSelectionBits() : 0));
}
// Position of the hit of that kind and index, or -1.
int FindHit(const std::vector<GLHit>& hits, int itemType, int index);
inline bool ContainsHit(const std::vector<GLHit>& hits, int itemType, int index) {
  return FindHit(hits, itemType, index) >= 0;
}
// Nearest first (depths compared unsigned); equal depths keep their order.
void SortHitsByDepth(std::vector<GLHit>& hits);

// The current view's pick region as a frustum, in the coordinates the drawing gives its
// points in when the object is made (GL's current model-view and projection matrices),
// widened for rounding. A pick clips away whole what lies outside one plane of that
// frustum, so a drawing that loops over many elements draws in a pick only those that
// may meet it: the hits are the same, and a click costs what lies under the pointer.
// Outside a pick it is inactive and everything meets it.
class PickRegion {
 public:
  explicit PickRegion(const OpenGLView* view);
  bool Active() const { return mActive; }
  // Whether the convex hull of the points (count x, y, z triples), each widened to a
  // ball of the radius, may meet the region.
  bool MayMeet(const double* points, int count, double radius = 0.0) const;
  // The box in the drawing's plane z = 0 that holds the region where that plane maps
  // onto the window affinely (a flat pane's drawing): lo and hi in x and y. False
  // outside a pick and where the plane's mapping is not affine or cannot be inverted.
  bool FlatBounds(double* lo, double* hi) const;

 private:
  bool mActive = false;
  // The plane z = 0 to clip x and y, q = A p + b, when it is affine: A row by row, then b.
  bool mFlat = false;
  double mFlatMap[6] = {};
  // The frustum's six planes, inside where a x + b y + c z + d >= 0 (each with the
  // length of its normal in [4]).
  double mPlanes[6][5] = {};
};

// Reads the selection records of glRenderMode(GL_RENDER) into hits: records with an
// innermost name of 0 are skipped; reading stops at the end of the buffer.
void AppendSelectionHits(std::vector<GLHit>& hits, const uint32_t* buffer, int words, int records);

}  // namespace corvia
