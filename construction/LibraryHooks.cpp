#include "construction/LibraryHooks.h"

// BuildLibraryEntryModel and BuildSpringModel are the library's own road to a model:
// LibraryBuild.cpp. The model file's reader is files/ModelFileOpen.cpp's, installed by
// InstallGeometryHooks.

#include "construction/PolyhedraDialog.h"
#include "core/Messages.h"
#include "core/Outcome.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "stellation/Stellate.h"
#include "stellation/StellationCell.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_LibraryHooks {
ModelFileReader gModelFileReader = nullptr;
}  // namespace detail_LibraryHooks

ModelFileReader SetModelFileReader(ModelFileReader reader) {
  ModelFileReader previous = detail_LibraryHooks::gModelFileReader;
  detail_LibraryHooks::gModelFileReader = reader;
  return previous;
}

std::unique_ptr<SimplePoly> ReadModelFromFile(const char* path, bool dual, Outcome* why) {
  if (!detail_LibraryHooks::gModelFileReader) {
    ShowInternalError("ReadModelFromFile: no model file reader installed");
    if (why) *why = Outcome::Cancelled();
    return nullptr;
  }
  return detail_LibraryHooks::gModelFileReader(path, dual, why);
}

bool IncludeWenningerCells(Poly& poly, const int32_t* ranges, int numRanges, Outcome* why) {
  FaceTypeBlock* block = poly.mBaseBlock.get();
  if (!block) return false;
  Outcome outcome = Stellate(&poly, block, true);
  if (why) *why = outcome;
  if (!block->IsStellated()) return false;
  // The cells are numbered from 0 in the order the stellation made them.
  int index = 0;
  for (StellationCell* cell = block->mFirstCell; cell && cell != block->GetOuterCell(); cell = cell->mNext, ++index) {
    bool inside = false;
    for (int r = 0; r < numRanges && !inside; ++r) inside = index >= ranges[2 * r] && index <= ranges[2 * r + 1];
    StellationCell::SetIncluded(cell, inside);
  }
  return true;
}

bool CPolyhedraDialog::DoModal() {
  CPolyhedraDialog answer = *this;
  if (!platform::Services().dialogs->RunDialog(answer)) return false;
  *this = answer;
  return true;
}

LibraryEntry* RunPolyhedraDialog(bool* isDual) {
  CPolyhedraDialog dialog;
  const bool chosen = dialog.DoModal() && dialog.mEntry;
  if (isDual) *isDual = chosen && dialog.mIsDual;
  return chosen ? dialog.mEntry : nullptr;
}

}  // namespace corvia
