#include "app/StartUp.h"

#include <clocale>
#include <cstdio>

#include <wx/frame.h>

#include "core/Folders.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "files/ImageFormats.h"
#include "platform/HttpClient.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/wx/CurlHttpClient.h"
#include "platform/wx/WxColourChooser.h"
#include "platform/wx/WxFileDialogs.h"
#include "platform/wx/WxMessages.h"
#include "platform/wx/WxProgress.h"
#include "platform/wx/WxShell.h"
#include "ui/SharedGLContext.h"

namespace corvia::app {

namespace detail_StartUp {

struct FrontEnds {
  platform::WxMessages messages;
  platform::WxProgress progress;
  platform::WxShell shell;
  platform::WxFileDialogs fileDialogs;
  platform::CurlHttpClient http;
  // The chooser installed before start-up, put back at shut-down.
  ColorChooserFunction previousChooser = nullptr;
};

FrontEnds*& Installed() {
  static FrontEnds* frontEnds = nullptr;
  return frontEnds;
}

}  // namespace detail_StartUp

wxFrame* StartUp() {
  // Files, typed numbers and messages use '.' whatever the desktop's locale; GTK
  // may have changed it while starting.
  std::setlocale(LC_NUMERIC, "C");

  auto*& frontEnds = detail_StartUp::Installed();
  if (!frontEnds) {
    frontEnds = new detail_StartUp::FrontEnds;
    frontEnds->previousChooser = SetColorChooser(platform::WxChooseColour);
  }
  platform::ServiceSet services;
  services.messages = &frontEnds->messages;
  services.progress = &frontEnds->progress;
  services.shell = &frontEnds->shell;
  services.fileDialogs = &frontEnds->fileDialogs;
  platform::InstallServices(services);
  platform::InstallHttpClient(&frontEnds->http);
  InstallImageFormatTest();

  auto* frame = new wxFrame(nullptr, wxID_ANY, "Corvia", wxDefaultPosition, wxSize(1024, 768));
  frame->Show();

  platform::LoadResult loaded = platform::SettingsStore::Instance().Load();
  if (!loaded.warning.empty()) ShowWarning("%s", loaded.warning.c_str());
  CreateDefaultFolders();
  return frame;
}

void ShutDown() {
  platform::SaveResult saved = platform::SettingsStore::Instance().Save();
  if (!saved.saved && !saved.error.empty()) std::fprintf(stderr, "corvia: %s\n", saved.error.c_str());
  platform::InstallHttpClient(nullptr);
  // The panes are gone with the main window; their shared GL context goes last.
  FreeSharedGLContext();
  platform::ResetServices();
  auto*& frontEnds = detail_StartUp::Installed();
  if (frontEnds) SetColorChooser(frontEnds->previousChooser);
  delete frontEnds;
  frontEnds = nullptr;
}

}  // namespace corvia::app
