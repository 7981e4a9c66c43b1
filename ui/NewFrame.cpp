#include "ui/NewFrame.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/statusbr.h>
#include <wx/weakref.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>

#include "core/Messages.h"
#include "core/Registry.h"
#include "core/Strings.h"
#include "render/NewView.h"
#include "render/ViewGroup.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/LayoutDlg.h"
#include "ui/NewSplitter.h"
#include "ui/PaneViews.h"
#include "ui/PaneWindow.h"
#include "ui/PopupMenus.h"
#include "ui/SettingsKeys.h"
#include "ui/Tour.h"

namespace corvia {

const char* const kStatusPaneWidthTexts[3] = {"L: Set augmentation height", "R: Unexplode augmentation",
                                              "L+R: Pivot around axis"};

namespace detail_NewFrame {

NewFrame* gMainFrame = nullptr;
// The normal rectangle of the next main window (left, top, right, bottom).
wxRect gSavedRect(wxPoint(20, 20), wxPoint(199, 199));
bool gStartMaximised = false;
std::vector<wxWindow*> gRunningDialogs;

constexpr const char* kSettingsSection = "Settings";

// The next layout of the keys that cycle (Ctrl+3, Ctrl+4, Ctrl+5).
int NextLayoutOfKey(int command, int current) {
  switch (command) {
    case kCmdLayout1:
      return kLayout1;
    case kCmdLayout2:
      return kLayout2;
    case kCmdLayout3:
      return current == kLayout3Equal        ? kLayout3SplitRight
             : current == kLayout3SplitRight ? kLayout3SplitLeft
                                             : kLayout3Equal;
    case kCmdLayout4:
      return current == kLayout4Grid         ? kLayout4SplitRight
             : current == kLayout4SplitRight ? kLayout4SplitLeft
                                             : kLayout4Grid;
    case kCmdLayout5:
      return current == kLayout5SplitRight ? kLayout5SplitLeft : kLayout5SplitRight;
    case kCmdLayout6:
      return kLayout6;
    default:
      return current;
  }
}

// A view or throw joins the group of the frame installed when it is made: the frame
// that lays out its panes is the installed one while it makes them, so that they are
// its own whichever frame is installed otherwise.
class InstalledWhileMakingPanes {
 public:
  explicit InstalledWhileMakingPanes(PaneFrame* frame) : mBefore(InstallPaneFrame(frame)) {}
  ~InstalledWhileMakingPanes() { InstallPaneFrame(mBefore); }
  InstalledWhileMakingPanes(const InstalledWhileMakingPanes&) = delete;
  InstalledWhileMakingPanes& operator=(const InstalledWhileMakingPanes&) = delete;

 private:
  PaneFrame* mBefore;
};

}  // namespace detail_NewFrame

NewFrame* GetMainFrame() {
  return detail_NewFrame::gMainFrame;
}

NewFrame::NewFrame(const wxString& title, const wxSize& size)
    : wxFrame(nullptr, wxID_ANY, title, wxDefaultPosition, size, wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN),
      PaneFrame(ShareCurrentViewGroup()) {
  detail_NewFrame::gMainFrame = this;
  mPreviousPaneFrame = InstallPaneFrame(this);
  mPreviousLayoutHost = InstallLayoutHost(this);
  RestorePlacement();

  mStatusBar = CreateStatusBar(kNumStatusPanes, wxSTB_DEFAULT_STYLE);
  int widths[kNumStatusPanes] = {-1, 0, 0, 0};
  int styles[kNumStatusPanes] = {wxSB_FLAT, wxSB_NORMAL, wxSB_NORMAL, wxSB_NORMAL};
  for (int i = 0; i < 3; ++i) widths[i + 1] = mStatusBar->GetTextExtent(kStatusPaneWidthTexts[i]).x + 16;
  mStatusBar->SetStatusWidths(kNumStatusPanes, widths);
  mStatusBar->SetStatusStyles(kNumStatusPanes, styles);

  mClientArea = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxCLIP_CHILDREN);
  mClientArea->Bind(wxEVT_SIZE, &NewFrame::OnClientAreaSize, this);

  Bind(wxEVT_CLOSE_WINDOW, &NewFrame::OnClose, this);
  Bind(wxEVT_SIZE, &NewFrame::OnSize, this);
  Bind(wxEVT_MOVE, &NewFrame::OnMove, this);
  Bind(wxEVT_MENU_CLOSE, &NewFrame::OnMenuClose, this);
  Bind(wxEVT_MENU, &NewFrame::OnLayoutCommand, this, ToWxId(kCmdLayout1), ToWxId(kCmdChooseLayout));
  Bind(wxEVT_UPDATE_UI, &NewFrame::OnUpdateLayoutCommand, this, ToWxId(kCmdLayout1), ToWxId(kCmdChooseLayout));
  for (int id = kCmdLayout1; id <= kCmdChooseLayout; ++id) SetCommandAvailable(id, true);

  // Every run starts in Layout2 unless a scene chooses another.
  ResetLayouts();
  SetCurrentLayoutIndex(-1);
}

NewFrame::~NewFrame() {
  InstallPaneFrame(mPreviousPaneFrame);
  InstallLayoutHost(mPreviousLayoutHost);
  if (detail_NewFrame::gMainFrame == this) detail_NewFrame::gMainFrame = nullptr;
}

// ---- Layouts --------------------------------------------------------------------------

void NewFrame::SetLayout(int index) {
  if (index == GetCurrentLayoutIndex() || !GetLayoutRecord(index)) return;
  BuildLayout(index, true);
}

void NewFrame::SetLayout(int index, bool keepRecords) {
  if (index == GetCurrentLayoutIndex() || !GetLayoutRecord(index)) return;
  if (!keepRecords) {
    SetLayout(index);
    return;
  }
  // The records were just read from a scene: the derived frame's switch runs, but
  // the ratios of the layout being left stay as read.
  mKeepRecordsOnce = true;
  SetLayout(index);
  mKeepRecordsOnce = false;
}

void NewFrame::BuildLayout(int index, bool storeOld) {
  // The old panes go with their windows: an open popup menu closes first, and the
  // layout follows once its loop has returned.
  if (ClosePopupMenu()) {
    CallAfter([this, index, storeOld] { BuildLayout(index, storeOld); });
    return;
  }
  ViewGroup& group = *GetViewGroup();
  ExitFullScreen(group);
  if (storeOld && !mKeepRecordsOnce) StoreLayoutRatios();
  const int previousActive =
      mActiveView ? mActiveView->GetIndex() : (group.views.active ? group.views.active->GetIndex() : 0);
  SetCurrentLayoutIndex(index);
  const LayoutRecord& record = *GetCurrentLayout();

  // The old panes leave the list of views: all but the first before the new ones
  // are made, the first after.
  NewView* firstOld = group.views.first;
  std::vector<NewView*> oldViews;
  for (NewView* v = firstOld; v; v = v->GetNext()) oldViews.push_back(v);
  for (size_t i = 1; i < oldViews.size(); ++i) oldViews[i]->RemoveFromViewList();
  mActiveView = nullptr;

  wxWindow* oldArea = mPaneArea;
  mPaneArea = nullptr;
  mMainSplitter = nullptr;
  mNestedSplitter = nullptr;
  if (oldArea) oldArea->Hide();

  {
    const detail_NewFrame::InstalledWhileMakingPanes installed(this);
    if (record.mainRows == 1 && record.mainColumns == 1) {
      auto* pane = new PaneWindow(mClientArea, GetPaneViewMaker().CreateView(), wxID_ANY, wxDefaultPosition,
                                  mClientArea->GetClientSize());
      if (pane->IsShowingView()) pane->GetView()->SetViewIndex(0);
      mPaneArea = pane;
    } else {
      mMainSplitter = new NewSplitter(mClientArea, record.mainRows, record.mainColumns, false);
      mPaneArea = mMainSplitter;
      int paneIndex = 0;
      for (int r = 0; r < record.mainRows; ++r) {
        for (int c = 0; c < record.mainColumns; ++c) {
          if (r == 0 && c == record.nestedColumn) continue;
          if (r > 0 && c == record.nestedColumn) continue;
          mMainSplitter->CreatePaneView(r, c, paneIndex++);
        }
      }
      if (record.nestedColumn >= 0) {
        mNestedSplitter = new NewSplitter(mMainSplitter, record.nestedRows, record.nestedColumns, true);
        mMainSplitter->SetCellWindow(0, record.nestedColumn, mNestedSplitter);
        for (int r = 0; r < record.nestedRows; ++r) {
          for (int c = 0; c < record.nestedColumns; ++c) mNestedSplitter->CreatePaneView(r, c, paneIndex++);
        }
      }
    }
  }
  if (firstOld) firstOld->RemoveFromViewList();
  // The old panes go with their windows.
  if (oldArea) oldArea->Destroy();

  mPaneArea->SetSize(mClientArea->GetClientSize());
  ApplyRatiosToSplitters();

  NewView* active = FindViewByIndex(group, previousActive);
  if (!active) active = group.views.first;
  if (active) {
    mActiveView = active;
    active->Activate(false);
  }
  UpdateSizeLimits();
}

void NewFrame::StoreLayoutRatios() {
  LayoutRecord* record = GetCurrentLayout();
  if (!record) return;
  record->numRatios = 0;
  for (NewSplitter* splitter : {mMainSplitter, mNestedSplitter}) {
    if (!splitter) continue;
    for (float ratio : splitter->GetRatios()) {
      if (record->numRatios < kMaxLayoutRatios) record->ratios[record->numRatios++] = ratio;
    }
  }
}

void NewFrame::ReapplyLayout() {
  int i = 0;
  for (NewView* v = GetViewGroup()->views.first; v; v = v->GetNext()) v->SetViewIndex(i++);
  if (mMainSplitter) mMainSplitter->LoadRatios();
  if (mNestedSplitter) mNestedSplitter->LoadRatios();
  ApplyRatiosToSplitters();
}

void NewFrame::ApplyRatiosToSplitters() {
  if (mMainSplitter) mMainSplitter->ApplyRatios();
  if (mNestedSplitter) mNestedSplitter->ApplyRatios();
}

std::vector<PaneWindow*> NewFrame::GetPaneWindows() const {
  std::vector<PaneWindow*> panes;
  for (NewView* v = GetViewGroup()->views.first; v; v = v->GetNext()) {
    if (auto* pane = dynamic_cast<PaneWindow*>(v->GetWindow())) panes.push_back(pane);
  }
  return panes;
}

void NewFrame::OnClientAreaSize(wxSizeEvent& event) {
  if (mPaneArea) mPaneArea->SetSize(mClientArea->GetClientSize());
  event.Skip();
}

void NewFrame::OnLayoutCommand(wxCommandEvent& event) {
  const int current = GetCurrentLayoutIndex();
  const int command = FromWxId(event.GetId());
  if (command == kCmdChooseLayout) {
    LayoutDlg dialog(current);
    if (dialog.DoModal()) SetLayout(dialog.mLayout);
    return;
  }
  SetLayout(detail_NewFrame::NextLayoutOfKey(command, current));
}

void NewFrame::OnUpdateLayoutCommand(wxUpdateUIEvent& event) {
  event.Enable(true);
}

// ---- Size limits, placement ----------------------------------------------------------

void NewFrame::UpdateSizeLimits() {
  auto* pane = mActiveView ? dynamic_cast<PaneWindow*>(mActiveView->GetWindow()) : nullptr;
  if (!pane || IsMaximized() || IsFullScreen()) {
    SetMinSize(wxDefaultSize);
    return;
  }
  // Only a laid-out window says what surrounds the pane.
  if (!IsShown() || pane->GetSize().x <= 1 || pane->GetSize().y <= 1) return;
  // Everything around the active pane (borders, bars, other panes) stays; the pane
  // keeps its minimum size.
  // The limit only stops a shrinking frame; it never makes the frame grow.
  const wxSize size = GetSize();
  const wxSize extra = size - pane->GetSize();
  SetMinSize(wxSize(std::min(extra.x + kMinActivePaneWidth, size.x), std::min(extra.y + kMinActivePaneHeight, size.y)));
}

void NewFrame::RememberNormalRect() {
  if (!IsMaximized() && !IsIconized() && !IsFullScreen() && IsShown()) mNormalRect = GetRect();
}

void NewFrame::OnSize(wxSizeEvent& event) {
  RememberNormalRect();
  UpdateSizeLimits();
  event.Skip();
}

void NewFrame::OnMove(wxMoveEvent& event) {
  RememberNormalRect();
  event.Skip();
}

void NewFrame::RestorePlacement() {
  const wxRect rect = GetSavedWindowRect();
  SetSize(rect);
  mNormalRect = rect;
  if (GetStartMaximised()) Maximize(true);
}

// ---- Menu loop, closing ------------------------------------------------------------------

void NewFrame::OnMenuClose(wxMenuEvent& event) {
  if (mFirstRedrawPending) {
    mFirstRedrawPending = false;
    RedrawAllViews(*GetViewGroup(), false, false);
  }
  event.Skip();
}

void NewFrame::OnClose(wxCloseEvent& event) {
  // The whole event loop would run on inside an open popup menu, the process with it:
  // the menu closes, and the close comes again once its loop has returned.
  if (ClosePopupMenu()) {
    const bool force = !event.CanVeto();
    if (!force) event.Veto();
    CallAfter([this, force] { Close(force); });
    return;
  }
  if (mPrintPreview) {
    event.Skip();
    return;
  }
  if (!CloseDown()) {
    if (event.CanVeto()) {
      event.Veto();
      return;
    }
  }
  Destroy();
}

bool NewFrame::CloseDown() {
  // A tour that played on would load its next model, and lay out panes, in a program
  // that is closing.
  GetTour().StopTour();
  ExitFullScreen(*GetViewGroup());
  EndRunningDialogs();
  SaveWindowPlacement();
  mActiveView = nullptr;
  if (mPaneArea) {
    // The panes leave with their splitters; the window goes now, its views with it.
    mPaneArea->Destroy();
    mPaneArea = nullptr;
  }
  mMainSplitter = nullptr;
  mNestedSplitter = nullptr;
  return true;
}

// ---- Status bar and panes ------------------------------------------------------------------

void NewFrame::SetStatusPaneText(int pane, const std::string& text) {
  if (!mStatusBar || pane < 0 || pane >= kNumStatusPanes) return;
  mStatusBar->SetStatusText(wxString::FromUTF8(EscapeNonUtf8(text)), pane);
  mStatusBar->Update();
}

std::string NewFrame::GetStatusPaneText(int pane) const {
  if (!mStatusBar || pane < 0 || pane >= kNumStatusPanes) return std::string();
  return mStatusBar->GetStatusText(pane).utf8_string();
}

void NewFrame::SetMouseButtonHints(const std::string& left, const std::string& right, const std::string& both) {
  SetStatusPaneText(1, "L: " + left);
  SetStatusPaneText(2, "R: " + right);
  SetStatusPaneText(3, "L+R: " + both);
}

void NewFrame::SetActiveView(NewView* view) {
  mActiveView = view;
  UpdateSizeLimits();
}

// ---- Command routing ----------------------------------------------------------------------


void NewFrame::AddCommandTarget(wxEvtHandler* target) {
  if (target && std::find(mCommandTargets.begin(), mCommandTargets.end(), target) == mCommandTargets.end())
    mCommandTargets.push_back(target);
}

void NewFrame::RemoveCommandTarget(wxEvtHandler* target) {
  mCommandTargets.erase(std::remove(mCommandTargets.begin(), mCommandTargets.end(), target), mCommandTargets.end());
}

bool NewFrame::TryBefore(wxEvent& event) {
  const wxEventType type = event.GetEventType();
  // Only the event being routed is not routed again (a target that hands it back): the
  // updates of the tool bars while a command's modal box is up, and a command that a
  // command runs, are routed as any other.
  if (mRouting != &event && (type == wxEVT_MENU || type == wxEVT_UPDATE_UI) &&
      event.GetId() >= ToWxId(kFirstCommandId) && event.GetId() <= ToWxId(kLastCommandId)) {
    const wxEvent* const outer = mRouting;
    mRouting = &event;
    // As a command with a handler is enabled unless its update handler says otherwise.
    if (type == wxEVT_UPDATE_UI)
      static_cast<wxUpdateUIEvent&>(event).Enable(IsCommandAvailable(FromWxId(event.GetId())));
    bool handled = false;
    const auto route = [&] {
      for (wxEvtHandler* target : std::vector<wxEvtHandler*>(mCommandTargets)) {
        if (target->ProcessEventLocally(event)) {
          handled = true;
          break;
        }
      }
    };
    if (type == wxEVT_MENU && wxTheApp && wxTheApp->IsScheduledForDestruction(this)) {
      // A command still queued when the window was closed does not run in it: the
      // window goes at the next idle time, perhaps while the command waits in a dialog.
      mRouting = outer;
      return true;
    }
    // The window may go while a command runs (a dialog's loop reaches idle time after a
    // close): nothing of it is touched after the command.
    wxWeakRef<NewFrame> self(this);
    if (type == wxEVT_MENU) {
      // A command is one operation: memory that runs out inside it ends it alone.
      if (!RunCommandOperation(FromWxId(event.GetId()), route)) handled = true;
    } else {
      route();
    }
    if (!self) return true;
    mRouting = outer;
    if (handled) return true;
  }
  return wxFrame::TryBefore(event);
}

wxBEGIN_EVENT_TABLE(NewFrame, wxFrame)
    EVT_MENU_RANGE(ToWxId(kFirstCommandId), ToWxId(kLastCommandId), NewFrame::OnUnhandledCommand)
        EVT_UPDATE_UI_RANGE(ToWxId(kFirstCommandId), ToWxId(kLastCommandId), NewFrame::OnUpdateUnhandled)
            wxEND_EVENT_TABLE()

    // The frame's own table comes after every handler of the frame, its derived
    // classes and the command targets: a command that reaches it has no handler.
    void NewFrame::OnUnhandledCommand(wxCommandEvent&) {}

void NewFrame::OnUpdateUnhandled(wxUpdateUIEvent& event) {
  event.Enable(IsCommandAvailable(FromWxId(event.GetId())));
}

// ---- Free functions ------------------------------------------------------------------------

void StatusPrintf(const char* format, ...) {
  NewFrame* frame = GetMainFrame();
  if (!frame) return;
  va_list args;
  va_start(args, format);
  const std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  frame->SetStatusPaneText(kStatusPaneMessage, text);
}

void StatusPanePrintf(int pane, const char* format, ...) {
  NewFrame* frame = GetMainFrame();
  if (!frame || !frame->GetStatusBar()) return;
  va_list args;
  va_start(args, format);
  const std::string text = FormatLimitedV(kMessageBufferSize, format, args);
  va_end(args);
  frame->SetStatusPaneText(pane, text);
}

void ShowViewAndStatusMessage(const char* text) {
  if (NewView* view = NewView::GetActiveView()) NewView::SetMessage(view, "%s", text ? text : "");
  StatusPrintf("%s", text ? text : "");
}

void SetMainWindowTitle(const char* text) {
  if (NewFrame* frame = GetMainFrame()) frame->SetTitle(wxString::FromUTF8(EscapeNonUtf8(text ? text : "")));
}

void LoadWindowPlacement(int width, int height) {
  using namespace detail_NewFrame;
  if (!TheRegistryApp().registryKey) return;
  const wxRect desktop = wxDisplay(0u).GetGeometry();
  const int centreX = (desktop.GetLeft() + desktop.GetRight() + 1) / 2;
  const int centreY = (desktop.GetTop() + desktop.GetBottom() + 1) / 2;
  width = std::min(width, desktop.width - 64);
  height = std::min(height, desktop.height - 64);
  int left = centreX - width / 2, top = centreY - height / 2;
  int right = centreX + width / 2, bottom = centreY + height / 2;
  int maximised = gStartMaximised ? 1 : 0;
  if (RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), kSettingsSection, nullptr)) {
    GetRegistryInt(key.get(), "WindowPosLeft", left);
    GetRegistryInt(key.get(), "WindowPosTop", top);
    GetRegistryInt(key.get(), "WindowPosRight", right);
    GetRegistryInt(key.get(), "WindowPosBottom", bottom);
    GetRegistryInt(key.get(), "WindowIsMaximised", maximised);
  }
  // A rectangle saved on a larger or since removed screen, or an empty one, must
  // not put the window out of reach: it keeps a usable size inside the desktop.
  int w = right - left, h = bottom - top;
  if (w < kMinActivePaneWidth || h < kMinActivePaneHeight) {
    w = width;
    h = height;
    left = centreX - w / 2;
    top = centreY - h / 2;
  }
  w = std::min(w, desktop.width);
  h = std::min(h, desktop.height);
  left = std::clamp(left, desktop.GetLeft(), desktop.GetRight() + 1 - w);
  top = std::clamp(top, desktop.GetTop(), desktop.GetBottom() + 1 - h);
  gSavedRect = wxRect(left, top, w, h);
  gStartMaximised = maximised > 0;
}

void SaveWindowPlacement() {
  NewFrame* frame = GetMainFrame();
  if (!frame || !TheRegistryApp().registryKey) return;
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), detail_NewFrame::kSettingsSection, nullptr);
  if (!key) return;
  const wxRect r = frame->GetNormalRect();
  SetRegistryInt(key.get(), "WindowPosLeft", r.GetLeft());
  SetRegistryInt(key.get(), "WindowPosTop", r.GetTop());
  SetRegistryInt(key.get(), "WindowPosRight", r.GetLeft() + r.GetWidth());
  SetRegistryInt(key.get(), "WindowPosBottom", r.GetTop() + r.GetHeight());
  SetRegistryInt(key.get(), "WindowIsMaximised", frame->IsMaximized() ? 1 : 0);
  CloseSettingsKey(*key);
}

wxRect GetSavedWindowRect() {
  return detail_NewFrame::gSavedRect;
}
bool GetStartMaximised() {
  return detail_NewFrame::gStartMaximised;
}
void SetStartMaximised(bool maximised) {
  detail_NewFrame::gStartMaximised = maximised;
}

void AddRunningDialog(wxWindow* dialog) {
  if (dialog) detail_NewFrame::gRunningDialogs.push_back(dialog);
}

void RemoveRunningDialog(wxWindow* dialog) {
  auto& list = detail_NewFrame::gRunningDialogs;
  list.erase(std::remove(list.begin(), list.end(), dialog), list.end());
}

void EndRunningDialogs() {
  std::vector<wxWindow*> running;
  running.swap(detail_NewFrame::gRunningDialogs);
  for (wxWindow* window : running) {
    auto* dialog = dynamic_cast<wxDialog*>(window);
    if (!dialog) continue;
    // A dialog open beside the main window closes as its Cancel would, while what it
    // shows is still there (and it keeps its place for the next run).
    if (dialog->IsModal()) {
      dialog->EndModal(wxID_CANCEL);
    } else if (dialog->IsShown()) {
      dialog->Close(true);
    }
  }
}

}  // namespace corvia
