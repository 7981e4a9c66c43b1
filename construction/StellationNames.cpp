#include "construction/StellationNames.h"

#include <cstdint>

#include "construction/ModelLookup.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "stellation/StellationCell.h"
#include "stellation/StellationCriteria.h"

namespace corvia {

namespace detail_StellationNames {

// The lookup table's stellations of each base, by the base's own Wenninger number.
struct WenningerBase {
  int baseNumber;
  int first;
  int last;
};
constexpr WenningerBase kBases[] = {{2, 1, 19}, {4, 23, 42}};

// The stellations that are models of the library themselves (the small stellated, great
// and great stellated dodecahedra, the great icosahedron): their number opens the model,
// so the lookup table leaves them out. Their cells, as a range in the order of the
// base's cells: the dodecahedron's core and its three shells; the icosahedron's cells
// but the outermost.
struct LibraryStellation {
  int baseNumber;
  int number;
  int32_t ranges[2];
};
constexpr LibraryStellation kLibraryStellations[] = {
    {5, 20, {0, 1}}, {5, 21, {0, 2}}, {5, 22, {0, 3}}, {4, 41, {0, 10}}};

// The dual side of a regular solid is the regular solid of its dual, with its cells in
// the same order: the cube's dual side stellates as the octahedron, the dodecahedron's
// as the icosahedron and the icosahedron's as the dodecahedron.
struct DualSolid {
  int number;
  int dualNumber;
};
constexpr DualSolid kDualSolids[] = {{3, 2}, {5, 4}, {4, 5}};

// The Wenninger number of the solid whose stellations the block's cells make; 0 when
// none of the named bases.
int BaseNumberOf(const Poly* poly, const FaceTypeBlock* block) {
  const int number = poly->mLibraryEntry->GetWenningerNumber();
  if (block == poly->mBaseBlock.get()) return number;
  if (block != poly->mDualBlock.get()) return 0;
  for (const DualSolid& solid : kDualSolids) {
    if (solid.number == number) return solid.dualNumber;
  }
  return 0;
}

bool CellsMatch(const FaceTypeBlock* block, const int32_t* ranges, int numRanges) {
  int index = 0;
  for (StellationCell* cell = block->mFirstCell; cell && cell != block->GetOuterCell(); cell = cell->mNext, ++index) {
    bool inside = false;
    for (int r = 0; r < numRanges && !inside; ++r) inside = index >= ranges[2 * r] && index <= ranges[2 * r + 1];
    if (inside != cell->IsIncluded()) return false;
  }
  return index > 0;
}

}  // namespace detail_StellationNames

int FindWenningerStellation(const Poly* poly, const FaceTypeBlock* block) {
  namespace d = detail_StellationNames;
  if (!poly || !block || !poly->mLibraryEntry || !block->mFirstCell) return 0;
  const int base = d::BaseNumberOf(poly, block);
  if (base <= 0) return 0;
  for (const d::WenningerBase& b : d::kBases) {
    if (b.baseNumber != base) continue;
    for (int number = b.first; number <= b.last; ++number) {
      const int32_t* ranges = nullptr;
      const int numRanges = GetWenningerStellationRanges(number, &ranges);
      if (numRanges > 0 && d::CellsMatch(block, ranges, numRanges)) return number;
    }
  }
  for (const d::LibraryStellation& s : d::kLibraryStellations) {
    if (s.baseNumber == base && d::CellsMatch(block, s.ranges, 1)) return s.number;
  }
  return 0;
}

std::string DescribeShownStellation(Poly* poly, FaceTypeBlock* block, bool takeWalk) {
  if (!block || !block->mFirstCell) return {};
  const StellationPlace place = FindStellationPlace(block, takeWalk);
  std::string text;
  if (place.index > 0 && place.total > 0) text = std::to_string(place.index) + " of " + std::to_string(place.total);
  if (const int number = FindWenningerStellation(poly, block)) {
    text += text.empty() ? "W" + std::to_string(number) : " (W" + std::to_string(number) + ")";
  }
  return text;
}

}  // namespace corvia
