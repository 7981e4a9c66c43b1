#pragma once
// A popup menu runs a loop of its own until it closes, and everything the program does
// meanwhile (idle work, timers, commands sent to the window) runs inside that loop: the
// window that shows the menu must outlive it. The program's popup menus are shown here,
// so that what changes or removes windows (a new layout of the panes, the main window's
// close) can close the open one first and wait until its loop has returned.

#include <wx/gdicmn.h>

class wxMenu;
class wxWindow;

namespace corvia {

// Shows the menu at the point of the window; its commands go to the window. False when
// another popup menu is open.
bool ShowPopupMenu(wxWindow* window, wxMenu& menu, const wxPoint& at = wxDefaultPosition);
// The same, giving the command chosen instead (wxID_NONE when none, or when the menu
// was closed by ClosePopupMenu).
int ChoosePopupMenuCommand(wxWindow* window, wxMenu& menu, const wxPoint& at = wxDefaultPosition);
// Closes the open popup menu: its loop ends once the event being handled returns. True
// while one is open; the caller then does its work later, once IsPopupMenuOpen is false.
bool ClosePopupMenu();
bool IsPopupMenuOpen();

}  // namespace corvia
