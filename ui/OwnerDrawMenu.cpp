#include "ui/OwnerDrawMenu.h"

#include <dlfcn.h>
#include <wx/frame.h>

#include <cstring>

#include "ui/CommandTable.h"
#include "ui/Icons.h"

namespace corvia {

namespace detail_OwnerDrawMenu {

// A choice among several is a check item drawn with the round mark of a radio item.
// A GTK radio group always keeps one item on and says nothing when that one is chosen
// again; the choices of one kind stand in several popups (the view types), or none of
// them may hold (no pane active), so that group would keep a stale mark and choosing
// the marked item would do nothing. A check item is marked by its update handler
// alone and reports every choice.
wxItemKind KindOf(unsigned flags) {
  if (flags & (kCommandRadio | kCommandCheck)) return wxITEM_CHECK;
  return wxITEM_NORMAL;
}

// GTK is in the process already (wx runs on it): its function is looked up rather
// than linked.
void DrawAsRadio(wxMenuItem* item) {
  using SetDrawAsRadio = void (*)(void*, int);
  static auto setDrawAsRadio =
      reinterpret_cast<SetDrawAsRadio>(dlsym(RTLD_DEFAULT, "gtk_check_menu_item_set_draw_as_radio"));
  if (setDrawAsRadio && item && item->GetMenuItem()) setDrawAsRadio(item->GetMenuItem(), 1);
}

// The image of a command's toolbar button.
std::string ImageOf(int command) {
  const CommandInfo* info = FindCommand(command);
  return info && info->icon ? info->icon : "";
}

}  // namespace detail_OwnerDrawMenu

std::string WxAcceleratorText(const char* accel) {
  int flags = 0, key = 0;
  if (!ParseAccelerator(accel, flags, key)) return std::string();
  std::string text;
  if (flags & kAccelCtrl) text += "Ctrl+";
  if (flags & kAccelShift) text += "Shift+";
  if (flags & kAccelAlt) text += "Alt+";
  switch (key) {
    case kKeyLeft:
      return text + "Left";
    case kKeyRight:
      return text + "Right";
    case kKeyUp:
      return text + "Up";
    case kKeyDown:
      return text + "Down";
    case kKeyEscape:
      return text + "Esc";
    // GTK menus take no Tab accelerator: the frame's key table carries it.
    case kKeyTab:
      return std::string();
    default:
      break;
  }
  if (key >= kKeyF1 && key < kKeyF1 + 12) return text + "F" + std::to_string(key - kKeyF1 + 1);
  return text + static_cast<char>(key);
}

std::string MenuItemText(const std::string& label, const char* accel) {
  const std::string key = WxAcceleratorText(accel);
  return key.empty() ? label : label + "\t" + key;
}

OwnerDrawMenu::OwnerDrawMenu() = default;

OwnerDrawMenu::~OwnerDrawMenu() {
  DestroyMenu();
}

void OwnerDrawMenu::SetIconSize(int width, int height) {
  mIconWidth = width > 0 ? width : 16;
  mIconHeight = height > 0 ? height : 16;
}

void OwnerDrawMenu::LoadMenu() {
  DestroyMenu();
  mMenuBar = new wxMenuBar;
  for (const CommandInfo& info : GetCommandTable()) {
    if (!*info.path || (info.flags & (kCommandKeyOnly | kCommandNoItem))) continue;
    std::vector<std::string> labels;
    for (const std::string& part : SplitMenuPath(info.path)) labels.push_back(MenuLabelText(part));
    if (info.id == kCommandSeparator) {
      if (wxMenu* popup = FindOrMakePopup(labels, labels.size())) popup->AppendSeparator();
      continue;
    }
    if (labels.size() < 2) continue;
    wxMenu* popup = FindOrMakePopup(labels, labels.size() - 1);
    // Accelerators that belong to another command are left out: GTK would bind them.
    const char* accel = (info.flags & kCommandAccelShownOnly) ? "" : info.accel;
    AppendODMenu(popup, MenuItemText(labels.back(), accel), info.flags, info.id);
  }
}

wxMenu* OwnerDrawMenu::FindOrMakePopup(const std::vector<std::string>& path, size_t depth) {
  if (!mMenuBar || depth == 0) return nullptr;
  wxMenu* menu = nullptr;
  for (size_t i = 0; i < mMenuBar->GetMenuCount() && !menu; ++i) {
    if (mMenuBar->GetMenuLabel(i) == wxString::FromUTF8(path[0])) menu = mMenuBar->GetMenu(i);
  }
  if (!menu) {
    menu = new wxMenu;
    mOwned.insert(menu);
    mMenuBar->Append(menu, wxString::FromUTF8(path[0]));
  }
  for (size_t level = 1; level < depth; ++level) {
    const wxString label = wxString::FromUTF8(path[level]);
    wxMenu* sub = nullptr;
    for (wxMenuItem* item : menu->GetMenuItems()) {
      if (item->IsSubMenu() && item->GetItemLabel() == label) sub = item->GetSubMenu();
    }
    if (!sub) {
      sub = new wxMenu;
      mOwned.insert(sub);
      menu->AppendSubMenu(sub, label);
    }
    menu = sub;
  }
  return menu;
}

wxMenuItem* OwnerDrawMenu::AppendODMenu(wxMenu* menu, const std::string& text, unsigned flags, int command,
                                        const std::string& image) {
  if (!menu) return nullptr;
  if (command == kCommandSeparator) return menu->AppendSeparator();
  auto* item = new wxMenuItem(menu, ToWxId(command), wxString::FromUTF8(text),
                              wxString::FromUTF8(GetCommandPrompt(command)), detail_OwnerDrawMenu::KindOf(flags));
  const std::string name = image.empty() ? std::string() : image;
  if (!name.empty() && item->GetKind() == wxITEM_NORMAL && HasIcon(name))
    item->SetBitmap(GetIconBundle(name, mIconWidth));
  menu->Append(item);
  if (flags & kCommandRadio) detail_OwnerDrawMenu::DrawAsRadio(item);
  return item;
}

bool OwnerDrawMenu::LoadToolbar(const std::vector<int>& buttonCommands) {
  bool all = true;
  for (int command : buttonCommands) {
    const std::string image = detail_OwnerDrawMenu::ImageOf(command);
    if (image.empty() || !HasIcon(image)) {
      all = false;
      continue;
    }
    ModifyODMenu(nullptr, command, image);
  }
  return all;
}

void OwnerDrawMenu::ModifyODMenu(const char* text, int command, const std::string& image) {
  if (!mMenuBar) return;
  // Every item of the command, in every popup: a command may stand in two.
  std::vector<wxMenu*> menus;
  for (size_t i = 0; i < mMenuBar->GetMenuCount(); ++i) menus.push_back(mMenuBar->GetMenu(i));
  for (size_t m = 0; m < menus.size(); ++m) {
    wxMenu* menu = menus[m];
    const wxMenuItemList& items = menu->GetMenuItems();
    for (size_t pos = 0; pos < items.size(); ++pos) {
      wxMenuItem* item = menu->FindItemByPosition(pos);
      if (item->IsSubMenu()) {
        menus.push_back(item->GetSubMenu());
        continue;
      }
      if (item->GetId() != ToWxId(command)) continue;
      if (text) item->SetItemLabel(wxString::FromUTF8(text));
      if (item->GetKind() != wxITEM_NORMAL) continue;
      // GTK makes an item's image when the item is inserted: the item goes out and
      // comes back in with its new image.
      menu->Remove(item);
      item->SetBitmap(image.empty() || !HasIcon(image) ? wxBitmapBundle() : GetIconBundle(image, mIconWidth));
      menu->Insert(pos, item);
    }
  }
}

bool OwnerDrawMenu::DeleteTopMenu(int position) {
  if (!mMenuBar || position < 0 || position >= static_cast<int>(mMenuBar->GetMenuCount())) return false;
  wxMenu* menu = mMenuBar->Remove(position);
  ForgetMenu(menu);
  delete menu;
  return true;
}

bool OwnerDrawMenu::DeleteODMenu(int command) {
  if (!mMenuBar || command == kCommandSeparator) return false;
  bool removed = false;
  wxMenu* menu = nullptr;
  while (wxMenuItem* item = mMenuBar->FindItem(ToWxId(command), &menu)) {
    menu->Destroy(item);
    removed = true;
  }
  return removed;
}

void OwnerDrawMenu::CleanMenu(wxMenu* menu) {
  for (int pos = static_cast<int>(menu->GetMenuItemCount()) - 1; pos >= 0; --pos) {
    wxMenuItem* item = menu->FindItemByPosition(pos);
    if (item->IsSubMenu()) {
      CleanMenu(item->GetSubMenu());
      if (item->GetSubMenu()->GetMenuItemCount() == 0) {
        ForgetMenu(item->GetSubMenu());
        menu->Destroy(item);
      }
      continue;
    }
    if (!item->IsSeparator()) continue;
    const int count = static_cast<int>(menu->GetMenuItemCount());
    const bool last = pos == count - 1;
    const bool aboveSeparator = !last && menu->FindItemByPosition(pos + 1)->IsSeparator();
    if (last || aboveSeparator) menu->Destroy(item);
  }
  if (menu->GetMenuItemCount() > 0 && menu->FindItemByPosition(0)->IsSeparator())
    menu->Destroy(menu->FindItemByPosition(0));
}

void OwnerDrawMenu::RemoveExtraSeparators() {
  if (!mMenuBar) return;
  for (int i = static_cast<int>(mMenuBar->GetMenuCount()) - 1; i >= 0; --i) {
    wxMenu* menu = mMenuBar->GetMenu(i);
    CleanMenu(menu);
    if (menu->GetMenuItemCount() == 0) DeleteTopMenu(i);
  }
}

wxMenuItem* OwnerDrawMenu::GetItemAt(wxMenu* menu, int index) {
  if (!menu || index < 0 || index >= static_cast<int>(menu->GetMenuItemCount())) return nullptr;
  return menu->FindItemByPosition(index);
}

bool OwnerDrawMenu::PathOf(const wxMenu* menu, int command, std::vector<std::string>& path) const {
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSubMenu()) {
      path.push_back(StripMenuText(item->GetItemLabel().utf8_string()));
      if (PathOf(item->GetSubMenu(), command, path)) return true;
      path.pop_back();
    } else if (!item->IsSeparator() && item->GetId() == ToWxId(command)) {
      path.push_back(StripMenuText(item->GetItemLabel().utf8_string()));
      return true;
    }
  }
  return false;
}

bool OwnerDrawMenu::GetCommandPath(int command, char* buffer, size_t size) const {
  if (!buffer || size == 0) return false;
  buffer[0] = 0;
  if (!mMenuBar) return false;
  for (size_t i = 0; i < mMenuBar->GetMenuCount(); ++i) {
    std::vector<std::string> path{StripMenuText(mMenuBar->GetMenuLabel(i).utf8_string())};
    if (!PathOf(mMenuBar->GetMenu(i), command, path)) continue;
    std::string joined;
    for (const std::string& part : path) joined += (joined.empty() ? "" : "->") + part;
    // The caller's buffer must leave room for the joins of every level.
    if (joined.size() + 3 * path.size() > size) return false;
    std::memcpy(buffer, joined.c_str(), joined.size() + 1);
    return true;
  }
  return false;
}

std::string OwnerDrawMenu::GetCommandPath(int command) const {
  char buffer[1024];
  return GetCommandPath(command, buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool OwnerDrawMenu::IsOwnedMenu(const wxMenu* menu) const {
  return mOwned.count(menu) != 0;
}

void OwnerDrawMenu::ForgetMenu(wxMenu* menu) {
  if (!menu) return;
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSubMenu()) ForgetMenu(item->GetSubMenu());
  }
  mOwned.erase(menu);
}

void OwnerDrawMenu::AttachTo(wxFrame* frame) {
  if (!frame || !mMenuBar) return;
  frame->SetMenuBar(mMenuBar);
  mAttached = true;
}

void OwnerDrawMenu::DestroyMenu() {
  mOwned.clear();
  if (mMenuBar && !mAttached) delete mMenuBar;
  mMenuBar = nullptr;
  mAttached = false;
}

MenuStyle ChooseMenuStyle(unsigned long buttonFace, unsigned long menuColour, int displayBits) {
  if (displayBits <= 8) return MenuStyle::Classic;
  return buttonFace != menuColour ? MenuStyle::Flat : MenuStyle::Classic;
}

unsigned long LightenColor(unsigned long colour, double f) {
  if (!(f > 0 && f <= 1)) return colour;
  unsigned long out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned channel = (colour >> shift) & 0xFF;
    const unsigned lighter = channel + static_cast<unsigned>((255 - channel) * f);
    out |= static_cast<unsigned long>(lighter > 255 ? 255 : lighter) << shift;
  }
  return out;
}

}  // namespace corvia
