#pragma once
// The Help menu: the manual in the browser, the product's web pages, the About box,
// the update check started at once, and the page its answer offers.

#include <wx/event.h>

#include <string>

class wxWindow;

namespace corvia {

// What the About box and the menus show.
constexpr const char* kReleaseDate = "8th December 2026";
constexpr const char* kManualFileName = "CorviaManual.html";

// The product's web pages.
constexpr const char* kHomePage = "https://www.corvia-polyhedra.org/";
constexpr const char* kPaperPage = "https://www.corvia-polyhedra.org/polyhedra-explained/";
constexpr const char* kForumsPage = "https://www.corvia-polyhedra.org/forums/";
constexpr const char* kVersionHistoryPage = "https://www.corvia-polyhedra.org/history/";
constexpr const char* kDownloadsPage = "https://www.corvia-polyhedra.org/download/";

// The title the About box and its product line show.
const char* GetProductTitle();

// Where the manual's start page is, for a program in the folder (ending in '/'):
// beside it, in the "manual" folder beside it or one folder up (the build tree), or
// where it is installed (share/corvia/manual beside bin). False when none exists,
// with the path tried first.
bool FindManualIn(const std::string& programFolder, std::string& path);
bool FindManual(std::string& path);
// Opens the manual's start page in the browser; tells the user when it is missing.
bool OpenManual();

// The page offered for the latest version found: the downloads page for a newer
// version, none (empty) otherwise.
std::string ChooseUpdatePage(const char* latestVersion);

// The About box: the product, its version (marked when the update check found a
// newer one), its release date and links to its web site. Modal.
void RunAboutBox(wxWindow* parent);
// The version line the About box shows.
std::string GetAboutVersionText();

// The Help menu's commands, asked by the main window before the frame itself.
class HelpCommands final : public wxEvtHandler {
 public:
  HelpCommands();
  // Enables or disables the commands in the menus.
  static void MarkAvailable(bool available);

 private:
  void OnCommand(wxCommandEvent& event);
};

}  // namespace corvia
