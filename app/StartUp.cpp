#include "app/StartUp.h"

#include <dlfcn.h>

#include <clocale>
#include <cstdio>

#include <wx/frame.h>

#include "app/PolyApp.h"
#include "core/Folders.h"
#include "core/Globals.h"
#include "core/Messages.h"
#include "dialogs/StellationPlanes.h"
#include "dialogs/WxDialogs.h"
#include "files/GeometryHooks.h"
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
#include "ui/MainFrame.h"
#include "ui/SharedGLContext.h"
#include "ui/TransitionsDlg.h"

namespace corvia::app {

namespace detail_StartUp {

struct FrontEnds {
  platform::WxMessages messages;
  platform::WxProgress progress;
  platform::WxShell shell;
  platform::WxFileDialogs fileDialogs;
  WxDialogs dialogs;
  platform::CurlHttpClient http;
  // The chooser installed before start-up, put back at shut-down.
  ColorChooserFunction previousChooser = nullptr;
};

// GTK 3 hides the images of menu items unless its "gtk-menu-images" setting is on.
// The program needs no GTK headers for one setting: it looks the two calls up in
// the GTK that wx has loaded.
void EnableMenuImages() {
  using SettingsGetDefault = void* (*)();
  using ObjectSet = void (*)(void*, const char*, ...);
  auto getDefault = reinterpret_cast<SettingsGetDefault>(dlsym(RTLD_DEFAULT, "gtk_settings_get_default"));
  auto objectSet = reinterpret_cast<ObjectSet>(dlsym(RTLD_DEFAULT, "g_object_set"));
  if (!getDefault || !objectSet) return;
  if (void* settings = getDefault()) objectSet(settings, "gtk-menu-images", 1, nullptr);
}

FrontEnds*& Installed() {
  static FrontEnds* frontEnds = nullptr;
  return frontEnds;
}

}  // namespace detail_StartUp

wxFrame* StartUp() {
  // Files, typed numbers and messages use '.' whatever the desktop's locale; GTK
  // may have changed it while starting.
  std::setlocale(LC_NUMERIC, "C");
  detail_StartUp::EnableMenuImages();

  // The geometry's calls up its own layers come first: whatever follows may build models.
  InstallGeometryHooks();
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
  services.dialogs = &frontEnds->dialogs;
  platform::InstallServices(services);
  platform::InstallHttpClient(&frontEnds->http);
  InstallImageFormatTest();

  platform::LoadResult loaded = platform::SettingsStore::Instance().Load();
  if (!loaded.warning.empty()) ShowWarning("%s", loaded.warning.c_str());
  CreateDefaultFolders();

  // The main window takes the placement and the bar arrangement of the last run.
  LoadWindowPlacement(kFirstWindowWidth, kFirstWindowHeight);
  return CPolyApp::Get().InitInstance();
}

void ShutDown() {
  // What the dialogs kept for the whole run.
  ClearPlaneList();
  FreeSelectedOccasions();
  CPolyApp::Get().ExitInstance();
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
