#pragma once
// The menu commands of the Poly, Stellation and Faceting menus that derive or step the
// model (app/MenuCommandsModel.cpp), and the display, image, section, view and option
// switches (app/MenuCommandsDisplay.cpp). Each is a handler and an update handler that
// need no window, so tests run them on a document with off-screen panes; one command
// target joins them to the main window.

#include <string>
#include <vector>

class wxFrame;

namespace corvia {

// What an update handler says of an item: enabled, its mark (-1 none, 0 off, 1 on),
// and a new item text when the text carries a value.
struct MenuItemState {
  bool enabled = true;
  int check = -1;
  std::string text;
};

struct MenuCommand {
  int id = 0;
  void (*run)() = nullptr;
  // Null: always enabled, no mark.
  void (*update)(MenuItemState& state) = nullptr;
};

const std::vector<MenuCommand>& GetModelMenuCommands();
const std::vector<MenuCommand>& GetDisplayMenuCommands();

// The command of either list; null when neither has it.
const MenuCommand* FindMenuCommand(int id);
MenuItemState UpdateMenuCommand(int id);
// Runs the command when its item is enabled; false when it did not run.
bool RunMenuCommand(int id);

// Marks the commands as built and joins them to the main window; takes them off again.
void ConnectMenuCommands(wxFrame* frame);
void DisconnectMenuCommands();

namespace menu_commands {

// Marks every pane for redraw.
void RedrawPanes();
// Asks for a whole number, typed as an equation, starting from the value; false on
// Cancel. A text that is no number is reported and asked for again.
bool AskWholeNumber(const char* prompt, int& value);
// The same for a real number, which must be more than 0.
bool AskPositiveNumber(const char* prompt, double& value);
inline void Mark(MenuItemState& state, bool on) { state.check = on ? 1 : 0; }

}  // namespace menu_commands

}  // namespace corvia
