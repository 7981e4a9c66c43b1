#pragma once
// The option, creation and choice dialogs. Each dialog has a record of its own kind
// (derived from DialogValues) with the values it starts from; the caller fills it,
// the front end runs the dialog on it and, when the user confirms, hands it back
// with the user's choices. The program installs the wx dialogs; tests install a
// headless front end that answers from a script and never blocks.

#include <string>

namespace corvia::platform {

class DialogValues {
 public:
  virtual ~DialogValues() = default;
  // The dialog's name: also the settings key under which it remembers its place.
  virtual const char* DialogName() const = 0;
};

class DialogFrontEnd {
 public:
  virtual ~DialogFrontEnd() = default;
  // Runs the dialog of the record's kind modally. True when the user confirmed (the
  // record then holds the choices); false when cancelled (the record is unchanged).
  virtual bool RunDialog(DialogValues& values) = 0;
  // Opens a dialog that stays open beside the main window, or brings it to the front
  // when it is open already. Its changes take effect while it is open.
  virtual void ShowModeless(DialogValues& values) = 0;
  // Whether the modeless dialog of that name is open.
  virtual bool IsOpen(const std::string& name) const = 0;
  // Asks the open modeless dialog of that name to read its values again.
  virtual void Refresh(const std::string& name) = 0;
  // Applies the fields of the open modeless dialog of that name, as its Apply button
  // does.
  virtual void Apply(const std::string& name) = 0;
};

}  // namespace corvia::platform
