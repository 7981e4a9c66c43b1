#include "app/HelpCommands.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/Settings.h"
#include "app/UpdateCheck.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "platform/Services.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/Icons.h"
#include "ui/controls/HyperLink.h"

namespace corvia {

namespace detail_HelpCommands {

constexpr int kHelpCommands[] = {kCmdHelpManual,       kCmdHelpPaper,       kCmdHelpForums, kCmdHelpFacebook,
                                 kCmdHelpCompanionApp, kCmdCheckForUpdates, kCmdAppAbout};

// The About box's picture and the room around its lines.
constexpr int kPicturePixels = 64;
constexpr int kBorder = 10;
constexpr int kVersionMajorFactor = 1000;

// Where the manual's folder lies, from the program's folder.
constexpr const char* kManualFolders[] = {"", "manual/", "../manual/", "../share/corvia/manual/"};

void OpenPage(const char* address) { platform::Services().shell->OpenUrl(address); }

}  // namespace detail_HelpCommands

const char* GetProductTitle() { return kProductEdition; }

bool FindManualIn(const std::string& programFolder, std::string& path) {
  for (const char* folder : detail_HelpCommands::kManualFolders) {
    path = programFolder + folder + kManualFileName;
    if (FileExists(path.c_str())) return true;
  }
  path = programFolder + kManualFileName;
  return false;
}

bool FindManual(std::string& path) { return FindManualIn(GetProgramFolder(), path); }

bool OpenManual() {
  std::string path;
  if (!FindManual(path)) {
    ShowError("Can't find '%s'.\nThe manual is looked for beside the program (%s), in its \"manual\" folder and in "
              "share/corvia/manual of the installation; it is not in any of them.",
              kManualFileName, GetProgramFolder().c_str());
    return false;
  }
  if (platform::Services().shell->OpenFile(path)) return true;
  ShowError("The manual '%s' could not be shown: no web browser could be started for it.\n"
            "Open that file in a web browser to read it.",
            path.c_str());
  return false;
}

std::string ChooseUpdatePage(const char* latestVersion) {
  using namespace detail_HelpCommands;
  const int latest = ParseVersionText(latestVersion);
  const int own = ParseVersionText(kProductVersion);
  if (latest / kVersionMajorFactor > own / kVersionMajorFactor || latest > own) {
    return kDownloadsPage;
  }
  return std::string();
}

std::string GetAboutVersionText() {
  std::string text = std::string("Version ") + kProductVersion;
  if (ParseVersionText(GetLatestVersionText().c_str()) > ParseVersionText(kProductVersion)) {
    text += "  (not the latest!)";
  }
  return text;
}

void RunAboutBox(wxWindow* parent) {
  using namespace detail_HelpCommands;
  wxDialog dialog(parent, wxID_ANY, wxString::FromUTF8(std::string("About ") + GetProductTitle()),
                  wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE, "AboutBox");
  auto* lines = new wxBoxSizer(wxVERTICAL);
  auto* product = new HyperLink(&dialog, wxID_ANY, GetProductTitle());
  product->SetBold(true);
  product->SetFontHeight(product->GetFontHeight() * 3 / 2);
  product->SetName("product");
  lines->Add(product, 0, wxBOTTOM, kBorder / 2);
  auto* version = new wxStaticText(&dialog, wxID_ANY, wxString::FromUTF8(GetAboutVersionText()));
  version->SetName("version");
  lines->Add(version);
  auto* date = new wxStaticText(&dialog, wxID_ANY, kReleaseDate);
  date->SetName("date");
  lines->Add(date, 0, wxBOTTOM, kBorder);
  auto* home = new HyperLink(&dialog, wxID_ANY, "");
  home->MakeLink("Home page", kHomePage, nullptr);
  home->SetName("homePage");
  lines->Add(home);
  auto* site = new HyperLink(&dialog, wxID_ANY, "");
  site->MakeLink(kHomePage, nullptr, nullptr);
  site->SetName("webSite");
  lines->Add(site);

  auto* top = new wxBoxSizer(wxHORIZONTAL);
  auto* picture = new wxStaticBitmap(&dialog, wxID_ANY, GetIconBundle("base", kPicturePixels));
  top->Add(picture, 0, wxALL, kBorder);
  top->Add(lines, 1, wxALL, kBorder);
  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(top, 1, wxEXPAND);
  all->Add(dialog.CreateButtonSizer(wxOK), 0, wxEXPAND | wxALL, kBorder);
  dialog.SetSizerAndFit(all);
  dialog.CentreOnParent();
  dialog.ShowModal();
}

HelpCommands::HelpCommands() {
  using namespace detail_HelpCommands;
  for (int command : kHelpCommands) Bind(wxEVT_MENU, &HelpCommands::OnCommand, this, ToWxId(command));
}

void HelpCommands::MarkAvailable(bool available) {
  for (int command : detail_HelpCommands::kHelpCommands) SetCommandAvailable(command, available);
}

void HelpCommands::OnCommand(wxCommandEvent& event) {
  using namespace detail_HelpCommands;
  switch (FromWxId(event.GetId())) {
    case kCmdHelpManual:
      OpenManual();
      break;
    case kCmdHelpPaper:
      OpenPage(kPaperPage);
      break;
    case kCmdHelpForums:
      OpenPage(kForumsPage);
      break;
    case kCmdHelpFacebook:
      ShowInformation("%s has no page on Facebook. Its home page is %s", GetProductTitle(), kHomePage);
      break;
    case kCmdHelpCompanionApp:
      ShowInformation("There is no companion app for Android with %s: it runs on the Linux desktop only.",
                      GetProductTitle());
      break;
    case kCmdCheckForUpdates:
      // Without a server address no request is ever made; say so rather than nothing.
      if (IsBlank(GetAppSettings().updateUrl.c_str())) {
        ShowInformation("No update server is set in the settings, so there is nothing to check.");
      } else {
        CheckForNewVersion(true);
      }
      break;
    case kCmdAppAbout:
      RunAboutBox(wxTheApp ? wxTheApp->GetTopWindow() : nullptr);
      break;
    default:
      event.Skip();
  }
}

}  // namespace corvia
