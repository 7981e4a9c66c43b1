#pragma once
// The flat toolbars of the main window: wxAUI toolbars that draw flat with hot
// tracking, dock in rows on every side of the frame and float. Their buttons come
// from the command table (image, tooltip); a button may carry a drop-down arrow,
// which a right click on it opens as well.

#include <wx/aui/auibar.h>

#include <string>
#include <vector>

namespace corvia {

class CToolBarEx : public wxAuiToolBar {
 public:
  // The buttons in order; 0 is a separator.
  CToolBarEx(wxWindow* parent, int id, const char* title, const std::vector<int>& buttons);

  const std::string& GetTitle() const { return mTitle; }
  // Adds the drop-down arrow to a button.
  void SetDropDown(int command, bool on);
  bool HasDropDown(int command) const;
  // Opens the button's drop-down; the toolbars that have menus override it.
  virtual void OnDropDown(int command);
  // The commands of the buttons, in order, separators left out.
  std::vector<int> GetButtonCommands() const;
  // Gives a button another image (by name); false when there is no such button or image.
  bool SetButtonImage(int command, const std::string& image);
  // Removes a button; false when there was none.
  bool DeleteButton(int command);
  // A slot for a control that the toolbar places there: a disabled combo of the width
  // of `chars` average characters until its owner fills it.
  void AddControlSlot(int id, int chars);
  // Puts a control in the place of a slot (the slot's placeholder goes); false when
  // there is no such slot.
  bool ReplaceControlSlot(int id, wxControl* control);
  // The width of a slot's control: `chars` average characters of the toolbar's font.
  int GetSlotWidth(int chars) const;

  // Hot tracking: the button under the mouse is drawn raised. wx's AUI toolbar
  // tracks it itself; this tells which one it is (-1 for none).
  int GetHotButton() const;

 private:
  void OnDropDownEvent(wxAuiToolBarEvent& event);
  void OnRightClick(wxAuiToolBarEvent& event);

  std::string mTitle;
  std::vector<int> mDropDowns;
};

// Removes separators that stand first, last or directly after another separator.
void RemoveDoubleToolbarSeparators(wxAuiToolBar* toolbar);

// Control ids of the toolbars (their resource ids) and of the combos they hold.
constexpr int kMainToolBarId = 128;
constexpr int kTourToolBarId = 296;
constexpr int kOptionToolBarId = 209;
constexpr int kModeToolBarId = 206;
constexpr int kViewToolBarId = 178;
constexpr int kCategoryComboId = 33101;
constexpr int kModelComboId = 33102;
constexpr int kSymmetryComboId = 33438;
constexpr int kRotationalComboId = 33072;
constexpr int kReflectiveComboId = 33073;

// The buttons of each toolbar as the resources list them (0: separator), before the
// main window takes out those the program does not offer.
const std::vector<int>& GetToolbarResource(int toolbarId);

}  // namespace corvia
