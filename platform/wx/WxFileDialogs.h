#pragma once
// The open and save dialogs over wxFileDialog, and the previewing dialog.

#include <wx/filedlg.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <functional>
#include <string>

#include "platform/FileDialogFrontEnd.h"

namespace corvia::platform {

// Kinds of the previewing dialog.
constexpr int kBmpDialogImages = 0;  // previews images
constexpr int kBmpDialogFiles = 1;   // describes any file through the installed preview callback

// The file dialog with a preview pane beside the file list: the chosen file's picture
// when it is an image, else (in the describing kind) the text the installed preview
// callback gives, else a line saying there is none.
class CBmpDialog : public wxFileDialog {
 public:
  // `options` are wxFileDialog styles; open picks wxFD_OPEN, else wxFD_SAVE.
  CBmpDialog(int kind, bool open, const wxString& defaultExtension, const wxString& initialName, long options,
             const wxString& filter, wxWindow* parent);

  int Kind() const { return mKind; }
  const wxString& DefaultExtension() const { return mDefaultExtension; }

  // Shows the file in the preview pane (an empty path clears it); nothing before the
  // pane exists, which is when the dialog is shown.
  void ShowPreview(const wxString& path);
  // What the pane shows: its text, and whether it shows a picture.
  wxString GetPreviewText() const;
  bool IsPreviewingImage() const;

 private:
  friend class PreviewPane;
  static wxWindow* CreatePreviewPane(wxWindow* parent);

  int mKind;
  wxString mDefaultExtension;
  wxString mPreviewPath;
  // The preview pane's controls, null once they are gone (the pane, a child of the
  // dialog, goes after the dialog's own members).
  wxWeakRef<wxStaticBitmap> mPicture;
  wxWeakRef<wxStaticText> mText;
};

class WxFileDialogs final : public FileDialogFrontEnd {
 public:
  FileDialogReply RunFileDialog(const FileDialogRequest& request) override;
};

// The filter in wx's form: the same fields, without the empty trailing ones.
wxString WxFileDialogWildcard(const std::string& filter);

// The file dialog while it runs, else null (window tests answer it through this).
wxFileDialog* OpenFileDialog();

}  // namespace corvia::platform
