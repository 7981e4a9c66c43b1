#include "dialogs/AugmentDlg.h"

#include "construction/Augmentation.h"
#include "model/LibraryEntry.h"
#include "platform/Services.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_AugmentDlg {

// The values the user confirmed last. A library entry is kept only when it is one of
// the built-in records, which live as long as the program.
AugmentDlg& Remembered() {
  static AugmentDlg remembered = [] {
    AugmentDlg first{AugmentDlg::Blank{}};
    first.mOptions = kAugmentPyramid | kPyramidEqualEdges | kAugmentSelectedFace | kAugmentPreviewSolid;
    return first;
  }();
  return remembered;
}

}  // namespace detail_AugmentDlg

AugmentDlg::AugmentDlg() {
  *this = detail_AugmentDlg::Remembered();
}

bool AugmentDlg::DoModal() {
  AugmentDlg answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return false;
  *this = answer;
  AugmentDlg& remembered = detail_AugmentDlg::Remembered();
  remembered = *this;
  remembered.mMemoryModels.clear();
  if (remembered.mEntry && remembered.mEntry->IsUserRecord()) remembered.mEntry = nullptr;
  return true;
}

const SimplePoly* AugmentDlg::GetMemoryModel(int slot) const {
  return slot >= 0 && slot < static_cast<int>(mMemoryModels.size()) ? mMemoryModels[static_cast<size_t>(slot)]
                                                                     : nullptr;
}

void AugmentDlg::GetParameters(Augmentation& augmentation) const {
  uint32_t options = mOptions;
  double scale = mScale;
  if (options & kAugmentModelMask) {
    scale = 1.0;
  } else if (scale < 0.0) {
    // The height is worked out from the scale and negated when excavating: a scale
    // left negative would undo the flip.
    options ^= kAugmentExcavate;
    scale = -scale;
  }
  if (mEntryIsDual && (options & kAugmentBuiltIn)) options ^= kAugmentUseDual;
  augmentation.mOptions = options;
  augmentation.mScale = scale;
  const SimplePoly* memory = (options & kAugmentMemory) ? GetMemoryModel(mMemorySlot) : nullptr;
  augmentation.mMemoryModel = memory ? memory->CopyWithNames() : nullptr;
  augmentation.mLibraryEntry = mEntry;
  augmentation.mFilePath = mFilePath;
  augmentation.mNewFaceColour = mNewFaceColour;
}

}  // namespace corvia
