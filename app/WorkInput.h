#pragma once
// What the user's input does while long work runs under its progress window
// (core/Progress.h): the window's own buttons, and a box the work asks, take their
// input; paints and the other events that only show things pass; closing the main
// window (its close button, Alt+F4) or File > Exit stops the work, and is carried out
// once the work has stopped. Any other input is dropped: clicks and keys in the panes
// and the bars, and a menu command chosen while a command's work runs (its model may be
// half made, so the menus are not updated from it either). The work the panes leave for
// idle time (app/DeferredPaneWork.h) keeps the menus answering instead: a command chosen
// meanwhile waits until that work is done.

#include <memory>

class wxFrame;

namespace corvia {

namespace detail_WorkInput {
class WorkInputFilter;
}

// The program's, from the main window's start to its end (CPolyApp): its event filter
// holds the input back, and the progress windows leave the main window enabled, since
// the window manager's close button and Alt+F4 reach only an enabled window.
class WorkInput {
 public:
  // `mainWindow` may be null: the progress windows then disable every other window.
  explicit WorkInput(wxFrame* mainWindow);
  ~WorkInput();
  WorkInput(const WorkInput&) = delete;
  WorkInput& operator=(const WorkInput&) = delete;

  // The idle work's input from Begin to End: every window answers, the menus are
  // updated, and the commands chosen are sent, in order, at the End.
  void BeginIdleWork();
  void EndIdleWork();

 private:
  std::unique_ptr<detail_WorkInput::WorkInputFilter> mFilter;
  bool mMainWindowLeftEnabled;
};

// The idle work's input (WorkInput::BeginIdleWork) for its lifetime, through the
// program's WorkInput, or one of its own when the program has none (the work run on
// its own, as the tests do).
class IdleWorkInput {
 public:
  IdleWorkInput();
  ~IdleWorkInput();
  IdleWorkInput(const IdleWorkInput&) = delete;
  IdleWorkInput& operator=(const IdleWorkInput&) = delete;

 private:
  std::unique_ptr<WorkInput> mOwn;
  WorkInput* mInput;
};

}  // namespace corvia
