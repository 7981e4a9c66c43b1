#include "ui/MainFrame.h"

#include <wx/accel.h>
#include <wx/aui/dockart.h>
#include <wx/display.h>
#include <wx/glcanvas.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>

#include "core/Messages.h"
#include "core/PolygonRing.h"
#include "core/Registry.h"
#include "model/BlockPool.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "render/GeomagStyle.h"
#include "render/NewView.h"
#include "render/OpenGLView.h"
#include "render/ViewGroup.h"
#include "symmetry/SymGroup.h"
#include "ui/BarDocument.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/ElementWords.h"
#include "ui/InfoBar.h"
#include "ui/PaneViews.h"
#include "ui/PaneWindow.h"
#include "ui/SettingsKeys.h"
#include "ui/SizingControlBar.h"
#include "ui/ToolBarEx.h"
#include "ui/Tour.h"
#include "ui/controls/OwnerDrawCombo.h"

namespace corvia {

namespace detail_MainFrame {

std::function<void()>& DocumentCloseDown() {
  static std::function<void()> closeDown;
  return closeDown;
}

// The bar of each View menu toggle.
struct BarToggle {
  int command;
  int barId;
};
constexpr BarToggle kBarToggles[] = {
    {kCmdShowMainToolbar, kMainToolBarId},     {kCmdShowTourToolbar, kTourToolBarId},
    {kCmdShowOptionToolbar, kOptionToolBarId}, {kCmdShowModeToolbar, kModeToolBarId},
    {kCmdShowViewToolbar, kViewToolBarId},     {kCmdShowModelInfo, kInfoBarId},
};

// The buttons the program does not offer, by toolbar.
constexpr int kRemovedViewButtons[] = {32812, 33501, 33105};
constexpr int kRemovedModeButtons[] = {33382};
constexpr int kRemovedOptionButtons[] = {33171, 33170};

std::string PaneName(int id) {
  return std::to_string(id);
}

// The names of the panes a saved arrangement lists.
std::vector<std::string> PaneNamesOf(const std::string& perspective) {
  std::vector<std::string> names;
  size_t at = 0;
  while ((at = perspective.find("name=", at)) != std::string::npos) {
    at += 5;
    const size_t end = perspective.find_first_of(";|", at);
    names.push_back(perspective.substr(at, end == std::string::npos ? std::string::npos : end - at));
  }
  return names;
}

}  // namespace detail_MainFrame

std::string GetMainMenuPathOfCommand(int command) {
  auto* frame = dynamic_cast<CMainFrame*>(GetMainFrame());
  if (frame) {
    const std::string path = frame->GetMenu().GetCommandPath(command);
    if (!path.empty()) return path;
  }
  // Before the window exists (and for a command taken out of the menu) the table
  // still knows where the command stands.
  const CommandInfo* info = FindCommand(command);
  return info && !(info->flags & kCommandTakenOut) ? GetCommandMenuPath(command) : std::string();
}

void CMainFrame::SetDocumentCloseDown(std::function<void()> closeDown) {
  detail_MainFrame::DocumentCloseDown() = std::move(closeDown);
}

CMainFrame::CMainFrame() : NewFrame(kProductTitle, GetSavedWindowRect().GetSize()) {
  ApplyStartLayoutViewTypes();
  mAui.SetManagedWindow(this);
  mAui.SetFlags(wxAUI_MGR_DEFAULT | wxAUI_MGR_ALLOW_ACTIVE_PANE | wxAUI_MGR_LIVE_RESIZE);
  mAui.AddPane(mClientArea, wxAuiPaneInfo().Name("panes").CenterPane().PaneBorder(false));
  // Every run starts in the layout the settings keep (Layout2 at first) until a
  // scene chooses another.
  SetLayout(GetLayoutRecord(GetStartLayout().layout) ? GetStartLayout().layout : static_cast<int>(kLayout2));

  CreateToolBars();
  CreateMenu();
  CreateDockingBars();
  DockDefault();
  LoadBarState();
  mAui.Update();

  // Keys that no menu item carries: those without an item, and Tab, which GTK
  // menus refuse.
  std::vector<wxAcceleratorEntry> keys;
  for (const CommandInfo& info : GetCommandTable()) {
    int flags = 0, key = 0;
    if (!ParseAccelerator(info.accel, flags, key)) continue;
    if (key == kKeyTab && !(info.flags & kCommandTakenOut)) {
      keys.emplace_back(wxACCEL_NORMAL, WXK_TAB, ToWxId(info.id));
      continue;
    }
    if (!(info.flags & kCommandKeyOnly)) continue;
    wxAcceleratorEntry entry;
    if (entry.FromString(wxString::FromUTF8(WxAcceleratorText(info.accel)))) {
      entry.Set(entry.GetFlags(), entry.GetKeyCode(), ToWxId(info.id));
      keys.push_back(entry);
    }
  }
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));

  for (const auto& toggle : detail_MainFrame::kBarToggles) {
    Bind(wxEVT_MENU, &CMainFrame::OnToggleBar, this, ToWxId(toggle.command));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateToggleBar, this, ToWxId(toggle.command));
    SetCommandAvailable(toggle.command, true);
  }
  Bind(
      wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, ToWxId(kCmdAppExit));
  SetCommandAvailable(kCmdAppExit, true);
  Bind(wxEVT_MENU_HIGHLIGHT, &CMainFrame::OnMenuHighlight, this);
  Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
  Bind(wxEVT_ACTIVATE, &CMainFrame::OnActivate, this);
  InstallMenuPathProvider(GetMainMenuPathOfCommand);
  // The Tour menu, and the tour in saved scenes.
  mTourCommands = std::make_unique<TourCommands>(this);
  AddCommandTarget(mTourCommands.get());
  InstallTourSection();

  const ViewListState& views = GetViewGroup()->views;
  NewView* active = views.active ? views.active : views.first;
  if (active) {
    if (auto* pane = dynamic_cast<PaneWindow*>(active->GetWindow())) pane->GetCanvas()->SetFocus();
  }
}

CMainFrame::~CMainFrame() {
  if (mTourCommands) RemoveCommandTarget(mTourCommands.get());
  mAui.UnInit();
}

CToolBarEx* CMainFrame::GetToolBar(int id) const {
  for (CToolBarEx* bar :
       std::initializer_list<CToolBarEx*>{mMainToolBar, mTourToolBar, mOptionToolBar, mModeToolBar, mViewToolBar}) {
    if (bar && bar->GetId() == id) return bar;
  }
  return nullptr;
}

void CMainFrame::CreateToolBars() {
  mMainToolBar = new MainToolBar(this);
  mTourToolBar = new TourToolBar(this);
  mOptionToolBar = new OptionToolBar(this);
  mModeToolBar = new ModeToolBar(this);
  mViewToolBar = new ViewToolBar(this);

  // The edge-style buttons only carry the images of the styles; the one button
  // "Choose Geomag Edge Style" shows the current style's.
  for (int style = 0; style < 11; ++style) {
    const CommandInfo* info = FindCommand(kCmdGeomagStyles[style]);
    mGeomagImages[style] = info && info->icon ? info->icon : "";
    mOptionToolBar->DeleteButton(kCmdGeomagStyles[style]);
  }
  SetGeomagStyleButton(0);

  for (int id : detail_MainFrame::kRemovedViewButtons) mViewToolBar->DeleteButton(id);
  for (int id : detail_MainFrame::kRemovedModeButtons) mModeToolBar->DeleteButton(id);
  for (int id : detail_MainFrame::kRemovedOptionButtons) mOptionToolBar->DeleteButton(id);
  for (CToolBarEx* bar :
       std::initializer_list<CToolBarEx*>{mMainToolBar, mTourToolBar, mOptionToolBar, mModeToolBar, mViewToolBar})
    RemoveDoubleToolbarSeparators(bar);

  // The combos in their slots: a toolbar whose combos cannot be made is a window
  // that cannot work.
  if (!mMainToolBar->CreateCombos() || !mOptionToolBar->CreateCombos())
    ShowInternalError("CMainFrame: Couldn't create the toolbars' combo boxes");
}

void CMainFrame::CreateMenu() {
  mMenu.SetIconSize(16, 16);
  mMenu.LoadMenu();
  for (int id : {kMainToolBarId, kTourToolBarId, kOptionToolBarId, kModeToolBarId, kViewToolBarId})
    mMenu.LoadToolbar(GetToolbarResource(id));

  // The program shows neither the four-dimensional nor the debugging menu.
  wxMenuBar* bar = mMenu.GetMenuBar();
  for (int i = static_cast<int>(bar->GetMenuCount()) - 1; i >= 0; --i) {
    const std::string label = bar->GetMenuLabel(i).utf8_string();
    if (MenuTextEquals(label.c_str(), "4D") || MenuTextEquals(label.c_str(), "Debug")) mMenu.DeleteTopMenu(i);
  }
  for (const CommandInfo& info : GetCommandTable()) {
    if (info.flags & kCommandTakenOut) mMenu.DeleteODMenu(info.id);
  }
  mMenu.ModifyODMenu("Export Image...\tX", kCmdExportImage, "");
  // GTK shows no accelerator text that names no key: "Ctrl+1-6" stays out.
  mMenu.ModifyODMenu("Choose &Layout...", kCmdChooseLayout, "layout");
  char text[128];
  std::snprintf(text, sizeof text, "%s &Manual...\tF1", kManualName);
  mMenu.ModifyODMenu(text, kCmdHelpManual, "");
  std::snprintf(text, sizeof text, "&About %s...", kProductTitle);
  mMenu.ModifyODMenu(text, kCmdAppAbout, "");
  mMenu.RemoveExtraSeparators();
  mMenu.AttachTo(this);
}

void CMainFrame::CreateDockingBars() {
  mInfoBar = new InfoBar;
  mInfoBar->CreateBar(this);
  mTourBar = new CTourBar;
  mTourBar->CreateBar(this);
  for (CSizingControlBarCF* bar :
       {static_cast<CSizingControlBarCF*>(mInfoBar), static_cast<CSizingControlBarCF*>(mTourBar)}) {
    // The bars fill themselves with their one child; the manager's sashes size them.
    bar->SetSizingStyle((bar->GetSizingStyle() & ~kSizingEdgeBits) | kSizingSizeChild);
    bar->SetManager(&mAui);
  }
  if (wxFont font(wxFontInfo(9).FaceName(mInfoBar->GetCaptionFace())); font.IsOk())
    mAui.GetArtProvider()->SetFont(wxAUI_DOCKART_CAPTION_FONT, font);
}

void CMainFrame::DockDefault() {
  using detail_MainFrame::PaneName;
  auto toolbar = [&](CToolBarEx* bar, int row, int position) {
    mAui.AddPane(bar, wxAuiPaneInfo()
                          .Name(PaneName(bar->GetId()))
                          .Caption(wxString::FromUTF8(bar->GetTitle()))
                          .ToolbarPane()
                          .Top()
                          .Row(row)
                          .Position(position)
                          .LeftDockable(true)
                          .RightDockable(true));
  };
  toolbar(mMainToolBar, 0, 0);
  toolbar(mTourToolBar, 0, 1);
  toolbar(mOptionToolBar, 1, 0);
  toolbar(mModeToolBar, 2, 0);
  toolbar(mViewToolBar, 2, 1);
  // The tour bar sits below the information bar in the same column.
  auto dockingBar = [&](CSizingControlBarCF* bar, int position) {
    mAui.AddPane(bar, wxAuiPaneInfo()
                          .Name(PaneName(bar->GetControlId()))
                          .Caption(wxString::FromUTF8(bar->GetTitle()))
                          .Right()
                          .Layer(1)
                          .Row(0)
                          .Position(position)
                          .CloseButton(true)
                          .Gripper(false)
                          .BestSize(bar->GetVertSize())
                          .MinSize(CSizingControlBar::kMinVert)
                          .FloatingSize(bar->GetFloatSize()));
  };
  dockingBar(mInfoBar, 0);
  dockingBar(mTourBar, 1);
}

void CMainFrame::SaveBarState() {
  CSizingControlBar::GlobalSaveState(mAui, kBarStateProfile);
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), kBarStateSection, nullptr);
  if (!key) return;
  SetRegistryString(key.get(), kBarStateValue, mAui.SavePerspective().utf8_string().c_str());
  CloseSettingsKey(*key);
}

bool CMainFrame::LoadBarState() {
  std::string state;
  {
    RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), kBarStateSection, nullptr);
    if (!key || !GetRegistryCString(key.get(), kBarStateValue, state) || state.empty()) return false;
  }
  // A state that names a bar this frame does not have is ignored whole.
  const std::vector<std::string> names = detail_MainFrame::PaneNamesOf(state);
  if (names.empty()) return false;
  for (const std::string& name : names) {
    if (!mAui.GetPane(wxString::FromUTF8(name)).IsOk()) return false;
  }
  // Bars the state does not name (a state saved before they existed) keep the places
  // the frame gave them.
  const std::set<std::string> named(names.begin(), names.end());
  std::vector<wxAuiPaneInfo> unnamed;
  wxAuiPaneInfoArray& panes = mAui.GetAllPanes();
  for (size_t i = 0; i < panes.GetCount(); ++i) {
    if (!named.count(panes[i].name.utf8_string())) unnamed.push_back(panes[i]);
  }
  CSizingControlBar::GlobalLoadState(mAui, kBarStateProfile);
  if (!mAui.LoadPerspective(wxString::FromUTF8(state), false)) return false;
  for (const wxAuiPaneInfo& info : unnamed) mAui.GetPane(info.window).SafeSet(info);
  for (size_t i = 0; i < panes.GetCount(); ++i) {
    if (auto* bar = dynamic_cast<CSizingControlBar*>(panes[i].window)) bar->ApplySizesToManager();
  }
  return true;
}

wxWindow* CMainFrame::BarOfCommand(int command) const {
  for (const auto& toggle : detail_MainFrame::kBarToggles) {
    if (toggle.command != command) continue;
    if (toggle.barId == kInfoBarId) return mInfoBar;
    return GetToolBar(toggle.barId);
  }
  return nullptr;
}

bool CMainFrame::IsBarShown(wxWindow* bar) {
  if (!bar) return false;
  const wxAuiPaneInfo& pane = mAui.GetPane(bar);
  return pane.IsOk() && pane.IsShown();
}

void CMainFrame::ToggleBar(wxWindow* bar) {
  wxAuiPaneInfo& pane = mAui.GetPane(bar);
  if (!pane.IsOk()) return;
  pane.Show(!pane.IsShown());
  mAui.Update();
}

void CMainFrame::OnToggleBar(wxCommandEvent& event) {
  const int command = FromWxId(event.GetId());
  if (command == kCmdShowModelInfo) ExitFullScreen(*GetViewGroup());
  ToggleBar(BarOfCommand(command));
}

void CMainFrame::OnUpdateToggleBar(wxUpdateUIEvent& event) {
  event.Enable(true);
  event.Check(IsBarShown(BarOfCommand(FromWxId(event.GetId()))));
}

void CMainFrame::FillSymmetryCombos() {
  if (!mOptionToolBar) return;
  mOptionToolBar->UpdateSymmetryCombo();
  mOptionToolBar->UpdateRotationalCombo();
  mOptionToolBar->UpdateReflectiveCombo();
}

bool CMainFrame::SelectSubSymmetry(int rotational, int reflective, bool force) {
  Poly* poly = GetCurrentPoly();
  if (!poly || !mOptionToolBar) return false;
  if (rotational > 0 || reflective >= 1) {
    mOptionToolBar->FillSymmetryCombo(force);
    mOptionToolBar->FillRotationalCombo(force);
    mOptionToolBar->FillReflectiveCombo(force);
  }
  mOptionToolBar->GetRotationalCombo()->SetSelection(rotational);
  mOptionToolBar->GetReflectiveCombo()->SetSelection(reflective);
  const SymGroup* full = poly->mFullSymGroup ? poly->mFullSymGroup : poly->mSymGroup;
  mOptionToolBar->GetSymmetryCombo()->SetCurSel(SymGroup::FindSubgroupIndex(full, rotational, reflective));
  return ApplySubSymmetry(*poly, rotational, reflective);
}

namespace detail_MainFrame {

void UpdateCmdText(wxUpdateUIEvent& event, const std::function<bool(std::string&)>& rewrite) {
  NewFrame* frame = GetMainFrame();
  wxMenuBar* bar = frame ? frame->GetMenuBar() : nullptr;
  wxMenuItem* item = bar ? bar->FindItem(event.GetId()) : nullptr;
  if (!item) return;
  std::string text = item->GetItemLabel().utf8_string();
  if (text.size() > 80) text.resize(80);
  if (rewrite(text)) event.SetText(wxString::FromUTF8(text));
}

}  // namespace detail_MainFrame

void UpdateCmdTextForDual(wxUpdateUIEvent& event, bool allowVertex) {
  detail_MainFrame::UpdateCmdText(event, [&](std::string& text) { return SwapElementWords(text, allowVertex); });
}

void UpdateCmdTextForCells(wxUpdateUIEvent& event) {
  detail_MainFrame::UpdateCmdText(event, [](std::string& text) { return SwapFaceCellWords(text); });
}

void CMainFrame::SetGeomagStyleButton(int style) {
  if (style < 0 || style > 10) return;
  mGeomagStyle = style;
  SetGeomagRodStyle(style);
  if (mOptionToolBar) mOptionToolBar->SetButtonImage(kCmdChooseGeomagStyle, mGeomagImages[style]);
  RedrawAllViews(*GetViewGroup(), false, false);
}

void CMainFrame::SetLayout(int index) {
  const int current = GetCurrentLayoutIndex();
  if (index == current || !GetLayoutRecord(index)) return;
  PaneViewMaker& maker = GetPaneViewMaker();
  ViewGroup& group = *GetViewGroup();
  int stereo = kStereoNone;
  if (auto* first = dynamic_cast<OpenGLView*>(group.views.first)) stereo = first->Stereo().GetStereoMode();
  KeepShownViewTypes(group);
  NewFrame::SetLayout(index);
  int pane = 0;
  for (NewView* v = group.views.first; v && pane < kMaxPanes; v = v->GetNext(), ++pane)
    maker.SetViewType(v, GetLayoutViewType(index, pane));
  if (stereo >= 0) SetStereoModeAllViews(group, stereo);
  if ((current == kLayout1) != (index == kLayout1)) {
    for (CToolBarEx* bar :
         std::initializer_list<CToolBarEx*>{mMainToolBar, mTourToolBar, mOptionToolBar, mModeToolBar, mViewToolBar}) {
      if (bar) bar->Refresh();
    }
  }
}

void KeepShownViewTypes(const ViewGroup& group) {
  const int current = GetCurrentLayoutIndex();
  if (current < 0 || current >= kNumLayouts) return;
  PaneViewMaker& maker = GetPaneViewMaker();
  int pane = 0;
  for (NewView* v = group.views.first; v && pane < kMaxPanes; v = v->GetNext(), ++pane) {
    const int type = maker.GetViewType(v);
    if (type >= 0) SetLayoutViewType(current, pane, type);
  }
}

bool CMainFrame::CloseDown() {
  if (mClosing) return false;
  mClosing = true;
  GetTour().StopTour();
  // Nothing may still show what the close-down frees: full screen and the running
  // dialogs end first.
  ExitFullScreen(*GetViewGroup());
  EndRunningDialogs();
  if (auto& closeDown = detail_MainFrame::DocumentCloseDown()) closeDown();
  ReleasePolygonListPool();
  ReleasePolygonVertexPool();
  ClearFaceDiagramPools();
  SaveBarState();
  const bool result = NewFrame::CloseDown();
  mClosing = false;
  return result;
}

void CMainFrame::OnMenuHighlight(wxMenuEvent& event) {
  const int id = FromWxId(event.GetMenuId());
  if (id < kFirstCommandId || id > kLastCommandId) {
    event.Skip();
    return;
  }
  StatusPrintf("%s", RewriteCommandText(id, GetCommandPrompt(id), 256).c_str());
}

void CMainFrame::OnIdle(wxIdleEvent& event) {
  // Tooltips speak of the element kind the user works on.
  for (CToolBarEx* bar : std::initializer_list<CToolBarEx*>{mOptionToolBar, mModeToolBar, mViewToolBar}) {
    if (!bar) continue;
    for (int command : bar->GetButtonCommands()) {
      if (GetElementWordRule(command) == ElementWordRule::None) continue;
      const wxString tip = wxString::FromUTF8(RewriteCommandText(command, GetCommandPrompt(command), 80));
      if (wxAuiToolBarItem* item = bar->FindTool(ToWxId(command)); item && item->GetShortHelp() != tip)
        item->SetShortHelp(tip);
    }
  }
  if (mInfoBar) mInfoBar->UpdateActive();
  if (mTourBar) mTourBar->UpdateActive();
  // The information tree is rebuilt when something asked for it and it is in sight.
  UpdateInfoIfNeeded();
  event.Skip();
}

void CMainFrame::OnActivate(wxActivateEvent& event) {
  if (!event.GetActive()) ExitFullScreen(*GetViewGroup());
  event.Skip();
}

}  // namespace corvia
