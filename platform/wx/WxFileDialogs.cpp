#include "platform/wx/WxFileDialogs.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/imaggif.h>
#include <wx/imagjpeg.h>
#include <wx/imagpng.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/Folders.h"
#include "core/ImageHeader.h"
#include "platform/wx/WxOwner.h"

namespace corvia::platform {

namespace detail_WxFileDialogs {

wxFileDialog* gOpen = nullptr;

// The picture's room in the preview pane, in pixels.
constexpr int kPreviewSize = 160;
// How often the dialog is asked for its filter while it runs.
constexpr int kFilterPollMs = 100;

// The handlers of the kinds the preview shows that wx has not built in (BMP is) are
// added on the first preview; wx's handlers of other kinds are never added.
void EnsureImageHandlers() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG)) wxImage::AddHandler(new wxJPEGHandler);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_GIF)) wxImage::AddHandler(new wxGIFHandler);
}

// A picture of the file no larger than the preview's room, and the image's own size;
// an invalid image when the file is no picture of the kinds the program reads (known
// by its content, its size checked before it is decoded), or no file at all: a pipe
// or a device chosen in the dialog is never opened for reading.
wxImage PreviewImage(const wxString& path, wxSize* size) {
  if (path.empty()) return wxImage();
  std::vector<uint8_t> bytes;
  std::string reason;
  ImageHeader header;
  if (!ReadImageFileBytes(path.utf8_string().c_str(), bytes, reason) ||
      !ReadImageHeader(bytes.data(), bytes.size(), header, reason))
    return wxImage();
  wxBitmapType type = wxBITMAP_TYPE_INVALID;
  switch (header.kind) {
    case ImageKind::kPng:
      type = wxBITMAP_TYPE_PNG;
      break;
    case ImageKind::kJpeg:
      type = wxBITMAP_TYPE_JPEG;
      break;
    case ImageKind::kBmp:
      type = wxBITMAP_TYPE_BMP;
      break;
    case ImageKind::kGif:
      type = wxBITMAP_TYPE_GIF;
      break;
    default:
      return wxImage();
  }
  EnsureImageHandlers();
  wxLogNull quiet;  // a file that is no image is no error here
  wxMemoryInputStream stream(bytes.data(), bytes.size());
  wxImage image;
  if (!image.LoadFile(stream, type) || !image.IsOk()) return wxImage();
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  *size = wxSize(w, h);
  if (w > kPreviewSize || h > kPreviewSize) {
    const double scale = std::min(double(kPreviewSize) / w, double(kPreviewSize) / h);
    image.Rescale(std::max(1, int(w * scale)), std::max(1, int(h * scale)), wxIMAGE_QUALITY_HIGH);
  }
  return image;
}

// While the dialog runs: when the user picks another filter, the name in the name box
// is offered to the request's hook, and takes the name the hook gives back.
class FilterFollower : public wxTimer {
 public:
  FilterFollower(wxFileDialog& dialog, const FileDialogRequest& request)
      : mDialog(dialog), mRequest(request), mIndex(dialog.GetFilterIndex()) {
    if (mRequest.onTypeChange) Start(kFilterPollMs);
  }
  void Notify() override {
    const int index = mDialog.GetFilterIndex();
    if (index == mIndex || index < 0) return;
    mIndex = index;
    std::string name = wxFileName(mDialog.GetPath()).GetFullName().utf8_string();
    if (name.empty()) name = mDialog.GetFilename().utf8_string();
    if (name.empty()) return;
    if (mRequest.onTypeChange(name, index + 1)) mDialog.SetFilename(wxString::FromUTF8(name.c_str()));
  }

 private:
  wxFileDialog& mDialog;
  const FileDialogRequest& mRequest;
  int mIndex;
};

}  // namespace detail_WxFileDialogs

// The pane beside the file list; it follows the dialog's selection as the dialog
// reports it.
class PreviewPane : public wxPanel {
 public:
  PreviewPane(wxWindow* parent, CBmpDialog* dialog) : wxPanel(parent), mDialog(dialog) {
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    const wxSize room(detail_WxFileDialogs::kPreviewSize, detail_WxFileDialogs::kPreviewSize);
    dialog->mPicture = new wxStaticBitmap(this, wxID_ANY, wxBitmap(room.x, room.y));
    dialog->mPicture->SetMinSize(room);
    dialog->mText = new wxStaticText(this, wxID_ANY, "No preview");
    dialog->mText->SetMinSize(wxSize(room.x, -1));
    sizer->Add(dialog->mPicture, 0, wxALL, 4);
    sizer->Add(dialog->mText, 1, wxALL | wxALIGN_CENTER_VERTICAL, 4);
    SetSizerAndFit(sizer);
    SetMinSize(GetSize());
    Bind(wxEVT_UPDATE_UI, &PreviewPane::OnUpdate, this);
  }
 private:
  void OnUpdate(wxUpdateUIEvent&) {
    const wxString path = mDialog->GetCurrentlySelectedFilename();
    if (path != mDialog->mPreviewPath) mDialog->ShowPreview(path);
  }
  CBmpDialog* mDialog;
};

CBmpDialog::CBmpDialog(int kind, bool open, const wxString& defaultExtension, const wxString& initialName,
                       long options, const wxString& filter, wxWindow* parent)
    : wxFileDialog(parent, wxFileSelectorPromptStr, wxEmptyString, initialName, filter,
                   options | (open ? wxFD_OPEN : wxFD_SAVE)),
      mKind(kind),
      mDefaultExtension(defaultExtension) {
  SetExtraControlCreator(&CBmpDialog::CreatePreviewPane);
}

wxWindow* CBmpDialog::CreatePreviewPane(wxWindow* parent) {
  auto* dialog = dynamic_cast<CBmpDialog*>(parent);
  if (!dialog) return nullptr;
  return new PreviewPane(parent, dialog);
}

void CBmpDialog::ShowPreview(const wxString& path) {
  mPreviewPath = path;
  if (!mPicture || !mText) return;
  wxString text = "No preview";
  wxSize size;
  const wxImage image = detail_WxFileDialogs::PreviewImage(path, &size);
  const int room = detail_WxFileDialogs::kPreviewSize;
  wxBitmap picture(room, room);
  bool shown = false;
  if (image.IsOk()) {
    picture = wxBitmap(image);
    text = wxString::Format("%d x %d", size.x, size.y);
    shown = true;
  } else if (mKind == kBmpDialogFiles && !path.empty()) {
    std::string description;
    if (FilePreviewCallback describe = GetFilePreviewCallback();
        describe && describe(path.utf8_string().c_str(), description)) {
      text = wxString::FromUTF8(description.c_str());
    }
  }
  mPicture->SetBitmap(picture);
  mPicture->Show(shown);
  mText->SetLabel(text);
  if (wxWindow* pane = mText->GetParent()) pane->Layout();
}

wxString CBmpDialog::GetPreviewText() const { return mText ? mText->GetLabel() : wxString(); }

bool CBmpDialog::IsPreviewingImage() const { return mPicture && mPicture->IsShown(); }

wxString WxFileDialogWildcard(const std::string& filter) {
  std::string text = filter;
  while (!text.empty() && text.back() == '|') text.pop_back();
  return wxString::FromUTF8(text.c_str());
}

wxFileDialog* OpenFileDialog() { return detail_WxFileDialogs::gOpen; }

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

  int answer = wxID_CANCEL;
  {
    detail_WxFileDialogs::FilterFollower follower(*dialog, request);
    detail_WxFileDialogs::gOpen = dialog.get();
    answer = dialog->ShowModal();
    detail_WxFileDialogs::gOpen = nullptr;
  }
  if (answer != wxID_OK) return reply;
  reply.ok = true;
  reply.path = dialog->GetPath().utf8_string();
  reply.filterIndex = dialog->GetFilterIndex() + 1;
  return reply;
}

}  // namespace corvia::platform
