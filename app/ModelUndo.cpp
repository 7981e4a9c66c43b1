#include "app/ModelUndo.h"

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ModelChange.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "core/Messages.h"
#include "core/Units.h"
#include "files/ModelFile.h"
#include "files/ModelFileFormat.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "platform/Services.h"
#include "render/NewView.h"
#include "render/OutcomeBoxes.h"
#include "stellation/StellationCellSet.h"
#include "stellation/StellationCell.h"
#include "symmetry/SymOperations.h"
#include "ui/MainFrame.h"
#include "ui/NewFrame.h"

namespace corvia {

namespace detail_ModelUndo {

// The name a step's model goes by in messages about it.
constexpr const char* kStepName = "Undo step";

class ModelSnapshot final : public UndoState {
 public:
  std::string mData;
  std::optional<ModelFileKeep> mKeep;
  bool mShowDual = false;
  bool mSubSymmetry = false;
  int mRotIndex = 0;
  int mReflIndex = 0;
  StellationCellSet mCells[2];
  uint32_t mStellationOptions = 0;
  // The selected face or vertex: its list (0 faces, 1 vertices; -1 none) and number.
  int mSelectedList = -1;
  int mSelectedIndex = -1;
  bool mSelectedAsVertex = false;
  // What the model was called beside its own names: the file it came from (whose name
  // it goes by when it has none) and the names of its compound's parts.
  std::string mPathName;
  std::vector<CompoundPartName> mPartNames;
  // The record whose dual the model is (also when it was renamed since).
  LibraryEntry* mLibraryEntryOfDual = nullptr;
  // The scale new models take, which Edit > Scale sets with its step.
  double mUserLengthScale = 0.0;
  // Whether its corners came from a file: the copy kept here is read as a file's, but a
  // model that came back must make the models derived from it as it did before.
  bool mFileCorners = false;
  // The document's record the model was taken from (CPolyDoc::NoteWayBack), and the
  // length scale the model was written with.
  uint64_t mRecord = 0;
  double mLengthScale = 0.0;
  // What the file leaves out of the model's geometry and a model built from the file
  // works out again (its planes, poles and frames, to the last bits otherwise), in the
  // file's order (ApplyFrames), the scale of the dual, and a mark of the vertices: kept
  // for the way back of the operation that took the step, and dropped when it ends.
  std::vector<double> mFrames;
  double mDualScale = 1.0;
  uint64_t mVertexMark = 0;

  // Whether the model itself is the same in both: its data, its side shown, its
  // sub-symmetry, its corners' origin, the cells of both stellations and the selection.
  bool SameModel(const ModelSnapshot& other) const {
    const auto sameCells = [](const StellationCellSet& a, const StellationCellSet& b) {
      return a.included == b.included && a.hidden == b.hidden;
    };
    return mData == other.mData && mShowDual == other.mShowDual && mSubSymmetry == other.mSubSymmetry &&
           mRotIndex == other.mRotIndex && mReflIndex == other.mReflIndex && mFileCorners == other.mFileCorners &&
           mLibraryEntryOfDual == other.mLibraryEntryOfDual && sameCells(mCells[0], other.mCells[0]) &&
           sameCells(mCells[1], other.mCells[1]) && mSelectedList == other.mSelectedList &&
           mSelectedIndex == other.mSelectedIndex && mSelectedAsVertex == other.mSelectedAsVertex;
  }

  size_t GetMemorySize() const override {
    size_t size = sizeof(*this) + mData.capacity() + mPathName.capacity() + mFrames.capacity() * sizeof(double);
    for (const CompoundPartName& part : mPartNames)
      size += sizeof(part) + part.mName.capacity() + part.mDualName.capacity();
    for (const StellationCellSet& cells : mCells) size += (cells.included.capacity() + cells.hidden.capacity()) * sizeof(int);
    if (mKeep) {
      for (const ModelFileScene& section : mKeep->scene) size += sizeof(section) + section.data.capacity();
    }
    return size;
  }

  void DropWayBackOnly() noexcept override { std::vector<double>().swap(mFrames); }
  size_t GetWayBackOnlySize() const override { return mFrames.capacity() * sizeof(double); }
};

// The values of each element that a step keeps beside the file (the file gives the
// vertices' dual points, and the centroids follow from the dual points): the frame's
// origin (a face's plane point, a vertex's pole) and axes, and a face's pole.
template <class Visit>
void ForEachFrameValue(PolyElement& e, bool face, Visit visit) {
  for (double* v : {e.mCentre, e.mXAxis, e.mYAxis, e.mZAxis, e.mDualVert}) {
    if (v == e.mDualVert && !face) break;
    for (int i = 0; i < 3; ++i) visit(v[i]);
  }
}

// The elements in the order the model file numbers them: the vertices, then the faces.
template <class Visit>
void ForEachFileElement(Poly& poly, Visit visit) {
  for (PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) visit(*v, false);
  for (PolyElement* f = poly.mFaces.mHead; f; f = f->mNext) visit(*f, true);
}

// Four points of a vertex, five of a face.
size_t CountFrameValues(const Poly& poly) {
  return size_t(poly.mVertices.mCount) * 12 + size_t(poly.mFaces.mCount) * 15;
}

// A mark of the vertices' dual points in their order.
uint64_t MarkOfVertices(const Poly& poly) {
  uint64_t mark = 14695981039346656037ull;
  for (const PolyElement* v = poly.mVertices.mHead; v; v = v->mNext) {
    unsigned char bytes[sizeof v->mDualVert];
    std::memcpy(bytes, v->mDualVert, sizeof bytes);
    for (const unsigned char byte : bytes) mark = (mark ^ byte) * 1099511628211ull;
  }
  return mark;
}

void CaptureFrames(Poly& poly, ModelSnapshot& state) {
  state.mFrames.reserve(CountFrameValues(poly));
  ForEachFileElement(poly, [&](PolyElement& e, bool face) {
    ForEachFrameValue(e, face, [&](double x) { state.mFrames.push_back(x); });
  });
  state.mDualScale = poly.mDualScale;
  state.mVertexMark = MarkOfVertices(poly);
}

// A model made again from the step takes the geometry it was taken with, so that what
// is derived from it (its dual, a convex core) comes out as before. A model whose
// vertices are not those of the step, one for one in their order, keeps its own.
void ApplyFrames(Poly& poly, const ModelSnapshot& state) {
  if (state.mFrames.size() != CountFrameValues(poly) || MarkOfVertices(poly) != state.mVertexMark) return;
  const double* next = state.mFrames.data();
  ForEachFileElement(poly, [&](PolyElement& e, bool face) {
    ForEachFrameValue(e, face, [&](double& x) { x = *next++; });
  });
  ForEachFileElement(poly, [](PolyElement& e, bool) { e.ComputeCentre(); });
  poly.mDualScale = state.mDualScale;
  // Measured again from the poles when asked for.
  poly.mRadius = -1.0;
}

FaceTypeBlock* BlockOf(Poly& poly, bool dual) { return dual ? poly.mDualBlock.get() : poly.mBaseBlock.get(); }

// The cells of a side put back; the set-up tells what it met. Cells the block lacks
// fail the step without a word of their own: the undo list says the step could not be
// put back.
bool RestoreCells(Poly& poly, FaceTypeBlock* block, const StellationCellSet& set) {
  const Outcome restored = RestoreStellationCells(poly, block, set);
  TellOutcome(restored.kind() == Outcome::Kind::kFailed ? restored.WarningsOnly() : restored);
  return restored.done();
}

// What the model kept of the file it came from, and its compound's parts' names.
void ApplyFileNames(Poly& poly, const ModelSnapshot& state) {
  if (state.mKeep) {
    poly.mFileKeep = MakePart<ModelFileKeep>(*state.mKeep);
  } else {
    poly.mFileKeep.reset();
  }
  poly.mPartNames = state.mPartNames;
}

// What the step keeps beside the model comes back: the scale new models take, the file
// path and the stellation options; the title, the captions and the panes follow.
void ApplySurroundings(const ModelSnapshot& state) {
  GetUnitSettings().mUserLengthScale = state.mUserLengthScale;
  if (CPolyDoc* document = GetDocument()) document->SetPathName(state.mPathName.c_str(), false);
  // The cells are exact already: the option alone comes back.
  StellationOptions = state.mStellationOptions;
  // The model's library identity came back with it after the model was made: the title,
  // the toolbar's model box and the captions follow it now.
  if (CPolyDoc* doc = GetDocument()) {
    doc->UpdateTitle();
  } else if (auto* frame = dynamic_cast<CMainFrame*>(GetMainFrame())) {
    frame->FillSymmetryCombos();
  }
  UpdateAllCaptions();
  // Words in a pane answered an action the step has taken back (which stellation was
  // reached, say): they go from every pane, even one whose refit asked to keep them.
  ClearAllViewMessages();
  platform::Services().views->RedrawAllViews(true);
}

bool Apply(const ModelSnapshot& state) {
  // The list says that the step could not be put back.
  CPolyDoc* document = GetDocument();
  const ModelEntry enter = document ? EnterModelWithUndo(*document, -1, true) : ModelEntry();
  if (!RestoreModelFromMemory(state.mData, kStepName, nullptr, enter)) return false;
  Poly* poly = GetCurrentPoly();
  if (!poly) return false;
  ApplyFrames(*poly, state);
  if (!state.mFileCorners) poly->mPolyFlags &= ~kPolyFlagFileCorners;
  ApplyFileNames(*poly, state);
  if (state.mLibraryEntryOfDual && !poly->mLibraryEntry) poly->SetLibraryEntryOfDual(state.mLibraryEntryOfDual);
  if (state.mSubSymmetry) {
    // The colours are the step's own: the subgroup must not give new ones.
    const bool recolour = RecolourOnSubSymmetry;
    RecolourOnSubSymmetry = false;
    Outcome warned;
    const bool applied = poly->ApplySubSymmetry(state.mRotIndex, state.mReflIndex, &warned);
    RecolourOnSubSymmetry = recolour;
    TellOutcome(warned);
    ShowSelectionChangeOf(poly);
    if (!applied) return false;
  }
  if (poly->mShowDual != (state.mShowDual ? 1 : 0)) {
    poly->SetShowDual(state.mShowDual);
    ShowSelectionChangeOf(poly);
  }
  if (!RestoreCells(*poly, poly->mBaseBlock.get(), state.mCells[0])) return false;
  if (!RestoreCells(*poly, poly->mDualBlock.get(), state.mCells[1])) return false;
  if (state.mSelectedList >= 0) {
    PolyElement* e = state.mSelectedList == 0 ? poly->GetFace(state.mSelectedIndex) : poly->GetVertex(state.mSelectedIndex);
    if (e) {
      poly->SelectFace(e, state.mSelectedAsVertex);
      ShowSelectionChangeOf(poly);
    }
  }
  ApplySurroundings(state);
  return true;
}

}  // namespace detail_ModelUndo

std::unique_ptr<UndoState> DocumentUndoModel::Capture(bool tell) {
  namespace d = detail_ModelUndo;
  Poly* poly = GetCurrentPoly();
  // A document with no model yet has nothing to go back to.
  if (!poly || poly->mFaces.mCount == 0) return nullptr;
  auto state = std::make_unique<d::ModelSnapshot>();
  if (!WriteModelToMemory(*poly, state->mData)) {
    if (tell) ShowError("The model could not be kept in memory, so this change cannot be undone.");
    return nullptr;
  }
  d::CaptureFrames(*poly, *state);
  if (poly->mFileKeep) state->mKeep = *poly->mFileKeep;
  if (CPolyDoc* document = GetDocument()) {
    state->mPathName = document->GetPathName();
    state->mRecord = document->NoteWayBack();
  }
  state->mLengthScale = GetUnitSettings().mLengthScale;
  state->mPartNames = poly->mPartNames;
  state->mLibraryEntryOfDual = poly->mLibraryEntryOfDual;
  state->mUserLengthScale = GetUnitSettings().mUserLengthScale;
  state->mFileCorners = (poly->mPolyFlags & kPolyFlagFileCorners) != 0;
  state->mShowDual = poly->mShowDual != 0;
  state->mSubSymmetry = poly->mFullSymGroup != nullptr && poly->mSymGroup != poly->mFullSymGroup;
  state->mRotIndex = poly->mSubSymRotIndex;
  state->mReflIndex = poly->mSubSymReflIndex;
  state->mCells[0] = CaptureStellationCells(poly->mBaseBlock.get());
  state->mCells[1] = CaptureStellationCells(poly->mDualBlock.get());
  state->mStellationOptions = StellationOptions;
  if (PolyElement* e = poly->mSelectedElement) {
    if (poly->GetFace(e->mIndex) == e) state->mSelectedList = 0;
    if (poly->GetVertex(e->mIndex) == e) state->mSelectedList = 1;
    state->mSelectedIndex = e->mIndex;
    state->mSelectedAsVertex = poly->IsSelectionVertex();
  }
  return state;
}

bool DocumentUndoModel::Restore(const UndoState& state, const UndoState& current) {
  namespace d = detail_ModelUndo;
  const auto* target = dynamic_cast<const d::ModelSnapshot*>(&state);
  const auto* back = dynamic_cast<const d::ModelSnapshot*>(&current);
  if (!target || !back) return false;
  // A model fading in or out is finished first: the step replaces the current one.
  if (CPolyDoc* doc = GetDocument()) doc->EndAllTransitions();
  if (d::Apply(*target)) return true;
  d::Apply(*back);
  return false;
}

bool DocumentUndoModel::PutBack(const UndoState& state) {
  namespace d = detail_ModelUndo;
  const auto* target = dynamic_cast<const d::ModelSnapshot*>(&state);
  CPolyDoc* doc = GetDocument();
  if (!target || !doc) return Restore(state, state);
  doc->EndAllTransitions();
  // The model the step was taken from, replaced and kept since, comes back itself: a
  // model made again from the step would differ from it in the last bits of its planes.
  // It must be as the step keeps it (not changed in place before it was replaced), with
  // the scale it was written at. The model current at the failure may be half-made: it
  // is made again.
  if (target->mRecord != 0 && doc->PutBackRecord(target->mRecord)) {
    GetUnitSettings().SetLengthScale(target->mLengthScale, false);
    const std::unique_ptr<UndoState> now = Capture(false);
    const auto* shown = dynamic_cast<const d::ModelSnapshot*>(now.get());
    if (shown && shown->SameModel(*target)) {
      d::ApplyFileNames(*GetCurrentPoly(), *target);
      d::ApplySurroundings(*target);
      return true;
    }
  }
  return Restore(state, state);
}

void DocumentUndoModel::KeepReplacedModels(bool keep) noexcept {
  if (CPolyDoc* doc = GetDocument()) doc->KeepReplacedRecords(keep);
}

bool DocumentUndoModel::SetCells(bool dual, const std::vector<UndoCellChange>& changes, bool undo) {
  namespace d = detail_ModelUndo;
  Poly* poly = GetCurrentPoly();
  FaceTypeBlock* block = poly ? d::BlockOf(*poly, dual) : nullptr;
  if (!block || !block->IsStellated()) return false;
  for (const UndoCellChange& change : changes) {
    if (!block->FindCellByIndex(change.cell)) return false;
  }
  ExactStellationCells exact;
  if (undo) {
    for (auto it = changes.rbegin(); it != changes.rend(); ++it)
      StellationCell::SetIncluded(block->FindCellByIndex(it->cell), !it->included);
  } else {
    for (const UndoCellChange& change : changes)
      StellationCell::SetIncluded(block->FindCellByIndex(change.cell), change.included);
  }
  ClearAllViewMessages();
  platform::Services().views->RedrawAllViews(true);
  return true;
}

UndoList& GetUndoList() {
  static DocumentUndoModel model;
  static UndoList list(model);
  return list;
}

}  // namespace corvia
