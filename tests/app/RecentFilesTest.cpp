// The recent-file list: opening an entry, and an entry whose file has gone.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/RecentFiles.h"
#include "files/ModelFile.h"
#include "tests/app/AppTestSupport.h"

namespace test_RecentFiles {

using namespace corvia;
using corvia::testing::DocumentTest;

class RecentFilesTest : public DocumentTest {
 protected:
  void TearDown() override {
    while (GetRecentFiles().Count() > 0) GetRecentFiles().Remove(0);
    DocumentTest::TearDown();
  }
};

TEST_F(RecentFilesTest, OpensAnEntryAndDropsOneWhoseFileIsGone) {
  SetTransitionsEnabled(false);
  const std::filesystem::path folder = corvia::testing::ScratchDir("recent files");
  const std::string cube = (folder / "my cube.corv").string();
  ASSERT_TRUE(Doc().SetModel(Find("Cube"), false, false));
  ASSERT_TRUE(WriteModelFile(cube.c_str(), kModelFileAscii, *GetCurrentPoly()));
  ASSERT_TRUE(Doc().SetModel(Find("Octahedron"), false, false));

  RecentFileList& list = GetRecentFiles();
  list.Load(kRecentFileCount);
  const std::string gone = (folder / "gone.corv").string();
  list.Add(cube);
  list.Add(gone);
  ASSERT_EQ(list.Count(), 2);
  ASSERT_EQ(list.Get(0), gone);

  corvia::testing::Platform().messages.Clear();
  EXPECT_FALSE(OpenRecentFile(Doc(), 0));
  EXPECT_EQ(corvia::testing::Platform().messages.CountTitled("Error"), 1);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Get(0), cube);
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 8);

  // A whole path, blanks and all, opens as it is.
  ASSERT_TRUE(OpenRecentFile(Doc(), 0));
  EXPECT_EQ(GetCurrentPoly()->mFaces.mCount, 6);
  EXPECT_EQ(Doc().GetPathName(), cube);
  EXPECT_EQ(Doc().GetTitle().rfind("\"my cube.corv\": ", 0), 0u) << Doc().GetTitle();
  EXPECT_EQ(list.Get(0), cube);
  EXPECT_FALSE(OpenRecentFile(Doc(), 5));
}

}  // namespace test_RecentFiles
