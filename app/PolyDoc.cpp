// The document: its model records, making a built-in model current, the transitions
// between models, the title and the file path.

#include "app/PolyDoc.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "app/DocCommandsBrowseText.h"
#include "app/ModelChange.h"
#include "app/PolyView.h"
#include "construction/ModelFactory.h"
#include "app/RecentFiles.h"
#include "app/UndoList.h"
#include "core/Messages.h"
#include "core/OperationGuard.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "core/TimeFormat.h"
#include "core/Units.h"
#include "core/VectorMath.h"
#include "dialogs/SphereCylinderDialog.h"
#include "files/ModelFile.h"
#include "model/ColorSchemes.h"
#include "model/CreatePoly.h"
#include "model/Edge.h"
#include "model/LibraryEntry.h"
#include "model/ModelBusy.h"
#include "model/Poly.h"
#include "model/PolyElement.h"
#include "model/PolyTemplate.h"
#include "model/Transitions.h"
#include "render/OutcomeBoxes.h"
#include "symmetry/SymOperations.h"
#include "platform/Services.h"
#include "render/LightSets.h"
#include "render/ModelDrawSettings.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "symmetry/SimplePoly.h"
#include "symmetry/SymGroup.h"
#include "ui/InfoBar.h"
#include "ui/MainFrame.h"
#include "ui/Tour.h"

namespace corvia {

namespace detail_PolyDoc {

CPolyDoc* gDocument = nullptr;
bool gTransitionsEnabled = true;

// What the colour commands need of the document: the active pane's view type (colouring
// as a compound colours the facelets where a pane shows them), and the notes after a
// colour change that the user would not see.
class DocumentColorHooks final : public ColorDocumentHooks {
 public:
  unsigned ActiveViewType() override {
    const CPolyView* pane = CPolyView::GetActive();
    return pane ? static_cast<unsigned>(pane->GetViewType()) : 0;
  }
  void WarnRainbowColorMode() override {
    ColorDocumentHooks::WarnRainbowColorMode();
    if (GetRainbowFlags() & kRainbowColors) {
      platform::Services().views->SetPaneMessage(
          "Rainbow Color Mode hides the colors chosen.");
    }
  }
  void WarnEdgeColorAsCylinders() override {
    ColorDocumentHooks::WarnEdgeColorAsCylinders();
    if (!GetModelDrawSettings().showEdges && !UsingEdgeCylinders()) {
      platform::Services().views->SetPaneMessage("Edge colors show when edges are drawn.");
    }
  }
};
DocumentColorHooks gColorHooks;
int gReverseNesting = 0;
std::function<void(const std::string&)> gTitleListener;

// A transition shorter than this does not run.
constexpr double kShortestTransition = 0.01;
// The file modes of a model file named by a library entry.
constexpr int kOpenPlain = 0;
constexpr int kOpenNotFromList = 2;
constexpr int kOpenFromListKeepTransition = 8;
constexpr int kOpenKeepTransition = 10;
// A random transition is one of the types from Sideways to Explode & Implode.
constexpr int kFirstRandomType = kTransitionSideways;
constexpr int kNumRandomTypes = kTransitionExplodeAndImplode - kTransitionSideways + 1;

TemplateHolder::TemplateHolder() : mTemplate(std::make_unique<PolyTemplate>()) {}
TemplateHolder::~TemplateHolder() = default;

// The first six panes of the list of views: the panes whose state a model record keeps.
template <typename Fn>
void ForRecordedPanes(Fn fn) {
  int i = 0;
  for (NewView* v = NewView::GetFirstView(); v && i < kNumModelViewRecords; v = v->GetNext(), ++i) {
    if (CPolyView* pane = CPolyView::AsPolyView(v)) fn(i, pane);
  }
}

// Turns a transition round for the reverse-transition scope.
void Reverse(TransitionSettings& s) {
  switch (s.mType) {
    case kTransitionSideways:
      s.mParams[kParamSlideAngle] += 180.0;
      s.mParams[kParamSlideSpin] = -s.mParams[kParamSlideSpin];
      break;
    case kTransitionOrbit:
      s.mParams[kParamOrbitAngle] = -s.mParams[kParamOrbitAngle];
      s.mParams[kParamOrbitSpeed] = -s.mParams[kParamOrbitSpeed];
      break;
    case kTransitionExplodeAndGrow:
    case kTransitionShrinkAndImplode:
      s.mType = s.mType == kTransitionExplodeAndGrow ? kTransitionShrinkAndImplode : kTransitionExplodeAndGrow;
      s.mParams[kParamExplodeSpin] = -s.mParams[kParamExplodeSpin];
      break;
    case kTransitionExplodeAndImplode:
      s.mParams[kParamExplodeSpin] = -s.mParams[kParamExplodeSpin];
      break;
    default:
      break;
  }
}

// The colours of the first face of a side, to give a new model the same.
struct SideColours {
  bool known = false;
  float front[3] = {0, 0, 0};
  float back[3] = {0, 0, 0};
};

SideColours FirstColours(const ElementList& list) {
  SideColours c;
  if (const PolyElement* first = list.mHead) {
    c.known = true;
    std::copy(first->mColor, first->mColor + 3, c.front);
    std::copy(first->mBackColor, first->mBackColor + 3, c.back);
  }
  return c;
}

bool GiveColours(ElementList& list, const SideColours& c, bool backAsFront) {
  if (!c.known) return false;
  for (PolyElement* e = list.mHead; e; e = e->mNext) {
    std::copy(c.front, c.front + 3, e->mColor);
    const float* back = backAsFront ? c.front : c.back;
    std::copy(back, back + 3, e->mBackColor);
  }
  return true;
}

}  // namespace detail_PolyDoc

// ---- Records --------------------------------------------------------------------------------

DocRecord::DocRecord(ListNode*& head, ListNode*& tail, uint64_t serial) : ModelRecord(head, tail), mSerial(serial) {}

DocRecord::~DocRecord() { FreeSavedMouseThrows(mSavedThrows); }

void DocRecord::SetSavedThrows(SavedMouseThrow* list) {
  if (list == mSavedThrows) return;
  FreeSavedMouseThrows(mSavedThrows);
  mSavedThrows = list;
}

void DocRecord::SaveGeometry() {
  mValues[0] = mPoly.mTransitionBase;
  mValues[1] = mPoly.mTransitionCurrent;
  mValues[2] = mPoly.mTransitionTarget;
  mValues[3] = mPoly.mDisplayScale;
}

void DocRecord::RestoreGeometry() {
  mPoly.mTransitionBase = mValues[0];
  mPoly.mTransitionCurrent = mValues[1];
  mPoly.mTransitionTarget = mValues[2];
  mPoly.mDisplayScale = mValues[3];
}

// ---- The document ----------------------------------------------------------------------------

CPolyDoc* GetDocument() { return detail_PolyDoc::gDocument; }

void SetDocumentTitleListener(std::function<void(const std::string&)> listener) {
  detail_PolyDoc::gTitleListener = std::move(listener);
}

bool AreTransitionsEnabled() { return detail_PolyDoc::gTransitionsEnabled; }
void SetTransitionsEnabled(bool on) { detail_PolyDoc::gTransitionsEnabled = on; }

ReverseTransitionScope::ReverseTransitionScope() { ++detail_PolyDoc::gReverseNesting; }
ReverseTransitionScope::~ReverseTransitionScope() { --detail_PolyDoc::gReverseNesting; }

CPolyDoc::CPolyDoc() : mMemories(kNumMemorySlots) {
  detail_PolyDoc::gDocument = this;
  InstallDocumentAccess(this);
  InstallColorDocumentHooks(&detail_PolyDoc::gColorHooks);
  mPendingTransition = TransitionSettings();
  MakeNewRecordCurrent(kRecordConstruct);
}

CPolyDoc::~CPolyDoc() {
  while (mFirstRecord) delete mFirstRecord;
  while (mFirstKept) delete mFirstKept;
  mCurrentRecord = nullptr;
  mPoly = nullptr;
  if (&GetDocumentAccess() == this) InstallDocumentAccess(nullptr);
  if (&GetColorDocumentHooks() == &detail_PolyDoc::gColorHooks) InstallColorDocumentHooks(nullptr);
  if (detail_PolyDoc::gDocument == this) detail_PolyDoc::gDocument = nullptr;
}

DocRecord* CPolyDoc::NewRecord() { return new DocRecord(mFirstRecord, mLastRecord, ++mRecordSerials); }

void CPolyDoc::MakeNewRecordCurrent(int mode) {
  DocRecord* record = NewRecord();
  try {
    MakeCurrentRecord(record, mode);
  } catch (...) {
    // Left in the list, it would stay there, a record of no model beside the shown one.
    if (mCurrentRecord != record) delete record;
    throw;
  }
}

void CPolyDoc::DropRecord(DocRecord* record) noexcept {
  if (mKeepReplaced && record && record->mWayBack) {
    record->MoveToList(mFirstKept, mLastKept);
    return;
  }
  delete record;
}

// ---- The way back of an operation ------------------------------------------------------------

void CPolyDoc::KeepReplacedRecords(bool keep) noexcept {
  mKeepReplaced = keep;
  if (keep) return;
  while (mFirstKept) delete mFirstKept;
  for (DocRecord* r = GetFirstRecord(); r; r = r->Next()) r->mWayBack = false;
}

uint64_t CPolyDoc::NoteWayBack() {
  if (mKeepReplaced) mCurrentRecord->mWayBack = true;
  return mCurrentRecord->GetSerial();
}

bool CPolyDoc::PutBackRecord(uint64_t serial) {
  DocRecord* found = nullptr;
  for (DocRecord* r = GetFirstRecord(); r && !found; r = r->Next()) {
    if (r->GetSerial() == serial) found = r;
  }
  for (ListNode* r = mFirstKept; r && !found; r = r->mNext) {
    if (static_cast<DocRecord*>(r)->GetSerial() == serial) {
      found = static_cast<DocRecord*>(r);
      found->MoveToList(mFirstRecord, mLastRecord);
    }
  }
  if (!found || found == mCurrentRecord) return false;
  Poly& poly = found->mPoly;
  if (found->mFadingOut) {
    found->RestoreGeometry();
    found->mFadingOut = false;
  }
  poly.mTransitionEnd = -1.0;
  poly.mTransitionDirection = 0;
  poly.mTransitionProgress = 1.0;
  SwitchToModel(found);
  return true;
}

// ---- Model memories --------------------------------------------------------------------------

const SimplePoly* CPolyDoc::GetMemoryModel(int slot) const {
  return slot >= 0 && slot < static_cast<int>(mMemories.size()) ? mMemories[static_cast<size_t>(slot)].get() : nullptr;
}

std::vector<const SimplePoly*> CPolyDoc::GetMemoryModels() const {
  std::vector<const SimplePoly*> models;
  for (const std::unique_ptr<SimplePoly>& memory : mMemories) models.push_back(memory.get());
  return models;
}

std::unique_ptr<SimplePoly> CPolyDoc::ExchangeMemory(int slot, std::unique_ptr<SimplePoly> model) {
  if (slot < 0 || slot >= static_cast<int>(mMemories.size())) return model;
  mMemories[static_cast<size_t>(slot)].swap(model);
  return model;
}

int CPolyDoc::CountRecords() const {
  int n = 0;
  for (ListNode* r = mFirstRecord; r; r = r->mNext) ++n;
  return n;
}

void CPolyDoc::MakeCurrentRecord(DocRecord* record, int mode) {
  using detail_PolyDoc::ForRecordedPanes;
  if (!record) return;
  const bool drawing = mode == kRecordDraw;
  // Drawing switches records on every paint: the throws are left alone then (the
  // pane's drawing steps them), so that a drag in progress keeps its history.
  std::unique_ptr<MouseThrowState> throws;
  if (!drawing) throws = std::make_unique<MouseThrowState>();
  // The record that goes keeps the panes as they are (also at the start of a
  // transition, so that it is drawn with them while it fades and comes back as it
  // was when the new model cannot be built).
  if (mCurrentRecord && mode != kRecordConstruct) {
    DocRecord* outgoing = mCurrentRecord;
    ForRecordedPanes([outgoing](int i, CPolyView* pane) {
      pane->Camera().GetCamera(outgoing->mCameras[i]);
      outgoing->mViews[i].mFirst = static_cast<int32_t>(pane->GetViewType());
      outgoing->mViews[i].mLast = pane->GetExplosion();
    });
  }
  mCurrentRecord = record;
  mPoly = &record->mPoly;
  ForRecordedPanes([record, drawing](int i, CPolyView* pane) {
    const ModelViewRecord& view = record->mViews[i];
    if (view.mFirst < 0) return;  // a new record: the panes stay as they are
    pane->SetViewType(static_cast<ViewType>(view.mFirst), true, !drawing);
    if (record->mCameras[i].valid) pane->Camera().SetCamera(record->mCameras[i], !drawing);
    pane->SetExplosion(view.mLast);
  });
}

// ---- Making a model current ------------------------------------------------------------------

bool CPolyDoc::SetModel(LibraryEntry* entry, bool fromList, bool keepTransition, bool dual) {
  using namespace detail_PolyDoc;
  if (!entry) return false;
  if (dual && !entry->IsUserRecord()) {
    return MakeModel(kOccasionBuiltInModel, nullptr, keepTransition, 0, [&](Poly& poly, PolyTemplate&) {
      Outcome why;
      std::unique_ptr<SimplePoly> model = entry->CreatePoly(true, &why);
      TellOutcome(why);
      if (!model || !TellOutcome(CreatePoly(*model, &poly, false, false))) return false;
      poly.SetLibraryEntryOfDual(entry);
      return true;
    });
  }
  if (entry->IsUserRecord() && entry->mName && FileExists(entry->mName)) {
    int mode = kOpenPlain;
    if (!fromList) mode = kOpenNotFromList;
    if (keepTransition) mode = fromList ? kOpenFromListKeepTransition : kOpenKeepTransition;
    return OpenEntryFile(entry->mName, mode);
  }

  return MakeModel(kOccasionBuiltInModel, nullptr, keepTransition, 0, [&](Poly& poly, PolyTemplate& polyTemplate) {
    Outcome why;
    const bool created = CreateFromLibraryEntry(&poly, &polyTemplate, entry, mOneVertexAtATime, &why);
    TellOutcome(why);
    if (!created) return false;
    if (!poly.mLibraryEntry) poly.SetLibraryEntry(entry);
    return true;
  });
}

bool CPolyDoc::MakeModel(int occasion, const TransitionSettings* transition, bool keepTransition, int changeFlags,
                         const std::function<bool(Poly&, PolyTemplate&)>& build) {
  using namespace detail_PolyDoc;
  const SideColours baseColours = FirstColours(mPoly->mFaces);
  const SideColours dualColours = FirstColours(mPoly->mVertices);
  platform::UndoHooks* undo = platform::Services().undo;
  undo->BeginUndoGroup();
  // One step for the new model and whatever its build records.
  undo->AddUndo(kUndoNewModel, 0);
  const TransitionSettings savedPending = mPendingTransition;
  DocRecord* previous = mCurrentRecord;
  const uint8_t showDual = mPoly->mShowDual;
  if (transition) {
    // The transition given, or none.
    CopyTransitionSettings(mPendingTransition, *transition);
    PreparePendingTransition();
  } else if (occasion >= 0) {
    PrepareTransition(occasion);
  } else {
    mPendingTransition = TransitionSettings();
  }
  // The model is always built into a record of its own, so that a build that fails
  // leaves the model shown before untouched (with no transition to run, the new
  // record simply takes the old one's place).
  const bool transitionRuns = mCurrentRecord != previous;
  if (!transitionRuns) {
    MakeNewRecordCurrent(kRecordSwitch);
    mPoly->mShowDual = showDual;
  }

  bool built = false;
  {
    ModelBusyScope busy;
    busy.Set();
    built = build(*mPoly, *mCurrentRecord->GetTemplate());
  }
  if (!built) {
    // The model made for the record says why it was not built.
    TellOutcome(mPoly->mBuildOutcome);
    SwitchToModel(previous);
    undo->DiscardLastUndo();
    undo->EndUndoGroup();
    if (keepTransition) mPendingTransition = savedPending;
    RedrawAllViews(false, true);
    return false;
  }

  // A new model arrives at the size on paper the user chose, whatever scale the model
  // shown before it was derived at.
  UnitSettings& units = GetUnitSettings();
  units.SetLengthScale(units.mUserLengthScale, false);

  if ((FaceColorScheme & kColorSingle) && !(FaceColorScheme & kColorArrangementMask)) {
    const bool backAsFront = (FaceColorScheme & kColorSameFrontAndBack) != 0;
    bool given = GiveColours(mPoly->mFaces, baseColours, backAsFront);
    given = GiveColours(mPoly->mVertices, dualColours, backAsFront) || given;
    if (given) NotifyColorChange(mPoly);
  }
  if (keepTransition) mPendingTransition = savedPending;
  ReloadPersistentTextLists();
  undo->EndUndoGroup();

  // Without a transition the new record replaces the one before at once.
  if (!transitionRuns || !DoTransition(occasion, previous, mPendingTransition, GetTimeSeconds(), true, false))
    DropRecord(previous);
  UpdateAfterChange(changeFlags);
  // Made while busy, the model had no verdict of the toy's yet.
  if (GeomagStyle) CheckConstructionToyAllViews();
  return true;
}

namespace detail_PolyDoc {

// 'open "name.ext"': what an open is, as the words "There was not enough memory to ..."
// go on.
std::string OpenOperationText(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return std::string("open \"") + (slash ? slash + 1 : path) + "\"";
}

}  // namespace detail_PolyDoc

bool CPolyDoc::OpenEntryFile(const char* path, int mode) {
  // An open is one operation: memory that runs out while the file is read, its model
  // built or the open told (the title, the file's warnings) ends it, and the model shown
  // before stays.
  bool opened = false;
  RunOperation([path] { return detail_PolyDoc::OpenOperationText(path); },
               [&] {
                 const Outcome outcome = OpenModelFile(path, mode, EnterModelWithUndo(*this, kUndoLoadModel, false));
                 if (!outcome.done()) {
                   // Stepping from model to model goes on to the next one: the pane says
                   // why this one did not open.
                   if ((mode & kOpenModelFileStepping) && outcome.told()) {
                     platform::Services().views->SetPaneMessage(outcome.text());
                   } else {
                     TellOutcome(outcome);
                   }
                   return;
                 }
                 // The file's warnings.
                 TellOutcome(outcome);
                 SetPathName(path, false);
                 opened = true;
               });
  return opened;
}

bool CPolyDoc::OnOpenDocument(const char* path) {
  if (IsBlank(path)) return false;
  bool opened = false;
  RunOperation([path] { return detail_PolyDoc::OpenOperationText(path); },
               [&] {
                 if (!TellOutcome(OpenModelFile(path, kOpenModelFilePlain,
                                                EnterModelWithUndo(*this, kUndoLoadModel, false)))) {
                   return;
                 }
                 SetPathName(path, true);
                 opened = true;
               });
  return opened;
}

// ---- Transitions --------------------------------------------------------------------------------

Poly* CPolyDoc::PrepareTransition(int occasion) {
  GetTransitionSettings(mPendingTransition, occasion);
  return PreparePendingTransition();
}

Poly* CPolyDoc::PreparePendingTransition() {
  const bool forced = GetForcedTransitionOccasion() >= 0;
  if (!AreTransitionsEnabled() && !forced) return mPoly;
  if (mPendingTransition.mType == kTransitionNone) return mPoly;
  if (!(mPendingTransition.GetDuration() >= detail_PolyDoc::kShortestTransition)) return mPoly;
  const uint8_t showDual = mPoly->mShowDual;
  SavedMouseThrow* saved = SaveMouseThrows();
  DocRecord* previous = mCurrentRecord;
  MakeNewRecordCurrent(kRecordTransition);
  previous->SetSavedThrows(saved);
  mPoly->mShowDual = showDual;
  return mPoly;
}

void CPolyDoc::PrepareTransition(int occasion, ModelRecord** outRecord) {
  DocRecord* before = mCurrentRecord;
  PrepareTransition(occasion);
  if (outRecord) *outRecord = before;
}

void CPolyDoc::SwitchToModel(ModelRecord* record) {
  auto* target = static_cast<DocRecord*>(record);
  if (!target || target == mCurrentRecord) return;
  DocRecord* old = mCurrentRecord;
  MakeCurrentRecord(target, kRecordSwitch);
  DropRecord(old);
}

bool CPolyDoc::DoTransition(int occasion, double startTime, ModelRecord* outgoing, bool restoreMouseThrow,
                            bool restartMouseThrows) {
  TransitionSettings settings;
  GetTransitionSettings(settings, occasion);
  return DoTransition(occasion, static_cast<DocRecord*>(outgoing), settings, startTime, restoreMouseThrow,
                      restartMouseThrows);
}

bool CPolyDoc::DoTransition(int, DocRecord* outgoing, const TransitionSettings& settings, double startTime,
                            bool restoreMouseThrow, bool restartMouseThrows) {
  using namespace detail_PolyDoc;
  if (!outgoing || outgoing == mCurrentRecord) return false;
  if (restoreMouseThrow && outgoing->GetSavedThrows()) RestoreMouseThrows(outgoing->GetSavedThrows());

  TransitionSettings s;
  CopyTransitionSettings(s, settings);
  if (s.mType == kTransitionRandom) {
    s.mType = std::rand() % kNumRandomTypes + kFirstRandomType;
    // Overlapping transitions look alike: the latest one that started after this start
    // lends its type.
    double latest = startTime;
    for (DocRecord* r = GetFirstRecord(); r; r = r->Next()) {
      if (r->mPoly.IsTransitionRunning() && r->mPoly.GetTransitionStart() > latest) {
        latest = r->mPoly.GetTransitionStart();
        s.mType = r->mPoly.mTransition.mType;
      }
    }
  }
  if (gReverseNesting > 0) Reverse(s);
  const double duration = s.GetDuration();

  // Every other model still on screen fades out now: one that was fading in turns
  // round where it stands, one fading out ends no later than the new transition.
  for (DocRecord* r = GetFirstRecord(); r; r = r->Next()) {
    Poly& p = r->mPoly;
    if (r == mCurrentRecord || r == outgoing || !p.IsTransitionRunning()) continue;
    if (p.mTransitionDirection != 0) {
      const double shown = p.mTransitionProgress;
      p.mTransition = s;
      p.mTransitionDirection = 0;
      p.mTransitionEnd = startTime + shown * duration;
    } else if (duration < p.mTransitionEnd - startTime) {
      p.RetimeTransition(startTime, duration);
    }
  }

  Poly& old = outgoing->mPoly;
  if (!old.IsTransitionRunning()) {
    old.mTransition = s;
    old.mTransitionDirection = 0;
    outgoing->SaveGeometry();
    old.mTransitionProgress = 1.0;
    old.mTransitionEnd = startTime + duration;
  } else if (old.mTransitionDirection != 0) {
    // The model that was coming in goes out again from where it stands.
    const double shown = old.mTransitionProgress;
    old.mTransition = s;
    old.mTransitionDirection = 0;
    old.mTransitionEnd = startTime + shown * duration;
  }
  // What it showed before is in its saved values, whichever way it was fading.
  outgoing->mFadingOut = true;

  Poly& incoming = *mPoly;
  incoming.mTransition = s;
  incoming.mTransitionDirection = 1;
  mCurrentRecord->SaveGeometry();
  incoming.mTransitionProgress = 0.0;
  incoming.mTransitionEnd = startTime + duration;

  if (restartMouseThrows) {
    SetThrowStartTimeAll(startTime);
    const bool reflecting = GetReflectingRangeMode();
    SetReflectingRangeMode(true);
    StepMouseThrows(nullptr);
    SetReflectingRangeMode(reflecting);
  }
  return true;
}

bool CPolyDoc::UpdateTransitions(double time) {
  bool running = false;
  bool redrawn = false;
  for (DocRecord* r = GetFirstRecord(); r;) {
    // Ending a transition may delete the record: the next one is taken first.
    DocRecord* next = r->Next();
    Poly& p = r->mPoly;
    if (p.IsTransitionRunning()) {
      if (!redrawn) {
        RedrawAllViews(false, true);
        redrawn = true;
      }
      const double start = p.GetTransitionStart();
      const double span = p.mTransitionEnd - start;
      const double f = span > 0.0 ? (time - start) / span : 1.0;
      const bool fadingIn = p.mTransitionDirection != 0;
      if (f >= 1.0 || f < 0.0) {
        const bool queued = fadingIn && p.mOtherTransition.mType >= 0;
        EndTransition(r);
        if (queued) {
          p.mTransition = p.mOtherTransition;
          p.mTransitionEnd = time + p.mTransition.GetDuration();
          p.mTransitionDirection = 1;
          p.mTransitionProgress = 0.0;
          r->RestoreGeometry();
          p.mOtherTransition.mType = -1;
          running = true;
        }
      } else {
        p.mTransitionProgress = fadingIn ? f : 1.0 - f;
        running = true;
      }
    }
    r = next;
  }
  return running;
}

void CPolyDoc::EndTransition(DocRecord* record) {
  using detail_PolyDoc::ForRecordedPanes;
  if (!record) return;
  Poly& p = record->mPoly;
  if (p.IsTransitionRunning()) RedrawAllViews(false, true);
  p.mTransitionEnd = -1.0;
  if (p.mTransitionDirection != 0) {
    p.mTransitionProgress = 1.0;
    p.mTransitionDirection = 0;
    record->RestoreGeometry();
    // The exploding types change the panes' explosion factor: back to none.
    if (p.mTransition.mType >= kTransitionExplodeAndGrow && p.mTransition.mType <= kTransitionExplodeAndImplode) {
      for (ModelViewRecord& view : record->mViews) view.mLast = 1.0;
      if (record == mCurrentRecord) ForRecordedPanes([](int, CPolyView* pane) { pane->SetExplosion(1.0); });
    }
    return;
  }
  // The record goes. The current one hands over to its neighbour first; the only
  // record of the document always stays.
  if (record == mCurrentRecord) {
    DocRecord* other = record->Previous() ? record->Previous() : record->Next();
    if (!other) {
      p.mTransitionProgress = 1.0;
      return;
    }
    MakeCurrentRecord(other, kRecordSwitch);
  }
  DropRecord(record);
}

void CPolyDoc::EndAllTransitions() {
  for (DocRecord* r = GetFirstRecord(); r;) {
    DocRecord* next = r->Next();
    if (r->mPoly.IsTransitionRunning()) {
      if (r != mCurrentRecord) r->mPoly.mTransitionDirection = 0;
      EndTransition(r);
    }
    r = next;
  }
}

// ---- After a change ------------------------------------------------------------------------------

void CPolyDoc::UpdateAfterChange(int flags) {
  if (flags & kChangeTitleOnly) {
    UpdateTitle();
    UpdateAllCaptions();
    RedrawAllViews(false, false);
    return;
  }
  // A change of model that is not the tour's own ends the tour.
  if (!(flags & kChangeKeepTour)) GetTour().StopTour();
  if (!(flags & kChangeKeepPath)) SetPathName(nullptr, false);
  // The title names the model, so it follows every change of model.
  UpdateTitle();
  UpdateAllCaptions();
  SetFitModeAllViews(kFitNormal);
  // What the status bar said of an element or cell of the model before is stale now.
  if (!mPoly || !mPoly->mSelectedElement) platform::Services().views->SetStatusText("");
}

void ShowSelectionChangeOf(Poly* poly) {
  if (!poly) return;
  const SelectionChange change = poly->TakeSelectionChange();
  if (CPolyDoc* document = GetDocument(); document && !change.Empty()) document->ShowSelectionChange(change);
}

void CPolyDoc::ShowSelectionChange(const SelectionChange& change) {
  // In the order the selection asked them: the side shown changes before the mark,
  // and the pivot comes last.
  for (const bool dual : {false, true}) {
    if (change.crossSectionSides & (dual ? 2u : 1u)) corvia::InvalidateCrossSectionViews(false, dual);
  }
  if (change.mark) {
    if (InfoBar* bar = GetInfoBar()) bar->MarkSelectedType(change.markKind, change.markNumber - 1, change.markDual);
  }
  if (change.sphereCylinderOptions) ::corvia::ApplySphereCylinderOptions();
  if (change.pivot) PivotAroundSelectedItem();
}

namespace detail_PolyDoc {
// The pane given, or the active one; null when it is no model pane or has no view type.
CPolyView* TypedPane(OpenGLView* view) {
  CPolyView* pane = view ? CPolyView::AsPolyView(view) : CPolyView::GetActive();
  return pane && pane->GetViewType() != kNoViewType ? pane : nullptr;
}
}  // namespace detail_PolyDoc

namespace detail_PolyDoc {
// The point the pivot axis runs through: along the selected symmetry axis, else the
// selected vertex, the middle of the selected edge or the centre of the selected face;
// false when nothing is selected.
bool SelectedPivotPoint(const Poly* poly, double* out) {
  if (SelectedSymAxis) {
    std::copy(SelectedSymAxis->direction, SelectedSymAxis->direction + 3, out);
    return true;
  }
  PolyItem* item = poly ? poly->mSelectedItem : nullptr;
  if (!item) return false;
  const bool dual = poly->mShowDual != 0;
  if (Edge* edge = item->AsEdge()) {
    PolyElement* ends[2] = {nullptr, nullptr};
    edge->GetVerts(dual, ends);
    if (!ends[0] || !ends[1]) return false;
    for (int k = 0; k < 3; ++k) out[k] = (ends[0]->mDualVert[k] + ends[1]->mDualVert[k]) / 2.0;
    return true;
  }
  const PolyElement* element = item->AsElement();
  if (!element) return false;
  const double* point = item->IsVertexIn(dual) ? element->mDualVert : element->mCentroid;
  std::copy(point, point + 3, out);
  return true;
}
}  // namespace detail_PolyDoc

void CPolyDoc::PivotAroundSelectedItem() {
  double point[3];
  double axis[3];
  if (!detail_PolyDoc::SelectedPivotPoint(mPoly, point) || !NormaliseVector(axis, point)) return;
  CPolyView* active = CPolyView::GetActive();
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
    CPolyView* pane = CPolyView::AsPolyView(v);
    if (!pane || !pane->Is3D() || (pane != active && !GetLinkedViews(pane->GetViewGroup()))) continue;
    std::copy(axis, axis + 3, pane->Navigation().GetPivotThrow()->mAxis);
  }
}

uint32_t CPolyDoc::GetPaneViewType(OpenGLView* view) {
  const CPolyView* pane = detail_PolyDoc::TypedPane(view);
  return pane ? static_cast<uint32_t>(pane->GetViewType()) : 0;
}

bool CPolyDoc::GetPanePolyNames(OpenGLView* view, std::string* name, std::string* dualName) {
  if (!detail_PolyDoc::TypedPane(view)) return false;
  if (name) *name = GetPolyName(false, false);
  if (dualName) *dualName = GetDualPolyName(false, false);
  return true;
}


void CPolyDoc::MarkColorsStaleAndRedraw() {
  if (GetPaneSelectionMode() == kSelectColorHide) UpdateMouseHelp();
  if (mPoly) mPoly->mPolyFlags |= kPolyFlagCellColoursStale;
  RedrawAllViews(false, false);
}

// ---- Title and path ----------------------------------------------------------------------------------

std::string CPolyDoc::GetDisplayName() const { return IsBlank(mOwnName.c_str()) ? mFrameworkTitle : mOwnName; }

void CPolyDoc::SetPathName(const char* path, bool addToRecent) {
  if (IsBlank(path)) {
    mPathName.clear();
    mFrameworkTitle.clear();
    mOwnName.clear();
    return;
  }
  mPathName = path;
  if (addToRecent) GetRecentFiles().Add(mPathName);
  mFrameworkTitle = GetFileNamePart(path);
  mOwnName.clear();
  mFileText.clear();
  UpdateTitle();
  // A model without a name of its own goes by its file's: the captions and the
  // information tree name it now.
  UpdateAllCaptions();
  platform::Services().views->InvalidateInfo(kInfoReasonNames);
}

void CPolyDoc::UpdateTitle() {
  std::string title;
  const std::string display = GetDisplayName();
  if (!IsBlank(display.c_str())) {
    title = "\"" + std::string(GetFileNamePart(display.c_str())) + "\": ";
    std::replace(title.begin(), title.end(), ';', '/');
  }
  if (mPoly) {
    char symbol[256] = "";
    mPoly->GetName(symbol, sizeof symbol);
    if (symbol[0]) title += std::string(symbol) + " - ";
    if (!IsBlank(mPoly->mName)) {
      title += mPoly->mName;
    } else if (mPoly->mLibraryEntry && mPoly->mLibraryEntry->mName) {
      title += mPoly->mLibraryEntry->mName;
    } else {
      title += "<No Name>";
    }
  }
  mWindowTitle = title;
  if (detail_PolyDoc::gTitleListener) detail_PolyDoc::gTitleListener(mWindowTitle);
  // The toolbars' combos show the model.
  if (auto* frame = dynamic_cast<CMainFrame*>(GetMainFrame())) {
    frame->FillSymmetryCombos();
    frame->GetMainToolBar()->UpdateCategoryCombo();
    frame->GetMainToolBar()->UpdateModelCombo();
  }
}

}  // namespace corvia
