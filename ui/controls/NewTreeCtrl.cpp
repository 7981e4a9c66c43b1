#include "ui/controls/NewTreeCtrl.h"

#include <wx/settings.h>

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "core/Paths.h"
#include "ui/controls/DialogItemPlace.h"
#include "ui/controls/DragImage.h"

namespace corvia {

wxIMPLEMENT_DYNAMIC_CLASS(NewTreeCtrl, wxTreeCtrl);

namespace detail_NewTreeCtrl {

constexpr int kHoverTimerId = 2;
// Within this many pixels of an item's top or bottom a drop goes above or below it.
constexpr int kEdgeBand = 4;
constexpr int kInsertMarkHeight = 2;

// The one drag in progress, whichever tree it started in.
struct DragState {
  NewTreeCtrl* source = nullptr;
  wxTreeItemId dragged;
  wxTreeItemId target;
  TreeDropPosition position = kDropNone;
  NewTreeCtrl* feedbackTree = nullptr;
  wxPoint lastPoint;
  bool dragging = false;
};

DragState& Drag() {
  static DragState state;
  return state;
}

// The tree a window belongs to, if it is one of ours.
NewTreeCtrl* TreeOfWindow(wxWindow* window) {
  for (; window; window = window->GetParent()) {
    if (auto* tree = dynamic_cast<NewTreeCtrl*>(window)) return tree;
    if (window->IsTopLevel()) break;
  }
  return nullptr;
}

wxWindow* WindowUnderPoint(const wxPoint& screenPoint) { return wxFindWindowAtPoint(screenPoint); }

// Whether the folder exists and holds at least one folder.
bool HasSubfolders(const std::string& folder) {
  std::error_code error;
  std::filesystem::directory_iterator entries(NativePath(folder.c_str()), error);
  if (error) return false;
  for (const std::filesystem::directory_entry& entry : entries) {
    if (entry.is_directory(error)) return true;
  }
  return false;
}

}  // namespace detail_NewTreeCtrl

NewTreeCtrl::NewTreeCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style) {
  Create(parent, id, pos, size, style);
}

NewTreeCtrl::~NewTreeCtrl() {
  using namespace detail_NewTreeCtrl;
  DragState& drag = Drag();
  if (drag.source == this) {
    if (drag.dragging) DragImageEnd();
    drag = DragState();
  } else if (drag.feedbackTree == this) {
    drag.feedbackTree = nullptr;
  }
}

bool NewTreeCtrl::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style) {
  // The items the owner adds first are the top level: children of a hidden root.
  if (!wxTreeCtrl::Create(parent, id, pos, size, style | wxTR_HIDE_ROOT, wxDefaultValidator, "NewTreeCtrl")) {
    return false;
  }
  AddRoot(wxString());
  mHoverTimer.SetOwner(this, detail_NewTreeCtrl::kHoverTimerId);
  Bind(wxEVT_TREE_ITEM_EXPANDING, &NewTreeCtrl::OnItemExpanding, this);
  Bind(wxEVT_TREE_SEL_CHANGED, &NewTreeCtrl::OnSelChanged, this);
  Bind(wxEVT_TREE_BEGIN_DRAG, &NewTreeCtrl::OnBeginDrag, this);
  Bind(wxEVT_TREE_BEGIN_LABEL_EDIT, &NewTreeCtrl::OnBeginLabelEdit, this);
  Bind(wxEVT_TREE_END_LABEL_EDIT, &NewTreeCtrl::OnEndLabelEdit, this);
  Bind(wxEVT_MOTION, &NewTreeCtrl::OnMotion, this);
  Bind(wxEVT_LEFT_UP, &NewTreeCtrl::OnLeftUp, this);
  Bind(wxEVT_RIGHT_DOWN, &NewTreeCtrl::OnRightDown, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &NewTreeCtrl::OnCaptureLost, this);
  Bind(wxEVT_TIMER, &NewTreeCtrl::OnHoverTimer, this, detail_NewTreeCtrl::kHoverTimerId);
  return true;
}

bool NewTreeCtrl::Create(wxWindow* dialog, int itemId) {
  const DialogItemPlace place = FindDialogItemPlace(dialog, itemId);
  if (!place.item) return false;
  long style = place.item->GetWindowStyleFlag() & ~wxBORDER_MASK;
  // A plain window's style carries none of the tree's flags: then the tree's own.
  if (!dynamic_cast<wxTreeCtrl*>(place.item)) style = wxTR_DEFAULT_STYLE;
  if (!Create(place.parent, place.id, place.rect.GetPosition(), place.rect.GetSize(), style | wxBORDER_SUNKEN)) {
    return false;
  }
  ReplaceDialogItem(place, this);
  return true;
}

const NewTreeCtrl::ItemRecord* NewTreeCtrl::FindRecord(const wxTreeItemId& item) const {
  if (!item.IsOk() || item == GetRootItem()) return nullptr;
  return static_cast<const ItemRecord*>(GetItemData(item));
}

NewTreeCtrl::ItemRecord* NewTreeCtrl::GetItemRecord(const wxTreeItemId& item) {
  if (!item.IsOk() || item == GetRootItem()) return nullptr;
  auto* record = static_cast<ItemRecord*>(GetItemData(item));
  if (!record) {
    record = new ItemRecord;
    SetItemData(item, record);
  }
  return record;
}

uint32_t NewTreeCtrl::GetItemValue(const wxTreeItemId& item) const {
  const ItemRecord* record = FindRecord(item);
  return record ? record->value : 0;
}

bool NewTreeCtrl::SetItemValue(const wxTreeItemId& item, uint32_t value) {
  ItemRecord* record = GetItemRecord(item);
  if (!record) return false;
  record->value = value;
  return true;
}

void NewTreeCtrl::SetItemFolder(const wxTreeItemId& item, const char* folder) {
  ItemRecord* record = GetItemRecord(item);
  if (!record) return;
  record->hasFolder = folder != nullptr;
  record->folder = folder ? folder : "";
  if (!folder || !detail_NewTreeCtrl::HasSubfolders(record->folder)) return;
  // Set again, the folder keeps the one placeholder it has.
  wxTreeItemIdValue cookie;
  const wxTreeItemId first = GetFirstChild(item, cookie);
  if (!IsPlaceholder(first)) AppendItem(item, kTreePlaceholderText);
}

wxTreeItemId NewTreeCtrl::FindItemByValue(uint32_t value) {
  // Depth first without recursion: children before later siblings.
  wxTreeItemIdValue cookie;
  wxTreeItemId item = GetFirstChild(GetRootItem(), cookie);
  while (item.IsOk()) {
    const ItemRecord* record = FindRecord(item);
    const bool folder = record && record->hasFolder;
    if (!folder && (record ? record->value : 0) == value) return item;
    wxTreeItemIdValue childCookie;
    wxTreeItemId next = folder ? wxTreeItemId() : GetFirstChild(item, childCookie);
    for (wxTreeItemId up = item; !next.IsOk() && up.IsOk() && up != GetRootItem(); up = GetItemParent(up)) {
      next = GetNextSibling(up);
    }
    item = next;
  }
  return wxTreeItemId();
}

void NewTreeCtrl::SetSelChangeCallback(SelChangeCallback callback, uintptr_t userWord) {
  mCallback = callback;
  mUserWord = userWord;
}

bool NewTreeCtrl::GetItemFolderPath(const wxTreeItemId& item, std::string& path) const {
  if (!item.IsOk() || item == GetRootItem()) return false;
  const ItemRecord* record = FindRecord(item);
  if (record && record->hasFolder) {
    path = record->folder;
    return true;
  }
  if (!GetItemFolderPath(GetItemParent(item), path)) return false;
  if (path.empty() || path.back() != '/') path += '/';
  path += GetItemText(item).utf8_string();
  return true;
}

bool NewTreeCtrl::SetCurrentDirToItem(const wxTreeItemId& item) {
  std::string path;
  if (!GetItemFolderPath(item, path) || !PathExists(path.c_str(), true, false)) return false;
  return chdir(NativePath(path.c_str()).c_str()) == 0;
}

bool NewTreeCtrl::IsPlaceholder(const wxTreeItemId& item) const {
  return item.IsOk() && GetItemText(item) == kTreePlaceholderText;
}

void NewTreeCtrl::FillFolderItem(const wxTreeItemId& item) {
  if (!SetCurrentDirToItem(item)) return;
  wxTreeItemIdValue cookie;
  const wxTreeItemId first = GetFirstChild(item, cookie);
  // Filled before: the children stay as they were read.
  if (!IsPlaceholder(first)) return;
  Delete(first);
  int count = 0;
  char** names = ListDirectory("*", kListFolders, &count);
  for (int i = 0; i < count; ++i) {
    const wxTreeItemId child = AppendItem(item, wxString::FromUTF8(names[i]));
    if (detail_NewTreeCtrl::HasSubfolders(names[i])) AppendItem(child, kTreePlaceholderText);
  }
  DeleteStringArray(count, names);
}

wxTreeItemId NewTreeCtrl::CopyBranch(const wxTreeItemId& item, const wxTreeItemId& newParent,
                                     const wxTreeItemId& after) {
  const wxTreeItemId copy =
      after.IsOk() ? InsertItem(newParent, after, GetItemText(item), GetItemImage(item),
                                GetItemImage(item, wxTreeItemIcon_Selected))
                   : PrependItem(newParent, GetItemText(item), GetItemImage(item),
                                 GetItemImage(item, wxTreeItemIcon_Selected));
  if (const ItemRecord* record = FindRecord(item)) {
    ItemRecord* mine = GetItemRecord(copy);
    mine->hasFolder = record->hasFolder;
    mine->folder = record->folder;
    mine->value = record->value;
  }
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = GetFirstChild(item, cookie); child.IsOk(); child = GetNextChild(item, cookie)) {
    CopyBranch(child, copy, GetLastChild(copy));
  }
  const wxTreeItemId oldParent = GetItemParent(item);
  const bool topLevel = oldParent == GetRootItem();
  const bool hiddenRoot = newParent == GetRootItem() && HasFlag(wxTR_HIDE_ROOT);
  if (!hiddenRoot && (topLevel || IsExpanded(oldParent))) Expand(newParent);
  return copy;
}

wxTreeItemId NewTreeCtrl::MoveBranch(const wxTreeItemId& item, const wxTreeItemId& newParent,
                                     const wxTreeItemId& after) {
  const wxTreeItemId copy = CopyBranch(item, newParent, after);
  Delete(item);
  return copy;
}

// ---- Dragging ----

bool NewTreeCtrl::CanDragItem(const wxTreeItemId&) { return false; }

wxTreeItemId NewTreeCtrl::GetDraggedItem() { return detail_NewTreeCtrl::Drag().dragged; }

bool NewTreeCtrl::IsDragging() { return detail_NewTreeCtrl::Drag().dragging; }

bool NewTreeCtrl::BeginDragItem(const wxTreeItemId& item) {
  using namespace detail_NewTreeCtrl;
  DragState& drag = Drag();
  if (drag.dragging || !item.IsOk()) return false;
  drag.dragged = item;
  drag.source = this;
  if (!CanDragItem(item)) return false;
  if (!HasCapture()) CaptureMouse();
  drag.target = wxTreeItemId();
  drag.position = kDropNone;
  drag.dragging = true;
  drag.lastPoint = wxGetMousePosition();
  DragImageBegin(GetItemText(item).utf8_string(), drag.lastPoint.x, drag.lastPoint.y);
  return true;
}

TreeDropPosition NewTreeCtrl::GetDropPosition(const wxPoint& screenPoint, wxTreeItemId& target) const {
  using namespace detail_NewTreeCtrl;
  target = wxTreeItemId();
  const wxPoint point = ScreenToClient(screenPoint);
  const int height = GetClientSize().y;
  wxTreeItemId last;
  wxRect lastBand;
  for (wxTreeItemId item = GetFirstVisibleItem(); item.IsOk();) {
    wxRect band;
    if (!GetBoundingRect(item, band)) break;
    if (point.y >= band.y && point.y < band.GetBottom() + 1) {
      target = item;
      if (point.y < band.y + kEdgeBand) return kDropAbove;
      if (point.y <= band.GetBottom() - kEdgeBand) return kDropOnto;
      return kDropBelow;
    }
    last = item;
    lastBand = band;
    if (band.GetBottom() >= height) break;
    item = GetNextVisible(item);
  }
  if (!last.IsOk() || point.y < lastBand.y) return kDropNone;
  target = last;
  return kDropAtEnd;
}

TreeDropPosition NewTreeCtrl::GetDropFeedback(wxTreeItemId& item) const {
  item = mFeedbackItem;
  return mFeedbackPosition;
}

void NewTreeCtrl::ShowDropFeedback(const wxTreeItemId& target, TreeDropPosition position) {
  using namespace detail_NewTreeCtrl;
  if (mFeedbackItem.IsOk() && (mFeedbackItem != target || position != kDropOnto)) {
    SetItemDropHighlight(mFeedbackItem, false);
  }
  mFeedbackItem = target;
  mFeedbackPosition = position;
  if (position == kDropOnto) {
    if (mInsertMark) mInsertMark->Hide();
    SetItemDropHighlight(target, true);
    return;
  }
  wxRect band;
  if (!GetBoundingRect(target, band)) return;
  if (!mInsertMark) {
    mInsertMark = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
    mInsertMark->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  }
  const int y = position == kDropAbove ? band.y : band.GetBottom() + 1;
  mInsertMark->SetSize(band.x, y - kInsertMarkHeight / 2, GetClientSize().x - band.x, kInsertMarkHeight);
  mInsertMark->Show();
  mInsertMark->Raise();
}

void NewTreeCtrl::HideDropFeedback() {
  if (mFeedbackItem.IsOk()) SetItemDropHighlight(mFeedbackItem, false);
  if (mInsertMark) mInsertMark->Hide();
  mFeedbackItem = wxTreeItemId();
  mFeedbackPosition = kDropNone;
}

void NewTreeCtrl::DragTo(const wxPoint& screenPoint) {
  using namespace detail_NewTreeCtrl;
  mHoverTimer.Stop();
  DragState& drag = Drag();
  if (!drag.dragging) return;
  DragImageMove(screenPoint.x, screenPoint.y);
  mHoverTimer.StartOnce(kHoverExpandMs);
  drag.lastPoint = screenPoint;
  NewTreeCtrl* tree = TreeOfWindow(WindowUnderPoint(screenPoint));
  if (!tree) return;
  wxTreeItemId target;
  const TreeDropPosition position = tree->GetDropPosition(screenPoint, target);
  if (!target.IsOk()) return;
  if (drag.feedbackTree && drag.feedbackTree != tree) drag.feedbackTree->HideDropFeedback();
  drag.target = target;
  drag.position = position;
  drag.feedbackTree = tree;
  tree->ShowDropFeedback(target, position);
}

bool NewTreeCtrl::IsDropRefused(const wxTreeItemId& target, TreeDropPosition position) const {
  const wxTreeItemId dragged = GetDraggedItem();
  if (!dragged.IsOk()) return true;
  // To the end: only a branch that is already last at the top level stays.
  if (position == kDropAtEnd) {
    return GetItemParent(dragged) == GetRootItem() && GetLastChild(GetRootItem()) == dragged;
  }
  if (target == dragged) return true;
  for (wxTreeItemId up = GetItemParent(target); up.IsOk(); up = GetItemParent(up)) {
    if (up == dragged) return true;
  }
  return position == kDropOnto && GetItemParent(dragged) == target;
}

void NewTreeCtrl::EndDrag(bool drop) {
  using namespace detail_NewTreeCtrl;
  if (HasCapture()) ReleaseMouse();
  mHoverTimer.Stop();
  DragState& drag = Drag();
  if (!drag.dragging) return;
  drag.dragging = false;
  DragImageEnd();
  if (drag.feedbackTree) drag.feedbackTree->HideDropFeedback();
  drag.feedbackTree = nullptr;
  wxWindow* window = drop ? WindowUnderPoint(drag.lastPoint) : nullptr;
  const wxTreeItemId target = drag.target;
  const TreeDropPosition position = drag.position;
  if (window && target.IsOk() && position != kDropNone) {
    NewTreeCtrl* tree = TreeOfWindow(window);
    if (tree == this) {
      if (!IsDropRefused(target, position)) OnDropItem(this, target, position);
    } else {
      OnDropItem(tree ? tree : window, target, position);
    }
  }
  drag.target = wxTreeItemId();
  drag.position = kDropNone;
  drag.dragged = wxTreeItemId();
  drag.source = nullptr;
}

void NewTreeCtrl::OnDropItem(wxWindow* window, const wxTreeItemId& target, TreeDropPosition position) {
  if (window != this) return;
  const wxTreeItemId dragged = GetDraggedItem();
  switch (position) {
    case kDropOnto:
      MoveBranch(dragged, target, GetLastChild(target));
      break;
    case kDropAbove:
      MoveBranch(dragged, GetItemParent(target), GetPrevSibling(target));
      break;
    case kDropBelow:
      MoveBranch(dragged, GetItemParent(target), target);
      break;
    case kDropAtEnd:
      MoveBranch(dragged, GetRootItem(), GetLastChild(GetRootItem()));
      break;
    default:
      break;
  }
}

// ---- Events ----

void NewTreeCtrl::OnItemExpanding(wxTreeEvent& event) {
  FillFolderItem(event.GetItem());
  event.Skip();
}

void NewTreeCtrl::OnSelChanged(wxTreeEvent& event) {
  if (mCallback) mCallback(event.GetItem(), this, mUserWord);
  event.Skip();
}

void NewTreeCtrl::OnBeginDrag(wxTreeEvent& event) {
  // The tree's own dragging stays off; this one follows the mouse itself.
  BeginDragItem(event.GetItem());
}

void NewTreeCtrl::OnBeginLabelEdit(wxTreeEvent& event) { event.Veto(); }

void NewTreeCtrl::OnEndLabelEdit(wxTreeEvent& event) { event.Veto(); }

void NewTreeCtrl::OnMotion(wxMouseEvent& event) {
  if (!IsDragging() || detail_NewTreeCtrl::Drag().source != this) {
    mHoverTimer.Stop();
    event.Skip();
    return;
  }
  DragTo(ClientToScreen(event.GetPosition()));
}

void NewTreeCtrl::OnLeftUp(wxMouseEvent& event) {
  if (!IsDragging() || detail_NewTreeCtrl::Drag().source != this) {
    event.Skip();
    return;
  }
  DragTo(ClientToScreen(event.GetPosition()));
  EndDrag(true);
}

void NewTreeCtrl::OnRightDown(wxMouseEvent& event) {
  if (!IsDragging() || detail_NewTreeCtrl::Drag().source != this) {
    event.Skip();
    return;
  }
  EndDrag(false);
}

void NewTreeCtrl::OnCaptureLost(wxMouseCaptureLostEvent&) {
  if (IsDragging() && detail_NewTreeCtrl::Drag().source == this) EndDrag(false);
}

void NewTreeCtrl::OnHoverTimer(wxTimerEvent&) {
  using namespace detail_NewTreeCtrl;
  mHoverTimer.Stop();
  DragState& drag = Drag();
  if (!drag.dragging || drag.position != kDropOnto || !drag.target.IsOk()) return;
  NewTreeCtrl* tree = TreeOfWindow(WindowUnderPoint(drag.lastPoint));
  if (!tree || tree != drag.feedbackTree) return;
  DragImageLeave();
  tree->Expand(drag.target);
  DragImageEnter(nullptr, drag.lastPoint.x, drag.lastPoint.y);
}

}  // namespace corvia
