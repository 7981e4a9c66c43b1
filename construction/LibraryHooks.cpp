#include "construction/LibraryHooks.h"

// BuildLibraryEntryModel and BuildSpringModel are the library's own road to a model:
// LibraryBuild.cpp. The model file's reader is files/ModelFileOpen.cpp's, installed by
// InstallGeometryHooks.

#include "construction/ModelLookup.h"
#include "construction/PolyhedraDialog.h"
#include "construction/StellationNames.h"
#include "core/Messages.h"
#include "core/Outcome.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
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

Outcome ShowWenningerStellation(int number, const char* baseConfig, const int32_t* ranges, int numRanges) {
  // With panes to show it in (the active one among them), the stellation is offered a
  // pane of its own.
  DocumentAccess& document = GetDocumentAccess();
  if (document.GetPaneViewType(nullptr) != 0 && !document.IsViewTypeShown(kPaneStellationOfBase)) {
    const int answer = ShowMessageBox(kBoxStyleYesNoCancel | kBoxStyleIconQuestion,
                                      "Wenninger model W%d is a stellation, but you don't\ncurrently have a stellation "
                                      "view open.\n\nShall I change the current view to view stellations?",
                                      number);
    if (answer == kBoxCancel) return Outcome::Cancelled();
    if (answer == kBoxYes) document.SetActivePaneViewType(kPaneStellationOfBase);
  }
  bool recognised = false;
  // The base configurations are models of the library.
  LibraryEntry* entry = LookUpModel(baseConfig, &recognised, nullptr, nullptr, false);
  if (!entry) ShowInternalError("ShowWenningerStellation: no library model %s", baseConfig);
  // A base model that could not be made current has had its say.
  if (!entry || !document.SetModel(entry)) return Outcome::Cancelled();
  Poly* poly = GetCurrentPoly();
  FaceTypeBlock* block = poly ? poly->mBaseBlock.get() : nullptr;
  if (!block) return Outcome::Done();
  Outcome outcome = Stellate(poly, block, true);
  if (!block->IsStellated()) return outcome;
  // The cells are numbered from 0 in the order the stellation made them.
  int index = 0;
  for (StellationCell* cell = block->mFirstCell; cell && cell != block->GetOuterCell(); cell = cell->mNext, ++index) {
    bool inside = false;
    for (int r = 0; r < numRanges && !inside; ++r) inside = index >= ranges[2 * r] && index <= ranges[2 * r + 1];
    StellationCell::SetIncluded(cell, inside);
  }
  // Placed among the stellations of the criteria, it is named in the pane.
  const std::string shown = DescribeShownStellation(poly, block, true);
  if (!shown.empty()) platform::Services().views->SetPaneMessage("Stellation " + shown);
  platform::Services().views->RedrawAllViews(true);
  return Outcome::Done();
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
