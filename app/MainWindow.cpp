// The plain main window with its panes, and what the panes and the geometry need of it.

#include "app/MainWindow.h"

#include <wx/bmpbndl.h>
#include <wx/cursor.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <string>

#include "app/PolyView.h"
#include "platform/Services.h"
#include "render/PaneFrame.h"
#include "ui/PaneWindow.h"

namespace corvia {

const ViewType kDefaultPaneTypes[kDefaultPaneCount] = {kViewBasePolyhedron, kViewUnfoldedNet};

namespace detail_MainWindow {

wxFrame* gFrame = nullptr;

// Status-bar fields of the mouse hints.
constexpr int kHintFields = 4;

// The frame's side of the panes: the mouse hints go to its status bar when it has
// one, and it knows the active pane.
class FramePanes final : public PaneFrame {
 public:
  void SetMouseButtonHints(const std::string& left, const std::string& right, const std::string& both) override {
    wxStatusBar* bar = gFrame ? gFrame->GetStatusBar() : nullptr;
    if (!bar || bar->GetFieldsCount() < kHintFields) return;
    bar->SetStatusText("L: " + wxString::FromUTF8(left), 1);
    bar->SetStatusText("R: " + wxString::FromUTF8(right), 2);
    bar->SetStatusText("L+R: " + wxString::FromUTF8(both), 3);
  }
  void SetActiveView(NewView* view) override { mActive = view; }
  NewView* mActive = nullptr;
};

// What the geometry tells the panes and the frame.
class FrameViews final : public platform::ViewNotifier {
 public:
  void RedrawAllViews(bool captionsToo) override { corvia::RedrawAllViews(captionsToo, false); }
  void InvalidateViewsOfKind(unsigned mask, int argument) override { corvia::InvalidateViewsOfKind(mask, argument != 0); }
  // The information tree comes with the frame's bars; until then there is nothing to
  // bring up to date.
  void InvalidateInfo(unsigned) override {}
  void FitViewsOfKind(unsigned mask) override { corvia::FitViewsOfKind(mask); }
  void SetFitModeOfType(unsigned viewType, int mode) override {
    for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
      CPolyView* pane = CPolyView::AsPolyView(v);
      if (pane && pane->GetViewType() == viewType) pane->SetFitMode(mode);
    }
  }
  void SetStatusText(const std::string& text) override {
    if (wxStatusBar* bar = gFrame ? gFrame->GetStatusBar() : nullptr) bar->SetStatusText(wxString::FromUTF8(text), 0);
  }
  void SetWaitCursor(bool busy) override {
    if (busy) {
      wxBeginBusyCursor();
    } else if (wxIsBusy()) {
      wxEndBusyCursor();
    }
  }
  void SetPaneMessage(const std::string& text) override {
    NewView* view = NewView::GetActiveView();
    if (text.empty()) {
      NewView::SetMessage(view, nullptr);
    } else {
      NewView::SetMessage(view, "%s", text.c_str());
    }
  }
};

FramePanes gPanes;
FrameViews gViews;
PaneFrame* gPreviousPanes = nullptr;
platform::ViewNotifier* gPreviousViews = nullptr;

// The view types of the menu, grouped: models, diagrams, nets, dual morphs.
bool StartsGroup(int index) { return index == 7 || index == 14 || index == 16; }

// The caption's view-type menu: one item per view type, the pane's own checked, placed
// so that the pane's item lies over the icon.
void ShowViewTypeMenu(CPolyView* pane) {
  auto* window = dynamic_cast<PaneWindow*>(pane->GetWindow());
  if (!window) return;
  wxMenu menu;
  constexpr int kFirstId = wxID_HIGHEST + 1;
  for (int i = 0; i < kNumViewTypes; ++i) {
    if (StartsGroup(i)) menu.AppendSeparator();
    wxMenuItem* item = menu.AppendCheckItem(kFirstId + i, wxString::FromUTF8(GetViewTypeMenuText(kViewTypes[i])));
    item->Check(kViewTypes[i] == pane->GetViewType());
  }
  const int chosen = window->GetPopupMenuSelectionFromUser(menu, wxPoint(0, 0));
  if (chosen >= kFirstId && chosen < kFirstId + kNumViewTypes) pane->SetViewType(kViewTypes[chosen - kFirstId], false);
}

std::string Svg(const char* body) {
  return std::string(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"12\" height=\"11\" viewBox=\"0 0 12 11\">") +
         body + "</svg>";
}

struct IconImage {
  int icon;
  const char* body;
};

// The caption-button images: arrows for stepping, a plus and a minus for the faceting
// actions, the arrow down to the left that makes a pane's model the base model.
constexpr IconImage kIcons[] = {
    {kIconElementOn, "<path d='M3 1 L9 5.5 L3 10 Z'/>"},
    {kIconElementBack, "<path d='M9 1 L3 5.5 L9 10 Z'/>"},
    {kIconNextStellation, "<path d='M1 9 L6 2 L11 9 Z'/>"},
    {kIconPreviousStellation, "<path d='M1 2 L11 2 L6 9 Z'/>"},
    {kIconNextModel, "<path d='M1 1 L6 5.5 L1 10 Z M6 1 L11 5.5 L6 10 Z'/>"},
    {kIconPreviousModel, "<path d='M11 1 L6 5.5 L11 10 Z M6 1 L1 5.5 L6 10 Z'/>"},
    {kIconFacetingAction - 1, "<rect x='2' y='4.5' width='8' height='2'/>"},
    {kIconFacetingAction, "<path d='M5 1 H7 V4.5 H10 V6.5 H7 V10 H5 V6.5 H2 V4.5 H5 Z'/>"},
    {kIconMakeBase, "<path d='M10 1 L4 7' stroke='black' stroke-width='1.6'/><path d='M2 4 L2 9 L7 9 Z'/>"},
    {kIconFacetingExtra, "<path d='M2 2 L10 9 M10 2 L2 9' stroke='black' stroke-width='1.6'/>"},
    {kIconMeasure, "<path d='M1 4 H11 V8 H1 Z M3 4 V6 M5 4 V7 M7 4 V6 M9 4 V7' fill='none' stroke='black'/>"},
    {kIconFacetingOn, "<path d='M1 8 L6 3 L11 8 Z'/><rect x='1' y='1' width='10' height='1.2'/>"},
    {kIconFacetingBack, "<path d='M1 3 L11 3 L6 8 Z'/><rect x='1' y='8.8' width='10' height='1.2'/>"},
};

}  // namespace detail_MainWindow

void LoadPaneImages() {
  using namespace detail_MainWindow;
  for (const IconImage& image : kIcons) {
    const std::string svg = Svg(image.body);
    SetCaptionIcon(image.icon, wxBitmapBundle::FromSVG(svg.c_str(), wxSize(12, 11)));
  }
  SetPaneCursor(kCursorTumble, wxCursor(wxCURSOR_HAND));
  SetPaneCursor(kCursorPan, wxCursor(wxCURSOR_SIZING));
  SetPaneCursor(kCursorTwist, wxCursor(wxCURSOR_POINT_RIGHT));
  SetPaneCursor(kCursorZoom, wxCursor(wxCURSOR_MAGNIFIER));
  SetPaneCursor(kCursorNoTwist, wxCursor(wxCURSOR_NO_ENTRY));
  SetPaneCursor(kCursorFieldOfView, wxCursor(wxCURSOR_SIZENS));
  SetPaneCursor(kCursorPivot, wxCursor(wxCURSOR_SIZEWE));
}

wxFrame* CreateMainWindow() {
  using namespace detail_MainWindow;
  auto* frame =
      new wxFrame(nullptr, wxID_ANY, "Corvia", wxDefaultPosition, wxSize(kMainWindowWidth, kMainWindowHeight));
  gFrame = frame;
  gPreviousPanes = InstallPaneFrame(&gPanes);
  platform::ServiceSet services = platform::Services();
  gPreviousViews = services.views;
  services.views = &gViews;
  platform::InstallServices(services);
  SetViewTypeMenuFunction(ShowViewTypeMenu);

  auto* row = new wxBoxSizer(wxHORIZONTAL);
  for (int i = 0; i < kDefaultPaneCount; ++i) {
    auto* pane = new PaneWindow(frame, std::make_unique<CPolyView>());
    row->Add(pane, 1, wxEXPAND);
    if (auto* view = CPolyView::AsPolyView(pane->GetView())) view->SetViewType(kDefaultPaneTypes[i], false);
  }
  frame->SetSizer(row);
  return frame;
}

void RemoveMainWindowServices() {
  using namespace detail_MainWindow;
  SetViewTypeMenuFunction(nullptr);
  InstallPaneFrame(gPreviousPanes);
  platform::ServiceSet services = platform::Services();
  if (services.views == &gViews) {
    services.views = gPreviousViews;
    platform::InstallServices(services);
  }
  gPreviousPanes = nullptr;
  gPreviousViews = nullptr;
  gFrame = nullptr;
}

CPolyView* GetPane(int index) { return CPolyView::AsPolyView(FindViewByIndex(index)); }

}  // namespace corvia
