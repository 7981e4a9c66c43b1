#pragma once
// NewTreeCtrl: the tree of dialogs. Every item can carry a 32-bit value and a
// folder; a folder item shows its subfolders, read from the disk when it is first
// expanded. The owner hears of selection changes through one function. Items can be
// dragged within the tree (when a derived tree allows it): a line shows where the
// branch will go, or the target lights up when it would become its child, and
// resting on a collapsed item opens it. Labels cannot be edited in place. The root is
// hidden: the items added under GetRootItem() are the top level.

#include <wx/timer.h>
#include <wx/treectrl.h>

#include <cstdint>
#include <string>

namespace corvia {

// Where a dragged branch goes, relative to the target item.
enum TreeDropPosition : int {
  kDropNone = 0,
  kDropAbove = 1,   // before the target, under the same parent
  kDropOnto = 2,    // the target's last child
  kDropBelow = 3,   // after the target, under the same parent
  kDropAtEnd = 4,   // the end of the top level
};

// The text of the child that stands for subfolders not read yet.
constexpr const char* kTreePlaceholderText = "/";

class NewTreeCtrl : public wxTreeCtrl {
 public:
  using SelChangeCallback = void (*)(wxTreeItemId item, NewTreeCtrl* tree, uintptr_t userWord);

  // What an item carries.
  struct ItemRecord : wxTreeItemData {
    bool hasFolder = false;
    std::string folder;  // when hasFolder: the folder the item shows
    uint32_t value = 0;
  };

  NewTreeCtrl() = default;
  NewTreeCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = wxTR_DEFAULT_STYLE);
  ~NewTreeCtrl() override;
  bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size = wxDefaultSize,
              long style = wxTR_DEFAULT_STYLE);
  // Takes the place of the dialog's item of that id: its parent, rectangle, id,
  // style and sizer slot, with a sunken border. False when there is no such item.
  bool Create(wxWindow* dialog, int itemId);

  // The item's record, made on first use; null for the root and an invalid item.
  ItemRecord* GetItemRecord(const wxTreeItemId& item);
  uint32_t GetItemValue(const wxTreeItemId& item) const;
  bool SetItemValue(const wxTreeItemId& item, uint32_t value);
  // Makes the item show the folder; when it has subfolders the item gets the
  // placeholder child that gives it its expand button.
  void SetItemFolder(const wxTreeItemId& item, const char* folder);
  // The first item, depth first, with the value; folder items and their branches
  // are passed over. Invalid when none.
  wxTreeItemId FindItemByValue(uint32_t value);
  void SetSelChangeCallback(SelChangeCallback callback, uintptr_t userWord);

  // The folder an item stands for: its own, or its parent's with the item's text as
  // a subfolder. False for an item below no folder.
  bool GetItemFolderPath(const wxTreeItemId& item, std::string& path) const;
  // Makes that folder the process's current folder; false when it does not exist.
  bool SetCurrentDirToItem(const wxTreeItemId& item);
  // Copies the item with its record and all its children under the new parent after
  // the sibling (first when `after` is invalid); the copy.
  wxTreeItemId CopyBranch(const wxTreeItemId& item, const wxTreeItemId& newParent, const wxTreeItemId& after);
  // The copy made, then the item deleted with its children.
  wxTreeItemId MoveBranch(const wxTreeItemId& item, const wxTreeItemId& newParent, const wxTreeItemId& after);
  // Whether the item is the placeholder of unread subfolders.
  bool IsPlaceholder(const wxTreeItemId& item) const;

  // Dragging. A drag begins on an item the tree allows, follows the pointer (screen
  // coordinates), and ends in a drop or is cancelled. The mouse does these; they are
  // public for the owner and for tests.
  bool BeginDragItem(const wxTreeItemId& item);
  void DragTo(const wxPoint& screenPoint);
  void EndDrag(bool drop);
  static bool IsDragging();
  // The drop position of a screen point in this tree, with its target item.
  TreeDropPosition GetDropPosition(const wxPoint& screenPoint, wxTreeItemId& target) const;
  // The drop feedback shown now: the item and the position (kDropNone for none).
  TreeDropPosition GetDropFeedback(wxTreeItemId& item) const;

  // How long the pointer rests on an item before a drag opens it.
  static constexpr int kHoverExpandMs = 750;

 protected:
  // Whether the item may be dragged; none by default.
  virtual bool CanDragItem(const wxTreeItemId& item);
  // Carries out the drop onto the target of the window under the pointer; by
  // default moves the dragged branch within this tree and ignores other windows.
  virtual void OnDropItem(wxWindow* window, const wxTreeItemId& target, TreeDropPosition position);
  // The item being dragged.
  static wxTreeItemId GetDraggedItem();

 private:
  const ItemRecord* FindRecord(const wxTreeItemId& item) const;
  void FillFolderItem(const wxTreeItemId& item);
  void ShowDropFeedback(const wxTreeItemId& target, TreeDropPosition position);
  void HideDropFeedback();
  bool IsDropRefused(const wxTreeItemId& target, TreeDropPosition position) const;
  void OnItemExpanding(wxTreeEvent& event);
  void OnSelChanged(wxTreeEvent& event);
  void OnBeginDrag(wxTreeEvent& event);
  void OnBeginLabelEdit(wxTreeEvent& event);
  void OnEndLabelEdit(wxTreeEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnRightDown(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnHoverTimer(wxTimerEvent& event);

  SelChangeCallback mCallback = nullptr;
  uintptr_t mUserWord = 0;
  wxTimer mHoverTimer;
  wxWindow* mInsertMark = nullptr;
  wxTreeItemId mFeedbackItem;
  TreeDropPosition mFeedbackPosition = kDropNone;

  wxDECLARE_DYNAMIC_CLASS(NewTreeCtrl);
};

}  // namespace corvia
