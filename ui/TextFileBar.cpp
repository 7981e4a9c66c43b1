#include "ui/TextFileBar.h"

#include <wx/settings.h>
#include <wx/textctrl.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/HtmlText.h"
#include "core/Paths.h"
#include "core/Strings.h"
#include "platform/SafeFiles.h"

namespace corvia {

namespace detail_TextFileBar {

// The pieces a line is read in.
constexpr size_t kPieceSize = 260;

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace detail_TextFileBar

bool LoadTextFile(const char* path, std::string& text) {
  text.clear();
  // A pipe, a device or a folder is refused unopened: none of them would end.
  std::string reason;
  std::unique_ptr<FILE, detail_TextFileBar::FileCloser> file(
      path ? platform::OpenRegularFileStream(NativePath(path).c_str(), &reason) : nullptr);
  if (!file) {
    // What is there but no file says what it is.
    const bool other = path && (errno == EISDIR || errno == EINVAL);
    char message[1024];
    std::snprintf(message, sizeof message, "Can't open '%s' for reading.%s%s", path ? path : "", other ? "\n" : "",
                  other ? AsSentence(reason).c_str() : "");
    text = message;
    return false;
  }
  std::string raw;
  char piece[detail_TextFileBar::kPieceSize];
  bool cut = false;
  while (std::fgets(piece, sizeof piece, file.get())) {
    std::string line(piece);
    // A line ended by "\r\n" shows with a "\n" alone.
    if (line.size() >= 2 && line[line.size() - 2] == '\r' && line.back() == '\n') line.erase(line.size() - 2, 1);
    if (raw.size() + line.size() > kTextFileLimit) {
      cut = true;
      break;
    }
    raw += line;
  }
  text = CleanUtf8(raw.data(), raw.size());
  if (cut) {
    char note[128];
    std::snprintf(note, sizeof note, "\n[The file is longer than %zu bytes; the rest is not shown.]", kTextFileLimit);
    text += note;
  }
  return true;
}

bool TextFileBar::Create(const char* title, wxWindow* parent, int controlId) {
  if (!CSizingControlBarCF::Create(title, parent, controlId)) return false;
  SetSizingStyle((GetSizingStyle() & ~kSizingEdgeBits) | kSizingSizeChild);
  mEdit = new wxTextCtrl;
  if (!mEdit->Create(this, kTextFileBarEditId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                     wxTE_MULTILINE | wxTE_READONLY | wxVSCROLL | wxBORDER_SUNKEN)) {
    delete mEdit;
    mEdit = nullptr;
    return false;
  }
  mEdit->SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  std::string path;
  std::string text;
  if (FindProgramFile(path, kTextFileBarFile, false)) {
    LoadTextFile(path.c_str(), text);
  } else {
    char message[1024];
    std::snprintf(message, sizeof message, "Can't find file '%s'.", (GetProgramFolder() + kTextFileBarFile).c_str());
    text = message;
  }
  mEdit->SetValue(wxString::FromUTF8(text.c_str()));
  mEdit->SetSize(GetClientSize());
  return true;
}

}  // namespace corvia
