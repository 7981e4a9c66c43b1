#pragma once
// CPolyApp: the program object. It starts the program (settings, the document and its
// panes in the main window, the first model, the update check), runs the idle work
// that drives every animation, and finds the single document for the rest of the
// program. The model itself lives in the document.

#include <memory>

class wxFrame;
class wxIdleEvent;

namespace corvia {

class CPolyDoc;
class FileCommands;
class HelpCommands;
class WorkInput;

class CPolyApp {
 public:
  static CPolyApp& Get();

  // The start-up steps; the main window, shown.
  wxFrame* InitInstance();
  // After the main window has gone: the document and the program-wide state.
  void ExitInstance();

  // One pass of the idle work at the time (below 0: now); true while something still
  // moves, so that idle time keeps coming.
  bool DoIdleWork(double time);
  // Writes the settings, the recent files and the window's place when enough time has
  // passed since the last time (the first call only starts the clock).
  void CheckpointSettings(double now);
  // The single document; null before the start-up made it.
  CPolyDoc* GetDoc() const { return mDoc.get(); }
  wxFrame* GetMainWindow() const { return mFrame; }
  // What input does while long work runs (app/WorkInput.h); null before the start-up
  // and after the exit.
  WorkInput* GetWorkInput() const { return mWorkInput.get(); }
  // A recent-file command (57616 to 57631): opens that file; an entry whose file
  // cannot be opened leaves the list.
  bool OnRecentFile(int command);
  // Shows the finished update check's answer, offering the product's pages.
  void RunUpdateCheck();
  // Set while an image or video export runs: idle work goes on while minimised.
  void SetExporting(bool on) { mExporting = on; }

 private:
  void OnIdle(wxIdleEvent& event);
  // The document's part of the main window's close-down: the settings are saved.
  void CloseDown();

  std::unique_ptr<CPolyDoc> mDoc;
  std::unique_ptr<HelpCommands> mHelp;
  std::unique_ptr<FileCommands> mFiles;
  std::unique_ptr<WorkInput> mWorkInput;
  wxFrame* mFrame = nullptr;
  bool mExporting = false;
  bool mIdleBound = false;
  // The settings are written at idle time every this many seconds.
  static constexpr double kSettingsCheckpointSeconds = 30.0;
  double mLastCheckpoint = -1.0;
  bool mCheckpointFailed = false;
  // The count of ended work (core/Progress.h) at the last idle work.
  int mEndedWorkSeen = 0;
  bool mColoursWaited = false;
};

}  // namespace corvia
