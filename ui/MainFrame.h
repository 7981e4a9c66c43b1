#pragma once
// The program's one top-level window: the frame base with its layouts, the menu
// bar made from the command table, the five toolbars, the information bar and the
// tour bar, all docked by one wxAUI manager whose arrangement is kept in the
// settings, the rewriting of command texts for the selected element kind, and the
// close-down of the program.

#include <wx/aui/framemanager.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/InfoBar.h"
#include "ui/NewFrame.h"
#include "ui/OwnerDrawMenu.h"
#include "ui/Toolbars.h"
#include "ui/TourBar.h"

namespace corvia {

class CSizingControlBarCF;

// Control ids of the docking bars.
constexpr int kInfoBarId = 61451;
constexpr int kInfoTreeId = 61450;
constexpr int kTourBarId = 298;
// Where the arrangement of the bars is kept: the profile name of the bars' sizes and
// the one settings value of the whole arrangement.
constexpr const char* kBarStateProfile = "BarState";
constexpr const char* kBarStateValue = "BarState";
constexpr const char* kBarStateSection = "Settings";
// The help menu's names.
constexpr const char* kManualName = "Corvia";
constexpr const char* kProductTitle = "Corvia";

class CMainFrame : public NewFrame {
 public:
  CMainFrame();
  ~CMainFrame() override;

  // NewFrame: the panes keep the view types each layout last showed.
  using NewFrame::SetLayout;
  void SetLayout(int index) override;
  bool CloseDown() override;

  OwnerDrawMenu& GetMenu() { return mMenu; }
  wxAuiManager& GetAuiManager() { return mAui; }
  MainToolBar* GetMainToolBar() const { return mMainToolBar; }
  TourToolBar* GetTourToolBar() const { return mTourToolBar; }
  OptionToolBar* GetOptionToolBar() const { return mOptionToolBar; }
  ModeToolBar* GetModeToolBar() const { return mModeToolBar; }
  ViewToolBar* GetViewToolBar() const { return mViewToolBar; }
  using NewFrame::GetToolBar;
  CToolBarEx* GetToolBar(int id) const;
  InfoBar* GetInfoBar() const { return mInfoBar; }
  CTourBar* GetTourBar() const { return mTourBar; }

  // Shows a hidden bar, hides a shown one (a toolbar or a docking bar).
  void ToggleBar(wxWindow* bar);
  bool IsBarShown(wxWindow* bar);
  // The arrangement of the bars: saved into the settings, restored from them (a
  // state that names a bar the frame lacks is ignored whole; bars it does not name
  // keep their places beside their neighbours).
  void SaveBarState();
  bool LoadBarState();

  // Refills the option toolbar's symmetry, rotational and reflective combos for the
  // current model.
  void FillSymmetryCombos();
  // Shows the sub-symmetry (rotational and reflective list positions) in the option
  // toolbar's combos and applies it to the current model (force refills the lists);
  // false when the subgroup does not exist. A scene or an undo step calls it.
  bool SelectSubSymmetry(int rotational, int reflective, bool force);

  // The construction-toy edge style 0-10: its image on the option toolbar's
  // "Choose Geomag Edge Style" button.
  void SetGeomagStyleButton(int style);
  int GetGeomagStyle() const { return mGeomagStyle; }

  // Runs at close-down after the panes' work is stopped and before the settings go:
  // the document's part (stopping the tour, saving its settings, freeing its state).
  static void SetDocumentCloseDown(std::function<void()> closeDown);

 protected:
  // The status-bar prompt of a highlighted menu item, in the words of the element
  // kind the user works on.
  void OnMenuHighlight(wxMenuEvent& event);

 private:
  void CreateToolBars();
  void CreateMenu();
  void CreateDockingBars();
  void DockDefault();
  void OnToggleBar(wxCommandEvent& event);
  void OnUpdateToggleBar(wxUpdateUIEvent& event);
  void OnIdle(wxIdleEvent& event);
  void OnActivate(wxActivateEvent& event);
  wxWindow* BarOfCommand(int command) const;

  wxAuiManager mAui;
  OwnerDrawMenu mMenu;
  MainToolBar* mMainToolBar = nullptr;
  TourToolBar* mTourToolBar = nullptr;
  OptionToolBar* mOptionToolBar = nullptr;
  ModeToolBar* mModeToolBar = nullptr;
  ViewToolBar* mViewToolBar = nullptr;
  InfoBar* mInfoBar = nullptr;
  CTourBar* mTourBar = nullptr;
  std::unique_ptr<TourCommands> mTourCommands;
  // The image of each construction-toy edge style, by style.
  std::string mGeomagImages[11];
  int mGeomagStyle = 0;
  bool mClosing = false;
};

// The view types a frame's panes show now, kept in the table of the current layout's
// view types (before the layout changes, and for the settings: the main window's).
void KeepShownViewTypes(const ViewGroup& group);

// The main window's menu path of a command ("View->Toolbars->Show Main Toolbar").
std::string GetMainMenuPathOfCommand(int command);

// Update handlers' rewriting of a menu item's text for the element kind the user works
// on: the item's text as the menu has it, rewritten, and set only when it changed.
void UpdateCmdTextForDual(wxUpdateUIEvent& event, bool allowVertex);
void UpdateCmdTextForCells(wxUpdateUIEvent& event);

}  // namespace corvia
