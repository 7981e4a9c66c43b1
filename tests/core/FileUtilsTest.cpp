#include "core/FileUtils.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <algorithm>

#include "platform/SafeFiles.h"
#include "tests/support/TestSupport.h"

namespace corvia {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(FileCopy, CopiesAndRespectsOverwrite) {
  fs::path dir = testing::ScratchDir("filecopy");
  std::string data(5000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  std::ofstream(dir / "src", std::ios::binary) << data;
  std::ofstream(dir / "old", std::ios::binary) << "old contents";

  EXPECT_TRUE(FileCopy((dir / "new").c_str(), (dir / "src").c_str()));
  EXPECT_EQ(ReadAll(dir / "new"), data);

  const Outcome refused = FileCopy((dir / "old").c_str(), (dir / "src").c_str(), false);
  EXPECT_EQ(refused.kind(), Outcome::Kind::kRefused);
  EXPECT_EQ(refused.text(), "FileCopy() failed: File to copy to already exists:\n" + (dir / "old").string());
  EXPECT_EQ(ReadAll(dir / "old"), "old contents");
  EXPECT_TRUE(FileCopy((dir / "old").c_str(), (dir / "src").c_str(), true));
  EXPECT_EQ(ReadAll(dir / "old"), data);
  // Nothing left beside the destination.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 3);
}

TEST(FileCopy, OntoItselfKeepsTheFile) {
  fs::path dir = testing::ScratchDir("filecopy-self");
  std::ofstream(dir / "same.txt") << "precious";
  EXPECT_TRUE(FileCopy((dir / "same.txt").c_str(), (dir / "same.txt").c_str()));
  EXPECT_TRUE(FileCopy((dir / "./same.txt").c_str(), (dir / "same.txt").c_str()));
  EXPECT_EQ(ReadAll(dir / "same.txt"), "precious");
}

TEST(FileCopy, FailuresAreReportedAndLeaveTheDestination) {
  fs::path dir = testing::ScratchDir("filecopy-fail");
  std::ofstream(dir / "dest") << "keep";
  const Outcome missing = FileCopy((dir / "dest").c_str(), (dir / "missing").c_str());
  EXPECT_EQ(missing.kind(), Outcome::Kind::kFailed);
  EXPECT_EQ(missing.text(), "FileCopy() failed: Couldn't open file to copy from:\n" + (dir / "missing").string());
  const Outcome noFolder = FileCopy((dir / "nofolder/dest").c_str(), (dir / "dest").c_str());
  EXPECT_EQ(noFolder.text(), "FileCopy() failed: Couldn't open file to copy to:\n" + (dir / "nofolder/dest").string());
  // Reading a folder fails part way: no truncated copy may pass for success.
  EXPECT_FALSE(FileCopy((dir / "dest").c_str(), dir.c_str()));
  // The copy shows nothing of its own.
  EXPECT_TRUE(testing::Platform().messages.Boxes().empty());
  EXPECT_EQ(ReadAll(dir / "dest"), "keep");
}

TEST(WriteFileReplacing, ReplacesOnlyAWholeNewFile) {
  fs::path dir = testing::ScratchDir("replace");
  const fs::path file = dir / "model.txt";
  std::ofstream(file) << "old";
  chmod(file.c_str(), 0640);
  std::string written;
  auto write = [&](const char* temporary) {
    written = temporary;
    // Beside the destination, so that the rename replaces it in one step.
    EXPECT_EQ(fs::path(temporary).parent_path(), dir);
    std::ofstream(temporary) << "new";
    return true;
  };
  std::string error;
  ASSERT_TRUE(WriteFileReplacing(file.c_str(), write, &error)) << error;
  EXPECT_EQ(ReadAll(file), "new");
  EXPECT_FALSE(fs::exists(written));
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  // A writer that fails, part way through, leaves the old file and no trace.
  auto fails = [&](const char* temporary) {
    std::ofstream(temporary) << "half";
    return false;
  };
  EXPECT_FALSE(WriteFileReplacing(file.c_str(), fails, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadAll(file), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  // A folder that is not there: nothing can be made.
  EXPECT_FALSE(WriteFileReplacing((dir / "none" / "x.txt").c_str(), write, &error));
  EXPECT_NE(error.find("beside"), std::string::npos) << error;
}

// Names in the folder other than `keep`.
std::vector<std::string> Others(const fs::path& dir, const std::string& keep) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(WriteFileReplacing, TheNextSaveRemovesTheTemporariesOfKilledSaves) {
  fs::path dir = testing::ScratchDir("replace-killed");
  const fs::path file = dir / "model.corv";
  std::ofstream(file) << "whole";
  // Saves killed half way through writing, as a power cut or a kill would stop them.
  for (int i = 0; i < 3; ++i) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      WriteFileReplacing(
          file.c_str(),
          [](const char* temporary) {
            std::ofstream(temporary) << std::string(1000, 'x');
            kill(getpid(), SIGKILL);
            return true;
          },
          nullptr);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
  }
  // Each killed save left its temporary and removed the one before it.
  EXPECT_EQ(ReadAll(file), "whole");
  EXPECT_EQ(Others(dir, "model.corv").size(), 1u);

  // A save that is still writing (another process holds its temporary) keeps its
  // temporary; a file that only looks like one of ours is left alone too.
  std::string busy;
  const int lock = platform::MakeLockedTemporary(file.string(), ".copy-", busy);
  ASSERT_GE(lock, 0);
  const pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    pause();
    _exit(0);
  }
  close(lock);
  std::ofstream(dir / "model.corv.copy-notes.txt") << "mine";

  std::string error;
  ASSERT_TRUE(WriteFileReplacing(
      file.c_str(), [](const char* temporary) { return static_cast<bool>(std::ofstream(temporary) << "new"); },
      &error))
      << error;
  EXPECT_EQ(ReadAll(file), "new");
  std::vector<std::string> left = Others(dir, "model.corv");
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = {fs::path(busy).filename().string(), "model.corv.copy-notes.txt"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  // Its save gone, the next one removes it.
  ASSERT_TRUE(WriteFileReplacing(
      file.c_str(), [](const char* temporary) { return static_cast<bool>(std::ofstream(temporary) << "again"); },
      &error));
  EXPECT_EQ(Others(dir, "model.corv"), std::vector<std::string>{"model.corv.copy-notes.txt"});
}

TEST(FileCopy, APipeADeviceOrAFolderIsNoSource) {
  fs::path dir = testing::ScratchDir("filecopy-kinds");
  std::ofstream(dir / "dest") << "keep";
  const fs::path pipe = dir / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const fs::path& source : {pipe, fs::path("/dev/zero"), dir}) {
    EXPECT_FALSE(FileCopy((dir / "dest").c_str(), source.c_str())) << source;
    EXPECT_EQ(ReadAll(dir / "dest"), "keep");
  }
}

TEST(TempFiles, PathsAndPrivateUniqueFiles) {
  std::string folder;
  GetTempDirectory(folder);
  std::string path;
  GetTempFilePath(path, "sub\\name.txt");
  EXPECT_EQ(path, folder + "/sub/name.txt");

  std::string first, second;
  ASSERT_TRUE(CreateTempFile(first, "check.txt"));
  ASSERT_TRUE(CreateTempFile(second, "check.txt"));
  EXPECT_NE(first, second);
  EXPECT_EQ(fs::path(first).extension(), ".txt");
  EXPECT_EQ(fs::path(first).parent_path().string(), folder);
  struct stat info {};
  ASSERT_EQ(stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_TRUE(RemoveFile(first.c_str()));
  EXPECT_TRUE(RemoveFile(second.c_str()));
  EXPECT_FALSE(RemoveFile(second.c_str()));
}

TEST(UrlEncode, FormValues) {
  EXPECT_EQ(UrlEncode("a b&c", false), "a+b%26c");
  EXPECT_EQ(UrlEncode("a b&c", true), "a+b%2526c");
  EXPECT_EQ(UrlEncode(nullptr, "a b&c", false), 8u);
  EXPECT_EQ(UrlEncode(nullptr, "a b&c", true), 10u);
  char out[1] = {'x'};
  EXPECT_EQ(UrlEncode(out, "", false), 1u);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(UrlEncode("Az09-_.~/", false), "Az09-_.%7e%2f");
  EXPECT_EQ(UrlEncode("\xC3\xA9\x7F", false), "%c3%a9%7f");
}

}  // namespace
}  // namespace corvia
