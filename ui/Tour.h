#pragma once
// Tours: a list of events, each a snapshot of what the document shows (the model, the
// pane layout, each pane's view type and camera) with the time it stays and the
// transition that leaves it. The Tour menu adds, replaces and removes events, steps
// from one to the next and plays them back on a one-shot timer armed anew for each
// event; the tour bar lists them. A tour is kept with a scene: the model file's
// section "Tour" holds its events, read as untrusted data (bounded, one clear message,
// nothing changed when it cannot be read).

#include <wx/event.h>
#include <wx/timer.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/TransitionSettings.h"
#include "render/OpenGLView.h"

namespace corvia {

struct ioStream;

// TourEvent::mFlags.
constexpr uint32_t kTourEventMarked = 0x1;  // selected again after the list is rebuilt
constexpr uint32_t kTourEventNamedByUser = 0x4;
constexpr uint32_t kTourEventInheritLayout = 0x8;  // keeps the layout shown when it is loaded

// The transition types that have names of their own: 0 to 7 (kTransitionDefault
// follows them).
constexpr int kTourFadeTypes = 8;
// The seconds a new event stays.
constexpr float kTourEventDuration = 5.0f;
// Durations not above this are refused.
constexpr float kTourMinDuration = 0.01f;
// Bounds of what a scene's tour may hold.
constexpr int kTourMaxEvents = 10000;
constexpr int kTourMaxPanes = 6;
// The scene section.
constexpr const char* kSceneSectionTour = "Tour";

// "No transition", "Random", ... "Explode & Implode" for types 0 to 7, "<Default>"
// for the default.
const char* GetTransitionName(int type);
// The type of a name, -1 when none.
int FindTransitionByName(const char* text);

// A pane's camera in a scene section: its fields in the record's order on the line
// being written. Reading refuses (false) a coordinate that is not finite or beyond
// the model file's bound.
bool WriteCameraRecord(ioStream* stream, const CameraRecord& camera);
bool ReadCameraRecord(ioStream* stream, CameraRecord& camera);

// How an event makes its model again: a library entry (with the parameters of a
// parametric one), else a vertex configuration, else the model's own vertices and
// faces.
struct TourModel {
  int libraryIndex = -1;
  int n = 0, d = 0;
  std::string configuration;
  std::vector<double> vertices;  // x, y, z of each vertex
  std::vector<std::vector<int32_t>> faces;
  bool showDual = false;

  bool IsEmpty() const { return libraryIndex < 0 && configuration.empty() && faces.empty(); }
  bool operator==(const TourModel& other) const;
};

// One pane's state.
struct TourPane {
  int viewType = -1;
  CameraRecord camera;
};

class TourEvent {
 public:
  TourEvent();
  // Takes what the document shows now (the current model, the layout, the panes).
  void Capture();
  // Shows the event: its model (with the transition, when one is given), its layout
  // unless it inherits the one shown, its panes' view types and cameras. False when
  // its model could not be made.
  bool Load(const TransitionSettings* transition) const;
  // Replaces the name; by the user marks it as named.
  void SetName(const char* text, bool byUser);
  // The seconds the event is shown, with its outgoing transition when asked.
  double GetTotalTime(bool withTransition) const;
  // The fade time in seconds; unset reads the default.
  double GetFadeTime() const;
  bool HasFadeTime() const;

  std::string mName;
  uint32_t mFlags = 0;
  float mDuration = kTourEventDuration;
  TransitionSettings mTransition;
  TourModel mModel;
  int mLayout = -1;
  std::vector<TourPane> mPanes;
};

class Tour : public wxEvtHandler {
 public:
  Tour();
  ~Tour() override;

  int GetNumEvents() const { return static_cast<int>(mEvents.size()); }
  TourEvent* GetEvent(int index) const;
  int IndexOf(const TourEvent* event) const;
  TourEvent* GetCurrentEvent() const { return mCurrent; }
  void SetCurrentEvent(TourEvent* event);
  void Clear();
  // Takes the events of another tour (which is left empty).
  void TakeEvents(Tour& other);

  // ---- The Tour menu ----
  // Captures the document into a new event at the end, made current.
  TourEvent* AddToTour();
  // Captures it into the current event.
  void ReplaceCurrentEvent();
  // Removes the events of the rows (ascending); none given: only goes to the current.
  void RemoveFromTour(const std::vector<int>& rows);
  void NextEvent();
  void PreviousEvent();
  // Starts playback from the current (or first) event, or stops it.
  void PlayTour();
  // Moves the event of a row before the event at another row (the end past the last).
  bool MoveEvent(int from, int before);

  // ---- Playback ----
  bool IsTourPlaying() const { return mTimer && mTimer->IsRunning(); }
  void StopTour();
  // Loads the current event (with the transition), or restarts playback from it.
  void GoToTourEvent(bool select, const TransitionSettings* transition);
  double GetTourLength(bool withLastTransition) const;
  // The event shown at the time (and the next one while a transition runs); its start.
  double FindTourEventAtTime(double time, TourEvent** event, TourEvent** next) const;
  // Starts the transition from the current event into the next (now for a negative
  // time); returns its duration, 0 when none runs.
  double BeginTourTransition(double time);
  // The milliseconds the timer was armed for, 0 while it is not.
  int GetTimerMilliseconds() const { return IsTourPlaying() ? mTimerMs : 0; }
  // What the timer does when it fires.
  void OnTimerFired();

  // ---- Scenes ----
  bool Write(ioStream* stream, int indent) const;
  // Reads what Write wrote into a tour of its own; with apply the tour takes it.
  // False after one error through the stream when it cannot be read.
  bool Read(ioStream* stream, bool apply);

  // Called when the list or the current event changed (the tour bar refreshes).
  void SetListener(std::function<void(bool keepSelection)> listener) { mListener = std::move(listener); }
  void SetSelectListener(std::function<void()> listener) { mSelect = std::move(listener); }
  // The rows selected in the tour bar (the bar installs it).
  void SetSelectionSource(std::function<std::vector<int>()> source) { mSelection = std::move(source); }
  std::vector<int> GetSelectedRows() const { return mSelection ? mSelection() : std::vector<int>(); }

 private:
  void StartTimer(double seconds);
  void Changed(bool keepSelection);
  void SelectCurrentRow();

  std::vector<std::unique_ptr<TourEvent>> mEvents;
  TourEvent* mCurrent = nullptr;
  // Made when a tour first plays: a program without a running toolkit (tests, tools)
  // can hold a tour and stop it without one.
  std::unique_ptr<wxTimer> mTimer;
  int mTimerMs = 0;
  std::function<void(bool)> mListener;
  std::function<void()> mSelect;
  std::function<std::vector<int>()> mSelection;
};

// The document's one tour.
Tour& GetTour();
// Keeps the tour in saved scenes (the model file's section "Tour").
void InstallTourSection();

// The seconds of a timer as whole milliseconds, halves away from zero.
int TourTimerMilliseconds(double seconds);

}  // namespace corvia
