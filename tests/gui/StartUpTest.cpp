// The program's start-up and shut-down under a real (virtual) display: the main
// window opens, the wx front ends answer, the user's folders exist, and the
// settings are written when it ends.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <wx/utils.h>

#include "app/StartUp.h"
#include "core/FaceImageRef.h"
#include "core/Globals.h"
#include "platform/Headless.h"
#include "platform/HttpClient.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/wx/WxColourChooser.h"
#include "tests/support/TestSupport.h"

#include "tests/gui/GuiTestSupport.h"

namespace test_StartUp {

using corvia::testing::YieldUntil;

using corvia::testing::ScopedEnv;

TEST(StartUp, MainWindowOpensAndClosesAndSettingsAreSaved) {
  std::filesystem::path home = corvia::testing::ScratchDir("startup-home");
  std::filesystem::path config = home / "config";
  std::filesystem::path documents = home / "Documents";
  ScopedEnv homeEnv("HOME", home.string());
  ScopedEnv configEnv("XDG_CONFIG_HOME", config.string());
  ScopedEnv documentsEnv("XDG_DOCUMENTS_DIR", documents.string());
  corvia::platform::SettingsStore store(config / "Corvia" / "settings.conf");
  corvia::platform::SettingsStore* previousStore = corvia::platform::SettingsStore::InstallInstance(&store);
  corvia::platform::ServiceSet before = corvia::platform::Services();
  auto installedChooser = [] {
    const corvia::ColorChooserFunction current = corvia::SetColorChooser(nullptr);
    corvia::SetColorChooser(current);
    return current;
  };
  const corvia::ColorChooserFunction chooserBefore = installedChooser();

  wxFrame* frame = corvia::app::StartUp();
  ASSERT_NE(frame, nullptr);
  YieldUntil([&] { return frame->IsShownOnScreen(); });
  EXPECT_TRUE(frame->IsShownOnScreen());
  // The window is titled after the model it starts with.
  EXPECT_EQ(frame->GetTitle(), "3.3.3.3.3 - Icosahedron");
  EXPECT_NE(corvia::platform::Services().messages, before.messages);  // the wx boxes answer now
  EXPECT_EQ(installedChooser(), corvia::platform::WxChooseColour);
  EXPECT_NE(corvia::platform::InstalledHttpClient(), nullptr);
  for (const char* sub : {"Tour", "Export", "Image", "Text"}) {
    EXPECT_TRUE(std::filesystem::is_directory(documents / "Corvia" / sub)) << sub;
  }

  store.SetNumber("Software\\CorviaSoft\\Corvia\\Settings", "UndoEnabled", 1);
  frame->Close(true);
  YieldUntil([] { return wxTopLevelWindows.empty(); });
  corvia::app::ShutDown();
  EXPECT_TRUE(std::filesystem::exists(config / "Corvia" / "settings.conf"));
  EXPECT_EQ(installedChooser(), chooserBefore);
  EXPECT_EQ(corvia::platform::InstalledHttpClient(), nullptr);
  // The renderer's side of face images stays: an image that outlives the window still
  // gives its picture back.
  corvia::FaceImageTextures* textures = corvia::InstallFaceImageTextures(nullptr);
  EXPECT_NE(textures, nullptr);
  corvia::InstallFaceImageTextures(textures);

  // The test program's own headless front ends come back for the other tests.
  corvia::platform::InstallServices(before);
  corvia::platform::SettingsStore::InstallInstance(previousStore);
}

}  // namespace test_StartUp
