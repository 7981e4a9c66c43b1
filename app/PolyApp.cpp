// The program object: start-up, idle work, the document, recent files.

#include "app/PolyApp.h"

#include <wx/app.h>
#include <wx/frame.h>

#include <cstdlib>
#include <ctime>

#include "app/DeferredPaneWork.h"
#include "app/FileCommands.h"
#include "app/HelpCommands.h"
#include "app/WindowServices.h"
#include "app/ModelUndo.h"
#include "app/PolyDoc.h"
#include "app/WorkInput.h"
#include "app/PolyView.h"
#include "app/RecentFiles.h"
#include "app/Settings.h"
#include "app/UpdateCheck.h"
#include "construction/ModelLookup.h"
#include "core/Messages.h"
#include "core/Progress.h"
#include "core/Registry.h"
#include "core/TimeFormat.h"
#include "model/ColorSchemes.h"
#include "model/Poly.h"
#include "model/TransitionSettings.h"
#include "render/GeomagStyle.h"
#include "render/LightSets.h"
#include "render/MouseThrow.h"
#include "render/NewView.h"
#include "render/OutcomeBoxes.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/ModalDialogs.h"
#include "ui/NewFrame.h"

namespace corvia {

namespace detail_PolyApp {

// The model every run starts with: the icosahedron.
constexpr const char* kStartModel = "3.3.3.3.3";
// The seed of the random transitions: the time turned left by 5 bits.
constexpr int kSeedRotation = 5;

unsigned TimeSeed() {
  const auto t = static_cast<uint32_t>(std::time(nullptr));
  return (t << kSeedRotation) | (t >> (32 - kSeedRotation));
}

}  // namespace detail_PolyApp

CPolyApp& CPolyApp::Get() {
  static CPolyApp app;
  return app;
}

wxFrame* CPolyApp::InitInstance() {
  using namespace detail_PolyApp;
  SetMouseInterfaceType(0);
  WatchModalDialogs();
  SetNoticesWaitForDrawing(true);
  LoadSettings();
  GetRecentFiles().Load(kRecentFileCount);
  std::srand(TimeSeed());

  // The document first: the main window's layouts make its panes.
  mDoc = std::make_unique<CPolyDoc>();
  InstallWindowServices();
  CMainFrame::SetDocumentCloseDown([this] { CloseDown(); });
  auto* frame = new CMainFrame;
  mFrame = frame;
  mWorkInput.reset();
  mWorkInput = std::make_unique<WorkInput>(frame);
  // The checkpoints of the settings count from this start.
  mLastCheckpoint = -1.0;
  mCheckpointFailed = false;
  ConnectMainWindow(frame);
  mHelp = std::make_unique<HelpCommands>();
  frame->AddCommandTarget(mHelp.get());
  HelpCommands::MarkAvailable(true);
  mFiles = std::make_unique<FileCommands>();
  frame->AddCommandTarget(mFiles.get());
  FileCommands::MarkAvailable(true);
  SetDocumentTitleListener([](const std::string& title) { SetMainWindowTitle(title.c_str()); });
  if (wxTheApp && !mIdleBound) {
    wxTheApp->Bind(wxEVT_IDLE, &CPolyApp::OnIdle, this);
    mIdleBound = true;
  }

  SetTransitionDefaults();
  {
    // The first model is shown with the transition set up for start-up.
    ForcedTransitionOccasion startUp(kOccasionStartUp);
    bool recognised = false;
    Outcome why;
    LibraryEntry* first = LookUpModel(kStartModel, &recognised, &why, nullptr, false);
    TellOutcome(why);
    mDoc->SetModel(first, false, false);
    CheckForNewVersion(false);
    frame->Show();
    mDoc->UpdateTitle();
    if (GetAppSettings().rainbowColors) SetRainbowColors(true);
    if (GetAppSettings().geomag) SwitchGeomagStyle(true);
    frame->Update();
  }
  return frame;
}

void CPolyApp::CloseDown() {
  SaveSettings();
  GetRecentFiles().Save();
  ShutdownPaneGlobals();
  GetUndoList().ClearUndoList();
  SetDocumentTitleListener(nullptr);
  mFrame = nullptr;
}

void CPolyApp::ExitInstance() {
  mWorkInput.reset();
  if (mIdleBound && wxTheApp) wxTheApp->Unbind(wxEVT_IDLE, &CPolyApp::OnIdle, this);
  mIdleBound = false;
  SetNoticesWaitForDrawing(false);
  CMainFrame::SetDocumentCloseDown(nullptr);
  RemoveWindowServices();
  if (mHelp) {
    if (NewFrame* frame = GetMainFrame()) frame->RemoveCommandTarget(mHelp.get());
    HelpCommands::MarkAvailable(false);
    mHelp.reset();
  }
  if (mFiles) {
    if (NewFrame* frame = GetMainFrame()) frame->RemoveCommandTarget(mFiles.get());
    FileCommands::MarkAvailable(false);
    mFiles.reset();
  }
  mDoc.reset();
  mFrame = nullptr;
}

void CPolyApp::OnIdle(wxIdleEvent& event) {
  if (DoIdleWork(-1.0)) event.RequestMore();
  event.Skip();
}

bool CPolyApp::DoIdleWork(double time) {
  if (mFrame && mFrame->IsIconized() && !mExporting) return false;
  if (time < 0.0) time = GetTimeSeconds();
  bool busy = false;
  if (RedrawMouseThrowViews()) {
    SetThrowStepPending(true);
    busy = true;
  }
  // A modal dialog's command may hold the model, a face or an element across the
  // dialog: nothing changes the model until the dialog is closed.
  const bool modal = IsModalDialogOpen();
  if (!modal && mDoc && mDoc->UpdateTransitions(time)) busy = true;
  Poly* poly = GetCurrentPoly();
  const int endedWork = GetEndedWorkCount();
  const bool workJustEnded = endedWork != mEndedWorkSeen;
  mEndedWorkSeen = endedWork;
  if (poly && (poly->mPolyFlags & kPolyFlagCellColoursStale)) {
    // Work that ended in this turn of the event loop (a command's, run from the events
    // the loop handles before its idle time) freed what it made and closed its window
    // here: the colours wait for the next turn (one), so that the window answers between.
    if (workJustEnded && !modal && !mColoursWaited) {
      mColoursWaited = true;
      return true;
    }
    mColoursWaited = false;
    // Made under a modal dialog too (they change no element), as a paint made them: the
    // panes of a large model wait for them (kDeferredCellColourFaces). The panes are
    // painted at the next turn: on a large model the colours and the recording of its
    // faces take half a second each. Outside a dialog the colours are made under a
    // progress level, whose reports let the window answer; they are short and go on to
    // their end.
    if (modal) {
      poly->UpdateCellColours();
      return true;
    }
    IdleWorkInput input;
    ProgressScope progress;
    const ProgressShield toTheEnd;
    poly->UpdateCellColours();
    return true;
  }
  UpdateAllViewsNow();
  // What the panes left for later while they drew, once they are painted and nothing
  // moves; they are painted again from the next idle time on.
  if (!busy && !modal && NewView::GetMouseButtonsHeld() == 0 && RunDeferredPaneWork()) busy = true;
  // What the panes told while they drew, now that the paint is over.
  ShowHeldMessages();
  // A settings key dropped unclosed saved itself: a save that failed there is told now.
  TellOutcome(TakeUnheardRegistryFailure());
  if (NewView::GetMouseButtonsHeld() == 0 && IsUpdateCheckDone()) RunUpdateCheck();
  if (!modal && NewView::GetMouseButtonsHeld() == 0) CheckpointSettings(time);
  return busy;
}

void CPolyApp::CheckpointSettings(double now) {
  // What the user set is written now and then while the program runs, not only at a
  // normal exit, so that a program that is killed loses little. A save that fails is
  // told once, at the checkpoint it failed; the exit still tries again.
  if (mCheckpointFailed || !mFrame) return;
  if (mLastCheckpoint < 0.0) mLastCheckpoint = now;
  if (now - mLastCheckpoint < kSettingsCheckpointSeconds) return;
  mLastCheckpoint = now;
  const int told = GetToldMessageCount();
  SaveSettings();
  GetRecentFiles().Save();
  SaveWindowPlacement();
  if (GetToldMessageCount() != told) mCheckpointFailed = true;
}

void CPolyApp::RunUpdateCheck() { corvia::RunUpdateCheck(kVersionHistoryPage, ChooseUpdatePage, kCmdCheckForUpdates); }

bool CPolyApp::OnRecentFile(int command) {
  return mDoc && OpenRecentFile(*mDoc, command - kRecentFileFirstCommand);
}

}  // namespace corvia
