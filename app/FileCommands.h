#pragma once
// The File menu's commands on files: Open, Save and Save As (also the main toolbar's
// buttons), the recent files at the foot of the menu, and Export Metric Data. A
// command target of the main window, which CPolyApp adds.
//
// Open asks for a model file in the model files folder and opens it in the document
// (a file that cannot be read leaves the current model as it was); Save writes the
// current model to the document's file in the form it was read in, or asks for a
// name like Save As when the model has no file or its file may not be written; the
// file keeps its old contents until the new ones are complete.

#include <wx/event.h>

#include <string>

class wxMenuBar;

namespace corvia {

class CPolyDoc;

// "File > Export Metric Data..."'s dialog title and file filter; the model files'.
constexpr const char* kMetricDataDialogTitle = "Save Face Table Data";
constexpr const char* kMetricDataFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
constexpr const char* kModelFileFilter = "Corvia Files (*.corv)|*.corv|All Files (*.*)|*.*||";
// What the metric export says when the shown model has no facet model.
constexpr const char* kNoFacetModelMessage = "Couldn't create 3D model";

class FileCommands final : public wxEvtHandler {
 public:
  // Joins the recent-file list to the main window's File menu.
  FileCommands();
  ~FileCommands() override;
  FileCommands(const FileCommands&) = delete;
  FileCommands& operator=(const FileCommands&) = delete;

  // Enables or disables the commands in the menus.
  static void MarkAvailable(bool available);

  // The commands, each false when cancelled or when nothing was done.
  static bool OnFileOpen(CPolyDoc& document);
  static bool OnFileSave(CPolyDoc& document);
  static bool OnFileSaveAs(CPolyDoc& document);
  static bool OnExportMetricData();
};

// Writes the current model to the path in the form it was read in; the path becomes
// the document's and the newest recent file. False after a message.
bool SaveDocumentAs(CPolyDoc& document, const std::string& path);

// Puts the recent files into the menu bar's File menu anew, above Exit and set off
// by a separator; none when the list is empty.
void UpdateRecentFileMenu(wxMenuBar* menuBar);
// The menu text of the recent file at the index (from 0): its number as mnemonic
// ("&1 " to "&9 ", "1&0 ", then "11 ", ...) and the path, the home folder as "~".
std::string RecentFileMenuText(int index, const std::string& path, const std::string& home);

// A file name for a model name and extension: '/' (as in "5/2") becomes ';', the
// characters no file name should hold are left out, and a blank name is "Untitled".
std::string FileNameForModel(const std::string& name, const char* extension);

}  // namespace corvia
