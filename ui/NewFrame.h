#pragma once
// The frame under the main window: status bar, window placement, the pane layouts
// with their splitters, the close-down, and the routing of commands to the objects
// that handle them (the active pane, the document, the application), as a menu
// command reaches the first of them that has a handler. Commands nobody handles are
// shown disabled.

#include <wx/frame.h>

#include <string>
#include <vector>

#include "render/PaneFrame.h"
#include "ui/Layouts.h"
#include "ui/PaneWindow.h"

class wxStatusBar;

namespace corvia {

class NewSplitter;
class PaneWindow;

// Status bar panes: the message, then the hints of the left, the right and both
// mouse buttons.
constexpr int kStatusPaneMessage = 0;
constexpr int kNumStatusPanes = 4;
// Texts whose widths the hint panes get.
extern const char* const kStatusPaneWidthTexts[3];
// The frame keeps the active pane at least this wide, and this high.
constexpr int kMinActivePaneWidth = 150;
constexpr int kMinActivePaneHeight = 100;

class NewFrame : public wxFrame, public PaneFrame, public LayoutHost {
 public:
  NewFrame(const wxString& title, const wxSize& size);
  ~NewFrame() override;

  // ---- Layouts ----
  // Shows the layout (nothing when it is shown already). The main window extends it
  // with the view types of the panes.
  virtual void SetLayout(int index);
  // LayoutHost: a layout section read from a scene.
  void SetLayout(int index, bool keepRecords) override;
  void ReapplyLayout() override;
  // Copies the ratios of the shown splitters into the current record.
  void StoreLayoutRatios();
  void ApplyRatiosToSplitters();
  NewSplitter* GetMainSplitter() const { return mMainSplitter; }
  NewSplitter* GetNestedSplitter() const { return mNestedSplitter; }
  // The window that holds the panes (the main splitter or the single pane).
  wxWindow* GetPaneArea() const { return mPaneArea; }
  // The pane windows of the layout in pane-index order.
  std::vector<PaneWindow*> GetPaneWindows() const;

  // ---- Close-down ----
  // Runs when the window is asked to close; false keeps it open.
  virtual bool CloseDown();

  // ---- Placement ----
  void RestorePlacement();
  // The normal (not maximised) rectangle as last seen.
  wxRect GetNormalRect() const { return mNormalRect; }

  // ---- Status bar ----
  void SetStatusPaneText(int pane, const std::string& text);
  std::string GetStatusPaneText(int pane) const;

  // PaneFrame.
  void SetMouseButtonHints(const std::string& left, const std::string& right, const std::string& both) override;
  void SetActiveView(NewView* view) override;
  NewView* GetActiveView() const { return mActiveView; }

  // ---- Command routing ----
  // Objects asked for commands before the frame itself, in the order added (the
  // active pane's handler, the document, the application). The frame does not own
  // them; remove them before they go.
  void AddCommandTarget(wxEvtHandler* target);
  void RemoveCommandTarget(wxEvtHandler* target);

  // The panes' long paints, one a turn (ui/PaneWindow.h).
  PanePaintTurns& GetPanePaintTurns() { return mPanePaintTurns; }

  bool IsPrintPreview() const { return mPrintPreview; }
  void SetPrintPreview(bool on) { mPrintPreview = on; }

 protected:
  bool TryBefore(wxEvent& event) override;
  // Builds the layout's panes; keepRecords leaves the old layout's ratios unstored.
  void BuildLayout(int index, bool storeOld);
  // The minimum frame size that keeps the active pane usable.
  void UpdateSizeLimits();

  wxWindow* mClientArea = nullptr;  // holds the layout, fills the frame's centre

 private:
  void OnClose(wxCloseEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnMove(wxMoveEvent& event);
  void OnMenuClose(wxMenuEvent& event);
  void OnClientAreaSize(wxSizeEvent& event);
  void OnLayoutCommand(wxCommandEvent& event);
  void OnUpdateLayoutCommand(wxUpdateUIEvent& event);
  void OnUnhandledCommand(wxCommandEvent& event);
  void OnUpdateUnhandled(wxUpdateUIEvent& event);
  void RememberNormalRect();

  wxDECLARE_EVENT_TABLE();

  wxStatusBar* mStatusBar = nullptr;
  NewSplitter* mMainSplitter = nullptr;
  NewSplitter* mNestedSplitter = nullptr;
  wxWindow* mPaneArea = nullptr;  // the main splitter, or the single pane of Layout1
  NewView* mActiveView = nullptr;
  std::vector<wxEvtHandler*> mCommandTargets;
  wxRect mNormalRect;
  bool mPrintPreview = false;
  PanePaintTurns mPanePaintTurns;
  bool mFirstRedrawPending = true;
  // The command event being routed to the command targets, the innermost when one runs
  // inside another's command.
  const wxEvent* mRouting = nullptr;
  bool mKeepRecordsOnce = false;
  PaneFrame* mPreviousPaneFrame = nullptr;
  LayoutHost* mPreviousLayoutHost = nullptr;
};

// The main window, or null.
NewFrame* GetMainFrame();

// printf-like text into the status bar's message pane, or into a given pane; cut at
// 512 bytes with "..." at the end. Nothing without a main window.
void StatusPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void StatusPanePrintf(int pane, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The text as the active pane's message and in the status bar.
void ShowViewAndStatusMessage(const char* text);
void SetMainWindowTitle(const char* text);

// The saved window placement (the "Settings" values of the registry). Loading takes
// the size the first window should have; the rectangle read is checked against the
// desktop.
void LoadWindowPlacement(int width, int height);
void SaveWindowPlacement();
// The normal rectangle that the next main window takes, and whether it starts
// maximised.
wxRect GetSavedWindowRect();
bool GetStartMaximised();
void SetStartMaximised(bool maximised);

// The dialogs running now; the close-down ends them as cancelled: a modal one
// leaves its loop, one open beside the main window is closed.
void AddRunningDialog(wxWindow* dialog);
void RemoveRunningDialog(wxWindow* dialog);
void EndRunningDialogs();

}  // namespace corvia
