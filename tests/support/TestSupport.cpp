#include "tests/support/TestSupport.h"

#include <cstdlib>
#include <unistd.h>

namespace corvia::testing {

namespace {
bool gExpectInternalErrors = false;

std::filesystem::path& ScratchRoot() {
  static std::filesystem::path root;
  if (root.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvia-test-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) root = made;
  }
  return root;
}
}  // namespace

platform::HeadlessPlatform& Platform() {
  static platform::HeadlessPlatform* platform = new platform::HeadlessPlatform();
  return *platform;
}

void ExpectInternalErrors() { gExpectInternalErrors = true; }

bool InternalErrorsExpected() { return gExpectInternalErrors; }

bool TakeExpectInternalErrors() {
  bool expected = gExpectInternalErrors;
  gExpectInternalErrors = false;
  return expected;
}

std::filesystem::path ScratchDir(const std::string& name) {
  std::filesystem::path dir = ScratchRoot() / name;
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir, ec);
  return dir;
}

void RemoveScratchRoot() {
  std::error_code ec;
  if (!ScratchRoot().empty()) std::filesystem::remove_all(ScratchRoot(), ec);
}

std::filesystem::path FixturesDir() {
  if (const char* dir = std::getenv("CORVIA_TEST_FIXTURES")) return dir;
  return std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures";
}

}  // namespace corvia::testing
