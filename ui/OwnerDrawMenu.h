#pragma once
// The main window's menu bar, built from the command table, with the images of the
// toolbar buttons beside the commands they stand for. GTK draws the menus itself, so
// the menu keeps what a program can set there: texts, mnemonics, accelerators,
// images, check and radio marks, and the path of every command.

#include <wx/menu.h>

#include <set>
#include <string>
#include <vector>

namespace corvia {

class OwnerDrawMenu {
 public:
  OwnerDrawMenu();
  ~OwnerDrawMenu();
  OwnerDrawMenu(const OwnerDrawMenu&) = delete;
  OwnerDrawMenu& operator=(const OwnerDrawMenu&) = delete;

  // Builds the whole menu bar from the command table: every command with a menu
  // path becomes an item of its popup (popups made on the way), separators where
  // the table has them.
  void LoadMenu();
  // Gives every item of the commands the toolbar's buttons stand for the button's
  // image. True when every image was found.
  bool LoadToolbar(const std::vector<int>& buttonCommands);
  // Appends an item to a popup: command 0 makes a separator; with an image name the
  // item shows that image.
  wxMenuItem* AppendODMenu(wxMenu* menu, const std::string& text, unsigned flags, int command,
                           const std::string& image = std::string());
  // For every item of the command: a new text (none: keep it) and a new image (none:
  // the item loses its image). Checked and radio items show no image in GTK menus.
  void ModifyODMenu(const char* text, int command, const std::string& image);
  // Removes the top-level popup, or every item of a command, with emptied popups;
  // false when nothing was removed.
  bool DeleteTopMenu(int position);
  bool DeleteODMenu(int command);
  // From the last item to the first: cleans submenus and deletes the empty ones,
  // deletes separators that stand last or directly above another separator, and a
  // separator that stands first.
  void RemoveExtraSeparators();
  // Images are made at this size.
  void SetIconSize(int width, int height);
  int GetIconWidth() const { return mIconWidth; }

  // The item at a position of a popup, null when out of range.
  static wxMenuItem* GetItemAt(wxMenu* menu, int index);
  // The item texts from the menu bar down to the command, joined by "->", without
  // mnemonics and accelerators; false when the command is absent or the path does
  // not fit the buffer (which must leave 3 bytes free per level).
  bool GetCommandPath(int command, char* buffer, size_t size) const;
  std::string GetCommandPath(int command) const;
  // Whether a popup belongs to this menu.
  bool IsOwnedMenu(const wxMenu* menu) const;

  wxMenuBar* GetMenuBar() const { return mMenuBar; }
  // The frame that shows the menu bar owns it from now on.
  void AttachTo(class wxFrame* frame);
  // Forgets the menu bar (destroys it unless a frame shows it).
  void DestroyMenu();

 private:
  wxMenu* FindOrMakePopup(const std::vector<std::string>& path, size_t depth);
  void ForgetMenu(wxMenu* menu);
  bool PathOf(const wxMenu* menu, int command, std::vector<std::string>& path) const;
  void CleanMenu(wxMenu* menu);

  wxMenuBar* mMenuBar = nullptr;
  bool mAttached = false;
  std::set<const wxMenu*> mOwned;
  int mIconWidth = 16;
  int mIconHeight = 16;
};

// The style in which the classic owner-drawn menus would draw their items: the
// flat style when the button face and the menu differ in colour on a display of
// more than 256 colours, else the classic style. GTK's theme draws the menus, so
// the choice shows only in the colours of the toolbar images.
enum class MenuStyle { Classic, Flat };
MenuStyle ChooseMenuStyle(unsigned long buttonFace, unsigned long menuColour, int displayBits);
// Moves each of red, green and blue the fraction f of the way to 255 (truncated);
// factors outside (0, 1] leave the colour as it is. Colours are 0x00BBGGRR.
unsigned long LightenColor(unsigned long colour, double f);

// The text of a menu item as the table gives it: the label, then a tab and the
// accelerator in wx's form when it names a key.
std::string MenuItemText(const std::string& label, const char* accel);
// The accelerator of the table in wx's form ("Ctrl+Right"), empty when it names no key.
std::string WxAcceleratorText(const char* accel);

}  // namespace corvia
