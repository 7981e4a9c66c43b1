#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/UserFolders.h"
#include "tests/support/TestSupport.h"

namespace user_folders_test {

namespace fs = std::filesystem;
namespace platform = corvia::platform;

// Points HOME and the XDG variables at a scratch folder for one test and puts the
// old values back afterwards.
class UserFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      const char* value = std::getenv(name);
      mSaved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
    mRoot = corvia::testing::ScratchDir(std::string("Folders") +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    mHome = mRoot / "home";
    fs::create_directories(mHome);
    setenv("HOME", mHome.c_str(), 1);
  }

  void TearDown() override {
    for (size_t i = 0; i < std::size(kVariables); ++i) {
      if (mSaved[i]) {
        setenv(kVariables[i], mSaved[i]->c_str(), 1);
      } else {
        unsetenv(kVariables[i]);
      }
    }
  }

  void WriteUserDirs(const std::string& text) {
    fs::create_directories(mHome / ".config");
    std::ofstream(mHome / ".config" / "user-dirs.dirs") << text;
  }

  static constexpr const char* kVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR"};
  std::vector<std::optional<std::string>> mSaved;
  fs::path mRoot;
  fs::path mHome;
};

TEST_F(UserFolders, ConfigFolderFollowsXdgConfigHome) {
  EXPECT_EQ(platform::ConfigFolder(), mHome / ".config");
  setenv("XDG_CONFIG_HOME", (mRoot / "cfg/").c_str(), 1);
  EXPECT_EQ(platform::ConfigFolder(), mRoot / "cfg");
  EXPECT_EQ(platform::CorviaConfigFolder(), mRoot / "cfg" / "Corvia");
  // A relative value is ignored, as the XDG rules ask.
  setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
  EXPECT_EQ(platform::ConfigFolder(), mHome / ".config");
  setenv("HOME", "", 1);
  EXPECT_TRUE(platform::HomeFolder().is_absolute());  // from the password entry
}

TEST_F(UserFolders, DocumentsFolderInOrderOfPrecedence) {
  EXPECT_EQ(platform::DocumentsFolder(), mHome / "Documents");

  WriteUserDirs(
      "# written by xdg-user-dirs-update\n"
      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_DOCUMENTS_DIR=\"$HOME/Old\"\n"
      "  XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Papers\\\"\"\n");
  EXPECT_EQ(platform::DocumentsFolder(), mHome / "My \"Papers\"");

  WriteUserDirs("XDG_DOCUMENTS_DIR=\"/srv/papers/\"\n");
  EXPECT_EQ(platform::DocumentsFolder(), fs::path("/srv/papers"));
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/\"\n");
  EXPECT_EQ(platform::DocumentsFolder(), mHome);

  // The file is found through XDG_CONFIG_HOME when that is set.
  fs::create_directories(mRoot / "cfg");
  std::ofstream(mRoot / "cfg" / "user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/FromCfg\"\n";
  setenv("XDG_CONFIG_HOME", (mRoot / "cfg").c_str(), 1);
  EXPECT_EQ(platform::DocumentsFolder(), mHome / "FromCfg");

  // The variable wins over the file; a relative one is ignored.
  setenv("XDG_DOCUMENTS_DIR", (mRoot / "docs").c_str(), 1);
  EXPECT_EQ(platform::DocumentsFolder(), mRoot / "docs");
  setenv("XDG_DOCUMENTS_DIR", "docs", 1);
  EXPECT_EQ(platform::DocumentsFolder(), mHome / "FromCfg");
}

TEST_F(UserFolders, MalformedUserDirsEntriesFallBackToDocuments) {
  for (const char* text : {"XDG_DOCUMENTS_DIR=\"$HOME/open\n", "XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n",
                           "XDG_DOCUMENTS_DIR=\"relative/x\"\n", "XDG_DOCUMENTS_DIR=\"$HOME/a\" trailing\n",
                           "# XDG_DOCUMENTS_DIR=\"$HOME/commented\"\n", "\x01\xff garbage\n"}) {
    WriteUserDirs(text);
    EXPECT_EQ(platform::DocumentsFolder(), mHome / "Documents") << text;
  }
  WriteUserDirs(std::string(platform::kMaxUserDirsFileBytes + 1, '#') + "\nXDG_DOCUMENTS_DIR=\"/big\"\n");
  EXPECT_EQ(platform::DocumentsFolder(), mHome / "Documents");
}

TEST_F(UserFolders, CorviaFoldersAreMadeOnDemand) {
  fs::path docs = mRoot / "docs";
  setenv("XDG_DOCUMENTS_DIR", docs.c_str(), 1);
  fs::path folder;
  EXPECT_FALSE(platform::CorviaFolder(platform::kTourFolderName, false, folder));
  EXPECT_EQ(folder, docs / "Corvia" / "Tour");
  EXPECT_FALSE(fs::exists(docs));

  EXPECT_TRUE(platform::CorviaFolder(platform::kTourFolderName, true, folder));
  EXPECT_TRUE(fs::is_directory(docs / "Corvia" / "Tour"));
  EXPECT_TRUE(platform::CorviaFolder("", false, folder));
  EXPECT_EQ(folder, docs / "Corvia");
  EXPECT_TRUE(platform::CorviaFolder("Export\\Frames", true, folder));
  EXPECT_EQ(folder, docs / "Corvia" / "Export" / "Frames");
  EXPECT_TRUE(platform::DocumentsSubFolder("", false, folder));
  EXPECT_EQ(folder, docs);

  for (const char* bad : {"../Escape", "Tour/../../x", "/etc", "\\etc"}) {
    EXPECT_FALSE(platform::CorviaFolder(bad, true, folder)) << bad;
  }
  EXPECT_FALSE(fs::exists(mRoot / "Escape"));

  // A file where the folder should be: reported, not thrown.
  std::ofstream(docs / "Corvia" / "Image") << "in the way";
  EXPECT_FALSE(platform::CorviaFolder(platform::kImageFolderName, true, folder));
  std::ofstream(docs / "Corvia" / "Blocked") << "in the way";
  EXPECT_FALSE(platform::CorviaFolder("Blocked/Text", true, folder));
}

}  // namespace user_folders_test
