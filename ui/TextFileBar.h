#pragma once
// TextFileBar: a docking bar that shows the text of the file "num1" found beside
// the program, read once when the bar is made, in a read-only box that fills it.
// Nothing in the main window makes one yet.

#include <string>

#include "ui/SizingControlBar.h"

class wxTextCtrl;

namespace corvia {

// The file the bar shows, and the id of its text box.
constexpr const char* kTextFileBarFile = "num1";
constexpr int kTextFileBarEditId = 1001;
// A file longer than this shows only its beginning.
constexpr size_t kTextFileLimit = 4 * 1024 * 1024;

// Reads a text file into a string for a text box: "\n" ends every line that ended
// in "\n" or "\r\n", bytes that begin no UTF-8 character show as "?", and a file
// longer than kTextFileLimit is cut with a note. False, with the message in the
// text, when the file cannot be opened.
bool LoadTextFile(const char* path, std::string& text);

class TextFileBar : public CSizingControlBarCF {
 public:
  // Makes the bar and its box and fills the box: the file's text, or why it cannot
  // be shown. False when the bar or its box cannot be made.
  bool Create(const char* title, wxWindow* parent, int controlId);
  wxTextCtrl* GetEdit() const { return mEdit; }

 private:
  wxTextCtrl* mEdit = nullptr;
};

}  // namespace corvia
