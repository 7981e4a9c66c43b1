#pragma once
// The "Augmentation" dialog as its callers see it: what is added (a pyramid, cupola,
// prism or antiprism, or a model from memory, the library or a file), its height
// mode and scale, which faces take it, the colours of the new faces and how the
// preview shows. The options are remembered between uses within a run.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DialogFrontEnd.h"

namespace corvia {

class Augmentation;
class LibraryEntry;
class SimplePoly;

class AugmentDlg : public platform::DialogValues {
 public:
  static constexpr const char* kName = "AugmentDialog";
  const char* DialogName() const override { return kName; }

  // Starts from the values confirmed last (pyramids of equal edges on the selected
  // face at first).
  AugmentDlg();
  // The options all off.
  struct Blank {};
  explicit AugmentDlg(Blank) {}

  // Runs the dialog; true on OK, after which the values are remembered for the next
  // time.
  bool DoModal();

  // Gives the augmentation the options word, the scale (a negative scale flips the
  // excavate bit and is kept positive; 1.0 when a whole model is added), a copy of the
  // model in the memory slot when a model from memory is added, the library entry, the
  // file path and the new faces' colour.
  void GetParameters(Augmentation& augmentation) const;
  // The model memory slot (0-based) holds as the caller gave them; null when empty.
  const SimplePoly* GetMemoryModel(int slot) const;

  uint32_t mOptions = 0;
  // The number typed for the height: a factor, or a length in length units.
  double mScale = 1.0;
  int mMemorySlot = 0;  // 0 to 8
  // The models of the memory slots, in order (null for an empty slot), which the caller
  // gives before the dialog runs; they are not remembered.
  std::vector<const SimplePoly*> mMemoryModels;
  LibraryEntry* mEntry = nullptr;
  bool mEntryIsDual = false;
  std::string mFilePath;
  uint32_t mNewFaceColour = 0x00C0C0C0;  // packed 0x00BBGGRR
};

}  // namespace corvia
