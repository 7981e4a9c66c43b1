#pragma once
// The information bar: a docking bar titled "Info" holding the tree of what is known
// of the current model (ui/InfoContents.h gives the lines). Anything that changes
// what the tree shows calls InvalidateInfo with its reasons; idle time rebuilds the
// tree only while the bar is shown, keeping the branches the user opened and the
// item at the top. Selecting a type's line selects an element of that type in the
// model, and selecting an element in a pane selects its type's line. The expanded
// branches are kept in the settings under "ExpandedInfoItems", the top item as
// "TopInfoItem".

#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/InfoContents.h"
#include "ui/SizingControlBar.h"

namespace corvia {

class InfoBar;

// Update reasons (any code ORs them in): sizes or units, nets, stellation or the
// side shown, the model itself; 0x10 keeps the remembered top item.
constexpr unsigned kInfoUpdateSizes = 0x1;
constexpr unsigned kInfoUpdateNets = 0x2;
constexpr unsigned kInfoUpdateStellation = 0x7;
constexpr unsigned kInfoUpdateModel = 0xf;
constexpr unsigned kInfoUpdateKeepTop = 0x10;

// The right-click menu's commands.
constexpr int kInfoEditCommand = 61452;
constexpr int kInfoOpenLinkCommand = 61456;
// The status-bar prompt of the tree.
extern const char* const kInfoTreePrompt;
// The settings sub-key of the expansion flags.
constexpr const char* kInfoExpansionKey = "ExpandedInfoItems";

class InfoTree : public wxTreeCtrl, public InfoSink {
 public:
  InfoTree(InfoBar* bar, wxWindowID id);

  // InfoSink: lines go in as the last child of their parent.
  Item AddItem(int key, Item parent, const std::string& text) override;
  void ExpandItem(Item item) override;

  static int KeyOf(const wxTreeCtrl* tree, const wxTreeItemId& item);
  // The key of the item the last right-click menu was opened on.
  int GetMenuKey() const { return mMenuKey; }
  // The menu a right-click on an item of the key gives: its entries (command, text).
  static std::vector<std::pair<int, std::string>> GetMenuEntries(int key);
  // Runs a command of the menu for the remembered key.
  void RunMenuCommand(int command);
  // Scrolls the item to the top of the tree.
  void ScrollItemToTop(const wxTreeItemId& item);
  // Opens the item and every branch below it ('*'). Branches whose lines only the
  // rebuild that opening them asks for makes (the lists, the stellation, the nets) are
  // opened after that rebuild, for as many more rebuilds as passes allows.
  void OpenAll(const wxTreeItemId& item, int passes);
  // The rebuild calls these: as it begins (a walk over the items stops), and once it
  // is over ('*' goes on below the branches it filled).
  void NoteRebuild() { ++mRebuilds; }
  void GoOnOpeningAll();

 private:
  // '+', '-' and '*' (and their keypad keys) open, close, and open with every branch
  // below, the item that has the keys; with none (the hidden root holds the selection)
  // nothing happens. Every other key is the tree's own.
  void OnChar(wxKeyEvent& event);
  // Opens the item and every branch below it; false when the tree was rebuilt on the
  // way (a box that work put up lets idle time in), its items gone.
  bool ExpandBranch(const wxTreeItemId& item);
  void OnExpanded(wxTreeEvent& event);
  void OnSelChanged(wxTreeEvent& event);
  void OnRightDown(wxMouseEvent& event);
  void OnItemMenu(wxTreeEvent& event);
  void OnBeginLabelEdit(wxTreeEvent& event);
  void OnMotion(wxMouseEvent& event);

  InfoBar* mBar;
  int mMenuKey = -1;
  unsigned mRebuilds = 0;
  // The key of the item '*' goes on opening after the next rebuild (-1: none), and the
  // rebuilds it may still go on after.
  int mOpenAllKey = -1;
  int mOpenAllPasses = 0;
};

class InfoBar : public CSizingControlBarCF {
 public:
  static const wxSize kFloatSize;
  static const wxSize kMinVertSize;

  InfoBar();
  ~InfoBar() override;
  // Makes the bar (title "Info") and its tree; false on failure.
  bool CreateBar(wxWindow* parent);
  InfoTree* GetTree() const { return mTree; }

  // Moves the tree's selection to the line of the selected element's type (kind 0
  // cell, 1 face, 2 edge, 3 vertex); a negative index, or a list not shown, clears it.
  void MarkSelectedType(int kind, int index, bool dual);
  // Reads the model's selection and marks its line.
  void ShowSelectedElement();
  // Set while a selection in the tree is passed on to the model.
  bool IsPassingSelection() const { return mTreeSelection; }
  void SetPassingSelection(bool on) { mTreeSelection = on; }

 private:
  InfoTree* mTree = nullptr;
  bool mTreeSelection = false;
};

// The one information bar (null while there is none); the main window makes it.
InfoBar* GetInfoBar();

unsigned InvalidateInfo(unsigned reasons);
unsigned GetInfoUpdateFlags();
// From idle time: rebuilds when anything asked for it and the bar is shown.
void UpdateInfoIfNeeded();
// Rebuilds the tree; false (doing nothing) while the bar is not shown, true at once
// while a rebuild runs already.
bool UpdateInfoTree(InfoBar* bar, unsigned flags);
bool IsInfoBarVisible();
bool IsInfoRebuilding();

// The key of the first visible item (remembered), and scrolling a key's item to the
// top.
int GetInfoFirstVisibleKey();
void SetInfoFirstVisibleKey(int key);
// The item of a key (see the tree's order): in exact mode that key's first item or
// none; in nearest mode the last item before where it would stand.
wxTreeItemId FindItemInTree(wxTreeCtrl* tree, int key, bool exact);
// True when the item has exactly one child, the placeholder; with remove it goes.
bool HasPlaceholderChild(wxTreeCtrl* tree, const wxTreeItemId& item, bool remove);

// The expansion flags in the settings: each key's flag as 1 or 0; loading starts
// from the defaults and takes the stored values.
void SaveInfoExpansion();
void LoadInfoExpansion();
// "TopInfoItem": the key name of the first visible item.
std::string GetInfoTopItemSetting();
void SetInfoTopItemSetting(const char* name);

// The command that "Edit ..." of the right-click menu runs for a key: the Edit menu's
// base name, dual name and comments; 0 for the keys whose edits (the link, the scale
// of the measurements) have no command in this build, whose entries stay disabled.
int GetInfoEditCommand(int key);
// Opens the model's link: web and mail addresses only, anything else is refused
// with the same message as a link that cannot be opened.
bool OpenInfoLink(const char* link);

}  // namespace corvia
