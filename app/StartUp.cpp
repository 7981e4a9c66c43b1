#include "app/StartUp.h"

#include <dlfcn.h>

#include <clocale>
#include <cstdio>
#include <optional>

#include <wx/frame.h>

#include "app/PolyApp.h"
#include "app/PolyPrintout.h"
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
#include "platform/wx/WxAssert.h"
#include "platform/wx/WxColourChooser.h"
#include "platform/wx/WxFileDialogs.h"
#include "platform/wx/WxMessages.h"
#include "platform/wx/WxProgress.h"
#include "platform/wx/WxShell.h"
#include "render/RenderHooks.h"
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
  platform::ToolkitCheckTeller toolkitChecks;
  // The chooser installed before start-up, put back at shut-down.
  std::optional<ColorChooserFunction> previousChooser;

  platform::ServiceSet Services() {
    platform::ServiceSet services;
    services.messages = &messages;
    services.progress = &progress;
    services.shell = &shell;
    services.fileDialogs = &fileDialogs;
    services.dialogs = &dialogs;
    return services;
  }
};

FrontEnds*& Installed() {
  static FrontEnds* frontEnds = nullptr;
  return frontEnds;
}

// The toolkit's failed checks: told by the front ends' teller while they are there.
void TellToolkitCheck(const wxString& file, int line, const wxString& func, const wxString& cond,
                      const wxString& msg) {
  if (FrontEnds* f = Installed()) {
    f->toolkitChecks.Tell(file, line, func, cond, msg);
  } else {
    platform::ToolkitCheckTeller::Write(file, line, func, cond, msg);
  }
}

// Every hook the program installs at start, in order, one a line. The handler of the
// toolkit's checks comes first, then the geometry's hooks: whatever follows may build
// models.
void InstallProgramHooks(FrontEnds& f) {
  platform::InstallInPlaceOfToolkitHandler(TellToolkitCheck);  // the toolkit's failed checks: platform/wx/WxAssert.h
  InstallGeometryHooks();                   // the geometry's calls up its own layers: files/GeometryHooks.h
  if (!f.previousChooser) f.previousChooser = SetColorChooser(platform::WxChooseColour);  // colour wells: wx
  platform::InstallServices(f.Services());  // message boxes, progress windows, shell, file dialogs, dialogs
  platform::InstallHttpClient(&f.http);     // web requests: the check for a new version
  InstallImageFormatTest();                 // the image files the file dialogs offer: files/ImageFormats.h
  InstallRenderHooks();                     // the core's and the geometry's calls to the renderer: render/RenderHooks.h
  // Installed by the objects that answer them, when they are made (and put back when they go,
  // but for the menu path provider, the tour's section and the explode throw's skipper):
  //   the document (CPolyDoc): DocumentAccess, the colour schemes' document hooks;
  //   the program's start (CPolyApp::InitInstance): InstallWindowServices (the views and
  //     the undo list in Services(), the pane maker, the view-type menu, the bars' document,
  //     the information tree's names, the scene's model-file sections), the document
  //     close-down, the title listener; then, with the main window's commands, the
  //     pane-mode commands and their mode-help refresher;
  //   the main window (CMainFrame): the menu path provider, the tour's model-file section;
  //     as a NewFrame: the pane frame and the layout host;
  //   the model panes (CPolyView): the data skipper of their explode throw;
  //   the text-list file commands: the file dialog's preview, while the dialog is open.
}

// What ShutDown puts back, the last installed first. The handler of the toolkit's
// checks, the geometry's hooks, the image format test and the renderer's hooks stay:
// they answer the same for whatever runs after (a face image that outlives the window
// still gives its picture back).
void RemoveProgramHooks(FrontEnds& f) {
  platform::InstallHttpClient(nullptr);
  platform::ResetServices();
  if (f.previousChooser) SetColorChooser(*f.previousChooser);
}

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

}  // namespace detail_StartUp

wxFrame* StartUp() {
  // Files, typed numbers and messages use '.' whatever the desktop's locale; GTK
  // may have changed it while starting.
  std::setlocale(LC_NUMERIC, "C");
  detail_StartUp::EnableMenuImages();

  auto*& frontEnds = detail_StartUp::Installed();
  if (!frontEnds) frontEnds = new detail_StartUp::FrontEnds;
  detail_StartUp::InstallProgramHooks(*frontEnds);

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
  ForgetPageSetup();
  CPolyApp::Get().ExitInstance();
  platform::SaveResult saved = platform::SettingsStore::Instance().Save();
  if (!saved.saved && !saved.error.empty()) std::fprintf(stderr, "corvia: %s\n", saved.error.c_str());
  // The panes are gone with the main window; their shared GL context goes last.
  FreeSharedGLContext();
  auto*& frontEnds = detail_StartUp::Installed();
  if (frontEnds) detail_StartUp::RemoveProgramHooks(*frontEnds);
  delete frontEnds;
  frontEnds = nullptr;
}

}  // namespace corvia::app
