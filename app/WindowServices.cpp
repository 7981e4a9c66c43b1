// The main window and the panes of the document, joined.

#include "app/WindowServices.h"

#include <wx/app.h>
#include <wx/control.h>
#include <wx/cursor.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/ModelUndo.h"
#include "app/PaneModeCommands.h"
#include "app/PolyDoc.h"
#include "app/PolyPrintout.h"
#include "app/PolyView.h"
#include "app/SceneSections.h"
#include "app/Settings.h"
#include "app/ViewType.h"
#include "core/Messages.h"
#include "dialogs/DialogCommands.h"
#include "dialogs/SphereCylinderDialog.h"
#include "model/TransitionSettings.h"
#include "platform/Services.h"
#include "render/GeomagStyle.h"
#include "render/MouseThrow.h"
#include "render/ViewWindow.h"
#include "ui/BarDocument.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/Icons.h"
#include "ui/InfoBar.h"
#include "ui/MainFrame.h"
#include "ui/NewFrame.h"
#include "ui/PaneViews.h"
#include "ui/PaneWindow.h"
#include "ui/PopupMenus.h"
#include "ui/ToolBarEx.h"
#include "ui/Toolbars.h"

namespace corvia {

namespace detail_WindowServices {

// "Options > Allow Mouse Inertia".
constexpr int kCmdAllowMouseInertia = 32943;
// "File > Print..." (the preview, from which the pane prints) and "File > Print Setup...".
constexpr int kCmdFilePrint = 57609;
constexpr int kCmdFilePrintSetup = 57606;
// "Edit > Undo" and "Edit > Redo", also the main toolbar's buttons.
constexpr int kCmdEditUndo = 57643;
constexpr int kCmdEditRedo = 57644;
// The view-type icons are drawn at this size in captions and menus.
constexpr int kViewIconPixels = 16;

// The layouts' panes are the document's panes.
class PolyViewMaker final : public PaneViewMaker {
 public:
  std::unique_ptr<NewView> CreateView() override { return std::make_unique<CPolyView>(); }
  int GetViewType(const NewView* view) override {
    auto* pane = dynamic_cast<const CPolyView*>(view);
    if (!pane || pane->GetViewType() == kNoViewType) return -1;
    return static_cast<int>(pane->GetViewType());
  }
  void SetViewType(NewView* view, int viewType) override {
    if (auto* pane = dynamic_cast<CPolyView*>(view)) pane->SetViewType(static_cast<ViewType>(viewType), false);
  }
};

// What the geometry tells the panes and the frame.
class FrameViews final : public platform::ViewNotifier {
 public:
  void RedrawAllViews(bool captionsToo) override {
    // A title says what its pane shows (which stellation, say): it is made again.
    if (captionsToo) UpdateAllCaptions();
    corvia::RedrawAllViews(captionsToo, false);
    // An augmentation preview that has ended (with the model it augmented, say) redraws
    // the panes: its pane gets its own buttons back.
    EndAugmentationButtonsAllViews();
  }
  void InvalidateViewsOfKind(unsigned mask, int argument) override { corvia::InvalidateViewsOfKind(mask, argument != 0); }
  void InvalidateInfo(unsigned reasonBits) override { corvia::InvalidateInfo(reasonBits); }
  void FitViewsOfKind(unsigned mask) override { corvia::FitViewsOfKind(mask); }
  void RefreshViewsOfKind(unsigned mask) override { corvia::RefreshViewsOfKind(mask); }
  void SetFitModeOfType(unsigned viewType, int mode) override {
    for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) {
      CPolyView* pane = CPolyView::AsPolyView(v);
      if (pane && pane->GetViewType() == viewType) pane->SetFitMode(mode);
    }
  }
  void SetStatusText(const std::string& text) override { StatusPrintf("%s", text.c_str()); }
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
  // The idle work does it (CPolyApp::DoIdleWork, RunDeferredPaneWork).
  void PrepareWhenIdle() override { wxWakeUpIdle(); }
};

// What the bars ask of the document.
}  // namespace detail_WindowServices

void BuildRodColorMenu(wxMenu& menu) {
  auto* frame = dynamic_cast<CMainFrame*>(GetMainFrame());
  const int current = frame ? frame->GetGeomagStyle() : -1;
  for (int style = 0; style < int(std::size(kCmdGeomagStyles)); ++style) {
    const int command = kCmdGeomagStyles[style];
    const CommandInfo* info = FindCommand(command);
    if (!info) continue;
    const std::vector<std::string> parts = SplitMenuPath(info->path);
    if (parts.empty()) continue;
    wxMenuItem* item = menu.AppendCheckItem(
        ToWxId(command), wxControl::EscapeMnemonics(wxString::FromUTF8(StripMenuText(parts.back()))));
    item->Check(style == current);
    item->Enable(IsCommandAvailable(command));
  }
}

namespace detail_WindowServices {

class DocumentBars final : public BarDocument {
 public:
  bool SetModel(LibraryEntry* entry, bool fromList, bool dual) override {
    CPolyDoc* doc = GetDocument();
    return doc && doc->SetModel(entry, fromList, false, dual);
  }
  bool OpenModelByNameOrSymbol(const std::string& text) override {
    CPolyDoc* doc = GetDocument();
    return doc && doc->OpenModelByNameOrSymbol(text.c_str());
  }
  bool OpenModelFile(const std::string& path) override {
    CPolyDoc* doc = GetDocument();
    return doc && doc->OnOpenDocument(path.c_str());
  }
  std::string GetPathName() override {
    CPolyDoc* doc = GetDocument();
    return doc ? doc->GetPathName() : std::string();
  }
  bool SetTourModel(const TourModel& model, const TransitionSettings* transition) override {
    CPolyDoc* doc = GetDocument();
    return doc && doc->SetTourModel(model, transition);
  }
  bool EditLink() override {
    CPolyDoc* doc = GetDocument();
    if (!doc || !doc->GetCurrentPoly()) return false;
    doc->OnEditLink();
    return true;
  }
  bool CanEditLink() override { return GetDocument() && GetDocument()->GetCurrentPoly(); }
  bool AreTransitionsEnabled() override { return corvia::AreTransitionsEnabled(); }
  void SetReverseTransitions(bool on) override {
    if (on && !mReverse) mReverse = std::make_unique<ReverseTransitionScope>();
    if (!on) mReverse.reset();
  }
  std::vector<std::string> GetUndoNames(bool redo) override { return GetUndoList().GetNames(redo); }
  bool Undo() override { return GetUndoList().Undo(); }
  bool Redo() override { return GetUndoList().Redo(); }
  void ShowSphereCylinderOptions() override { corvia::ShowSphereCylinderOptions(); }
  void ShowSelectionChange(Poly& poly) override { ShowSelectionChangeOf(&poly); }
  void ShowRodColorMenu(wxWindow* toolbar, const wxRect& /*button*/) override {
    if (auto* bar = dynamic_cast<CToolBarEx*>(toolbar)) {
      wxMenu menu;
      BuildRodColorMenu(menu);
      ShowMenuBelowButton(bar, kCmdChooseGeomagStyle, menu);
    }
  }

 private:
  std::unique_ptr<ReverseTransitionScope> mReverse;
};

// The commands of the panes: the View menu's view types switch the active pane and
// carry its mark; mouse inertia is allowed or not.
class PaneCommands final : public wxEvtHandler {
 public:
  PaneCommands() {
    for (ViewType code : kViewTypes) {
      const int id = ToWxId(GetViewTypeCommand(code));
      Bind(
          wxEVT_MENU,
          [code](wxCommandEvent&) {
            CPolyView* pane = CPolyView::GetActive();
            if (!pane) return;
            pane->ChooseViewType(code);
            // The pane takes the keys, so that the arrows its view type names work at once.
            if (ViewWindow* window = pane->GetWindow()) window->TakeKeyboardFocus();
          },
          id);
      Bind(
          wxEVT_UPDATE_UI,
          [code](wxUpdateUIEvent& event) {
            CPolyView* pane = CPolyView::GetActive();
            event.Enable(pane != nullptr);
            event.Check(pane && pane->GetViewType() == code);
          },
          id);
    }
    Bind(wxEVT_MENU, [](wxCommandEvent&) { SetMouseInertiaAllowed(!IsMouseInertiaAllowed()); },
         ToWxId(kCmdAllowMouseInertia));
    Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Check(IsMouseInertiaAllowed()); },
         ToWxId(kCmdAllowMouseInertia));
    Bind(wxEVT_MENU, [](wxCommandEvent&) { ShowPrintPreview(CPolyView::GetActive(), GetMainFrame()); },
         ToWxId(kCmdFilePrint));
    Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(CPolyView::GetActive() != nullptr); },
         ToWxId(kCmdFilePrint));
    Bind(wxEVT_MENU, [](wxCommandEvent&) { ShowPageSetup(GetMainFrame()); }, ToWxId(kCmdFilePrintSetup));
    Bind(wxEVT_MENU, [](wxCommandEvent&) { GetUndoList().Undo(); }, ToWxId(kCmdEditUndo));
    Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(GetUndoList().CanUndo()); },
         ToWxId(kCmdEditUndo));
    Bind(wxEVT_MENU, [](wxCommandEvent&) { GetUndoList().Redo(); }, ToWxId(kCmdEditRedo));
    Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(GetUndoList().CanRedo()); },
         ToWxId(kCmdEditRedo));
    // The construction toy's edge styles, while its style is shown.
    Bind(wxEVT_MENU, [](wxCommandEvent&) { ShowRodColorMenu(); }, ToWxId(kCmdChooseGeomagStyle));
    Bind(wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(GeomagStyle); }, ToWxId(kCmdChooseGeomagStyle));
  }

  // Below the option toolbar's button while the bar is shown, else under the pointer.
  static void ShowRodColorMenu() {
    auto* frame = dynamic_cast<CMainFrame*>(GetMainFrame());
    if (!frame || !GeomagStyle) return;
    wxMenu menu;
    BuildRodColorMenu(menu);
    CToolBarEx* bar = frame->GetOptionToolBar();
    if (bar && bar->IsShownOnScreen()) {
      ShowMenuBelowButton(bar, kCmdChooseGeomagStyle, menu);
    } else {
      ShowPopupMenu(frame, menu);
    }
  }

  static void MarkAvailable(bool available) {
    for (ViewType code : kViewTypes) SetCommandAvailable(GetViewTypeCommand(code), available);
    SetCommandAvailable(kCmdAllowMouseInertia, available);
    SetCommandAvailable(kCmdFilePrint, available);
    SetCommandAvailable(kCmdFilePrintSetup, available);
    SetCommandAvailable(kCmdEditUndo, available);
    SetCommandAvailable(kCmdEditRedo, available);
    SetCommandAvailable(kCmdChooseGeomagStyle, available);
  }
};

PolyViewMaker gMaker;
FrameViews gViews;
DocumentBars gBars;
BarDocument* gPreviousBars = nullptr;
PaneViewMaker* gPreviousMaker = nullptr;
platform::ViewNotifier* gPreviousViews = nullptr;
platform::UndoHooks* gPreviousUndo = nullptr;
std::unique_ptr<PaneCommands> gCommands;
std::unique_ptr<DialogCommands> gDialogCommands;
NewFrame* gFrame = nullptr;

// The caption's view-type menu: the buttons of the main window's view toolbar in
// order, each with its image and its tooltip's text, the pane's own type checked.
void ShowViewTypeMenu(CPolyView* pane) {
  auto* window = dynamic_cast<PaneWindow*>(pane->GetWindow());
  auto* frame = dynamic_cast<CMainFrame*>(GetMainFrame());
  ViewToolBar* bar = frame ? frame->GetViewToolBar() : nullptr;
  if (!window || !bar) return;
  wxMenu menu;
  for (size_t i = 0; i < bar->GetToolCount(); ++i) {
    wxAuiToolBarItem* tool = bar->FindToolByIndex(static_cast<int>(i));
    if (!tool || tool->GetWindow()) continue;
    if (tool->GetKind() == wxITEM_SEPARATOR) {
      if (menu.GetMenuItemCount() > 0) menu.AppendSeparator();
      continue;
    }
    const int command = FromWxId(tool->GetId());
    const std::string text = GetCommandPrompt(command);
    if (text.empty()) break;
    const ViewType code = GetViewTypeOfCommand(command);
    auto* item = new wxMenuItem(&menu, tool->GetId(), wxControl::EscapeMnemonics(wxString::FromUTF8(text)),
                                wxEmptyString, wxITEM_CHECK);
    menu.Append(item);
    item->Check(code != kNoViewType && code == pane->GetViewType());
  }
  const int chosen = ChoosePopupMenuCommand(window, menu, wxPoint(0, 0));
  if (chosen == wxID_NONE) return;
  const ViewType code = GetViewTypeOfCommand(FromWxId(chosen));
  if (code != kNoViewType) pane->ChooseViewType(code);
}

// The images of the caption buttons, the view types and the mouse modes.
void LoadPaneImages() {
  struct CaptionImage {
    int icon;
    const char* name;
  };
  static constexpr CaptionImage kCaptionImages[] = {
      {kIconElementOn, "caption_on"},
      {kIconElementBack, "caption_back"},
      {kIconNextStellation, "nextstel"},
      {kIconPreviousStellation, "prevstel"},
      {kIconNextModel, "next"},
      {kIconPreviousModel, "prev"},
      {kIconAccept, "caption_accept"},
      {kIconCancel, "caption_cross"},
      {kIconMatchOn, "caption_on"},
      {kIconMatchBack, "caption_back"},
      {kIconMakeBase, "caption_makebase"},
      {kIconTakeBack, "caption_takeback"},
      {kIconLeaveMode, "select"},
      {kIconFacetingOn, "caption_up"},
      {kIconFacetingBack, "caption_down"},
  };
  for (const CaptionImage& image : kCaptionImages) SetCaptionIcon(image.icon, GetIconBundle(image.name, 12));
  for (int i = 0; i < kNumViewTypes; ++i) {
    const CommandInfo* command = FindCommand(GetViewTypeCommand(kViewTypes[i]));
    if (command && command->icon[0]) {
      SetCaptionIcon(kViewTypeIconBase + i, GetIconBundle(command->icon, kViewIconPixels));
    }
  }
  SetPaneCursor(kCursorTumble, wxCursor(wxCURSOR_HAND));
  SetPaneCursor(kCursorPan, wxCursor(wxCURSOR_SIZING));
  SetPaneCursor(kCursorTwist, wxCursor(wxCURSOR_POINT_RIGHT));
  SetPaneCursor(kCursorZoom, wxCursor(wxCURSOR_MAGNIFIER));
  SetPaneCursor(kCursorNoTwist, wxCursor(wxCURSOR_NO_ENTRY));
  SetPaneCursor(kCursorFieldOfView, wxCursor(wxCURSOR_SIZENS));
  SetPaneCursor(kCursorPivot, wxCursor(wxCURSOR_SIZEWE));
  SetPaneCursor(kCursorIdentify, wxCursor(wxCURSOR_QUESTION_ARROW));
  SetPaneCursor(kCursorCutEdges, wxCursor(wxCURSOR_PENCIL));
  SetPaneCursor(kCursorMeasure, wxCursor(wxCURSOR_CROSS));
  SetPaneCursor(kCursorFaceting, wxCursor(wxCURSOR_BULLSEYE));
  SetPaneCursor(kCursorColorHide, wxCursor(wxCURSOR_PAINT_BRUSH));
}

}  // namespace detail_WindowServices

void InstallWindowServices() {
  using namespace detail_WindowServices;
  gPreviousMaker = InstallPaneViewMaker(&gMaker);
  platform::ServiceSet services = platform::Services();
  gPreviousViews = services.views;
  services.views = &gViews;
  // The document's undo list, within the limits of the settings.
  const AppSettings& settings = GetAppSettings();
  UndoLimits limits;
  limits.enabled = settings.undoEnabled;
  limits.maxBytes = size_t(std::max(settings.maxUndoSize, 0));
  limits.minCount = settings.minNumUndos;
  limits.maxCount = settings.maxNumUndos;
  GetUndoList().SetLimits(limits);
  gPreviousUndo = services.undo;
  services.undo = &GetUndoList();
  platform::InstallServices(services);
  SetViewTypeMenuFunction(ShowViewTypeMenu);
  LoadPaneImages();
  PaneCommands::MarkAvailable(true);
  gPreviousBars = InstallBarDocument(&gBars);
  // The information tree names the models as the panes do.
  SetInfoNameFunction([](bool dual) { return dual ? GetDualPolyName(false, false) : GetPolyName(false, false); });

  DialogCommands::MarkAvailable(true);
  InstallSceneSections();
}

void ConnectMainWindow(wxFrame* frame) {
  using namespace detail_WindowServices;
  gFrame = dynamic_cast<NewFrame*>(frame);
  if (!gFrame) return;
  gCommands = std::make_unique<PaneCommands>();
  gFrame->AddCommandTarget(gCommands.get());
  ConnectDocCommands(frame);
  InstallPaneModeCommands(frame);
  gDialogCommands = std::make_unique<DialogCommands>();
  gFrame->AddCommandTarget(gDialogCommands.get());
}

void RemoveWindowServices() {
  using namespace detail_WindowServices;
  DisconnectDocCommands();
  RemovePaneModeCommands();
  if (gFrame && GetMainFrame() == gFrame) {
    if (gCommands) gFrame->RemoveCommandTarget(gCommands.get());
    if (gDialogCommands) gFrame->RemoveCommandTarget(gDialogCommands.get());
  }
  gCommands.reset();
  gDialogCommands.reset();
  gFrame = nullptr;
  PaneCommands::MarkAvailable(false);
  SetInfoNameFunction(nullptr);
  if (&GetBarDocument() == &gBars) InstallBarDocument(gPreviousBars);
  gPreviousBars = nullptr;

  DialogCommands::MarkAvailable(false);
  RemoveSceneSections();
  SetViewTypeMenuFunction(nullptr);
  InstallPaneViewMaker(gPreviousMaker);
  gPreviousMaker = nullptr;
  platform::ServiceSet services = platform::Services();
  if (services.views == &gViews) services.views = gPreviousViews;
  if (services.undo == &GetUndoList()) services.undo = gPreviousUndo;
  platform::InstallServices(services);
  gPreviousViews = nullptr;
  gPreviousUndo = nullptr;
  GetUndoList().ClearUndoList();
}

CPolyView* GetPane(int index) {
  return CPolyView::AsPolyView(FindViewByIndex(index));
}

int CountPanes() {
  int n = 0;
  for (NewView* v = NewView::GetFirstView(); v; v = v->GetNext()) n += CPolyView::AsPolyView(v) ? 1 : 0;
  return n;
}

}  // namespace corvia
