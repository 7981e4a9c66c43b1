// Where the manual is looked for: beside the program, in the build tree's manual
// folder, and where the program is installed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/HelpCommands.h"
#include "tests/support/TestSupport.h"

namespace test_HelpCommands {

using namespace corvia;
namespace fs = std::filesystem;

void WritePage(const fs::path& folder) {
  fs::create_directories(folder);
  std::ofstream(folder / kManualFileName) << "<html></html>\n";
}

TEST(Manual, IsFoundBesideTheProgramInTheBuildTreeAndWhereInstalled) {
  const fs::path root = corvia::testing::ScratchDir("manual-places");
  std::string path;
  const std::string bin = (root / "prefix" / "bin").string() + "/";
  fs::create_directories(bin);
  EXPECT_FALSE(FindManualIn(bin, path));
  EXPECT_EQ(path, bin + kManualFileName);

  WritePage(root / "prefix" / "share" / "corvia" / "manual");
  ASSERT_TRUE(FindManualIn(bin, path));
  EXPECT_TRUE(fs::equivalent(path, root / "prefix" / "share" / "corvia" / "manual" / kManualFileName));

  // A test program one folder below the built program finds the copy beside it.
  WritePage(root / "prefix" / "manual");
  ASSERT_TRUE(FindManualIn(bin, path));
  EXPECT_TRUE(fs::equivalent(path, root / "prefix" / "manual" / kManualFileName));

  WritePage(root / "prefix" / "bin" / "manual");
  ASSERT_TRUE(FindManualIn(bin, path));
  EXPECT_TRUE(fs::equivalent(path, root / "prefix" / "bin" / "manual" / kManualFileName));
}

TEST(Manual, TheBuiltProgramFindsItsOwn) {
  std::string path;
  ASSERT_TRUE(FindManual(path)) << path;
  std::ifstream page(path);
  std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("<html"), std::string::npos);
}

}  // namespace test_HelpCommands
