#include "construction/Random15.h"

namespace corvia {

namespace detail_Random15 {
// A linear congruential step modulo 2^32 (unsigned wrap-around is exact and the
// same everywhere); the low bits of such a generator are poor, so the 15 bits are
// taken from the upper half of the state.
constexpr uint32_t kMultiplier = 1103515245u;
constexpr uint32_t kIncrement = 12345u;
constexpr int kShift = 16;
}  // namespace detail_Random15

int Random15::Next() {
  mState = mState * detail_Random15::kMultiplier + detail_Random15::kIncrement;
  return static_cast<int>((mState >> detail_Random15::kShift) & static_cast<uint32_t>(kRandom15Max));
}

}  // namespace corvia
