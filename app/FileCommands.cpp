#include "app/FileCommands.h"

#include <sys/stat.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include <cstdlib>
#include <string>

#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/RecentFiles.h"
#include "construction/Library.h"
#include "core/Folders.h"
#include "core/Messages.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "files/ModelFile.h"
#include "model/FaceTypeBlock.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "nets/MetricData.h"
#include "render/OutcomeBoxes.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"

namespace corvia {

namespace detail_FileCommands {

constexpr int kCmdFileOpen = 57601;
constexpr int kCmdFileSave = 57603;
constexpr int kCmdFileSaveAs = 57604;
constexpr int kFileCommands[] = {kCmdFileOpen, kCmdFileSave, kCmdFileSaveAs, kCmdExportMetricData};

bool IsRecentFileItem(const wxMenuItem* item) {
  const int command = FromWxId(item->GetId());
  return !item->IsSeparator() && command >= kRecentFileFirstCommand && command <= kRecentFileLastCommand;
}

// A file marked read-only (no write bit for anyone), or one this user may not write.
bool IsReadOnlyFile(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return false;
  return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || !PathExists(path.c_str(), false, true);
}

// The name the model goes by in the title.
std::string ModelName(const Poly* poly) {
  if (!poly) return std::string();
  if (!IsBlank(poly->mName)) return poly->mName;
  if (poly->mLibraryEntry && poly->mLibraryEntry->mName) return poly->mLibraryEntry->mName;
  return std::string();
}

// Save As, starting from the document's file or, for a model with none, from the
// model's name in the model files folder.
bool AskAndSave(CPolyDoc& document) {
  std::string path = document.GetPathName();
  if (IsBlank(path.c_str())) {
    path = std::string(DefaultFolder(DefaultFolderKind::Program).GetPath()) + "/" +
           FileNameForModel(ModelName(GetCurrentPoly()), kLibraryExtension);
  }
  int filterIndex = 1;
  if (!AskFileToSave("Save As", path, kLibraryExtension + 1, kModelFileFilter,
                     &DefaultFolder(DefaultFolderKind::Program), &filterIndex)) {
    return false;
  }
  return SaveDocumentAs(document, path);
}

void UpdateMainWindowMenu() {
  if (wxFrame* frame = CPolyApp::Get().GetMainWindow()) UpdateRecentFileMenu(frame->GetMenuBar());
}

}  // namespace detail_FileCommands

FileCommands::FileCommands() {
  using namespace detail_FileCommands;
  const auto bind = [this](int command, bool (*run)(CPolyDoc&)) {
    Bind(
        wxEVT_MENU,
        [run](wxCommandEvent&) {
          if (CPolyDoc* document = GetDocument()) run(*document);
        },
        ToWxId(command));
  };
  bind(kCmdFileOpen, &FileCommands::OnFileOpen);
  bind(kCmdFileSave, &FileCommands::OnFileSave);
  bind(kCmdFileSaveAs, &FileCommands::OnFileSaveAs);
  Bind(
      wxEVT_MENU, [](wxCommandEvent&) { OnExportMetricData(); }, ToWxId(kCmdExportMetricData));
  for (int command : {kCmdFileSave, kCmdFileSaveAs, kCmdExportMetricData}) {
    Bind(
        wxEVT_UPDATE_UI, [](wxUpdateUIEvent& event) { event.Enable(GetDocument() && GetCurrentPoly()); },
        ToWxId(command));
  }
  Bind(
      wxEVT_MENU, [](wxCommandEvent& event) { CPolyApp::Get().OnRecentFile(FromWxId(event.GetId())); },
      ToWxId(kRecentFileFirstCommand), ToWxId(kRecentFileLastCommand));
  Bind(
      wxEVT_UPDATE_UI,
      [](wxUpdateUIEvent& event) {
        event.Enable(FromWxId(event.GetId()) - kRecentFileFirstCommand < GetRecentFiles().Count());
      },
      ToWxId(kRecentFileFirstCommand), ToWxId(kRecentFileLastCommand));
  GetRecentFiles().SetChangeListener(&UpdateMainWindowMenu);
  UpdateMainWindowMenu();
}

FileCommands::~FileCommands() {
  GetRecentFiles().SetChangeListener(nullptr);
}

void FileCommands::MarkAvailable(bool available) {
  for (int command : detail_FileCommands::kFileCommands) SetCommandAvailable(command, available);
  for (int command = kRecentFileFirstCommand; command <= kRecentFileLastCommand; ++command)
    SetCommandAvailable(command, available);
}

bool FileCommands::OnFileOpen(CPolyDoc& document) {
  std::string path;
  int filterIndex = 1;
  if (!AskFileToOpen("Open", path, kLibraryExtension + 1, kModelFileFilter, &DefaultFolder(DefaultFolderKind::Program),
                     &filterIndex)) {
    return false;
  }
  return document.OnOpenDocument(path.c_str());
}

bool FileCommands::OnFileSave(CPolyDoc& document) {
  const std::string& path = document.GetPathName();
  // A model with no file, or whose file may not be written, is saved under a new name.
  if (IsBlank(path.c_str()) || detail_FileCommands::IsReadOnlyFile(path))
    return detail_FileCommands::AskAndSave(document);
  return SaveDocumentAs(document, std::string(path));
}

bool FileCommands::OnFileSaveAs(CPolyDoc& document) {
  return detail_FileCommands::AskAndSave(document);
}

bool FileCommands::OnExportMetricData() {
  Poly* poly = GetCurrentPoly();
  if (!poly) return false;
  // The side the active pane shows, else the one the model shows.
  CPolyView* pane = CPolyView::GetActive();
  FaceTypeBlock* block = pane ? pane->GetShownBlock(false) : nullptr;
  if (!block) block = poly->GetShownBlock();
  Model3D* model = GetModel3DOrTell(block, true);
  if (!model) {
    ShowError("%s", kNoFacetModelMessage);
    return false;
  }
  const std::string name = pane ? pane->Caption().GetExportModelName() : detail_FileCommands::ModelName(poly);
  std::string path =
      std::string(DefaultFolder(DefaultFolderKind::Export).GetPath()) + "/" + FileNameForModel(name, ".txt");
  int filterIndex = 1;
  if (!AskFileToSave(kMetricDataDialogTitle, path, "txt", kMetricDataFilter, &DefaultFolder(DefaultFolderKind::Export),
                     &filterIndex)) {
    return false;
  }
  TellOutcome(WriteMetricDataFile(model, path.c_str(), name.c_str()));
  return true;
}

bool SaveDocumentAs(CPolyDoc& document, const std::string& path) {
  if (!TellOutcome(SaveModelFile(path.c_str(), kModelFileSameForm, document.GetCurrentPoly()))) return false;
  document.SetPathName(path.c_str(), true);
  document.SetModifiedFlag(false);
  return true;
}

void UpdateRecentFileMenu(wxMenuBar* menuBar) {
  using namespace detail_FileCommands;
  wxMenu* menu = nullptr;
  wxMenuItem* exitItem = menuBar ? menuBar->FindItem(ToWxId(kCmdAppExit), &menu) : nullptr;
  if (!exitItem || !menu) return;
  // The entries made before go, with the separator below them.
  for (size_t pos = 0; pos < menu->GetMenuItemCount();) {
    wxMenuItem* item = menu->FindItemByPosition(pos);
    if (!IsRecentFileItem(item)) {
      ++pos;
      continue;
    }
    menu->Destroy(item);
    // The entries stand together: a separator right below one is theirs.
    wxMenuItem* below = pos < menu->GetMenuItemCount() ? menu->FindItemByPosition(pos) : nullptr;
    if (below && below->IsSeparator()) menu->Destroy(below);
  }
  const RecentFileList& list = GetRecentFiles();
  if (list.Count() == 0) return;
  size_t at = 0;
  while (at < menu->GetMenuItemCount() && menu->FindItemByPosition(at) != exitItem) ++at;
  const char* home = std::getenv("HOME");
  for (int i = 0; i < list.Count() && kRecentFileFirstCommand + i <= kRecentFileLastCommand; ++i) {
    menu->Insert(at++, ToWxId(kRecentFileFirstCommand + i),
                 wxString::FromUTF8(EscapeNonUtf8(RecentFileMenuText(i, list.Get(i), home ? home : ""))),
                 wxString::FromUTF8(EscapeNonUtf8("Open " + list.Get(i))));
  }
  menu->InsertSeparator(at);
}

std::string RecentFileMenuText(int index, const std::string& path, const std::string& home) {
  std::string shown = path;
  if (home.size() > 1 && shown.size() > home.size() && shown.compare(0, home.size(), home) == 0 &&
      shown[home.size()] == '/') {
    shown = "~" + shown.substr(home.size());
  }
  std::string text;
  const int number = index + 1;
  if (number < 10) {
    text = "&" + std::to_string(number);
  } else if (number == 10) {
    text = "1&0";
  } else {
    text = std::to_string(number);
  }
  text += ' ';
  // A '&' of the path is shown as it is, not taken as a mnemonic.
  for (char c : shown) {
    text += c;
    if (c == '&') text += '&';
  }
  return text;
}

std::string FileNameForModel(const std::string& name, const char* extension) {
  std::string file;
  for (char c : name) {
    if (c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
        static_cast<unsigned char>(c) < 0x20) {
      continue;
    }
    file += c == '/' ? ';' : c;
  }
  const size_t start = file.find_first_not_of(" .");
  file = start == std::string::npos ? std::string() : file.substr(start);
  while (!file.empty() && (file.back() == ' ' || file.back() == '.')) file.pop_back();
  if (file.empty()) file = "Untitled";
  return file + (extension ? extension : "");
}

}  // namespace corvia
