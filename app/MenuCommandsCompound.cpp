// The Poly menu's models made from the shown one: its convex hull and convex core, its
// zonohedron, a Waterman polyhedron, the compounds with its mirror image and with its
// dual, and the nine model memories (store, retrieve, swap, add and blend).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ModelChange.h"
#include "app/DocCommands.h"
#include "app/PolyDoc.h"
#include "app/ViewType.h"
#include "construction/DerivedNames.h"
#include "construction/ModelFactory.h"
#include "construction/Variations.h"
#include "core/Geometry.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/TableDialog.h"
#include "dialogs/ModelDialogs.h"
#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/Subdivision.h"
#include "render/OutcomeBoxes.h"
#include "symmetry/BlendFaces.h"
#include "symmetry/CoincidentFaces.h"
#include "symmetry/ConvexHull.h"
#include "symmetry/SimplePoly.h"
#include "ui/CommandIds.h"

namespace corvia {

namespace detail_MenuCommandsCompound {

// Undo steps of the commands, by the names the undo list gives them.
constexpr int kUndoRetrieveMemory = 5;
constexpr int kUndoAddFromMemory = 6;
constexpr int kUndoAddBaseAndDual = 7;
constexpr int kUndoAddMirrorImage = 8;
constexpr int kUndoConvexHull = 11;
constexpr int kUndoConvexCore = 12;
constexpr int kUndoZonohedrify = 17;

// The memory chosen last, where the next choice starts.
int gLastSlot = 0;

// The model the active pane shows, as a plain copy with its names; null after a
// message.
std::unique_ptr<SimplePoly> ShownModel() {
  Poly* poly = doc_commands::CurrentPoly();
  Outcome why;
  std::unique_ptr<SimplePoly> shown(poly ? CreateModel(poly, 0, nullptr, nullptr, CPolyDoc::GetPaneViewType(nullptr), &why) : nullptr);
  TellOutcome(why);
  return shown;
}

// The model a memory slot of the document holds; null when empty or without a document.
const SimplePoly* MemoryModel(int slot) {
  const CPolyDoc* document = GetDocument();
  return document ? document->GetMemoryModel(slot) : nullptr;
}

bool AnyMemoryFilled() {
  for (int slot = 0; slot < kNumMemorySlots; ++slot)
    if (MemoryModel(slot)) return true;
  return false;
}

void EnableWithModel(CommandUi& ui) { ui.enabled = doc_commands::CurrentPoly() != nullptr; }
void EnableWithMemory(CommandUi& ui) { ui.enabled = doc_commands::CurrentPoly() && AnyMemoryFilled(); }

// Asks which memory to use, listing what each holds; -1 on Cancel, and for a command
// that takes a model out, -1 after a message when the memory chosen is empty.
int ChooseMemory(const char* title, bool needModel) {
  std::vector<std::string> rows;
  for (int slot = 0; slot < kNumMemorySlots; ++slot) {
    char text[kMemoryDescriptionSize];
    GetMemoryDescription(slot, MemoryModel(slot), text, sizeof text);
    rows.emplace_back(text);
  }
  CTableDialog table(title, 1, kNumMemorySlots, {"Memory"}, rows, std::vector<uint32_t>(kNumMemorySlots, 0),
                     gLastSlot, -1);
  const int slot = table.DoModal();
  if (slot < 0 || slot >= kNumMemorySlots) return -1;
  if (needModel && !MemoryModel(slot)) {
    ShowError("Memory %d is empty.\nStore a model in it first.", slot + 1);
    return -1;
  }
  gLastSlot = slot;
  return slot;
}

// A name, or the one every unnamed model has.
std::string NameOf(const std::string& name) { return name.empty() ? std::string("Polyhedron") : name; }

// A compound is named by its parts, and its dual by theirs.
void NameCompound(SimplePoly& both, const SimplePoly& first, const SimplePoly& second) {
  both.name = "Compound of " + NameOf(first.name) + " and " + NameOf(second.name);
  both.dualName.clear();
  if (!first.dualName.empty() && !second.dualName.empty())
    both.dualName = "Compound of " + first.dualName + " and " + second.dualName;
}

// The glued compound made current as one undo step; the coincident faces of its parts
// go in pairs when the user agrees, and Cancel in that question abandons it. The
// compound keeps the names its parts had, for a part that is left on its own later.
void MakeCompound(std::unique_ptr<SimplePoly> both, int undoType, std::vector<CompoundPartName> partNames) {
  if (!RemoveCoincidentFaces(*both, kCoincidentInPairs, true, kSimpleTemp)) return;
  if (!CreatePolyWithUndo(*both, undoType, true, true)) return;
  if (Poly* made = doc_commands::CurrentPoly()) made->mPartNames = std::move(partNames);
}

// ---- Hull, core, zones and Waterman -----------------------------------------------------

void MakeConvexHullOfModel() {
  Poly* poly = doc_commands::CurrentPoly();
  if (!poly) return;
  // What it is made from and the model built from it are one piece of work with one
  // window, which a Cancel anywhere stops.
  ProgressScope progress;
  Outcome why;
  std::unique_ptr<SimplePoly> hull = CreateConvexHullOfModel(poly, CPolyDoc::GetPaneViewType(nullptr), &why);
  if (!TellOutcome(why) || !hull) return;
  CreateDerivedPolyWithUndo(*hull, kUndoConvexHull, false, true);
}

// The dual of the hull of the other side's vertices, both reciprocated about the
// model's own sphere: what lies inside every face plane of the shown side.
void CreateConvexCore() {
  Poly* poly = doc_commands::CurrentPoly();
  if (!poly) return;
  // What it is made from and the model built from it are one piece of work with one
  // window, which a Cancel anywhere stops.
  ProgressScope progress;
  const uint32_t viewType = CPolyDoc::GetPaneViewType(nullptr);
  const bool dualShown = viewType == kViewDualPolyhedron || (viewType != kViewBasePolyhedron && poly->mShowDual);
  Outcome why;
  std::unique_ptr<SimplePoly> other(
      CreateModel(poly, dualShown ? kDeriveBase : kDeriveDual, nullptr, nullptr, 0, &why));
  if (!TellOutcome(why) || !other) return;
  std::string refusal;
  std::unique_ptr<SimplePoly> hull = CreateConvexHull(*other, 0, &refusal);
  if (!hull) {
    if (!refusal.empty()) ShowError("Unable to create the convex core: %s", refusal.c_str());
    return;
  }
  std::unique_ptr<SimplePoly> core = hull->CreateDual(poly->mDualScale);
  if (!core) return;
  // The other side's copy carries the shown side's name as its dual name.
  core->SetName(NameOf(other->dualName).c_str(), "Convex core of ", true);
  core->SetDualName(NameOf(other->name).c_str(), "Convex hull of ", true);
  CreateDerivedPolyWithUndo(*core, kUndoConvexCore, false, false);
}

void Zonohedrify() {
  CZonohedrifyDialog dialog;
  if (!doc_commands::CurrentPoly() || !dialog.DoModal()) return;
  // The model is looked up after the dialog, not held across it.
  Poly* poly = doc_commands::CurrentPoly();
  if (!poly) return;
  // The zones, the zonohedron and its model are one piece of work for the progress
  // window, which a cancel anywhere stops.
  ProgressScope progress;
  ZonohedrifyOptions options;
  options.mMaxZones = dialog.mMaxZones;
  options.mEdgeScale = dialog.mEdgeScale;
  TolerantPointList zones(kPointTolerance);
  Outcome outcome;
  if (poly->CollectZoneVectors(zones, options, &outcome) < 0) {
    TellOutcome(outcome);
    return;
  }
  std::unique_ptr<SimplePoly> made = CreateZonohedron(poly, zones, &outcome);
  TellOutcome(outcome);
  if (made) CreateDerivedPolyWithUndo(*made, kUndoZonohedrify, false, true);
}

void CreateWaterman() {
  CWatermanDialog dialog;
  if (dialog.DoModal()) MakeWatermanModel(dialog.mLatticeType, dialog.mRoot, false);
}

// ---- Compounds ------------------------------------------------------------------------------

void AddMirrorImage() {
  Poly* poly = doc_commands::CurrentPoly();
  std::unique_ptr<SimplePoly> shown = ShownModel();
  if (!shown) return;
  std::unique_ptr<SimplePoly> mirror = shown->CopyWithNames();
  mirror->Reflect(poly->mSymGroup);
  if (IsOwnMirrorImage(*shown, *mirror)) {
    ShowInformation("%s, so there is no compound to make.", kOwnMirrorImageText);
    return;
  }
  std::unique_ptr<SimplePoly> both = shown->Combine(*mirror);
  both->SetName(shown->name.c_str(), "Compound of mirror images of ");
  MakeCompound(std::move(both), kUndoAddMirrorImage, {NameAsCompoundPart(*shown), NameAsCompoundPart(*mirror)});
}

void AddBaseAndDual() {
  Poly* poly = doc_commands::CurrentPoly();
  if (!poly) return;
  std::vector<CompoundPartName> partNames;
  std::unique_ptr<SimplePoly> both(MakeCompoundWithDual(*poly, 0, nullptr, &partNames));
  if (both) MakeCompound(std::move(both), kUndoAddBaseAndDual, std::move(partNames));
}

// ---- Memories -------------------------------------------------------------------------------

void StoreInMemory() {
  std::unique_ptr<SimplePoly> shown = ShownModel();
  if (!shown) return;
  const int slot = ChooseMemory("Store in Memory", false);
  if (slot >= 0) GetDocument()->ExchangeMemory(slot, std::move(shown));
}

void RetrieveFromMemory() {
  const int slot = ChooseMemory("Retrieve from Memory", true);
  if (slot < 0) return;
  // The build turns its model to the standard orientation: the memory keeps its own.
  std::unique_ptr<SimplePoly> copy = MemoryModel(slot)->CopyWithNames();
  CreateDerivedPolyWithUndo(*copy, kUndoRetrieveMemory, true, true);
}

void SwapWithMemory() {
  std::unique_ptr<SimplePoly> shown = ShownModel();
  if (!shown) return;
  const int slot = ChooseMemory("Swap with Memory", true);
  if (slot < 0) return;
  std::unique_ptr<SimplePoly> copy = MemoryModel(slot)->CopyWithNames();
  // The memory takes the shown model only when the one it held became current.
  if (CreateDerivedPolyWithUndo(*copy, kUndoRetrieveMemory, true, true))
    GetDocument()->ExchangeMemory(slot, std::move(shown));
}

// The shown model and the memory's in one model. Added, they are a compound of the two,
// whose coincident faces go in pairs when the user agrees. Blended, they become one
// surface where they meet, without questions: faces where the two touch back to back
// go, a face that both have alike is kept once, and coplanar faces that meet along an
// edge become one; a model blended with itself is itself.
void CombineWithMemory(const char* title, bool blend) {
  std::unique_ptr<SimplePoly> shown = ShownModel();
  if (!shown) return;
  const int slot = ChooseMemory(title, true);
  if (slot < 0) return;
  const SimplePoly* memory = MemoryModel(slot);
  std::unique_ptr<SimplePoly> both = shown->Combine(*memory);
  NameCompound(*both, *shown, *memory);
  if (!blend) {
    MakeCompound(std::move(both), kUndoAddFromMemory, {NameAsCompoundPart(*shown), NameAsCompoundPart(*memory)});
    return;
  }
  RemoveCoincidentFaces(*both, kCoincidentByFacing, false, kSimpleTemp);
  BlendCoplanarFaces(*both, kBlendMergeVerts);
  CreateDerivedPolyWithUndo(*both, kUndoAddFromMemory, true, true);
}

// The model less the compound part that holds the current face of the side it shows.
void DeleteOnePartOfCompound() {
  Poly* poly = doc_commands::CurrentPoly();
  CompoundPart* part = poly ? poly->FindPartOf(poly->GetCurrentFace()) : nullptr;
  if (!part) return;
  Outcome why;
  std::unique_ptr<SimplePoly> rest(CreateSimplePoly(poly, poly->mShowDual ? kDeriveDual : kDeriveBase, part, nullptr, &why));
  if (!TellOutcome(why) || !rest) return;
  // A part left on its own goes by the names it had before it joined the compound.
  if (const std::optional<CompoundPartName> own = FindCompoundPartName(poly->mPartNames, *rest, poly->mShowDual != 0)) {
    rest->name = own->mName;
    rest->dualName = own->mDualName;
    CreateDerivedPolyWithUndo(*rest, kUndoModelChange, true, true, true);
    return;
  }
  // A rest that is a model of the library takes that model's names instead.
  if (!rest->name.empty()) rest->name += " less one part";
  if (!rest->dualName.empty()) rest->dualName += " less one part";
  CreateDerivedPolyWithUndo(*rest, kUndoModelChange, true, true);
}

// A model of one part has no part to take away: the command waits for a compound, as
// the other commands on one part of a compound do.
void EnableWithPartToDelete(CommandUi& ui) {
  Poly* poly = doc_commands::CurrentPoly();
  ui.enabled = poly && poly->GetCurrentFace() && poly->IsCompound();
}

void AddFromMemory() { CombineWithMemory("Add from Memory", false); }
void BlendWithMemory() { CombineWithMemory("Blend with Memory", true); }

std::vector<DocCommand> MakeCommands() {
  return {
      {kCmdCreateConvexHull, MakeConvexHullOfModel, EnableWithModel},
      {kCmdCreateConvexCore, CreateConvexCore, EnableWithModel},
      {kCmdZonohedrify, Zonohedrify, EnableWithModel},
      {kCmdCreateWaterman, CreateWaterman, nullptr},
      {kCmdAddMirrorImage, AddMirrorImage, EnableWithModel},
      {kCmdAddBaseAndDual, AddBaseAndDual, EnableWithModel},
      {kCmdStoreInMemory, StoreInMemory, EnableWithModel},
      {kCmdRetrieveFromMemory, RetrieveFromMemory, EnableWithMemory},
      {kCmdSwapWithMemory, SwapWithMemory, EnableWithMemory},
      {kCmdAddFromMemory, AddFromMemory, EnableWithMemory},
      {kCmdBlendWithMemory, BlendWithMemory, EnableWithMemory},
      {kCmdDeleteOnePartOfCompound, DeleteOnePartOfCompound, EnableWithPartToDelete},
  };
}

}  // namespace detail_MenuCommandsCompound

const std::vector<DocCommand>& GetCompoundMenuCommands() {
  static const std::vector<DocCommand> commands = detail_MenuCommandsCompound::MakeCommands();
  return commands;
}

}  // namespace corvia
