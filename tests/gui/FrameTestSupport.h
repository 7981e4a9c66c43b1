#pragma once
// A main window for the tests of its bars: a settings store of the test's own and a
// document the test supplies (what the geometry asks of it, and what the bars ask).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/CreatePoly.h"
#include "model/Globals.h"
#include "model/LibraryEntry.h"
#include "model/Poly.h"
#include "model/PolyTemplate.h"
#include "platform/SettingsStore.h"
#include "symmetry/SimplePoly.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/support/TestSupport.h"
#include "ui/BarDocument.h"
#include "ui/CommandTable.h"
#include "ui/MainFrame.h"

namespace corvia::testing {

// A document of one model, made from a library entry (as the entry builds it) or from
// a vertex configuration; the bars' questions are answered by the tests that need them.
class ModelDocument : public DocumentAccess, public BarDocument {
 public:
  Poly* GetCurrentPoly() override { return model ? &model->poly : nullptr; }
  bool SetEntry(LibraryEntry* entry) {
    if (!entry) return false;
    std::unique_ptr<SimplePoly> simple = entry->CreatePoly(false);
    auto made = std::make_unique<Model>();
    if (!simple || !CreatePoly(*simple, &made->poly, false, false)) return false;
    made->poly.SetLibraryEntry(entry);
    model = std::move(made);
    return true;
  }
  bool SetConfiguration(const char* text) {
    auto made = std::make_unique<Model>();
    if (!made->polyTemplate.Parse(text, nullptr) || !made->poly.Build(&made->polyTemplate, 0)) return false;
    model = std::move(made);
    return true;
  }

  struct Model {
    PolyTemplate polyTemplate;
    Poly poly;
  };
  std::unique_ptr<Model> model;
};

class FrameTest : public ::testing::Test {
 protected:
  // Installs the document's sides (either may be null) and opens the window.
  void OpenFrame(const std::string& scratch, DocumentAccess* access, BarDocument* bars, int width = 1200,
                 int height = 800) {
    mStore = std::make_unique<platform::SettingsStore>(ScratchDir(scratch) / "settings.conf");
    mPreviousStore = platform::SettingsStore::InstallInstance(mStore.get());
    if (access) mPreviousAccess = InstallDocumentAccess(access);
    if (bars) mPreviousBars = InstallBarDocument(bars);
    mInstalledAccess = access != nullptr;
    mInstalledBars = bars != nullptr;
    SetStartMaximised(false);
    LoadWindowPlacement(width, height);
    mFrame = ShowPainted(new CMainFrame);
  }
  void TearDown() override {
    if (mFrame) mFrame->Close(true);
    YieldUntil([] { return wxTopLevelWindows.empty(); });
    mFrame = nullptr;
    if (mInstalledBars) InstallBarDocument(mPreviousBars);
    if (mInstalledAccess) InstallDocumentAccess(mPreviousAccess);
    if (mStore) platform::SettingsStore::InstallInstance(mPreviousStore);
  }
  // A menu command sent to the window as a menu item sends it.
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, ToWxId(id));
    event.SetEventObject(mFrame);
    mFrame->GetEventHandler()->ProcessEvent(event);
  }

  CMainFrame* mFrame = nullptr;

 private:
  std::unique_ptr<platform::SettingsStore> mStore;
  platform::SettingsStore* mPreviousStore = nullptr;
  DocumentAccess* mPreviousAccess = nullptr;
  BarDocument* mPreviousBars = nullptr;
  bool mInstalledAccess = false;
  bool mInstalledBars = false;
};

}  // namespace corvia::testing
