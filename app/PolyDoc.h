#pragma once
// CPolyDoc: the single document. It holds the list of model records (the current
// model and those still fading in or out), the transition set-up of the next model
// change, the title and the file path, and it is what the geometry reaches as the
// document (DocumentAccess).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ModelChange.h"
#include "app/ViewType.h"
#include "model/Globals.h"
#include "model/ModelRecord.h"
#include "model/TransitionSettings.h"
#include "render/OpenGLView.h"

namespace corvia {

class LibraryEntry;
class PolyTemplate;
class SavedMouseThrow;
class SimplePoly;
struct SelectionChange;
struct TourModel;
struct WenningerStellation;

namespace detail_PolyDoc {
// Holds a record's template; a base of DocRecord so that it outlives the model built
// from it.
struct TemplateHolder {
  TemplateHolder();
  ~TemplateHolder();
  std::unique_ptr<PolyTemplate> mTemplate;
};
}  // namespace detail_PolyDoc

// A model record of the document: beside the model, the camera and view type of
// each of the first six panes (mViews[i].mFirst holds the view type, mLast the
// explosion factor), the throws that ran while it was current, and the values of its
// model that a transition changes.
class DocRecord final : private detail_PolyDoc::TemplateHolder, public ModelRecord {
 public:
  // Numbered by its document: no other record of the document has the number.
  DocRecord(ListNode*& head, ListNode*& tail, uint64_t serial);
  ~DocRecord() override;

  DocRecord* Next() const { return static_cast<DocRecord*>(mNext); }
  DocRecord* Previous() const { return static_cast<DocRecord*>(mPrev); }
  PolyTemplate* GetTemplate() const { return mTemplate.get(); }
  // Keeps the list of saved throws (the record frees it).
  void SetSavedThrows(SavedMouseThrow* list);
  SavedMouseThrow* GetSavedThrows() const { return mSavedThrows; }
  // The values of the model that a transition changes, kept to be put back.
  void SaveGeometry();
  void RestoreGeometry();
  uint64_t GetSerial() const { return mSerial; }

  CameraRecord mCameras[kNumModelViewRecords];
  // An undo step of the running operation was taken from its model: it is kept for the
  // operation's way back when it is replaced (CPolyDoc::NoteWayBack).
  bool mWayBack = false;
  // It began to fade out: its values changed since SaveGeometry.
  bool mFadingOut = false;

 private:
  SavedMouseThrow* mSavedThrows = nullptr;
  uint64_t mSerial;
};

// UpdateAfterChange flags.
constexpr int kChangeTitleOnly = 1;
constexpr int kChangeKeepPath = 2;
constexpr int kChangeKeepTour = 4;

// MakeCurrentRecord modes.
constexpr int kRecordSwitch = 0;
constexpr int kRecordConstruct = 1;
constexpr int kRecordDraw = 2;
constexpr int kRecordTransition = 4;  // the panes' state is not saved into the old record

class CPolyDoc final : public DocumentAccess, public ModelChangeDocument {
 public:
  CPolyDoc();
  ~CPolyDoc() override;
  CPolyDoc(const CPolyDoc&) = delete;
  CPolyDoc& operator=(const CPolyDoc&) = delete;

  // ---- DocumentAccess ----------------------------------------------------------------------
  Poly* GetCurrentPoly() override { return mPoly; }
  void UpdateAfterChange(int flags) override;
  // ---- ModelChangeDocument ----------------------------------------------------------------
  void PrepareTransition(int occasion, ModelRecord** outRecord) override;
  void SwitchToModel(ModelRecord* record) override;
  bool DoTransition(int occasion, double startTime, ModelRecord* outgoing, bool restoreMouseThrow,
                    bool restartMouseThrows) override;
  // The pivot axis of the active pane (of every 3D pane while views are linked) runs
  // from the centre through the selected axis, or the selected item's centre.
  void PivotAroundSelectedItem();
  // The view type code of the pane (null: the active pane); 0 when there is none.
  static uint32_t GetPaneViewType(OpenGLView* view);
  bool GetPanePolyNames(OpenGLView* view, std::string* name, std::string* dualName) override;

  // ---- Selection ------------------------------------------------------------------------------
  // Shows what a change of the selection asks beyond the model: the cross-section panes
  // drawn again, the information bar's mark of the selected type, the Sphere and
  // Cylinder Options of a selected vertex, the pivot round the selected item.
  void ShowSelectionChange(const SelectionChange& change);

  // ---- Model memories ---------------------------------------------------------------------
  // The model a memory slot (0-based) holds; null for an empty slot or one out of range.
  const SimplePoly* GetMemoryModel(int slot) const;
  // The models of all the memory slots, in order (null for an empty slot).
  std::vector<const SimplePoly*> GetMemoryModels() const;
  // Puts the model into the memory slot (0-based) and gives back the one the slot held
  // (null: the slot is emptied); a slot out of range keeps nothing and gives the model
  // back.
  std::unique_ptr<SimplePoly> ExchangeMemory(int slot, std::unique_ptr<SimplePoly> model);

  // ---- Models ---------------------------------------------------------------------------------
  // Makes the model of a built-in library entry current, or with dual the entry's dual
  // (named, typed and listed as that dual); false (the model as it was) when it cannot
  // be built.
  bool SetModel(LibraryEntry* entry, bool fromList, bool keepTransition, bool dual = false);
  // The model search of the toolbars: a catalogue name, number or Wythoff symbol the
  // library knows, else a vertex configuration built from its template. False, after a
  // message, when the text names no model or the model cannot be built.
  bool OpenModelByNameOrSymbol(const char* text);
  // A Wenninger stellation the library holds as cells of a base model: with panes to show
  // it in and none showing stellations, asks to switch the active pane to them; then its
  // base model made current, stellated, the cells included, and named in the pane.
  void ShowWenningerStellation(const WenningerStellation& stellation);
  // A tour event's model made current with the event's transition (none: at once),
  // keeping the tour playing; false when it cannot be made.
  bool SetTourModel(const TourModel& model, const TransitionSettings* transition);
  DocRecord* GetCurrentRecord() const { return mCurrentRecord; }
  DocRecord* GetFirstRecord() const { return static_cast<DocRecord*>(mFirstRecord); }
  int CountRecords() const;

  // ---- The way back of an operation -------------------------------------------------------
  // While on (an operation runs), a record that an undo step was taken from is kept out
  // of the list when it is replaced, its model untouched, instead of being deleted; off
  // deletes those kept (it frees only).
  void KeepReplacedRecords(bool keep) noexcept;
  // The number of the current record, for a step taken from its model; while records
  // are kept, the record is marked to be kept.
  uint64_t NoteWayBack();
  // Makes the record of the number current again, from the list or those kept, as it
  // was before any transition moved it; the record that was current goes. False when
  // no such record is left, or when it is the current one (which the failure may have
  // left half-changed).
  bool PutBackRecord(uint64_t serial);
  // Makes the record current (modes above); for drawing, the panes take its cameras
  // and view types without being redrawn.
  void MakeCurrentRecord(DocRecord* record, int mode);
  bool IsOneVertexAtATime() const { return mOneVertexAtATime; }
  void SetOneVertexAtATime(bool on) { mOneVertexAtATime = on; }

  // ---- Transitions ------------------------------------------------------------------------
  // Sets up the transition of the occasion for the coming change; returns the model to
  // build into (a new record's when a transition will run).
  Poly* PrepareTransition(int occasion);
  // The same with the pending transition as it has been set.
  Poly* PreparePendingTransition();
  // Starts the prepared transition from the outgoing record; false when none runs.
  bool DoTransition(int occasion, DocRecord* outgoing, const TransitionSettings& settings, double startTime,
                    bool restoreMouseThrow, bool restartMouseThrows);
  // Advances every running transition to the time; true while any runs.
  bool UpdateTransitions(double time);
  void EndTransition(DocRecord* record);
  void EndAllTransitions();
  const TransitionSettings& GetPendingTransition() const { return mPendingTransition; }

  // ---- Title and path ----------------------------------------------------------------------
  void UpdateTitle();
  const std::string& GetTitle() const { return mWindowTitle; }
  std::string GetDisplayName() const;
  const std::string& GetPathName() const { return mPathName; }
  void SetPathName(const char* path, bool addToRecent);
  void SetOwnName(const std::string& name) { mOwnName = name; }
  // Opens a model file; false when it was not read.
  bool OnOpenDocument(const char* path);
  // Opens a model file named by a library entry or stepped onto (mode as the file
  // reader takes it), telling why it did not open: with kOpenModelFileStepping in the
  // active pane, else in a box.
  bool OpenEntryFile(const char* path, int mode);
  bool IsModified() const { return mModified; }
  void SetModifiedFlag(bool modified) { mModified = modified; }
  void MarkColorsStaleAndRedraw();
  // Asks for the model's link to a physical model and online information (the
  // information bar's edit of the link).
  void OnEditLink();

 private:
  DocRecord* NewRecord();
  // Makes a new record current; one that memory ran out for on the way leaves the list.
  void MakeNewRecordCurrent(int mode);
  // Deletes a record that is replaced, or keeps it for the way back (KeepReplacedRecords).
  void DropRecord(DocRecord* record) noexcept;
  // Builds a model into a record of its own with the occasion's transition (or the one
  // given; occasion -1 and none: at once) and makes it current; when the build fails
  // the model shown before stays. changeFlags go to UpdateAfterChange.
  bool MakeModel(int occasion, const TransitionSettings* transition, bool keepTransition, int changeFlags,
                 const std::function<bool(Poly&, PolyTemplate&)>& build);

  ListNode* mFirstRecord = nullptr;
  ListNode* mLastRecord = nullptr;
  // The records kept for the running operation's way back, and whether they are kept.
  ListNode* mFirstKept = nullptr;
  ListNode* mLastKept = nullptr;
  bool mKeepReplaced = false;
  // The number the last record made took.
  uint64_t mRecordSerials = 0;
  DocRecord* mCurrentRecord = nullptr;
  Poly* mPoly = nullptr;
  std::string mOwnName;
  std::string mPathName;
  std::string mFrameworkTitle;
  std::string mFileText;
  std::string mWindowTitle;
  bool mOneVertexAtATime = false;
  bool mModified = false;
  TransitionSettings mPendingTransition;
  std::vector<std::unique_ptr<SimplePoly>> mMemories;
};

// The document of the program; null before it is made and after it is gone.
CPolyDoc* GetDocument();
// Takes what the selection of the model changed and has the document show it (nothing
// is shown without a document); null: none.
void ShowSelectionChangeOf(Poly* poly);
// Who shows the title (the main window); none: the title is only kept.
void SetDocumentTitleListener(std::function<void(const std::string&)> listener);

// "Options > Enable Transitions".
bool AreTransitionsEnabled();
void SetTransitionsEnabled(bool on);

// While one lives, the transitions that start run backwards.
class ReverseTransitionScope {
 public:
  ReverseTransitionScope();
  ~ReverseTransitionScope();
  ReverseTransitionScope(const ReverseTransitionScope&) = delete;
  ReverseTransitionScope& operator=(const ReverseTransitionScope&) = delete;
};

}  // namespace corvia
