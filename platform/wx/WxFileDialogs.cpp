#include "platform/wx/WxFileDialogs.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/toplevel.h>

#include <memory>

#include "platform/wx/WxOwner.h"

namespace corvia::platform {

CBmpDialog::CBmpDialog(int kind, bool open, const wxString& defaultExtension, const wxString& initialName,
                       long options, const wxString& filter, wxWindow* parent)
    : wxFileDialog(parent, wxFileSelectorPromptStr, wxEmptyString, initialName, filter,
                   options | (open ? wxFD_OPEN : wxFD_SAVE)),
      mKind(kind),
      mDefaultExtension(defaultExtension) {}

wxString WxFileDialogWildcard(const std::string& filter) {
  std::string text = filter;
  while (!text.empty() && text.back() == '|') text.pop_back();
  return wxString::FromUTF8(text.c_str());
}

FileDialogReply WxFileDialogs::RunFileDialog(const FileDialogRequest& request) {
  FileDialogReply reply;
  reply.filterIndex = request.filterIndex;
  wxWindow* owner = DialogOwner();
  long style = request.saving ? wxFD_SAVE : wxFD_OPEN;
  if (request.overwritePrompt) style |= wxFD_OVERWRITE_PROMPT;
  if (request.mustExist) style |= wxFD_FILE_MUST_EXIST;
  wxString wildcard = WxFileDialogWildcard(request.filter);
  wxString name = wxString::FromUTF8(request.fileName.c_str());

  std::unique_ptr<wxFileDialog> dialog;
  if (request.kind == FileDialogKind::Plain) {
    dialog = std::make_unique<wxFileDialog>(owner, wxFileSelectorPromptStr, wxEmptyString, name, wildcard, style);
  } else {
    int kind = request.kind == FileDialogKind::ImagePreview ? kBmpDialogImages : kBmpDialogFiles;
    wxString extension = wxFileName(name).GetExt();
    dialog = std::make_unique<CBmpDialog>(kind, !request.saving, extension, name,
                                          style & ~(wxFD_OPEN | wxFD_SAVE), wildcard, owner);
  }
  dialog->SetTitle(wxString::FromUTF8(request.title.c_str()));
  if (!request.folder.empty()) dialog->SetDirectory(wxString::FromUTF8(request.folder.c_str()));
  if (request.filterIndex >= 1) dialog->SetFilterIndex(request.filterIndex - 1);
  dialog->CentreOnParent();

  if (dialog->ShowModal() != wxID_OK) return reply;
  reply.ok = true;
  reply.path = dialog->GetPath().utf8_string();
  reply.filterIndex = dialog->GetFilterIndex() + 1;
  return reply;
}

}  // namespace corvia::platform
