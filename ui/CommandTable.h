#pragma once
// The one table of the program's commands: id, menu path, accelerator, toolbar
// image and kind of mark. The menu bar, the toolbar buttons, the accelerator table,
// the status-bar prompts, the tooltips and the menu paths of hints are all made from
// it, so a command is named in one place only.
//
// A path is the item texts from the menu bar down, separated by " > "; the item text
// keeps its "&" mnemonic and its "...". The table lists the items of each popup in
// menu order; an entry with the id kCommandSeparator is a separator in that popup.

#include <string>
#include <vector>

#include "core/FunctionRef.h"

namespace corvia {

// Kinds and marks of a command.
constexpr unsigned kCommandCheck = 0x1;  // shows a check mark
constexpr unsigned kCommandRadio = 0x2;  // one of a group of exclusive choices
// Reached by its accelerator only; no menu item.
constexpr unsigned kCommandKeyOnly = 0x4;
// Handled, but neither in a menu nor on a key (the extra stereo modes).
constexpr unsigned kCommandNoItem = 0x8;
// In the menu resource, but taken out of the menu when the main window is made.
constexpr unsigned kCommandTakenOut = 0x10;
// The accelerator is shown in the item's text but belongs to another command.
constexpr unsigned kCommandAccelShownOnly = 0x20;

constexpr int kCommandSeparator = 0;

// wx accepts window and menu ids only below 32767, while the commands keep their own
// numbers (32768 and up): a command's wx id is its number less this offset.
constexpr int kWxIdOffset = 30000;
constexpr int ToWxId(int command) {
  return command - kWxIdOffset;
}
constexpr int FromWxId(int id) {
  return id + kWxIdOffset;
}

struct CommandInfo {
  int id = 0;
  const char* path = "";   // "View > Toolbars > Show Main Toolbar"
  const char* accel = "";  // "Ctrl+Right Arrow", "Shift+H", "F1"; empty for none
  const char* icon = "";   // name of the toolbar image (ui/icons/<name>.svg); empty for none
  unsigned flags = 0;
  const char* tip = "";  // the tooltip and prompt when the item's text says less
};

// Every command, in menu order (separators included).
const std::vector<CommandInfo>& GetCommandTable();
// The entry of a command, or null (never a separator).
const CommandInfo* FindCommand(int id);

// The parts of a path: "View > Toolbars > Show Main Toolbar" gives three.
std::vector<std::string> SplitMenuPath(const char* path);
// A menu text without its "&" mnemonics ("&&" stays one "&") and without what
// follows a tab. An "&" before a blank or at the end marks no key: it is the word
// "and" of the text ("Vertex & Edge Options") and stays.
std::string StripMenuText(const std::string& text);
// A text of the table as the toolkit's label wants it: the "&" that marks no key
// doubled, so that it shows instead of underlining the blank after it.
std::string MenuLabelText(const std::string& text);
// Whether two menu texts are the same when every '&' (the mnemonic mark) is left out.
bool MenuTextEquals(const char* a, const char* b);
// The menu path of a command joined by "->", mnemonics and accelerators left out;
// empty for a command without a menu item.
std::string GetCommandMenuPath(int id);
// The prompt of the status bar and the tooltip: the entry's tip, else the item's text
// without mnemonic, accelerator and trailing "...". Empty for an unknown command.
std::string GetCommandPrompt(int id);

// What a command does, as the words "There was not enough memory to ..." go on
// (core/OperationGuard.h): 'carry out "Create Geodesic Sphere"'; for no command (0) or
// an unknown one, what any operation is.
std::string GetCommandOperationText(int id);
// Runs the work of the command (0: an event that is no command) as one operation
// (core/OperationGuard.h), told in the command's words; false when it ran out of memory.
bool RunCommandOperation(int id, FunctionRef<void()> work);

// Whether a command's Part is in this build: commands nobody handles yet are shown
// disabled. The window classes mark what they handle; the document and the panes do
// the same for theirs.
void SetCommandAvailable(int id, bool available);
bool IsCommandAvailable(int id);

// Accelerator texts as the menus show them, turned into a key: flags are a
// combination of kAccelCtrl, kAccelShift and kAccelAlt; the key is a character in
// upper case or one of the named keys below. False for a text that names no key
// ("Ctrl+1-6").
constexpr int kAccelShift = 0x1;
constexpr int kAccelCtrl = 0x2;
constexpr int kAccelAlt = 0x4;
enum AccelKey : int {
  kKeyLeft = 0x10000,
  kKeyRight,
  kKeyUp,
  kKeyDown,
  kKeyEscape,
  kKeyTab,
  kKeyF1,  // F1 to F12 follow
};
bool ParseAccelerator(const char* text, int& flags, int& key);
// The command whose accelerator is the key with the flags, as a key press reaches the
// program; 0 when none is (commands taken out of the menus, and accelerators shown in
// an item for another command, are not looked at).
int FindCommandOfKey(int flags, int key);

}  // namespace corvia
