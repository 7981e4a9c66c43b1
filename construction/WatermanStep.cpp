#include "construction/WatermanStep.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Strings.h"
#include "symmetry/Waterman.h"

namespace corvia {

namespace detail_WatermanStep {

constexpr const char* kPrefix = "Waterman R";
constexpr const char* kFourD = " 4D";

bool EndsWith(const std::string& text, const char* end) {
  const size_t n = std::strlen(end);
  return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

}  // namespace detail_WatermanStep

bool ParseWatermanName(const char* name, int* root, int* latticeType, bool* fourD) {
  namespace d = detail_WatermanStep;
  if (!name || StartsWith(name, d::kPrefix) != 0) return false;
  const char* digits = name + std::strlen(d::kPrefix);
  std::string ending = SkipDigits(digits);
  // The four-dimensional mark follows the lattice's.
  const bool fourDimensional = d::EndsWith(ending, d::kFourD);
  if (fourDimensional) ending.resize(ending.size() - std::strlen(d::kFourD));
  if (root) *root = std::atoi(digits);
  if (latticeType) *latticeType = d::EndsWith(ending, ", type 2") ? 1 : d::EndsWith(ending, ", cubic") ? 2 : 0;
  if (fourD) *fourD = fourDimensional;
  return true;
}

WatermanStep StepWatermanModel(const char* name, int step, int* root, int* latticeType, bool* fourD) {
  int from = 0;
  if (!ParseWatermanName(name, &from, latticeType, fourD)) return WatermanStep::NotWaterman;
  const int nextRoot = from + step;
  // Past the largest root there is nothing to build either.
  if (nextRoot < kWatermanMinRoot || nextRoot > kWatermanMaxRoot) return WatermanStep::NoMore;
  if (root) *root = nextRoot;
  return WatermanStep::Made;
}

}  // namespace corvia
