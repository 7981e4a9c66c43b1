#pragma once
// The open and save dialogs over wxFileDialog, and the previewing dialog.

#include <wx/filedlg.h>

#include "platform/FileDialogFrontEnd.h"

namespace corvia::platform {

// Kinds of the previewing dialog.
constexpr int kBmpDialogImages = 0;  // previews images
constexpr int kBmpDialogFiles = 1;   // describes any file through the installed preview callback

// The file dialog with a preview pane. The pane itself comes with the image
// loading; until then the dialog is the plain one and keeps its kind for it.
class CBmpDialog : public wxFileDialog {
 public:
  // `options` are wxFileDialog styles; open picks wxFD_OPEN, else wxFD_SAVE.
  CBmpDialog(int kind, bool open, const wxString& defaultExtension, const wxString& initialName, long options,
             const wxString& filter, wxWindow* parent);

  int Kind() const { return mKind; }
  const wxString& DefaultExtension() const { return mDefaultExtension; }

 private:
  int mKind;
  wxString mDefaultExtension;
};

class WxFileDialogs final : public FileDialogFrontEnd {
 public:
  FileDialogReply RunFileDialog(const FileDialogRequest& request) override;
};

// The filter in wx's form: the same fields, without the empty trailing ones.
wxString WxFileDialogWildcard(const std::string& filter);

}  // namespace corvia::platform
