#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Paths.h"
#include "core/Strings.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

void Touch(const std::filesystem::path& path) {
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
}

std::vector<std::string> List(const std::string& patterns, int what) {
  int count = -1;
  char** names = ListDirectory(patterns.c_str(), what, &count);
  EXPECT_NE(names, nullptr);
  std::vector<std::string> result(names, names + count);
  DeleteStringArray(count, names);
  return result;
}

// Restores the working folder a test changes.
class WorkingDirectoryGuard {
 public:
  WorkingDirectoryGuard() : mSaved(GetWorkingDirectory()) {}
  ~WorkingDirectoryGuard() { ChangeDirectory(mSaved.c_str()); }

 private:
  std::string mSaved;
};

TEST(PathsTest, PartsWithEitherSeparator) {
  EXPECT_STREQ(GetFileNamePart("/home/u/models/cube.txt"), "cube.txt");
  EXPECT_STREQ(GetFileNamePart("C:\\Models\\cube.txt"), "cube.txt");
  EXPECT_STREQ(GetFileNamePart("C:cube.txt"), "cube.txt");
  EXPECT_STREQ(GetFileNamePart("cube.txt"), "cube.txt");
  EXPECT_STREQ(GetFileNamePart("dir/"), "");
  EXPECT_STREQ(GetExtensionPart("/a.b/c.tar.gz"), ".gz");
  EXPECT_STREQ(GetExtensionPart("C:\\dir.x\\name"), "") << "a dot in a folder is no extension";

  char* replaced = ReplaceExtension("C:\\Models\\cube.txt", "off");
  EXPECT_STREQ(replaced, "C:\\Models\\cube.off");
  DeleteString(replaced);
  replaced = ReplaceExtension("/m.d/cube", "txt");
  EXPECT_STREQ(replaced, "/m.d/cube.txt");
  DeleteString(replaced);

  char path[16] = "/a/cube.txt";
  EXPECT_TRUE(SetExtension(path, "obj"));
  EXPECT_STREQ(path, "/a/cube.obj");
  EXPECT_FALSE(SetExtension(path, "longextension")) << "no room: refused, not overrun";
  EXPECT_STREQ(path, "/a/cube.obj");
}

TEST(PathsTest, TrailingSeparatorsAndDriveRoots) {
  char* p = CopyPathWithoutTrailingSeparator("/home/u/", false);
  EXPECT_STREQ(p, "/home/u");
  DeleteString(p);
  p = CopyPathWithoutTrailingSeparator("C:\\Models\\\\", true);
  EXPECT_STREQ(p, "C:\\Models");
  DeleteString(p);
  p = CopyPathWithoutTrailingSeparator("C:\\", true);
  EXPECT_STREQ(p, "C:\\");
  DeleteString(p);
  p = CopyPathWithoutTrailingSeparator("C:\\", false);
  EXPECT_STREQ(p, "C:");
  DeleteString(p);
  p = CopyPathWithoutTrailingSeparator("///", true);
  EXPECT_STREQ(p, "/");
  DeleteString(p);
}

TEST(PathsTest, NormalizeSeparators) {
  char network[] = "\\\\server\\share//models\\\\cube.txt";
  EXPECT_TRUE(NormalizePathSeparators(network));
  EXPECT_STREQ(network, "//server/share/models/cube.txt");

  char runs[] = "/home//u///cube.txt";
  EXPECT_TRUE(NormalizePathSeparators(runs));
  EXPECT_STREQ(runs, "/home/u/cube.txt");

  char clean[] = "/home/u/cube.txt";
  EXPECT_FALSE(NormalizePathSeparators(clean));
  EXPECT_STREQ(clean, "/home/u/cube.txt");

  char windows[] = "C:\\Models\\cube.txt";
  EXPECT_TRUE(NormalizePathSeparators(windows));
  EXPECT_STREQ(windows, "C:/Models/cube.txt");
}

TEST(PathsTest, FolderMembershipAndRelativePaths) {
  EXPECT_TRUE(IsPathInFolder("/home/u/Models/cube.txt", "/home/u/models"));
  EXPECT_TRUE(IsPathInFolder("/home/u/models", "/home/u/models"));
  EXPECT_TRUE(IsPathInFolder("/home/u/models/cube.txt", "/home/u/models/"));
  EXPECT_TRUE(IsPathInFolder("C:\\Models\\cube.txt", "C:/models"));
  EXPECT_FALSE(IsPathInFolder("/home/u/models2/cube.txt", "/home/u/models"));
  EXPECT_FALSE(IsPathInFolder("/home/u", "/home/u/models"));

  EXPECT_STREQ(GetRelativePath("/home/u/tour/step1.txt", "/home/u/tour.txt"), "tour/step1.txt");
  EXPECT_STREQ(GetRelativePath("/HOME/U/img/a.png", "/home/u/doc.txt"), "img/a.png");
  EXPECT_STREQ(GetRelativePath("C:\\Doc\\img\\a.png", "C:/Doc/model.txt"), "img\\a.png");
  EXPECT_STREQ(GetRelativePath("/elsewhere/a.png", "/home/u/doc.txt"), "/elsewhere/a.png");
  EXPECT_STREQ(GetRelativePath("a.png", "doc.txt"), "a.png");
}

TEST(PathsTest, ExistenceAndFolderCreation) {
  std::filesystem::path root = testing::ScratchDir("paths_exist");
  std::string deep = (root / "a" / "b" / "c").string();
  EXPECT_FALSE(DirectoryExists(deep.c_str()));
  EXPECT_TRUE(MakeDirectories(deep.c_str()));
  EXPECT_TRUE(DirectoryExists(deep.c_str()));
  EXPECT_TRUE(DirectoryExists((deep + "//").c_str())) << "trailing separators ignored";
  EXPECT_TRUE(MakeDirectories(deep.c_str())) << "existing folders are fine";
  EXPECT_FALSE(MakeDirectory(deep.c_str())) << "one folder that exists already";

  // A path written on Windows is read with its backslashes.
  std::string windowsStyle = root.string() + "\\a\\b\\d\\e";
  EXPECT_TRUE(MakeDirectories(windowsStyle.c_str()));
  EXPECT_TRUE(std::filesystem::is_directory(root / "a" / "b" / "d" / "e"));
  EXPECT_TRUE(DirectoryExists(windowsStyle.c_str()));

  std::filesystem::path file = root / "a" / "model.txt";
  Touch(file);
  EXPECT_TRUE(FileExists(file.c_str()));
  EXPECT_FALSE(DirectoryExists(file.c_str()));
  EXPECT_TRUE(PathExists(file.c_str(), false, true));
  EXPECT_GT(GetFileModifiedTime(file.c_str()), 0);
  EXPECT_EQ(GetFileModifiedTime((root / "missing.txt").c_str()), -1);
  EXPECT_FALSE(FileExists((root / "missing.txt").c_str()));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(nullptr));

  // A file in the way of a folder stops the walk.
  std::string blocked = (file / "sub").string();
  EXPECT_FALSE(MakeDirectories(blocked.c_str()));
}

TEST(PathsTest, WorkingDirectoryAndFullPaths) {
  WorkingDirectoryGuard guard;
  std::filesystem::path root = std::filesystem::canonical(testing::ScratchDir("paths_cwd"));
  std::filesystem::create_directories(root / "x");
  std::string file = (root / "x" / "f.txt").string();
  ASSERT_TRUE(ChangeToFileDirectory(file.c_str()));
  EXPECT_EQ(GetWorkingDirectory(), (root / "x").string());

  std::string full;
  GetFullPath(full, "..\\y/./z.txt");
  EXPECT_EQ(full, (root / "y" / "z.txt").string());
  GetFullPath(full, "/a//b/../c");
  EXPECT_EQ(full, "/a/c");
  GetFullPath(full, "  ");
  EXPECT_EQ(full, "");
  GetFullPath(full, "\\\\server\\share\\m.txt");
  EXPECT_EQ(full, "//server/share/m.txt");
  EXPECT_FALSE(ChangeDirectory((root / "none").c_str()));
}

TEST(PathsTest, ProgramFileIsFoundBesideOrAboveTheProgram) {
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  std::string out;
  EXPECT_TRUE(FindProgramFile(out, exe.filename().c_str(), false));
  EXPECT_EQ(out, exe.string());
  // The program's folder seen from one folder higher.
  std::string folderName = exe.parent_path().filename().string();
  EXPECT_TRUE(FindProgramFile(out, folderName.c_str(), true));
  EXPECT_EQ(out, exe.parent_path().string());
  EXPECT_TRUE(FindProgramFile(out, ("..\\" + folderName).c_str(), true));
  EXPECT_FALSE(FindProgramFile(out, "no-such-file-anywhere.dat", false));
}

TEST(PathsTest, ListDirectorySortsNaturallyAndFilters) {
  std::filesystem::path root = testing::ScratchDir("paths_list");
  for (const char* name : {"file10.txt", "file2.txt", "File10b.txt", "a.off", "notes"}) Touch(root / name);
  std::filesystem::create_directories(root / "sub2");
  std::filesystem::create_directories(root / "sub10");

  std::string dir = root.string() + "/";
  EXPECT_EQ(List(dir + "*.txt", kListFiles), (std::vector<std::string>{"file2.txt", "file10.txt", "File10b.txt"}));
  EXPECT_EQ(List(dir + "*.TXT;" + dir + "*.off", kListFiles),
            (std::vector<std::string>{"a.off", "file2.txt", "file10.txt", "File10b.txt"}));
  EXPECT_EQ(List(dir + "*", kListFolders), (std::vector<std::string>{"sub2", "sub10"}));
  EXPECT_EQ(List(dir + "*.*", kListAll).size(), 7u) << "*.* also matches names without a dot";
  // Windows-style pattern.
  std::string windows = root.string() + "\\file*.txt";
  EXPECT_EQ(List(windows, kListFiles).size(), 3u);
  EXPECT_TRUE(List(root.string() + "/missing/*", kListAll).empty());
  EXPECT_TRUE(List("", kListAll).empty());
}

TEST(PathsTest, FileNameSafeEncodingRoundTrips) {
  std::string encoded, decoded;
  EncodeFileNameSafe(encoded, "Models/Cube (1)");
  EXPECT_EQ(encoded, "Models%2fCube (1)");
  DecodeFileNameSafe(decoded, encoded.c_str());
  EXPECT_EQ(decoded, "Models/Cube (1)");

  // Bytes above 127 give two hex digits each, never a sign-extended eight.
  const char* utf8 = "caf\xC3\xA9:*?\\";
  EncodeFileNameSafe(encoded, utf8);
  EXPECT_EQ(encoded, "caf%c3%a9%3a%2a%3f%5c");
  DecodeFileNameSafe(decoded, encoded.c_str());
  EXPECT_EQ(decoded, utf8);

  EncodeFileNameSafe(encoded, "");
  EXPECT_EQ(encoded, "");
  // A percent sign at the end or before non-hex text is kept, never read past.
  DecodeFileNameSafe(decoded, "50%");
  EXPECT_EQ(decoded, "50%");
  DecodeFileNameSafe(decoded, "a%4");
  EXPECT_EQ(decoded, "a%4");
  DecodeFileNameSafe(decoded, "%zz%00");
  EXPECT_EQ(decoded, "%zz%00");
}

}  // namespace
}  // namespace corvia
