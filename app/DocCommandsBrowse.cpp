// Moving from one model to another: the Polyhedron List, Next and Previous Polyhedron
// through the search results, the model files of a folder, the Waterman polyhedra or
// the library, and making the model's faces regular.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/ModelChange.h"
#include "app/DocCommandsBrowseText.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "construction/LibraryHooks.h"
#include "construction/ModelLookup.h"
#include "construction/SpringRelax.h"
#include "construction/WatermanStep.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "files/ModelFile.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "core/Units.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "platform/Services.h"
#include "render/NewView.h"
#include "render/OutcomeBoxes.h"
#include "symmetry/SimplePoly.h"

namespace corvia {

namespace detail_DocCommandsBrowse {

constexpr const char* kModelFilePattern = "*.corv";
// Rounds of relaxation that Try to Make Faces Regular allows.
constexpr int kRegularRounds = 10;
// The undo step of Try to Make Faces Regular.
constexpr int kUndoMakeFacesRegular = 23;

// The messages of these commands stand in the first pane.
NewView* FirstPane() { return NewView::GetFirstView(); }

bool FirstPaneHasMessage() {
  NewView* pane = FirstPane();
  return pane && pane->GetMessage();
}

void ShowMessage(const std::string& text) {
  if (text.empty()) return;
  if (NewView* pane = FirstPane()) {
    NewView::SetMessage(pane, "%s", text.c_str());
  } else {
    platform::Services().views->SetPaneMessage(text);
  }
}

// Every pane that shows one side of the model shows the other one instead, and the
// model follows.
void SwitchPanesToSide(bool dual) {
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    CPolyView* pane = CPolyView::AsPolyView(v);
    if (!pane) continue;
    const ViewType type = pane->GetViewType();
    ViewType other = type;
    if (dual && type == kViewBasePolyhedron) other = kViewDualPolyhedron;
    if (dual && type == kViewStellationOfBase) other = kViewStellationOfDual;
    if (!dual && type == kViewDualPolyhedron) other = kViewBasePolyhedron;
    if (!dual && type == kViewStellationOfDual) other = kViewStellationOfBase;
    if (other != type) pane->SetViewType(other, false);
  }
  if (Poly* poly = GetCurrentPoly()) {
    poly->SetShowDual(dual);
    ShowSelectionChangeOf(poly);
  }
}

// The next or previous search result; false when no search is shown.
bool StepSearchResults(CPolyDoc& doc, int step) {
  LibraryListNode* current = GetCurrentSearchResult();
  if (!current) return false;
  if (CountSearchResults() <= 1) {
    ShowMessage("Your search only found one polyhedron");
    return true;
  }
  LibraryListNode* next = step > 0 ? current->Next() : current->Prev();
  const bool wrapped = next == nullptr;
  if (wrapped) {
    next = GetSearchResults();
    if (step < 0) {
      while (next && next->Next()) next = next->Next();
    }
  }
  if (!next) return true;
  SetCurrentSearchResult(next);
  doc.SetModel(next->mEntry, false, true);

  std::string message;
  if (next->mIsDual && !FindViewOfType(kViewDualPolyhedron, kViewStellationOfDual)) {
    SwitchPanesToSide(true);
    if (FindViewOfType(kViewDualPolyhedron, kViewStellationOfDual)) message = "Switched from base to dual view";
  } else if (!next->mIsDual && !FindViewOfType(kViewBasePolyhedron, kViewStellationOfBase)) {
    SwitchPanesToSide(false);
    if (FindViewOfType(kViewBasePolyhedron, kViewStellationOfBase)) message = "Switched from dual to base view";
  }
  if (wrapped && !FirstPaneHasMessage()) {
    if (!message.empty()) message += "\n";
    message += step > 0 ? "Wrapped from last to first search result" : "Wrapped from first to last search result";
  }
  ShowMessage(message);
  return true;
}

// The next or previous model file of the current file's folder; false when the model
// came from no file.
bool StepFolderFiles(CPolyDoc& doc, int step) {
  const std::string current = doc.GetPathName();
  if (IsBlank(current.c_str())) return false;
  const char* currentName = GetFileNamePart(current.c_str());
  const std::string folder(current.c_str(), static_cast<size_t>(currentName - current.c_str()));

  // The listing reads the working folder; the user's stays as it was.
  const std::string workingFolder = GetWorkingDirectory();
  int count = 0;
  char** names = nullptr;
  if (ChangeToFileDirectory(current.c_str())) names = ListDirectory(kModelFilePattern, 1, &count);
  ChangeDirectory(workingFolder.c_str());
  if (count == 0 || (count == 1 && std::strcmp(names[0], currentName) == 0)) {
    DeleteStringArray(count, names);
    ShowMessage("There are no other .CORV files in this folder");
    return true;
  }

  // The place of the current file in the list's own (natural) order; when the file
  // has gone, the place it would have.
  int place = step > 0 ? -1 : count;
  for (int i = 0; i < count; ++i) {
    const int order = CompareNatural(names[i], currentName);
    if (step > 0 && order <= 0) place = i;
    if (step < 0 && order >= 0) {
      place = i;
      break;
    }
  }
  bool wrapped = false;
  bool opened = false;
  for (int k = 1; k <= count && !opened; ++k) {
    const int raw = place + (step > 0 ? k : -k);
    const int index = ((raw % count) + count) % count;
    if (raw < 0 || raw >= count) wrapped = true;
    if (std::strcmp(names[index], currentName) == 0) continue;
    const std::string path = folder + names[index];
    opened = doc.OpenEntryFile(path.c_str(), kOpenModelFileStepping);
  }
  DeleteStringArray(count, names);
  if (opened && wrapped && !FirstPaneHasMessage()) {
    ShowMessage(step > 0 ? "Wrapped from last to first file in folder" : "Wrapped from first to last file in folder");
  }
  return true;
}

// What the settled springs make of the model.
enum class Regularity { kRegular, kIrregular, kFoldedFlat };

// The spring model settles once its springs stop pulling, which a model whose faces
// cannot all be regular also does: the faces of the settled model are looked at
// themselves, in a model of their own. Regular faces are worth having only on the same
// polyhedron: a solid that the springs folded flat (a torus's tube pressed into a
// doubled strip) or broke into other parts or another genus is another model, which
// would carry the name of this one.
Regularity JudgeRegularFaces(SimplePoly& simple, const Poly& original) {
  UnitSettings& units = GetUnitSettings();
  const double lengthScale = units.mLengthScale;
  auto check = std::make_unique<Poly>();
  const bool built = TellOutcome(CreatePoly(simple, check.get(), true, false));
  units.mLengthScale = lengthScale;
  if (!built) return Regularity::kIrregular;
  for (const PolyElement* face = check->mFaces.mHead; face; face = face->mNext) {
    if (!face->IsRegular()) return Regularity::kIrregular;
  }
  if (original.mVolume != 0.0 && check->mVolume == 0.0) return Regularity::kFoldedFlat;
  if (check->CountCompoundParts() != original.CountCompoundParts() || check->GetGenus() != original.GetGenus()) {
    return Regularity::kIrregular;
  }
  return Regularity::kRegular;
}

}  // namespace detail_DocCommandsBrowse

void OnPolyhedronList() {
  CPolyDoc* doc = GetDocument();
  if (!doc) return;
  // A result found by its dual's name is that dual.
  bool dual = false;
  if (LibraryEntry* entry = RunPolyhedraDialog(&dual)) doc->SetModel(entry, true, true, dual);
}

void StepPolyhedron(int step) {
  namespace d = detail_DocCommandsBrowse;
  CPolyDoc* doc = GetDocument();
  if (!doc || step == 0) return;
  step = step > 0 ? 1 : -1;
  // Going back plays the transitions backwards.
  std::unique_ptr<ReverseTransitionScope> reverse;
  if (step < 0) reverse = std::make_unique<ReverseTransitionScope>();
  if (d::StepSearchResults(*doc, step)) return;
  if (d::StepFolderFiles(*doc, step)) return;
  const Poly* poly = GetCurrentPoly();
  if (!poly) return;
  int root = 0;
  int latticeType = 0;
  bool fourD = false;
  switch (StepWatermanModel(poly->mName, step, &root, &latticeType, &fourD)) {
    case WatermanStep::Made:
      MakeWatermanModel(latticeType, root, fourD);
      return;
    case WatermanStep::NoMore:
      d::ShowMessage("There are no more Waterman polyhedra in this direction");
      return;
    case WatermanStep::NotWaterman:
      break;
  }
  // A record's dual steps from its record's place.
  LibraryEntry* own = poly->mLibraryEntry ? poly->mLibraryEntry : poly->mLibraryEntryOfDual;
  const LibraryEntry* from = own ? own : poly->mTemplate ? poly->mTemplate->mEntry : nullptr;
  LibraryEntry* entry = StepLibraryModel(own, poly->mTemplate, step);
  // Records that describe no model yet are passed over, so that stepping never sticks
  // in front of them; the pane says which were passed.
  LibraryEntry* firstPassed = nullptr;
  LibraryEntry* lastPassed = nullptr;
  for (int k = 0; entry && !entry->IsAvailable() && k < GetNumLibraryEntries(); ++k) {
    if (!firstPassed) firstPassed = entry;
    lastPassed = entry;
    entry = StepLibraryModel(entry, nullptr, step);
  }
  if (!entry || !entry->IsAvailable()) return;
  const bool wrapped = from && (step > 0 ? entry->GetIndex() <= from->GetIndex() : entry->GetIndex() >= from->GetIndex());
  doc->SetModel(entry, false, false);
  if (wrapped) {
    d::ShowMessage(step > 0 ? "Wrapped from last to first model in the library"
                            : "Wrapped from first to last model in the library");
  }
  auto name = [](const LibraryEntry* e) { return std::string(e->mName ? e->mName : ""); };
  if (firstPassed && firstPassed == lastPassed) {
    d::ShowMessage(firstPassed->GetNotAvailableText());
  } else if (firstPassed) {
    std::string text = "The models \"" + name(firstPassed) + "\" to \"" + name(lastPassed) + "\" are not available yet";
    if (const char* reason = firstPassed->GetUnavailableReason();
        *reason && firstPassed->mCategory == lastPassed->mCategory) {
      text = text + ": " + reason;
    }
    d::ShowMessage(text + ".");
  }
}

void OnTryToMakeFacesRegular() {
  namespace d = detail_DocCommandsBrowse;
  Poly* poly = GetCurrentPoly();
  if (!poly || poly->mFaces.mCount == 0) return;
  // The relaxed springs and the model built from them are one piece of work with one
  // window, which a Cancel anywhere stops.
  ProgressScope progress;
  SpringPolyDesc desc;
  if (!CreateFromPoly(desc, poly)) return;
  desc.mFlags |= kSpringDescFromModel;
  // Work stopped by the user, or ended by an internal error already told, leaves the
  // model and says no more.
  const int stops = GetProgressCancelCount();
  const double error = RelaxSpringModel(desc, d::kRegularRounds);
  if (GetProgressCancelCount() != stops) return;
  const d::Regularity regularity = error < kSpringConvergedForce && desc.mResult
                                       ? d::JudgeRegularFaces(*desc.mResult, *poly)
                                       : d::Regularity::kIrregular;
  if (GetProgressCancelCount() != stops) return;
  if (regularity == d::Regularity::kFoldedFlat) {
    ShowError("Could not make faces regular without folding the model flat.");
    return;
  }
  if (regularity != d::Regularity::kRegular) {
    ShowError("Could not make faces regular.");
    return;
  }
  // The same polyhedron with other coordinates: it keeps its names, comments and link.
  SimplePoly& result = *desc.mResult;
  result.name = poly->mName ? poly->mName : "";
  result.dualName = poly->mDualName ? poly->mDualName : "";
  result.description = poly->mEntryText ? poly->mEntryText : "";
  result.webLink = poly->mWebLink ? poly->mWebLink : "";
  // The springs keep how the faces join, and faces made regular on that frame give the
  // same solid: a library model stays itself.
  LibraryEntry* entry = poly->mLibraryEntry;
  LibraryEntry* entryOfDual = poly->mLibraryEntryOfDual;
  if (!CreatePolyWithUndo(result, d::kUndoMakeFacesRegular, true, false)) return;
  Poly* made = GetCurrentPoly();
  if (made && (entry || entryOfDual) && !made->mLibraryEntry) {
    if (entry) {
      made->mLibraryEntry = entry;
    } else {
      made->SetLibraryEntryOfDual(entryOfDual);
    }
    if (CPolyDoc* doc = GetDocument()) doc->UpdateTitle();
    UpdateAllCaptions();
  }
}

namespace detail_DocCommandsBrowse {

void NeedsModel(CommandUi& ui) { ui.enabled = GetCurrentPoly() != nullptr; }
void NeedsSelection(CommandUi& ui) {
  const Poly* poly = GetCurrentPoly();
  ui.enabled = poly && poly->mSelectedItem;
}

std::vector<DocCommand> MakeTable() {
  return {
      {kCmdPolyhedronList, OnPolyhedronList, NeedsModel},
      {kCmdNextPolyhedron, [] { StepPolyhedron(1); }, NeedsModel},
      {kCmdPreviousPolyhedron, [] { StepPolyhedron(-1); }, NeedsModel},
      {kCmdMakeFacesRegular, OnTryToMakeFacesRegular, NeedsModel},
      {kCmdEditBaseName, OnEditBaseName, NeedsModel},
      {kCmdEditDualName, OnEditDualName, NeedsModel},
      {kCmdEditComments, OnEditComments, NeedsModel},
      {kCmdEditElementText, OnEditElementText, NeedsSelection},
      {kCmdLoadTextListFaces, [] { OnLoadTextList(TextListKind::Faces); }, NeedsModel},
      {kCmdLoadTextListEdges, [] { OnLoadTextList(TextListKind::Edges); }, NeedsModel},
      {kCmdLoadTextListVertices, [] { OnLoadTextList(TextListKind::Vertices); }, NeedsModel},
      {kCmdTextListPersistent, [] { SetTextListPersistent(!IsTextListPersistent()); },
       [](CommandUi& ui) { doc_commands::Mark(ui, IsTextListPersistent()); }},
      {kCmdSaveTextListFaces, [] { OnSaveTextList(TextListKind::Faces); }, NeedsModel},
      {kCmdSaveTextListEdges, [] { OnSaveTextList(TextListKind::Edges); }, NeedsModel},
      {kCmdSaveTextListVertices, [] { OnSaveTextList(TextListKind::Vertices); }, NeedsModel},
      {kCmdRemoveText, OnRemoveText, NeedsSelection},
  };
}

}  // namespace detail_DocCommandsBrowse

const std::vector<DocCommand>& GetBrowseTextCommands() {
  static const std::vector<DocCommand> table = detail_DocCommandsBrowse::MakeTable();
  return table;
}

}  // namespace corvia
