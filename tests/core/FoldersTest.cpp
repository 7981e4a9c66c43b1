#include "core/Folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/Messages.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

namespace fs = std::filesystem;

// Points the documents folder at a scratch folder for the test.
class FoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_DOCUMENTS_DIR")) mOld = old;
    mDocuments = testing::ScratchDir("folders-docs");
    setenv("XDG_DOCUMENTS_DIR", mDocuments.c_str(), 1);
    testing::Platform().fileDialogs.mRequests.clear();
  }
  void TearDown() override {
    if (mOld) {
      setenv("XDG_DOCUMENTS_DIR", mOld->c_str(), 1);
    } else {
      unsetenv("XDG_DOCUMENTS_DIR");
    }
    SetImageFormatTest(nullptr);
    SetFilePreviewCallback(nullptr);
  }
  platform::HeadlessFileDialogs& Dialogs() { return testing::Platform().fileDialogs; }

  fs::path mDocuments;
  std::optional<std::string> mOld;
};

bool NoImages(const char*, int) { return false; }
bool PngOnly(const char* extension, int) { return std::string(extension) == ".png"; }
bool DescribeNothing(const char*, std::string&) { return false; }

TEST_F(FoldersTest, DefaultFoldersAreMadeUnderDocuments) {
  CreateDefaultFolders();
  fs::path corvia = mDocuments / "Corvia";
  EXPECT_EQ(DefaultFolder(DefaultFolderKind::Program).GetPath(), corvia.string());
  EXPECT_EQ(DefaultFolder(DefaultFolderKind::Tour).GetPath(), (corvia / "Tour").string());
  EXPECT_EQ(DefaultFolder(DefaultFolderKind::Export).GetPath(), (corvia / "Export").string());
  EXPECT_EQ(DefaultFolder(DefaultFolderKind::Image).GetPath(), (corvia / "Image").string());
  EXPECT_EQ(DefaultFolder(DefaultFolderKind::Text).GetPath(), (corvia / "Text").string());
  for (const char* sub : {"Tour", "Export", "Image", "Text"}) EXPECT_TRUE(fs::is_directory(corvia / sub)) << sub;
}

TEST_F(FoldersTest, SpecialFolderPathCreatesOnlyWhenAsked) {
  std::string path;
  EXPECT_FALSE(GetSpecialFolderPath(path, kSpecialFolderDocuments, "A\\B", false));
  EXPECT_EQ(path, (mDocuments / "A/B").string()) << "separators normalised";
  EXPECT_FALSE(fs::exists(mDocuments / "A"));
  EXPECT_TRUE(GetSpecialFolderPath(path, kSpecialFolderDocuments, "A\\B", true));
  EXPECT_TRUE(fs::is_directory(mDocuments / "A/B"));
  EXPECT_TRUE(GetSpecialFolderPath(path, kSpecialFolderDocuments, nullptr, false));
  EXPECT_EQ(path, mDocuments.string());
  EXPECT_FALSE(GetSpecialFolderPath(path, 26, "X", true)) << "unknown special folder";
}

TEST_F(FoldersTest, OverlongSubFolderIsRefusedWithoutMakingAnything) {
  std::string longName(kMaxFolderPathLength, 'x');
  std::string path;
  EXPECT_FALSE(GetSpecialFolderPath(path, kSpecialFolderDocuments, ("a/" + longName).c_str(), true));
  EXPECT_FALSE(fs::exists(mDocuments / "a"));
}

TEST_F(FoldersTest, SpecialFolderFileFlags) {
  std::string path;
  bool existed = true;
  EXPECT_FALSE(GetSpecialFolderFile(path, kSpecialFolderDocuments, "Sub", "f.txt", 0, &existed));
  EXPECT_FALSE(fs::exists(mDocuments / "Sub"));
  EXPECT_TRUE(GetSpecialFolderFile(path, kSpecialFolderDocuments, "Sub", "f.txt", kFolderFileCreateFolder | kFolderFileNoCheck, nullptr));
  EXPECT_TRUE(fs::is_directory(mDocuments / "Sub"));
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(GetSpecialFolderFile(path, kSpecialFolderDocuments, "Sub", "f.txt", kFolderFileCreate, &existed));
  EXPECT_FALSE(existed);
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_EQ(fs::file_size(path), 0u);
  EXPECT_TRUE(GetSpecialFolderFile(path, kSpecialFolderDocuments, "Sub", "f.txt", 0, &existed));
  EXPECT_TRUE(existed);
}

TEST_F(FoldersTest, FolderPathKeepsNormalisedTextOrNothing) {
  FolderPath folder;
  EXPECT_FALSE(folder.HasPath());
  EXPECT_STREQ(folder.GetPath(), "");
  folder.SetPath("a\\\\b//c");
  EXPECT_STREQ(folder.GetPath(), "a/b/c");
  folder.SetPath("   ");
  EXPECT_FALSE(folder.HasPath());
}

TEST(AddDefaultExtension, FollowsTheChosenFilter) {
  const char* filter = "Models (*.corv;*.txt)|*.corv;*.txt|All Files (*.*)|*.*||";
  std::string name = "shape";
  EXPECT_TRUE(AddDefaultExtension(name, filter, 1, '|'));
  EXPECT_EQ(name, "shape.corv");
  name = "shape.TXT";
  EXPECT_FALSE(AddDefaultExtension(name, filter, 1, '|'));
  EXPECT_EQ(name, "shape.TXT");
  name = "shape.dat";
  EXPECT_TRUE(AddDefaultExtension(name, filter, 1, '|'));
  EXPECT_EQ(name, "shape.corv");
  name = "dir.v2/shape";
  EXPECT_TRUE(AddDefaultExtension(name, filter, 1, '|'));
  EXPECT_EQ(name, "dir.v2/shape.corv") << "a dot in the folder is no extension";
  name = "shape.dat";
  EXPECT_FALSE(AddDefaultExtension(name, filter, 2, '|')) << "*.* accepts anything";
  EXPECT_FALSE(AddDefaultExtension(name, filter, 3, '|')) << "no such filter";
  EXPECT_FALSE(AddDefaultExtension(name, filter, 0, '|'));
  std::string blank = "  ";
  EXPECT_FALSE(AddDefaultExtension(blank, filter, 1, '|'));
  std::string withNul("A\0*.abc\0\0", 9);
  name = "x";
  EXPECT_TRUE(AddDefaultExtension(name, withNul, 1, '\0'));
  EXPECT_EQ(name, "x.abc");
}

TEST_F(FoldersTest, SaveWithExtensionAndNoFilterOffersThatExtension) {
  SetImageFormatTest(NoImages);
  Dialogs().QueueCancel();
  std::string path = (mDocuments / "notes").string();
  int index = 1;
  EXPECT_FALSE(AskFileToSave("Save", path, "txt", nullptr, nullptr, &index));
  ASSERT_EQ(Dialogs().mRequests.size(), 1u);
  const platform::FileDialogRequest& request = Dialogs().mRequests[0];
  EXPECT_EQ(request.filter, "TXT Files (*.txt)|*.txt|All Files (*.*)|*.*||");
  EXPECT_EQ(request.fileName, "notes.txt");
  EXPECT_EQ(request.folder, mDocuments.string() + "/");
  EXPECT_TRUE(request.saving);
  EXPECT_TRUE(request.overwritePrompt);
  EXPECT_FALSE(request.mustExist);
  EXPECT_EQ(request.kind, platform::FileDialogKind::Plain);
  ASSERT_TRUE(request.onTypeChange);
  std::string typed = "other.txt";
  EXPECT_FALSE(request.onTypeChange(typed, 2));
  EXPECT_EQ(path, (mDocuments / "notes.txt").string()) << "cancel leaves the path as prepared";
}

// A name typed without one of the filter's extensions takes the chosen filter's, after
// the dots of its own (a model's vertex configuration); a file of the completed name is
// not replaced without asking.
TEST_F(FoldersTest, ASavedNameTakesTheChosenFiltersExtension) {
  SetImageFormatTest(NoImages);
  const char* filter = "PNG Files (*.png)|*.png|JPEG Files (*.jpg)|*.jpg;*.jpeg|All Files (*.*)|*.*||";
  auto save = [&](const std::string& typed, int index, std::string& path) {
    path = (mDocuments / "start.png").string();
    Dialogs().QueueChoice((mDocuments / typed).string(), index);
    return AskFileToSave("Export Image", path, "png", filter, nullptr, nullptr);
  };
  std::string path;
  ASSERT_TRUE(save("Cube (4.4.4), W3, p16", 1, path));
  EXPECT_EQ(path, (mDocuments / "Cube (4.4.4), W3, p16.png").string());
  ASSERT_TRUE(save("view", 2, path));
  EXPECT_EQ(path, (mDocuments / "view.jpg").string());
  ASSERT_TRUE(save("view.JPEG", 1, path));
  EXPECT_EQ(path, (mDocuments / "view.JPEG").string()) << "an extension of another of the filter's kinds stays";
  ASSERT_TRUE(save("view.dat", 3, path));
  EXPECT_EQ(path, (mDocuments / "view.dat").string()) << "all files: the name stays";

  std::ofstream(mDocuments / "kept.png") << "picture";
  testing::Platform().messages.QueueAnswer(kBoxNo);
  EXPECT_FALSE(save("kept", 1, path));
  EXPECT_EQ(testing::Platform().messages.CountTitled("Question"), 1);
  testing::Platform().messages.QueueAnswer(kBoxYes);
  ASSERT_TRUE(save("kept", 1, path));
  EXPECT_EQ(path, (mDocuments / "kept.png").string());
}

TEST_F(FoldersTest, DialogKindFollowsPreviewAndImageFormats) {
  SetImageFormatTest(PngOnly);
  std::string path = "picture.png";
  RunFileDialog("Open", path, kFileDialogOpen, nullptr, nullptr, nullptr, nullptr);
  path = "model.corv";
  RunFileDialog("Open", path, kFileDialogOpen, nullptr, nullptr, nullptr, nullptr);
  SetFilePreviewCallback(DescribeNothing);
  RunFileDialog("Open", path, 2, nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(Dialogs().mRequests.size(), 3u);
  EXPECT_EQ(Dialogs().mRequests[0].kind, platform::FileDialogKind::ImagePreview);
  EXPECT_TRUE(Dialogs().mRequests[0].mustExist);
  EXPECT_EQ(Dialogs().mRequests[1].kind, platform::FileDialogKind::Plain);
  EXPECT_EQ(Dialogs().mRequests[2].kind, platform::FileDialogKind::FilePreview);
  EXPECT_FALSE(Dialogs().mRequests[2].mustExist);
  EXPECT_FALSE(Dialogs().mRequests[2].overwritePrompt);
}

TEST_F(FoldersTest, ImageFormatQuestionWithoutImageLibraryIsLoud) {
  testing::ExpectInternalErrors(1);
  testing::Platform().messages.Clear();
  EXPECT_FALSE(ImageFormatSupported(".png", kImageFormatCanLoad));
  EXPECT_EQ(testing::Platform().messages.CountTitled("Internal Error"), 1);
}

TEST_F(FoldersTest, ChosenFileIsRememberedPerFolderKind) {
  SetImageFormatTest(NoImages);
  fs::create_directories(mDocuments / "Corvia/Export");
  fs::create_directories(mDocuments / "Elsewhere");
  FolderPath exports;
  exports.SetPath((mDocuments / "Corvia/Export").c_str());
  // The path's own folder does not exist: the dialog starts in the remembered one.
  std::string path = "/no/such/folder/out.obj";
  Dialogs().QueueChoice((mDocuments / "Elsewhere/out.obj").string(), 2);
  int index = 1;
  EXPECT_TRUE(AskFileToSave("Export", path, nullptr, "OBJ|*.obj|All|*.*||", &exports, &index));
  EXPECT_EQ(Dialogs().mRequests.back().folder, (mDocuments / "Corvia/Export").string());
  EXPECT_EQ(path, (mDocuments / "Elsewhere/out.obj").string());
  EXPECT_EQ(index, 2);
  EXPECT_EQ(std::string(exports.GetPath()), (mDocuments / "Elsewhere").string() + "/");
}

TEST_F(FoldersTest, LocatedFileTeachesTheListItsFolder) {
  SetImageFormatTest(NoImages);
  fs::path found = mDocuments / "moved";
  fs::create_directories(found);
  std::ofstream(found / "a.txt") << "a";
  std::ofstream(found / "b.txt") << "b";
  std::ofstream(mDocuments / "here.txt") << "h";

  FolderList list;
  std::string path;
  EXPECT_TRUE(list.LocateFile(path, (mDocuments / "here.txt").c_str(), nullptr));
  EXPECT_EQ(path, (mDocuments / "here.txt").string());
  EXPECT_TRUE(Dialogs().mRequests.empty());

  Dialogs().QueueChoice((found / "a.txt").string());
  EXPECT_TRUE(list.LocateFile(path, "C:\\Old\\Models\\a.txt", mDocuments.c_str()));
  ASSERT_EQ(Dialogs().mRequests.size(), 1u);
  EXPECT_EQ(Dialogs().mRequests[0].title, "Locate file a.txt");
  EXPECT_EQ(Dialogs().mRequests[0].fileName, "a.txt");
  EXPECT_EQ(Dialogs().mRequests[0].folder, mDocuments.string());
  EXPECT_EQ(path, (found / "a.txt").string());
  ASSERT_EQ(list.Count(), 1);

  EXPECT_TRUE(list.LocateFile(path, "C:\\Old\\Models\\b.txt", mDocuments.c_str()));
  EXPECT_EQ(path, (found / "b.txt").string());
  EXPECT_EQ(Dialogs().mRequests.size(), 1u) << "found without asking";

  Dialogs().QueueCancel();
  EXPECT_FALSE(list.LocateFile(path, "C:\\Old\\Models\\c.txt", mDocuments.c_str()));
  EXPECT_EQ(list.Count(), 1);
}

}  // namespace
}  // namespace corvia
