// The document's selection, colour, display, option and nets commands reach their
// handlers from the main window: every one is enabled by its update handler and runs
// when its menu event comes, on the icosahedron of a started program.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/menuitem.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/DocCommands.h"
#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/StartUp.h"
#include "app/WindowServices.h"
#include "core/Globals.h"
#include "model/Edge.h"
#include "model/Poly.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "render/GLErrors.h"
#include "render/MouseThrow.h"
#include "tests/app/AppTestSupport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/CommandTable.h"

namespace test_DocCommandsWindow {

using namespace corvia;
using corvia::testing::Platform;
using corvia::testing::ScopedEnv;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;

TEST(DocCommandsWindow, EveryCommandIsEnabledAndRunsFromTheMainWindow) {
  const auto home = corvia::testing::ScratchDir("doc-commands-home");
  ScopedEnv homeEnv("HOME", home.string());
  ScopedEnv configEnv("XDG_CONFIG_HOME", (home / "config").string());
  platform::SettingsStore store(home / "config" / "Corvia" / "settings.conf");
  platform::SettingsStore* previousStore = platform::SettingsStore::InstallInstance(&store);
  const platform::ServiceSet before = platform::Services();
  // The options go back before the program saves its settings at the end.
  auto options = std::make_unique<corvia::testing::CommandOptionsScope>();
  // The scripted colour chooser of the tests answers in place of the program's.
  const ColorChooserFunction scripted = SetColorChooser(nullptr);
  SetColorChooser(scripted);

  wxFrame* frame = app::StartUp();
  ASSERT_NE(frame, nullptr);
  const ColorChooserFunction program = SetColorChooser(scripted);
  platform::ServiceSet services = platform::Services();
  services.messages = &Platform().messages;
  platform::InstallServices(services);
  std::vector<std::string> glErrors;
  GLErrorListener previousListener = SetGLErrorListener(
      [&glErrors](const std::string& where, const std::string& error) { glErrors.push_back(where + ": " + error); });
  YieldUntil([frame] { return frame->IsShownOnScreen() && GetPane(0); });
  CPolyDoc* document = CPolyApp::Get().GetDoc();
  ASSERT_NE(document, nullptr);
  YieldUntil([document] { return document->CountRecords() == 1 && !GetCurrentPoly()->IsTransitionRunning(); });
  SetTransitionsEnabled(false);

  // With an edge selected the colour items speak of edges.
  GetCurrentPoly()->SelectEdge(GetCurrentPoly()->GetEdge(0), false);
  wxUpdateUIEvent text(ToWxId(32984));
  frame->GetEventHandler()->ProcessEvent(text);
  EXPECT_TRUE(text.GetSetText());
  EXPECT_EQ(wxStripMenuCodes(text.GetText()).utf8_string().rfind("Set Single Edge Color", 0), 0u);

  // Commands that need what the icosahedron has not: a step-by-step build, a
  // description to mirror, a compound, a selected net edge, faces on the axes that the
  // dodecahedral, triacontahedral and octahedral colour arrangements colour.
  const std::vector<int> unavailable = {32777, 32780, 33153, 33513, 32992, 32993, 32990, 32995,
                                        32998, 32999, 32991, 32996, 32997};
  int ran = 0;
  size_t total = 0;
  for (const auto* group : {&GetColorDisplayCommands(), &GetOptionCommands(), &GetStellationCommands()}) {
    total += group->size();
    for (const DocCommand& command : *group) {
      Poly* poly = GetCurrentPoly();
      const bool vertex = command.id == 33076;
      poly->SelectFace(vertex ? poly->GetVertex(0) : poly->GetFace(0), vertex);
      wxUpdateUIEvent update(ToWxId(command.id));
      frame->GetEventHandler()->ProcessEvent(update);
      const bool expected = std::find(unavailable.begin(), unavailable.end(), command.id) == unavailable.end();
      EXPECT_EQ(update.GetEnabled(), expected) << command.id;
      EXPECT_TRUE(IsCommandAvailable(command.id)) << command.id;
      if (!expected) continue;
      corvia::testing::QueueColorChoice(90, 160, 30);
      Platform().messages.QueueText("4");
      wxCommandEvent event(wxEVT_MENU, ToWxId(command.id));
      event.SetEventObject(frame);
      frame->GetEventHandler()->ProcessEvent(event);
      // Whatever the command left the panes to draw is drawn.
      for (int i = 0; i < CountPanes(); ++i) GetPane(i)->UpdateNow();
      SetTransitionsEnabled(false);
      document->SetOneVertexAtATime(false);
      ++ran;
    }
  }
  // What the commands left queued has run.
  YieldUntilHandled();
  EXPECT_EQ(static_cast<size_t>(ran), total - unavailable.size());
  EXPECT_TRUE(glErrors.empty()) << glErrors.front();
  EXPECT_EQ(Platform().messages.CountTitled("Internal Error"), 0);

  SetGLErrorListener(previousListener);
  options.reset();
  StopAllMouseThrows();
  if (!wxTopLevelWindows.empty()) {
    frame->Close(true);
    YieldUntil([] { return wxTopLevelWindows.empty(); });
  }
  SetColorChooser(program);
  app::ShutDown();
  // Left unanswered: the colours and texts of commands that asked for none.
  float rgb[3];
  while (ChooseColorDialog(rgb)) {
  }
  Platform().messages.Clear();
  platform::InstallServices(before);
  platform::SettingsStore::InstallInstance(previousStore);
}

}  // namespace test_DocCommandsWindow
