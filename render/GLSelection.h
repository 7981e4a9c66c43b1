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

// Reads the selection records of glRenderMode(GL_RENDER) into hits: records with an
// innermost name of 0 are skipped; reading stops at the end of the buffer.
void AppendSelectionHits(std::vector<GLHit>& hits, const uint32_t* buffer, int words, int records);

}  // namespace corvia
