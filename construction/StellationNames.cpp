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

// The table's stellations of each base, by the base's own Wenninger number.
struct WenningerBase {
  int baseNumber;
  int first;
  int last;
};
constexpr WenningerBase kBases[] = {{2, 1, 19}, {4, 20, 42}};

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
  if (!poly || !block || block != poly->mBaseBlock.get() || !poly->mLibraryEntry || !block->mFirstCell) return 0;
  const int base = poly->mLibraryEntry->GetWenningerNumber();
  for (const d::WenningerBase& b : d::kBases) {
    if (b.baseNumber != base) continue;
    for (int number = b.first; number <= b.last; ++number) {
      const int32_t* ranges = nullptr;
      const int numRanges = GetWenningerStellationRanges(number, &ranges);
      if (numRanges > 0 && d::CellsMatch(block, ranges, numRanges)) return number;
    }
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
