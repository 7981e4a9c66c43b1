// The program's entry point: the wx front ends of the platform seam, the settings
// store, the user's folders, and the main window.

#include <clocale>

#include <wx/wx.h>

#include "core/Folders.h"
#include "core/Messages.h"
#include "files/ImageFormats.h"
#include "platform/HttpClient.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/wx/CurlHttpClient.h"
#include "platform/wx/WxFileDialogs.h"
#include "platform/wx/WxMessages.h"
#include "platform/wx/WxProgress.h"
#include "platform/wx/WxShell.h"

namespace {

class CorviaApp : public wxApp {
public:
  bool OnInit() override {
    // Files, typed numbers and messages use '.' whatever the desktop's locale;
    // GTK may have changed it while starting.
    std::setlocale(LC_NUMERIC, "C");

    corvia::platform::ServiceSet services;
    services.messages = &mMessages;
    services.progress = &mProgress;
    services.shell = &mShell;
    services.fileDialogs = &mFileDialogs;
    corvia::platform::InstallServices(services);
    corvia::platform::InstallHttpClient(&mHttp);
    corvia::InstallImageFormatTest();

    auto* frame = new wxFrame(nullptr, wxID_ANY, "Corvia", wxDefaultPosition, wxSize(1024, 768));
    SetTopWindow(frame);
    frame->Show();

    corvia::platform::LoadResult loaded = corvia::platform::SettingsStore::Instance().Load();
    if (!loaded.warning.empty()) corvia::ShowWarning("%s", loaded.warning.c_str());
    corvia::CreateDefaultFolders();
    return true;
  }

  int OnExit() override {
    corvia::platform::SaveResult saved = corvia::platform::SettingsStore::Instance().Save();
    if (!saved.saved && !saved.error.empty()) std::fprintf(stderr, "corvia: %s\n", saved.error.c_str());
    corvia::platform::InstallHttpClient(nullptr);
    corvia::platform::ResetServices();
    return wxApp::OnExit();
  }

private:
  corvia::platform::WxMessages mMessages;
  corvia::platform::WxProgress mProgress;
  corvia::platform::WxShell mShell;
  corvia::platform::WxFileDialogs mFileDialogs;
  corvia::platform::CurlHttpClient mHttp;
};

}  // namespace

wxIMPLEMENT_APP(CorviaApp);
