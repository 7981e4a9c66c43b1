#include "ui/PopupMenus.h"

#include <wx/menu.h>
#include <wx/window.h>

namespace corvia {

namespace detail_PopupMenus {

// The popup menu whose loop runs now, and whether it was closed from outside.
wxMenu* gOpenMenu = nullptr;
bool gClosed = false;

template <typename Show>
auto Run(wxMenu& menu, Show show) {
  gOpenMenu = &menu;
  gClosed = false;
  const auto result = show();
  gOpenMenu = nullptr;
  gClosed = false;
  return result;
}

}  // namespace detail_PopupMenus

bool ShowPopupMenu(wxWindow* window, wxMenu& menu, const wxPoint& at) {
  using namespace detail_PopupMenus;
  if (!window || gOpenMenu) return false;
  return Run(menu, [&] { return window->PopupMenu(&menu, at); });
}

int ChoosePopupMenuCommand(wxWindow* window, wxMenu& menu, const wxPoint& at) {
  using namespace detail_PopupMenus;
  if (!window || gOpenMenu) return wxID_NONE;
  return Run(menu, [&] {
    const int chosen = window->GetPopupMenuSelectionFromUser(menu, at);
    // A menu closed from outside chose nothing.
    return gClosed ? static_cast<int>(wxID_NONE) : chosen;
  });
}

bool ClosePopupMenu() {
  using namespace detail_PopupMenus;
  if (!gOpenMenu) return false;
  if (!gClosed) {
    gClosed = true;
    // wxGTK waits in a loop of its own while the flag is set; the menu goes with its
    // wxMenu once the loop has returned.
    gOpenMenu->m_popupShown = false;
  }
  return true;
}

bool IsPopupMenuOpen() {
  return detail_PopupMenus::gOpenMenu != nullptr;
}

}  // namespace corvia
