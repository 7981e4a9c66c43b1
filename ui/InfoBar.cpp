#include "ui/InfoBar.h"

#include <wx/menu.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "core/Messages.h"
#include "core/Registry.h"
#include "core/Strings.h"
#include "model/Edge.h"
#include "model/FaceTypeBlock.h"
#include "model/Globals.h"
#include "model/Poly.h"
#include "nets/Model3D.h"
#include "platform/Services.h"
#include "render/OutcomeBoxes.h"
#include "stellation/Stellate.h"
#include "ui/BarDocument.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/NewFrame.h"
#include "ui/PopupMenus.h"
#include "ui/SettingsKeys.h"

namespace corvia {

const char* const kInfoTreePrompt = "Click on \"+\" or \"-\" to expand or collapse items";
const wxSize InfoBar::kFloatSize(250, 400);
const wxSize InfoBar::kMinVertSize(33, 75);

namespace detail_InfoBar {

// The key an item carries.
class KeyData : public wxTreeItemData {
 public:
  explicit KeyData(int key) : mKey(key) {}
  int mKey;
};

InfoBar* gBar = nullptr;
unsigned gUpdateFlags = kInfoUpdateKeepTop;
bool gRebuilding = false;
// The rebuilds '*' may go on after: enough for the deepest branch made lazily.
constexpr int kOpenAllPasses = 3;
int gTopKey = 0;

// The Edit menu's commands the tree's edits run.
constexpr int kCmdEditBaseName = 33184;
constexpr int kCmdEditDualName = 33185;
constexpr int kCmdEditComments = 33125;

// The menu's entries by key.
struct MenuEntry {
  int key;
  const char* text;
};
constexpr MenuEntry kEditEntries[] = {
    {kInfoLink, "Edit link..."},
    {kInfoComments, "Edit comments..."},
    {kInfoCommentLine, "Edit comments..."},
    {kInfoBase, "Edit base name..."},
    {kInfoBaseMidRadius, "Edit midradius..."},
    {kInfoDualMidRadius, "Edit midradius..."},
    {kInfoBaseRadius, "Edit base radius..."},
    {kInfoSurfaceArea, "Edit surface area..."},
    {kInfoVolume, "Edit base volume..."},
    {kInfoDual, "Edit dual name..."},
    {kInfoDualInRadius, "Edit dual inradius..."},
    {kInfoDualRadius, "Edit dual radius..."},
    {kInfoDualSurfaceArea, "Edit dual surface area..."},
    {kInfoDualVolume, "Edit dual volume..."},
};

// The per-type lists whose placeholder an expansion replaces, in the order the rules
// are tried: the list key and the branch it stands in.
constexpr std::pair<int, int> kListRules[] = {
    {kInfoNumBaseFaces, kInfoBase}, {kInfoNumBaseVerts, kInfoBase}, {kInfoNumDualFaces, kInfoDual},
    {kInfoNumDualVerts, kInfoDual}, {kInfoNumBaseEdges, kInfoBase}, {kInfoNumDualEdges, kInfoDual},
};

bool IsWebOrMailAddress(const std::string& link) {
  std::string lower;
  for (char c : link) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("mailto:", 0) == 0;
}

// Selections the program makes itself are not passed on to the model.
bool gSelecting = false;
void SelectQuietly(wxTreeCtrl* tree, const wxTreeItemId& item) {
  gSelecting = true;
  // With nothing to select the hidden root holds the selection: a tree without one
  // selects an item of its own at the next idle time, scrolling it into sight.
  tree->SelectItem(item.IsOk() ? item : tree->GetRootItem());
  gSelecting = false;
}

}  // namespace detail_InfoBar

// ---- The tree -------------------------------------------------------------------------------

InfoTree::InfoTree(InfoBar* bar, wxWindowID id)
    : wxTreeCtrl(bar, id, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_THEME),
      mBar(bar) {
  AddRoot("Info");
  SetHelpText(kInfoTreePrompt);
  Bind(wxEVT_TREE_ITEM_EXPANDED, &InfoTree::OnExpanded, this);
  Bind(wxEVT_TREE_ITEM_COLLAPSED, &InfoTree::OnExpanded, this);
  Bind(wxEVT_TREE_SEL_CHANGED, &InfoTree::OnSelChanged, this);
  Bind(wxEVT_TREE_BEGIN_LABEL_EDIT, &InfoTree::OnBeginLabelEdit, this);
  Bind(wxEVT_TREE_ITEM_MENU, &InfoTree::OnItemMenu, this);
  Bind(wxEVT_RIGHT_DOWN, &InfoTree::OnRightDown, this);
  Bind(wxEVT_MOTION, &InfoTree::OnMotion, this);
  // Before the tree's own handling, which would close or open its hidden root.
  Bind(wxEVT_CHAR, &InfoTree::OnChar, this);
  Bind(
      wxEVT_MENU, [this](wxCommandEvent& e) { RunMenuCommand(FromWxId(e.GetId())); }, ToWxId(kInfoEditCommand));
  Bind(
      wxEVT_MENU, [this](wxCommandEvent& e) { RunMenuCommand(FromWxId(e.GetId())); }, ToWxId(kInfoOpenLinkCommand));
}

int InfoTree::KeyOf(const wxTreeCtrl* tree, const wxTreeItemId& item) {
  if (!item.IsOk()) return -1;
  auto* data = dynamic_cast<detail_InfoBar::KeyData*>(tree->GetItemData(item));
  return data ? data->mKey : -1;
}

InfoSink::Item InfoTree::AddItem(int key, Item parent, const std::string& text) {
  const wxTreeItemId under = parent ? wxTreeItemId(reinterpret_cast<void*>(parent)) : GetRootItem();
  const wxTreeItemId item = AppendItem(under, wxString::FromUTF8(text), -1, -1, new detail_InfoBar::KeyData(key));
  return reinterpret_cast<Item>(item.GetID());
}

void InfoTree::ExpandItem(Item item) {
  if (item) Expand(wxTreeItemId(reinterpret_cast<void*>(item)));
}

void InfoTree::ScrollItemToTop(const wxTreeItemId& item) {
  if (!item.IsOk()) return;
  // Brings the tree's layout and scroll range up to date and the item into sight.
  ScrollTo(item);
  wxRect rect;
  if (!GetBoundingRect(item, rect)) return;
  int startX = 0, startY = 0, unitX = 1, unitY = 1;
  GetViewStart(&startX, &startY);
  GetScrollPixelsPerUnit(&unitX, &unitY);
  if (unitY <= 0) return;
  // Rounded up, so that the item is the first one in sight (its top maybe cut); the
  // tree's first lines stand at the top.
  const int logicalY = rect.y + startY * unitY;
  Scroll(-1, logicalY < unitY ? 0 : (logicalY + unitY - 1) / unitY);
}

void InfoTree::OnChar(wxKeyEvent& event) {
  enum class Action { kOpen, kClose, kOpenAll };
  Action action;
  switch (event.GetKeyCode()) {
    case '+':
    case WXK_ADD:
    case WXK_NUMPAD_ADD:
      action = Action::kOpen;
      break;
    case '-':
    case WXK_SUBTRACT:
    case WXK_NUMPAD_SUBTRACT:
      action = Action::kClose;
      break;
    case '*':
    case WXK_MULTIPLY:
    case WXK_NUMPAD_MULTIPLY:
      action = Action::kOpenAll;
      break;
    default:
      event.Skip();
      return;
  }
  mOpenAllKey = -1;
  // With nothing chosen the hidden root has the keys: there is nothing to open or close.
  const wxTreeItemId item = GetFocusedItem();
  if (!item.IsOk() || item == GetRootItem()) return;
  if (action == Action::kOpen) {
    Expand(item);
  } else if (IsExpanded(item)) {
    // '*' on an open item closes it, as '-' does.
    Collapse(item);
  } else if (action == Action::kOpenAll) {
    OpenAll(item, detail_InfoBar::kOpenAllPasses);
  }
}

void InfoTree::OpenAll(const wxTreeItemId& item, int passes) {
  mOpenAllKey = -1;
  Freeze();
  const bool whole = ExpandBranch(item);
  Thaw();
  if (whole && passes > 0 && GetInfoUpdateFlags() != 0) {
    mOpenAllKey = KeyOf(this, item);
    mOpenAllPasses = passes - 1;
  }
}

void InfoTree::GoOnOpeningAll() {
  if (mOpenAllKey < 0 || detail_InfoBar::gRebuilding) return;
  const wxTreeItemId item = FindItemInTree(this, std::exchange(mOpenAllKey, -1), true);
  if (item.IsOk()) OpenAll(item, mOpenAllPasses);
}

bool InfoTree::ExpandBranch(const wxTreeItemId& item) {
  const unsigned rebuilds = mRebuilds;
  Expand(item);
  if (mRebuilds != rebuilds) return false;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = GetFirstChild(item, cookie); child.IsOk(); child = GetNextChild(item, cookie)) {
    if (!ExpandBranch(child)) return false;
  }
  return true;
}

void InfoTree::OnBeginLabelEdit(wxTreeEvent& event) {
  event.Veto();
}

void InfoTree::OnMotion(wxMouseEvent& event) {
  StatusPrintf("%s", kInfoTreePrompt);
  event.Skip();
}

void InfoTree::OnExpanded(wxTreeEvent& event) {
  using namespace detail_InfoBar;
  event.Skip();
  if (gRebuilding) return;
  const wxTreeItemId item = event.GetItem();
  const int key = KeyOf(this, item);
  if (key < 0 || key >= kNumInfoKeys) return;
  SetInfoExpanded(key, event.GetEventType() == wxEVT_TREE_ITEM_EXPANDED);

  for (const auto& [listKey, branchKey] : kListRules) {
    if (!((key == listKey || (key == branchKey && IsInfoExpanded(branchKey))) && IsInfoExpanded(listKey))) continue;
    const wxTreeItemId list = FindItemInTree(this, listKey, false);
    if (HasPlaceholderChild(this, list, true))
      InvalidateInfo(kInfoUpdateModel);
    else
      mBar->ShowSelectedElement();
    return;
  }
  Poly* poly = GetCurrentPoly();
  FaceTypeBlock* block = poly ? poly->GetShownBlock() : nullptr;
  if (key == kInfoStellation && IsInfoExpanded(kInfoStellation)) {
    if (!block || block->mStellationRefused) return;
    if (!block->IsStellated()) {
      TellOutcome(Stellate(poly, block, true));
      if (!block->IsStellated()) SetInfoExpanded(kInfoStellation, false);
      InvalidateInfo(kInfoUpdateStellation);
    } else if (HasPlaceholderChild(this, item, false)) {
      InvalidateInfo(kInfoUpdateStellation);
    }
  } else if (key == kInfoNets && IsInfoExpanded(kInfoNets)) {
    if (!block || block->mStellationRefused) return;
    if (!block->HasNets()) {
      Model3D* model = GetModel3DOrTell(block, true);
      if (!model) SetInfoExpanded(kInfoNets, false);
      InvalidateInfo(kInfoUpdateNets);
    } else if (HasPlaceholderChild(this, item, false)) {
      InvalidateInfo(kInfoUpdateNets);
    }
  }
}

void InfoTree::OnSelChanged(wxTreeEvent& event) {
  event.Skip();
  if (detail_InfoBar::gSelecting || detail_InfoBar::gRebuilding) return;
  const wxTreeItemId item = event.GetItem();
  Poly* poly = GetCurrentPoly();
  if (!item.IsOk() || !poly) return;
  const std::string text = GetItemText(item).utf8_string();
  const int n = !text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) ? std::atoi(text.c_str()) - 1 : -1;
  auto firstOfType = [&](FaceTypeBlock* block) -> PolyElement* {
    const FaceType* type = block && n >= 0 ? block->GetFaceType(n) : nullptr;
    return type ? type->mFirstFace : nullptr;
  };
  PolyItem* element = nullptr;
  bool dualSide = false;
  switch (KeyOf(this, item)) {
    case kInfoComponents:
      if (const CompoundPart* part = n >= 0 ? poly->GetCompoundPart(n) : nullptr) element = part->mFirstElement;
      break;
    case kInfoBaseFaces:
      element = firstOfType(poly->mBaseBlock.get());
      break;
    case kInfoBaseEdges:
    case kInfoDualEdges:
      if (n >= 0 && n < poly->mNumEdgeTypes) element = poly->mEdgeTypes[n].mFirstEdge;
      break;
    case kInfoBaseVerts:
      element = firstOfType(poly->mDualBlock.get());
      dualSide = true;
      break;
    case kInfoDualFaces:
      element = firstOfType(poly->mDualBlock.get());
      break;
    case kInfoDualVerts:
      element = firstOfType(poly->mBaseBlock.get());
      dualSide = true;
      break;
    default:
      break;
  }
  if (!element) return;
  // The tree has marked the type already: the change is shown while the bar passes it.
  mBar->SetPassingSelection(true);
  poly->SelectEdge(element, dualSide);
  GetBarDocument().ShowSelectionChange(*poly);
  mBar->SetPassingSelection(false);
}

std::vector<std::pair<int, std::string>> InfoTree::GetMenuEntries(int key) {
  std::vector<std::pair<int, std::string>> entries;
  if (key == kInfoLink) {
    const Poly* poly = GetCurrentPoly();
    if (poly && !IsBlank(poly->mWebLink)) entries.emplace_back(kInfoOpenLinkCommand, "Open link...");
  }
  for (const auto& entry : detail_InfoBar::kEditEntries) {
    if (entry.key == key) entries.emplace_back(kInfoEditCommand, entry.text);
  }
  return entries;
}

void InfoTree::OnRightDown(wxMouseEvent& event) {
  int flags = 0;
  const wxTreeItemId item = HitTest(event.GetPosition(), flags);
  const int key = KeyOf(this, item);
  if (key < 0 || key >= kNumInfoKeys) return;
  const auto entries = GetMenuEntries(key);
  if (entries.empty()) return;
  mMenuKey = key;
  wxMenu menu;
  for (const auto& [command, text] : entries) {
    wxMenuItem* added = menu.Append(ToWxId(command), wxString::FromUTF8(text));
    if (command == kInfoEditCommand && key == kInfoLink) {
      added->Enable(GetBarDocument().CanEditLink());
    } else if (command == kInfoEditCommand) {
      const int edit = GetInfoEditCommand(key);
      added->Enable(edit != 0 && IsCommandAvailable(edit));
    }
  }
  ShowPopupMenu(this, menu, event.GetPosition());
}

void InfoTree::OnItemMenu(wxTreeEvent& event) {
  // The right button's own handling opens the menu.
  event.Skip(false);
}

void InfoTree::RunMenuCommand(int command) {
  const Poly* poly = GetCurrentPoly();
  if (command == kInfoOpenLinkCommand) {
    if (mMenuKey == kInfoLink && poly && !IsBlank(poly->mWebLink)) OpenInfoLink(poly->mWebLink);
    return;
  }
  // The link has no menu command of its own: the document asks for it.
  if (command == kInfoEditCommand && mMenuKey == kInfoLink) {
    GetBarDocument().EditLink();
    return;
  }
  const int edit = command == kInfoEditCommand ? GetInfoEditCommand(mMenuKey) : 0;
  NewFrame* frame = GetMainFrame();
  if (edit == 0 || !frame || !IsCommandAvailable(edit)) return;
  wxCommandEvent event(wxEVT_MENU, ToWxId(edit));
  event.SetEventObject(frame);
  frame->GetEventHandler()->ProcessEvent(event);
}

int GetInfoEditCommand(int key) {
  switch (key) {
    case kInfoBase:
      return detail_InfoBar::kCmdEditBaseName;
    case kInfoDual:
      return detail_InfoBar::kCmdEditDualName;
    case kInfoComments:
    case kInfoCommentLine:
      return detail_InfoBar::kCmdEditComments;
    case kInfoBaseMidRadius:
    case kInfoDualMidRadius:
      return kCmdScaleMidradius;
    case kInfoBaseRadius:
      return kCmdScaleBaseRadius;
    case kInfoSurfaceArea:
      return kCmdScaleBaseSurfaceArea;
    case kInfoVolume:
      return kCmdScaleBaseVolume;
    case kInfoDualInRadius:
      return kCmdScaleDualInradius;
    case kInfoDualRadius:
      return kCmdScaleDualRadius;
    case kInfoDualSurfaceArea:
      return kCmdScaleDualSurfaceArea;
    case kInfoDualVolume:
      return kCmdScaleDualVolume;
    default:
      return 0;
  }
}

bool OpenInfoLink(const char* link) {
  const std::string target = link ? SkipBlanks(link) : "";
  platform::Shell* shell = platform::Services().shell;
  if (!detail_InfoBar::IsWebOrMailAddress(target) || !shell || !shell->OpenUrl(target)) {
    ShowError("Couldn't open link '%s'.", link ? link : "");
    return false;
  }
  return true;
}

// ---- The bar --------------------------------------------------------------------------------

InfoBar::InfoBar() {
  mSizeFloat = kFloatSize;
}

InfoBar::~InfoBar() {
  if (detail_InfoBar::gBar == this) detail_InfoBar::gBar = nullptr;
}

bool InfoBar::CreateBar(wxWindow* parent) {
  if (!Create("Info", parent, 61451)) return false;
  mTree = new InfoTree(this, ToWxId(61450));
  detail_InfoBar::gBar = this;
  return true;
}

InfoBar* GetInfoBar() {
  return detail_InfoBar::gBar;
}

void InfoBar::MarkSelectedType(int kind, int index, bool dual) {
  if (!IsInfoBarVisible() || mTreeSelection || !mTree) return;
  static constexpr int kKeys[4][2] = {{kInfoBaseCells, kInfoDualCells},
                                      {kInfoBaseFaces, kInfoDualFaces},
                                      {kInfoBaseEdges, kInfoDualEdges},
                                      {kInfoBaseVerts, kInfoDualVerts}};
  if (kind < 0 || kind > 3) return;
  wxTreeItemId item;
  if (index >= 0) {
    item = FindItemInTree(mTree, kKeys[kind][dual ? 1 : 0], true);
    for (int i = 0; i < index && item.IsOk(); ++i) item = mTree->GetNextSibling(item);
  }
  detail_InfoBar::SelectQuietly(mTree, item);
}

void InfoBar::ShowSelectedElement() {
  const Poly* poly = GetCurrentPoly();
  if (!poly) return;
  const bool dual = poly->mShowDual != 0;
  if (const PolyElement* element = poly->mSelectedElement) {
    // Shown as a vertex on the side shown: a base vertex while the base is shown, a
    // face while the dual is.
    const bool asVertex = element->IsVertex() != dual;
    MarkSelectedType(asVertex ? 3 : 1, FaceType::GetIndex(element->mType), dual);
  } else if (const Edge* edge = poly->GetSelectedEdge()) {
    MarkSelectedType(2, EdgeType::GetIndex(poly->GetEdgeType(edge->mEdgeType), poly), dual);
  }
}

// ---- Rebuilding -----------------------------------------------------------------------------

unsigned InvalidateInfo(unsigned reasons) {
  return detail_InfoBar::gUpdateFlags |= reasons;
}

unsigned GetInfoUpdateFlags() {
  return detail_InfoBar::gUpdateFlags;
}

bool IsInfoBarVisible() {
  InfoBar* bar = detail_InfoBar::gBar;
  return bar && bar->IsShownOnScreen();
}

bool IsInfoRebuilding() {
  return detail_InfoBar::gRebuilding;
}

void UpdateInfoIfNeeded() {
  using namespace detail_InfoBar;
  if (gUpdateFlags == 0 || !UpdateInfoTree(gBar, gUpdateFlags)) return;
  gUpdateFlags = 0;
  gBar->GetTree()->GoOnOpeningAll();
}

bool UpdateInfoTree(InfoBar* bar, unsigned flags) {
  using namespace detail_InfoBar;
  if (!bar || bar != gBar || !IsInfoBarVisible() || !bar->GetTree()) return false;
  if (gRebuilding) return true;
  gRebuilding = true;
  platform::Services().views->SetWaitCursor(true);
  InfoTree* tree = bar->GetTree();
  tree->NoteRebuild();
  if (!(flags & kInfoUpdateKeepTop)) GetInfoFirstVisibleKey();
  int scrollX = 0, scrollY = 0;
  tree->GetViewStart(&scrollX, &scrollY);
  bar->Freeze();
  tree->DeleteChildren(tree->GetRootItem());
  InsertInfoContents(*tree, GetCurrentPoly());
  detail_InfoBar::SelectQuietly(tree, wxTreeItemId());
  bar->ShowSelectedElement();
  // The tree lays its items out once it is no longer frozen; only then can it scroll.
  bar->Thaw();
  SetInfoFirstVisibleKey(gTopKey);
  int rangeX = 0, rangeY = 0, unitX = 1, unitY = 1;
  tree->GetVirtualSize(&rangeX, &rangeY);
  tree->GetScrollPixelsPerUnit(&unitX, &unitY);
  const int limitX = unitX > 0 ? std::max(0, (rangeX - tree->GetClientSize().x) / unitX) : 0;
  tree->Scroll(std::min(scrollX, limitX), -1);
  gRebuilding = false;
  platform::Services().views->SetWaitCursor(false);
  return true;
}

int GetInfoFirstVisibleKey() {
  using namespace detail_InfoBar;
  gTopKey = 0;
  if (gBar && gBar->GetTree()) {
    const wxTreeItemId first = gBar->GetTree()->GetFirstVisibleItem();
    if (first.IsOk() && InfoTree::KeyOf(gBar->GetTree(), first) >= 0) gTopKey = InfoTree::KeyOf(gBar->GetTree(), first);
  }
  return gTopKey;
}

void SetInfoFirstVisibleKey(int key) {
  using namespace detail_InfoBar;
  gTopKey = key;
  if (!gBar || !gBar->GetTree()) return;
  InfoTree* tree = gBar->GetTree();
  tree->ScrollItemToTop(FindItemInTree(tree, key, false));
}

wxTreeItemId FindItemInTree(wxTreeCtrl* tree, int key, bool exact) {
  if (!tree) return wxTreeItemId();
  wxTreeItemIdValue cookie;
  wxTreeItemId item = tree->GetFirstChild(tree->GetRootItem(), cookie);
  wxTreeItemId last;
  int previous = -1;
  while (item.IsOk()) {
    const int itemKey = InfoTree::KeyOf(tree, item);
    // An item out of order is only noted; the walk goes on.
    if (itemKey < previous) DoNothing("FindItemInTree: bad order");
    previous = itemKey;
    if (itemKey >= key) {
      if (itemKey == key) return item;
      return exact ? wxTreeItemId() : last;
    }
    last = item;
    if (itemKey >= 0 && IsInfoExpanded(itemKey) && tree->ItemHasChildren(item)) {
      item = tree->GetFirstChild(item, cookie);
      continue;
    }
    wxTreeItemId next = tree->GetNextSibling(item);
    while (!next.IsOk()) {
      item = tree->GetItemParent(item);
      if (!item.IsOk() || item == tree->GetRootItem()) return last;
      next = tree->GetNextSibling(item);
    }
    item = next;
  }
  return last;
}

bool HasPlaceholderChild(wxTreeCtrl* tree, const wxTreeItemId& item, bool remove) {
  if (!tree || !item.IsOk() || tree->GetChildrenCount(item, false) != 1) return false;
  wxTreeItemIdValue cookie;
  const wxTreeItemId child = tree->GetFirstChild(item, cookie);
  if (tree->GetItemText(child) != kInfoPlaceholder) return false;
  if (remove) tree->Delete(child);
  return true;
}

// ---- Settings -------------------------------------------------------------------------------

void SaveInfoExpansion() {
  RegistryKeyPtr key = OpenRegistryKeyForWrite(TheRegistryApp(), "Settings", kInfoExpansionKey);
  if (!key) return;
  for (int i = 0; i < kNumInfoKeys; ++i) SetRegistryInt(key.get(), GetInfoItemKey(i), IsInfoExpanded(i) ? 1 : 0);
  CloseSettingsKey(*key);
}

void LoadInfoExpansion() {
  ResetInfoExpansion();
  RegistryKeyPtr key = OpenRegistryKeyForRead(TheRegistryApp(), "Settings", kInfoExpansionKey);
  if (!key) return;
  for (int i = 0; i < kNumInfoKeys; ++i) {
    int value = 0;
    if (GetRegistryInt(key.get(), GetInfoItemKey(i), value)) SetInfoExpanded(i, value != 0);
  }
}

std::string GetInfoTopItemSetting() {
  return GetInfoItemKey(GetInfoFirstVisibleKey());
}

void SetInfoTopItemSetting(const char* name) {
  SetInfoFirstVisibleKey(FindInfoItemKey(name));
}

}  // namespace corvia
