#pragma once
// Mouse drags and throws. A MouseThrow turns a drag in a pane into a motion (tumble,
// twist, zoom, pivot, look and the pane class's own kinds) and, when the button is
// let go while the mouse still moves fast enough, keeps that motion going by itself:
// the throw joins the list of running throws, which idle time marks for redraw and
// the next paint steps to the current time.
//
// Every throw sits in one list of all throws, in construction order; running ones
// are also in the active list, newest first. A throw is known in stored data by its
// identifier: kind x 6 + the position of its pane in the list of views.

#include <cstdint>
#include <memory>

#include "core/ListNode.h"

namespace corvia {

class NewView;
class OpenGLView;
struct ThrowState;
struct ViewGroup;
struct ioStream;

// Flag bits of a throw.
constexpr uint32_t kThrowActive = 0x1;          // running
constexpr uint32_t kThrowConvertsDrag = 0x2;    // a drag becomes an axis and an amount
constexpr uint32_t kThrowProjectsAxis = 0x4;    // ... measured across the axis as the pane shows it

// The drag history that decides whether a release throws.
constexpr int kThrowSamples = 5;
// A release later than this after the last move does not throw (interface type 0).
constexpr double kThrowReleaseDelay = 0.1;
// Samples closer together in time than this do not throw.
constexpr double kThrowMinSpan = 0.01;
// Speeds (units per second) a throw must exceed in one direction.
constexpr float kThrowMinSpeed = 3.0f;

// Identifiers are at most 6 x this in stored data.
constexpr int kThrowKindBound = 1012;
constexpr int kThrowIdPerKind = 6;

// What a throw keeps of its own while it is saved (subclasses with data derive).
struct MouseThrowData {
  virtual ~MouseThrowData() = default;
};

class SavedMouseThrow : public ListNode {
 public:
  int mId = 0;
  double mTime = 0.0;
  float mSpeedX = 0.0f;
  float mSpeedY = 0.0f;
  double mAxis[3] = {0, 0, 0};
  std::unique_ptr<MouseThrowData> mData;
};

class MouseThrow : public ListNode {
 public:
  // A throw of no pane in particular: it joins the installed frame's throws.
  explicit MouseThrow(int kind);
  // A throw of the view's: it joins the throws of the view's own frame, whichever
  // frame is installed (Setup with the view and flags).
  MouseThrow(int kind, OpenGLView* view, uint32_t flags);
  ~MouseThrow() override;
  MouseThrow(const MouseThrow&) = delete;
  MouseThrow& operator=(const MouseThrow&) = delete;

  void Setup(int kind, OpenGLView* view, uint32_t flags);
  bool IsActive() const { return (mFlags & kThrowActive) != 0; }
  void SetActive(bool on);
  bool ConvertsDrag() const { return (mFlags & kThrowConvertsDrag) != 0; }
  int GetID() const;
  int GetKind() const { return mKind; }
  OpenGLView* GetView() const { return mView; }
  MouseThrow* GetNextActive() const { return mNextActive; }

  // Forgets the drag history of the installed frame's panes; the throw being dragged,
  // if any, stops and is forgotten.
  static void ClearActive();
  // The same for the throws of one frame's panes.
  static void ClearActiveOf(ThrowState& throws);
  // Stops the throw (nothing when it is not running).
  void Deactivate();
  // A press or a drag move: this throw becomes the one dragged (stopping it when it
  // runs) and the point joins the history. Returns x.
  int AddDragSample(int x, int y);
  // The release: starts the throw when the last moves were fast enough; true then.
  bool EndDrag();
  // A drag move by (dx, dy), converted as the flags say, then applied.
  void ApplyMotion(float dx, float dy);
  void StartThrow(float speedX, float speedY);
  void ReverseSpeed();
  // Keeps a value the throw drives inside [low, high]; true when the speeds turned.
  bool KeepInRange(double& value, double low, double high);
  // Moves on by the time since the last step.
  void Step(double now);
  // A drag (dx, dy) becomes an amount about the throw's axis, in dx; dy becomes 0.
  void ConvertMotion(float& dx, float& dy);

  // ---- What kinds provide ----------------------------------------------------------------
  virtual void Idle() {}
  // The kind's own data after the axis line of the stored record.
  virtual void WriteData(ioStream* /*stream*/) {}
  // Reads it back; with apply false the values are only stepped over.
  virtual void ReadData(ioStream* /*stream*/, bool /*apply*/) {}
  virtual void SaveData(SavedMouseThrow& /*saved*/) {}
  virtual void RestoreData(const SavedMouseThrow& /*saved*/) {}
  // Marks the pane (or panes) the throw moves for redraw.
  virtual void Redraw() = 0;
  // Applies amounts to what the throw moves.
  virtual int Apply(float amountX, float amountY) = 0;

  int mKind = 0;
  uint32_t mFlags = 0;
  double mTime = 0.0;
  float mSpeedX = 0.0f;
  float mSpeedY = 0.0f;
  double mAxis[3] = {0, 0, 0};
  OpenGLView* mView = nullptr;
  MouseThrow* mNextActive = nullptr;

 private:
  void PushActive();

  // The throws of the frame whose panes this one moves: its view's, or the installed
  // frame's when it was made without a view.
  std::shared_ptr<ViewGroup> mGroup;
};

// The first throw of the list of all throws with the identifier; null when none.
MouseThrow* FindMouseThrow(int id);
// The newest running throw of a frame's panes; null when none runs. Without a group,
// these calls act on the installed frame's throws (the program's commands, idle time
// and start-up, which have no view at hand).
MouseThrow* GetActiveMouseThrows(const ViewGroup& group);
MouseThrow* GetActiveMouseThrows();

// "Options > Allow Mouse Inertia": turning it off stops every running throw.
bool IsMouseInertiaAllowed();
void SetMouseInertiaAllowed(bool on);
// Which release test applies: 0 (a release within 0.1 s of the last move) or any
// other value (within twice the time between the last two moves). Starts at -1 (not
// set up); the program sets 0 at start-up.
void SetMouseInterfaceType(int type);
// How KeepInRange treats a value outside its range: clamped, or reflected.
bool GetReflectingRangeMode();
void SetReflectingRangeMode(bool on);

// Steps every running throw of the group to now (with a view: only that view's throws
// and those without one); clears the step-pending flag. True while any throw runs.
bool StepMouseThrows(ViewGroup& group, NewView* view);
// The same for the view's group, or the installed frame's without a view.
bool StepMouseThrows(NewView* view);
// Marks the panes of every running throw for redraw; true while any runs.
bool RedrawMouseThrowViews();
// Idle time sets it while throws run; the next paint steps them.
bool IsThrowStepPending(const ViewGroup& group);
void SetThrowStepPending(bool on);
// Sets the time of every running throw (DBL_MAX: now).
void SetThrowStartTimeAll(double time);
// Stops every running throw of a frame's panes (without a group: the installed frame's).
void StopAllMouseThrows(ViewGroup& group);
void StopAllMouseThrows();

// The running throws, oldest first, in a list the caller frees (FreeSavedMouseThrows).
SavedMouseThrow* SaveMouseThrows();
// Stops every throw, then starts those of the list again as they were.
void RestoreMouseThrows(SavedMouseThrow* list);
void FreeSavedMouseThrows(SavedMouseThrow* list);

// Saves the running throws for its lifetime and restores them at its end.
class MouseThrowState {
 public:
  MouseThrowState() : mSaved(SaveMouseThrows()) {}
  ~MouseThrowState() {
    RestoreMouseThrows(mSaved);
    FreeSavedMouseThrows(mSaved);
  }
  MouseThrowState(const MouseThrowState&) = delete;
  MouseThrowState& operator=(const MouseThrowState&) = delete;

 private:
  SavedMouseThrow* mSaved;
};

// The mouse-throw data record of model and scene files. Reading ends at the closing
// -1 or at an identifier out of bounds; data cut short, or a list that ends before
// its -1, end it with an error reported through the stream, and false.
void WriteMouseThrowData(ioStream* stream, int indent);
bool ReadMouseThrowData(ioStream* stream, int kindBound, bool apply);
// How a kind's own data is stepped over when its throw is missing on reading.
using MouseThrowDataSkipper = void (*)(ioStream* stream);
void SetMouseThrowDataSkipper(int kind, MouseThrowDataSkipper skipper);

}  // namespace corvia
