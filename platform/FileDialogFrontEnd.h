#pragma once
// The open and save dialogs. The core decides the filter, the starting folder, the
// proposed name and which kind of dialog fits; the front end shows it and hands back
// the user's choice. Filters are "description|patterns|description|patterns|..."
// with patterns separated by ';' (a trailing "||" is allowed).

#include <functional>
#include <string>

namespace corvia::platform {

enum class FileDialogKind {
  Plain,         // the plain dialog
  ImagePreview,  // the previewing dialog, showing images
  FilePreview,   // the previewing dialog, describing files through the installed callback
};

struct FileDialogRequest {
  std::string title;
  std::string folder;    // starting folder; empty for the current one
  std::string fileName;  // proposed name, without folder
  std::string filter;
  int filterIndex = 1;   // chosen filter, counted from 1
  bool saving = false;   // a save dialog rather than an open dialog
  bool overwritePrompt = false;
  bool mustExist = false;  // the folder and the file must exist (open)
  FileDialogKind kind = FileDialogKind::Plain;
  // Called when the user picks another filter: may change the name in the name box
  // (returns true when it did).
  std::function<bool(std::string& name, int filterIndex)> onTypeChange;
};

struct FileDialogReply {
  bool ok = false;        // false when cancelled
  std::string path;       // the chosen file, full path
  int filterIndex = 1;    // the filter in use when the dialog closed, from 1
};

class FileDialogFrontEnd {
 public:
  virtual ~FileDialogFrontEnd() = default;
  // Runs the dialog modally, centred on its owner.
  virtual FileDialogReply RunFileDialog(const FileDialogRequest& request) = 0;
};

}  // namespace corvia::platform
