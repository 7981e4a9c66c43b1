// The wx file dialogs on screen, each answered by a timer while its modal loop runs:
// the name follows the chosen filter, and the previewing dialog shows images and
// describes other files.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <cstdio>
#include <functional>
#include <string>

#include "core/Folders.h"
#include "platform/wx/WxFileDialogs.h"
#include "tests/support/TestSupport.h"

namespace test_FileDialogs {

using corvia::platform::CBmpDialog;
using corvia::platform::FileDialogKind;
using corvia::platform::FileDialogRequest;
using corvia::platform::OpenFileDialog;
using corvia::platform::WxFileDialogs;

// Runs the step on the open dialog every few milliseconds until it says it is done,
// then cancels the dialog; gives up (cancelling too) after a few seconds.
class Driver : public wxTimer {
 public:
  explicit Driver(std::function<bool(wxFileDialog&)> step) : mStep(std::move(step)) { Start(kPeriodMs); }
  void Notify() override {
    wxFileDialog* dialog = OpenFileDialog();
    if (!dialog || !dialog->IsShown()) return;
    mDone = mStep(*dialog);
    if (mDone || ++mTicks > kMaxTicks) {
      Stop();
      dialog->EndModal(wxID_CANCEL);
    }
  }
  bool Done() const { return mDone; }

 private:
  static constexpr int kPeriodMs = 50;
  static constexpr int kMaxTicks = 100;
  std::function<bool(wxFileDialog&)> mStep;
  int mTicks = 0;
  bool mDone = false;
};

std::string TempFolder() { return wxFileName::GetTempDir().utf8_string(); }

TEST(FileDialogs, TheNameFollowsTheChosenFilter) {
  FileDialogRequest request;
  request.title = "Save Model";
  request.folder = TempFolder();
  request.fileName = "shape.corv";
  request.filter = "Model Files (*.corv)|*.corv|Text Files (*.txt)|*.txt||";
  request.saving = true;
  const std::string filter = request.filter;
  request.onTypeChange = [filter](std::string& name, int index) {
    return corvia::FileDialogHook(corvia::FileDialogNotification::TypeChange, name, filter, index, '|');
  };
  bool switched = false;
  wxString seen;
  Driver driver([&](wxFileDialog& dialog) {
    if (!switched) {
      dialog.SetFilterIndex(1);
      switched = true;
      return false;
    }
    seen = dialog.GetFilename();
    return seen == "shape.txt";
  });
  WxFileDialogs dialogs;
  const auto reply = dialogs.RunFileDialog(request);
  EXPECT_FALSE(reply.ok);
  EXPECT_TRUE(driver.Done()) << "the name box held " << seen.utf8_string();
  EXPECT_EQ(OpenFileDialog(), nullptr);
}

// The installed describer names the files it is shown.
bool DescribeByName(const char* path, std::string& description) {
  description = "Described: " + wxFileName(wxString::FromUTF8(path)).GetFullName().utf8_string();
  return true;
}

TEST(FileDialogs, ThePreviewShowsImagesAndDescribesOtherFiles) {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  const wxString picture = wxFileName(wxFileName::GetTempDir(), "corvia-preview-test.png").GetFullPath();
  const wxString text = wxFileName(wxFileName::GetTempDir(), "corvia-preview-test.txt").GetFullPath();
  wxImage image(40, 30);
  image.SetRGB(wxRect(0, 0, 40, 30), 200, 40, 40);
  ASSERT_TRUE(image.SaveFile(picture, wxBITMAP_TYPE_PNG));
  if (FILE* f = std::fopen(text.utf8_string().c_str(), "w")) {
    std::fputs("not a picture\n", f);
    std::fclose(f);
  }
  // A picture of a kind the program does not read, and a pipe that nobody writes to.
  const wxString xpm = wxFileName(wxFileName::GetTempDir(), "corvia-preview-test.xpm").GetFullPath();
  if (FILE* f = std::fopen(xpm.utf8_string().c_str(), "w")) {
    std::fputs("/* XPM */\nstatic const char *x[] = {\"1 1 1 1\", \"a c #ff0000\", \"a\"};\n", f);
    std::fclose(f);
  }
  const wxString pipe = wxFileName(wxFileName::GetTempDir(), "corvia-preview-test.pipe.png").GetFullPath();
  std::remove(pipe.utf8_string().c_str());  // left by an earlier run, if any
  ASSERT_EQ(mkfifo(pipe.utf8_string().c_str(), 0600), 0);

  FileDialogRequest request;
  request.title = "Open Image";
  request.folder = TempFolder();
  request.filter = "PNG Files (*.png)|*.png|All Files (*.*)|*.*||";
  request.kind = FileDialogKind::ImagePreview;
  WxFileDialogs dialogs;
  {
    bool image = false;
    bool other = false;
    Driver driver([&](wxFileDialog& dialog) {
      auto* preview = dynamic_cast<CBmpDialog*>(&dialog);
      if (!preview) return false;
      preview->ShowPreview(picture);
      image = preview->IsPreviewingImage() && preview->GetPreviewText() == "40 x 30";
      // Without a describer a file that is no image has no preview; nor has a picture of
      // another kind, or a pipe (which is never waited on).
      other = true;
      for (const wxString& none : {text, xpm, pipe}) {
        preview->ShowPreview(none);
        other = other && !preview->IsPreviewingImage() && preview->GetPreviewText() == "No preview";
      }
      return true;
    });
    EXPECT_FALSE(dialogs.RunFileDialog(request).ok);
    ASSERT_TRUE(driver.Done());
    EXPECT_TRUE(image);
    EXPECT_TRUE(other);
  }

  // The describing kind asks the installed callback about any file that is no image.
  corvia::SetFilePreviewCallback(DescribeByName);
  request.kind = FileDialogKind::FilePreview;
  {
    wxString described;
    bool image = false;
    Driver driver([&](wxFileDialog& dialog) {
      auto* preview = dynamic_cast<CBmpDialog*>(&dialog);
      if (!preview) return false;
      preview->ShowPreview(text);
      described = preview->GetPreviewText();
      preview->ShowPreview(picture);
      image = preview->IsPreviewingImage();
      return true;
    });
    EXPECT_FALSE(dialogs.RunFileDialog(request).ok);
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(described, "Described: corvia-preview-test.txt");
    EXPECT_TRUE(image);
  }
  corvia::SetFilePreviewCallback(nullptr);
  wxRemoveFile(picture);
  wxRemoveFile(text);
  wxRemoveFile(xpm);
  wxRemoveFile(pipe);
}

}  // namespace test_FileDialogs
