// The File menu of the running program with the file dialogs answered by script:
// Save As and Open give back the model they wrote, Save writes the file the model
// came from in its own form, a damaged file changes nothing, the recent files open
// from the menu (one whose file has gone is dropped), and the metric data of the
// shown model is written.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/FileCommands.h"
#include "app/PolyApp.h"
#include "app/PolyDoc.h"
#include "app/PolyView.h"
#include "app/RecentFiles.h"
#include "construction/ModelLookup.h"
#include "files/ModelFile.h"
#include "platform/Services.h"
#include "tests/files/ModelFileTestSupport.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProgramTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"

namespace test_FileCommands {

using namespace corvia;
using corvia::testing::Platform;
using corvia::testing::YieldUntil;
using corvia::testing::YieldUntilHandled;
using test_ModelFile::ReadBytes;

constexpr int kCmdOpen = 57601;
constexpr int kCmdSave = 57603;
constexpr int kCmdSaveAs = 57604;

// What must come back from a file: every vertex exactly, the faces' sides, the
// colours and labels of the elements, the names, and the window's title.
struct ModelSnapshot {
  std::vector<double> coordinates;
  std::vector<int> sides;
  std::vector<float> colours;
  std::vector<std::string> texts;

  static ModelSnapshot Take() {
    ModelSnapshot s;
    const Poly* poly = GetCurrentPoly();
    for (const ElementList* list : std::vector<const ElementList*>{&poly->mVertices, &poly->mFaces}) {
      for (const PolyElement* e = list->mHead; e; e = e->mNext) {
        if (list == &poly->mVertices) s.coordinates.insert(s.coordinates.end(), e->mDualVert, e->mDualVert + 3);
        if (list == &poly->mFaces) s.sides.push_back(e->mNumSides);
        s.colours.insert(s.colours.end(), e->GetColour(), e->GetColour() + 3);
        s.texts.push_back(e->GetLabel() ? e->GetLabel() : "");
      }
    }
    s.texts.push_back(poly->mName ? poly->mName : "");
    s.texts.push_back(poly->mDualName ? poly->mDualName : "");
    s.texts.push_back(CPolyApp::Get().GetMainWindow()->GetTitle().utf8_string());
    return s;
  }
  bool operator==(const ModelSnapshot&) const = default;
};

class FileCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mProgram = std::make_unique<corvia::testing::RunningProgram>("file-commands-home");
    mHome = mProgram->Home();
    mFolder = mHome / "Documents" / "Corvia";
    mFrame = mProgram->Frame();
    ASSERT_NE(mFrame, nullptr);
    // Boxes and file dialogs answer from the test's script.
    platform::ServiceSet services = platform::Services();
    services.messages = &Platform().messages;
    services.fileDialogs = &Platform().fileDialogs;
    platform::InstallServices(services);
    YieldUntil([this] { return mFrame->IsShownOnScreen() && Doc()->CountRecords() == 1; });
    Doc()->EndAllTransitions();
    SetTransitionsEnabled(false);
    Platform().messages.Clear();
    Platform().fileDialogs.mRequests.clear();
  }

  void TearDown() override {
    SetTransitionsEnabled(true);
    mProgram.reset();
  }

  static CPolyDoc* Doc() { return CPolyApp::Get().GetDoc(); }

  static void MakeModel(const char* name) {
    bool recognised = false;
    ASSERT_TRUE(Doc()->SetModel(LookUpModel(name, &recognised, nullptr, nullptr, false), false, false)) << name;
  }

  void Post(int command) { corvia::testing::PostMenuCommand(mFrame, command); }

  // The texts of the File menu's recent-file entries, in order.
  std::vector<std::string> RecentItems() const {
    std::vector<std::string> texts;
    wxMenu* menu = nullptr;
    mFrame->GetMenuBar()->FindItem(ToWxId(kCmdAppExit), &menu);
    for (wxMenuItem* item : menu->GetMenuItems()) {
      const int command = FromWxId(item->GetId());
      if (command >= kRecentFileFirstCommand && command <= kRecentFileLastCommand)
        texts.push_back(item->GetItemLabel().utf8_string());
    }
    return texts;
  }

  std::unique_ptr<corvia::testing::RunningProgram> mProgram;
  std::filesystem::path mHome, mFolder;
  wxFrame* mFrame = nullptr;
};

TEST_F(FileCommandsTest, SaveAsThenOpenGiveBackTheSnubCubeAndADamagedFileChangesNothing) {
  MakeModel("Snub Cube");
  const std::string path = (mFolder / "snub cube.corv").string();
  Platform().fileDialogs.QueueCancel();
  Post(kCmdSaveAs);
  EXPECT_FALSE(std::filesystem::exists(path));
  Platform().fileDialogs.QueueChoice(path);
  Post(kCmdSaveAs);
  const platform::FileDialogRequest asked = Platform().fileDialogs.mRequests.back();
  EXPECT_TRUE(asked.title == "Save As" && asked.saving && asked.overwritePrompt);
  EXPECT_EQ(asked.folder + asked.fileName, mFolder.string() + "/Snub Cube.corv");
  EXPECT_EQ(ReadBytes(path).rfind("Corvia BINARY", 0), 0u);
  const ModelSnapshot named = ModelSnapshot::Take();
  EXPECT_EQ(named.texts.back().rfind("\"snub cube.corv\": ", 0), 0u) << named.texts.back();

  MakeModel("Octahedron");
  EXPECT_TRUE(Doc()->GetPathName().empty());
  Platform().fileDialogs.QueueChoice(path);
  Post(kCmdOpen);
  const platform::FileDialogRequest open = Platform().fileDialogs.mRequests.back();
  EXPECT_TRUE(open.title == "Open" && open.mustExist && open.folder == mFolder.string() + "/");
  const ModelSnapshot opened = ModelSnapshot::Take();
  EXPECT_EQ(opened, named);
  EXPECT_TRUE(Platform().messages.Boxes().empty());

  // Half a file: one message naming it, and the snub cube stays with its file.
  const std::string bytes = ReadBytes(path);
  const std::filesystem::path damaged = mFolder / "damaged.corv";
  test_ModelFile::WriteBytes(damaged, bytes.substr(0, bytes.size() / 2));
  const Poly* poly = GetCurrentPoly();
  Platform().fileDialogs.QueueChoice(damaged.string());
  Post(kCmdOpen);
  ASSERT_EQ(Platform().messages.CountTitled("Error"), 1);
  EXPECT_NE(Platform().messages.Boxes()[0].text.find("damaged.corv"), std::string::npos);
  EXPECT_EQ(GetCurrentPoly(), poly);
  EXPECT_EQ(ModelSnapshot::Take(), opened);
  EXPECT_EQ(Doc()->GetPathName(), path);
}

TEST_F(FileCommandsTest, SaveWritesTheModelsOwnFileInItsFormOrAsksForAName) {
  MakeModel("Cube");
  Platform().fileDialogs.QueueCancel();
  Post(kCmdSave);
  ASSERT_EQ(Platform().fileDialogs.mRequests.size(), 1u);
  const std::filesystem::path path = mFolder / "text cube.corv";
  ASSERT_TRUE(WriteModelFile(path.string().c_str(), kModelFileAscii, *GetCurrentPoly()));
  ASSERT_TRUE(Doc()->OnOpenDocument(path.string().c_str()));
  // A colour change keeps the model's file; Save writes it as text again.
  PolyElement* face = GetCurrentPoly()->mFaces.mHead;
  face->mColor[0] = 0.25f;
  Post(kCmdSave);
  EXPECT_EQ(Platform().fileDialogs.mRequests.size(), 1u);
  EXPECT_EQ(ReadBytes(path).rfind("Corvia ASCII", 0), 0u);
  ASSERT_TRUE(Doc()->OnOpenDocument(path.string().c_str()));
  face = GetCurrentPoly()->mFaces.mHead;
  EXPECT_NEAR(face->mColor[0], 0.25f, 0.5f / 255);

  // A read-only file is not replaced: Save asks for another name.
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  const std::string before = ReadBytes(path);
  face->mColor[0] = 0.5f;
  Platform().fileDialogs.QueueCancel();
  Post(kCmdSave);
  EXPECT_EQ(Platform().fileDialogs.mRequests.size(), 2u);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_TRUE(Platform().messages.Boxes().empty());
}

TEST_F(FileCommandsTest, RecentFilesOpenFromTheMenuAndAGoneOneIsDropped) {
  const std::filesystem::path cube = mFolder / "cube.corv", tetra = mFolder / "tetrahedron & co.corv";
  MakeModel("Cube");
  ASSERT_TRUE(SaveDocumentAs(*Doc(), cube.string()));
  MakeModel("Tetrahedron");
  ASSERT_TRUE(SaveDocumentAs(*Doc(), tetra.string()));
  MakeModel("Octahedron");
  EXPECT_EQ(RecentItems(), (std::vector<std::string>{"&1 ~/Documents/Corvia/tetrahedron && co.corv",
                                                     "&2 ~/Documents/Corvia/cube.corv"}));
  // A picture of the File menu with its recent files, for a person to look at.
  int opened = 0, closed = 0;
  auto countOpened = [&opened](wxMenuEvent& event) {
    ++opened;
    event.Skip();
  };
  auto countClosed = [&closed](wxMenuEvent& event) {
    ++closed;
    event.Skip();
  };
  mFrame->Bind(wxEVT_MENU_OPEN, countOpened);
  mFrame->Bind(wxEVT_MENU_CLOSE, countClosed);
  mFrame->Raise();
  YieldUntilHandled();
  wxUIActionSimulator keys;
  keys.Char('f', wxMOD_ALT);
  YieldUntil([&opened] { return opened > 0; });
  YieldUntilHandled();
  corvia::testing::KeepScreenshot(mFrame, "file-menu");
  keys.Char(WXK_ESCAPE);
  YieldUntil([&closed] { return closed > 0; });
  mFrame->Unbind(wxEVT_MENU_OPEN, countOpened);
  mFrame->Unbind(wxEVT_MENU_CLOSE, countClosed);

  Post(kRecentFileFirstCommand + 1);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 6);
  EXPECT_EQ(Doc()->GetPathName(), cube.string());
  std::filesystem::remove(tetra);
  Post(kRecentFileFirstCommand + 1);
  EXPECT_EQ(Platform().messages.CountTitled("Error"), 1);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 6);
  EXPECT_EQ(RecentItems(), std::vector<std::string>{"&1 ~/Documents/Corvia/cube.corv"});
}

TEST_F(FileCommandsTest, ExportMetricDataWritesTheShownModelsTable) {
  MakeModel("Cube");
  const std::filesystem::path path = mHome / "cube metrics.txt";
  Platform().fileDialogs.QueueChoice(path.string());
  Post(kCmdExportMetricData);
  const platform::FileDialogRequest asked = Platform().fileDialogs.mRequests.back();
  EXPECT_TRUE(asked.title == "Save Face Table Data" && asked.saving && asked.filter.find("*.txt") != std::string::npos);
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.rfind("================\nMetric Data File\n", 0), 0u);
  EXPECT_NE(text.find("\n 6 facelets, of 1 type; 12 edgelets; 8 vertices, of 1 type.\n"), std::string::npos);
  EXPECT_NE(text.find("Dihedral 90 deg, Mitre 45 deg\n        Face angle 90 deg\n"), std::string::npos) << text;
  EXPECT_TRUE(Platform().messages.Boxes().empty());

  // The octahemioctahedron's dual has its corners at infinity: no facet model (the
  // model says why, then the export that it can't), so no dialog either.
  MakeModel("Octahemioctahedron");
  ASSERT_NE(CPolyView::GetActive(), nullptr);
  CPolyView::GetActive()->SetViewType(kViewDualPolyhedron, false);
  const size_t dialogs = Platform().fileDialogs.mRequests.size();
  Post(kCmdExportMetricData);
  ASSERT_FALSE(Platform().messages.Boxes().empty());
  EXPECT_EQ(Platform().messages.Boxes().back().text, kNoFacetModelMessage);
  EXPECT_EQ(Platform().fileDialogs.mRequests.size(), dialogs);
}

}  // namespace test_FileCommands
