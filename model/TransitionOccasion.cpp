#include "model/TransitionOccasion.h"

namespace corvia {

namespace detail_TransitionOccasion {

// Undo types that replace the model by one built from it (torus, block and the
// family of derived models 39 to 43).
constexpr int kDerivedModelFirst = 39;
constexpr int kDerivedModelLast = 43;

}  // namespace detail_TransitionOccasion

int GetTransitionOccasionForUndo(int undoType) {
  namespace d = detail_TransitionOccasion;
  if (undoType >= d::kDerivedModelFirst && undoType <= d::kDerivedModelLast) return 6;
  switch (undoType) {
    case 0:
    case 20:
      return 6;
    case 1:
      return 3;
    case 4:
      return 12;
    case 5:
      return 5;
    case 6:
    case 7:
    case 8:
      return 7;
    case 11:
    case 12:
      return 8;
    case 16:
      return 10;
    case 17:
      return 9;
    case 19:
      return 11;
    case 33:
      return 4;
    default:
      return kNoTransitionOccasion;
  }
}

}  // namespace corvia
